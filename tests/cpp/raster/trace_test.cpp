// The image trace: placement over the window, caption, key and checks.
#include <gtest/gtest.h>

#include <vector>

#include "errors.hpp"
#include "raster/trace.hpp"

namespace {

using namespace tess::raster;
using tess::figure::Array;
using tess::figure::Object;
using tess::figure::Value;

const std::vector<std::uint8_t> PIXELS(2 * 4 * 4, 255);  // 2 rows, 4 columns
const ImageView IMAGE{PIXELS, 2, 4};

TEST(trace_test, pixels_tile_the_window_exactly) {
  Object t = imageTrace(IMAGE, {10, 18, -1, 3}, {"#FF0000"}, {1, 9}, {}, "category");
  // Pixels 2 wide and tall whose outer edges are the window's: centres from (11, 0).
  for (auto [key, want] : {std::pair{"dx", 2.0}, {"dy", 2.0}, {"x0", 11.0}, {"y0", 0.0}})
    EXPECT_DOUBLE_EQ(t.at(key).asDouble(), want) << key;
  EXPECT_EQ(t.at("source").asString().rfind("data:image/png;base64,", 0), 0u);
}

// The key's label, categories and colours are checked from Python on a whole trace.
TEST(trace_test, the_caption_is_escaped_in_the_name_and_the_density_kept) {
  Object t = imageTrace(IMAGE, {0, 1, 0, 1}, {"#FF0000", "#0000FF"}, {2, 5}, {"T <cells>", "B"}, "type & 100%");
  EXPECT_EQ(t.at("name").asString(), "type &amp; 100&#37;");
  EXPECT_EQ(t.at("meta").asObject().at("density"), Value(Array{2, 5}));
}

TEST(trace_test, inconsistent_arguments_are_value_errors) {
  EXPECT_THROW(imageTrace(IMAGE, {0, 0, 0, 1}, {"red"}, {}, {}, ""), tess::ValueError);
  EXPECT_THROW(imageTrace(IMAGE, {0, 1, 0, 1}, {"red", "blue"}, {}, {"a"}, ""), tess::ValueError);
  EXPECT_THROW(imageTrace(IMAGE, {0, 1, 0, 1}, {"red"}, {5, 2}, {}, ""), tess::ValueError);
  EXPECT_THROW(imageTrace({PIXELS, 3, 4}, {0, 1, 0, 1}, {"red"}, {}, {}, ""), tess::ValueError);
}

}  // namespace
