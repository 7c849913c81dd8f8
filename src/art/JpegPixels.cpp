#include "art/JpegPixels.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace nimbrel::art::jpeg {

namespace {

// basis[u][x] = C(u) / 2 * cos((2x + 1) u pi / 16), C(0) = 1/sqrt(2), else 1:
// what coefficient u adds to sample x.
struct Basis {
  float value[8][8];
  Basis() {
    const double pi = std::acos(-1.0);
    for (int u = 0; u < 8; ++u)
      for (int x = 0; x < 8; ++x)
        value[u][x] = static_cast<float>((u == 0 ? std::sqrt(0.5) : 1.0) / 2 * std::cos((2 * x + 1) * u * pi / 16));
  }
};

const Basis& TheBasis() {
  static const Basis basis;
  return basis;
}

std::uint8_t ClampToByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// Rounds a level-shifted sample to the nearest level (halves to even, as
// the FPU rounds by default) and clamps it to 0-255. lrint is one
// instruction where a cast to int would switch the x87's rounding mode.
std::uint8_t RoundSample(float s) { return ClampToByte(static_cast<int>(std::lrint(s + 128.0f))); }

}  // namespace

void InverseDct(const float in[64], std::uint8_t* out, std::size_t stride) {
  const auto& b = TheBasis().value;
  // Most coefficients are zero: skipping them adds nothing but time, as
  // adding a zero product leaves every sum as it was.
  float rows[8][8] = {};
  int used[8], nUsed = 0;
  for (int v = 0; v < 8; ++v) {
    const float* c = &in[v * 8];
    bool any = false;
    for (int u = 0; u < 8; ++u) {
      if (c[u] == 0) continue;
      any = true;
      for (int x = 0; x < 8; ++x) rows[v][x] += c[u] * b[u][x];  // each row across
    }
    if (any) used[nUsed++] = v;
  }
  for (int y = 0; y < 8; ++y) {
    float column[8] = {};
    for (int i = 0; i < nUsed; ++i) {
      const int v = used[i];
      for (int x = 0; x < 8; ++x) column[x] += b[v][y] * rows[v][x];  // then down
    }
    for (int x = 0; x < 8; ++x) out[y * stride + x] = RoundSample(column[x]);
  }
}

void UpsampleRow(const Plane& p, int y, int width, std::uint8_t* out) {
  const int sy = y / p.ratioY;
  const std::uint8_t* a = p.samples + sy * p.stride;
  if (!p.triangle || (p.ratioX == 1 && p.ratioY == 1)) {
    for (int x = 0; x < width; ++x) out[x] = a[x / p.ratioX];
    return;
  }
  // The sample row of this pixel row and, when halved down, its neighbour
  // on the pixel's side: weights 3 and 1 (or 4 alone), so each column sums
  // to 4x its level; across, the same again, so every pixel sums to 16x.
  int near = sy;
  if (p.ratioY == 2) near = y % 2 == 0 ? std::max(sy - 1, 0) : std::min(sy + 1, p.height - 1);
  const std::uint8_t* b = p.samples + near * p.stride;
  auto column = [&](int i) { return p.ratioY == 2 ? 3 * a[i] + b[i] : 4 * a[i]; };
  if (p.ratioX == 1) {
    for (int x = 0; x < width; ++x) out[x] = static_cast<std::uint8_t>((4 * column(x) + 8) >> 4);
    return;
  }
  int previous = column(0), current = previous;
  for (int i = 0, x = 0; x < width; ++i, x += 2) {
    const int next = i + 1 < p.width ? column(i + 1) : current;
    out[x] = static_cast<std::uint8_t>((3 * current + previous + 8) >> 4);
    if (x + 1 < width) out[x + 1] = static_cast<std::uint8_t>((3 * current + next + 8) >> 4);
    previous = current;
    current = next;
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
