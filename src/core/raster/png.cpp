// The PNG container around zlib's deflate: signature, IHDR, IDAT, IEND.
#include "raster/png.hpp"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "errors.hpp"
#include "figure/json.hpp"

namespace tess::raster {

namespace {

constexpr std::size_t BPP = 4;  // bytes per RGBA pixel
// PNG sizes are 31-bit.
constexpr std::size_t MAX_SIDE_PX = 0x7FFFFFFF;

// Scanlines, each led by filter type 0 (none): density images carry per-pixel noise in
// every channel, and the predicting filters measured larger and slower output on them.
std::vector<std::uint8_t> scanlines(const ImageView& image) {
  std::size_t stride = image.cols * BPP;
  std::vector<std::uint8_t> out((stride + 1) * image.rows, 0);
  for (std::size_t r = 0; r < image.rows; ++r)
    std::copy_n(image.rgba.data() + r * stride, stride, out.data() + r * (stride + 1) + 1);
  return out;
}

std::string deflated(const std::vector<std::uint8_t>& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string out(size, '\0');
  int status = compress2(reinterpret_cast<Bytef*>(out.data()), &size, raw.data(), static_cast<uLong>(raw.size()),
                         Z_DEFAULT_COMPRESSION);
  if (status != Z_OK) throw ValueError("image could not be compressed (zlib status " + std::to_string(status) + ")");
  out.resize(size);
  return out;
}

void putU32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void chunk(std::string& out, const char (&type)[5], const std::string& data) {
  putU32(out, static_cast<std::uint32_t>(data.size()));
  std::size_t start = out.size();
  out.append(type, 4);
  out += data;
  uLong crc = crc32_z(0, reinterpret_cast<const Bytef*>(out.data() + start), out.size() - start);
  putU32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::string encodePng(const ImageView& image) {
  if (image.rows < 1 || image.cols < 1) throw ValueError("an image needs at least one pixel");
  if (image.rows > MAX_SIDE_PX || image.cols > MAX_SIDE_PX ||
      !isProduct(image.rgba.size(), image.rows, image.cols, BPP))
    throw ValueError("image pixels do not match its size");
  std::string header;
  putU32(header, static_cast<std::uint32_t>(image.cols));
  putU32(header, static_cast<std::uint32_t>(image.rows));
  header += std::string{8, 6, 0, 0, 0};  // 8 bits per channel, RGBA, deflate, row filters, no interlace
  std::string out = "\x89PNG\r\n\x1A\n";
  chunk(out, "IHDR", header);
  chunk(out, "IDAT", deflated(scanlines(image)));
  chunk(out, "IEND", {});
  return out;
}

std::string pngDataUri(const ImageView& image) {
  std::string png = encodePng(image);
  return "data:image/png;base64," + figure::base64(reinterpret_cast<const std::byte*>(png.data()), png.size());
}

}  // namespace tess::raster
