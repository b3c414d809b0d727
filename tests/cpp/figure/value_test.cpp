#include "figure/value.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace tess::figure {
namespace {

TEST(ObjectTest, KeepsInsertionOrderAndPlaceOnOverwrite) {
  Object o{{"b", 1}, {"a", 2}};
  o.set("c", 3);
  o.set("b", 9);
  std::vector<std::string> keys;
  for (const auto& [k, v] : o) keys.push_back(k);
  EXPECT_EQ(keys, (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_EQ(o.at("b").asInt(), 9);
  EXPECT_TRUE(o.erase("a") && !o.erase("a"));
  EXPECT_EQ(o.size(), 2u);
}

TEST(ObjectTest, MissingKeyAndWrongKindRaiseHostErrors) {
  Object o{{"a", "text"}};
  EXPECT_THROW(o.at("zzz"), KeyError);
  EXPECT_THROW(o.at("a").asDouble(), TypeError);
  EXPECT_THROW(Value().asObject(), TypeError);
}

TEST(ValueTest, IntsAndDoublesStayApartButBothAreNumbers) {
  EXPECT_TRUE(Value(3).isInt());
  EXPECT_TRUE(Value(3.0).isDouble());
  EXPECT_DOUBLE_EQ(Value(3).asDouble(), 3.0);
  EXPECT_THROW(Value(3.0).asInt(), TypeError);
  EXPECT_NE(Value(3), Value(3.0));
}

TEST(ValueTest, TruthFollowsThePlotlyReading) {
  for (const Value& v : {Value(), Value(""), Value(0.0), Value(Array{}), Value(TypedArray::of(std::vector<float>{}))})
    EXPECT_FALSE(v.truthy());
  EXPECT_TRUE(Value(Array{Value()}).truthy() && Value(std::nan("")).truthy());
}

TEST(TypedArrayTest, ChecksShapeDtypeAndBounds) {
  auto values = std::make_shared<std::vector<double>>(std::vector<double>{1, 2, 3, 4, 5, 6});
  TypedArray t(DType::F8, values->data(), {2, 3}, values);
  EXPECT_EQ(Value(t).length(), 2u);  // the first dimension
  EXPECT_DOUBLE_EQ(t.at(5), 6.0);
  EXPECT_THROW(t.at(6), IndexError);
  EXPECT_THROW(t.view<float>(), TypeError);
  EXPECT_THROW(TypedArray(DType::F8, values->data(), {1, 1, 1, 6}, values), ValueError);
}

TEST(TextArrayTest, PackedStringsReadBackAndCheckTheirEnds) {
  TextArray t("abcd", {1, 1, 4});
  EXPECT_EQ(std::string(t[0]) + "|" + std::string(t[1]) + "|" + std::string(t[2]), "a||bcd");
  EXPECT_THROW(t[3], IndexError);
  EXPECT_EQ(Value(t).length(), 3u);
  EXPECT_FALSE(Value(TextArray()).truthy());
  EXPECT_EQ(Value(t), Value(TextArray("abcd", {1, 1, 4})));
  EXPECT_THROW(TextArray("abcd", {2, 1, 4}), ValueError);
}

TEST(TypedArrayTest, EveryDtypeReadsBackAsDouble) {
  EXPECT_DOUBLE_EQ(Value(TypedArray::of(std::vector<std::int8_t>{-128})).asTyped().at(0), -128.0);
  EXPECT_DOUBLE_EQ(TypedArray::of(std::vector<std::uint16_t>{65535}).at(0), 65535.0);
  EXPECT_DOUBLE_EQ(TypedArray::of(std::vector<std::uint32_t>{4294967295u}).at(0), 4294967295.0);
  EXPECT_FLOAT_EQ(static_cast<float>(TypedArray::of(std::vector<float>{0.1f}).at(0)), 0.1f);
}

}  // namespace
}  // namespace tess::figure
