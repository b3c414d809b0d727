#include "render/families/dots.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tess::render {
namespace {

using figure::Array;
using figure::Object;
using frame::Buffer;
using frame::Column;
using frame::Frame;
using frame::Name;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

Column labels(std::vector<std::string> texts) {
  std::vector<std::optional<std::string>> v(texts.begin(), texts.end());
  return Column::strings(v);
}

// A table over rows `rowNames` whose columns hold `byColumn`, column by column.
template <class T>
Frame table(std::vector<std::string> rowNames, std::vector<Name> columns, std::vector<std::vector<T>> byColumn) {
  std::vector<Column> cells;
  for (auto& values : byColumn) cells.push_back(Column::numbers(Buffer::of(std::move(values))));
  return Frame(std::move(columns), std::move(cells), labels(std::move(rowNames)));
}

// Two genes x two cell types.
Frame grid(double a = 1.0) { return table<double>({"g1", "g2"}, {"T", "B"}, {{a, 2.0}, {3.0, 4.0}}); }

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

TEST(DotSizeTest, AreaValuesHeldToTheirRangeAndMissingAsZero) {
  EXPECT_EQ(_dotSize(0.5), 12.0);
  for (double v : {NaN, -1.0, -Inf, 0.0}) EXPECT_EQ(_dotSize(v), 1.0) << v;
  for (double v : {1.0, 2.0, Inf}) EXPECT_EQ(_dotSize(v), 23.0) << v;
}

TEST(DotsTest, DotsRunRowByRowWithSizesAndTooltipCells) {
  figure::Figure fig = dots(spec());
  const Object& t = trace(fig, 0);
  EXPECT_EQ(t.at("x").asTyped().view<std::int32_t>()[1], 1);  // dot 1: row 0, column 1
  EXPECT_EQ(t.at("y").asTyped().view<std::int32_t>()[2], 1);  // dot 2: row 1, column 0
  // The size table read row by row: g1/T 0.5, g1/B 2.0, g2/T NaN, g2/B -1.0.
  auto sizes = t.at("marker").asObject().at("size").asTyped().view<double>();
  EXPECT_EQ(std::vector<double>(sizes.begin(), sizes.end()), (std::vector<double>{12.0, 23.0, 1.0, 1.0}));
  EXPECT_EQ(cell(t, 1, 0), "g1");
  EXPECT_EQ(cell(t, 1, 1), "B");
  EXPECT_EQ(cell(t, 1, 2), "2");
  EXPECT_EQ(cell(t, 2, 2), "-");
  EXPECT_EQ(t.at("hovertemplate").asString(),
            "row: %{customdata[0]}<br>column: %{customdata[1]}<br>colour: %{marker.color:.4g}<br>"
            "size: %{customdata[2]}<br><extra></extra>");
}

TEST(DotsTest, EachScalingButtonShowsOnlyItsScaleAndLeavesTheKeyAlone) {
  DotsSpec s = spec();
  s.scales = {{"mean", grid()}, {"z", grid(-1.0)}, {"<b>max</b>", grid(9.0)}};
  s.sizeLabel = "of cells ";
  figure::Figure fig = dots(s);
  ASSERT_EQ(fig.data.size(), 6u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(trace(fig, i).at("visible").asBool(), i == 0);
  EXPECT_EQ(trace(fig, 2).at("name").asString(), "&lt;b&gt;max&lt;/b&gt;");
  EXPECT_EQ(trace(fig, 3).at("name").asString(), "25&#37; of cells");

  const Array& buttons = fig.layout.at("updatemenus").asArray().at(0).asObject().at("buttons").asArray();
  ASSERT_EQ(buttons.size(), 3u);
  for (std::size_t j = 0; j < 3; ++j) {
    const Array& args = buttons[j].asObject().at("args").asArray();
    const Array& visible = args.at(0).asObject().at("visible").asArray();
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(visible.at(i).asBool(), i == j);
    EXPECT_EQ(args.at(1), figure::Value(Array{0, 1, 2}));
  }
  EXPECT_EQ(buttons[2].asObject().at("label").asString(), "&lt;b&gt;max&lt;/b&gt;");
}

TEST(DotsTest, TablesAreMatchedByLabelAndCountsKeepTheirSeparators) {
  DotsSpec s = spec();
  s.size = table<double>({"g2"}, {"B", "T"}, {{1.0}, {0.0}});  // lacks g1, columns swapped
  s.extra = {{"cells", table<std::int64_t>({"g1", "g2"}, {"T", "B"}, {{12345, 2}, {3, 4}})},
             {"partial", table<std::int64_t>({"g1"}, {"T", "B"}, {{7}, {8}})}};
  figure::Figure fig = dots(s);
  const Object& t = trace(fig, 0);
  auto sizes = t.at("marker").asObject().at("size").asTyped().view<double>();
  EXPECT_EQ(std::vector<double>(sizes.begin(), sizes.end()), (std::vector<double>{1.0, 1.0, 1.0, 23.0}));
  EXPECT_EQ(cell(t, 0, 2), "-");
  EXPECT_EQ(cell(t, 0, 3), "12,345");
  EXPECT_EQ(cell(t, 0, 4), "7");   // aligned to float: four significant digits
  EXPECT_EQ(cell(t, 3, 4), "-");
}

TEST(DotsTest, AnEmptyGridStillFinishes) {
  DotsSpec s;
  figure::Figure fig = dots(s);
  EXPECT_EQ(fig.data.size(), 4u);
  EXPECT_EQ(trace(fig, 0).at("customdata").length(), 0u);
}

}  // namespace
}  // namespace tess::render
