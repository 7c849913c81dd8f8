// Writes the small pictures the tests carry with them, made with libpng and
// libjpeg: tests/unit/ArtSamples.h (pictures with libpng's and libjpeg's own
// decoding of them, for the tests that run under Wine as well) and the
// variants in tests/win/art/ that ArtWinTest.rc builds into the Windows
// test. Run by hand after a change here:
//   cmake --build build/native --target make_art_samples && build/native/make_art_samples .
#include <cstdio>
#include <fstream>
#include <string>

#include "../ArtTestSupport.h"
#include "ReferenceCodecs.h"

using namespace nimbrel::art;
using namespace nimbrel::art::reference;
using nimbrel::art::testing::MakeImage;

namespace {

void WriteArray(std::FILE* out, const char* name, const Bytes& bytes) {
  std::fprintf(out, "inline constexpr std::uint8_t %s[%zu] = {", name, bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) std::fprintf(out, "%s%u,", i % 24 ? "" : "\n    ", bytes[i]);
  std::fprintf(out, "\n};\n");
}

// A file and what the reference library reads from it.
void WriteSample(std::FILE* out, const std::string& name, const Bytes& file, const std::optional<Image>& read) {
  WriteArray(out, ("k" + name).c_str(), file);
  if (!read) return;
  std::fprintf(out, "inline constexpr int k%sWidth = %d, k%sHeight = %d;\n", name.c_str(), read->width, name.c_str(),
               read->height);
  WriteArray(out, ("k" + name + "Rgb").c_str(), read->rgb);
  if (read->HasAlpha()) WriteArray(out, ("k" + name + "Alpha").c_str(), read->alpha);
}

std::uint32_t Pattern(int x, int y) {
  return std::uint32_t((x * 37 + y * 11) & 255) << 16 | std::uint32_t((x * y * 7 + 40) & 255) << 8 |
         std::uint32_t((255 - y * 19) & 255);
}

void WriteHeader(const std::string& path) {
  std::FILE* out = std::fopen(path.c_str(), "w");
  std::fprintf(out, "// Made by tests/unit/reference/MakeArtSamples.cpp: small pictures, each with\n"
                    "// libpng's or libjpeg's own decoding of it.\n#pragma once\n\n#include <cstdint>\n\n"
                    "namespace nimbrel::art::samples {\n\n");
  const Image pattern = MakeImage(35, 21, Pattern);  // 3 x 2 MCUs: two restart markers
  auto jpeg = [&](const std::string& name, const Image& image, const JpegOptions& o, bool read) {
    const Bytes file = EncodeJpeg(image, o);
    WriteSample(out, name, file, read ? DecodeJpegWithLibjpeg(file) : std::nullopt);
  };
  jpeg("Jpeg420Restart", pattern, {.quality = 85, .lumaH = 2, .lumaV = 2, .restartMcus = 2}, true);
  jpeg("Jpeg444Scans", MakeImage(11, 7, Pattern), {.quality = 90, .scanPerComponent = true, .optimize = true}, true);
  jpeg("JpegGrey", MakeImage(9, 9, Pattern), {.quality = 75, .grey = true}, true);
  jpeg("JpegProgressive", MakeImage(8, 8, Pattern), {.progressive = true}, false);
  jpeg("JpegArithmetic", MakeImage(8, 8, Pattern), {.arithmetic = true}, false);

  Bytes rgba;
  for (int i = 0; i < 7 * 5; ++i)
    for (int c = 0; c < 4; ++c) rgba.push_back(std::uint8_t((i * 53 + c * 71) % 256));
  const Bytes png = EncodePng(7, 5, rgba, {.colourType = 6, .level = 9});
  WriteSample(out, "PngRgba", png, DecodePngWithLibpng(png));
  Bytes indices;
  for (int i = 0; i < 6 * 4; ++i) indices.push_back(std::uint8_t(i % 5));
  const Bytes palette = EncodePng(6, 4, indices,
                                  {.colourType = 3, .palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 8, 7, 200, 100, 50},
                                   .paletteAlpha = {0, 128, 255}});
  WriteSample(out, "PngPalette", palette, DecodePngWithLibpng(palette));
  std::fprintf(out, "\n}  // namespace nimbrel::art::samples\n");
  std::fclose(out);
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A strip of two flat frames, as RGB samples.
Bytes TwoFrames(int frameWidth, int height, std::uint32_t left, std::uint32_t right) {
  const Image image = MakeImage(2 * frameWidth, height, [&](int x, int) { return x < frameWidth ? left : right; });
  return image.rgb;
}

void WriteWindowsArt(const std::string& dir) {
  WriteFile(dir + "/dots_96.png", EncodePng(8, 4, TwoFrames(4, 4, 0x0A141E, 0x28323C), {}));
  WriteFile(dir + "/dots_144.png", EncodePng(12, 6, TwoFrames(6, 6, 0x46505A, 0x646E78), {}));
  WriteFile(dir + "/dots_192.png", EncodePng(16, 8, TwoFrames(8, 8, 0x828C96, 0xA0AAB4), {}));
  auto grey = [](int w, int h, std::uint32_t level) { return MakeImage(w, h, [&](int, int) { return level * 0x010101; }); };
  WriteFile(dir + "/photo_96.jpg", EncodeJpeg(grey(12, 9, 60), {.quality = 100, .lumaH = 2, .lumaV = 2}));
  WriteFile(dir + "/photo_288.jpg", EncodeJpeg(grey(36, 27, 180), {.quality = 100, .lumaH = 2, .lumaV = 2}));
  Bytes glass;
  for (int i = 0; i < 16; ++i) glass.insert(glass.end(), {200, 0, 0, std::uint8_t(i < 8 ? 128 : 255)});
  WriteFile(dir + "/glass_96.png", EncodePng(4, 4, glass, {.colourType = 6}));
  WriteFile(dir + "/broken_96.png", EncodePng(4, 4, grey(4, 4, 3).rgb, {}));
  Bytes broken = EncodePng(16, 16, grey(16, 16, 9).rgb, {.level = 0});
  broken.resize(broken.size() / 2);  // the header is whole, the picture data cut
  WriteFile(dir + "/broken_192.png", broken);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_art_samples SOURCE-FOLDER\n");
    return 2;
  }
  const std::string root = argv[1];
  WriteHeader(root + "/tests/unit/ArtSamples.h");
  WriteWindowsArt(root + "/tests/win/art");
  return 0;
}
