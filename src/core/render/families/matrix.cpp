// Matrix: every scale precomputed as a heatmap state, every order as an order of the
// axes' categories, so that the "view" dropdown switches both with nothing behind the page.
#include "render/families/matrix.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

#include "errors.hpp"
#include "parallel.hpp"
#include "render/controls/hover.hpp"
#include "render/entry/constants.hpp"
#include "render/families/common/area.hpp"
#include "render/families/common/category_axis.hpp"
#include "render/families/common/colors.hpp"
#include "render/families/common/table.hpp"
#include "render/families/common/values.hpp"
#include "layout/control.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::TypedArray;
using figure::Value;

namespace {

// From this many cells on, scales are worked out on every core.
constexpr std::size_t PARALLEL_CELLS = 100000;

struct Scaled {
  std::string name;
  frame::Frame table;
  std::string kind;
};

struct View {
  std::string label;
  std::size_t scale;
  const Order* order;  // none: rows and columns as stored
};

// The scales, each matched by label to the first one's rows and columns: views differ in
// values only, so an order is the same order of names under every scale.
std::vector<Scaled> scalesOf(const MatrixSpec& spec) {
  auto kindOf = [&](const std::string& name) {
    auto found = spec.scaleKinds.find(name);
    return found == spec.scaleKinds.end() ? spec.color.kind : found->second;
  };
  if (spec.scales.empty()) return {{"", spec.frame, kindOf("")}};
  std::vector<Scaled> out;
  const frame::Frame& first = spec.scales.front().second;
  for (const auto& [name, table] : spec.scales)
    out.push_back({name.text, alignedTable(table, first.index(), first.names()), kindOf(name.text)});
  return out;
}

// Every scale under every order, scale-major; labelled by the names given.
std::vector<View> viewsOf(const MatrixSpec& spec, const std::vector<Scaled>& scales) {
  std::vector<View> out;
  for (std::size_t s = 0; s < scales.size(); ++s) {
    if (spec.orders.empty()) out.push_back({scales[s].name, s, nullptr});
    for (const auto& [name, order] : spec.orders) {
      std::string label = scales[s].name;
      if (!label.empty() && !name.text.empty()) label += " · ";
      out.push_back({label + name.text, s, &order});
    }
  }
  return out;
}

// The names at `positions`; negative positions count from the end.
Array ordered(const Array& names, const std::vector<std::int64_t>& positions, const char* what) {
  Array out;
  out.reserve(positions.size());
  for (std::size_t at : rowsAt(positions, names.size(), what)) out.push_back(names[at]);
  return out;
}

TypedArray float32Cells(const std::vector<double>& values, std::size_t rows, std::size_t columns) {
  return TypedArray::of(std::vector<float>(values.begin(), values.end()), {rows, columns});
}

bool anyMissing(const std::vector<double>& values) {
  return std::any_of(values.begin(), values.end(), [](double v) { return std::isnan(v); });
}

std::string missingColour(const MatrixSpec& spec) {
  return categoryColor("naColor", spec.naColor, theme::MISSING);
}

// The rectangle under every cell that paints missing cells, and its legend entry. It shows
// only through the heatmap's gaps: whatever the view shows, it is right under that view's
// missing cells, no view needs to move it, and it costs the page no array.
void addMissingLayer(figure::Figure& fig, const MatrixSpec& spec, std::size_t rows, std::size_t columns) {
  std::string colour = missingColour(spec);
  Value& shapes = fig.layout["shapes"];
  if (!shapes.isArray()) shapes = Array{};
  // Category axes place a number at that category's position, whatever their order.
  shapes.asArray().emplace_back(Object{{"type", "rect"}, {"xref", "x"}, {"yref", "y"},
                                       {"x0", -0.5}, {"x1", static_cast<double>(columns) - 0.5},
                                       {"y0", -0.5}, {"y1", static_cast<double>(rows) - 0.5},
                                       {"fillcolor", colour}, {"line", Object{{"width", 0}}}, {"layer", "between"}});
  std::string label = spec.naLabel.empty() ? "not measured" : spec.naLabel;
  Object key = keyTrace(label, Object{{"symbol", "square"}, {"size", 10}, {"color", colour}});
  key.set("showlegend", true);
  fig.addTrace(std::move(key));
}

// What a scale brings to the figure, worked out once for the first state and every view.
struct ScaleState {
  std::vector<double> values;  // row by row
  Object encoding;             // colour scale and limits
  TypedArray cells = TypedArray::of(std::vector<float>{});  // float32, rows × columns
};

ScaleState scaleState(const MatrixSpec& spec, const Scaled& scaled) {
  ScaleState out;
  out.values = cellValues(scaled.table);
  ColorScale scale = spec.color;
  scale.kind = scaled.kind;
  out.encoding = colorEncoding(scale, out.values, 'z');
  out.cells = float32Cells(out.values, scaled.table.rows(), scaled.table.width());
  return out;
}

// The heatmap's attributes for a table whose tooltip and colours are known.
Object stateOf(const MatrixSpec& spec, const frame::Frame& table, std::pair<std::optional<Value>, std::string> hover,
               const ScaleState& scale) {
  Object state{{"z", scale.cells},
               {"x", categoryValues(columnTexts(table))},
               {"y", categoryValues(_matrixRowLabels(spec, table))}};
  if (hover.first) state.set("customdata", std::move(*hover.first));
  state.set("hovertemplate", std::move(hover.second));
  for (const auto& [attribute, value] : scale.encoding) state.set(attribute, value);
  auto cells = static_cast<std::int64_t>(table.rows() * table.width());
  if (spec.showValues && cells <= MAX_LABELLED_CELLS) {
    state.set("texttemplate", "%{z:.2f}");
    state.set("textfont", Object{{"size", theme::TICK_PX}});
  }
  return state;
}

// A table's tooltip: the hover tables matched to its cells, and a template per scale of
// `scales` (the values the views show, matched to the table). Numbers travel as one typed
// array and the value line reads the heatmap's own z, so one template serves every view
// and the tables travel once. Text travels per cell, where a missing z would read as
// plotly prints NaN beside the tables' "-": when a scale misses values (`missing`), each
// scale's values travel as text too, in planes before the tables, and scale s's template
// reads plane s.
struct TableHover {
  std::optional<Value> customdata;
  std::vector<std::string> templates;
};

TableHover tableHover(const MatrixSpec& spec, const frame::Frame& table, std::span<const frame::Frame* const> scales,
                      bool missing) {
  std::size_t rows = table.rows(), columns = table.width(), layers = spec.cellHover.size();
  std::vector<frame::Frame> blocks;
  bool numeric = true;
  for (const auto& [name, values] : spec.cellHover) {
    blocks.push_back(alignedTable(values, table.index(), table.names()));
    for (std::size_t j = 0; j < columns; ++j) numeric = numeric && _isNumericColumn(blocks.back().at(j));
  }
  std::size_t planes = numeric || !missing ? 0 : scales.size();  // value planes before the tables
  std::string lines;
  for (std::size_t i = 0; i < layers; ++i) {
    // Counts read as counts: whole-number tables keep thousands separators.
    bool whole = true;
    for (std::size_t j = 0; j < columns; ++j) {
      frame::Kind kind = blocks[i].at(j).kind();
      whole = whole && (kind == frame::Kind::Int || kind == frame::Kind::NullableInt);
    }
    std::string format = !numeric ? "" : whole ? ":,d" : ":.4g";
    std::string at = "%{customdata[" + std::to_string(planes + i) + "]" + format + "}";
    lines += hoverLine(spec.cellHover[i].first.text, at);
  }
  std::string head = hoverLine(spec.ylabel.empty() ? "row" : spec.ylabel, "%{y}") +
                     hoverLine(spec.xlabel.empty() ? "column" : spec.xlabel, "%{x}");
  TableHover out;
  if (planes == 0) out.templates.push_back(head + hoverLine("value", "%{z:.4g}") + lines + "<extra></extra>");
  for (std::size_t s = 0; s < planes; ++s)
    out.templates.push_back(head + hoverLine("value", "%{customdata[" + std::to_string(s) + "]}") + lines +
                            "<extra></extra>");
  if (layers == 0) return out;

  if (numeric) {
    TypedArray::Shape shape{rows, columns, layers};
    if (layers == 1) {
      out.customdata = Value(narrowest(cellValues(blocks.front()), shape));
      return out;
    }
    std::vector<double> stacked(rows * columns * layers);
    for (std::size_t l = 0; l < layers; ++l) {
      std::vector<double> cells = cellValues(blocks[l]);
      for (std::size_t k = 0; k < cells.size(); ++k) stacked[k * layers + l] = cells[k];
    }
    out.customdata = Value(narrowest(stacked, shape));
    return out;
  }
  Array grid;
  grid.reserve(rows);
  for (std::size_t r = 0; r < rows; ++r) {
    Array row;
    row.reserve(columns);
    for (std::size_t c = 0; c < columns; ++c) {
      Array cell;
      for (std::size_t s = 0; s < planes; ++s) cell.emplace_back(escapeValue(_formatCell(scales[s]->at(c), r)));
      for (const frame::Frame& block : blocks) cell.emplace_back(escapeValue(_formatCell(block.at(c), r)));
      row.emplace_back(std::move(cell));
    }
    grid.emplace_back(std::move(row));
  }
  out.customdata = Value(std::move(grid));
  return out;
}

// What choosing a view changes: which scale's heatmap shows, and the order of both axes'
// categories. Each scale's values travel once, in its own trace.
Object viewButton(const View& view, std::size_t scales, const Object& state) {
  Array visible, traces;
  for (std::size_t s = 0; s < scales; ++s) {
    visible.emplace_back(s == view.scale);
    traces.emplace_back(static_cast<std::int64_t>(s));
  }
  Object relayout;
  if (view.order) {
    relayout.set("xaxis.categoryarray", ordered(state.at("x").asArray(), view.order->second, "column"));
    relayout.set("yaxis.categoryarray", ordered(state.at("y").asArray(), view.order->first, "row"));
  }
  return Object{{"label", theme::escape(view.label)},
                {"method", "update"},
                {"args", Array{Object{{"visible", std::move(visible)}}, std::move(relayout), std::move(traces)}}};
}

}  // namespace

std::vector<std::string> _matrixRowLabels(const MatrixSpec& spec, const frame::Frame& table) {
  std::vector<std::string> out = rowTexts(table);
  for (std::string& name : out)
    if (auto note = spec.rowNotes.find(name); note != spec.rowNotes.end()) name += " " + note->second;
  return out;
}

std::pair<std::optional<Value>, std::string> _matrixHover(const MatrixSpec& spec, const frame::Frame& table) {
  const frame::Frame* own = &table;
  TableHover hover = tableHover(spec, table, std::span(&own, 1), anyMissing(cellValues(table)));
  return {std::move(hover.customdata), std::move(hover.templates.front())};
}

Object _matrixState(const MatrixSpec& spec, const frame::Frame& table, std::string_view kind) {
  Scaled scaled{"", table, kind.empty() ? spec.color.kind : std::string(kind)};
  return stateOf(spec, table, _matrixHover(spec, table), scaleState(spec, scaled));
}

figure::Figure matrix(const MatrixSpec& spec) {
  std::vector<Scaled> scales = scalesOf(spec);
  std::vector<View> views = viewsOf(spec, scales);
  const frame::Frame& base = scales.front().table;
  std::size_t rows = base.rows(), columns = base.width();

  // Scales are independent: large tables work them out on every core.
  std::vector<ScaleState> states(scales.size());
  parallelFor(states.size(), [&](std::size_t s) { states[s] = scaleState(spec, scales[s]); },
              rows * columns >= PARALLEL_CELLS ? 0 : 1);
  bool missing = std::any_of(states.begin(), states.end(), [](const ScaleState& s) { return anyMissing(s.values); });

  figure::Figure fig;
  std::vector<const frame::Frame*> shown;
  for (const Scaled& scale : scales) shown.push_back(&scale.table);
  TableHover hover = tableHover(spec, base, shown, missing);
  // One heatmap per scale, only the first shown: each scale's values travel once, and the
  // value line reads the shown heatmap's own values (or its plane of the text tables).
  auto hoverOf = [&](std::size_t s) {
    return std::pair{hover.customdata, hover.templates[std::min(s, hover.templates.size() - 1)]};
  };
  Object state = stateOf(spec, base, hoverOf(0), states.front());
  for (std::size_t s = 0; s < states.size(); ++s) {
    Object heatmap{{"type", "heatmap"}, {"colorbar", colorbar(spec.colorbarLabel, 0.7)}, {"name", ""}};
    if (s > 0) heatmap.set("visible", false);
    for (const auto& [attribute, value] : s == 0 ? state : stateOf(spec, base, hoverOf(s), states[s]))
      heatmap.set(attribute, value);
    fig.addTrace(std::move(heatmap));
  }
  // After the heatmaps, whose names make both axes category axes.
  if (missing) addMissingLayer(fig, spec, rows, columns);

  fig.updateAxes('x', Object{{"title_text", theme::escape(spec.xlabel)}, {"side", "bottom"}});
  fig.updateAxes('y', Object{{"title_text", theme::escape(spec.ylabel)}, {"autorange", "reversed"}});
  if (spec.square) fig.updateAxes('y', Object{{"scaleanchor", "x"}, {"scaleratio", 1}});
  if (!spec.orders.empty()) {
    const Order& first = spec.orders.front().second;
    fig.updateAxes('x', Object{{"categoryorder", "array"},
                               {"categoryarray", ordered(state.at("x").asArray(), first.second, "column")}});
    fig.updateAxes('y', Object{{"categoryorder", "array"},
                               {"categoryarray", ordered(state.at("y").asArray(), first.first, "row")}});
  }

  FinishOptions options;
  if (views.size() > 1) {
    Array buttons;
    for (const View& view : views)
      buttons.emplace_back(viewButton(view, states.size(), state));
    options.controls.push_back(
        layout::control(Object{{"type", "dropdown"}, {"buttons", std::move(buttons)}, {"active", 0}}, "dropdown",
                        "view"));
  }
  options.plot = _cellArea(rows, columns, MATRIX_CELL_WIDTH, MATRIX_CELL_HEIGHT, columnTexts(base),
                           PlotArea{240.0, 200.0}, spec.square);
  return std::move(finishFigure(fig, spec.common, options));
}

}  // namespace tess::render
