// Intervals: error-bar extents (orderings, escaping and the browser's view: tests/python/test_intervals*.py).
#include "render/families/intervals.hpp"

#include <gtest/gtest.h>

namespace tess::render {
namespace {

using figure::Object;
using figure::Value;
using frame::Buffer;
using frame::Column;

TEST(IntervalsTest, ErrorBarsReachFromTheEstimateAndKeepTheSignOfAValueOutsideItsInterval) {
  auto numbers = [](std::vector<double> v) { return Column::numbers(Buffer::of(std::move(v))); };
  IntervalsSpec s;
  s.frame = frame::Frame({"value", "low", "high"},
                         {numbers({2.0, 5.0, 1.0}), numbers({1.0, 4.0, 2.0}), numbers({3.0, 7.0, 3.0})},
                         Column::strings({"A", "B", "C"}));
  figure::Figure fig = intervals(s);
  const Object& bars = fig.data.at(0).asObject().at("error_x").asObject();
  // C's estimate 1.0 lies below its interval (2.0, 3.0): both extents as they fall.
  EXPECT_EQ(bars.at("array"), Value(figure::TypedArray::of(std::vector<double>{1.0, 2.0, 2.0})));
  EXPECT_EQ(bars.at("arrayminus"), Value(figure::TypedArray::of(std::vector<double>{1.0, 1.0, -1.0})));
}

}  // namespace
}  // namespace tess::render
