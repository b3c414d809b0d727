// The template: one font face, the measured text sizes, and nothing the finisher owns.
#include <gtest/gtest.h>

#include <functional>

#include "figure/path.hpp"
#include "theme/theme.hpp"

namespace {

using tess::figure::Object;
using tess::figure::Value;
namespace theme = tess::theme;

// Calls visit(key, value) for every entry of the tree.
void walk(const Value& value, const std::function<void(std::string_view, const Value&)>& visit) {
  if (value.isObject()) {
    for (const auto& [key, child] : value.asObject()) {
      visit(key, child);
      walk(child, visit);
    }
  } else if (value.isArray()) {
    for (const Value& child : value.asArray()) walk(child, visit);
  }
}

int sizeAt(const Object& layout, const char* path) {
  return static_cast<int>(tess::figure::lookup(Value(layout), tess::figure::parsePath(path))->asInt());
}

TEST(template_test, names_one_face_and_no_outlined_colorbar) {
  int colorbars = 0;
  walk(theme::figureTemplate(), [&](std::string_view key, const Value& v) {
    if (key == "family") {
      EXPECT_EQ(v.asString(), theme::FONT_FAMILY);
    } else if (key == "colorbar") {
      ++colorbars;
      EXPECT_EQ(v.asObject().at("outlinewidth"), Value(0));
    }
  });
  EXPECT_EQ(colorbars, 5);  // coloraxis, scatter, scattergl, bar, heatmap
}

TEST(template_test, default_text_sizes_are_the_ones_layout_measures) {
  Object layout = theme::templateLayout();
  for (auto path : {"font.size", "legend.font.size", "annotationdefaults.font.size", "xaxis.tickfont.size"})
    EXPECT_EQ(sizeAt(layout, path), theme::TICK_PX) << path;
  for (auto path : {"yaxis.title.font.size", "coloraxis.colorbar.title.font.size"})
    EXPECT_EQ(sizeAt(layout, path), theme::BODY_PX) << path;
  EXPECT_EQ(sizeAt(layout, "title.font.size"), theme::TITLE_PX);
}

TEST(template_test, leaves_margins_and_placement_to_the_finisher) {
  Object layout = theme::templateLayout();
  for (auto key : {"width", "height"}) EXPECT_FALSE(layout.contains(key)) << key;
  EXPECT_EQ(layout.at("margin"), Value(Object{{"autoexpand", false}}));
  const Object& title = layout.at("title").asObject();
  for (auto key : {"x", "y", "xanchor", "yanchor"}) EXPECT_FALSE(title.contains(key)) << key;
  EXPECT_EQ(title.at("automargin"), Value(false));
  for (auto axis : {"xaxis", "yaxis"}) EXPECT_EQ(layout.at(axis).asObject().at("automargin"), Value(false));
}

}  // namespace
