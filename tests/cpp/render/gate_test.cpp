// Gate: ranges numpy would not give, refusals and the count colour bar (the counts themselves
// against numpy's: tests/python/test_gate.py).
#include "render/families/gate.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace tess::render {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(Histogram, EqualValuesAndNoValuesGetARange) {
  Histogram same = histogram(NumberColumn::of({3.0, 3.0}), 4);
  EXPECT_EQ(same.edges.front(), 2.5);
  EXPECT_EQ(same.edges.back(), 3.5);
  EXPECT_EQ(same.counts, (std::vector<std::int64_t>{0, 0, 2, 0}));
  Histogram none = histogram(NumberColumn::of({NaN}), 2);
  EXPECT_EQ(none.edges, (std::vector<double>{0.0, 0.5, 1.0}));
  // Half a unit is lost on a value this large; the range still has width and holds it.
  Histogram huge = histogram(NumberColumn::of({1e300, 1e300}), 3);
  EXPECT_LT(huge.edges.front(), huge.edges.back());
  EXPECT_EQ(huge.counts[0] + huge.counts[1] + huge.counts[2], 2);
}

TEST(Histogram, RefusesWhatCannotBeBinned) {
  NumberColumn values = NumberColumn::of({1.0, 2.0});
  EXPECT_THROW(histogram(values, 0), ValueError);
  EXPECT_THROW(histogram(NumberColumn::of({-1e308, 1e308}), 5), ValueError);  // the span overflows
  EXPECT_THROW(histogram2(values, NumberColumn::of({1.0}), 5), ValueError);
  EXPECT_THROW(histogram2(values, values, 70000), ValueError);  // the grid's cells would overflow
}

std::vector<std::string> tickTexts(std::int64_t highest) {
  figure::Object bar = _countColorbar(highest);
  std::vector<std::string> out;
  for (const auto& t : bar.at("ticktext").asArray()) out.push_back(t.asString());
  return out;
}

TEST(CountColorbar, TicksPowersOfTenAndTheLargestCountInCells) {
  EXPECT_EQ(tickTexts(0), (std::vector<std::string>{"1"}));
  EXPECT_NEAR(_countColorbar(1).at("tickvals").asArray()[0].asDouble(), 0.693147, 1e-6);
  EXPECT_EQ(tickTexts(5), (std::vector<std::string>{"1", "5"}));
  EXPECT_EQ(tickTexts(100), (std::vector<std::string>{"1", "10", "100"}));
  EXPECT_EQ(tickTexts(12345), (std::vector<std::string>{"1", "10", "100", "1,000", "10,000", "12,345"}));
  EXPECT_EQ(tickTexts(std::numeric_limits<std::int64_t>::max()).back(), "9,223,372,036,854,775,807");
}

}  // namespace
}  // namespace tess::render
