#include "art/Resample.h"

#include <algorithm>
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
  int channels;
};

void ScaleFrame(const FramePlanes& f, const Axis& ax, const Axis& ay) {
  const int columns = ax.size() * f.channels;
  std::vector<std::uint32_t> rows(std::size_t(columns) * f.sourceRows);
  for (int y = 0; y < f.sourceRows; ++y) {
    const std::uint8_t* in = f.source + y * f.sourceStride;
    std::uint32_t* out = &rows[std::size_t(y) * columns];
    for (int i = 0; i < ax.size(); ++i) {
      for (int c = 0; c < f.channels; ++c) {
        std::uint32_t sum = 0;
        const std::uint8_t* px = in + std::size_t(ax.first[i]) * f.channels + c;
        for (std::size_t k = ax.start[i]; k < ax.start[i + 1]; ++k, px += f.channels) sum += ax.weights[k] * *px;
        out[i * f.channels + c] = sum;
      }
    }
  }
  const std::uint64_t denominator = std::uint64_t(ax.denominator) * ay.denominator;
  for (int j = 0; j < ay.size(); ++j) {
    std::uint8_t* out = f.target + j * f.targetStride;
    for (int col = 0; col < columns; ++col) {
      std::uint64_t sum = 0;
      const std::uint32_t* in = &rows[std::size_t(ay.first[j]) * columns + col];
      for (std::size_t k = ay.start[j]; k < ay.start[j + 1]; ++k, in += columns) sum += std::uint64_t(ay.weights[k]) * *in;
      out[col] = static_cast<std::uint8_t>((sum + denominator / 2) / denominator);
    }
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
