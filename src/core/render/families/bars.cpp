// Bars: one trace per column, sized by the number of bars, finished by the funnel.
#include "render/families/bars.hpp"

#include <algorithm>

#include "errors.hpp"
#include "layout/constants.hpp"
#include "render/controls/hover.hpp"
#include "render/families/common/area.hpp"
#include "render/families/common/category_axis.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::TypedArray;

namespace {

constexpr double kHorizontalWidth = 560.0;

std::vector<double> positionsOf(const BarsSpec& spec) {
  std::size_t rows = spec.pivot.rows();
  if (!spec.positions) {
    std::vector<double> out(rows);
    for (std::size_t i = 0; i < rows; ++i) out[i] = static_cast<double>(i);
    return out;
  }
  if (spec.positions->size() != rows)
    throw ValueError("bars: " + std::to_string(spec.positions->size()) + " positions for " + std::to_string(rows) +
                     " rows");
  return *spec.positions;
}

std::vector<std::string> tickTextsOf(const BarsSpec& spec) {
  return spec.tickLabels.empty() ? spec.pivot.index().texts() : spec.tickLabels;
}

// The counts of one column as an n x 1 matrix, when the spec has them.
std::optional<TypedArray> countsOf(const BarsSpec& spec, const frame::Name& name) {
  if (!spec.counts || !spec.counts->contains(name)) return std::nullopt;
  std::vector<double> counts = spec.counts->asDoubles(name);
  if (counts.size() != spec.pivot.rows()) throw ValueError("bars: counts and pivot differ in rows");
  std::size_t n = counts.size();
  return TypedArray::of(std::move(counts), {n, 1});
}

// The bar named by its tick text (the positions themselves are only numbers), the series,
// its count when known, and the value.
Hover barHover(const BarsSpec& spec, const frame::Name& name, std::optional<TypedArray> counts) {
  std::string value = spec.horizontal ? "%{x:.3g}" : "%{y:.3g}";
  Hover hover;
  hover.template_ = "%{hovertext}<br>" + theme::escape(name.text) + "<br>" +
                    (counts ? hoverLine("cells", "%{customdata[0]:,}") : "") +
                    hoverLine(spec.valueLabel.empty() ? "value" : spec.valueLabel, value);
  hover.template_.erase(hover.template_.size() - std::string_view("<br>").size());  // no blank last line
  if (counts) hover.customdata = std::move(*counts);
  return hover;
}

Object barTrace(const BarsSpec& spec, const frame::Name& name, const TypedArray& positions, const Array& hovertext) {
  TypedArray values = TypedArray::of(spec.pivot.asDoubles(name));
  Object trace{{"type", "bar"},
               {"x", spec.horizontal ? values : positions},
               {"y", spec.horizontal ? positions : values},
               {"orientation", spec.horizontal ? "h" : "v"},
               {"name", theme::escape(name.text)},
               {"marker", Object{{"color", categoryColor("colors", spec.colors, name.text, DEFAULT_BAR_COLOR)},
                                 {"line", Object{{"width", 0}}}}},
               {"hovertext", hovertext}};
  return withHover(std::move(trace), barHover(spec, name, countsOf(spec, name)));
}

}  // namespace

figure::Figure bars(const BarsSpec& spec) {
  std::vector<double> at = positionsOf(spec);
  std::vector<std::string> texts = tickTextsOf(spec);
  Object categories = categoryAxis(Array(at.begin(), at.end()), texts, spec.barLabel);
  categories.set("showline", true);
  TypedArray positionArray = TypedArray::of(at);
  const Array& hovertext = categories.at("ticktext").asArray();
  bool percent = spec.method == "percent";

  figure::Figure fig;
  for (const frame::Name& name : spec.pivot.names()) fig.addTrace(barTrace(spec, name, positionArray, hovertext));
  fig.updateLayout(Object{{"barmode", spec.stacked ? "stack" : "group"},
                          {"bargap", BAR_GAP},
                          {"legend", Object{{"traceorder", "reversed"}}},
                          {"hovermode", "closest"}});
  if (percent) fig.layout.set("barnorm", "percent");

  fig.updateAxes(spec.horizontal ? 'y' : 'x', categories);
  fig.updateAxes(spec.horizontal ? 'x' : 'y',
                 Object{{"title_text", theme::escape(spec.valueLabel) + (percent ? " (%)" : "")}});
  if (spec.horizontal) fig.updateAxes('y', Object{{"autorange", "reversed"}});

  FinishOptions options;
  options.plot = _barArea(at.size(), spec.horizontal, kHorizontalWidth);
  return std::move(finishFigure(fig, spec.common, options));
}

}  // namespace tess::render
