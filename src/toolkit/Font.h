// A font description with a lazily created GDI handle, shared by the toolkit's controls.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "system/Handles.h"

class TFont {
 public:
  TFont();
  TFont(const std::string& name, int height, BYTE charset = GB2312_CHARSET);
  TFont(const TFont& other);
  TFont& operator=(const TFont& other);

  const std::string& Name() const { return name_; }
  int Height() const { return height_; }
  bool Bold() const { return bold_; }
  bool Italic() const { return italic_; }
  bool Underline() const { return underline_; }
  COLORREF Color() const { return color_; }
  BYTE Charset() const { return charset_; }

  void SetName(const std::string& v);
  void SetHeight(int v);
  void SetBold(bool v);
  void SetItalic(bool v);
  void SetUnderline(bool v);
  void SetColor(COLORREF v);  // colour does not change the GDI handle
  void SetCharset(BYTE v);

  bool SameAs(const TFont& other) const;
  HFONT Handle() const;  // created on first use after a change

  std::function<void()> OnChange;  // raised after every effective change

  // "宋体", height -12, GB2312: the window font of the whole program.
  static const TFont& Default();

 private:
  void Changed(bool handleChanged);

  std::string name_;
  int height_ = -12;
  bool bold_ = false;
  bool italic_ = false;
  bool underline_ = false;
  COLORREF color_ = 0;
  BYTE charset_ = GB2312_CHARSET;
  mutable TGdiObject<HFONT> handle_;
};
