// Graphs: arrowhead geometry and the ranges labels are placed in (states, escaping and the
// host's records: tests/python/test_graph.py; directions as drawn: test_graph_browser.py).
#include "render/families/graph.hpp"

#include <gtest/gtest.h>

#include "render/finish/labels.hpp"

namespace tess::render {
namespace {

using figure::Array;
using figure::Object;

std::vector<double> numbersOf(const figure::Value& v) {
  std::vector<double> out;
  for (std::size_t i = 0; i < v.asTyped().size(); ++i) out.push_back(v.asTyped().at(i));
  return out;
}

TEST(GraphTest, ArrowheadsSitThreeQuartersAlongWithAbsoluteAnglesFromUp) {
  Segments drawn{{0, 0, 1}, {0, 0, 0}, {1, 0, 0}, {0, -2, 0}};  // right, down, left
  Object arrows = arrowTrace(drawn);
  EXPECT_EQ(numbersOf(arrows.at("x")), (std::vector<double>{0.75, 0.0, 0.25}));
  EXPECT_EQ(numbersOf(arrows.at("y")), (std::vector<double>{0.0, -1.5, 0.0}));
  const Object& marker = arrows.at("marker").asObject();
  EXPECT_EQ(marker.at("angleref"), figure::Value("up"));  // each angle on its own, not off the previous head
  std::vector<double> angles = numbersOf(marker.at("angle"));
  EXPECT_NEAR(angles[0], 90.0, 1e-12);
  EXPECT_NEAR(angles[1], 180.0, 1e-12);
  EXPECT_NEAR(angles[2], -90.0, 1e-12);
}

TEST(GraphTest, LabelsArePlacedInTheRangesTheEqualScaleDraws) {
  figure::Figure fig;
  fig.updateAxes('y', Object{{"scaleanchor", "x"}, {"scaleratio", 1}});
  // 600 px for one x unit against 300 px for one y unit: the x range widens to 2 units about its centre.
  auto [x, y] = _drawnRanges(fig, {0.0, 1.0}, {0.0, 1.0}, 600.0, 300.0);
  EXPECT_EQ(x, (std::array<double, 2>{-0.5, 1.5}));
  EXPECT_EQ(y, (std::array<double, 2>{0.0, 1.0}));
  auto [tallX, tallY] = _drawnRanges(fig, {0.0, 1.0}, {0.0, 1.0}, 300.0, 600.0);
  EXPECT_EQ(tallY, (std::array<double, 2>{-0.5, 1.5}));
}

}  // namespace
}  // namespace tess::render
