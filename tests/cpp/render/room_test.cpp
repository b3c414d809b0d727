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

// Legends as plotly lists them: distinct names, none for a lone trace or heatmaps unless asked.
TEST(LegendWidthTest, CountsTheTracesPlotlyWouldListMeasuredOnVisibleTextAndCapped) {
  Figure fig = withTraces({Object{{"name", "B cells"}}, Object{{"name", "B cells"}}, Object{{"name", ""}},
                           Object{{"name", "&lt;b&gt;naive B&lt;/b&gt;"}, {"showlegend", false}}, Object{{"type", "heatmap"}}});
  EXPECT_DOUBLE_EQ(_legendWidth(fig), layout::textWidth("B cells", theme::TICK_PX) + layout::LEGEND_PAD);
  fig.data[3].asObject().set("showlegend", true);
  EXPECT_DOUBLE_EQ(_legendWidth(fig), layout::textWidth("<b>naive B</b>", theme::TICK_PX) + layout::LEGEND_PAD);
  fig.layout.set("showlegend", false);
  EXPECT_EQ(_legendWidth(fig), 0.0);
  Figure lone = withTraces({Object{{"name", "only"}}});
  EXPECT_EQ(_legendWidth(lone), 0.0);  // a lone trace is not listed
  EXPECT_EQ(_legendWidth(withTraces({Object{{"name", std::string(300, 'W')}}, Object{{"name", "x"}}})),
            layout::MAX_LEGEND_WIDTH);
  EXPECT_EQ(_legendWidth(withTraces({Object{{"type", "heatmap"}, {"name", "z"}}, Object{{"type", "heatmap"}, {"name", "w"}}})),
            0.0);
}

TEST(LegendWidthTest, NamesTooWideForTheLegendAreShortenedToFitIt) {
  std::string longName = "Cell type 3: " + std::string(60, 'W') + " & more";
  Figure fig = withTraces({Object{{"name", theme::escape(longName)}}, Object{{"name", "short"}}});
  _fitLegendNames(fig);
  std::string fitted = fig.data[0].asObject().at("name").asString();
  EXPECT_EQ(fitted.rfind("Cell type 3: WWW", 0), 0u);
  EXPECT_LE(layout::textWidth(fitted, theme::TICK_PX) + layout::LEGEND_PAD, layout::MAX_LEGEND_WIDTH);
  EXPECT_EQ(fig.data[1].asObject().at("name").asString(), "short");
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
}

TEST(ColorbarWidthTest, TheFirstScaledTraceDecidesTheTitle) {
  Object titled{{"type", "heatmap"}, {"colorbar", Object{{"title", Object{{"text", "log2 FC"}}}}}};
  Object plain{{"type", "heatmap"}};
  double line = theme::BODY_PX * layout::LINE_HEIGHT;
  EXPECT_EQ(_colorbarWidth(withTraces({titled, plain})), layout::COLORBAR_WIDTH + line);
  EXPECT_EQ(_colorbarWidth(withTraces({plain, titled})), layout::COLORBAR_WIDTH);
}

TEST(PlaceScalesTest, LegendMovesBesideTheColorbarOnlyWhenBothShow) {
  Object scaled{{"type", "heatmap"}, {"name", "not listed"}};
  Figure fig = withTraces({scaled, Object{{"type", "scatter"}, {"name", "a"}}, Object{{"type", "bar"}, {"name", "b"}}});
  _placeScales(fig, 500);
  const Object& legend = fig.layout.at("legend").asObject();
  EXPECT_GT(legend.at("x").asDouble(), 1.0 + layout::COLORBAR_WIDTH / 500);
  Figure noBar = withTraces({Object{{"name", "a"}}, Object{{"name", "b"}}});
  _placeScales(noBar, 500);
  EXPECT_FALSE(noBar.layout.contains("legend"));
}

}  // namespace
}  // namespace tess::render
