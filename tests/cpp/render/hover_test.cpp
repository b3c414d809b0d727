// Hover encoding paths the Python suite does not reach: integer carriers and picked rows.
#include "render/controls/hover.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tess::render {
namespace {

using figure::DType;
using frame::Buffer;
using frame::Column;
using frame::Frame;
using frame::Name;
using frame::Tag;
using Texts = std::vector<std::string>;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

Column doubles(std::vector<double> v) { return Column::numbers(Buffer::of(std::move(v))); }
Column ints(std::vector<std::int64_t> v) { return Column::numbers(Buffer::of(std::move(v))); }
Column nullableInts(std::vector<std::int64_t> v, std::vector<std::uint8_t> missing) {
  return Column::nullable(Buffer::of(std::move(v)), Buffer::bools(std::move(missing)));
}
Column strings(std::vector<std::optional<std::string>> v) { return Column::strings(v, "None"); }
Column objects(Texts texts, std::vector<Tag> tags) {  // none missing
  std::vector<std::uint8_t> missing(texts.size(), 0);
  return Column::objects(frame::Strings(texts), Buffer::bools(std::move(missing)), std::move(tags));
}

TEST(NumericFormatTest, IntegersInt32CannotHoldKeepTheirFormatAsExactFloats) {
  EXPECT_EQ(_numericFormat(ints({std::numeric_limits<std::int32_t>::min()})).first.dtype(), DType::I4);
  auto [wide, format] = _numericFormat(ints({std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1}));
  EXPECT_EQ(format, ",d");
  EXPECT_EQ(wide.view<double>()[0], 2147483648.0);
  // Missing cells: float32 while every value is exact there, else float64.
  auto [small, smallFormat] = _numericFormat(Column::nullable(Buffer::bools({1, 0}), Buffer::bools({0, 1})));
  EXPECT_EQ(smallFormat, "d");
  ASSERT_EQ(small.dtype(), DType::F4);
  EXPECT_TRUE(std::isnan(small.view<float>()[1]));
  EXPECT_EQ(_numericFormat(nullableInts({(1 << 24) + 1, 0}, {0, 1})).first.view<double>()[0], (1 << 24) + 1);
}

TEST(HoverColumnsTest, PickedRowsReadAsTheSlicedFrame) {
  Frame frame({"name", "n", "area", "tag"},
              {strings({"a<b", "b", "a<b", "c", std::nullopt}), ints({1, 2, 3, 1, 5}),
               doubles({0.5, NaN, 0.5, 2.0, 1.0}), objects({"1", "1.0", "x", "1", "x"},
                                                          {Tag::Int, Tag::Float, Tag::Text, Tag::Int, Tag::Text})});
  std::vector<Name> wanted{"name", "n", "area", "tag"};
  for (std::vector<std::size_t> rows : {std::vector<std::size_t>{0, 2}, {4, 1, 3}, {0, 1, 3}, {}}) {
    Hover sliced = _hoverColumns(frame.take(rows), wanted), picked = _hoverColumns(frame, wanted, rows);
    EXPECT_EQ(picked.template_, sliced.template_);
    EXPECT_EQ(picked.customdata, sliced.customdata);
    EXPECT_EQ(picked.text, sliced.text);
  }
  std::vector<std::size_t> past{5};
  EXPECT_THROW(_hoverColumns(frame, wanted, past), IndexError);
}

}  // namespace
}  // namespace tess::render
