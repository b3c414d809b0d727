#include "render/finish/finish.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "layout/band.hpp"
#include "layout/constants.hpp"
#include "layout/control.hpp"
#include "layout/metrics.hpp"
#include "render/finish/band.hpp"
#include "render/finish/title_ticks.hpp"
#include "theme/theme.hpp"

namespace tess::render {
namespace {

using figure::Array;
using figure::Figure;
using figure::Object;
using figure::Value;

template <class T>
T with(auto set) {
  T value;
  set(value);
  return value;
}

double num(const Object& o, std::string_view key) { return o.at(key).asDouble(); }
const Object& margin(const Figure& f) { return f.layout.at("margin").asObject(); }

// A numeric figure: its margins come from fixed measures, so sizes can be checked exactly.
Figure numericFigure() {
  Figure fig;
  fig.addTrace(Object{{"type", "scatter"}, {"x", Array{1, 2}}, {"y", Array{3, 4}}});
  return fig;
}

// The drawing area as plotly draws it: the figure less its margins (each rounded on its own).
double plotWidth(const Figure& f) { return num(f.layout, "width") - num(margin(f), "l") - num(margin(f), "r"); }
double plotHeight(const Figure& f) { return num(f.layout, "height") - num(margin(f), "t") - num(margin(f), "b"); }

TEST(FinishTest, DrawingAreaClampedBeforeMarginsAndANoteTakesRoomAbove) {
  Figure plain = numericFigure();
  finishFigure(plain, {});
  EXPECT_NEAR(plotWidth(plain), theme::WIDTH, 1);
  EXPECT_NEAR(plotHeight(plain), theme::HEIGHT, 1);
  EXPECT_TRUE(plain.layout.at("title").isNull());
  Figure fig = numericFigure();
  finishFigure(fig, {}, with<FinishOptions>([](auto& o) { o.plot = PlotArea{1e6, 10}; }));
  EXPECT_NEAR(plotWidth(fig), layout::MAX_PLOT_WIDTH, 1);
  EXPECT_NEAR(plotHeight(fig), layout::MIN_PLOT_HEIGHT, 1);
  Figure narrow = numericFigure();
  finishFigure(narrow, with<SpecCommon>([](auto& s) { s.width = 50.0; }));
  EXPECT_NEAR(plotWidth(narrow), layout::MIN_PLOT_WIDTH, 1);
  Figure bad = numericFigure();
  EXPECT_THROW(finishFigure(bad, {}, with<FinishOptions>([](auto& o) { o.plot = PlotArea{std::nan(""), 2}; })), ValueError);
  // A note alone is the heading and takes room above.
  fig = numericFigure();
  finishFigure(fig, with<SpecCommon>([](auto& s) { s.note = "n = 10 <cells>"; }));
  const Object& title = fig.layout.at("title").asObject();
  EXPECT_EQ(title.at("text").asString(), "n = 10 &lt;cells&gt;");
  EXPECT_FALSE(title.contains("subtitle"));
  EXPECT_GT(num(margin(fig), "t"), num(margin(plain), "t"));
  EXPECT_NEAR(plotHeight(fig), plotHeight(plain), 1);
}

TEST(FinishTest, LongHeadingsWrapClearOfTheModeBarAndShortenOnlyPastTwoLines) {
  const std::string words = "A rather long title for a spatial transcriptomics section of a mouse brain, coronal";
  double corner = 240.0, width = 700.0;
  HeadingLines one = _headingLines("Short", "", width, corner);
  EXPECT_EQ(one.heading, std::vector<std::string>{"Short"});
  HeadingLines two = _headingLines(words, "", width, corner);
  ASSERT_EQ(two.heading.size(), 2u);
  EXPECT_LE(layout::textWidth(two.heading[0], theme::TITLE_PX), width - layout::PAGE_PAD - corner);
  EXPECT_EQ(two.heading[0] + " " + two.heading[1], words);  // nothing lost, nothing shortened
  HeadingLines cut = _headingLines(words + words + words, "", width, corner);
  ASSERT_EQ(cut.heading.size(), 2u);
  EXPECT_EQ(cut.heading[1].substr(cut.heading[1].size() - 3), "\u2026");
  EXPECT_GT(_headingHeight(two), _headingHeight(one));
}

TEST(FinishTest, ATallBandAndAnOverwideFigureStayInPlotlysLimits) {
  Figure fig = numericFigure();
  std::vector<Object> controls;
  for (int i = 0; i < 20; ++i)
    controls.push_back(layout::control(Object{{"type", "dropdown"}, {"buttons", Array{}}}, "dropdown"));
  finishFigure(fig, {}, with<FinishOptions>([&](auto& o) {
    o.plot = PlotArea{300, 200};
    o.controls = controls;
  }));
  for (const Value& menu : fig.layout.at("updatemenus").asArray()) EXPECT_LE(num(menu.asObject(), "y"), 3.0);
  // A figure too wide for the cap ends at the floor.
  fig = numericFigure();
  fig.addTrace(Object{{"type", "scatter"}, {"name", std::string(100, 'W')}});
  fig.addTrace(Object{{"type", "heatmap"}, {"colorbar", Object{{"title", Object{{"text", "z"}}}}}});
  finishFigure(fig, with<SpecCommon>([](auto& s) { s.width = 100000.0; }));
  EXPECT_GT(fig.layout.at("width").asInt(), 0);
  EXPECT_LE(fig.layout.at("width").asInt(), std::nearbyint(layout::MAX_FIGURE_WIDTH));
}

// Exact placement of a dropdown-and-slider band is pinned by the golden points figure.
TEST(PlaceControlsTest, RowsStackUpwardsAndOnlyLeftEntriesGetCaptions) {
  Figure fig;
  Object menu{{"type", "dropdown"}, {"buttons", Array{}}};
  Object slider{{"steps", Array{}}};
  std::vector<Object> rows = {Object{{"left", layout::control(menu, "dropdown", std::string("Key"))}},
                              Object{{"left", layout::control(slider, "slider")},
                                     {"right", layout::control(menu, "dropdown", std::string("unused"), "right")}}};
  Array captions = _placeControls(fig, rows, 400, 300, 60, 40);
  const Object& leftMenu = fig.layout.at("updatemenus").asArray()[1].asObject();
  // The last row sits nearest the plot, the first above it.
  double sliderY = num(fig.layout.at("sliders").asArray()[0].asObject(), "y");
  EXPECT_GT(sliderY, 1.0);
  EXPECT_GT(num(leftMenu, "y"), sliderY);
  ASSERT_EQ(captions.size(), 1u);  // the right-side label gets no caption
  EXPECT_EQ(captions[0].asObject().at("text").asString(), "<b>Key</b>");
  EXPECT_FALSE(rows[0].at("left").asObject().at("menu").asObject().contains("x"));
}

}  // namespace
}  // namespace tess::render
