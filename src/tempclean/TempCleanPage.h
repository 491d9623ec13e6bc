// Page 6: the temporary-file cleaner. The log memo fills the page, the start and stop buttons
// stand in a column on the right, a strip at the bottom holds a picture and the status label.
// The cleaning itself runs as job 16 on a worker, which calls RunCleanJob.
#pragma once

#include <string>

#include "tempclean/TempCleaner.h"
#include "tempclean/TmpCleanFeed.h"
#include "toolkit/Memo.h"
#include "toolkit/Button.h"
#include "toolkit/Host.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/PageControl.h"
#include "toolkit/Panel.h"

class TTempCleanPage : private ITmpCleanView {
 public:
  TTempCleanPage(TTabSheet& TS6, IHost& host);
  TTempCleanPage(const TTempCleanPage&) = delete;
  TTempCleanPage& operator=(const TTempCleanPage&) = delete;

  // Starts job 16; the worker changes the controls.
  void BitBtnCleanTmpFileClick();
  // Requests the stop, shows the summary at once and puts the buttons back.
  void BitBtnStopCleanTmpFileClick();
  // Job 16, on the job runner's worker thread; every control change goes through Synchronize.
  void RunCleanJob();
  // How long reports gather before they are shown (TTmpCleanFeed::IntervalMs).
  void SetReportInterval(DWORD ms) { feed_.IntervalMs = ms; }

  TTabSheet& TS6;
  TPanel PanelTmpBottom;  // bottom strip: picture and status label
  TImage ImageDelTmpFile;
  TLabel LabelDelTmpFile;
  TPanel PanelTmpButtons;  // right-hand column
  TButton BitBtnCleanTmpFile;
  TButton BitBtnStopCleanTmpFile;
  TMemo MemoTmpFile;  // no word wrap: one file, one line

 private:
  void SetRunning(bool running) override;
  void ClearLines() override;
  void AddLine(const std::wstring& line) override;
  void SetStatus(const std::string& text) override;
  void Pulse() override;
  void ShowButtons(bool running);

  IHost& host_;
  TTmpCleanFeed feed_;
};
