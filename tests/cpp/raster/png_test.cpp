// The PNG container: signature, chunk layout and checksums, and the deflated scanlines.
#include <gtest/gtest.h>

#include <zlib.h>

#include <string>
#include <vector>

#include "errors.hpp"
#include "raster/png.hpp"

namespace {

using namespace tess::raster;

std::uint32_t u32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(s[at + i]);
  return v;
}

struct Chunk {
  std::string type, data;
};

// Splits a PNG into its chunks, checking each CRC on the way.
std::vector<Chunk> chunks(const std::string& png) {
  std::vector<Chunk> out;
  for (std::size_t at = 8; at < png.size();) {
    std::uint32_t length = u32(png, at);
    Chunk c{png.substr(at + 4, 4), png.substr(at + 8, length)};
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + at + 4), length + 4);
    EXPECT_EQ(u32(png, at + 8 + length), crc) << c.type;
    out.push_back(c);
    at += 12 + length;
  }
  return out;
}

TEST(png_test, chunks_are_well_formed_and_scanlines_inflate_to_the_image_size) {
  const std::size_t rows = 3, cols = 5;
  std::vector<std::uint8_t> rgba(rows * cols * 4);
  for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<std::uint8_t>(i * 37);
  std::string png = encodePng({rgba, rows, cols});
  ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n"));
  std::vector<Chunk> parts = chunks(png);
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[0].type, "IHDR");
  EXPECT_EQ(parts[0].data.size(), 13u);
  EXPECT_EQ(u32(parts[0].data, 0), cols);
  EXPECT_EQ(u32(parts[0].data, 4), rows);
  EXPECT_EQ(parts[0].data.substr(8), std::string({8, 6, 0, 0, 0}));
  EXPECT_EQ(parts[1].type, "IDAT");
  EXPECT_EQ(parts[2].type, "IEND");
  EXPECT_TRUE(parts[2].data.empty());

  std::vector<std::uint8_t> raw(rows * (cols * 4 + 1) + 1);
  uLongf size = raw.size();
  ASSERT_EQ(uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(parts[1].data.data()), parts[1].data.size()),
            Z_OK);
  EXPECT_EQ(size, rows * (cols * 4 + 1));
  for (std::size_t r = 0; r < rows; ++r) EXPECT_EQ(raw[r * (cols * 4 + 1)], 0) << "filter byte of row " << r;
}

TEST(png_test, a_large_flat_image_compresses_well) {
  std::vector<std::uint8_t> rgba(512 * 512 * 4, 0);
  std::string uri = pngDataUri({rgba, 512, 512});
  EXPECT_EQ(uri.rfind("data:image/png;base64,iVBORw0KGgo", 0), 0u);
  EXPECT_LT(uri.size(), 2000u);
}

TEST(png_test, empty_or_mismatched_images_are_value_errors) {
  std::vector<std::uint8_t> four(4);
  EXPECT_THROW(encodePng({four, 0, 1}), tess::ValueError);
  EXPECT_THROW(encodePng({four, 1, 2}), tess::ValueError);
  EXPECT_THROW(encodePng({{}, 1, 1}), tess::ValueError);
}

}  // namespace
