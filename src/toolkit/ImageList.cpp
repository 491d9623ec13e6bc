#include "toolkit/ImageList.h"

TImageList::TImageList(int width, int height)
    : handle_(ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 8, 8)) {}

int TImageList::AddIcon(HICON icon) {
  if (!handle_ || !icon) return -1;
  return ImageList_AddIcon(handle_.get(), icon);
}

int TImageList::Count() const {
  return handle_ ? ImageList_GetImageCount(handle_.get()) : 0;
}

void TImageList::Clear() {
  if (handle_) ImageList_RemoveAll(handle_.get());
}
