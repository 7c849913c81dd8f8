#include "win/Art_win.h"

#include <optional>
#include <vector>

#include "art/Art.h"
#include "core/Scale.h"

namespace nimbrel::win {

std::span<const std::uint8_t> ResourceBytes(HINSTANCE instance, const std::string& name) {
  HRSRC found = FindResourceA(instance, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!found) return {};
  HGLOBAL loaded = LoadResource(instance, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(instance, found);
  if (!bytes || size == 0) return {};
  return {static_cast<const std::uint8_t*>(bytes), size};
}

HBITMAP ToBitmap(const art::Image& image) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top-down, as the picture's rows are
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  // DIB rows are padded to whole DWORDs, and pixels are stored blue first.
  const std::size_t stride = (std::size_t(image.width) * 3 + 3) & ~std::size_t{3};
  auto* rows = static_cast<std::uint8_t*>(bits);
  for (int y = 0; y < image.height; ++y) {
    std::uint8_t* out = rows + y * stride;
    const std::uint8_t* in = image.Pixel(0, y);
    for (int x = 0; x < image.width; ++x, in += 3, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
  }
  return bitmap;
}

HBITMAP LoadArt(HINSTANCE instance, std::string_view name, int frames, int frameWidth, int height,
                COLORREF background) {
  std::vector<std::span<const std::uint8_t>> variants;
  for (int dpi : kArtDpis) {
    const std::span<const std::uint8_t> bytes = ResourceBytes(instance, std::string(name) + "_" + std::to_string(dpi));
    if (!bytes.empty()) variants.push_back(bytes);
  }
  const art::Rgb behind{GetRValue(background), GetGValue(background), GetBValue(background)};
  const std::optional<art::Image> strip = art::PrepareArt(variants, frames, frameWidth, height, behind);
  return strip ? ToBitmap(*strip) : nullptr;
}

}  // namespace nimbrel::win
