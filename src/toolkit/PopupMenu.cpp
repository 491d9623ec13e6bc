#include "toolkit/PopupMenu.h"

#include "system/Text.h"
#include "toolkit/Guarded.h"

void TPopupMenu::Add(const std::string& name, const std::string& caption,
                     std::function<void()> onClick) {
  items_.push_back({name, caption, std::move(onClick)});
}

void TPopupMenu::AddSeparator(const std::string& name) {
  items_.push_back({name, "-", nullptr});
}

void TPopupMenu::Click(const std::string& name) {
  for (const TMenuItem& item : items_)
    if (item.Name == name && item.OnClick) {
      Guarded(item.OnClick);
      return;
    }
}

int TPopupMenu::Popup(HWND owner, int x, int y) {
  if (open_) return -1;
  HMENU menu = CreatePopupMenu();
  if (!menu) return -1;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].Caption == "-")
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuW(menu, MF_STRING, i + 1, WideFrom(items_[i].Caption).c_str());
  }
  open_ = true;
  // Without the foreground the menu would stay open when the user clicks elsewhere.
  SetForegroundWindow(owner);
  const int chosen = static_cast<int>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  open_ = false;
  DestroyMenu(menu);
  if (chosen < 1 || chosen > static_cast<int>(items_.size())) return -1;
  if (const auto& onClick = items_[chosen - 1].OnClick) Guarded(onClick);
  return chosen - 1;
}
