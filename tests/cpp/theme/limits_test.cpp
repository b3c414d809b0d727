// colorLimits(): explicit bounds, centres and the edges of double. tests/python/test_theme.py holds
// the trimming rule to a sorted reference over random data.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "errors.hpp"
#include "theme/theme.hpp"

namespace {

using tess::theme::colorLimits;
using tess::theme::Limits;
using V = std::vector<double>;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double BIG = std::numeric_limits<double>::max();
constexpr auto none = std::nullopt;

TEST(limits_test, one_given_bound_keeps_the_other_on_its_own_side) {
  V v{0, 4, 10};
  EXPECT_EQ(colorLimits(v, "sequential", 2.0, none), (Limits{2, 10, none}));
  EXPECT_EQ(colorLimits(v, "sequential", 20.0, none), (Limits{20, 21, none}));
  EXPECT_EQ(colorLimits(v, "sequential", none, -3.0), (Limits{-4, -3, none}));
  EXPECT_EQ(colorLimits(v, "sequential", NaN, NaN, 3.0), (Limits{0, 10, none}));  // NaN: not given
  EXPECT_EQ(colorLimits(V{-1, 0.5, 3}, "DIVERGING", none, none, 10.0), (Limits{-1, 21, 10.0}));
  EXPECT_EQ(colorLimits(V{-1, 0.5, 3}, "diverging", -2.0, none), (Limits{-2, 2, 0.0}));  // mirrored
  EXPECT_EQ(colorLimits(V{-1, 0.5, 3}, "diverging", none, 4.0, 1.0), (Limits{-2, 4, 1.0}));
  EXPECT_THROW(colorLimits(v, "diverging", 0.0, none), tess::ValueError);  // not below the centre
  for (const char* kind : {"sequential", "diverging"})
    for (const V& big : {V{-BIG, BIG}, V{BIG}}) {
      Limits l = colorLimits(big, kind);
      EXPECT_TRUE(std::isfinite(l.low) && std::isfinite(l.high) && l.low < l.high) << kind << " " << big[0];
    }
}

}  // namespace
