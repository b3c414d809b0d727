// Bars: one trace per column, sized by the number of bars, finished by the funnel.
#include "render/families/bars.hpp"

#include <algorithm>

#include "errors.hpp"
#include "layout/constants.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::TypedArray;
using figure::Value;

namespace {

// Pixels per bar and the floor of the running dimension; the other dimension is fixed.
constexpr double kHorizontalBarPx = 24.0, kHorizontalFloor = 240.0, kHorizontalWidth = 560.0;
constexpr double kVerticalBarPx = 34.0, kVerticalFloor = 320.0, kVerticalHeight = 460.0;

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

std::vector<std::string> tickTextsOf(const BarsSpec& spec, std::size_t positions) {
  std::vector<std::string> texts = spec.tickLabels.empty() ? spec.pivot.index().texts() : spec.tickLabels;
  if (texts.size() != positions)
    throw ValueError("bars: " + std::to_string(texts.size()) + " tick labels for " + std::to_string(positions) +
                     " positions");
  return texts;
}

Array escaped(const std::vector<std::string>& texts) {
  Array out;
  for (const std::string& text : texts) out.emplace_back(theme::escape(text));
  return out;
}

// The counts of one column as an n x 1 matrix, when the spec has them.
std::optional<TypedArray> countsOf(const BarsSpec& spec, const frame::Name& name) {
  if (!spec.counts || !spec.counts->contains(name)) return std::nullopt;
  std::vector<double> counts = spec.counts->asDoubles(name);
  if (counts.size() != spec.pivot.rows()) throw ValueError("bars: counts and pivot differ in rows");
  std::size_t n = counts.size();
  return TypedArray::of(std::move(counts), {n, 1});
}

Object barTrace(const BarsSpec& spec, const frame::Name& name, const TypedArray& positions, const Array& hovertext) {
  const char* value = spec.horizontal ? "x" : "y";
  TypedArray values = TypedArray::of(spec.pivot.asDoubles(name));
  std::optional<TypedArray> counts = countsOf(spec, name);
  auto colour = spec.colors.find(name.text);
  std::string valueName = spec.valueLabel.empty() ? "value" : spec.valueLabel;
  // The hover names the bar by its tick text: the positions themselves are only numbers.
  std::string hovertemplate = "%{hovertext}<br>" + theme::escape(name.text) + "<br>" +
                              (counts ? "cells: %{customdata[0]:,}<br>" : "") + theme::escape(valueName) +
                              ": %{" + value + ":.3g}<extra></extra>";
  Object trace{{"type", "bar"},
               {"x", spec.horizontal ? values : positions},
               {"y", spec.horizontal ? positions : values}};
  trace.set("orientation", spec.horizontal ? "h" : "v");
  trace.set("name", theme::escape(name.text));
  trace.set("marker", Object{{"color", colour != spec.colors.end() ? colour->second : std::string(DEFAULT_BAR_COLOR)},
                             {"line", Object{{"width", 0}}}});
  trace.set("customdata", counts ? Value(*counts) : Value());
  trace.set("hovertext", hovertext);
  trace.set("hovertemplate", hovertemplate);
  return trace;
}

std::vector<double> plotSize(const BarsSpec& spec, std::size_t positions) {
  double n = static_cast<double>(std::max<std::size_t>(positions, 1));
  if (spec.horizontal)
    return {kHorizontalWidth, std::clamp(kHorizontalBarPx * n, kHorizontalFloor, layout::MAX_PLOT_HEIGHT)};
  return {std::clamp(kVerticalBarPx * n, kVerticalFloor, layout::MAX_PLOT_WIDTH), kVerticalHeight};
}

}  // namespace

figure::Figure bars(const BarsSpec& spec) {
  std::vector<double> positions = positionsOf(spec);
  Array ticktext = escaped(tickTextsOf(spec, positions.size()));
  TypedArray positionArray = TypedArray::of(positions);
  bool percent = spec.method == "percent";

  figure::Figure fig;
  for (const frame::Name& name : spec.pivot.names()) fig.addTrace(barTrace(spec, name, positionArray, ticktext));
  fig.updateLayout(Object{{"barmode", spec.stacked ? "stack" : "group"},
                          {"bargap", BAR_GAP},
                          {"legend", Object{{"traceorder", "reversed"}}},
                          {"hovermode", "closest"}});
  if (percent) fig.layout.set("barnorm", "percent");

  char category = spec.horizontal ? 'y' : 'x';
  char value = spec.horizontal ? 'x' : 'y';
  fig.updateAxes(category, Object{{"tickmode", "array"},
                                  {"tickvals", Array(positions.begin(), positions.end())},
                                  {"ticktext", ticktext},
                                  {"title_text", theme::escape(spec.barLabel)},
                                  {"showline", true}});
  fig.updateAxes(value, Object{{"title_text", theme::escape(spec.valueLabel) + (percent ? " (%)" : "")}});
  if (spec.horizontal) fig.updateAxes('y', Object{{"autorange", "reversed"}});

  FinishOptions options;
  options.plot = plotSize(spec, positions.size());
  return std::move(finishFigure(fig, spec.common, options));
}

}  // namespace tess::render
