// Curves: per feature, per group a band and a curve; a dropdown picks the feature, then the funnel.
#include "render/families/curves.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "errors.hpp"
#include "layout/control.hpp"
#include "render/controls/builders.hpp"
#include "render/controls/hover.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::TypedArray;
using frame::Frame;

namespace {

// Every feature draws in the same area, so switching features never moves the plot.
constexpr PlotArea kPlot{600.0, 440.0};
constexpr double kGap = std::numeric_limits<double>::quiet_NaN();

// One limit over the rows [first, last), forward. As steps, each value is held until the
// next time, the last one until `until` when that is known.
void appendLimit(std::span<const double> time, std::span<const double> values, std::size_t first, std::size_t last,
                 bool step, std::optional<double> until, std::vector<double>& x, std::vector<double>& y) {
  for (std::size_t i = first; i < last; ++i) {
    if (step && i > first) {
      x.push_back(time[i]);
      y.push_back(values[i - 1]);
    }
    x.push_back(time[i]);
    y.push_back(values[i]);
  }
  if (step && until) {
    x.push_back(*until);
    y.push_back(values[last - 1]);
  }
}

Object bandTrace(const Frame& table, std::span<const double> time, bool step, const std::string& color,
                 const std::string& group, bool visible) {
  auto [x, y] = _bandOutline(time, table.asDoubles("high"), table.asDoubles("low"), step);
  return Object{{"type", "scatter"},
                {"x", TypedArray::of(std::move(x))},
                {"y", TypedArray::of(std::move(y))},
                {"fill", "toself"},
                {"fillcolor", theme::rgba(color, BAND_OPACITY)},
                {"line", Object{{"width", 0}}},
                {"hoverinfo", "skip"},
                {"visible", visible},
                {"showlegend", false},
                {"legendgroup", group},
                {"name", group + " interval"}};
}

// Time and value under the spec's captions, then the table's counts, and the curve's name
// in the side box.
std::string curveTemplate(const CurvesSpec& spec, const Hover& hover) {
  return hoverLine(spec.xlabel.empty() ? "time" : spec.xlabel, "%{x:.4g}") +
         hoverLine(spec.ylabel.empty() ? "value" : spec.ylabel, "%{y:.4g}") + hover.template_ +
         "<extra>%{fullData.name}</extra>";
}

Object curveTrace(const CurvesSpec& spec, const Frame& table, std::vector<double> time, const std::string& color,
                  const std::string& group, bool visible) {
  static const std::vector<frame::Name> counts{"atRisk", "events"};
  Hover hover = _hoverColumns(table, counts);
  Object trace{{"type", "scatter"},
               {"x", TypedArray::of(std::move(time))},
               {"y", TypedArray::of(table.asDoubles("value"))},
               {"mode", "lines"},
               {"line", Object{{"color", color}, {"width", 2}, {"shape", spec.step ? "hv" : "linear"}}},
               {"name", group},
               {"legendgroup", group},
               {"visible", visible}};
  trace = withHover(std::move(trace), hover);
  trace.set("hovertemplate", curveTemplate(spec, hover));
  return trace;
}

// The traces of one feature: per group its band, when it has both limits, then its curve.
std::int64_t drawFeature(figure::Figure& fig, const CurvesSpec& spec, const CurveTables& tables, bool visible) {
  std::int64_t count = 0;
  for (const auto& [name, table] : tables) {
    std::string color = categoryColor("colors", spec.colors, name.text, DEFAULT_CURVE_COLOR);
    std::string group = theme::escape(name.text);
    std::vector<double> time = table.asDoubles("time");
    if (table.contains("low") && table.contains("high")) {
      fig.addTrace(bandTrace(table, time, spec.step, color, group, visible));
      ++count;
    }
    fig.addTrace(curveTrace(spec, table, std::move(time), color, group, visible));
    ++count;
  }
  return count;
}

// The feature's note, escaped; empty when it has none.
std::string noteOf(const CurvesSpec& spec, const frame::Name& feature) {
  for (const auto& [key, note] : spec.annotations)
    if (key == feature) return note ? theme::escape(*note) : std::string();
  return {};
}

// The band places it: inside the plot it would lie on curves or bands in some state.
Object noteAnnotation(const std::string& text) {
  Object note{{"text", text},
              {"showarrow", false},
              {"font", Object{{"size", theme::TICK_PX}, {"color", "#333333"}}}};
  if (text.empty()) note.set("visible", false);
  return note;
}

}  // namespace

std::pair<std::vector<double>, std::vector<double>> _bandOutline(std::span<const double> time,
                                                                 std::span<const double> high,
                                                                 std::span<const double> low, bool step) {
  if (high.size() != time.size() || low.size() != time.size())
    throw ValueError("a band needs one high and one low per time");
  std::size_t n = time.size();
  auto known = [&](std::size_t i) { return !std::isnan(time[i]) && !std::isnan(high[i]) && !std::isnan(low[i]); };
  std::vector<double> x, y;
  for (std::size_t first = 0; first < n;) {
    if (!known(first)) {
      ++first;
      continue;
    }
    std::size_t last = first;
    while (last < n && known(last)) ++last;
    // A row with a missing limit ends one closed piece; plotly fills each piece between gaps.
    if (!x.empty()) {
      x.push_back(kGap);
      y.push_back(kGap);
    }
    std::optional<double> until;
    if (last < n && !std::isnan(time[last])) until = time[last];
    std::vector<double> backX, backY;
    appendLimit(time, high, first, last, step, until, x, y);
    appendLimit(time, low, first, last, step, until, backX, backY);
    x.insert(x.end(), backX.rbegin(), backX.rend());
    y.insert(y.end(), backY.rbegin(), backY.rend());
    first = last;
  }
  return {std::move(x), std::move(y)};
}

figure::Figure curves(const CurvesSpec& spec) {
  figure::Figure fig;
  std::vector<std::string> features;
  std::vector<std::int64_t> groups;
  for (const auto& [feature, tables] : spec.curves) {
    groups.push_back(drawFeature(fig, spec, tables, groups.empty()));
    features.push_back(feature.text);
  }
  fig.updateAxes('x', Object{{"title_text", theme::escape(spec.xlabel)}});
  fig.updateAxes('y', Object{{"title_text", theme::escape(spec.ylabel)}});

  // The note belongs to the feature on show: one annotation, rewritten by each state.
  std::vector<std::string> notes;
  for (const auto& [feature, tables] : spec.curves) notes.push_back(noteOf(spec, feature));
  bool noted = std::any_of(notes.begin(), notes.end(), [](const std::string& note) { return !note.empty(); });
  if (noted) fig.layout.set("annotations", Array{noteAnnotation(notes.front())});

  FinishOptions options;
  options.plot = kPlot;
  if (groups.size() >= 2) {
    DropdownOptions dropdown{.label = "feature", .axisTitle = "y", .axisBase = spec.ylabel};
    if (noted)
      for (const std::string& note : notes)
        dropdown.stateLayout.push_back(
            Object{{"annotations[0].text", note}, {"annotations[0].visible", !note.empty()}});
    options.controls.push_back(dropdownControl(features, groups, dropdown));
    fig.updateAxes('y', Object{{"title_text", axisTitleFor(features.front(), spec.ylabel)}});
  }
  if (noted)
    options.controls.push_back(
        layout::control(Object{{"texts", Array(notes.begin(), notes.end())}}, "note", std::nullopt, "right", 0));
  return std::move(finishFigure(fig, spec.common, options));
}

}  // namespace tess::render
