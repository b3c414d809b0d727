// Dots: one trace per colour scale over a row-major grid, a size key, controls, then the funnel.
#include "render/families/dots.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

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
// draw its colours on the wrong dots.
struct Grid {
  std::vector<std::string> rows, columns;
  std::size_t cells() const { return rows.size() * columns.size(); }
};

std::vector<std::pair<std::string, const Frame*>> scalesOf(const DotsSpec& spec) {
  std::vector<std::pair<std::string, const Frame*>> out;
  if (spec.scales.empty()) out.emplace_back("", &spec.color);
  for (const auto& [name, table] : spec.scales) out.emplace_back(name.text, &table);
  return out;
}

// Column and row position of each dot, row by row, in the narrowest integers that hold them.
std::pair<TypedArray, TypedArray> gridPositions(const Grid& grid) {
  std::size_t m = grid.columns.size();
  std::vector<double> x(grid.cells()), y(grid.cells());
  for (std::size_t k = 0; k < x.size(); ++k) {
    x[k] = static_cast<double>(k % m);
    y[k] = static_cast<double>(k / m);
  }
  return {narrowest(x, {x.size()}), narrowest(y, {y.size()})};
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
figure::TypedArray layerNumbers(const Grid& grid, const std::vector<Layer>& layers) {
  std::size_t m = grid.columns.size();
  std::vector<double> values;
  values.reserve(grid.cells() * layers.size());
  for (std::size_t k = 0; k < grid.cells(); ++k)
    for (const Layer& layer : layers) values.push_back(layer.table.at(k % m).values().at(k / m));
  figure::TypedArray::Shape shape{grid.cells(), layers.size()};
  constexpr double exactFloat = 16777216.0;  // 2^24: every integer up to it is a float32
  bool compact = _fitsFloat32(values) &&
                 std::all_of(values.begin(), values.end(), [](double v) { return std::fabs(v) <= exactFloat; });
  return compact ? narrowest(values, std::move(shape)) : TypedArray::of(std::move(values), std::move(shape));
}

// Each layer's cell as text, as _formatCell shows it, per dot.
figure::TextArray layerTexts(const Grid& grid, const std::vector<Layer>& layers) {
  std::size_t m = grid.columns.size();
  std::string chars;
  std::vector<std::size_t> ends;
  ends.reserve(grid.cells() * layers.size());
  for (std::size_t k = 0; k < grid.cells(); ++k)
    for (const Layer& layer : layers) {
      chars += escapeValue(_formatCell(layer.table.at(k % m), k / m));
      ends.push_back(chars.size());
    }
  return figure::TextArray(std::move(chars), std::move(ends), layers.size());
}

// Row and column are named by the hidden axes the dots sit on (a name per row and column,
// not per dot); the colour by the marker, so it follows the scale shown; the layers travel
// as numbers, or as text where one has a cell numbers cannot show as _formatCell does.
Hover dotHover(const DotsSpec& spec, const Grid& grid, const std::vector<Layer>& layers) {
  bool typed = std::all_of(layers.begin(), layers.end(), [](const Layer& l) { return typedLayer(l.table); });
  Hover hover;
  hover.template_ = hoverLine(spec.ylabel.empty() ? "row" : spec.ylabel, "%{y}") +
                    hoverLine(spec.xlabel.empty() ? "column" : spec.xlabel, "%{x}") +
                    hoverLine(spec.colorLabel.empty() ? "colour" : spec.colorLabel, "%{marker.color:.4g}");
  for (std::size_t i = 0; i < layers.size(); ++i) {
    std::string format = !typed ? "" : integerLayer(layers[i].table) ? ":,d" : ":.4g";
    hover.template_ += hoverLine(layers[i].name, "%{customdata[" + std::to_string(i) + "]" + format + "}");
  }
  if (typed) hover.customdata = layerNumbers(grid, layers);
  else hover.customdata = layerTexts(grid, layers);
  return hover;
}

// Sizes in tenths of a pixel, a byte each; the marker's sizeref divides them back.
constexpr double SIZE_UNITS = 10.0;

TypedArray dotSizes(const Frame& size) {
  std::vector<double> values = cellValues(size);
  for (double& v : values) v = std::round(_dotSize(v) * SIZE_UNITS);
  return narrowest(values, {values.size()});
}

// A scale's colour values with the theme's scale and limits for them, keyed for a marker.
Object scaleColors(const DotsSpec& spec, const std::string& name, const Frame& table, const Grid& grid) {
  std::vector<double> values = cellValues(table);
  if (values.size() != grid.cells())
    throw ValueError("dots: scale '" + name + "' has " + std::to_string(table.rows()) + " x " +
                     std::to_string(table.width()) + " cells, the grid " + std::to_string(grid.rows.size()) + " x " +
                     std::to_string(grid.columns.size()));
  Object encoding = colorEncoding(spec.scale, values, 'c');
  Object out{{"color", compactArray(std::move(values))}};
  for (auto& [key, value] : encoding) out.set(key, value);
  return out;
}

// The one trace of dots: positions, sizes and tooltips travel once, the colours of the
// first scale with it and every other scale's in the scaling menu.
Object dotTrace(const DotsSpec& spec, const std::string& name, Object colors, const Grid& grid,
                const Hover& hover, const Frame& size) {
  auto [x, y] = gridPositions(grid);
  Object marker{{"size", dotSizes(size)}, {"sizeref", SIZE_UNITS}};
  for (auto& [key, value] : colors) marker.set(key, value);
  marker.set("line", Object{{"width", 0}});
  marker.set("showscale", true);
  marker.set("colorbar", colorbar(spec.colorLabel, 0.55));
  // WebGL from as many dots as a points figure switches at: SVG draws one path per dot.
  Object trace{{"type", _pointTraceType(grid.cells())},
               {"x", std::move(x)},
               {"y", std::move(y)},
               {"xaxis", "x2"},
               {"yaxis", "y2"},
               {"mode", "markers"},
               {"marker", std::move(marker)},
               {"name", theme::escape(name)},
               {"showlegend", false}};
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

// Each button recolours the dots with its own scale.
Object scalingMenu(const std::vector<std::pair<std::string, Object>>& scales) {
  Array buttons;
  for (const auto& [name, colors] : scales)
    buttons.emplace_back(Object{{"label", theme::escape(name)},
                                {"method", "restyle"},
                                {"args", Array{restyleOf(Object{{"marker", colors}, {"name", theme::escape(name)}}),
                                               Array{std::int64_t{0}}}}});
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
  Hover hover = dotHover(spec, grid, layers);
  std::vector<std::pair<std::string, Object>> colors;
  for (const auto& [name, table] : scales) colors.emplace_back(name, scaleColors(spec, name, *table, grid));

  figure::Figure fig;
  fig.addTrace(dotTrace(spec, scales.front().first, colors.front().second, grid, hover, layers.front().table));
  addSizeKey(fig, spec);

  Object x = categoryAxis(positions(m), grid.columns, spec.xlabel);
  x.set("range", Array{-0.6, static_cast<double>(m) - 0.4});
  Object y = categoryAxis(positions(n), grid.rows, spec.ylabel);
  y.set("range", Array{static_cast<double>(n) - 0.4, -0.6});  // the first row at the top
  fig.updateAxes('x', x);
  fig.updateAxes('y', y);
  fig.updateLayout(Object{{"xaxis2", namingAxis("x", grid.columns)}, {"yaxis2", namingAxis("y", grid.rows)}});
  // The legend is a key only: clicking it hides nothing, and its dots keep their sizes
  // (plotly caps them at 16 px) where the theme draws every legend symbol alike.
  fig.updateLayout(Object{
      {"hovermode", "closest"},
      {"legend", Object{{"itemclick", false}, {"itemdoubleclick", false}, {"itemsizing", "trace"}}}});

  FinishOptions options;
  // The slider scales the dots by one sizeref; plotly's legend ignores sizeref, so the key
  // stays at the dots' 1x sizes rather than carrying a size per dot per step.
  if (auto slider = sizeSlider(fig, std::vector<std::int64_t>{0}, "dot scale", true)) options.controls.push_back(*slider);
  if (scales.size() > 1) options.controls.push_back(scalingMenu(colors));
  options.plot = _cellArea(n, m, DOT_CELL_WIDTH, DOT_CELL_HEIGHT, grid.columns);
  return std::move(finishFigure(fig, spec.common, options));
}

}  // namespace tess::render
