// Intervals: what each ordering re-sends (escaping and the browser's view: tests/python/test_intervals*.py).
#include "render/families/intervals.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "errors.hpp"

namespace tess::render {
namespace {

using figure::Array;
using figure::Object;
using figure::Value;
using frame::Buffer;
using frame::Column;

IntervalsSpec spec() {
  IntervalsSpec s;
  std::vector<Column> columns{Column::numbers(Buffer::of(std::vector<double>{2.0, 5.0, 1.0})),
                              Column::numbers(Buffer::of(std::vector<double>{1.0, 4.0, 2.0})),
                              Column::numbers(Buffer::of(std::vector<double>{3.0, 7.0, 3.0})),
                              Column::strings({"up", "down", "none"})};
  s.frame = frame::Frame({"value", "low", "high", "kind"}, std::move(columns), Column::strings({"A", "B", "C"}));
  s.colorBy = frame::Name("kind");
  s.colors = {{"up", "#B2182B"}, {"down", "#2166AC"}};
  s.orders = {{"given", {0, 1, 2}}, {"reversed", {2, 1, -3}}};
  return s;
}

const Array& buttons(const figure::Figure& fig) {
  return fig.layout.at("updatemenus").asArray().at(0).asObject().at("buttons").asArray();
}

const Object& restyle(const figure::Figure& fig, std::size_t button) {
  return buttons(fig).at(button).asObject().at("args").asArray().at(0).asObject();
}

TEST(IntervalsTest, EveryOrderingCarriesTheColoursOfItsOwnRows) {
  figure::Figure fig = intervals(spec());
  EXPECT_EQ(fig.data.at(0).asObject().at("marker").asObject().at("color"),
            Value(Array{"#B2182B", "#2166AC", "#333333"}));
  EXPECT_EQ(restyle(fig, 0).at("marker.color"), Value(Array{Array{"#B2182B", "#2166AC", "#333333"}}));
  EXPECT_EQ(restyle(fig, 1).at("marker.color"), Value(Array{Array{"#333333", "#2166AC", "#B2182B"}}));
  EXPECT_EQ(restyle(fig, 1).at("y"), Value(Array{Array{"C", "B", "A"}}));
  // The axis takes the ordering's categories with it, so its ticks follow.
  const Object& relayout = buttons(fig).at(1).asObject().at("args").asArray().at(1).asObject();
  EXPECT_EQ(relayout.at("yaxis.categoryarray"), Value(Array{"C", "B", "A"}));
}

TEST(IntervalsTest, ErrorBarsReachFromTheEstimateAndKeepTheSignOfAValueOutsideItsInterval) {
  figure::Figure fig = intervals(spec());
  const Object& bars = fig.data.at(0).asObject().at("error_x").asObject();
  // C's estimate 1.0 lies below its interval (2.0, 3.0): both extents as they fall.
  EXPECT_EQ(bars.at("array"), Value(figure::TypedArray::of(std::vector<double>{1.0, 2.0, 2.0})));
  EXPECT_EQ(bars.at("arrayminus"), Value(figure::TypedArray::of(std::vector<double>{1.0, 1.0, -1.0})));
}

TEST(IntervalsTest, WithoutAColourColumnNoOrderingSendsColours) {
  IntervalsSpec s = spec();
  s.colorBy = frame::Name("absent");
  figure::Figure fig = intervals(s);
  EXPECT_EQ(fig.data.at(0).asObject().at("marker").asObject().at("color"), Value("#333333"));
  EXPECT_EQ(restyle(fig, 1).find("marker.color"), nullptr);
}

TEST(IntervalsTest, PositionsOutsideTheFrameAndUnplaceableReferencesAreRefused) {
  IntervalsSpec s = spec();
  s.orders = {{"bad", {0, 3}}};
  EXPECT_THROW(intervals(s), IndexError);
  s = spec();
  s.reference = std::numeric_limits<double>::quiet_NaN();
  EXPECT_THROW(intervals(s), ValueError);
}

}  // namespace
}  // namespace tess::render
