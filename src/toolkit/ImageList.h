// A list of small pictures for list views. Icons are copied in, so the caller's icon (often one
// belonging to another program) may go away afterwards.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "system/Handles.h"

class TImageList {
 public:
  explicit TImageList(int width = 16, int height = 16);
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;

  HIMAGELIST Handle() const { return handle_.get(); }
  // Adds a copy of the icon; returns its index, -1 when the icon could not be added.
  int AddIcon(HICON icon);
  int Count() const;
  void Clear();

 private:
  TImageListHandle handle_;
};
