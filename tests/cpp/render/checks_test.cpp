#include "render/entry/checks.hpp"

#include <gtest/gtest.h>

#include "errors.hpp"

namespace tess::render {
namespace {

using figure::Value;

std::string failure(auto call) {
  try {
    call();
  } catch (const ValueError& e) {
    return e.what();
  }
  return "";
}

// tests/python/test_spec_values.py holds the refusals and the size funnel through whole specs;
// these cover the text forms and colour rewrites it cannot see.

TEST(Checks, NullStaysUnsetAndARefusalShowsTheValueAsPythonWould) {
  EXPECT_EQ(checkedNumber("alpha", Value(0), OPACITY), Value(0));
  EXPECT_TRUE(checkedNumber("alpha", Value(), OPACITY).isNull());
  EXPECT_EQ(checkedNumber("fontPx", std::optional<double>(), FONT_PX), std::nullopt);
  EXPECT_EQ(failure([] { checkedNumber("size", Value(true), MARKER_PX); }),
            "size must be a number of pixels from 0 to 200, not True");
  EXPECT_NE(failure([] { checkedNumber("size", Value(figure::Array{Value(1)}), MARKER_PX); }), "");
}

TEST(Checks, TextsAreShownQuotedEscapedAndCutWhole) {
  EXPECT_EQ(shownText("it's a\\b\n\x01"), "'it\\'s a\\\\b\\n\\x01'");
  std::string longText = std::string(59, 'a') + "é";  // the cut falls inside the é
  EXPECT_EQ(shownText(longText), "'" + std::string(59, 'a') + "...'");
  EXPECT_EQ(subscripted("colors", "cluster"), "colors['cluster']");
}

TEST(Checks, ColoursPlotlyKnowsStayAsGivenOthersBecomeRgba) {
  EXPECT_EQ(checkedColor("c", "#aBc"), "#aBc");
  EXPECT_EQ(checkedColor("c", " Red "), " Red ");
  // plotly.js draws these, plotly.py's validator refuses them.
  EXPECT_EQ(checkedColor("c", "transparent"), "rgba(0,0,0,0)");
  EXPECT_EQ(checkedColor("c", "rgb(+1,2,3)"), "rgba(1,2,3,1)");
  EXPECT_EQ(checkedColor("c", "hsl(120deg 100% 50%)"), "rgba(0,255,0,1)");
}

}  // namespace
}  // namespace tess::render
