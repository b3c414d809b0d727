// Ranked: a bar trace per group over its own items, switched by the group dropdown.
#include "render/families/ranked.hpp"

#include <algorithm>
#include <numeric>

#include "layout/constants.hpp"
#include "render/controls/builders.hpp"
#include "render/controls/hover.hpp"
#include "render/families/common/area.hpp"
#include "render/families/common/category_axis.hpp"
#include "render/families/common/reference.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::TypedArray;

namespace {

constexpr double kHorizontalWidth = 540.0;

// The tooltip names the item first, then shows every column of its row.
Hover itemHover(const frame::Frame& table, const std::vector<std::string>& items) {
  const frame::Name feature("feature");
  std::vector<frame::Name> names{feature};
  std::vector<frame::Column> columns;
  std::vector<std::optional<std::string>> texts(items.begin(), items.end());
  columns.push_back(frame::Column::strings(texts));
  for (std::size_t i = 0; i < table.width(); ++i) {
    if (table.names()[i] == feature) continue;  // the item's name takes its place
    names.push_back(table.names()[i]);
    columns.push_back(table.at(i));
  }
  frame::Frame withItems(names, std::move(columns), table.index(), table.indexName());
  return _hoverColumns(withItems, names);
}

// The rows of a table whose bars take their colours from a column, in table order; none
// when no column colours them.
std::vector<std::size_t> keyedRows(const RankedSpec& spec, const frame::Frame& table) {
  if (!spec.colorBy || !table.contains(*spec.colorBy)) return {};
  std::vector<std::size_t> rows(table.rows());
  std::iota(rows.begin(), rows.end(), std::size_t{0});
  return rows;
}

Object barTrace(const RankedSpec& spec, const std::string& name, const frame::Frame& table, const Array& items,
                std::span<const std::size_t> keyed, bool visible) {
  TypedArray values = TypedArray::of(table.asDoubles("value"));
  figure::Value colors{std::string(RANKED_BAR_COLOR)};
  if (!keyed.empty())
    colors = rowColors("colors", spec.colors, table.column(*spec.colorBy), keyed, RANKED_BAR_COLOR);
  Object trace{{"type", "bar"},
               {"x", spec.horizontal ? figure::Value(values) : figure::Value(items)},
               {"y", spec.horizontal ? figure::Value(items) : figure::Value(values)},
               {"orientation", spec.horizontal ? "h" : "v"},
               {"marker", Object{{"color", std::move(colors)}, {"line", Object{{"width", 0}}}}},
               {"name", theme::escape(name)},
               {"showlegend", false},
               {"visible", visible},
               {"textposition", "none"}};  // the tooltip's text, not a label on the bar
  return withHover(std::move(trace), itemHover(table, table.index().texts()));
}

}  // namespace

figure::Figure ranked(const RankedSpec& spec) {
  char items = spec.horizontal ? 'y' : 'x', values = spec.horizontal ? 'x' : 'y';
  const std::string order = std::string(1, items) + "axis.categoryarray";

  figure::Figure fig;
  std::vector<std::string> names;
  std::vector<std::int64_t> sizes;
  std::vector<Object> orders;  // each group's items, in its own order on the axis
  std::size_t rows = 0;
  for (const auto& [name, table] : spec.groups) {
    Array categories = categoryValues(table.index().texts());
    bool first = fig.data.empty();
    std::vector<std::size_t> keyed = keyedRows(spec, table);
    fig.addTrace(barTrace(spec, name, table, categories, keyed, first));
    // Each group keys its own colours; the group dropdown shows its key with its bars.
    std::vector<KeyEntry> key;
    if (!keyed.empty()) key = keyEntries("colors", spec.colors, table.column(*spec.colorBy), keyed, RANKED_BAR_COLOR);
    addColorKey(fig, key, "square", first);
    orders.push_back(Object{{order, std::move(categories)}});
    names.push_back(name);
    sizes.push_back(1 + static_cast<std::int64_t>(key.size()));
    rows = std::max(rows, table.rows());
  }
  if (spec.reference) addReference(fig, values, *spec.reference, "#B2182B");

  fig.updateAxes(values, Object{{"title_text", theme::escape(spec.valueLabel)}});
  if (spec.horizontal) fig.updateAxes('y', Object{{"autorange", "reversed"}, {"title_text", ""}});

  FinishOptions options;
  if (names.size() > 1) {
    fig.updateAxes(items, Object{{"categoryorder", "array"}, {"categoryarray", orders.front().at(order)}});
    DropdownOptions dropdown;
    dropdown.label = "group";
    dropdown.stateLayout = std::move(orders);
    options.controls.push_back(dropdownControl(names, sizes, dropdown));
  }
  options.plot = _barArea(rows, spec.horizontal, kHorizontalWidth);
  return std::move(finishFigure(fig, spec.common, options));
}

}  // namespace tess::render
