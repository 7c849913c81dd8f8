#include "art/Jpeg.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "art/JpegEntropy.h"
#include "art/JpegPixels.h"

namespace nimbrel::art {

namespace {

using jpeg::EntropyReader;
using jpeg::HuffmanTable;

// The natural (row by row) index of each coefficient in zigzag order.
constexpr std::uint8_t kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                      12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                      35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                      58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// Markers (the byte after 0xFF).
constexpr int kSof0 = 0xC0, kSof1 = 0xC1, kDht = 0xC4, kDac = 0xCC, kRst0 = 0xD0, kSoi = 0xD8, kEoi = 0xD9,
              kSos = 0xDA, kDqt = 0xDB, kDri = 0xDD, kTem = 0x01;

bool IsFrameMarker(int m) { return m >= 0xC0 && m <= 0xCF && m != kDht && m != kDac && m != 0xC8; }

int BigEndian16(const std::uint8_t* p) { return p[0] << 8 | p[1]; }

struct Component {
  int id = 0, h = 1, v = 1, quant = 0;
  int dcTable = 0, acTable = 0;
  int width = 0, height = 0;  // samples that belong to the picture
  std::size_t stride = 0;     // the plane, padded to whole MCUs
  std::vector<std::uint8_t> plane;
  long long prediction = 0;   // the DC predictor
  bool scanned = false;
};

struct Frame {
  int width = 0, height = 0;
  int hmax = 1, vmax = 1;
  int mcusX = 0, mcusY = 0;
  std::vector<Component> components;
};

// Reads and checks an SOF0/SOF1 segment's body; makes no planes yet.
ArtError ParseFrame(std::span<const std::uint8_t> b, Frame& f) {
  if (b.size() < 6) return ArtError::BadHeader;
  const int count = b[5];
  if (b.size() != 6 + 3 * std::size_t(count) || count == 0) return ArtError::BadHeader;
  if (b[0] != 8) return ArtError::Unsupported;  // 12-bit samples
  f.height = BigEndian16(&b[1]);
  f.width = BigEndian16(&b[3]);
  if (f.width == 0) return ArtError::BadHeader;
  if (f.height == 0 || (count != 1 && count != 3)) return ArtError::Unsupported;  // DNL, CMYK, ...
  f.components.assign(count, Component{});
  for (int i = 0; i < count; ++i) {
    Component& c = f.components[i];
    c.id = b[6 + 3 * i];
    c.h = b[7 + 3 * i] >> 4;
    c.v = b[7 + 3 * i] & 15;
    c.quant = b[8 + 3 * i];
    if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.quant > 3) return ArtError::BadHeader;
    if (c.h > 2 || c.v > 2) return ArtError::Unsupported;
    for (int j = 0; j < i; ++j)
      if (f.components[j].id == c.id) return ArtError::BadHeader;
    f.hmax = std::max(f.hmax, c.h);
    f.vmax = std::max(f.vmax, c.v);
  }
  return SizeAllowed(f.width, f.height) ? ArtError::None : ArtError::TooLarge;
}

// Gives every component its plane, padded to whole MCUs.
void MakePlanes(Frame& f) {
  f.mcusX = (f.width + 8 * f.hmax - 1) / (8 * f.hmax);
  f.mcusY = (f.height + 8 * f.vmax - 1) / (8 * f.vmax);
  for (Component& c : f.components) {
    c.width = (f.width * c.h + f.hmax - 1) / f.hmax;
    c.height = (f.height * c.v + f.vmax - 1) / f.vmax;
    c.stride = std::size_t(f.mcusX) * c.h * 8;
    c.plane.assign(c.stride * f.mcusY * c.v * 8, 0);
  }
}

class Decoder {
 public:
  explicit Decoder(std::span<const std::uint8_t> data) : data_(data) {}
  ArtError Decode(Image& image);
  ArtError Peek(Size& size);

 private:
  int NextMarker();
  ArtError Segment(std::span<const std::uint8_t>& body);
  ArtError Handle(int marker);
  ArtError ReadQuant(std::span<const std::uint8_t> b);
  ArtError ReadHuffman(std::span<const std::uint8_t> b);
  ArtError ReadScanHeader(std::span<const std::uint8_t> b, std::vector<int>& order);
  ArtError DecodeScan(const std::vector<int>& order);
  ArtError Restart(EntropyReader& in, int& expected);
  ArtError DecodeBlock(EntropyReader& in, Component& c, int bx, int by);
  ArtError Finish(Image& image);

  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 2;
  float quant_[4][64] = {};  // natural order, with the IDCT's prescaling
  bool quantDefined_[4] = {};
  HuffmanTable dc_[4], ac_[4];
  int restartInterval_ = 0;
  Frame frame_;
  bool haveFrame_ = false;
};

// The next marker's code, skipping fill bytes and anything that isn't a
// marker (as libjpeg does); -1 at the end of the data.
int Decoder::NextMarker() {
  while (pos_ < data_.size()) {
    if (data_[pos_] != 0xFF) {
      ++pos_;
      continue;
    }
    std::size_t p = pos_ + 1;
    while (p < data_.size() && data_[p] == 0xFF) ++p;
    if (p >= data_.size()) break;
    pos_ = p + 1;
    if (data_[p] != 0x00) return data_[p];
  }
  pos_ = data_.size();
  return -1;
}

// The body of the segment at pos_, after its two length bytes.
ArtError Decoder::Segment(std::span<const std::uint8_t>& body) {
  if (data_.size() - pos_ < 2) return ArtError::Truncated;
  const std::size_t length = BigEndian16(&data_[pos_]);
  if (length < 2) return ArtError::BadHeader;
  if (data_.size() - pos_ < length) return ArtError::Truncated;
  body = data_.subspan(pos_ + 2, length - 2);
  pos_ += length;
  return ArtError::None;
}

ArtError Decoder::ReadQuant(std::span<const std::uint8_t> b) {
  std::size_t i = 0;
  while (i < b.size()) {
    const int precision = b[i] >> 4, id = b[i] & 15;
    const std::size_t need = 1 + 64 * std::size_t(precision + 1);
    if (precision > 1 || id > 3 || b.size() - i < need) return ArtError::BadHeader;
    for (int k = 0; k < 64; ++k) {
      const int value = precision ? BigEndian16(&b[i + 1 + 2 * k]) : b[i + 1 + k];
      quant_[id][kZigzag[k]] = static_cast<float>(value) * jpeg::DctPrescale(kZigzag[k]);
    }
    quantDefined_[id] = true;
    i += need;
  }
  return ArtError::None;
}

ArtError Decoder::ReadHuffman(std::span<const std::uint8_t> b) {
  std::size_t i = 0;
  while (i < b.size()) {
    const int tableClass = b[i] >> 4, id = b[i] & 15;
    if (tableClass > 1 || id > 3 || b.size() - i < 17) return ArtError::BadHeader;
    const auto counts = b.subspan(i + 1).first<16>();
    std::size_t total = 0;
    for (std::uint8_t c : counts) total += c;
    if (b.size() - i - 17 < total) return ArtError::BadHeader;
    HuffmanTable& table = tableClass == 0 ? dc_[id] : ac_[id];
    if (ArtError e = jpeg::BuildHuffmanTable(counts, b.subspan(i + 17, total), table); e != ArtError::None) return e;
    i += 17 + total;
  }
  return ArtError::None;
}

// An SOS header: which components the scan holds, in order, with their tables.
ArtError Decoder::ReadScanHeader(std::span<const std::uint8_t> b, std::vector<int>& order) {
  if (!haveFrame_) return ArtError::BadData;
  if (b.empty()) return ArtError::BadHeader;
  const std::size_t count = b[0];
  if (count < 1 || count > frame_.components.size() || b.size() != 4 + 2 * count) return ArtError::BadHeader;
  int blocks = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int id = b[1 + 2 * i], dc = b[2 + 2 * i] >> 4, ac = b[2 + 2 * i] & 15;
    int index = -1;
    for (std::size_t c = 0; c < frame_.components.size(); ++c)
      if (frame_.components[c].id == id) index = int(c);
    if (index < 0 || std::find(order.begin(), order.end(), index) != order.end()) return ArtError::BadHeader;
    Component& c = frame_.components[index];
    if (dc > 3 || ac > 3 || !dc_[dc].defined || !ac_[ac].defined || !quantDefined_[c.quant]) return ArtError::BadData;
    c.dcTable = dc;
    c.acTable = ac;
    blocks += c.h * c.v;
    order.push_back(index);
  }
  // Spectral selection and successive approximation are for progressive files.
  const std::uint8_t* tail = &b[1 + 2 * count];
  if (tail[0] != 0 || tail[1] != 63 || tail[2] != 0) return ArtError::BadHeader;
  return count > 1 && blocks > 10 ? ArtError::BadHeader : ArtError::None;
}

// One 8x8 block: its DC difference and AC run/size codes, dequantized and
// transformed into the component's plane at block (bx, by).
ArtError Decoder::DecodeBlock(EntropyReader& in, Component& c, int bx, int by) {
  float coefficients[64] = {};
  const float* q = quant_[c.quant];
  const int size = in.Decode(dc_[c.dcTable]);
  if (size < 0 || size > 11) return ArtError::BadData;
  c.prediction += in.Receive(size);
  coefficients[0] = static_cast<float>(c.prediction) * q[0];
  const HuffmanTable& ac = ac_[c.acTable];
  for (int k = 1; k < 64;) {
    const int rs = in.Decode(ac);
    if (rs < 0) return ArtError::BadData;
    const int run = rs >> 4, bits = rs & 15;
    if (bits == 0) {
      if (run != 15) break;  // end of block
      k += 16;               // sixteen zeros
      continue;
    }
    k += run;
    if (k > 63) return ArtError::BadData;
    coefficients[kZigzag[k]] = static_cast<float>(in.Receive(bits)) * q[kZigzag[k]];
    ++k;
  }
  jpeg::InverseDct(coefficients, &c.plane[std::size_t(by) * 8 * c.stride + std::size_t(bx) * 8], c.stride);
  return ArtError::None;
}

// Between two restart intervals: the buffered bits are dropped and the next
// marker must be the expected RSTn.
ArtError Decoder::Restart(EntropyReader& in, int& expected) {
  pos_ = in.position();
  const int marker = NextMarker();
  if (marker < 0) return ArtError::Truncated;
  if (marker != kRst0 + expected) return ArtError::BadData;
  expected = (expected + 1) & 7;
  in.Restart(pos_);
  return ArtError::None;
}

// The scan's MCUs: one block each when the scan holds one component (in
// that component's own grid), else each component's h x v blocks in turn.
ArtError Decoder::DecodeScan(const std::vector<int>& order) {
  const bool single = order.size() == 1;
  const Component& first = frame_.components[order[0]];
  const int across = single ? (first.width + 7) / 8 : frame_.mcusX;
  const int down = single ? (first.height + 7) / 8 : frame_.mcusY;
  EntropyReader in(data_, pos_);
  int expected = 0;
  for (int c : order) frame_.components[c].prediction = 0;
  for (long mcu = 0, total = long(across) * down; mcu < total; ++mcu) {
    if (restartInterval_ > 0 && mcu > 0 && mcu % restartInterval_ == 0) {
      if (ArtError e = Restart(in, expected); e != ArtError::None) return e;
      for (int c : order) frame_.components[c].prediction = 0;
    }
    const int mx = int(mcu % across), my = int(mcu / across);
    for (int index : order) {
      Component& c = frame_.components[index];
      const int w = single ? 1 : c.h, h = single ? 1 : c.v;
      for (int by = 0; by < h; ++by)
        for (int bx = 0; bx < w; ++bx)
          if (ArtError e = DecodeBlock(in, c, mx * w + bx, my * h + by); e != ArtError::None) return e;
    }
    if (in.Overrun()) return ArtError::Truncated;
  }
  for (int c : order) frame_.components[c].scanned = true;
  pos_ = in.position();
  return ArtError::None;
}

// Everything the marker before pos_ asks for, but the end of the picture.
ArtError Decoder::Handle(int marker) {
  if (marker == kSoi || (marker >= kRst0 && marker < kRst0 + 8)) return ArtError::BadData;
  if (marker == kTem) return ArtError::None;  // has no length
  std::span<const std::uint8_t> body;
  if (ArtError e = Segment(body); e != ArtError::None) return e;
  switch (marker) {
    case kDqt: return ReadQuant(body);
    case kDht: return ReadHuffman(body);
    case kDri:
      if (body.size() != 2) return ArtError::BadHeader;
      restartInterval_ = BigEndian16(body.data());
      return ArtError::None;
    case kSos: {
      std::vector<int> order;
      if (ArtError e = ReadScanHeader(body, order); e != ArtError::None) return e;
      return DecodeScan(order);
    }
    default: break;
  }
  if (marker == kDac) return ArtError::Unsupported;  // arithmetic coding
  if (!IsFrameMarker(marker)) return ArtError::None;  // APPn, COM and the like
  if (marker != kSof0 && marker != kSof1) return ArtError::Unsupported;
  if (haveFrame_) return ArtError::BadData;
  if (ArtError e = ParseFrame(body, frame_); e != ArtError::None) return e;
  MakePlanes(frame_);
  haveFrame_ = true;
  return ArtError::None;
}

// The planes to RGB, the chroma upsampled to the picture's size.
ArtError Decoder::Finish(Image& image) {
  if (!haveFrame_) return ArtError::BadData;
  const int n = int(frame_.components.size());
  for (const Component& c : frame_.components)
    if (!c.scanned) return ArtError::BadData;
  const int w = frame_.width;
  image.width = w;
  image.height = frame_.height;
  image.rgb.resize(std::size_t(w) * frame_.height * 3);
  image.alpha.clear();
  std::vector<std::uint8_t> rows(std::size_t(w) * n);
  for (int y = 0; y < frame_.height; ++y) {
    for (int i = 0; i < n; ++i) {
      const Component& c = frame_.components[i];
      jpeg::Plane plane{c.plane.data(), c.stride, c.width, c.height, frame_.hmax / c.h, frame_.vmax / c.v};
      // Like libjpeg, a component halved across to one or two samples is
      // upsampled by repeating its samples.
      plane.triangle = plane.ratioX == 1 || c.width > 2;
      jpeg::UpsampleRow(plane, y, w, &rows[std::size_t(i) * w]);
    }
    std::uint8_t* out = &image.rgb[std::size_t(y) * w * 3];
    if (n == 3) {
      jpeg::YCbCrToRgb(&rows[0], &rows[w], &rows[2 * std::size_t(w)], w, out);
    } else {
      for (int x = 0; x < w; ++x) out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = rows[x];
    }
  }
  return ArtError::None;
}

ArtError Decoder::Decode(Image& image) {
  if (!IsJpeg(data_)) return ArtError::NotAPicture;
  for (;;) {
    const int marker = NextMarker();
    if (marker < 0) return ArtError::Truncated;
    if (marker == kEoi) return Finish(image);
    if (ArtError e = Handle(marker); e != ArtError::None) return e;
  }
}

ArtError Decoder::Peek(Size& size) {
  if (!IsJpeg(data_)) return ArtError::NotAPicture;
  for (;;) {
    const int marker = NextMarker();
    if (marker < 0) return ArtError::Truncated;
    if (marker == kEoi || marker == kSos || marker == kSoi) return ArtError::BadData;  // no frame first
    if (marker == kTem || (marker >= kRst0 && marker < kRst0 + 8)) continue;
    std::span<const std::uint8_t> body;
    if (ArtError e = Segment(body); e != ArtError::None) return e;
    if (marker == kDac) return ArtError::Unsupported;
    if (!IsFrameMarker(marker)) continue;
    if (marker != kSof0 && marker != kSof1) return ArtError::Unsupported;
    if (ArtError e = ParseFrame(body, frame_); e != ArtError::None) return e;
    size = {frame_.width, frame_.height};
    return ArtError::None;
  }
}

}  // namespace

bool IsJpeg(std::span<const std::uint8_t> data) { return data.size() >= 2 && data[0] == 0xFF && data[1] == kSoi; }

std::optional<Image> DecodeJpeg(std::span<const std::uint8_t> data, ArtError* error) {
  Image image;
  const ArtError e = Decoder(data).Decode(image);
  if (error) *error = e;
  if (e != ArtError::None) return std::nullopt;
  return image;
}

std::optional<Size> PeekJpegSize(std::span<const std::uint8_t> data, ArtError* error) {
  Size size;
  const ArtError e = Decoder(data).Peek(size);
  if (error) *error = e;
  if (e != ArtError::None) return std::nullopt;
  return size;
}

}  // namespace nimbrel::art
