// Single-line edits and multi-line memos (EDIT windows).
#pragma once

#include <string>
#include <vector>

#include "toolkit/Control.h"

class TEdit : public TControl {
 public:
  TEdit(TControl* parent, int left, int top, int width, int height, bool readOnly = false);
  std::string Text() const { return Caption(); }
  std::wstring TextW() const { return CaptionW(); }
  void SetText(const std::string& text) { SetCaption(text); }
  void SetTextW(const std::wstring& text) { SetCaptionW(text); }
  void SetReadOnly(bool readOnly);
  std::function<void(TControl*)> OnChange;
  bool HandleCommand(WORD code) override;

 protected:
  TEdit(TControl* parent);  // for TMemo
};

class TMemo : public TEdit {
 public:
  // Without word wrap every line stays one line however long, and the memo scrolls sideways.
  TMemo(TControl* parent, int left, int top, int width, int height, bool readOnly = true,
        bool wordWrap = true);
  // Appends one line at the end; the cost does not grow with the memo's length.
  void AddLine(const std::string& line);
  void AddLineW(const std::wstring& line);
  void Clear();
  int LineCount() const;  // lines holding text (a trailing empty line is not counted)
  std::string Line(int index) const;
  std::vector<std::string> Lines() const;
  HBRUSH HandleCtlColor(HDC dc) override;
};
