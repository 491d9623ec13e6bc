// A popup menu opened at a screen point, e.g. for a notification-area icon. The chosen item's
// OnClick runs after the menu has closed.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct TMenuItem {
  std::string Name;
  std::string Caption;  // "-" for a separator
  std::function<void()> OnClick;
};

class TPopupMenu {
 public:
  void Add(const std::string& name, const std::string& caption, std::function<void()> onClick);
  void AddSeparator(const std::string& name);
  const std::vector<TMenuItem>& Items() const { return items_; }
  // Runs the item's OnClick as choosing it would.
  void Click(const std::string& name);

  // Shows the menu for `owner` at (x, y) and waits for the choice; returns the chosen item's
  // index, or -1. The owner is brought to the foreground first, so that a click elsewhere
  // closes the menu.
  int Popup(HWND owner, int x, int y);
  bool IsOpen() const { return open_; }

 private:
  std::vector<TMenuItem> items_;
  bool open_ = false;
};
