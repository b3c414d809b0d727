#include "frame/column.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tess::frame {
namespace {

using Texts = std::vector<std::string>;
using Rows = std::vector<std::size_t>;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

Column ints(std::vector<std::int64_t> v) { return Column::numbers(Buffer::of(std::move(v))); }
Column doubles(std::vector<double> v) { return Column::numbers(Buffer::of(std::move(v))); }
Column flags(std::vector<std::uint8_t> v) { return Column::numbers(Buffer::bools(std::move(v))); }
Column nullableInts(std::vector<std::int64_t> v, std::vector<std::uint8_t> missing) {
  return Column::nullable(Buffer::of(std::move(v)), Buffer::bools(std::move(missing)));
}
Column categorical(std::vector<std::int8_t> codes, Texts names) {
  std::vector<std::optional<std::string>> categories(names.begin(), names.end());
  return Column::categorical(Buffer::of(std::move(codes)), Column::strings(categories));
}
Column objects(Texts texts, std::vector<Tag> tags) {
  std::vector<std::uint8_t> missing;
  for (Tag t : tags) missing.push_back(t == Tag::Missing);
  return Column::objects(Strings(texts), Buffer::bools(std::move(missing)), std::move(tags));
}

TEST(ColumnTest, TextFormsPerKind) {
  EXPECT_EQ(flags({1, 0}).texts(), (Texts{"True", "False"}));
  EXPECT_EQ(ints({3, -4}).texts(), (Texts{"3", "-4"}));
  EXPECT_EQ(Column::numbers(Buffer::of(std::vector<std::uint64_t>{18446744073709551615u})).texts(),
            (Texts{"18446744073709551615"}));
  EXPECT_EQ(doubles({1.0, NaN, 1e-5}).texts(), (Texts{"1.0", "nan", "1e-05"}));
  EXPECT_EQ(Column::numbers(Buffer::of(std::vector<float>{0.1f})).texts(), (Texts{"0.1"}));
  EXPECT_EQ(nullableInts({7, 0}, {0, 1}).texts(), (Texts{"7", "<NA>"}));
  EXPECT_EQ(Column::nullable(Buffer::bools({1, 0}), Buffer::bools({0, 1})).texts(), (Texts{"True", "<NA>"}));
  EXPECT_EQ(Column::strings({"a", std::nullopt}, "None").texts(), (Texts{"a", "None"}));
  EXPECT_EQ(categorical({1, -1, 0}, {"x", "y"}).texts(), (Texts{"y", "nan", "x"}));
}

TEST(ColumnTest, TextOfOneCellIsBoundsChecked) {
  Column c = ints({1, 2});
  EXPECT_EQ(c.text(1), "2");
  EXPECT_THROW(c.text(2), IndexError);
  EXPECT_THROW(c.isMissing(2), IndexError);
}

TEST(ColumnTest, NumericnessFollowsPandas) {
  EXPECT_TRUE(flags({1}).isNumeric());
  EXPECT_TRUE(ints({1}).isNumeric());
  EXPECT_TRUE(nullableInts({1}, {0}).isNumeric());
  EXPECT_FALSE(Column::strings({"1"}).isNumeric());
  EXPECT_FALSE(categorical({0}, {"1"}).isNumeric());
  EXPECT_FALSE(objects({"1"}, {Tag::Int}).isNumeric());
}

TEST(ColumnTest, AsDoublesMakesMissingNanAndRefusesText) {
  std::vector<double> d = nullableInts({7, 8}, {0, 1}).asDoubles();
  EXPECT_EQ(d[0], 7.0);
  EXPECT_TRUE(std::isnan(d[1]));
  EXPECT_EQ(flags({1, 0}).asDoubles(), (std::vector<double>{1.0, 0.0}));
  EXPECT_THROW(Column::strings({"a"}).asDoubles(), TypeError);
  EXPECT_THROW(categorical({0}, {"a"}).asDoubles(), TypeError);
}

TEST(ColumnTest, MissingCellsByKind) {
  EXPECT_TRUE(doubles({NaN}).isMissing(0));
  EXPECT_FALSE(ints({0}).isMissing(0));
  EXPECT_TRUE(nullableInts({0, 0}, {0, 1}).isMissing(1));
  EXPECT_FALSE(nullableInts({0, 0}, {0, 1}).isMissing(0));
  EXPECT_TRUE(categorical({-1}, {"a"}).isMissing(0));
  EXPECT_TRUE(Column::strings({std::nullopt}).isMissing(0));
}

TEST(ColumnTest, BadPartsAreRefused) {
  EXPECT_THROW(categorical({2}, {"a", "b"}), ValueError);
  EXPECT_THROW(categorical({-2}, {"a"}), ValueError);
  EXPECT_THROW(Column::categorical(Buffer::of(std::vector<double>{0}), Column::strings({"a"})), TypeError);
  EXPECT_THROW(Column::nullable(Buffer::of(std::vector<std::int64_t>{1, 2}), Buffer::bools({0})), ValueError);
  EXPECT_THROW(Column::text(Strings(Texts{"a"}), Buffer::of(std::vector<std::int8_t>{0})), TypeError);
}

TEST(ColumnTest, DistinctKeepsOrderOfAppearanceAndCountsMissingOnce) {
  EXPECT_EQ(doubles({2, NaN, 1, 2, NaN, 1}).distinct().texts(), (Texts{"2.0", "nan", "1.0"}));
  EXPECT_EQ(doubles({-0.0, 0.0}).distinct().texts(), (Texts{"-0.0"}));
  EXPECT_EQ(Column::strings({"b", std::nullopt, "a", std::nullopt, "b"}).distinct().texts(),
            (Texts{"b", "nan", "a"}));
  EXPECT_EQ(nullableInts({5, 0, 5, 0}, {0, 1, 0, 1}).distinct().texts(), (Texts{"5", "<NA>"}));
  EXPECT_EQ(flags({0, 0, 1}).firstRows(), (Rows{0, 2}));
}

TEST(ColumnTest, DistinctCategoriesAreTheUsedOnesOnly) {
  Column c = categorical({2, -1, 2, 0}, {"x", "unused", "z"});
  Column d = c.distinct();
  EXPECT_EQ(d.texts(), (Texts{"z", "nan", "x"}));
  EXPECT_EQ(d.categories().size(), 3u);  // the categories themselves stay
}

TEST(ColumnTest, DistinctObjectsCompareAsPythonValues) {
  // "1" differs from 1, while 1 and 1.0 are one value; None and NaN are both missing.
  Column c = objects({"1", "1", "1.0", "None", "nan", "(1+2j)"},
                     {Tag::Text, Tag::Int, Tag::Float, Tag::Missing, Tag::Missing, Tag::Other});
  EXPECT_EQ(c.distinct().texts(), (Texts{"1", "1", "None", "(1+2j)"}));
  EXPECT_EQ(c.firstRows(), (Rows{0, 1, 3, 5}));
}

TEST(ColumnTest, FactorizeCodesRowsAndStopsPastItsLimit) {
  Column c = Column::strings({"b", std::nullopt, "a", std::nullopt, "b"});
  std::optional<frame::Factors> f = c.factorize();
  ASSERT_TRUE(f);
  EXPECT_EQ(f->firstRows, (Rows{0, 1, 2}));
  EXPECT_EQ(f->codes, (std::vector<std::uint32_t>{0, 1, 2, 1, 0}));
  EXPECT_TRUE(c.factorize(3));
  EXPECT_FALSE(c.factorize(2));
}

TEST(ColumnTest, DistinctOfNothingIsEmpty) {
  EXPECT_EQ(ints({}).distinct().size(), 0u);
  EXPECT_EQ(Column::strings({}).distinct().size(), 0u);
}

TEST(ColumnTest, TakeReordersRepeatsAndChecksBounds) {
  Column c = Column::strings({"a", std::nullopt, "c"});
  Column t = c.take(Rows{2, 2, 1});
  EXPECT_EQ(t.texts(), (Texts{"c", "c", "nan"}));
  EXPECT_TRUE(t.isMissing(2));
  EXPECT_FALSE(t.isMissing(0));
  EXPECT_THROW(c.take(Rows{3}), IndexError);
  EXPECT_EQ(c.take(Rows{}).size(), 0u);
  EXPECT_EQ(categorical({1, 0}, {"x", "y"}).take(Rows{1}).texts(), (Texts{"x"}));
}

TEST(ColumnTest, TakeKeepsTheSourceBufferAlive) {
  Column c = ints({1, 2, 3});
  Column t = c.take(Rows{0});
  c = Column();
  EXPECT_EQ(t.texts(), (Texts{"1"}));
}

TEST(ColumnTest, AbsentCellsChangeTypesAsReindexDoes) {
  std::vector<std::int64_t> rows{1, -1};
  Column fromInts = ints({4, 5}).takeOrAbsent(rows);
  EXPECT_EQ(fromInts.kind(), Kind::Float);
  EXPECT_EQ(fromInts.typeName(), "float64");
  EXPECT_EQ(fromInts.texts(), (Texts{"5.0", "nan"}));

  Column fromBools = flags({1, 0}).takeOrAbsent(rows);
  EXPECT_EQ(fromBools.kind(), Kind::Object);
  EXPECT_EQ(fromBools.texts(), (Texts{"False", "nan"}));
  EXPECT_FALSE(fromBools.isNumeric());

  EXPECT_EQ(Column::numbers(Buffer::of(std::vector<float>{0.1f, 2})).takeOrAbsent(rows).typeName(), "float32");
  EXPECT_EQ(nullableInts({4, 5}, {0, 0}).takeOrAbsent(rows).texts(), (Texts{"5", "<NA>"}));
  EXPECT_EQ(categorical({0, 1}, {"x", "y"}).takeOrAbsent(rows).texts(), (Texts{"y", "nan"}));
  EXPECT_EQ(Column::strings({"a", "b"}, "<NA>").takeOrAbsent(rows).texts(), (Texts{"b", "<NA>"}));
  EXPECT_EQ(objects({"a", "b"}, {Tag::Other, Tag::Other}).takeOrAbsent(rows).distinct().texts(), (Texts{"b", "nan"}));
}

TEST(ColumnTest, NothingAbsentKeepsTheType) {
  Column c = ints({4, 5}).takeOrAbsent(std::vector<std::int64_t>{1, 0});
  EXPECT_EQ(c.kind(), Kind::Int);
  EXPECT_EQ(c.texts(), (Texts{"5", "4"}));
  EXPECT_THROW(ints({4}).takeOrAbsent(std::vector<std::int64_t>{1}), IndexError);
  EXPECT_THROW(ints({4}).takeOrAbsent(std::vector<std::int64_t>{-2}), IndexError);
}

TEST(ColumnTest, KeysMatchLabelsAsPythonEquality) {
  EXPECT_EQ(ints({1}).key(0), doubles({1.0}).key(0));
  EXPECT_EQ(flags({1}).key(0), ints({1}).key(0));
  EXPECT_NE(ints({1}).key(0), Column::strings({"1"}).key(0));
  EXPECT_NE(doubles({1.5}).key(0), Column::strings({"1.5"}).key(0));
  EXPECT_EQ(objects({"1"}, {Tag::Int}).key(0), ints({1}).key(0));
  EXPECT_EQ(objects({"a"}, {Tag::Text}).key(0), Column::strings({"a"}).key(0));
  EXPECT_EQ(categorical({0}, {"a"}).key(0), Column::strings({"a"}).key(0));
  EXPECT_EQ(doubles({NaN}).key(0), Column::strings({std::nullopt}).key(0));
  // Past 2^63 an integral float still equals the unsigned integer.
  EXPECT_EQ(doubles({0x1p63}).key(0),
            Column::numbers(Buffer::of(std::vector<std::uint64_t>{9223372036854775808u})).key(0));
}

TEST(ColumnTest, TypeNamesFollowPandas) {
  EXPECT_EQ(nullableInts({1}, {0}).typeName(), "Int64");
  EXPECT_EQ(Column::nullable(Buffer::of(std::vector<std::uint8_t>{1}), Buffer::bools({0})).typeName(), "UInt8");
  EXPECT_EQ(Column::nullable(Buffer::of(std::vector<float>{1}), Buffer::bools({0})).typeName(), "Float32");
  EXPECT_EQ(Column::nullable(Buffer::bools({1}), Buffer::bools({0})).typeName(), "boolean");
  EXPECT_EQ(categorical({0}, {"a"}).typeName(), "category");
}

}  // namespace
}  // namespace tess::frame
