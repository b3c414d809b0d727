// Distributions: value arrays that keep every value in place, threshold positions on both
// axis types, and the switch that moves the labels (the drawn result: test_distribution_browser.py).
#include "render/families/distribution.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/families/common/values.hpp"

namespace tess::render {
namespace {

using figure::Array;
using figure::DType;
using figure::Object;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(ValuesTest, Float32OnlyWhereEveryValueKeepsItsMagnitude) {
  EXPECT_EQ(compactArray({0.0, -3.5, 1e-30, 3e38, NaN}).dtype(), DType::F4);
  // A p-value under float32's normal range would round towards zero and leave a log axis;
  // one beyond its largest value would become infinite.
  for (double odd : {1e-60, -1e-39, 1e39, std::numeric_limits<double>::infinity()}) {
    figure::TypedArray kept = compactArray({1.0, odd});
    EXPECT_EQ(kept.dtype(), DType::F8) << odd;
    EXPECT_EQ(kept.at(1), odd);
  }
}

DistributionSpec spec(std::vector<std::pair<std::string, double>> thresholds, bool log) {
  DistributionSpec s;
  s.panels = {{"", {{"a", {1.0, 2.0, NaN, 4.0}, std::nullopt}}}};
  s.thresholds = std::move(thresholds);
  s.log = log;
  return s;
}

const Object& layoutOf(const figure::Figure& fig, const char* key, std::size_t i) {
  return fig.layout.at(key).asArray().at(i).asObject();
}

// The linear and log buttons' relayouts.
std::pair<Object, Object> switchStates(const figure::Figure& fig) {
  for (const figure::Value& menu : fig.layout.at("updatemenus").asArray()) {
    const Array& buttons = menu.asObject().at("buttons").asArray();
    if (buttons.at(0).asObject().at("label") == figure::Value("linear"))
      return {buttons.at(0).asObject().at("args").asArray().at(0).asObject(),
              buttons.at(1).asObject().at("args").asArray().at(0).asObject()};
  }
  ADD_FAILURE() << "no axis switch";
  return {};
}

TEST(DistributionTest, ThresholdLabelsTakeLogPositionsOnALogAxisAndFollowTheSwitch) {
  figure::Figure fig = distribution(spec({{"low", 100.0}, {"none", 0.0}}, true));
  // Lines take values on either axis type; labels take log10 on a log axis.
  EXPECT_EQ(layoutOf(fig, "shapes", 0).at("y0"), figure::Value(100.0));
  EXPECT_EQ(layoutOf(fig, "annotations", 0).at("y"), figure::Value(2.0));
  // Zero has no place on a log axis: line and label start hidden and come back on linear.
  EXPECT_EQ(layoutOf(fig, "shapes", 1).at("visible"), figure::Value(false));
  EXPECT_EQ(layoutOf(fig, "annotations", 1).at("visible"), figure::Value(false));
  auto [linear, log] = switchStates(fig);
  EXPECT_EQ(linear.at("annotations[0].y"), figure::Value(100.0));
  EXPECT_EQ(log.at("annotations[0].y"), figure::Value(2.0));
  EXPECT_EQ(linear.at("annotations[1].y"), figure::Value(0.0));  // written, so plotly does not convert it
  EXPECT_EQ(linear.at("shapes[1].visible"), figure::Value(true));
  EXPECT_EQ(log.at("annotations[1].visible"), figure::Value(false));
  EXPECT_EQ(log.find("shapes[0].visible"), nullptr);  // a positive threshold shows on both
}

}  // namespace
}  // namespace tess::render
