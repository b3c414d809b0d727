// Shading counts: colour mixing, log-density opacity, empty and degenerate grids.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "errors.hpp"
#include "raster/shade.hpp"

namespace {

using namespace tess::raster;
using Pixel = std::array<int, 4>;

Pixel pixel(const Shaded& s, std::size_t p) {
  const std::uint8_t* q = &s.image.rgba[p * 4];
  return {q[0], q[1], q[2], q[3]};
}

Shaded shadeCounts(std::vector<std::uint32_t> counts, std::size_t rows, std::size_t cols, std::size_t channels,
                   std::vector<std::string> colors) {
  return shade(GridView{counts, rows, cols, channels}, colors);
}

TEST(shade_test, an_empty_grid_is_fully_transparent) {
  Shaded s = shadeCounts(std::vector<std::uint32_t>(12), 2, 3, 2, {"red", "blue"});
  EXPECT_EQ(s.image.rgba, std::vector<std::uint8_t>(24, 0));  // 2 x 3 pixels
  EXPECT_EQ(s.density, (Density{0, 0}));
}

TEST(shade_test, one_category_keeps_its_colour_and_opacity_follows_log_density) {
  Shaded s = shadeCounts({0, 1, 10, 100}, 1, 4, 1, {"#4C4C4C"});
  EXPECT_EQ(pixel(s, 0), (Pixel{0, 0, 0, 0}));
  EXPECT_EQ(pixel(s, 1), (Pixel{0x4C, 0x4C, 0x4C, 64}));   // MIN_ALPHA
  EXPECT_EQ(pixel(s, 2), (Pixel{0x4C, 0x4C, 0x4C, 159}));  // halfway in log
  EXPECT_EQ(pixel(s, 3), (Pixel{0x4C, 0x4C, 0x4C, 255}));
  EXPECT_EQ(s.density, (Density{1, 100}));
  EXPECT_EQ(s.colors, std::vector<std::string>{"#4C4C4C"});
  Shaded uniform = shadeCounts({7, 0, 7, 7}, 2, 2, 1, {"black"});  // a uniform density is opaque
  EXPECT_EQ(pixel(uniform, 0)[3], 255);
}

TEST(shade_test, every_byte_of_a_colour_survives_the_linear_round_trip) {
  for (int v = 0; v < 256; ++v) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%02X%02X%02X", v, 255 - v, v / 2);
    Shaded s = shadeCounts({3}, 1, 1, 1, {hex});
    EXPECT_EQ(pixel(s, 0), (Pixel{v, 255 - v, v / 2, 255})) << hex;
  }
}

TEST(shade_test, categories_mix_by_count_in_linear_light) {
  Shaded s = shadeCounts({3, 3, 0, 1, 0, 3}, 1, 2, 3, {"red", "lime", "blue"});
  EXPECT_EQ(pixel(s, 0), (Pixel{188, 188, 0, 255}));  // yellow, not olive (128, 128, 0)
  EXPECT_EQ(pixel(s, 1), (Pixel{137, 0, 225, 64}));   // a quarter red, the sparser pixel
  EXPECT_EQ(s.colors, (std::vector<std::string>{"#FF0000", "#00FF00", "#0000FF"}));
}

TEST(shade_test, translucent_colours_weigh_by_their_alpha) {
  Shaded s = shadeCounts({1, 1, 0, 2}, 1, 2, 2, {"red", "rgba(0, 0, 255, 0)"});
  EXPECT_EQ(pixel(s, 0), (Pixel{255, 0, 0, 128}));
  EXPECT_EQ(pixel(s, 1), (Pixel{0, 0, 0, 0}));  // only an invisible category here
  EXPECT_EQ(s.colors, (std::vector<std::string>{"#FF0000", "rgba(0,0,255,0)"}));
}

TEST(shade_test, many_categories_stay_within_bytes) {
  std::size_t channels = 64;
  std::vector<std::uint32_t> counts(channels, 4000000000u);  // the total passes 32 bits
  std::vector<std::string> colors(channels, "white");
  Shaded s = shadeCounts(counts, 1, 1, channels, colors);
  EXPECT_EQ(pixel(s, 0), (Pixel{255, 255, 255, 255}));
  EXPECT_EQ(s.density.high, 64ull * 4000000000ull);
}

TEST(shade_test, mismatches_are_value_errors) {
  EXPECT_THROW(shadeCounts({1, 2}, 1, 1, 2, {"red"}), tess::ValueError);
  EXPECT_THROW(shadeCounts({1}, 1, 1, 1, {"not a colour"}), tess::ValueError);
  EXPECT_THROW(shadeCounts({1, 2, 3}, 1, 2, 1, {"red"}), tess::ValueError);
}

}  // namespace
