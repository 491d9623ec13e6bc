// Base of every window the program shows. A TControl owns one HWND: either a window of a class
// the toolkit registers (custom-drawn controls, containers, forms) or a standard control that is
// subclassed. Containers reflect WM_COMMAND / WM_NOTIFY / WM_CTLCOLOR* back to the child object,
// and lay out children by their Align setting the way a form designer would.
// Every window is a Unicode window: texts reach it wide, so they read the same whatever the
// system's code page. The narrow texts of the toolkit's interface are code page 936 (the
// program's own texts); the wide forms (ending in W) carry names from the system as they are.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "system/Handles.h"
#include "toolkit/Font.h"

enum class TAlign { None, Top, Bottom, Left, Right, Client };

class TControl {
 public:
  explicit TControl(TControl* parent);
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  HWND Handle() const { return hwnd_; }
  TControl* Parent() const { return parent_; }
  const std::vector<TControl*>& Children() const { return children_; }
  static TControl* FromHandle(HWND hwnd);

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  virtual void SetBounds(int left, int top, int width, int height);
  void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
  void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
  void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
  void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
  RECT ClientRect() const;
  int ClientWidth() const;
  int ClientHeight() const;

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  void Realign();  // lays out the aligned children inside the client area

  bool Visible() const;
  virtual void SetVisible(bool visible);
  bool Enabled() const;
  virtual void SetEnabled(bool enabled);
  std::string Caption() const;
  std::wstring CaptionW() const;
  void SetCaption(const std::string& text);
  virtual void SetCaptionW(const std::wstring& text);

  // The control's font; changing it (through SetFont or Font().SetXxx) re-applies it.
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font) { font_ = font; }

  COLORREF Color() const { return color_; }
  void SetColor(COLORREF color);
  bool ColorSet() const { return colorSet_; }
  // The colour of the nearest control that set one, this one or a container; else button face.
  COLORREF InheritedColor() const;

  void Invalidate();
  void Repaint();  // invalidate and paint at once
  bool Focused() const { return GetFocus() == hwnd_; }
  bool CanFocus() const;
  void SetFocus();
  void BringToFront();
  // Moves the window under another parent (e.g. a progress bar into a status bar).
  void SetParentControl(TControl* parent);

  // The pointer shown over the control's client area; nullptr keeps the window class's.
  void SetControlCursor(HCURSOR cursor) { cursor_ = cursor; }

  std::function<void(TControl*)> OnClick;
  std::function<void(TControl*)> OnDblClick;

  // Reflections from the parent window; return true when handled.
  virtual bool HandleCommand(WORD code);
  virtual bool HandleNotify(NMHDR* header, LRESULT& result);
  virtual HBRUSH HandleCtlColor(HDC dc);

 protected:
  // Creates a window of a class registered by the toolkit under `className`. Each of these
  // returns false when the window could not be made (Handle() then stays null).
  bool CreateOwnWindow(const char* className, DWORD style, DWORD exStyle, UINT classStyle = 0);
  // Creates a standard control (L"BUTTON", WC_LISTVIEWW ...) and subclasses it.
  bool CreateStandardWindow(const wchar_t* className, DWORD style, DWORD exStyle);
  bool CreateTopLevelWindow(const char* className, DWORD style, DWORD exStyle);

  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual void FontChanged();
  virtual void Resized() {}

  HWND hwnd_ = nullptr;
  TFont font_;
  COLORREF color_ = 0;
  bool colorSet_ = false;     // false: the parent's (system button face) colour is used
  TGdiObject<HBRUSH> brush_;  // the last WM_CTLCOLOR* answer: the system paints with it later

 private:
  static LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static void RegisterOwnClass(const char* className, UINT classStyle);
  LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
  void Attach(HWND hwnd);
  void RemoveChild(TControl* child);

  TControl* parent_ = nullptr;
  std::vector<TControl*> children_;
  std::string name_;
  int tag_ = 0;
  TAlign align_ = TAlign::None;
  WNDPROC originalProc_ = nullptr;
  bool realigning_ = false;
  HCURSOR cursor_ = nullptr;
};
