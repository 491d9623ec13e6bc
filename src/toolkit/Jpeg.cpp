// JPEG decoding with libjpeg: the title band's picture is stored as a JPEG resource.
#include <windows.h>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "system/Handles.h"
#include "toolkit/Bitmap.h"

namespace {
struct ErrorManager {
  jpeg_error_mgr base;
  jmp_buf jump;
};

void OnError(j_common_ptr info) {
  longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}
void OnMessage(j_common_ptr) {}

// Decodes into `bitmap`; false when the decoder gives up. The decoder leaves this frame by longjmp
// on an error, so nothing here has a destructor: the picture is owned by the caller's frame, which
// the jump does not cross, and is reached through memory, which the jump does not roll back.
bool DecodeInto(const unsigned char* data, size_t size, TGdiObject<HBITMAP>& bitmap) {
  jpeg_decompress_struct info{};
  ErrorManager err{};
  info.err = jpeg_std_error(&err.base);
  err.base.error_exit = OnError;
  err.base.output_message = OnMessage;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, const_cast<unsigned char*>(data), (unsigned long)size);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);

  int width = (int)info.output_width, height = (int)info.output_height;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down rows, as the decoder delivers them
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) longjmp(err.jump, 1);
  int stride = (width * 3 + 3) & ~3;
  while (info.output_scanline < info.output_height) {
    auto* row = static_cast<unsigned char*>(bits) + (size_t)stride * info.output_scanline;
    JSAMPROW rows[1] = {row};
    jpeg_read_scanlines(&info, rows, 1);
    for (int x = 0; x < width; ++x) {  // RGB to the DIB's BGR
      unsigned char t = row[x * 3];
      row[x * 3] = row[x * 3 + 2];
      row[x * 3 + 2] = t;
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}
}  // namespace

HBITMAP DecodeJpeg(const unsigned char* data, size_t size) {
  if (!data || size < 4) return nullptr;
  TGdiObject<HBITMAP> bitmap;  // freed here when the decoding fails part-way
  if (!DecodeInto(data, size, bitmap)) return nullptr;
  return bitmap.release();
}
