#include "ArtTestSupport.h"

#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace nimbrel::art::testing {

Bytes EncodePng(int width, int height, int channels, const Bytes& pixels) {
  Bytes png;
  stbi_write_png_to_func(
      [](void* out, void* data, int size) {
        auto* bytes = static_cast<const std::uint8_t*>(data);
        static_cast<Bytes*>(out)->insert(static_cast<Bytes*>(out)->end(), bytes, bytes + size);
      },
      &png, width, height, channels, pixels.data(), width * channels);
  return png;
}

}  // namespace nimbrel::art::testing
