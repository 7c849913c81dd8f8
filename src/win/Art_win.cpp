// TEMPORARY stand-in until the real loader lands: the old BMP stretched.
#include "win/Art_win.h"
#include <string>
namespace nimbrel::win {
HBITMAP LoadArt(HINSTANCE instance, std::string_view name, int frames, int frameWidth, int height) {
  HBITMAP src = LoadBitmapA(instance, std::string(name).c_str());
  if (!src) return nullptr;
  BITMAP info{}; GetObjectA(src, sizeof info, &info);
  HDC screen = GetDC(nullptr);
  HBITMAP out = CreateCompatibleBitmap(screen, frames * frameWidth, height);
  HDC a = CreateCompatibleDC(screen), b = CreateCompatibleDC(screen);
  SelectObject(a, src); SelectObject(b, out);
  SetStretchBltMode(b, HALFTONE);
  int sw = info.bmWidth / frames;
  for (int i = 0; i < frames; ++i) StretchBlt(b, i * frameWidth, 0, frameWidth, height, a, i * sw, 0, sw, info.bmHeight, SRCCOPY);
  DeleteDC(a); DeleteDC(b); ReleaseDC(nullptr, screen); DeleteObject(src);
  return out;
}
}
