// Dots: a trace per line of a row-major grid on axes that name its rows and columns, a size
// key, controls, then the funnel.
#include "render/families/dots.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

#include "errors.hpp"
#include "layout/control.hpp"
#include "render/controls/builders.hpp"
#include "render/controls/hover.hpp"
#include "render/entry/constants.hpp"
#include "render/families/common/area.hpp"
#include "render/families/common/category_axis.hpp"
#include "render/families/common/table.hpp"
#include "render/families/common/values.hpp"
#include "render/families/points.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::TypedArray;
using frame::Frame;

namespace {

struct Layer {
  std::string name;
  Frame table;
};

// The grid's dimensions, with every scale held to them: a scale of another shape would
// draw its colours on the wrong dots. The dots are drawn as one trace per line along the
// grid's longer side (its columns, unless there are more columns than rows): a trace's dots
// share their position across the lines, a byte or two each, and step by one along it,
// which plotly's x0/dx or y0/dy give without an array.
struct Grid {
  std::vector<std::string> rows, columns;
  std::size_t cells() const { return rows.size() * columns.size(); }
  bool byColumn() const { return columns.size() <= rows.size(); }
  std::size_t lines() const { return byColumn() ? columns.size() : rows.size(); }
  std::size_t length() const { return byColumn() ? rows.size() : columns.size(); }
  /// The row-major position of dot `i` of line `line`.
  std::size_t cell(std::size_t line, std::size_t i) const {
    return byColumn() ? i * columns.size() + line : line * columns.size() + i;
  }
  /// The row-major values of `values` along one line.
  std::vector<double> along(const std::vector<double>& values, std::size_t line) const {
    std::vector<double> out(length());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = values[cell(line, i)];
    return out;
  }
};

std::vector<std::pair<std::string, const Frame*>> scalesOf(const DotsSpec& spec) {
  std::vector<std::pair<std::string, const Frame*>> out;
  if (spec.scales.empty()) out.emplace_back("", &spec.color);
  for (const auto& [name, table] : spec.scales) out.emplace_back(name.text, &table);
  return out;
}

// Where a line's dots sit: the line's own position across, a step of one along.
Object linePositions(const Grid& grid, std::size_t line) {
  std::vector<double> across(grid.length(), static_cast<double>(line));
  TypedArray at = narrowest(across, {across.size()});
  if (grid.byColumn()) return Object{{"x", std::move(at)}, {"y0", 0}, {"dy", 1}};
  return Object{{"x0", 0}, {"dx", 1}, {"y", std::move(at)}};
}

bool integerColumn(const frame::Column& column) {
  return column.kind() == frame::Kind::Int || column.kind() == frame::Kind::NullableInt;
}

// A layer's cells as the tooltip's numbers: integers or floats, every cell present and
// finite. Anything else keeps _formatCell's text ("-" for a missing cell).
bool typedLayer(const Frame& table) {
  for (std::size_t c = 0; c < table.width(); ++c) {
    const frame::Column& column = table.at(c);
    if (!integerColumn(column) && column.kind() != frame::Kind::Float && column.kind() != frame::Kind::NullableFloat)
      return false;
    for (std::size_t row = 0; row < column.size(); ++row)
      if (column.isMissing(row) || !std::isfinite(column.values().at(row))) return false;
  }
  return true;
}

bool integerLayer(const Frame& table) {
  for (std::size_t c = 0; c < table.width(); ++c)
    if (!integerColumn(table.at(c))) return false;
  return true;
}

// Each layer's cell per dot, formatted by the browser: integers in the narrowest type, the
// rest float32 where that keeps them (the tooltip shows four digits), else float64.
figure::TypedArray layerNumbers(const Grid& grid, const std::vector<Layer>& layers, std::size_t line) {
  std::size_t m = grid.columns.size();
  std::vector<double> values;
  values.reserve(grid.length() * layers.size());
  for (std::size_t i = 0; i < grid.length(); ++i)
    for (std::size_t k = grid.cell(line, i); const Layer& layer : layers)
      values.push_back(layer.table.at(k % m).values().at(k / m));
  figure::TypedArray::Shape shape{grid.length(), layers.size()};
  constexpr double exactFloat = 16777216.0;  // 2^24: every integer up to it is a float32
  bool compact = _fitsFloat32(values) &&
                 std::all_of(values.begin(), values.end(), [](double v) { return std::fabs(v) <= exactFloat; });
  return compact ? narrowest(values, std::move(shape)) : TypedArray::of(std::move(values), std::move(shape));
}

// Each layer's cell as text, as _formatCell shows it, per dot; after the dot's row and
// column names where `named`.
figure::TextArray layerTexts(const Grid& grid, const std::vector<Layer>& layers, std::size_t line, bool named) {
  std::size_t m = grid.columns.size();
  std::string chars;
  std::vector<std::size_t> ends;
  auto add = [&](std::string_view text) {
    chars += escapeValue(text);
    ends.push_back(chars.size());
  };
  for (std::size_t i = 0; i < grid.length(); ++i) {
    std::size_t k = grid.cell(line, i);
    if (named) {
      add(grid.rows[k / m]);
      add(grid.columns[k % m]);
    }
    for (const Layer& layer : layers) add(_formatCell(layer.table.at(k % m), k / m));
  }
  return figure::TextArray(std::move(chars), std::move(ends), layers.size() + (named ? 2 : 0));
}

// plotly names a hovered position by the first tick within a ten-thousandth of the axis's
// range of it: from 10,000 positions in view a neighbour's tick is as near. The axes cannot
// be zoomed out past the grid, so smaller grids are named by their axes, larger ones per dot.
constexpr std::size_t AXIS_NAMED_POSITIONS = 10000;

bool namedByAxes(const Grid& grid) {
  return std::max(grid.rows.size(), grid.columns.size()) < AXIS_NAMED_POSITIONS;
}

// The tooltips of the dots, one Hover per line. Row and column are named by the hidden axes
// the dots sit on (a name per row and column, not per dot); the colour by the marker, so it
// follows the scale shown; the layers travel as numbers, or as text where one has a cell
// numbers cannot show as _formatCell does (or where the axes cannot name the dots).
std::vector<Hover> dotHovers(const DotsSpec& spec, const Grid& grid, const std::vector<Layer>& layers) {
  bool axes = namedByAxes(grid);
  bool typed = axes && std::all_of(layers.begin(), layers.end(), [](const Layer& l) { return typedLayer(l.table); });
  std::size_t first = axes ? 0 : 2;  // the layers' first customdata column
  auto custom = [](std::size_t i, std::string_view format) {
    return "%{customdata[" + std::to_string(i) + "]" + std::string(format) + "}";
  };
  std::string shown = hoverLine(spec.ylabel.empty() ? "row" : spec.ylabel, axes ? "%{y}" : custom(0, "")) +
                      hoverLine(spec.xlabel.empty() ? "column" : spec.xlabel, axes ? "%{x}" : custom(1, "")) +
                      hoverLine(spec.colorLabel.empty() ? "colour" : spec.colorLabel, "%{marker.color:.4g}");
  for (std::size_t i = 0; i < layers.size(); ++i)
    shown += hoverLine(layers[i].name, custom(first + i, !typed ? "" : integerLayer(layers[i].table) ? ":,d" : ":.4g"));
  std::vector<Hover> out(grid.lines());
  for (std::size_t line = 0; line < out.size(); ++line) {
    out[line].template_ = shown;
    if (typed) out[line].customdata = layerNumbers(grid, layers, line);
    else out[line].customdata = layerTexts(grid, layers, line, !axes);
  }
  return out;
}

// Sizes in tenths of a pixel, a byte each; the marker's sizeref divides them back.
constexpr double SIZE_UNITS = 10.0;

std::vector<double> dotSizes(const Frame& size) {
  std::vector<double> values = cellValues(size);
  for (double& v : values) v = std::round(_dotSize(v) * SIZE_UNITS);
  return values;
}

// A scale's colours per line, with the theme's scale and limits for all its values.
struct ScaleColors {
  std::string name;
  Object encoding;
  std::vector<TypedArray> lines;
};

ScaleColors scaleColors(const DotsSpec& spec, const std::string& name, const Frame& table, const Grid& grid) {
  std::vector<double> values = cellValues(table);
  if (values.size() != grid.cells())
    throw ValueError("dots: scale '" + name + "' has " + std::to_string(table.rows()) + " x " +
                     std::to_string(table.width()) + " cells, the grid " + std::to_string(grid.rows.size()) + " x " +
                     std::to_string(grid.columns.size()));
  ScaleColors out{name, colorEncoding(spec.scale, values, 'c'), {}};
  for (std::size_t line = 0; line < grid.lines(); ++line) out.lines.push_back(compactArray(grid.along(values, line)));
  return out;
}

// The dots of one line: sizes, tooltips and positions travel once, the colours of the first
// scale with them and every other scale's in the scaling menu. The first line's dots carry
// the colour bar.
Object dotTrace(const DotsSpec& spec, const ScaleColors& colors, const Grid& grid, std::size_t line,
                const std::vector<double>& sizes, const Hover& hover) {
  Object marker{{"size", narrowest(grid.along(sizes, line), {grid.length()})},
                {"sizeref", SIZE_UNITS},
                {"color", colors.lines[line]}};
  for (const auto& [key, value] : colors.encoding) marker.set(key, value);
  marker.set("line", Object{{"width", 0}});
  marker.set("showscale", line == 0);
  if (line == 0) marker.set("colorbar", colorbar(spec.colorLabel, 0.55));
  // WebGL from as many dots as a points figure switches at: SVG draws one path per dot.
  Object trace{{"type", _pointTraceType(grid.cells())}};
  for (auto& [key, value] : linePositions(grid, line)) trace.set(key, std::move(value));
  for (auto& [key, value] : Object{{"xaxis", "x2"},
                                   {"yaxis", "y2"},
                                   {"mode", "markers"},
                                   {"marker", std::move(marker)},
                                   {"name", theme::escape(colors.name)},
                                   {"showlegend", false}})
    trace.set(key, std::move(value));
  return withHover(std::move(trace), hover);
}

std::string trimmed(std::string_view text) {
  constexpr std::string_view blank = " \t\n\r\f\v";
  std::size_t first = text.find_first_not_of(blank);
  if (first == std::string_view::npos) return "";
  return std::string(text.substr(first, text.find_last_not_of(blank) - first + 1));
}

// Legend entries that key the dot sizes; nothing of them is drawn in the plot.
void addSizeKey(figure::Figure& fig, const DotsSpec& spec) {
  for (auto [fraction, label] : {std::pair{0.25, "25%"}, {0.5, "50%"}, {1.0, "100%"}})
    fig.addTrace(keyTrace(trimmed(std::string(label) + " " + spec.sizeLabel),
                          Object{{"size", _dotSize(fraction)}, {"color", "#777777"}}));
}

// Each button recolours every line of dots with its own scale.
Object scalingMenu(const std::vector<ScaleColors>& scales, const std::vector<std::int64_t>& dotTraces) {
  Array traces(dotTraces.begin(), dotTraces.end());
  Array buttons;
  for (const ScaleColors& scale : scales) {
    Object args = restyleOf(Object{{"marker", scale.encoding}, {"name", theme::escape(scale.name)}});
    Array colors;
    for (const TypedArray& line : scale.lines) colors.emplace_back(line.asRecord());
    args.set("marker.color", std::move(colors));  // entry k for trace k
    buttons.emplace_back(Object{{"label", theme::escape(scale.name)}, {"method", "restyle"}, {"args", Array{std::move(args), traces}}});
  }
  return layout::control(Object{{"type", "dropdown"}, {"active", 0}, {"buttons", std::move(buttons)}}, "dropdown",
                         "scaling");
}

}  // namespace

double _dotSize(double value) { return (std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0)) * MAX_DOT + 1.0; }

figure::Figure dots(const DotsSpec& spec) {
  auto scales = scalesOf(spec);
  const Frame& base = *scales.front().second;
  Grid grid{rowTexts(base), columnTexts(base)};
  std::size_t n = grid.rows.size(), m = grid.columns.size();

  std::vector<Layer> layers{{"size", alignedTable(spec.size, base.index(), base.names())}};
  for (const auto& [name, table] : spec.extra)
    layers.push_back({name.text, alignedTable(table, base.index(), base.names())});
  std::vector<Hover> hovers = dotHovers(spec, grid, layers);
  std::vector<ScaleColors> colors;
  for (const auto& [name, table] : scales) colors.push_back(scaleColors(spec, name, *table, grid));
  std::vector<double> sizes = dotSizes(layers.front().table);

  figure::Figure fig;
  for (std::size_t line = 0; line < grid.lines(); ++line)
    fig.addTrace(dotTrace(spec, colors.front(), grid, line, sizes, hovers[line]));
  addSizeKey(fig, spec);

  Object x = categoryAxis(positions(m), grid.columns, spec.xlabel);
  x.set("range", Array{-0.6, static_cast<double>(m) - 0.4});
  Object y = categoryAxis(positions(n), grid.rows, spec.ylabel);
  y.set("range", Array{static_cast<double>(n) - 0.4, -0.6});  // the first row at the top
  // Nothing lies beyond the grid, and the naming axes name the dots only up to their count.
  Object xLimits{{"minallowed", -0.6}, {"maxallowed", static_cast<double>(m) - 0.4}};
  Object yLimits{{"minallowed", -0.6}, {"maxallowed", static_cast<double>(n) - 0.4}};
  for (const auto& [key, value] : xLimits) x.set(key, value);
  for (const auto& [key, value] : yLimits) y.set(key, value);
  // The funnel leaves room for every label; plotly's own test of each label against the
  // page's edges takes a forced layout per label on every redraw (half a second a state here).
  for (Object* axis : {&x, &y}) axis->set("ticklabeloverflow", "allow");
  fig.updateAxes('x', x);
  fig.updateAxes('y', y);
  // The legend is a key only: clicking it hides nothing, and its dots keep their sizes
  // (plotly caps them at 16 px) where the theme draws every legend symbol alike.
  fig.updateLayout(Object{
      {"hovermode", "closest"},
      {"legend", Object{{"itemclick", false}, {"itemdoubleclick", false}, {"itemsizing", "trace"}}}});

  FinishOptions options;
  // The slider scales the dots by one sizeref; plotly's legend ignores sizeref, so the key
  // stays at the dots' 1x sizes rather than carrying a size per dot per step.
  std::vector<std::int64_t> dotTraces(grid.lines());
  std::iota(dotTraces.begin(), dotTraces.end(), 0);
  if (auto slider = sizeSlider(fig, dotTraces, "dot scale", true)) options.controls.push_back(*slider);
  if (scales.size() > 1) options.controls.push_back(scalingMenu(colors, dotTraces));
  options.plot = _cellArea(n, m, DOT_CELL_WIDTH, DOT_CELL_HEIGHT, grid.columns);
  figure::Figure& done = finishFigure(fig, spec.common, options);
  // The dots' own axes, after the funnel, which would thin their names as it thins the shown
  // ticks. Beyond what they can name, they only follow the shown axes.
  const Grid unnamed;
  const Grid& names = namedByAxes(grid) ? grid : unnamed;
  done.updateLayout(
      Object{{"xaxis2", namingAxis("x", names.columns, xLimits)}, {"yaxis2", namingAxis("y", names.rows, yLimits)}});
  return std::move(done);
}

}  // namespace tess::render
