#include "render/controls/hover.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tess::render {
namespace {

using figure::DType;
using figure::TypedArray;
using frame::Buffer;
using frame::Column;
using frame::Frame;
using frame::Name;
using frame::Tag;
using Texts = std::vector<std::string>;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

template <class T>
Column numbers(std::vector<T> v) { return Column::numbers(Buffer::of(std::move(v))); }
Column doubles(std::vector<double> v) { return numbers(std::move(v)); }
Column ints(std::vector<std::int64_t> v) { return numbers(std::move(v)); }
Column flags(std::vector<std::uint8_t> v) { return Column::numbers(Buffer::bools(std::move(v))); }
Column nullableInts(std::vector<std::int64_t> v, std::vector<std::uint8_t> missing) {
  return Column::nullable(Buffer::of(std::move(v)), Buffer::bools(std::move(missing)));
}
Column strings(std::vector<std::optional<std::string>> v) { return Column::strings(v, "None"); }
Column objects(Texts texts, std::vector<Tag> tags) {
  std::vector<std::uint8_t> missing;
  for (Tag t : tags) missing.push_back(t == Tag::Missing);
  return Column::objects(frame::Strings(texts), Buffer::bools(std::move(missing)), std::move(tags));
}

Hover hoverOf(std::vector<Name> names, std::vector<Column> columns, std::vector<Name> wanted) {
  return _hoverColumns(Frame(std::move(names), std::move(columns)), wanted);
}

Texts textsOf(const Hover& h) {
  Texts out;
  for (std::size_t i = 0; i < h.text->size(); ++i) out.emplace_back((*h.text)[i]);
  return out;
}

template <class T>
std::vector<T> elements(const TypedArray& a) {
  auto v = a.view<T>();
  return {v.begin(), v.end()};
}

TEST(FormatCellTest, EachKindByWhatItHolds) {
  auto cells = [](const Column& c) {
    Texts out;
    for (std::size_t i = 0; i < c.size(); ++i) out.push_back(_formatCell(c, i));
    return out;
  };
  EXPECT_EQ(cells(doubles({12345.0, NaN, -Inf})), (Texts{"1.234e+04", "-", "-"}));
  EXPECT_EQ(cells(numbers<std::uint64_t>({18446744073709551615u})), (Texts{"18,446,744,073,709,551,615"}));
  EXPECT_EQ(cells(nullableInts({-1234, 0}, {0, 1})), (Texts{"-1,234", "-"}));
  EXPECT_EQ(cells(flags({1})), (Texts{"True"}));  // numpy booleans are not integers
  EXPECT_EQ(cells(strings({"a<b", std::nullopt})), (Texts{"a<b", "-"}));
  EXPECT_EQ(cells(Column::categorical(Buffer::of(std::vector<std::int8_t>{0, -1}), ints({12345}))),
            (Texts{"12,345", "-"}));
  Column mixed = objects({"True", "12345", "12345.0", "inf", "None", "NaT", "123"},
                         {Tag::Bool, Tag::Int, Tag::Float, Tag::Float, Tag::Missing, Tag::Missing, Tag::Text});
  EXPECT_EQ(cells(mixed), (Texts{"1", "12,345", "1.234e+04", "-", "-", "NaT", "123"}));
  EXPECT_THROW(_formatCell(doubles({1}), 1), IndexError);
}

TEST(NumericFormatTest, IntegersInt32CannotHoldKeepTheirFormatAsExactFloats) {
  EXPECT_EQ(_numericFormat(ints({std::numeric_limits<std::int32_t>::min()})).first.dtype(), DType::I4);
  auto [wide, format] = _numericFormat(ints({std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1}));
  EXPECT_EQ(format, ",d");
  EXPECT_EQ(elements<double>(wide), (std::vector<double>{2147483648.0}));
  // Missing cells: float32 while every value is exact there, else float64.
  auto [small, smallFormat] = _numericFormat(Column::nullable(Buffer::bools({1, 0}), Buffer::bools({0, 1})));
  EXPECT_EQ(smallFormat, "d");
  ASSERT_EQ(small.dtype(), DType::F4);
  EXPECT_TRUE(std::isnan(small.view<float>()[1]));
  EXPECT_EQ(_numericFormat(nullableInts({(1 << 24) + 1, 0}, {0, 1})).first.view<double>()[0], (1 << 24) + 1);
}

TEST(HoverColumnsTest, ConstantWhenEveryRowHoldsOneValue) {
  EXPECT_EQ(hoverOf({"t"}, {strings({std::nullopt, std::nullopt})}, {"t"}).template_, "t: -<br>");
  EXPECT_EQ(hoverOf({"t"}, {strings({"a", std::nullopt})}, {"t"}).template_, "t: %{text}<br>");
  EXPECT_EQ(hoverOf({"o"}, {objects({"1", "1.0", "True"}, {Tag::Int, Tag::Float, Tag::Bool})}, {"o"}).template_,
            "o: 1<br>");
  EXPECT_EQ(hoverOf({"z"}, {doubles({0.0, -0.0})}, {"z"}).template_, "z: 0<br>");
  EXPECT_EQ(hoverOf({"%"}, {strings({"%{x}", "%{x}"})}, {"%"}).template_, "&#37;: &#37;{x}<br>");
}

TEST(HoverColumnsTest, WidestTextColumnTakesTextOthersJoinAStringMatrix) {
  Hover h = hoverOf({"n", "accents", "ascii", "f", "b"},
                    {ints({1, 2}), strings({"éé", "éé&"}), strings({"abc<", "de"}), doubles({Inf, 12345.678}),
                     flags({1, 0})},
                    {"n", "accents", "ascii", "f", "b"});
  // Widths count characters, not bytes: 6 for "abc<" "de" beats 5 (in 9 bytes) for "éé" "éé&".
  EXPECT_EQ(h.template_, "ascii: %{text}<br>n: %{customdata[0]}<br>accents: %{customdata[1]}<br>"
                         "f: %{customdata[2]}<br>b: %{customdata[3]}<br>");
  EXPECT_EQ(textsOf(h), (Texts{"abc&lt;", "de"}));
  const figure::Array& rows = h.customdata->asArray();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], figure::Value(figure::Array{"1", "éé", "inf", "True"}));
  EXPECT_EQ(rows[1], figure::Value(figure::Array{"2", "éé&amp;", "1.235e+04", "False"}));

  Hover tie = hoverOf({"a", "b"}, {strings({"x", "yy"}), strings({"yy", "x"})}, {"b", "a"});
  EXPECT_EQ(tie.template_, "b: %{text}<br>a: %{customdata[0]}<br>");
}

TEST(HoverColumnsTest, TraceCarriesTextAsStrings) {
  figure::Object trace = hoverOf({"t", "i"}, {strings({"a", "b"}), ints({1, 2})}, {"t", "i"}).trace();
  EXPECT_EQ(trace.at("hovertemplate").asString(), "t: %{text}<br>i: %{customdata[0]:,d}<br><extra></extra>");
  EXPECT_EQ(trace.at("text"), figure::Value(figure::TextArray("ab", {1, 2})));
}

TEST(EscapeValueTest, AmpersandFirstPercentKept) {
  EXPECT_EQ(escapeValue("a<b&c>&amp; %{x}"), "a&lt;b&amp;c&gt;&amp;amp; %{x}");
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
    EXPECT_EQ(picked.text.has_value(), sliced.text.has_value());
    if (sliced.text) {
      EXPECT_EQ(textsOf(picked), textsOf(sliced));
    }
  }
  std::vector<std::size_t> past{5};
  EXPECT_THROW(_hoverColumns(frame, wanted, past), IndexError);
}

}  // namespace
}  // namespace tess::render
