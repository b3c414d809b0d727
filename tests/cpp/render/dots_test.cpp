// Dot grids: layout, size clamping, scale buttons, label matching (escaping: tests/python/test_dots.py).
#include "render/families/dots.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "render/families/common/table.hpp"
#include "render/families/common/values.hpp"

namespace tess::render {
namespace {

using figure::Array;
using figure::Object;
using frame::Buffer;
using frame::Column;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

template <class T>
frame::Frame table(std::vector<std::optional<std::string>> rows, std::vector<frame::Name> columns,
                   std::vector<std::vector<T>> byColumn) {
  std::vector<Column> cells;
  for (auto& values : byColumn) cells.push_back(Column::numbers(Buffer::of(std::move(values))));
  return frame::Frame(std::move(columns), std::move(cells), Column::strings(rows));
}

frame::Frame grid(double a = 1.0) { return table<double>({"g1", "g2"}, {"T", "B"}, {{a, 2.0}, {3.0, 4.0}}); }

DotsSpec spec() {
  DotsSpec s;
  s.color = grid();
  s.size = table<double>({"g1", "g2"}, {"T", "B"}, {{0.5, NaN}, {2.0, -1.0}});
  return s;
}

const Object& trace(const figure::Figure& fig, std::size_t i) { return fig.data.at(i).asObject(); }

std::string cell(const Object& t, std::size_t dot, std::size_t column) {
  const auto& cells = std::get<figure::TextArray>(t.at("customdata").storage());
  return std::string(cells[dot * cells.columns() + column]);
}

TEST(DotsTest, DotsRunRowByRowWithClampedSizesAndTooltipCells) {
  figure::Figure fig = dots(spec());
  const Object& t = trace(fig, 0);
  EXPECT_EQ(t.at("x"), figure::Value(figure::TypedArray::of<std::uint8_t>({0, 1, 0, 1})));  // row by row
  // The size table read row by row: g1/T 0.5, g1/B 2.0, g2/T NaN, g2/B -1.0; missing as the smallest.
  EXPECT_EQ(t.at("marker").asObject().at("size"), figure::Value(figure::TypedArray::of<float>({12, 23, 1, 1})));
  EXPECT_EQ(cell(t, 1, 0) + cell(t, 1, 1) + cell(t, 2, 2), "g1B-");
}

TEST(DotsTest, EachScalingButtonRecoloursTheOneTraceOfDotsAndLeavesTheKeyAlone) {
  DotsSpec s = spec();
  s.scales = {{"mean", grid()}, {"z", grid(-1.0)}, {"max", grid(9.0)}};
  figure::Figure fig = dots(s);
  ASSERT_EQ(fig.data.size(), 4u);  // the dots, then the size key's three
  const Array& buttons = fig.layout.at("updatemenus").asArray().at(0).asObject().at("buttons").asArray();
  const Array& args = buttons.at(2).asObject().at("args").asArray();  // the third scale
  EXPECT_EQ(args.at(1), figure::Value(Array{0}));
  const Object& restyle = args.at(0).asObject();
  EXPECT_EQ(restyle.at("marker.color").asArray().at(0),
            figure::Value(compactArray(cellValues(grid(9.0))).asRecord()));
  EXPECT_FALSE(restyle.contains("x") || restyle.contains("customdata"));  // positions and tooltips stay
}

TEST(DotsTest, TablesAreMatchedByLabel) {
  DotsSpec s = spec();
  s.size = table<double>({"g2"}, {"B", "T"}, {{1.0}, {0.0}});  // lacks g1, columns swapped
  s.extra = {{"partial", table<std::int64_t>({"g1"}, {"T", "B"}, {{7}, {8}})}};
  figure::Figure fig = dots(s);
  const Object& t = trace(fig, 0);
  EXPECT_EQ(t.at("marker").asObject().at("size"), figure::Value(figure::TypedArray::of<float>({1, 1, 1, 23})));
  EXPECT_EQ(cell(t, 1, 3) + cell(t, 3, 3), "8-");
  EXPECT_EQ(trace(dots(DotsSpec{}), 0).at("customdata").length(), 0u);  // an empty grid still finishes
}

}  // namespace
}  // namespace tess::render
