// The built-in art from the program's resources, at the size the display
// wants. Each picture is stored as RCDATA in variants drawn for 96, 144,
// 192 and 288 DPI, named <NAME>_96, <NAME>_144, ... (PNG or JPEG); any of
// them may be missing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "art/Image.h"

namespace nimbrel::win {

// The picture `name` as a strip of `frames` frames of frameWidth x height:
// a 24-bit top-down DIB section exactly frames x frameWidth wide and
// height high, made from the variant ChooseVariant picks (the smallest one
// at least that large, else the largest), scaled by ResampleFrames. A
// picture with alpha is laid over `background` first. A variant that fails
// to decode is passed over for the next best. nullptr when no variant is
// usable. The caller owns the bitmap (DeleteObject, or a win::Bitmap).
HBITMAP LoadArt(HINSTANCE instance, std::string_view name, int frames, int frameWidth, int height,
                COLORREF background = RGB(0, 0, 0));

// The bytes of the RCDATA resource `name`; empty when there is none. They
// stay valid as long as the module is loaded.
std::span<const std::uint8_t> ResourceBytes(HINSTANCE instance, const std::string& name);

// A 24-bit top-down DIB section with the picture's pixels (alpha ignored);
// nullptr when GDI can't make one.
HBITMAP ToBitmap(const art::Image& image);

}  // namespace nimbrel::win
