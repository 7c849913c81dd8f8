#pragma once
#include <windows.h>
#include <string_view>
namespace nimbrel::win {
HBITMAP LoadArt(HINSTANCE instance, std::string_view name, int frames, int frameWidth, int height);
}
