// The program's own pictures (res/art) as the windows ask for them, and the
// summaries the prepared-art fixture keeps of each one: the means of its 8 x
// 8 blocks, of each row and of each column. Shared by the test that checks
// them (EmbeddedArtTest) and by make_prepared_art, which wrote the fixture.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/FaceKeys.h"
#include "art/Art.h"
#include "core/Scale.h"

namespace nimbrel::art::testing {

// A picture as one window loads it: the file stem in res/art (keys in
// res/art/keys), the strip's frames and the size of one frame at the scale.
struct ArtUse {
  std::string file;  // "Face", "keys/Add", ...
  std::string resource;
  int frames = 1;
  int frameWidth = 0, height = 0;
  bool jpeg = true;
  Size drawn{};  // the variant's size at this scale, when not the strip's own
  Size Drawn() const { return drawn.width ? drawn : Size{frames * frameWidth, height}; }
};

// What the main window, the memory window and the options dialog ask
// LoadArt for at `s`: the background and About at the window's size, the
// memory strip's two frames of a slot (185 x 25), the options picture
// (drawn 282 x 258) inside its 233 x 209 panel less the bevel's line, and
// each key's strip.
inline std::vector<ArtUse> ArtUses(const Scale& s) {
  std::vector<ArtUse> uses = {
      {"Face", "FACE", 1, s(321), s(233)},
      {"About", "ABOUT", 1, s(321), s(233)},
      {"MemSlot", "MEMSLOT", 2, s(185), s(25)},
      {"Options", "OPTIONS", 1, s(233) - 2 * s.Line(), s(209) - 2 * s.Line(), true, {s(282), s(258)}},
  };
  for (const FaceKey& k : kFaceKeys)
    uses.push_back({"keys/" + std::string(k.name), std::string(k.name), k.frames, s(k.width), s(k.height), false});
  return uses;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The use's strip prepared from all four variants in `artDir`, as LoadArt
// prepares it from the resources.
inline std::optional<Image> Prepare(const std::string& artDir, const ArtUse& use) {
  std::vector<std::vector<std::uint8_t>> files;
  for (int dpi : kArtDpis) files.push_back(ReadBytes(artDir + "/" + use.file + "@" + std::to_string(dpi) + "." + (use.jpeg ? "jpg" : "png")));
  std::vector<std::span<const std::uint8_t>> variants(files.begin(), files.end());
  return PrepareArt(variants, use.frames, use.frameWidth, use.height);
}

// The picture reduced to the means of its blockWidth x blockHeight blocks
// (those at the right and bottom edges may be smaller), rounded.
inline Image BlockMeans(const Image& picture, int blockWidth, int blockHeight) {
  Image out;
  out.width = (picture.width + blockWidth - 1) / blockWidth;
  out.height = (picture.height + blockHeight - 1) / blockHeight;
  for (int by = 0; by < out.height; ++by)
    for (int bx = 0; bx < out.width; ++bx) {
      long sum[3] = {}, n = 0;
      for (int y = by * blockHeight; y < std::min(picture.height, (by + 1) * blockHeight); ++y)
        for (int x = bx * blockWidth; x < std::min(picture.width, (bx + 1) * blockWidth); ++x, ++n)
          for (int c = 0; c < 3; ++c) sum[c] += picture.Pixel(x, y)[c];
      for (int c = 0; c < 3; ++c) out.rgb.push_back(std::uint8_t((sum[c] + n / 2) / n));
    }
  return out;
}

// The fixture's three summaries of a prepared picture, by name.
struct Summary {
  const char* kind;
  Image means;
};

inline std::vector<Summary> Summaries(const Image& picture) {
  return {{"blocks", BlockMeans(picture, 8, 8)},
          {"rows", BlockMeans(picture, picture.width, 1)},
          {"columns", BlockMeans(picture, 1, picture.height)}};
}

// The percentages the fixture holds.
inline constexpr int kFixtureDpis[] = {96, 144, 192};

}  // namespace nimbrel::art::testing
