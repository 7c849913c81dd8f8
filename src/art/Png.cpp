#include "art/Png.h"

#include <cstddef>
#include <cstdlib>
#include <vector>

#include "art/Checksum.h"
#include "art/Inflate.h"

namespace nimbrel::art {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

constexpr std::uint32_t Tag(const char (&s)[5]) {
  return std::uint32_t(std::uint8_t(s[0])) << 24 | std::uint32_t(std::uint8_t(s[1])) << 16 |
         std::uint32_t(std::uint8_t(s[2])) << 8 | std::uint32_t(std::uint8_t(s[3]));
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

struct Chunk {
  std::uint32_t type = 0;
  std::span<const std::uint8_t> data;
};

// Walks the chunks after the signature, checking each one's bounds and CRC.
class ChunkReader {
 public:
  explicit ChunkReader(std::span<const std::uint8_t> file) : file_(file) {}

  ArtError Next(Chunk& chunk) {
    if (file_.size() - pos_ < 8) return ArtError::Truncated;
    const std::uint32_t length = BigEndian32(&file_[pos_]);
    if (length > 0x7FFFFFFFu) return ArtError::BadHeader;
    if (file_.size() - pos_ - 8 < std::size_t{length} + 4) return ArtError::Truncated;
    const auto typeAndData = file_.subspan(pos_ + 4, std::size_t{length} + 4);
    if (Crc32(typeAndData) != BigEndian32(&file_[pos_ + 8 + length])) return ArtError::BadChecksum;
    chunk.type = BigEndian32(typeAndData.data());
    chunk.data = typeAndData.subspan(4);
    pos_ += std::size_t{length} + 12;
    return ArtError::None;
  }

 private:
  std::span<const std::uint8_t> file_;
  std::size_t pos_ = sizeof kSignature;
};

struct Header {
  int width = 0, height = 0;
  int colourType = 0;
  int channels = 0;  // bytes per pixel at 8 bits
};

// The bit depths PNG allows for each colour type.
bool LegalDepth(int colourType, int depth) {
  switch (colourType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2: case 4: case 6: return depth == 8 || depth == 16;
    default: return false;
  }
}

ArtError ParseHeader(const Chunk& ihdr, Header& h) {
  if (ihdr.type != Tag("IHDR") || ihdr.data.size() != 13) return ArtError::BadHeader;
  const std::uint8_t* p = ihdr.data.data();
  const std::uint32_t width = BigEndian32(p), height = BigEndian32(p + 4);
  const int depth = p[8], colourType = p[9];
  if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return ArtError::BadHeader;
  if (!LegalDepth(colourType, depth) || p[10] != 0 || p[11] != 0 || p[12] > 1) return ArtError::BadHeader;
  if (depth != 8 || p[12] != 0) return ArtError::Unsupported;  // other depths, interlacing
  if (!SizeAllowed(width, height)) return ArtError::TooLarge;
  static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
  h = {static_cast<int>(width), static_cast<int>(height), colourType, kChannels[colourType]};
  return ArtError::None;
}

// What the chunks before IEND say about the picture.
struct Chunks {
  Header header;
  std::vector<std::uint8_t> palette;       // RGB triples
  std::vector<std::uint8_t> paletteAlpha;  // tRNS for palette pictures
  bool keyed = false;                      // tRNS for grey and truecolour
  std::uint16_t key[3] = {};
  std::vector<std::uint8_t> compressed;    // the IDAT chunks, joined
};

ArtError ReadPalette(const Chunk& c, Chunks& s) {
  if (c.data.empty() || c.data.size() % 3 != 0 || c.data.size() > 3 * 256 || !s.compressed.empty())
    return ArtError::BadHeader;
  s.palette.assign(c.data.begin(), c.data.end());
  return ArtError::None;
}

ArtError ReadTransparency(const Chunk& c, Chunks& s) {
  const int type = s.header.colourType;
  if (type == 3) {
    if (s.palette.empty() || c.data.size() > s.palette.size() / 3) return ArtError::BadHeader;
    s.paletteAlpha.assign(c.data.begin(), c.data.end());
  } else if (type == 0 || type == 2) {
    if (c.data.size() != (type == 0 ? 2u : 6u)) return ArtError::BadHeader;
    for (std::size_t i = 0; i < c.data.size() / 2; ++i) s.key[i] = std::uint16_t(c.data[2 * i] << 8 | c.data[2 * i + 1]);
    if (type == 0) s.key[1] = s.key[2] = s.key[0];
    s.keyed = true;
  }
  return ArtError::None;  // types 4 and 6 have alpha already: ignored
}

// Reads IHDR and every chunk up to IEND.
ArtError ReadChunks(std::span<const std::uint8_t> data, Chunks& s) {
  if (!IsPng(data)) return ArtError::NotAPicture;
  ChunkReader reader(data);
  Chunk c;
  if (ArtError e = reader.Next(c); e != ArtError::None) return e;
  if (ArtError e = ParseHeader(c, s.header); e != ArtError::None) return e;
  for (;;) {
    if (ArtError e = reader.Next(c); e != ArtError::None) return e;
    ArtError e = ArtError::None;
    if (c.type == Tag("IEND")) break;
    if (c.type == Tag("IHDR")) e = ArtError::BadHeader;
    if (c.type == Tag("PLTE")) e = ReadPalette(c, s);
    if (c.type == Tag("tRNS")) e = ReadTransparency(c, s);
    if (c.type == Tag("IDAT")) s.compressed.insert(s.compressed.end(), c.data.begin(), c.data.end());
    // An unknown chunk that is critical (first letter upper case) can't be skipped.
    const bool known = c.type == Tag("IHDR") || c.type == Tag("PLTE") || c.type == Tag("IDAT");
    if (!known && !(c.type & 0x20000000u)) e = ArtError::Unsupported;
    if (e != ArtError::None) return e;
  }
  if (s.header.colourType == 3 && s.palette.empty()) return ArtError::BadHeader;
  return s.compressed.empty() ? ArtError::BadData : ArtError::None;
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Undoes one row's filter in place; `prior` is the row above (zeros for the first).
bool Unfilter(int filter, std::uint8_t* row, const std::uint8_t* prior, std::size_t length, int bpp) {
  switch (filter) {
    case 0: return true;
    case 1: for (std::size_t i = bpp; i < length; ++i) row[i] += row[i - bpp]; return true;
    case 2: for (std::size_t i = 0; i < length; ++i) row[i] += prior[i]; return true;
    case 3:
      for (std::size_t i = 0; i < length; ++i) row[i] += ((i >= std::size_t(bpp) ? row[i - bpp] : 0) + prior[i]) / 2;
      return true;
    case 4:
      for (std::size_t i = 0; i < length; ++i) {
        const bool left = i >= std::size_t(bpp);
        row[i] += Paeth(left ? row[i - bpp] : 0, prior[i], left ? prior[i - bpp] : 0);
      }
      return true;
    default: return false;
  }
}

// Removes the filter byte and filter of every row, leaving packed pixels.
ArtError UnfilterAll(std::vector<std::uint8_t>& raw, const Header& h) {
  const std::size_t length = std::size_t(h.width) * h.channels;
  const std::vector<std::uint8_t> zeros(length, 0);
  std::size_t out = 0;
  for (int y = 0; y < h.height; ++y) {
    const int filter = raw[y * (length + 1)];
    std::uint8_t* row = &raw[y * (length + 1) + 1];
    const std::uint8_t* prior = y == 0 ? zeros.data() : &raw[out - length];
    if (!Unfilter(filter, row, prior, length, h.channels)) return ArtError::BadData;
    for (std::size_t i = 0; i < length; ++i) raw[out + i] = row[i];  // shifts left by y + 1 bytes
    out += length;
  }
  raw.resize(out);
  return ArtError::None;
}

// Expands the packed pixels to RGB and, when the file has any, alpha.
ArtError ToImage(const std::vector<std::uint8_t>& px, const Chunks& s, Image& image) {
  const Header& h = s.header;
  const std::size_t n = std::size_t(h.width) * h.height;
  const bool alpha = h.colourType == 4 || h.colourType == 6 || s.keyed || !s.paletteAlpha.empty();
  image.width = h.width;
  image.height = h.height;
  image.rgb.resize(n * 3);
  image.alpha.assign(alpha ? n : 0, 255);
  const std::size_t entries = s.palette.size() / 3;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t* p = &px[i * h.channels];
    std::uint8_t* rgb = &image.rgb[i * 3];
    if (h.colourType == 3) {
      if (p[0] >= entries) return ArtError::BadData;
      for (int c = 0; c < 3; ++c) rgb[c] = s.palette[p[0] * 3 + c];
      if (alpha) image.alpha[i] = p[0] < s.paletteAlpha.size() ? s.paletteAlpha[p[0]] : 255;
      continue;
    }
    const bool grey = h.colourType == 0 || h.colourType == 4;
    for (int c = 0; c < 3; ++c) rgb[c] = grey ? p[0] : p[c];
    if (h.colourType == 4 || h.colourType == 6) image.alpha[i] = p[h.channels - 1];
    if (s.keyed && rgb[0] == s.key[0] && rgb[1] == s.key[1] && rgb[2] == s.key[2]) image.alpha[i] = 0;
  }
  return ArtError::None;
}

ArtError Decode(std::span<const std::uint8_t> data, Image& image) {
  Chunks s;
  if (ArtError e = ReadChunks(data, s); e != ArtError::None) return e;
  const Header& h = s.header;
  std::vector<std::uint8_t> raw(std::size_t(h.height) * (std::size_t(h.width) * h.channels + 1));
  if (ArtError e = InflateZlib(s.compressed, raw); e != ArtError::None) return e;
  if (ArtError e = UnfilterAll(raw, h); e != ArtError::None) return e;
  return ToImage(raw, s, image);
}

}  // namespace

bool IsPng(std::span<const std::uint8_t> data) {
  if (data.size() < sizeof kSignature) return false;
  for (std::size_t i = 0; i < sizeof kSignature; ++i)
    if (data[i] != kSignature[i]) return false;
  return true;
}

std::optional<Image> DecodePng(std::span<const std::uint8_t> data, ArtError* error) {
  Image image;
  const ArtError e = Decode(data, image);
  if (error) *error = e;
  if (e != ArtError::None) return std::nullopt;
  return image;
}

std::optional<Size> PeekPngSize(std::span<const std::uint8_t> data, ArtError* error) {
  ArtError e = IsPng(data) ? ArtError::None : ArtError::NotAPicture;
  ChunkReader reader(data);
  Chunk ihdr;
  Header h;
  if (e == ArtError::None) e = reader.Next(ihdr);
  if (e == ArtError::None) e = ParseHeader(ihdr, h);
  if (error) *error = e;
  if (e != ArtError::None) return std::nullopt;
  return Size{h.width, h.height};
}

}  // namespace nimbrel::art
