#include "render/entry/checks.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "errors.hpp"
#include "render/finish/finish.hpp"

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

TEST(Checks, NumbersInsideTheRangePassAndNullStaysUnset) {
  EXPECT_EQ(checkedNumber("alpha", Value(0), OPACITY), Value(0));
  EXPECT_EQ(checkedNumber("alpha", Value(1.0), OPACITY), Value(1.0));
  EXPECT_TRUE(checkedNumber("alpha", Value(), OPACITY).isNull());
  EXPECT_EQ(checkedNumber("fontPx", std::optional<double>(), FONT_PX), std::nullopt);
}

TEST(Checks, ARefusalNamesTheAttributeAndShowsTheValueAsPythonWould) {
  EXPECT_EQ(failure([] { checkedNumber("alpha", Value("abc"), OPACITY); }),
            "alpha must be a number between 0 and 1, not 'abc'");
  EXPECT_EQ(failure([] { checkedNumber("alpha", Value(7.0), OPACITY); }),
            "alpha must be a number between 0 and 1, not 7.0");
  EXPECT_EQ(failure([] { checkedNumber("size", Value(true), MARKER_PX); }),
            "size must be a number of pixels from 0 to 200, not True");
  EXPECT_EQ(failure([] { checkedNumber("fontPx", std::optional(std::nan("")), FONT_PX); }),
            "fontPx must be a number of pixels from 1 to 100, not nan");
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
  EXPECT_EQ(failure([] { checkedColor("colors['a']", "notacolour"); }),
            "colors['a'] must be a colour (a CSS name, #hex, rgb(), rgba(), hsl() or hsla()), not 'notacolour'");
  EXPECT_NE(failure([] { checkedColor("c", "5"); }), "");
}

TEST(Checks, TheFunnelRefusesUnusableFontAndFigureSizes) {
  auto finish = [](auto set) {
    SpecCommon spec;
    set(spec);
    figure::Figure fig;
    return failure([&] { finishFigure(fig, spec); });
  };
  EXPECT_EQ(finish([](SpecCommon& s) { s.fontPx = 0.0; }), "");  // 0 keeps the theme's
  EXPECT_EQ(finish([](SpecCommon& s) { s.width = 1.0; }), "");    // too small: the smallest figure
  EXPECT_NE(finish([](SpecCommon& s) { s.fontPx = 0.5; }), "");
  EXPECT_NE(finish([](SpecCommon& s) { s.width = -5.0; }), "");
  EXPECT_NE(finish([](SpecCommon& s) { s.height = std::nan(""); }), "");
}

}  // namespace
}  // namespace tess::render
