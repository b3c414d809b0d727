// Band outlines that step with their curve (the figure and its states: tests/python/test_curves*.py).
#include "render/families/curves.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "errors.hpp"

namespace tess::render {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// NaN (a gap between pieces) as -1, so that outlines compare whole.
std::vector<double> gapsMarked(std::vector<double> values) {
  for (double& v : values)
    if (std::isnan(v)) v = -1;
  return values;
}

TEST(BandOutlineTest, LimitsHoldUntilTheNextTimeAndARowWithoutOneSplitsTheBand) {
  std::vector<double> time{0, 5, 9, 12}, high{1.0, NaN, 0.4, 0.3}, low{1.0, 0.3, 0.1, 0.05};
  auto [x, y] = _bandOutline(time, high, low, true);
  // Forward along the high limit, back along the low one. Row 0's limits hold until time 5,
  // where row 1 has none; rows 2 and 3 close a piece of their own.
  EXPECT_EQ(gapsMarked(x), (std::vector<double>{0, 5, 5, 0, -1, 9, 12, 12, 12, 12, 9}));
  EXPECT_EQ(gapsMarked(y), (std::vector<double>{1.0, 1.0, 1.0, 1.0, -1, 0.4, 0.4, 0.3, 0.05, 0.1, 0.1}));
  EXPECT_EQ(gapsMarked(_bandOutline(time, high, low, false).first), (std::vector<double>{0, 0, -1, 9, 12, 12, 9}));
  time[2] = NaN;  // a missing time ends a piece too
  EXPECT_EQ(gapsMarked(_bandOutline(time, high, low, false).first), (std::vector<double>{0, 0, -1, 12, 12}));
  EXPECT_THROW(_bandOutline(time, high, std::vector<double>{1.0}, true), ValueError);
}

}  // namespace
}  // namespace tess::render
