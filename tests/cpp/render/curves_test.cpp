// Band outlines that step with their curve (the figure and its states: tests/python/test_curves.py).
#include "render/families/curves.hpp"

#include <gtest/gtest.h>

#include "errors.hpp"

namespace tess::render {
namespace {

TEST(BandOutlineTest, StepsHoldEachLimitUntilTheNextTimeAndComeBackAlongTheLowOne) {
  std::vector<double> time{0, 5, 9}, high{1.0, 0.7, 0.4}, low{1.0, 0.3, 0.1};
  auto [x, y] = _bandOutline(time, high, low, true);
  EXPECT_EQ(x, (std::vector<double>{0, 5, 5, 9, 9, 9, 9, 5, 5, 0}));
  EXPECT_EQ(y, (std::vector<double>{1.0, 1.0, 0.7, 0.7, 0.4, 0.1, 0.3, 0.3, 1.0, 1.0}));
  auto [lx, ly] = _bandOutline(time, high, low, false);  // straight segments join the points
  EXPECT_EQ(lx, (std::vector<double>{0, 5, 9, 9, 5, 0}));
  EXPECT_EQ(ly, (std::vector<double>{1.0, 0.7, 0.4, 0.1, 0.3, 1.0}));
  EXPECT_TRUE(_bandOutline({}, {}, {}, true).first.empty());
  EXPECT_THROW(_bandOutline(time, high, std::vector<double>{1.0}, true), ValueError);
}

}  // namespace
}  // namespace tess::render
