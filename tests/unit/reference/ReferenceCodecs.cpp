#include "ReferenceCodecs.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

namespace nimbrel::art::reference {

namespace {

void AppendToBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

struct Cursor {
  const Bytes* bytes;
  std::size_t pos;
};

void ReadFromBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* in = static_cast<Cursor*>(png_get_io_ptr(png));
  if (in->bytes->size() - in->pos < length) png_error(png, "end of data");
  std::memcpy(data, in->bytes->data() + in->pos, length);
  in->pos += length;
}

int ChannelsOf(int colourType) { return colourType == 6 ? 4 : colourType == 2 ? 3 : colourType == 4 ? 2 : 1; }

}  // namespace

Bytes EncodePng(int width, int height, const Bytes& samples, const PngOptions& o) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, AppendToBytes, nullptr);
  png_set_IHDR(png, info, width, height, 8, o.colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (o.colourType == 3) {
    std::vector<png_color> palette(o.palette.size() / 3);
    for (std::size_t i = 0; i < palette.size(); ++i)
      palette[i] = {o.palette[3 * i], o.palette[3 * i + 1], o.palette[3 * i + 2]};
    png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (!o.paletteAlpha.empty())
      png_set_tRNS(png, info, o.paletteAlpha.data(), static_cast<int>(o.paletteAlpha.size()), nullptr);
  }
  png_set_filter(png, PNG_FILTER_TYPE_BASE, o.filters);
  png_set_compression_level(png, o.level);
  png_set_compression_strategy(png, o.strategy);
  png_write_info(png, info);
  const std::size_t stride = std::size_t(width) * ChannelsOf(o.colourType);
  for (int y = 0; y < height; ++y) png_write_row(png, samples.data() + y * stride);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::optional<Image> DecodePngWithLibpng(const Bytes& bytes) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Image image;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return std::nullopt;
  }
  Cursor cursor{&bytes, 0};
  png_set_read_fn(png, &cursor, ReadFromBytes);
  png_read_info(png, info);
  png_set_expand(png);  // palette to RGB, tRNS to alpha
  png_set_gray_to_rgb(png);
  png_read_update_info(png, info);
  const int channels = png_get_channels(png, info);
  image.width = static_cast<int>(png_get_image_width(png, info));
  image.height = static_cast<int>(png_get_image_height(png, info));
  Bytes rows(std::size_t(image.width) * image.height * channels);
  std::vector<png_bytep> pointers(image.height);
  for (int y = 0; y < image.height; ++y) pointers[y] = &rows[std::size_t(y) * image.width * channels];
  png_read_image(png, pointers.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  const std::size_t n = std::size_t(image.width) * image.height;
  image.rgb.resize(3 * n);
  if (channels == 4) image.alpha.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    for (int c = 0; c < 3; ++c) image.rgb[3 * i + c] = rows[i * channels + c];
    if (channels == 4) image.alpha[i] = rows[i * 4 + 3];
  }
  return image;
}

namespace {

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

void SetScans(jpeg_compress_struct& c, std::vector<jpeg_scan_info>& scans) {
  for (int i = 0; i < c.num_components; ++i) scans.push_back({1, {i}, 0, 63, 0, 0});
  c.scan_info = scans.data();
  c.num_scans = c.num_components;
}

}  // namespace

Bytes EncodeJpeg(const Image& image, const JpegOptions& o) {
  jpeg_compress_struct c{};
  JpegError error;
  c.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  std::vector<jpeg_scan_info> scans;
  Bytes grey;
  if (setjmp(error.jump)) {
    jpeg_destroy_compress(&c);
    std::free(buffer);
    return {};
  }
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = image.width;
  c.image_height = image.height;
  c.input_components = o.grey ? 1 : 3;
  c.in_color_space = o.grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, o.quality, TRUE);
  if (!o.grey) {
    c.comp_info[0].h_samp_factor = o.lumaH;
    c.comp_info[0].v_samp_factor = o.lumaV;
  }
  c.restart_interval = o.restartMcus;
  c.optimize_coding = o.optimize;
  c.arith_code = o.arithmetic;
  if (o.progressive) jpeg_simple_progression(&c);
  if (o.scanPerComponent) SetScans(c, scans);
  jpeg_start_compress(&c, TRUE);
  if (o.grey)
    for (std::size_t i = 0; i < image.rgb.size(); i += 3) grey.push_back(image.rgb[i]);
  const Bytes& rows = o.grey ? grey : image.rgb;
  const std::size_t stride = std::size_t(image.width) * c.input_components;
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&rows[c.next_scanline * stride]);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

std::optional<Image> DecodeJpegWithLibjpeg(const Bytes& bytes) {
  jpeg_decompress_struct d{};
  JpegError error;
  d.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  Image image;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&d);
    return std::nullopt;
  }
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, bytes.data(), bytes.size());
  jpeg_read_header(&d, TRUE);
  d.out_color_space = JCS_RGB;
  jpeg_start_decompress(&d);
  image.width = static_cast<int>(d.output_width);
  image.height = static_cast<int>(d.output_height);
  image.rgb.resize(std::size_t(image.width) * image.height * 3);
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = &image.rgb[std::size_t(d.output_scanline) * image.width * 3];
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  return image;
}

}  // namespace nimbrel::art::reference
