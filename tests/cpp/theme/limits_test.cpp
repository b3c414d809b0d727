// colorLimits(): robust ranges, explicit bounds and diverging symmetry.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "errors.hpp"
#include "theme/theme.hpp"

namespace {

using tess::theme::colorLimits;
using tess::theme::Limits;
using V = std::vector<double>;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double BIG = std::numeric_limits<double>::max();
constexpr auto none = std::nullopt;

V range(int n) {
  V v(n);
  std::iota(v.begin(), v.end(), 0.0);
  return v;
}

// tests/python/test_theme.py holds the trimming rule to a sorted reference over random data;
// these pin its boundary and what the reference leaves out: centres and explicit bounds.

TEST(limits_test, trimming_starts_at_100_finite_values) {
  // 99 finite values trim nothing; non-finite ones neither count nor show.
  V v = range(98);
  v.push_back(1e9);
  v.insert(v.end(), {NaN, NaN, -Inf});
  EXPECT_EQ(colorLimits(v), (Limits{0, 1e9, none}));
  v.push_back(-5);
  EXPECT_EQ(colorLimits(v), (Limits{0, 97, none}));
}

TEST(limits_test, results_stay_finite_and_ordered_at_the_edges_of_double) {
  for (const char* kind : {"sequential", "diverging"})
    for (const V& v : {V{-BIG, BIG}, V{BIG}, V{1e300}}) {
      Limits l = colorLimits(v, kind);
      EXPECT_TRUE(std::isfinite(l.low) && std::isfinite(l.high) && l.low < l.high) << kind << " " << v[0];
    }
}

TEST(limits_test, explicit_bounds) {
  V v = range(11);
  EXPECT_EQ(colorLimits(v, "sequential", 2.0, 5.0), (Limits{2, 5, none}));
  EXPECT_EQ(colorLimits(v, "sequential", 2.0, none), (Limits{2, 10, none}));
  EXPECT_EQ(colorLimits(v, "sequential", none, 5.0), (Limits{0, 5, none}));
  // The computed bound always lands on its own side of the given one.
  EXPECT_EQ(colorLimits(v, "sequential", 20.0, none), (Limits{20, 21, none}));
  EXPECT_EQ(colorLimits(v, "sequential", none, -3.0), (Limits{-4, -3, none}));
  EXPECT_EQ(colorLimits(v, "sequential", NaN, NaN, 3.0), (Limits{0, 10, none}));  // NaN: not given
}

TEST(limits_test, diverging_is_symmetric_about_the_center) {
  V v{-1, 0.5, 3};
  EXPECT_EQ(colorLimits(v, "DIVERGING", none, none, 10.0), (Limits{-1, 21, 10.0}));
  EXPECT_EQ(colorLimits(V{NaN, Inf}, "diverging", none, none, 5.0), (Limits{4, 6, 5.0}));
  EXPECT_EQ(colorLimits(v, "diverging", -2.0, none), (Limits{-2, 2, 0.0}));  // mirrored
  EXPECT_EQ(colorLimits(v, "diverging", none, 4.0, 1.0), (Limits{-2, 4, 1.0}));
  EXPECT_EQ(colorLimits(v, "diverging", -1.0, 5.0), (Limits{-1, 5, 0.0}));  // both kept
}

TEST(limits_test, bad_bounds_are_value_errors) {
  V v = range(5);
  EXPECT_THROW(colorLimits(v, "sequential", 1.0, 1.0), tess::ValueError);
  EXPECT_THROW(colorLimits(v, "diverging", none, none, -Inf), tess::ValueError);
  EXPECT_THROW(colorLimits(v, "diverging", 0.0, none), tess::ValueError);  // not below the center
  try {
    colorLimits(v, "sequential", 3.0, 1.0);
    FAIL();
  } catch (const tess::ValueError& e) {
    EXPECT_STREQ(e.what(), "vmin 3 must be below vmax 1");
  }
}

}  // namespace
