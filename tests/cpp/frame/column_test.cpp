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

// Text forms, numericness, type names, distinct values and reindexing are held against pandas
// itself by tests/python/test_frame.py; these cover what the binding cannot reach.

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
  EXPECT_TRUE(nullableInts({0, 0}, {0, 1}).isMissing(1) && !nullableInts({0, 0}, {0, 1}).isMissing(0));
  EXPECT_TRUE(categorical({-1}, {"a"}).isMissing(0));
  EXPECT_TRUE(Column::strings({std::nullopt}).isMissing(0));
}

TEST(ColumnTest, BadPartsAreRefused) {
  EXPECT_THROW(categorical({-2}, {"a"}), ValueError);  // codes run from -1 (missing)
  EXPECT_THROW(Column::categorical(Buffer::of(std::vector<double>{0}), Column::strings({"a"})), TypeError);
  EXPECT_THROW(Column::nullable(Buffer::of(std::vector<std::int64_t>{1, 2}), Buffer::bools({0})), ValueError);
  EXPECT_THROW(Column::text(Strings(Texts{"a"}), Buffer::of(std::vector<std::int8_t>{0})), TypeError);
}

TEST(ColumnTest, DistinctCategoriesKeepTheirCategoryList) {
  Column d = categorical({2, -1, 2, 0}, {"x", "unused", "z"}).distinct();
  EXPECT_EQ(d.texts(), (Texts{"z", "nan", "x"}));
  EXPECT_EQ(d.categories().size(), 3u);
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

TEST(ColumnTest, TakeChecksBoundsAndKeepsTheSourceBufferAlive) {
  Column c = ints({1, 2, 3});
  EXPECT_THROW(c.text(3), IndexError);
  EXPECT_THROW(c.take(Rows{3}), IndexError);
  EXPECT_EQ(c.take(Rows{}).size(), 0u);
  Column t = c.take(Rows{0});
  c = Column();
  EXPECT_EQ(t.texts(), (Texts{"1"}));
  EXPECT_THROW(ints({4}).takeOrAbsent(std::vector<std::int64_t>{-2}), IndexError);  // only -1 means absent
}

TEST(ColumnTest, KeysMatchLabelsAsPythonEquality) {
  EXPECT_EQ(flags({1}).key(0), ints({1}).key(0));
  EXPECT_NE(doubles({1.5}).key(0), Column::strings({"1.5"}).key(0));
  EXPECT_EQ(objects({"1"}, {Tag::Int}).key(0), ints({1}).key(0));
  EXPECT_EQ(categorical({0}, {"a"}).key(0), Column::strings({"a"}).key(0));
  EXPECT_EQ(doubles({NaN}).key(0), Column::strings({std::nullopt}).key(0));
  // Past 2^63 an integral float still equals the unsigned integer.
  EXPECT_EQ(doubles({0x1p63}).key(0),
            Column::numbers(Buffer::of(std::vector<std::uint64_t>{9223372036854775808u})).key(0));
}

}  // namespace
}  // namespace tess::frame
