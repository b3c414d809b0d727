// Colour scales by name and explicit scales.
#include <gtest/gtest.h>

#include "errors.hpp"
#include "theme/theme.hpp"

namespace {

using tess::figure::Array;
using tess::figure::Value;
using tess::theme::colorscale;
using tess::theme::explicitColorscale;

std::string colorAt(const Array& scale, std::size_t i) { return scale.at(i).asArray().at(1).asString(); }
double positionAt(const Array& scale, std::size_t i) { return scale.at(i).asArray().at(0).asDouble(); }
std::string ends(std::string_view name) {
  Array s = colorscale(name);
  return colorAt(s, 0) + " " + colorAt(s, s.size() - 1);
}

TEST(colorscale_test, every_named_map_rises_from_zero_to_one) {
  for (auto name : tess::theme::colormapNames()) {
    Array scale = colorscale(name);
    ASSERT_GE(scale.size(), 2u) << name;
    EXPECT_EQ(positionAt(scale, 0), 0.0) << name;
    EXPECT_EQ(positionAt(scale, scale.size() - 1), 1.0) << name;
    for (std::size_t i = 1; i < scale.size(); ++i) EXPECT_LT(positionAt(scale, i - 1), positionAt(scale, i)) << name;
  }
}

// Maps plotly also has are compared with plotly.py's by tests/python/test_theme.py.
TEST(colorscale_test, maps_plotly_lacks_run_the_usual_way) {
  EXPECT_EQ(ends("greys"), "#FFFFFF #000000");
  EXPECT_EQ(ends("bwr"), "#0000FF #FF0000");
  EXPECT_EQ(ends("coolwarm"), "#3B4CC0 #B40426");
}

TEST(colorscale_test, empty_name_takes_the_kinds_default) {
  EXPECT_EQ(colorscale("  ", "Diverging"), colorscale("rdbu_r"));
  EXPECT_EQ(colorscale("", "categorical"), colorscale("viridis"));
  EXPECT_EQ(colorscale("magma", "diverging"), colorscale("magma"));
}

TEST(colorscale_test, unknown_names_are_value_errors) {
  for (const char* name : {"viridisx", "_r", "viridis_r_r"}) EXPECT_THROW(colorscale(name), tess::ValueError) << name;
}

TEST(colorscale_test, explicit_scales) {
  Value pairs = Array{Array{0, "red"}, Array{0.5, "red"}, Array{0.5, "#00f"}, Array{1, "rgb(0,0,255)"}};
  EXPECT_EQ(Value(explicitColorscale(pairs)), pairs);
  EXPECT_EQ(Value(explicitColorscale(Value(Array{"red", "white", "blue"}))),
            Value(Array{Array{0.0, "red"}, Array{0.5, "white"}, Array{1.0, "blue"}}));
  EXPECT_THROW(explicitColorscale(Value(3)), tess::TypeError);
  for (const Value& bad : {
           Value(Array{"red"}),
           Value(Array{Array{0.1, "red"}, Array{1, "blue"}}),
           Value(Array{Array{0, "red"}, Array{0.7, "red"}, Array{0.3, "blue"}, Array{1, "blue"}}),
       }) {
    EXPECT_THROW(explicitColorscale(bad), tess::ValueError);
  }
}

}  // namespace
