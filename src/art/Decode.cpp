#include "art/Decode.h"

namespace nimbrel::art {

const char* ErrorName(ArtError error) {
  switch (error) {
    case ArtError::None: return "none";
    case ArtError::NotAPicture: return "not a PNG or JPEG";
    case ArtError::Truncated: return "truncated";
    case ArtError::BadHeader: return "bad header";
    case ArtError::Unsupported: return "unsupported kind";
    case ArtError::TooLarge: return "too large";
    case ArtError::BadChecksum: return "bad checksum";
    case ArtError::BadData: return "damaged data";
  }
  return "?";
}

std::optional<Image> DecodeImage(std::span<const std::uint8_t> data, ArtError* error) {
  if (IsPng(data)) return DecodePng(data, error);
  if (IsJpeg(data)) return DecodeJpeg(data, error);
  if (error) *error = ArtError::NotAPicture;
  return std::nullopt;
}

std::optional<Size> PeekSize(std::span<const std::uint8_t> data, ArtError* error) {
  if (IsPng(data)) return PeekPngSize(data, error);
  if (IsJpeg(data)) return PeekJpegSize(data, error);
  if (error) *error = ArtError::NotAPicture;
  return std::nullopt;
}

}  // namespace nimbrel::art
