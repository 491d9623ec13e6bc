#include "toolkit/Font.h"

#include "system/Text.h"

TFont::TFont() : TFont("宋体", -12) {}

TFont::TFont(const std::string& name, int height, BYTE charset)
    : name_(name), height_(height), charset_(charset) {}

TFont::TFont(const TFont& other) {
  *this = other;
}

TFont& TFont::operator=(const TFont& other) {
  if (this == &other) return *this;
  bool handleChanged =
      !(name_ == other.name_ && height_ == other.height_ && bold_ == other.bold_ &&
        italic_ == other.italic_ && underline_ == other.underline_ && charset_ == other.charset_);
  bool changed = handleChanged || color_ != other.color_;
  name_ = other.name_;
  height_ = other.height_;
  bold_ = other.bold_;
  italic_ = other.italic_;
  underline_ = other.underline_;
  color_ = other.color_;
  charset_ = other.charset_;
  if (changed) Changed(handleChanged);
  return *this;
}

void TFont::Changed(bool handleChanged) {
  if (handleChanged) handle_.reset();
  if (OnChange) OnChange();
}

void TFont::SetName(const std::string& v) {
  if (v != name_) name_ = v, Changed(true);
}
void TFont::SetHeight(int v) {
  if (v != height_) height_ = v, Changed(true);
}
void TFont::SetBold(bool v) {
  if (v != bold_) bold_ = v, Changed(true);
}
void TFont::SetItalic(bool v) {
  if (v != italic_) italic_ = v, Changed(true);
}
void TFont::SetUnderline(bool v) {
  if (v != underline_) underline_ = v, Changed(true);
}
void TFont::SetColor(COLORREF v) {
  if (v != color_) color_ = v, Changed(false);
}
void TFont::SetCharset(BYTE v) {
  if (v != charset_) charset_ = v, Changed(true);
}

bool TFont::SameAs(const TFont& o) const {
  return name_ == o.name_ && height_ == o.height_ && bold_ == o.bold_ && italic_ == o.italic_ &&
         underline_ == o.underline_ && color_ == o.color_ && charset_ == o.charset_;
}

HFONT TFont::Handle() const {
  if (!handle_) {
    LOGFONTW lf{};
    lf.lfHeight = height_;
    lf.lfWeight = bold_ ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = italic_;
    lf.lfUnderline = underline_;
    lf.lfCharSet = charset_;
    lf.lfQuality = DEFAULT_QUALITY;
    // The face name as the system spells it ("宋体"), whatever its code page; the character set
    // stays GB2312, which the system maps to a font that draws Chinese.
    lstrcpynW(lf.lfFaceName, WideFrom(name_).c_str(), LF_FACESIZE);
    handle_.reset(CreateFontIndirectW(&lf));
  }
  return handle_.get();
}

const TFont& TFont::Default() {
  static const TFont font;
  return font;
}
