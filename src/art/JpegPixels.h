// The JPEG decoder's pixel stages: the inverse DCT, chroma upsampling and
// the YCbCr to RGB conversion. Internal to Jpeg.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nimbrel::art::jpeg {

// What each dequantized coefficient (natural order) is multiplied by
// before InverseDct: the factorisation's scale for its row and column, and
// the definition's 1/8.
float DctPrescale(int index);

// The inverse DCT of one block of dequantized, prescaled coefficients in
// natural (row by row) order, level-shifted by 128, rounded to nearest and
// clamped to 0-255, written as eight rows of eight samples `stride` bytes
// apart. It gives the DCT's definition but for single-precision rounding
// (within 1/1000 of a level before the final rounding), not a fast
// approximation.
void InverseDct(const float coefficients[64], std::uint8_t* out, std::size_t stride);

// One component's decoded samples: `width` x `height` of them belong to
// the picture (the rest of the plane is block padding), and each stands for
// ratioX x ratioY (1 or 2) pixels of the picture.
struct Plane {
  const std::uint8_t* samples = nullptr;
  std::size_t stride = 0;
  int width = 0, height = 0;
  int ratioX = 1, ratioY = 1;
  bool triangle = true;  // false: each sample repeated instead
};

// Row y of the picture's `width` pixels for one component. A subsampled
// direction is upsampled with the triangle filter: each pixel takes 3/4 of
// its own sample and 1/4 of the next sample on its side, as chroma sits
// centred between the luma samples; samples past the edge repeat the last
// one. Full-resolution directions are copied.
void UpsampleRow(const Plane& plane, int y, int width, std::uint8_t* out);

// JFIF's YCbCr to RGB (R = Y + 1.402 Cr', G = Y - 0.34414 Cb' - 0.71414 Cr',
// B = Y + 1.772 Cb', with Cb' = Cb - 128), in 16-bit fixed point, rounded
// and clamped, for `n` pixels.
void YCbCrToRgb(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int n, std::uint8_t* rgb);

}  // namespace nimbrel::art::jpeg
