#include "art/JpegPixels.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace nimbrel::art::jpeg {

namespace {

// basis[x][u] = C(u) / 2 * cos((2x + 1) u pi / 16), C(0) = 1/sqrt(2), else 1.
struct Basis {
  float value[8][8];
  Basis() {
    const double pi = std::acos(-1.0);
    for (int x = 0; x < 8; ++x)
      for (int u = 0; u < 8; ++u)
        value[x][u] = static_cast<float>((u == 0 ? std::sqrt(0.5) : 1.0) / 2 * std::cos((2 * x + 1) * u * pi / 16));
  }
};

const Basis& TheBasis() {
  static const Basis basis;
  return basis;
}

std::uint8_t ClampToByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

}  // namespace

void InverseDct(const float in[64], std::uint8_t* out, std::size_t stride) {
  const auto& b = TheBasis().value;
  float rows[64];
  // Each row of coefficients to eight horizontal samples.
  for (int v = 0; v < 8; ++v) {
    const float* c = &in[v * 8];
    for (int x = 0; x < 8; ++x) {
      float s = 0;
      for (int u = 0; u < 8; ++u) s += b[x][u] * c[u];
      rows[v * 8 + x] = s;
    }
  }
  // Then each column of those to eight vertical samples.
  for (int x = 0; x < 8; ++x) {
    for (int y = 0; y < 8; ++y) {
      float s = 0;
      for (int v = 0; v < 8; ++v) s += b[y][v] * rows[v * 8 + x];
      out[y * stride + x] = ClampToByte(static_cast<int>(std::floor(s + 128.5f)));
    }
  }
}

void UpsampleRow(const Plane& p, int y, int width, std::uint8_t* out) {
  // The sample row of this pixel row and, when subsampled, its neighbour on
  // the pixel's side: weights 3 and 1 (or 4 alone), so each column sums to 4x.
  const int sy = y / p.ratioY;
  if (!p.triangle) {
    for (int x = 0; x < width; ++x) out[x] = p.samples[sy * p.stride + x / p.ratioX];
    return;
  }
  int near = sy;
  if (p.ratioY == 2) near = y % 2 == 0 ? std::max(sy - 1, 0) : std::min(sy + 1, p.height - 1);
  const std::uint8_t* a = p.samples + sy * p.stride;
  const std::uint8_t* b = p.samples + near * p.stride;
  auto column = [&](int i) { return p.ratioY == 2 ? 3 * a[i] + b[i] : 4 * a[i]; };
  for (int x = 0; x < width; ++x) {
    const int sx = x / p.ratioX;
    int sum = 4 * column(sx);
    if (p.ratioX == 2) {
      const int side = x % 2 == 0 ? std::max(sx - 1, 0) : std::min(sx + 1, p.width - 1);
      sum = 3 * column(sx) + column(side);
    }
    out[x] = static_cast<std::uint8_t>((sum + 8) >> 4);
  }
}

void YCbCrToRgb(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int n, std::uint8_t* rgb) {
  constexpr int kHalf = 1 << 15;
  constexpr int kCrR = 91881, kCbG = 22554, kCrG = 46802, kCbB = 116130;  // x 65536
  for (int i = 0; i < n; ++i) {
    const int l = y[i], u = cb[i] - 128, v = cr[i] - 128;
    rgb[3 * i] = ClampToByte(l + ((kCrR * v + kHalf) >> 16));
    rgb[3 * i + 1] = ClampToByte(l + ((-kCbG * u - kCrG * v + kHalf) >> 16));
    rgb[3 * i + 2] = ClampToByte(l + ((kCbB * u + kHalf) >> 16));
  }
}

}  // namespace nimbrel::art::jpeg
