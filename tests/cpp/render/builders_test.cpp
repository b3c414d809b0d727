#include "render/controls/builders.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "errors.hpp"

namespace tess::render {
namespace {

// The slider and dropdown built from whole figures are checked from Python, against Python's
// own round() and format(); these pin the number text at ties and extremes those never reach.

TEST(NumberTextTest, GeneralFormatAsPythonWritesIt) {
  EXPECT_EQ(formatG(2.0), "2");
  EXPECT_EQ(formatG(1234567.0), "1.23457e+06");
  EXPECT_EQ(formatG(0.0001), "0.0001");
  EXPECT_EQ(formatG(0.00001), "1e-05");
  EXPECT_EQ(formatG(100000.0), "100000");
}

TEST(NumberTextTest, RoundingFollowsTheExactBinaryValueTiesToEven) {
  EXPECT_EQ(roundTo2(0.125), 0.12);   // exact tie, down to even
  EXPECT_EQ(roundTo2(0.375), 0.38);   // exact tie, up to even
  EXPECT_EQ(roundTo2(2.675), 2.67);   // stored just below the tie
  EXPECT_EQ(roundTo2(1.005), 1.0);    // stored just below the tie
  EXPECT_TRUE(std::signbit(roundTo2(-0.001)));
  EXPECT_EQ(roundTo2(1e300), 1e300);
  EXPECT_TRUE(std::isinf(roundTo2(INFINITY)));
  EXPECT_TRUE(std::isnan(roundTo2(NAN)));
}

TEST(DropdownTest, StateLayoutsMustMatchTheStates) {
  DropdownOptions options;
  options.stateLayout = {figure::Object{}};
  std::vector<std::string> labels{"a", "b"};
  std::vector<std::int64_t> groups{1, 1};
  EXPECT_THROW(dropdownControl(labels, groups, options), ValueError);
}

}  // namespace
}  // namespace tess::render
