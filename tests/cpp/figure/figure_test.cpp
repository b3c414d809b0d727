#include "figure/figure.hpp"

#include <gtest/gtest.h>

#include "figure/json.hpp"

namespace tess::figure {
namespace {

TEST(FigureTest, UpdateAxesReachesEveryAxisOfTheLetterOnly) {
  Figure fig;
  fig.layout.set("xaxis", Object{});
  fig.layout.set("xaxis2", Object{});
  fig.layout.set("yaxis", Object{});
  fig.layout.set("xaxis_extra", Object{});  // not an axis
  fig.updateAxes('x', Object{{"tickangle", 45}});
  EXPECT_EQ(fig.layout.at("xaxis").asObject().at("tickangle").asInt(), 45);
  EXPECT_EQ(fig.layout.at("xaxis2").asObject().at("tickangle").asInt(), 45);
  EXPECT_FALSE(fig.layout.at("yaxis").asObject().contains("tickangle"));
  EXPECT_FALSE(fig.layout.at("xaxis_extra").asObject().contains("tickangle"));
  Figure none;  // the first axis is made when there is none
  none.updateAxes('y', Object{{"showgrid", false}});
  EXPECT_EQ(none.axisKeys('y'), std::vector<std::string>{"yaxis"});
}

TEST(FigureTest, HlineSpansThePlotWidthInDomainCoordinates) {
  Figure fig;
  fig.addHline(2.5, Object{{"line_dash", "dash"}, {"line_color", "#999"}});
  const Object& shape = fig.layout.at("shapes").asArray().at(0).asObject();
  EXPECT_EQ(toJson(Value(shape)),
            R"({"type":"line","x0":0,"x1":1,"xref":"x domain","y0":2.5,"y1":2.5,"yref":"y","line":{"dash":"dash","color":"#999"}})");
  EXPECT_FALSE(fig.layout.contains("annotations"));
}

TEST(FigureTest, VlineAnnotationFollowsItsPosition) {
  Figure fig;
  fig.addVline(1, Object{{"annotation_text", "thr"}, {"layer", "below"}});
  fig.addVline(3, Object{{"annotation_text", "low"}, {"annotation_position", "bottom left"},
                          {"annotation_font_size", 10}});
  const Array& notes = fig.layout.at("annotations").asArray();
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(toJson(notes[0]),
            R"({"xanchor":"left","yanchor":"top","x":1,"y":1,"xref":"x","yref":"y domain","showarrow":false,"text":"thr"})");
  const Object& low = notes[1].asObject();
  EXPECT_EQ(low.at("xanchor").asString() + " " + low.at("yanchor").asString(), "right bottom");
  EXPECT_EQ(low.at("y").asInt(), 0);
  EXPECT_EQ(low.at("font").asObject().at("size").asInt(), 10);
  EXPECT_EQ(fig.layout.at("shapes").asArray()[0].asObject().at("layer").asString(), "below");
  EXPECT_THROW(fig.addHline(0, Object{{"annotation_text", "x"}, {"annotation_position", "middle"}}), ValueError);
}

}  // namespace
}  // namespace tess::figure
