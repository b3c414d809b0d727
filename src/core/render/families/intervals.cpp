// Intervals: one marker trace whose orderings travel as restyles of that trace.
#include "render/families/intervals.hpp"

#include <algorithm>
#include <numeric>

#include "errors.hpp"
#include "layout/constants.hpp"
#include "layout/control.hpp"
#include "render/controls/builders.hpp"
#include "render/controls/hover.hpp"
#include "render/families/common/category_axis.hpp"
#include "render/families/common/reference.hpp"
#include "render/families/common/table.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::TypedArray;

namespace {

constexpr double kRowPx = 26.0, kFloor = 240.0, kWidth = 540.0;

// What every ordering reads: the features' values, their category values on the y axis
// and the tooltip's columns, worked out once over the whole frame.
struct Rows {
  std::vector<double> value, low, high;
  Array names;
  std::vector<frame::Name> hoverColumns;
  const frame::Column* colorKeys = nullptr;
};

Rows rowsOf(const IntervalsSpec& spec) {
  const frame::Frame& frame = spec.frame;
  Rows out{frame.asDoubles("value"), frame.asDoubles("low"), frame.asDoubles("high"),
           categoryValues(frame.index().texts()), {}, nullptr};
  for (const frame::Name& name : frame.names())
    if (!(name == frame::Name("low")) && !(name == frame::Name("high"))) out.hoverColumns.push_back(name);
  if (spec.colorBy && frame.contains(*spec.colorBy)) out.colorKeys = &frame.column(*spec.colorBy);
  return out;
}

// One ordering's trace attributes; marker colours only when a column picks them.
Object payload(const IntervalsSpec& spec, const Rows& rows, std::span<const std::size_t> part) {
  std::vector<double> x, plus, minus;
  Array y;
  for (std::size_t row : part) {
    x.push_back(rows.value[row]);
    plus.push_back(rows.high[row] - rows.value[row]);
    minus.push_back(rows.value[row] - rows.low[row]);
    y.push_back(rows.names[row]);
  }
  Object out{{"x", TypedArray::of(std::move(x))},
             {"y", std::move(y)},
             {"error_x", Object{{"type", "data"},
                                {"symmetric", false},
                                {"array", TypedArray::of(std::move(plus))},
                                {"arrayminus", TypedArray::of(std::move(minus))},
                                {"color", "#666666"},
                                {"thickness", 1},
                                {"width", 3}}}};
  if (rows.colorKeys)
    out.set("marker",
            Object{{"color", rowColors("colors", spec.colors, *rows.colorKeys, part, INTERVAL_MARKER_COLOR)}});
  for (auto& [key, value] : _hoverColumns(spec.frame, rows.hoverColumns, part).trace()) out.set(key, value);
  return out;
}

Object markerTrace(Object first) {
  Object marker{{"size", 8}, {"color", INTERVAL_MARKER_COLOR}, {"line", Object{{"width", 0}}}};
  if (const figure::Value* colors = first.find("marker")) marker.set("color", colors->asObject().at("color"));
  first.erase("marker");
  // The colour key, not the trace, stands in the legend.
  Object trace{{"type", "scatter"}, {"mode", "markers"}, {"marker", std::move(marker)}, {"name", ""},
               {"showlegend", false}};
  for (auto& [key, value] : first) trace.set(key, std::move(value));
  return trace;
}

// A button re-sends its ordering's trace and puts the axis's categories in that order.
Object orderButton(const std::string& name, const Object& part) {
  Object relayout{{"yaxis.categoryarray", part.at("y")}};
  return Object{{"label", theme::escape(name)},
                {"method", "update"},
                {"args", Array{restyleOf(part), std::move(relayout), Array{std::int64_t{0}}}}};
}

}  // namespace

figure::Figure intervals(const IntervalsSpec& spec) {
  Rows rows = rowsOf(spec);
  std::size_t n = spec.frame.rows();
  std::vector<std::pair<std::string, std::vector<std::size_t>>> orders;
  for (const auto& [name, positions] : spec.orders) orders.emplace_back(name, rowsAt(positions, n, "ordering"));
  if (orders.empty()) {  // one unnamed ordering: the frame's own
    std::vector<std::size_t> all(n);
    std::iota(all.begin(), all.end(), std::size_t{0});
    orders.emplace_back("", std::move(all));
  }

  std::vector<Object> parts;
  for (const auto& order : orders) parts.push_back(payload(spec, rows, order.second));

  figure::Figure fig;
  fig.addTrace(markerTrace(parts.front()));
  if (rows.colorKeys) {  // every category any ordering shows, first seen first
    std::vector<std::size_t> shown;
    for (const auto& order : orders) shown.insert(shown.end(), order.second.begin(), order.second.end());
    addColorKey(fig, keyEntries("colors", spec.colors, *rows.colorKeys, shown, INTERVAL_MARKER_COLOR), "circle");
  }
  if (spec.reference && spec.logScale && !(*spec.reference > 0))  // plotly would draw no line at all
    throw ValueError("reference: " + formatG(*spec.reference) + " has no place on a logarithmic axis");
  if (spec.reference) addReference(fig, 'x', *spec.reference, "#999999");
  fig.updateAxes('x',
                 Object{{"title_text", theme::escape(spec.valueLabel)}, {"type", spec.logScale ? "log" : "linear"}});
  fig.updateAxes('y', Object{{"autorange", "reversed"}, {"title_text", ""}});

  FinishOptions options;
  if (orders.size() > 1) {
    fig.updateAxes('y', Object{{"categoryorder", "array"}, {"categoryarray", parts.front().at("y")}});
    Array buttons;
    for (std::size_t i = 0; i < orders.size(); ++i) buttons.emplace_back(orderButton(orders[i].first, parts[i]));
    options.controls.push_back(layout::control(
        Object{{"type", "dropdown"}, {"buttons", std::move(buttons)}, {"active", 0}}, "dropdown", "order"));
  }
  double height = kRowPx * static_cast<double>(std::max<std::size_t>(n, 1));
  options.plot = PlotArea{kWidth, std::clamp(height, kFloor, layout::MAX_PLOT_HEIGHT)};
  return std::move(finishFigure(fig, spec.common, options));
}

}  // namespace tess::render
