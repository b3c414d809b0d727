#include "figure/json.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tess::figure {
namespace {

// tests/python/test_figure_model.py parses the output beside plotly.py's for random trees and
// typed arrays; what parsing cannot tell apart (number text, escapes) is pinned here.

TEST(JsonTest, ScalarsAsPythonWritesThem) {
  EXPECT_EQ(toJson(Value()), "null");
  EXPECT_EQ(toJson(Value(1.0)), "1.0");
  EXPECT_EQ(toJson(Value(0.1)), "0.1");
  EXPECT_EQ(toJson(Value(1e-5)), "1e-05");
  EXPECT_EQ(toJson(Value(Array{std::nan(""), std::numeric_limits<double>::infinity()})), "[null,null]");
}

TEST(JsonTest, StringsEscapeOnlyWhatMustBeEscaped) {
  EXPECT_EQ(toJson(Value("a/b")), R"("a/b")");
  EXPECT_EQ(toJson(Value("</script>")), R"("\u003c/script>")");
  EXPECT_EQ(toJson(Value("q\"\\\n\x01")), R"("q\"\\\n\u0001")");
  EXPECT_EQ(toJson(Value("Γ é 中")), "\"Γ é 中\"");
  EXPECT_EQ(toJson(Value("a\xE2\x80\xA8z")), R"("a\u2028z")");
  // Bytes that are not UTF-8 never reach the output as such.
  EXPECT_EQ(toJson(Value(std::string("x\xFFy\xC3"))), "\"x\xEF\xBF\xBDy\xEF\xBF\xBD\"");
  EXPECT_EQ(toJson(Value(TextArray("a\"</b", {2, 4, 5}))), R"(["a\"","\u003c/","b"])");
}

}  // namespace
}  // namespace tess::figure
