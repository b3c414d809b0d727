// Graphs: segments, arrowhead angles, states and the ranges labels are placed in
// (escaping and the host's records: tests/python/test_graph.py).
#include "render/families/graph.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "errors.hpp"
#include "render/finish/labels.hpp"

namespace tess::render {
namespace {

using figure::Array;
using figure::Object;
using frame::Column;

frame::Frame edgeTable(std::vector<std::optional<std::string>> sources, std::vector<std::optional<std::string>> targets) {
  std::vector<std::optional<std::string>> index;
  for (std::size_t i = 0; i < sources.size(); ++i) index.emplace_back(std::to_string(i));
  return frame::Frame({frame::Name("source"), frame::Name("target")},
                      {Column::strings(sources), Column::strings(targets)}, Column::strings(index));
}

GraphSpec star() {
  GraphSpec s;
  s.edges = edgeTable({"a", "a", "b", "ghost"}, {"b", "c", "a", "a"});
  s.positions = {{"a", {0, 0}}, {"b", {1, 0}}, {"c", {0, -2}}, {"nan", {NAN, 1}}};
  s.names = {"a", "b", "c", "nan", "ghost"};
  s.directed = true;
  return s;
}

const Object& trace(const figure::Figure& fig, std::size_t i) { return fig.data.at(i).asObject(); }

std::vector<double> numbersOf(const figure::Value& v) {
  if (v.isArray()) return {};
  std::vector<double> out;
  for (std::size_t i = 0; i < v.asTyped().size(); ++i) out.push_back(v.asTyped().at(i));
  return out;
}

TEST(GraphTest, ArrowheadsSitThreeQuartersAlongAndPointAtTheReceiverEachOnItsOwn) {
  GraphSpec s = star();
  Segments drawn = segments(edgeEnds(s), {true, true, true, true});
  ASSERT_EQ(drawn.size(), 3u);  // the edge from a node without a position is left out
  Object arrows = arrowTrace(drawn);
  EXPECT_EQ(numbersOf(arrows.at("x")), (std::vector<double>{0.75, 0.0, 0.25}));
  EXPECT_EQ(numbersOf(arrows.at("y")), (std::vector<double>{0.0, -1.5, 0.0}));
  const Object& marker = arrows.at("marker").asObject();
  // Absolute angles, clockwise from up: right, down, left.
  EXPECT_EQ(marker.at("angleref"), figure::Value("up"));
  std::vector<double> angles = numbersOf(marker.at("angle"));
  EXPECT_NEAR(angles[0], 90.0, 1e-12);
  EXPECT_NEAR(angles[1], 180.0, 1e-12);
  EXPECT_NEAR(angles[2], -90.0, 1e-12);
}

TEST(GraphTest, AStateKeepingNoDrawableEdgeDrawsEmptyTracesWithoutAMarker) {
  Segments none = segments(edgeEnds(star()), {false, false, false, true});  // only the ghost's edge
  Object arrows = arrowTrace(none);
  EXPECT_TRUE(arrows.at("x").isArray() && arrows.at("x").asArray().empty());
  EXPECT_FALSE(arrows.contains("marker"));
  EXPECT_TRUE(edgeTrace(none).at("y").asArray().empty());
}

TEST(GraphTest, AMaskOfTheWrongLengthNamesItsState) {
  try {
    segments(edgeEnds(star()), {true}, "strict");
    FAIL();
  } catch (const ValueError& e) {
    EXPECT_NE(std::string(e.what()).find("states['strict']: a mask of 1 values for 4 edges"), std::string::npos);
  }
}

TEST(GraphTest, StatesToggleOnlyTheirEdgeAndArrowTraces) {
  GraphSpec s = star();
  s.states = {{"low", {true, true, true, true}}, {"mid", {true, false, true, true}}, {"high", {false, false, true, true}}};
  figure::Figure fig = graph(s);
  // Three edge traces, three arrow traces, the tooltips, then a, b and c (nan and ghost have no place).
  ASSERT_EQ(fig.data.size(), 10u);
  EXPECT_EQ(trace(fig, 9).at("name"), figure::Value("c"));
  // The band places its rows bottom up: node size, then thresholds above it.
  const Object& slider = fig.layout.at("sliders").asArray().at(1).asObject();
  const Array& step = slider.at("steps").asArray().at(1).asObject().at("args").asArray();
  EXPECT_EQ(step.at(0).asObject().at("visible"), figure::Value(Array{false, false, true, true, false, false}));
  EXPECT_EQ(step.at(1), figure::Value(Array{0, 3, 1, 4, 2, 5}));
  // A directed edge's tooltip sits on its arrowhead, so a and b's two edges keep apart.
  std::vector<double> tipX = numbersOf(trace(fig, 6).at("x"));
  EXPECT_EQ(tipX[0], 0.75);
  EXPECT_EQ(tipX[2], 0.25);
  EXPECT_TRUE(std::isnan(tipX[3]));
}

TEST(GraphTest, NodeRangesPadEachSideAndTakeAFlatSpanAsOne) {
  std::vector<Position> flat{{2, 0}, {2, 10}};
  auto ranges = _nodeRanges(flat);
  ASSERT_TRUE(ranges);
  EXPECT_NEAR(ranges->first[0], 1.84, 1e-12);
  EXPECT_NEAR(ranges->first[1], 2.16, 1e-12);
  EXPECT_NEAR(ranges->second[0], -1.6, 1e-12);
  EXPECT_FALSE(_nodeRanges({}));
}

TEST(GraphTest, LabelsArePlacedInTheRangesTheEqualScaleDraws) {
  figure::Figure fig;
  fig.updateAxes('x', Object{{"range", Array{0.0, 1.0}}});
  fig.updateAxes('y', Object{{"range", Array{0.0, 1.0}}, {"scaleanchor", "x"}, {"scaleratio", 1}});
  // 600 px for one x unit against 300 px for one y unit: the x range widens to 2 units about its centre.
  auto [x, y] = _drawnRanges(fig, {0.0, 1.0}, {0.0, 1.0}, 600.0, 300.0);
  EXPECT_EQ(x, (std::array<double, 2>{-0.5, 1.5}));
  EXPECT_EQ(y, (std::array<double, 2>{0.0, 1.0}));
  auto [tallX, tallY] = _drawnRanges(fig, {0.0, 1.0}, {0.0, 1.0}, 300.0, 600.0);
  EXPECT_EQ(tallY, (std::array<double, 2>{-0.5, 1.5}));
}

}  // namespace
}  // namespace tess::render
