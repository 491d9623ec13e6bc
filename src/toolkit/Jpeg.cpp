// JPEG decoding with libjpeg: the title band's picture is stored as a JPEG resource.
#include <windows.h>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

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
}  // namespace

HBITMAP DecodeJpeg(const unsigned char* data, size_t size) {
  if (!data || size < 4) return nullptr;
  jpeg_decompress_struct info{};
  ErrorManager err{};
  info.err = jpeg_std_error(&err.base);
  err.base.error_exit = OnError;
  err.base.output_message = OnMessage;
  HBITMAP bitmap = nullptr;
  // Nothing with a destructor lives between setjmp and the decoder calls.
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&info);
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
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
  bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
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
  return bitmap;
}
