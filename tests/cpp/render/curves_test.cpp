// Curves: band outlines that step with their curve, and the note that follows the feature.
#include "render/families/curves.hpp"

#include <gtest/gtest.h>

#include "errors.hpp"

namespace tess::render {
namespace {

using figure::Array;
using figure::Object;
using frame::Buffer;
using frame::Column;

frame::Frame table(std::vector<frame::Name> names, std::vector<std::vector<double>> columns) {
  std::vector<Column> cells;
  for (auto& values : columns) cells.push_back(Column::numbers(Buffer::of(std::move(values))));
  return frame::Frame(std::move(names), std::move(cells));
}

frame::Frame banded() {
  return table({"time", "value", "low", "high"}, {{0, 5, 9}, {1.0, 0.5, 0.2}, {1.0, 0.3, 0.1}, {1.0, 0.7, 0.4}});
}

TEST(BandOutlineTest, StepsHoldEachLimitUntilTheNextTimeAndComeBackAlongTheLowOne) {
  std::vector<double> time{0, 5, 9}, high{1.0, 0.7, 0.4}, low{1.0, 0.3, 0.1};
  auto [x, y] = _bandOutline(time, high, low, true);
  EXPECT_EQ(x, (std::vector<double>{0, 5, 5, 9, 9, 9, 9, 5, 5, 0}));
  EXPECT_EQ(y, (std::vector<double>{1.0, 1.0, 0.7, 0.7, 0.4, 0.1, 0.3, 0.3, 1.0, 1.0}));
  auto [lx, ly] = _bandOutline(time, high, low, false);  // straight segments join the points
  EXPECT_EQ(lx, (std::vector<double>{0, 5, 9, 9, 5, 0}));
  EXPECT_EQ(ly, (std::vector<double>{1.0, 0.7, 0.4, 0.1, 0.3, 1.0}));
  EXPECT_TRUE(_bandOutline({}, {}, {}, true).first.empty());
  EXPECT_THROW(_bandOutline(time, high, std::vector<double>{1.0}, true), ValueError);
}

const Array& buttons(const figure::Figure& fig) {
  return fig.layout.at("updatemenus").asArray().at(0).asObject().at("buttons").asArray();
}

TEST(CurvesTest, TheNoteFollowsTheFeatureAndVanishesForOneWithout) {
  CurvesSpec spec;
  frame::Frame lowOnly = table({"time", "value", "low"}, {{0, 1}, {1.0, 0.5}, {0.9, 0.4}});
  spec.curves = {{"A", {{"g", banded()}, {"h", lowOnly}}}, {"B", {{"g", banded()}}}, {"C", {{"g", banded()}}}};
  spec.annotations = {{"B", "p < 0.05 & <b>"}, {"C", std::nullopt}, {"D", "not drawn"}};
  figure::Figure fig = curves(spec);
  ASSERT_EQ(fig.data.size(), 5u);  // A: band, curve, curve (no high, no band); B and C: band, curve
  const Object& note = fig.layout.at("annotations").asArray().at(0).asObject();
  EXPECT_EQ(note.at("visible"), figure::Value(false));  // the first feature has none
  std::vector<std::pair<std::string, bool>> shown;
  for (const figure::Value& button : buttons(fig)) {
    const Object& relayout = button.asObject().at("args").asArray().at(1).asObject();
    shown.emplace_back(relayout.at("annotations[0].text").asString(), relayout.at("annotations[0].visible").asBool());
  }
  EXPECT_EQ(shown, (std::vector<std::pair<std::string, bool>>{{"", false}, {"p &lt; 0.05 &amp; &lt;b&gt;", true},
                                                              {"", false}}));
}

TEST(CurvesTest, WithoutNotesNoStateTouchesTheAnnotations) {
  CurvesSpec spec;
  spec.curves = {{"A", {{"g", banded()}}}, {"B", {{"g", banded()}}}};
  spec.annotations = {{"A", ""}};
  figure::Figure fig = curves(spec);
  for (const figure::Value& button : buttons(fig)) {
    const Object& relayout = button.asObject().at("args").asArray().at(1).asObject();
    EXPECT_FALSE(relayout.contains("annotations[0].text"));
  }
  // Captions the funnel adds are all the annotations there are.
  for (const figure::Value& annotation : fig.layout.at("annotations").asArray())
    EXPECT_EQ(annotation.asObject().at("text").asString().rfind("<b>", 0), 0u);
}

TEST(CurvesTest, ATableWithoutTimeOrValueFailsAsAMissingColumn) {
  CurvesSpec spec;
  spec.curves = {{"A", {{"g", table({"time"}, {{0, 1}})}}}};
  EXPECT_THROW(curves(spec), KeyError);
  spec.curves = {{"A", {{"g", table({"value", "low", "high"}, {{1}, {1}, {1}})}}}};
  EXPECT_THROW(curves(spec), KeyError);
}

}  // namespace
}  // namespace tess::render
