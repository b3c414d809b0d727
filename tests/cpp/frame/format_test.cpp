#include "frame/format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tess::frame {
namespace {

TEST(FormatTest, DoublesReadAsPythonRepr) {
  EXPECT_EQ(formatDouble(1.0), "1.0");
  EXPECT_EQ(formatDouble(0.1), "0.1");
  EXPECT_EQ(formatDouble(-2.5), "-2.5");
  EXPECT_EQ(formatDouble(0.0), "0.0");
  EXPECT_EQ(formatDouble(-0.0), "-0.0");
  EXPECT_EQ(formatDouble(123456789.123), "123456789.123");
  EXPECT_EQ(formatDouble(9007199254740994.0), "9007199254740994.0");
}

TEST(FormatTest, DoublesSwitchToScientificOutsideTenToMinusFourAndTenToSixteen) {
  EXPECT_EQ(formatDouble(1e-4), "0.0001");
  EXPECT_EQ(formatDouble(std::nextafter(1e-4, 0.0)), "9.999999999999999e-05");
  EXPECT_EQ(formatDouble(1e-5), "1e-05");
  EXPECT_EQ(formatDouble(9999999999999998.0), "9999999999999998.0");
  EXPECT_EQ(formatDouble(1e16), "1e+16");
  EXPECT_EQ(formatDouble(-1.5e16), "-1.5e+16");
  EXPECT_EQ(formatDouble(1e100), "1e+100");
  EXPECT_EQ(formatDouble(5e-324), "5e-324");
  EXPECT_EQ(formatDouble(std::numeric_limits<double>::max()), "1.7976931348623157e+308");
}

TEST(FormatTest, NonFiniteValuesHaveNoSignForNan) {
  EXPECT_EQ(formatDouble(std::numeric_limits<double>::quiet_NaN()), "nan");
  EXPECT_EQ(formatDouble(-std::numeric_limits<double>::quiet_NaN()), "nan");
  EXPECT_EQ(formatDouble(INFINITY), "inf");
  EXPECT_EQ(formatDouble(-INFINITY), "-inf");
  EXPECT_EQ(formatFloat(-INFINITY), "-inf");
  EXPECT_EQ(formatHalf(Half{0x7e00}), "nan");
  EXPECT_EQ(formatHalf(Half{0xfc00}), "-inf");
}

TEST(FormatTest, FloatsUseTheirOwnShortestDigitsAndATenToSixCutoff) {
  EXPECT_EQ(formatFloat(0.1f), "0.1");
  EXPECT_EQ(formatFloat(0.30000001f), "0.3");
  EXPECT_EQ(formatFloat(123456.7f), "123456.7");
  EXPECT_EQ(formatFloat(999999.94f), "999999.94");
  EXPECT_EQ(formatFloat(1e6f), "1e+06");
  EXPECT_EQ(formatFloat(16777216.0f), "1.6777216e+07");
  EXPECT_EQ(formatFloat(std::numeric_limits<float>::max()), "3.4028235e+38");
  EXPECT_EQ(formatFloat(std::numeric_limits<float>::denorm_min()), "1e-45");
  // float32(1e-4) lies just below 1e-4, so it is printed in scientific form.
  EXPECT_EQ(formatFloat(1e-4f), "1e-04");
  EXPECT_EQ(formatFloat(1.0001e-4f), "0.00010001");
}

TEST(FormatTest, HalvesUseTheirOwnShortestDigitsAndATenToThreeCutoff) {
  EXPECT_EQ(formatHalf(Half{15360}), "1.0");
  EXPECT_EQ(formatHalf(Half{11878}), "0.1");
  EXPECT_EQ(formatHalf(Half{13652}), "0.333");
  EXPECT_EQ(formatHalf(Half{25551}), "999.5");
  EXPECT_EQ(formatHalf(Half{25552}), "1e+03");
  EXPECT_EQ(formatHalf(Half{31743}), "6.55e+04");
  EXPECT_EQ(formatHalf(Half{26624}), "2.048e+03");
  EXPECT_EQ(formatHalf(Half{1678}), "0.0001");
  EXPECT_EQ(formatHalf(Half{1}), "6e-08");      // smallest subnormal
  EXPECT_EQ(formatHalf(Half{1023}), "6.1e-05");  // largest subnormal
  EXPECT_EQ(formatHalf(Half{2048}), "0.0001221");
  EXPECT_EQ(formatHalf(Half{0x8000}), "-0.0");
  EXPECT_EQ(formatHalf(Half{static_cast<std::uint16_t>(0x8000 | 11878)}), "-0.1");
}

TEST(FormatTest, IntegersAtTheirExtremes) {
  EXPECT_EQ(formatInt(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(formatInt(std::numeric_limits<std::int64_t>::max()), "9223372036854775807");
  EXPECT_EQ(formatUInt(std::numeric_limits<std::uint64_t>::max()), "18446744073709551615");
  EXPECT_EQ(formatBool(true), "True");
  EXPECT_EQ(formatBool(false), "False");
}

}  // namespace
}  // namespace tess::frame
