#include "art/JpegPixels.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace nimbrel::art::jpeg {

namespace {

std::uint8_t ClampToByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// Rounds a level-shifted sample to the nearest level (halves to even, as
// the FPU rounds by default) and clamps it to 0-255. lrint is one
// instruction where a cast to int would switch the x87's rounding mode.
std::uint8_t RoundSample(float s) { return ClampToByte(static_cast<int>(std::lrint(s + 128.0f))); }

// One 8-point inverse DCT in place, `step` floats apart: Arai, Agui and
// Nakajima's factorisation, whose outputs are the definition's (with the
// inputs prescaled by DctPrescale) but for floating-point rounding.
void Idct8(float* d, int step) {
  // Even part: inputs 0, 2, 4, 6.
  float t0 = d[0], t1 = d[2 * step], t2 = d[4 * step], t3 = d[6 * step];
  float t10 = t0 + t2, t11 = t0 - t2;
  float t13 = t1 + t3, t12 = (t1 - t3) * 1.414213562f - t13;
  t0 = t10 + t13;
  t3 = t10 - t13;
  t1 = t11 + t12;
  t2 = t11 - t12;
  // Odd part: inputs 1, 3, 5, 7.
  float t4 = d[step], t5 = d[3 * step], t6 = d[5 * step], t7 = d[7 * step];
  const float z13 = t6 + t5, z10 = t6 - t5, z11 = t4 + t7, z12 = t4 - t7;
  t7 = z11 + z13;
  t11 = (z11 - z13) * 1.414213562f;
  const float z5 = (z10 + z12) * 1.847759065f;
  t10 = 1.082392200f * z12 - z5;
  t12 = -2.613125930f * z10 + z5;
  t6 = t12 - t7;
  t5 = t11 - t6;
  t4 = t10 + t5;
  d[0] = t0 + t7;
  d[7 * step] = t0 - t7;
  d[step] = t1 + t6;
  d[6 * step] = t1 - t6;
  d[2 * step] = t2 + t5;
  d[5 * step] = t2 - t5;
  d[4 * step] = t3 + t4;
  d[3 * step] = t3 - t4;
}

}  // namespace

float DctPrescale(int index) {
  static const struct Factors {
    float value[64];
    Factors() {
      const double pi = std::acos(-1.0);
      double s[8];
      for (int k = 0; k < 8; ++k) s[k] = k == 0 ? 1.0 : std::cos(k * pi / 16) * std::sqrt(2.0);
      for (int i = 0; i < 64; ++i) value[i] = static_cast<float>(s[i / 8] * s[i % 8] / 8);
    }
  } factors;
  return factors.value[index];
}

void InverseDct(const float in[64], std::uint8_t* out, std::size_t stride) {
  float w[64];
  // Columns first; a column with nothing but its DC term is flat, and in
  // most blocks most columns are.
  for (int x = 0; x < 8; ++x) {
    bool flat = true;
    for (int v = 1; v < 8 && flat; ++v) flat = in[v * 8 + x] == 0;
    for (int v = 0; v < 8; ++v) w[v * 8 + x] = flat ? in[x] : in[v * 8 + x];
    if (!flat) Idct8(&w[x], 8);
  }
  for (int y = 0; y < 8; ++y) {
    Idct8(&w[y * 8], 1);
    for (int x = 0; x < 8; ++x) out[y * stride + x] = RoundSample(w[y * 8 + x]);
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
