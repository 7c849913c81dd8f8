#include "art/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace nimbrel::art {

namespace {

// How each target sample along one direction is made: integer weights over
// consecutive source samples, all with one common denominator.
struct Axis {
  std::vector<int> first;          // the first source sample of each target sample
  std::vector<std::size_t> start;  // where its weights begin; one more entry ends the last
  std::vector<std::uint32_t> weights;
  std::uint32_t denominator = 1;
  int size() const { return static_cast<int>(first.size()); }
};

// Target sample i covers [i S, (i+1) S) and source sample x covers
// [x T, (x+1) T), both in units of 1/T of a source sample: the weights are
// the overlaps, and they add up to S.
Axis BoxAxis(int source, int target) {
  Axis a;
  a.denominator = static_cast<std::uint32_t>(source);
  for (int i = 0; i < target; ++i) {
    const std::int64_t lo = std::int64_t(i) * source, hi = lo + source;
    const int x0 = static_cast<int>(lo / target), x1 = static_cast<int>((hi - 1) / target);
    a.first.push_back(x0);
    a.start.push_back(a.weights.size());
    for (int x = x0; x <= x1; ++x) {
      const std::int64_t overlap = std::min(hi, std::int64_t(x + 1) * target) - std::max(lo, std::int64_t(x) * target);
      a.weights.push_back(static_cast<std::uint32_t>(overlap));
    }
  }
  a.start.push_back(a.weights.size());
  return a;
}

// Target sample i's centre lies at ((2i + 1) S - T) / 2T in source samples:
// weights in units of 1/2T for the two source samples around it.
Axis BilinearAxis(int source, int target) {
  Axis a;
  const std::int64_t unit = 2 * std::int64_t(target);
  a.denominator = static_cast<std::uint32_t>(unit);
  for (int i = 0; i < target; ++i) {
    const std::int64_t p = (2 * std::int64_t(i) + 1) * source - target;
    const std::int64_t x0 = p <= 0 ? 0 : p / unit;
    a.start.push_back(a.weights.size());
    if (p <= 0 || x0 >= source - 1) {
      // Before the first centre or past the last: that pixel alone.
      a.first.push_back(p <= 0 ? 0 : source - 1);
      a.weights.push_back(static_cast<std::uint32_t>(unit));
      continue;
    }
    const std::uint32_t fraction = static_cast<std::uint32_t>(p % unit);
    a.first.push_back(static_cast<int>(x0));
    a.weights.push_back(static_cast<std::uint32_t>(unit) - fraction);
    a.weights.push_back(fraction);
  }
  a.start.push_back(a.weights.size());
  return a;
}

Axis MakeAxis(int source, int target) { return target <= source ? BoxAxis(source, target) : BilinearAxis(source, target); }

// One frame of an interleaved plane of `channels` bytes per pixel: rows
// first into sums over the horizontal weights, then columns of those.
struct FramePlanes {
  const std::uint8_t* source;
  std::size_t sourceStride;  // bytes per source row
  int sourceRows;
  std::uint8_t* target;
  std::size_t targetStride;
  int channels;  // 3 (RGB) or 1 (alpha)
};

// One row across: for each target pixel the weighted sum of its source
// pixels, channel by channel (still to be divided by the denominator; at
// most 255 x 2^16, and signed, since the x87 loads signed integers fastest).
template <int kChannels>
void ScaleRow(const std::uint8_t* in, const Axis& ax, std::int32_t* out) {
  for (int i = 0; i < ax.size(); ++i, out += kChannels) {
    std::uint32_t sum[kChannels] = {};
    const std::uint8_t* px = in + std::size_t(ax.first[i]) * kChannels;
    for (std::size_t k = ax.start[i]; k < ax.start[i + 1]; ++k, px += kChannels)
      for (int c = 0; c < kChannels; ++c) sum[c] += ax.weights[k] * px[c];
    for (int c = 0; c < kChannels; ++c) out[c] = static_cast<std::int32_t>(sum[c]);
  }
}

// Divides the whole-number sums by their denominator D (at most 2^32),
// rounding halves up, with a multiplication instead of a division: the
// exact quotient lies either on a half or at least 1/D (2^-32) from one,
// and the computed one is within 2^-44 of it, so a bias of 2^-38 lifts
// the halves over and moves nothing else across. lrint (to nearest) is one
// instruction where a cast to int would switch the x87's rounding mode.
struct Divider {
  double reciprocal;
  explicit Divider(std::uint64_t denominator) : reciprocal(1.0 / static_cast<double>(denominator)) {}
  std::uint8_t operator()(double sum) const { return static_cast<std::uint8_t>(std::lrint(sum * reciprocal + 0x1p-38)); }
};

// The most source samples any target sample is made of.
std::size_t Taps(const Axis& a) {
  std::size_t most = 1;
  for (int i = 0; i < a.size(); ++i) most = std::max(most, a.start[i + 1] - a.start[i]);
  return most;
}

// One frame: rows across first, then the columns of those down. A target
// row needs only a few consecutive source rows, later ones for later rows,
// so the rows across are kept in a ring of that many. The sums stay whole
// numbers below 2^53 all the way, so they are exact in doubles.
void ScaleFrame(const FramePlanes& f, const Axis& ax, const Axis& ay) {
  const std::size_t columns = std::size_t(ax.size()) * f.channels, taps = Taps(ay);
  std::vector<std::int32_t> ring(columns * taps);
  std::vector<double> sums(columns);
  const Divider divide(std::uint64_t(ax.denominator) * ay.denominator);
  std::size_t across = 0;  // source rows scaled across so far
  for (int j = 0; j < ay.size(); ++j) {
    const std::size_t first = ay.first[j], count = ay.start[j + 1] - ay.start[j];
    for (; across < first + count; ++across) {
      const std::uint8_t* in = f.source + across * f.sourceStride;
      std::int32_t* out = &ring[(across % taps) * columns];
      if (f.channels == 3) ScaleRow<3>(in, ax, out);
      if (f.channels == 1) ScaleRow<1>(in, ax, out);
    }
    std::fill(sums.begin(), sums.end(), 0.0);
    for (std::size_t k = 0; k < count; ++k) {
      const double weight = ay.weights[ay.start[j] + k];
      const std::int32_t* in = &ring[((first + k) % taps) * columns];
      for (std::size_t col = 0; col < columns; ++col) sums[col] += weight * in[col];
    }
    std::uint8_t* out = f.target + j * f.targetStride;
    for (std::size_t col = 0; col < columns; ++col) out[col] = divide(sums[col]);
  }
}

// One frame copied as it is.
void CopyFrame(const FramePlanes& f, int frameWidth) {
  for (int y = 0; y < f.sourceRows; ++y)
    std::copy_n(f.source + y * f.sourceStride, std::size_t(frameWidth) * f.channels, f.target + y * f.targetStride);
}

bool Consistent(const Image& image) {
  const std::size_t n = std::size_t(image.width) * image.height;
  return image.width >= 1 && image.height >= 1 && image.rgb.size() == 3 * n &&
         (image.alpha.empty() || image.alpha.size() == n);
}

// Scales every frame of one interleaved plane (RGB or alpha).
void ScalePlane(const std::uint8_t* source, const Image& from, int channels, std::uint8_t* target, int frames,
                int frameWidth, int height) {
  const int sourceFrameWidth = from.width / frames;
  const Axis ax = MakeAxis(sourceFrameWidth, frameWidth), ay = MakeAxis(from.height, height);
  const bool copy = sourceFrameWidth == frameWidth && from.height == height;
  for (int f = 0; f < frames; ++f) {
    const FramePlanes planes{source + std::size_t(f) * sourceFrameWidth * channels,
                             std::size_t(from.width) * channels, from.height,
                             target + std::size_t(f) * frameWidth * channels,
                             std::size_t(frames) * frameWidth * channels, channels};
    if (copy) {
      CopyFrame(planes, frameWidth);
    } else {
      ScaleFrame(planes, ax, ay);
    }
  }
}

}  // namespace

std::optional<Image> ResampleFrames(const Image& source, int frames, int frameWidth, int height) {
  if (frames < 1 || frameWidth < 1 || height < 1 || !Consistent(source) || source.width < frames) return std::nullopt;
  if (!SizeAllowed(std::int64_t(frames) * frameWidth, height)) return std::nullopt;
  Image out;
  out.width = frames * frameWidth;
  out.height = height;
  const std::size_t n = std::size_t(out.width) * height;
  out.rgb.resize(3 * n);
  ScalePlane(source.rgb.data(), source, 3, out.rgb.data(), frames, frameWidth, height);
  if (source.HasAlpha()) {
    out.alpha.resize(n);
    ScalePlane(source.alpha.data(), source, 1, out.alpha.data(), frames, frameWidth, height);
  }
  return out;
}

}  // namespace nimbrel::art
