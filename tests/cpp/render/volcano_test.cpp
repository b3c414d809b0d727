// Volcano codes and grids, and the index column tooltips name rows by (the figure itself:
// tests/python/test_volcano.py).
#include "render/families/volcano.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "errors.hpp"
#include "render/families/common/table.hpp"

namespace tess::render {
namespace {

using frame::Buffer;
using frame::Column;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(VolcanoTest, CodesCountZeroEffectsBothWaysAndNeverMatchNaN) {
  std::vector<double> effect{0.0, 2.0, -2.0, NaN, 2.0}, pvalue{0.01, 0.01, 0.01, 0.01, NaN};
  VolcanoCodes zero = _volcanoCodes(effect, pvalue, 0.05, 0.0);
  EXPECT_EQ(zero.codes, (std::vector<std::uint8_t>{VOLCANO_DOWN, VOLCANO_UP, VOLCANO_DOWN, VOLCANO_NULL, VOLCANO_NULL}));
  EXPECT_EQ(zero.up, 2);
  EXPECT_EQ(zero.down, 2);
  EXPECT_THROW(_volcanoCodes(effect, std::vector<double>{0.01}, 0.05, 1.0), ValueError);
}

TEST(VolcanoTest, GridsTakeInTheSpecsCutsOnce) {
  EXPECT_EQ(_volcanoPGrid(0.01), (std::vector<double>{0.05, 0.01, 0.001}));
  EXPECT_EQ(_volcanoPGrid(0.2), (std::vector<double>{0.2, 0.05, 0.01, 0.001}));
  EXPECT_EQ(_volcanoEffectGrid(1.0), (std::vector<double>{0.0, 0.5, 1.0, 2.0}));
  EXPECT_EQ(_volcanoEffectGrid(3.0), (std::vector<double>{0.0, 0.5, 1.0, 2.0, 3.0}));
}

TEST(VolcanoTest, TheIndexColumnReplacesOneOfItsNameAtTheEnd) {
  frame::Frame frame({"feature", "n"},
                     {Column::strings({"old", "older"}), Column::numbers(Buffer::of(std::vector<double>{1, 2}))},
                     Column::strings({"a<b", "c"}));
  frame::Frame out = withIndexColumn(frame, "feature");
  ASSERT_EQ(out.names(), (std::vector<frame::Name>{"n", "feature"}));
  EXPECT_EQ(out.text("feature", 0), "a<b");
  EXPECT_EQ(out.rows(), 2u);
}

}  // namespace
}  // namespace tess::render
