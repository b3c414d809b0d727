#include "render/controls/builders.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "layout/constants.hpp"
#include "layout/slider.hpp"
#include "theme/theme.hpp"

namespace tess::render {
namespace {

using figure::Array;
using figure::Figure;
using figure::Object;
using figure::TypedArray;
using figure::Value;

Object sized(Value size) { return Object{{"type", "scatter"}, {"marker", Object{{"size", std::move(size)}}}}; }

Figure withTraces(std::vector<Object> traces) {
  Figure fig;
  for (auto& t : traces) fig.addTrace(std::move(t));
  return fig;
}

const Object& menuOf(const Object& entry) { return entry.at("menu").asObject(); }
const Array& stepsOf(const Object& entry) { return menuOf(entry).at("steps").asArray(); }
const Array& argsOf(const Value& item) { return item.asObject().at("args").asArray(); }
const Value& payloadSizes(const Value& step) { return argsOf(step)[0].asObject().at("marker.size"); }

TEST(NumberTextTest, GeneralFormatAsPythonWritesIt) {
  EXPECT_EQ(formatG(0.5), "0.5");
  EXPECT_EQ(formatG(2.0), "2");
  EXPECT_EQ(formatG(6.4), "6.4");
  EXPECT_EQ(formatG(0.25), "0.25");
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
  EXPECT_EQ(roundTo2(0.015), 0.01);   // stored just below the tie
  EXPECT_EQ(roundTo2(1.2345), 1.23);
  EXPECT_EQ(roundTo2(-2.5), -2.5);
  EXPECT_TRUE(std::signbit(roundTo2(-0.001)));
  EXPECT_EQ(roundTo2(1e300), 1e300);
  EXPECT_TRUE(std::isinf(roundTo2(INFINITY)));
  EXPECT_TRUE(std::isnan(roundTo2(NAN)));
}

TEST(SizeSliderTest, UniformSizesGiveTheAbsoluteLadderInPixels) {
  Figure fig = withTraces({sized(6), Object{{"type", "heatmap"}}, sized(6), sized(6.4)});
  Object entry = sizeSlider(fig).value();
  EXPECT_EQ(entry.at("kind"), Value("slider"));
  EXPECT_FALSE(entry.contains("label"));
  const Object& slider = menuOf(entry);
  std::vector<std::string> keys;
  for (const auto& [key, value] : slider) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"active", "steps", "pad", "currentvalue", "ticklen", "tickwidth",
                                            "bgcolor", "bordercolor"}));
  EXPECT_EQ(slider.at("currentvalue"),
            Value(Object{{"prefix", "point size: "},
                         {"suffix", " px"},
                         {"xanchor", "left"},
                         {"font", Object{{"size", theme::TICK_PX}, {"color", layout::CAPTION_COLOR}}}}));

  auto [ladder, active] = layout::sizeLadder(6.0);
  const Array& steps = stepsOf(entry);
  ASSERT_EQ(steps.size(), ladder.size());
  EXPECT_EQ(slider.at("active").asInt(), static_cast<std::int64_t>(active));
  EXPECT_EQ(steps.front().asObject().at("label"), Value("0.5"));
  EXPECT_EQ(steps[active].asObject().at("label"), Value("6"));
  for (std::size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(steps[i].asObject().at("method"), Value("restyle"));
    EXPECT_EQ(argsOf(steps[i]), (Array{Object{{"marker.size", Array{ladder[i], ladder[i], ladder[i]}}},
                                       Array{0, 2, 3}}));
  }
}

TEST(SizeSliderTest, ArraySizesScaleByFactorsWithEachTraceWrappedOnce) {
  Figure fig = withTraces({sized(Value(TypedArray::of(std::vector<double>{1.0, 3.33}))), sized(5)});
  Object entry = sizeSlider(fig, std::nullopt, "node size").value();
  const Object& slider = menuOf(entry);
  EXPECT_EQ(slider.at("currentvalue").asObject().at("prefix"), Value("node size: "));
  EXPECT_FALSE(slider.at("currentvalue").asObject().contains("suffix"));
  const Array& steps = stepsOf(entry);
  ASSERT_EQ(steps.size(), layout::SIZE_FACTORS.size());
  std::size_t one = static_cast<std::size_t>(slider.at("active").asInt());
  EXPECT_EQ(layout::SIZE_FACTORS[one], 1.0);
  EXPECT_EQ(steps[one].asObject().at("label"), Value("1\u00D7"));
  EXPECT_EQ(steps[1].asObject().at("label"), Value("0.5\u00D7"));
  // 3.33 × 0.25 = 0.8325 and 3.33 × 0.75 = 2.4975 round to two decimals.
  EXPECT_EQ(payloadSizes(steps[0]), Value(Array{Array{0.25, 0.83}, 1.25}));
  EXPECT_EQ(payloadSizes(steps[2]), Value(Array{Array{0.75, 2.5}, 3.75}));
  EXPECT_EQ(argsOf(steps[0])[1], Value(Array{0, 1}));
}

TEST(DropdownTest, AxisRetitlingEscapedCaptionAndPlacement) {
  std::vector<std::string> labels{"<b>x</b>", "CD8"};
  std::vector<std::int64_t> groups{1, 1};
  Object entry = dropdownControl(labels, groups,
                                 {.label = "feature", .active = 1, .align = "right", .axisTitle = "x",
                                  .axisBase = "log2 fold"});
  EXPECT_EQ(entry.at("label"), Value("feature"));
  EXPECT_EQ(entry.at("align"), Value("right"));
  const Object& menu = menuOf(entry);
  EXPECT_EQ(menu.at("active"), Value(1));
  const Array& buttons = menu.at("buttons").asArray();
  EXPECT_EQ(buttons[0].asObject().at("label"), Value("&lt;b&gt;x&lt;/b&gt;"));
  EXPECT_EQ(argsOf(buttons[0])[1], Value(Object{{"xaxis.title.text", "&lt;b&gt;x&lt;/b&gt; \u00B7 log2 fold"}}));
  EXPECT_EQ(argsOf(buttons[1])[1], Value(Object{{"xaxis.title.text", "CD8 \u00B7 log2 fold"}}));

  Object other = dropdownControl(labels, groups, {.axisTitle = "z", .axisBase = "ignored"});
  EXPECT_EQ(argsOf(menuOf(other).at("buttons").asArray()[0]).size(), 1u);
  EXPECT_THROW(dropdownControl(labels, groups, {.align = "middle"}), ValueError);
}

}  // namespace
}  // namespace tess::render
