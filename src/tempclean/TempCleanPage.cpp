#include "tempclean/TempCleanPage.h"

#include "toolkit/Sync.h"

TTempCleanPage::TTempCleanPage(TTabSheet& sheet, IHost& host)
    : TS6(sheet),
      PanelTmpBottom(&sheet),
      ImageDelTmpFile(&PanelTmpBottom, 8, 7, 16, 16),
      LabelDelTmpFile(&PanelTmpBottom, "临时文件清理...", 30, 9),
      PanelTmpButtons(&sheet),
      BitBtnCleanTmpFile(&PanelTmpButtons, "开始清理", 12, 12, 90, 25),
      BitBtnStopCleanTmpFile(&PanelTmpButtons, "停止清理", 12, 48, 90, 25),
      MemoTmpFile(&sheet, 0, 0, 0, 0, true, false),
      host_(host),
      feed_(MemoTmpFile, LabelDelTmpFile) {
  PanelTmpBottom.SetName("PanelTmpBottom");
  PanelTmpBottom.SetBounds(0, 0, sheet.ClientWidth(), 30);
  ImageDelTmpFile.SetName("ImageDelTmpFile");
  ImageDelTmpFile.Picture().LoadResource("NAV06");
  ImageDelTmpFile.SetTransparent(true);
  LabelDelTmpFile.SetName("LabelDelTmpFile");
  PanelTmpButtons.SetName("PanelTmpButtons");
  PanelTmpButtons.SetBounds(0, 0, 114, sheet.ClientHeight());
  BitBtnCleanTmpFile.SetName("BitBtnCleanTmpFile");
  BitBtnStopCleanTmpFile.SetName("BitBtnStopCleanTmpFile");
  BitBtnStopCleanTmpFile.SetEnabled(false);
  MemoTmpFile.SetName("MemoTmpFile");
  // The strip takes the full width at the bottom, the column the right of what is left, and the
  // memo the rest.
  PanelTmpBottom.SetAlign(TAlign::Bottom);
  PanelTmpButtons.SetAlign(TAlign::Right);
  MemoTmpFile.SetAlign(TAlign::Client);

  BitBtnCleanTmpFile.OnClick = [this](TControl*) { BitBtnCleanTmpFileClick(); };
  BitBtnStopCleanTmpFile.OnClick = [this](TControl*) { BitBtnStopCleanTmpFileClick(); };
}

void TTempCleanPage::BitBtnCleanTmpFileClick() {
  host_.StartJob(kJobTempClean);
}

void TTempCleanPage::BitBtnStopCleanTmpFileClick() {
  try {
    const std::string summary = RequestTmpCleanStop();
    feed_.Drain();
    MemoTmpFile.AddLine("");
    MemoTmpFile.AddLine(summary);
    LabelDelTmpFile.SetCaption(summary);
  } catch (...) {
    // The buttons are put back whatever happened.
  }
  ShowButtons(false);
}

void TTempCleanPage::RunCleanJob() {
  RunTmpCleanJob(*this);
}

void TTempCleanPage::ShowButtons(bool running) {
  BitBtnCleanTmpFile.SetEnabled(!running);
  BitBtnStopCleanTmpFile.SetEnabled(running);
}

void TTempCleanPage::SetRunning(bool running) {
  feed_.Flush();
  Synchronize([this, running] { ShowButtons(running); });
}

void TTempCleanPage::ClearLines() {
  feed_.Flush();
  Synchronize([this] { MemoTmpFile.Clear(); });
}

void TTempCleanPage::AddLine(const std::wstring& line) {
  feed_.AddLine(line);
}

void TTempCleanPage::SetStatus(const std::string& text) {
  feed_.SetStatus(text);
}

void TTempCleanPage::Pulse() {
  feed_.Pulse();
}
