#include "render/finish/room.hpp"

#include <gtest/gtest.h>

#include "layout/constants.hpp"
#include "layout/metrics.hpp"
#include "theme/theme.hpp"

namespace tess::render {
namespace {

using figure::Array;
using figure::Figure;
using figure::Object;
using figure::TypedArray;

Figure withTraces(std::vector<Object> traces) {
  Figure fig;
  for (auto& t : traces) fig.addTrace(t);
  return fig;
}

TEST(LegendWidthTest, CountsDistinctNamedTracesPlotlyWouldList) {
  Figure fig = withTraces({Object{{"name", "B cells"}}, Object{{"name", "B cells"}}, Object{{"name", ""}},
                           Object{{"name", "T"}, {"showlegend", false}}});
  EXPECT_DOUBLE_EQ(_legendWidth(fig), layout::textWidth("B cells", theme::TICK_PX) + layout::LEGEND_PAD);
  fig.layout.set("showlegend", false);
  EXPECT_EQ(_legendWidth(fig), 0.0);
}

TEST(LegendWidthTest, NoRoomForTheLegendPlotlyOmitsForOneTrace) {
  EXPECT_EQ(_legendWidth(withTraces({Object{{"name", "only"}}})), 0.0);
  Figure forced = withTraces({Object{{"name", "only"}}});
  forced.layout.set("showlegend", true);
  EXPECT_GT(_legendWidth(forced), 0.0);
}

TEST(LegendWidthTest, CappedAndMeasuredOnVisibleText) {
  Figure fig = withTraces({Object{{"name", std::string(300, 'W')}}, Object{{"name", "x"}}});
  EXPECT_EQ(_legendWidth(fig), layout::MAX_LEGEND_WIDTH);
  Figure escaped = withTraces({Object{{"name", "&lt;b&gt;A&lt;/b&gt;"}}, Object{{"name", "x"}}});
  EXPECT_DOUBLE_EQ(_legendWidth(escaped), layout::textWidth("<b>A</b>", theme::TICK_PX) + layout::LEGEND_PAD);
}

TEST(LegendWidthTest, NamesTooWideForTheLegendAreShortenedToFitIt) {
  std::string longName = "Cell type 3: " + std::string(60, 'W') + " & more";
  Figure fig = withTraces({Object{{"name", theme::escape(longName)}}, Object{{"name", "short"}}});
  _fitLegendNames(fig);
  std::string fitted = fig.data[0].asObject().at("name").asString();
  EXPECT_NE(fitted, theme::escape(longName));
  EXPECT_EQ(fitted.rfind("Cell type 3: WWW", 0), 0u);
  EXPECT_LE(_legendWidth(fig), layout::MAX_LEGEND_WIDTH);
  EXPECT_LE(layout::textWidth(fitted, theme::TICK_PX) + layout::LEGEND_PAD, layout::MAX_LEGEND_WIDTH);
  EXPECT_EQ(fig.data[1].asObject().at("name").asString(), "short");
}

TEST(LegendWidthTest, HeatmapsAreListedOnlyWhenAsked) {
  Figure fig = withTraces({Object{{"type", "heatmap"}, {"name", "z"}}, Object{{"type", "heatmap"}, {"name", "w"}}});
  EXPECT_EQ(_legendWidth(fig), 0.0);
}

TEST(ColorbarWidthTest, FollowsWhatPlotlyDraws) {
  Object scaled{{"type", "scatter"},
                {"marker", Object{{"color", TypedArray::of(std::vector<float>{1, 2})}, {"colorscale", "Viridis"}}}};
  EXPECT_EQ(_colorbarWidth(withTraces({scaled})), layout::COLORBAR_WIDTH);
  Object hidden = scaled;
  hidden.at("marker").asObject().set("showscale", false);
  EXPECT_EQ(_colorbarWidth(withTraces({hidden})), 0.0);
  Object single{{"type", "scatter"}, {"marker", Object{{"color", "#FF0000"}, {"colorscale", "Viridis"}}}};
  EXPECT_EQ(_colorbarWidth(withTraces({single})), 0.0);
  single.at("marker").asObject().set("showscale", true);
  EXPECT_EQ(_colorbarWidth(withTraces({single})), layout::COLORBAR_WIDTH);
  EXPECT_EQ(_colorbarWidth(withTraces({Object{{"type", "heatmap"}, {"showscale", false}}})), 0.0);
  EXPECT_EQ(_colorbarWidth(withTraces({Object{{"type", "image"}}})), 0.0);
}

TEST(ColorbarWidthTest, TheFirstScaledTraceDecidesTheTitle) {
  Object titled{{"type", "heatmap"}, {"colorbar", Object{{"title", Object{{"text", "log2 FC"}}}}}};
  Object plain{{"type", "heatmap"}};
  double line = theme::BODY_PX * layout::LINE_HEIGHT;
  EXPECT_EQ(_colorbarWidth(withTraces({titled, plain})), layout::COLORBAR_WIDTH + line);
  EXPECT_EQ(_colorbarWidth(withTraces({plain, titled})), layout::COLORBAR_WIDTH);
}

TEST(AxisTitleSpaceTest, OnlyForATitleWithText) {
  Figure fig;
  fig.layout.set("xaxis", Object{{"title", Object{{"text", ""}}}});
  fig.layout.set("yaxis", Object{{"title", Object{{"text", "count"}}}});
  EXPECT_EQ(_axisTitleSpace(fig, 'x'), 0.0);
  EXPECT_EQ(_axisTitleSpace(fig, 'y'), theme::BODY_PX * layout::LINE_HEIGHT + layout::AXIS_TITLE_GAP);
}

TEST(PlaceScalesTest, LegendMovesBesideTheColorbarOnlyWhenBothShow) {
  Object scaled{{"type", "heatmap"}, {"name", "not listed"}};
  Figure fig = withTraces({scaled, Object{{"type", "scatter"}, {"name", "a"}}, Object{{"type", "bar"}, {"name", "b"}}});
  _placeScales(fig, 500);
  const Object& legend = fig.layout.at("legend").asObject();
  EXPECT_GT(legend.at("x").asDouble(), 1.0 + layout::COLORBAR_WIDTH / 500);
  EXPECT_EQ(legend.at("xanchor").asString(), "left");
  Figure noBar = withTraces({Object{{"name", "a"}}, Object{{"name", "b"}}});
  _placeScales(noBar, 500);
  EXPECT_FALSE(noBar.layout.contains("legend"));
}

}  // namespace
}  // namespace tess::render
