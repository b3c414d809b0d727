#include "figure/json.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tess::figure {
namespace {

TEST(JsonTest, ScalarsAsPythonWritesThem) {
  EXPECT_EQ(toJson(Value()), "null");
  EXPECT_EQ(toJson(Value(true)), "true");
  EXPECT_EQ(toJson(Value(-7)), "-7");
  EXPECT_EQ(toJson(Value(1.0)), "1.0");
  EXPECT_EQ(toJson(Value(0.1)), "0.1");
  EXPECT_EQ(toJson(Value(1e-5)), "1e-05");
  EXPECT_EQ(toJson(Value(std::nan(""))), "null");
  EXPECT_EQ(toJson(Value(std::numeric_limits<double>::infinity())), "null");
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

TEST(JsonTest, TypedArraysAsBase64WithShapeBeyondOneDimension) {
  EXPECT_EQ(toJson(Value(TypedArray::of(std::vector<std::uint8_t>{1, 2, 3}))), R"({"dtype":"u1","bdata":"AQID"})");
  EXPECT_EQ(toJson(Value(TypedArray::of(std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}, {3, 2}))),
            R"({"dtype":"u1","bdata":"AQIDBAUG","shape":"3, 2"})");
  EXPECT_EQ(toJson(Value(TypedArray::of(std::vector<float>{}))), "[]");
  // A NaN keeps its bits inside the typed array.
  EXPECT_EQ(toJson(Value(TypedArray::of(std::vector<float>{std::numeric_limits<float>::quiet_NaN()}))),
            R"({"dtype":"f4","bdata":"AADAfw=="})");
}

TEST(JsonTest, Base64PadsEveryRemainder) {
  auto b = [](std::string_view s) { return base64(reinterpret_cast<const std::byte*>(s.data()), s.size()); };
  EXPECT_EQ(b(""), "");
  EXPECT_EQ(b("f"), "Zg==");
  EXPECT_EQ(b("fo"), "Zm8=");
  EXPECT_EQ(b("foo"), "Zm9v");
  EXPECT_EQ(b("foob"), "Zm9vYg==");
}

TEST(JsonTest, FigureKeepsTraceAndKeyOrder) {
  Figure fig;
  fig.addTrace(Object{{"type", "bar"}, {"x", Array{"a"}}});
  fig.layout.set("width", 400);
  EXPECT_EQ(toJson(fig), R"({"data":[{"type":"bar","x":["a"]}],"layout":{"width":400}})");
}

}  // namespace
}  // namespace tess::figure
