// Colour parsing and rgba().
#include <gtest/gtest.h>

#include <cmath>

#include "errors.hpp"
#include "theme/theme.hpp"

namespace {

using tess::theme::Color;
using tess::theme::parseColor;
using tess::theme::rgba;

TEST(color_test, every_accepted_form) {
  EXPECT_EQ(parseColor("#f80"), (Color{255, 136, 0, 1}));
  EXPECT_EQ(parseColor("  #B2182B "), (Color{178, 24, 43, 1}));
  EXPECT_EQ(parseColor("#f008").a, 136 / 255.0);
  EXPECT_EQ(parseColor("RGBA(1,2,3,0.25)"), (Color{1, 2, 3, 0.25}));
  EXPECT_EQ(parseColor("rgb(1 2 3 / 50%)"), (Color{1, 2, 3, 0.5}));
  EXPECT_EQ(parseColor("rgb(100%, 0%, 50%)"), (Color{255, 0, 127.5, 1}));
  EXPECT_EQ(parseColor("rgba(300,-5,0,2)"), (Color{255, 0, 0, 1}));  // CSS clamps
  EXPECT_EQ(parseColor("hsl(120, 100%, 50%)"), (Color{0, 255, 0, 1}));
  EXPECT_EQ(parseColor("hsla(-120deg 100% 50% / 0.5)"), (Color{0, 0, 255, 0.5}));
  EXPECT_EQ(parseColor("RebeccaPurple"), (Color{0x66, 0x33, 0x99, 1}));
  EXPECT_EQ(parseColor("aliceblue"), (Color{240, 248, 255, 1}));     // first name
  EXPECT_EQ(parseColor("yellowgreen"), (Color{154, 205, 50, 1}));    // last name
  EXPECT_EQ(parseColor("transparent"), (Color{0, 0, 0, 0}));
}

TEST(color_test, malformed_colours_are_value_errors) {
  for (const char* text :
       {"", "  ", "#", "#fffff", "#ggg", "#ff00ff00ff", "rgb(1,2)", "rgb(1,2,3,4,5)", "rgb(1,2,3", "rgb(1,,2,3)",
        "rgb(1,2,3,)", "rgb(1 2, 3)", "rgb(1 2 / 3 4)", "rgb(1,2,3)x", "rgb(nan,0,0)", "hsl(10%,50%,50%)",
        "cmyk(0,0,0,0)", "notacolour", "red blue"}) {
    EXPECT_THROW(parseColor(text), tess::ValueError) << text;
  }
}

TEST(color_test, rgba_multiplies_the_colours_own_alpha) {
  EXPECT_EQ(rgba("#1F77B4", 0.15), "rgba(31,119,180,0.15)");
  EXPECT_EQ(rgba("rgba(10,20,30,0.5)", 0.5), "rgba(10,20,30,0.25)");
  EXPECT_EQ(rgba("#ff000080", 1.0), "rgba(255,0,0,0.502)");
  EXPECT_EQ(rgba("#000", -0.0), "rgba(0,0,0,0)");
  EXPECT_EQ(rgba("rgb(100%, 0%, 50%)", 1), "rgba(255,0,128,1)");
}

TEST(color_test, rgba_errors) {
  for (double alpha : {-0.01, 1.01, std::nan("")}) EXPECT_THROW(rgba("red", alpha), tess::ValueError);
  EXPECT_THROW(rgba("nope", 0.5), tess::ValueError);
}

}  // namespace
