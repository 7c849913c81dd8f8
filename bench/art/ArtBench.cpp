// How long our picture code takes: decoding a background-sized JPEG
// (963 x 699) and a key strip (PNG with alpha), and scaling them, with
// libjpeg's and libpng's decoding beside them where the native build has
// those libraries. Prints figures (the best of several runs, the least
// disturbed by other work on the machine) and never fails on time.
//
//   nimbrel-art-bench              pictures made here (native build only)
//   nimbrel-art-bench --write DIR  ... and written to DIR as well
//   nimbrel-art-bench FILE...      the given PNG or JPEG files (any build)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "art/Compose.h"
#include "art/Decode.h"
#include "art/Resample.h"

#ifdef NIMBREL_ART_REFERENCE
#include "reference/ReferenceCodecs.h"
#endif

namespace {

using nimbrel::art::Image;
using Bytes = std::vector<std::uint8_t>;

// The best time of `runs` calls, in milliseconds.
double Best(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  return *std::min_element(times.begin(), times.end());
}

// Decoding, then scaling to 5/6 (as from the 144 DPI variant for 120 DPI)
// and to the frame size of the next variant down (2/3).
void Measure(const std::string& name, const Bytes& file, int frames) {
  const std::optional<Image> picture = nimbrel::art::DecodeImage(file);
  if (!picture) {
    std::printf("%-28s cannot be decoded\n", name.c_str());
    return;
  }
  const int frameWidth = picture->width / frames, height = picture->height;
  const double decode = Best(15, [&] { (void)nimbrel::art::DecodeImage(file); });
  const double sixths = Best(15, [&] { (void)nimbrel::art::ResampleFrames(*picture, frames, frameWidth * 5 / 6, height * 5 / 6); });
  const double thirds = Best(15, [&] { (void)nimbrel::art::ResampleFrames(*picture, frames, frameWidth * 2 / 3, height * 2 / 3); });
  std::printf("%-28s %5d x %-4d %7zu bytes  decode %7.2f ms  scale 5/6 %6.2f ms  2/3 %6.2f ms\n", name.c_str(),
              picture->width, picture->height, file.size(), decode, sixths, thirds);
}

Bytes ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#ifdef NIMBREL_ART_REFERENCE
// A photograph-like picture: smooth shading with some fine detail.
Image Background(int width, int height) {
  Image image;
  image.width = width;
  image.height = height;
  std::uint32_t noise = 12345;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      noise = noise * 1103515245 + 12345;
      const int grain = int(noise >> 28);
      image.rgb.push_back(std::uint8_t((x * 200 / width + grain + (y / 40 % 2) * 20) & 255));
      image.rgb.push_back(std::uint8_t((y * 180 / height + 30 + grain) & 255));
      image.rgb.push_back(std::uint8_t(((x + y) * 150 / (width + height) + 60 + grain) & 255));
    }
  return image;
}

// A key strip: four frames of a rounded key with soft (alpha) edges.
Bytes KeyStrip(int frameWidth, int height) {
  Bytes rgba;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < 4 * frameWidth; ++x) {
      const int fx = x % frameWidth, f = x / frameWidth;
      const int edge = std::min({fx, frameWidth - 1 - fx, y, height - 1 - y});
      rgba.insert(rgba.end(), {std::uint8_t(60 + f * 40), std::uint8_t(90 + (fx * 7 + y * 3) % 50),
                               std::uint8_t(140 - f * 20), std::uint8_t(std::min(255, edge * 64))});
    }
  nimbrel::art::reference::PngOptions options;
  options.colourType = 6;
  options.level = 9;
  return nimbrel::art::reference::EncodePng(4 * frameWidth, height, rgba, options);
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void MeasureMadeHere(const char* folder) {
  using namespace nimbrel::art::reference;
  const Image background = Background(963, 699);
  const Bytes jpeg420 = EncodeJpeg(background, {.quality = 90, .lumaH = 2, .lumaV = 2});
  const Bytes jpeg444 = EncodeJpeg(background, {.quality = 90});
  const Bytes big = EncodeJpeg(Background(2889, 2097), {.quality = 90, .lumaH = 2, .lumaV = 2});
  const Bytes strip96 = KeyStrip(33, 25), strip288 = KeyStrip(99, 75);
  if (folder) {
    const std::string dir = folder;
    WriteFile(dir + "/background-420.jpg", jpeg420);
    WriteFile(dir + "/background-444.jpg", jpeg444);
    WriteFile(dir + "/background-288dpi.jpg", big);
    WriteFile(dir + "/strip-96dpi.png", strip96);
    WriteFile(dir + "/strip-288dpi.png", strip288);
  }
  Measure("background JPEG 4:2:0", jpeg420, 1);
  Measure("background JPEG 4:4:4", jpeg444, 1);
  Measure("background at 288 DPI 4:2:0", big, 1);
  Measure("key strip PNG at 96 DPI", strip96, 4);
  Measure("key strip PNG at 288 DPI", strip288, 4);
  std::printf("for comparison: libjpeg %.2f ms (963 x 699 4:2:0), libpng %.3f ms (strip at 288 DPI)\n",
              Best(15, [&] { (void)DecodeJpegWithLibjpeg(jpeg420); }),
              Best(15, [&] { (void)DecodePngWithLibpng(strip288); }));
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const bool write = argc == 3 && std::string(argv[1]) == "--write";
  if (!write) {
    for (int i = 1; i < argc; ++i) Measure(argv[i], ReadFile(argv[i]), std::string(argv[i]).find("strip") != std::string::npos ? 4 : 1);
    if (argc > 1) return 0;
  }
#ifdef NIMBREL_ART_REFERENCE
  MeasureMadeHere(write ? argv[2] : nullptr);
#else
  std::printf("usage: nimbrel-art-bench FILE... (this build makes no pictures of its own)\n");
#endif
  return 0;
}
