#include "figure/path.hpp"

#include <gtest/gtest.h>

namespace tess::figure {
namespace {

TEST(PathTest, DottedPathsWithPositions) {
  EXPECT_EQ(parsePath("xaxis.title.text"), (Path{"xaxis", "title", "text"}));
  EXPECT_EQ(parsePath("annotations[0].text"), (Path{"annotations", std::size_t{0}, "text"}));
  EXPECT_EQ(parsePath("z[1][2]"), (Path{"z", std::size_t{1}, std::size_t{2}}));
  for (const char* bad : {"a..b", "a[x]", "a[1", ""}) EXPECT_THROW(parsePath(bad), ValueError) << bad;
}

TEST(PathTest, ShorthandKeepsUnderscoredPropertyNames) {
  EXPECT_EQ(parseShorthand("xaxis2_title_font_size"), (Path{"xaxis2", "title", "font", "size"}));
  EXPECT_EQ(parseShorthand("paper_bgcolor"), (Path{"paper_bgcolor"}));
  EXPECT_EQ(parseShorthand("error_y_color"), (Path{"error_y", "color"}));
  EXPECT_EQ(parseShorthand("marker.line_width"), (Path{"marker", "line", "width"}));
  // Only whole names are protected.
  EXPECT_EQ(parseShorthand("xerror_x"), (Path{"xerror", "x"}));
}

TEST(PathTest, AssignCreatesObjectsAndChecksPositions) {
  Object root;
  assign(root, parsePath("a.b.c")) = 1;
  EXPECT_EQ(lookup(Value(root), parsePath("a.b.c"))->asInt(), 1);
  EXPECT_EQ(lookup(Value(root), parsePath("a.x")), nullptr);
  root.set("list", Array{Object{}});
  assign(root, parsePath("list[0].k")) = "v";
  EXPECT_EQ(root.at("list").asArray()[0].asObject().at("k").asString(), "v");
  EXPECT_THROW(assign(root, parsePath("list[1].k")), IndexError);
  // A scalar in the way gives way to an object, as plotly's update does.
  assign(root, parsePath("a.b.c.d")) = 2;
  EXPECT_EQ(lookup(Value(root), parsePath("a.b.c.d"))->asInt(), 2);
}

TEST(UpdateTest, MergesObjectsAndReplacesEverythingElse) {
  Object target{{"xaxis", Object{{"title", Object{{"text", "x"}, {"standoff", 5}}}}}, {"list", Array{1, 2}}};
  update(target, Object{{"xaxis_title_text", "new"}, {"list", Array{3}}, {"xaxis", Object{{"type", "log"}}}});
  const Object& xaxis = target.at("xaxis").asObject();
  EXPECT_EQ(xaxis.at("title").asObject().at("text").asString(), "new");
  EXPECT_EQ(xaxis.at("title").asObject().at("standoff").asInt(), 5);
  EXPECT_EQ(xaxis.at("type").asString(), "log");
  EXPECT_EQ(target.at("list"), Value(Array{3}));
}

}  // namespace
}  // namespace tess::figure
