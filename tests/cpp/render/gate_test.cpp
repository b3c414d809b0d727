// Gate: binning in place (numpy's agreement: tests/python/test_gate.py), the count colour bar
// and what each dropdown state sets.
#include "render/families/gate.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>

namespace tess::render {
namespace {

using figure::Array;
using figure::Object;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

std::int64_t total(const std::vector<std::int64_t>& counts) {
  return std::accumulate(counts.begin(), counts.end(), std::int64_t{0});
}

TEST(Histogram, ReadsAStridedFloat32ColumnInPlaceAndDropsWhatIsNotFinite) {
  // Column 1 of a 4 x 3 row-major table.
  std::vector<float> table{9, 0.0f, 9, 9, NAN, 9, 9, 1.0f, 9, 9, INFINITY, 9};
  NumberColumn column{Strided<float>{table.data() + 1, 4, 3}, nullptr};
  Histogram h = histogram(column, 2);
  EXPECT_EQ(h.counts, (std::vector<std::int64_t>{1, 1}));
  EXPECT_EQ(h.edges, (std::vector<double>{0.0, 0.5, 1.0}));
  EXPECT_EQ(column.doubles().size(), 4u);
}

TEST(Histogram, EqualValuesAndNoValuesGetAUnitRange) {
  Histogram same = histogram(NumberColumn::of({3.0, 3.0}), 4);
  EXPECT_EQ(same.edges.front(), 2.5);
  EXPECT_EQ(same.edges.back(), 3.5);
  EXPECT_EQ(same.counts, (std::vector<std::int64_t>{0, 0, 2, 0}));
  Histogram none = histogram(NumberColumn::of({NaN, -Inf}), 2);
  EXPECT_EQ(none.edges, (std::vector<double>{0.0, 0.5, 1.0}));
  EXPECT_EQ(total(none.counts), 0);
  // Half a unit is lost on a value this large; the range still has width.
  Histogram huge = histogram(NumberColumn::of({1e300, 1e300}), 3);
  EXPECT_LT(huge.edges.front(), huge.edges.back());
  EXPECT_EQ(total(huge.counts), 2);
}

// The bin the edges give a value: the last edge at or below it, the closing edge in the last bin.
std::size_t binByEdges(const std::vector<double>& edges, double v) {
  std::size_t k = 0;
  while (k + 2 < edges.size() && v >= edges[k + 1]) ++k;
  return k;
}

TEST(Histogram, ValuesBesideEdgesFallWhereTheEdgesSay) {
  // Steps of 0.1 are not exact in binary: the guess from the range is off by one beside edges.
  std::vector<double> values;
  for (int i = 0; i <= 30; ++i) values.push_back(i * 0.1);
  Histogram h = histogram(NumberColumn::of(values), 30);
  std::vector<std::int64_t> expected(30, 0);
  for (double v : values) ++expected[binByEdges(h.edges, v)];
  EXPECT_EQ(h.counts, expected);
}

TEST(Histogram, SplittingOverCoresCountsWhatOnePassCounts) {
  // Large enough to be split; the serial count is built by hand from the same edges.
  std::size_t n = 1'000'003;
  std::vector<double> x(n), y(n);
  for (std::size_t i = 0; i < n; ++i) {
    x[i] = std::sin(static_cast<double>(i)) * 3.0;
    y[i] = i % 97 == 0 ? NaN : std::cos(static_cast<double>(i) * 0.7);
  }
  Histogram2 grid = histogram2(NumberColumn::of(x), NumberColumn::of(y), 7);
  std::vector<std::int64_t> expected(49, 0);
  for (std::size_t i = 0; i < n; ++i)
    if (std::isfinite(y[i])) ++expected[binByEdges(grid.yEdges, y[i]) * 7 + binByEdges(grid.xEdges, x[i])];
  EXPECT_EQ(grid.counts, expected);
  EXPECT_EQ(histogram(NumberColumn::of(x), 7).counts.size(), 7u);
}

TEST(Histogram, RefusesWhatCannotBeBinned) {
  NumberColumn values = NumberColumn::of({1.0, 2.0});
  EXPECT_THROW(histogram(values, 0), ValueError);
  EXPECT_THROW(histogram(NumberColumn::of({-1e308, 1e308}), 5), ValueError);
  EXPECT_THROW(histogram2(values, NumberColumn::of({1.0}), 5), ValueError);
  EXPECT_THROW(histogram2(values, values, 70000), ValueError);
}

std::vector<std::string> tickTexts(const Object& bar) {
  std::vector<std::string> out;
  for (const auto& t : bar.at("ticktext").asArray()) out.push_back(t.asString());
  return out;
}

TEST(CountColorbar, TicksPowersOfTenAndTheLargestCountInCells) {
  EXPECT_EQ(tickTexts(_countColorbar(0)), (std::vector<std::string>{"1"}));
  EXPECT_NEAR(_countColorbar(1).at("tickvals").asArray()[0].asDouble(), 0.693147, 1e-6);
  EXPECT_EQ(tickTexts(_countColorbar(5)), (std::vector<std::string>{"1", "5"}));
  EXPECT_EQ(tickTexts(_countColorbar(100)), (std::vector<std::string>{"1", "10", "100"}));
  EXPECT_EQ(tickTexts(_countColorbar(12345)),
            (std::vector<std::string>{"1", "10", "100", "1,000", "10,000", "12,345"}));
  std::int64_t most = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(tickTexts(_countColorbar(most)).back(), "9,223,372,036,854,775,807");
}

GateSpec twoMarkers() {
  GateSpec spec;
  spec.markers = {{"<b>CD3</b>", NumberColumn::of({0.1, 0.2, 0.9})}, {"CD19", NumberColumn::of({1.0, 2.0})}};
  spec.thresholds = {{"<b>CD3</b>", 0.4}};
  spec.bins = 4;
  return spec;
}

TEST(Gate, EachButtonShowsItsTraceWithItsGateAndAnEscapedTitle) {
  figure::Figure fig = gate(twoMarkers());
  const Array& buttons = fig.layout.at("updatemenus").asArray()[0].asObject().at("buttons").asArray();
  ASSERT_EQ(buttons.size(), 2u);
  const Array& first = buttons[0].asObject().at("args").asArray();
  EXPECT_EQ(first[1].asObject().at("xaxis.title.text").asString(), "&lt;b&gt;CD3&lt;/b&gt;");
  EXPECT_EQ(first[1].asObject().at("shapes").asArray()[0].asObject().at("x0").asDouble(), 0.4);
  const Object& second = buttons[1].asObject().at("args").asArray()[1].asObject();
  const Object& line = second.at("shapes").asArray()[0].asObject();
  EXPECT_EQ(line.at("name").asString(), "gate:CD19");
  EXPECT_EQ(line.at("x0").asDouble(), DEFAULT_GATE);
  EXPECT_EQ(fig.layout.at("shapes").asArray()[0].asObject().at("name").asString(), "gate:<b>CD3</b>");
}

TEST(Gate, AThresholdThatIsNotFiniteIsRefused) {
  GateSpec spec = twoMarkers();
  spec.thresholds["CD19"] = NaN;
  EXPECT_THROW(gate(spec), ValueError);
  spec = twoMarkers();
  spec.xticks = std::vector<double>{0.0, Inf};
  EXPECT_THROW(gate(spec), ValueError);
}

}  // namespace
}  // namespace tess::render
