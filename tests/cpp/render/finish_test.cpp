#include "render/finish/finish.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "layout/band.hpp"
#include "layout/constants.hpp"
#include "layout/control.hpp"
#include "layout/ticks.hpp"
#include "render/entry/constants.hpp"
#include "render/finish/band.hpp"
#include "render/finish/title_ticks.hpp"
#include "theme/theme.hpp"

namespace tess::render {
namespace {

using figure::Array;
using figure::Figure;
using figure::Object;
using figure::Value;

SpecCommon specWith(auto set) {
  SpecCommon spec;
  set(spec);
  return spec;
}

FinishOptions optionsWith(auto set) {
  FinishOptions options;
  set(options);
  return options;
}

double num(const Object& o, std::string_view key) { return o.at(key).asDouble(); }
const Object& margin(const Figure& f) { return f.layout.at("margin").asObject(); }

// A numeric figure: its margins come from fixed measures, so sizes can be checked exactly.
Figure numericFigure() {
  Figure fig;
  fig.addTrace(Object{{"type", "scatter"}, {"x", Array{1, 2}}, {"y", Array{3, 4}}});
  return fig;
}

double numericLeft() { return layout::PAGE_PAD + NUMERIC_WIDTH; }
// Half a number can stand past the end of the x axis.
double numericRight() { return layout::PAGE_PAD + NUMERIC_WIDTH / 2.0 - layout::TICK_PAD; }
double numericBottom() {
  double level = layout::tickPolicy(std::vector<std::string>{"0"}, 1000.0, std::nullopt, 'x').extent;
  return layout::PAGE_PAD + level + layout::WATERMARK_HEIGHT;
}

TEST(FinishTest, DefaultDrawingAreaWithoutTitleOrBand) {
  Figure fig = numericFigure();
  finishFigure(fig, {});
  EXPECT_EQ(fig.layout.at("width").asInt(), std::nearbyint(theme::WIDTH + numericLeft() + numericRight()));
  EXPECT_EQ(margin(fig).at("t").asInt(), std::nearbyint(layout::PAGE_PAD));
  EXPECT_TRUE(fig.layout.at("title").isNull());
  EXPECT_TRUE(fig.layout.at("template").isObject());
}

TEST(FinishTest, PlotIsClampedBeforeMarginsAndMustBeFinite) {
  Figure fig = numericFigure();
  finishFigure(fig, {}, optionsWith([](auto& o) { o.plot = PlotArea{1e6, 10}; }));
  EXPECT_EQ(fig.layout.at("width").asInt(), std::nearbyint(layout::MAX_PLOT_WIDTH + numericLeft() + numericRight()));
  EXPECT_EQ(fig.layout.at("height").asInt(),
            std::nearbyint(layout::MIN_PLOT_HEIGHT + layout::PAGE_PAD + numericBottom()));
  Figure bad = numericFigure();
  EXPECT_THROW(finishFigure(bad, {}, optionsWith([](auto& o) { o.plot = PlotArea{std::nan(""), 2}; })), ValueError);
}

TEST(FinishTest, ANoteAloneIsTheHeadingAndStillTakesTheTitleGap) {
  Figure fig = numericFigure();
  finishFigure(fig, specWith([](auto& s) { s.note = "n = 10 <cells>"; }));
  const Object& title = fig.layout.at("title").asObject();
  EXPECT_EQ(title.at("text").asString(), "n = 10 &lt;cells&gt;");
  EXPECT_EQ(num(title.at("font").asObject(), "size"), theme::TICK_PX);
  EXPECT_EQ(title.at("font").asObject().at("color").asString(), NOTE_COLOR);
  EXPECT_FALSE(title.contains("subtitle"));
  double top = layout::PAGE_PAD + layout::titleHeight("", "n") + layout::TITLE_GAP;
  EXPECT_EQ(margin(fig).at("t").asInt(), std::nearbyint(top));
}

TEST(FinishTest, TitleAndNoteBecomeHeadingAndSubtitle) {
  Figure fig = numericFigure();
  finishFigure(fig, specWith([](auto& s) { s.title = "Cells"; s.note = "by sample"; }));
  const Object& title = fig.layout.at("title").asObject();
  EXPECT_EQ(num(title.at("font").asObject(), "size"), theme::TITLE_PX);
  EXPECT_EQ(title.at("subtitle").asObject().at("text").asString(), "by sample");
  EXPECT_EQ(title.at("xref").asString(), "container");
  EXPECT_DOUBLE_EQ(num(title, "x"), layout::PAGE_PAD / fig.layout.at("width").asDouble());
}

TEST(FinishTest, RequestedWidthShrinksTheDrawingAreaButNotBelowItsFloor) {
  Figure fig = numericFigure();
  finishFigure(fig, specWith([](auto& s) { s.width = 500.0; }));
  EXPECT_EQ(fig.layout.at("width").asInt(), 500);
  Figure narrow = numericFigure();
  finishFigure(narrow, specWith([](auto& s) { s.width = 50.0; }));
  EXPECT_EQ(narrow.layout.at("width").asInt(), std::nearbyint(layout::MIN_PLOT_WIDTH + numericLeft() + numericRight()));
}

TEST(FinishTest, FontSizeSetsTheLayoutFontAndTickFontWins) {
  Figure fig = numericFigure();
  finishFigure(fig, specWith([](auto& s) { s.fontPx = 15.0; }), optionsWith([](auto& o) { o.tickFont = 10.0; }));
  EXPECT_EQ(num(fig.layout.at("font").asObject(), "size"), 15.0);
  Figure legend = numericFigure();
  finishFigure(legend, specWith([](auto& s) { s.showLegend = false; }));
  EXPECT_FALSE(legend.layout.at("showlegend").asBool());
}

TEST(FinishTest, FamilyAnnotationsStayAheadOfCaptions) {
  Figure fig = numericFigure();
  fig.layout.set("annotations", Array{Object{{"text", "mine"}, {"xref", "x"}, {"yref", "y"}, {"x", 1}, {"y", 1}}});
  Object menu{{"type", "dropdown"}, {"buttons", Array{Object{{"label", "a"}}}}, {"active", 0}};
  finishFigure(fig, {}, optionsWith([&](auto& o) { o.controls = {layout::control(menu, "dropdown", std::string("Colour by"))}; }));
  const Array& notes = fig.layout.at("annotations").asArray();
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0].asObject().at("text").asString(), "mine");
  EXPECT_EQ(notes[1].asObject().at("text").asString(), "<b>Colour by</b>");
  EXPECT_EQ(fig.layout.at("updatemenus").asArray().size(), 1u);
}

TEST(FinishTest, ATallBandGetsADrawingAreaPlotlyAccepts) {
  Figure fig = numericFigure();
  std::vector<Object> controls;
  for (int i = 0; i < 20; ++i)
    controls.push_back(layout::control(Object{{"type", "dropdown"}, {"buttons", Array{}}}, "dropdown"));
  finishFigure(fig, {}, optionsWith([&](auto& o) {
    o.plot = PlotArea{300, 200};
    o.controls = controls;
  }));
  for (const Value& menu : fig.layout.at("updatemenus").asArray()) EXPECT_LE(num(menu.asObject(), "y"), 3.0);
}

TEST(FinishTest, AFigureTooWideForTheCapEndsAtTheFloor) {
  Figure fig = numericFigure();
  fig.addTrace(Object{{"type", "scatter"}, {"name", std::string(100, 'W')}});
  fig.addTrace(Object{{"type", "heatmap"}, {"colorbar", Object{{"title", Object{{"text", "z"}}}}}});
  finishFigure(fig, specWith([](auto& s) { s.width = 100000.0; }));
  EXPECT_GT(fig.layout.at("width").asInt(), 0);
  EXPECT_LE(fig.layout.at("width").asInt(), std::nearbyint(layout::MAX_FIGURE_WIDTH));
}

TEST(PlaceControlsTest, RowsStackUpwardsFromTheBandGap) {
  Figure fig;
  Object menu{{"type", "dropdown"}, {"buttons", Array{}}, {"bgcolor", "#EEEEEE"}};
  Object slider{{"steps", Array{}}};
  std::vector<Object> rows = {Object{{"left", layout::control(menu, "dropdown", std::string("Key"))}},
                              Object{{"left", layout::control(slider, "slider")},
                                     {"right", layout::control(menu, "dropdown", std::string("unused"), "right")}}};
  Array captions = _placeControls(fig, rows, 400, 300, 60, 40);
  const Object& rightMenu = fig.layout.at("updatemenus").asArray()[0].asObject();
  const Object& placedSlider = fig.layout.at("sliders").asArray()[0].asObject();
  // The last row sits nearest the plot; the first above it by the last row's height and a gap.
  EXPECT_DOUBLE_EQ(num(placedSlider, "y"), 1.0 + layout::BAND_GAP / 300);
  double sliderRow = layout::rowHeight("slider");
  EXPECT_DOUBLE_EQ(num(fig.layout.at("updatemenus").asArray()[1].asObject(), "y"),
                   1.0 + (layout::BAND_GAP + sliderRow + layout::ROW_GAP) / 300);
  EXPECT_DOUBLE_EQ(num(rightMenu, "x"), 1.0 + (40 - layout::PAGE_PAD) / 400);
  EXPECT_EQ(rightMenu.at("bgcolor").asString(), "#EEEEEE");
  EXPECT_EQ(rightMenu.at("bordercolor").asString(), MENU_BORDER);
  ASSERT_EQ(captions.size(), 1u);  // the right-side label gets no caption
  EXPECT_DOUBLE_EQ(num(captions[0].asObject(), "yshift"), (layout::rowHeight("dropdown") - theme::TICK_PX) / 2.0);
  EXPECT_FALSE(rows[0].at("left").asObject().at("menu").asObject().contains("x"));
}

TEST(PlaceControlsTest, NoRowsLeaveTheLayoutAlone) {
  Figure fig;
  fig.layout.set("updatemenus", Array{Object{}});
  EXPECT_TRUE(_placeControls(fig, {}, 400, 300, 60, 40).empty());
  EXPECT_EQ(fig.layout.at("updatemenus").asArray().size(), 1u);
}

}  // namespace
}  // namespace tess::render
