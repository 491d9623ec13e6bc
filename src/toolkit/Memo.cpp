#include "toolkit/Memo.h"

#include "system/Text.h"

TEdit::TEdit(TControl* parent) : TControl(parent) {}

TEdit::TEdit(TControl* parent, int left, int top, int width, int height, bool readOnly)
    : TControl(parent) {
  CreateStandardWindow(L"EDIT",
                       WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | (readOnly ? ES_READONLY : 0),
                       WS_EX_CLIENTEDGE);
  SetBounds(left, top, width, height);
}

void TEdit::SetReadOnly(bool readOnly) {
  if (hwnd_) SendMessageW(hwnd_, EM_SETREADONLY, readOnly, 0);
}

bool TEdit::HandleCommand(WORD code) {
  if (code != EN_CHANGE) return false;
  if (OnChange) OnChange(this);
  return true;
}

TMemo::TMemo(TControl* parent, int left, int top, int width, int height, bool readOnly,
             bool wordWrap)
    : TEdit(parent) {
  CreateStandardWindow(L"EDIT",
                       WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                           ES_WANTRETURN | (readOnly ? ES_READONLY : 0) |
                           (wordWrap ? 0 : ES_AUTOHSCROLL),
                       WS_EX_CLIENTEDGE);
  SendMessageW(hwnd_, EM_SETLIMITTEXT, 0, 0);  // 0: as much as the system allows
  SetBounds(left, top, width, height);
}

void TMemo::AddLine(const std::string& line) {
  AddLineW(WideFrom(line));
}

void TMemo::AddLineW(const std::wstring& line) {
  if (!hwnd_) return;
  int len = GetWindowTextLengthW(hwnd_);
  std::wstring text = len > 0 ? L"\r\n" + line : line;
  SendMessageW(hwnd_, EM_SETSEL, len, len);
  SendMessageW(hwnd_, EM_REPLACESEL, FALSE, (LPARAM)text.c_str());
}

void TMemo::Clear() {
  SetCaption("");
}

int TMemo::LineCount() const {
  if (!hwnd_ || GetWindowTextLengthW(hwnd_) == 0) return 0;
  return (int)SendMessageW(hwnd_, EM_GETLINECOUNT, 0, 0);
}

std::string TMemo::Line(int index) const {
  if (!hwnd_) return {};
  int start = (int)SendMessageW(hwnd_, EM_LINEINDEX, index, 0);
  if (start < 0) return {};
  int len = (int)SendMessageW(hwnd_, EM_LINELENGTH, start, 0);
  std::wstring s(len + 2 > 4 ? len + 2 : 4, L'\0');
  *reinterpret_cast<WORD*>(s.data()) = static_cast<WORD>(s.size());
  int got = (int)SendMessageW(hwnd_, EM_GETLINE, index, (LPARAM)s.data());
  s.resize(got < 0 ? 0 : (got > len ? len : got));
  return NarrowFrom(s);
}

std::vector<std::string> TMemo::Lines() const {
  std::vector<std::string> out;
  std::string text = Caption();
  size_t pos = 0;
  if (text.empty()) return out;
  while (true) {
    size_t n = text.find("\r\n", pos);
    out.push_back(text.substr(pos, n == std::string::npos ? std::string::npos : n - pos));
    if (n == std::string::npos) break;
    pos = n + 2;
  }
  return out;
}

HBRUSH TMemo::HandleCtlColor(HDC dc) {
  // A read-only edit asks with WM_CTLCOLORSTATIC; keep the white writing surface anyway.
  SetTextColor(dc, font_.Color());
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return GetSysColorBrush(COLOR_WINDOW);
}
