// Distribution: a trace per group and panel, threshold lines, the panel dropdown, the axis
// switch and (strips) the size slider, then the funnel.
#include "render/families/distribution.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "errors.hpp"
#include "layout/constants.hpp"
#include "layout/control.hpp"
#include "render/controls/builders.hpp"
#include "render/controls/hover.hpp"
#include "render/entry/checks.hpp"
#include "render/families/common/values.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::Value;

namespace {

// Pixels between a threshold line and the lower edge of its label's box.
constexpr int LABEL_LIFT = 3;

enum class Style { Violin, Box, Strip };

Style styleOf(const std::string& style) {
  if (style == "box") return Style::Box;
  if (style == "strip") return Style::Strip;
  return Style::Violin;
}

// The finite values of a group and, when it has labels, the labels of those values: a
// label dropped with its value keeps every later label on its own point.
struct Drawn {
  std::vector<double> values;
  std::optional<figure::TextArray> labels;
};

Drawn drawnValues(const DistributionPanel& panel, const DistributionGroup& group) {
  const std::vector<std::string>* labels = group.labels ? &*group.labels : nullptr;
  if (labels && labels->size() != group.values.size())
    throw ValueError("points: " + std::to_string(labels->size()) + " labels for the " +
                     std::to_string(group.values.size()) + " values of group " + shownText(group.name) +
                     (panel.name.empty() ? "" : " in panel " + shownText(panel.name)));
  Drawn out;
  out.values.reserve(group.values.size());
  std::string chars;
  std::vector<std::size_t> ends;
  for (std::size_t i = 0; i < group.values.size(); ++i) {
    if (!std::isfinite(group.values[i])) continue;
    out.values.push_back(group.values[i]);
    if (!labels) continue;
    // Labels are substituted into the tooltip, which reads them as markup.
    chars += escapeValue((*labels)[i]);
    ends.push_back(chars.size());
  }
  if (labels) out.labels = figure::TextArray(std::move(chars), std::move(ends));
  return out;
}

// What every style's trace ends with; the strip's outline is transparent instead.
void addCommon(Object& trace, const DistributionGroup& group, const std::string& color, bool first, bool outline) {
  // Placed by x0, not by name: the legend may shorten a long name, which would move the
  // trace to a category of its own.
  trace.set("x0", theme::escape(group.name));
  trace.set("name", theme::escape(group.name));
  trace.set("legendgroup", group.name);
  trace.set("visible", first);
  trace.set("showlegend", first);
  trace.set("line", outline ? Object{{"color", color}, {"width", 1}} : Object{{"color", "rgba(0,0,0,0)"}});
}

Object groupTrace(const DistributionSpec& spec, Style style, const DistributionPanel& panel,
                  const DistributionGroup& group, bool first) {
  Drawn drawn = drawnValues(panel, group);
  std::string color = categoryColor("colors", spec.colors, group.name, DEFAULT_GROUP_COLOR);
  figure::TypedArray values = compactArray(std::move(drawn.values));
  Object marker{{"color", color}, {"size", 4}, {"line", Object{{"width", 0}}}};
  Object trace;
  switch (style) {
    case Style::Box:
      trace = Object{{"type", "box"}, {"y", values}, {"boxpoints", false},
                     {"fillcolor", theme::rgba(color, 0.5)}, {"marker", marker}};
      break;
    case Style::Strip:
      trace = Object{{"type", "box"},          {"y", values},
                     {"boxpoints", "all"},     {"pointpos", 0},
                     {"fillcolor", "rgba(0,0,0,0)"},
                     {"marker", Object{{"color", color}, {"size", 5}, {"opacity", 0.7}}}};
      if (drawn.labels) {
        trace.set("text", std::move(*drawn.labels));
        trace.set("hovertemplate", "%{text}<br>%{y:.4g}<extra></extra>");
      }
      break;
    case Style::Violin:
      trace = Object{{"type", "violin"},
                     {"y", values},
                     {"box", Object{{"visible", true}}},
                     {"points", false},
                     {"meanline", Object{{"visible", false}}},
                     {"spanmode", "hard"},  // the violin ends at the data's extremes
                     {"fillcolor", theme::rgba(color, 0.5)},
                     {"marker", marker},
                     {"hovertemplate", theme::escape(group.name) + "<br>%{y:.4g}<extra></extra>"}};
      break;
  }
  addCommon(trace, group, color, first, style != Style::Strip);
  return trace;
}

double checkedThreshold(const std::pair<std::string, double>& threshold) {
  if (!std::isfinite(threshold.second))
    throw ValueError(subscripted("thresholds", threshold.first) + " must be a finite number, not " +
                     formatG(threshold.second));
  return threshold.second;
}

// A dashed line across the plot at each threshold, its label at one end of it. Labels of
// lines next to each other in value (however close) never meet: in value order they go
// below and above the line at the right end, then below and above at the left end. A log
// axis has no place for a threshold at zero or below: both hide there.
void addThresholds(figure::Figure& fig, const DistributionSpec& spec) {
  Array shapes, annotations;
  std::vector<std::size_t> order(spec.thresholds.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return spec.thresholds[a].second < spec.thresholds[b].second;
  });
  std::vector<std::size_t> rank(order.size());
  for (std::size_t r = 0; r < order.size(); ++r) rank[order[r]] = r;
  for (std::size_t i = 0; i < spec.thresholds.size(); ++i) {
    const auto& threshold = spec.thresholds[i];
    double value = checkedThreshold(threshold);
    std::optional<double> at = _thresholdPosition(value, spec.log);
    bool above = rank[i] % 2 == 1 || order.size() == 1, right = rank[i] % 4 < 2;
    Object shape{{"type", "line"}, {"xref", "paper"}, {"yref", "y"}, {"x0", 0},      {"x1", 1},
                 {"y0", value},    {"y1", value},     {"line", Object{{"color", THRESHOLD_COLOR}, {"width", 1},
                                                                      {"dash", "dash"}}}};
    Object label{{"text", theme::escape(threshold.first)},
                 {"xref", "paper"},
                 {"yref", "y"},
                 {"x", right ? 1.0 : 0.0},
                 {"y", at.value_or(value)},
                 {"showarrow", false},
                 {"xanchor", right ? "right" : "left"},
                 // The label's box stands on (or hangs from) the line, clear of it.
                 {"yanchor", above ? "bottom" : "top"},
                 {"yshift", above ? LABEL_LIFT : -LABEL_LIFT},
                 {"font", Object{{"size", theme::TICK_PX}, {"color", THRESHOLD_COLOR}}}};
    if (!at) {
      shape.set("visible", false);
      label.set("visible", false);
    }
    shapes.emplace_back(std::move(shape));
    annotations.emplace_back(std::move(label));
  }
  fig.updateLayout(Object{{"shapes", std::move(shapes)}, {"annotations", std::move(annotations)}});
}

// The relayout of one axis type: the type, and every threshold label's position on it
// (plotly would otherwise convert the positions itself, placing a hidden label at zero
// back at one), showing only what that axis can place.
Object axisTypeState(const DistributionSpec& spec, bool log) {
  // The funnel gives the log axis the tick stride its labels fit.
  Object state{{"yaxis.type", log ? "log" : "linear"}};
  for (std::size_t i = 0; i < spec.thresholds.size(); ++i) {
    double value = spec.thresholds[i].second;
    std::optional<double> at = _thresholdPosition(value, log);
    std::string label = "annotations[" + std::to_string(i) + "].";
    state.set(label + "y", at.value_or(value));
    if (value > 0) continue;
    state.set(label + "visible", at.has_value());
    state.set("shapes[" + std::to_string(i) + "].visible", at.has_value());
  }
  return state;
}

Object axisTypeSwitch(const DistributionSpec& spec) {
  Array buttons;
  for (bool log : {false, true})
    buttons.emplace_back(Object{{"label", log ? "log" : "linear"},
                                {"method", "relayout"},
                                {"args", Array{axisTypeState(spec, log)}}});
  Object menu{{"type", "buttons"}, {"direction", "right"}, {"active", spec.log ? 1 : 0}, {"buttons", std::move(buttons)}};
  return layout::control(std::move(menu), "dropdown", std::nullopt, "right");
}

}  // namespace

std::optional<double> _thresholdPosition(double value, bool log) {
  if (!log) return value;
  if (!(value > 0)) return std::nullopt;
  return std::log10(value);
}

std::optional<std::vector<DistributionPanel>> _sharedGroups(const DistributionSpec& spec) {
  auto namesOf = [](const DistributionPanel& panel) {
    std::vector<std::string> names;
    for (const DistributionGroup& group : panel.groups) names.push_back(group.name);
    return names;
  };
  bool same = std::all_of(spec.panels.begin(), spec.panels.end(),
                          [&](const DistributionPanel& panel) { return namesOf(panel) == namesOf(spec.panels.front()); });
  if (spec.ordered > 0 || same) return std::nullopt;
  std::vector<std::string> shared;
  for (const DistributionPanel& panel : spec.panels)
    for (const DistributionGroup& group : panel.groups)
      if (std::find(shared.begin(), shared.end(), group.name) == shared.end()) shared.push_back(group.name);
  std::vector<DistributionPanel> out;
  for (const DistributionPanel& panel : spec.panels) {
    DistributionPanel drawn{panel.name, {}};
    for (const std::string& name : shared) {
      std::size_t before = drawn.groups.size();
      for (const DistributionGroup& group : panel.groups)
        if (group.name == name) drawn.groups.push_back(group);
      if (drawn.groups.size() == before) drawn.groups.push_back({name, {}, std::nullopt});
    }
    out.push_back(std::move(drawn));
  }
  return out;
}

PlotArea _distributionArea(std::span<const DistributionPanel> drawn) {
  // The traces each panel draws, which with a group order are that order's groups.
  std::size_t n = 1;
  for (const DistributionPanel& panel : drawn) n = std::max(n, panel.groups.size());
  return {std::clamp(GROUP_PX * static_cast<double>(n), MIN_DISTRIBUTION_WIDTH, layout::MAX_PLOT_WIDTH),
          DISTRIBUTION_HEIGHT};
}

figure::Figure distribution(const DistributionSpec& spec) {
  if (spec.panels.empty()) throw ValueError("distribution: no panel to draw");
  Style style = styleOf(spec.style);
  std::optional<std::vector<DistributionPanel>> shared = _sharedGroups(spec);
  const std::vector<DistributionPanel>& panels = shared ? *shared : spec.panels;
  figure::Figure fig;
  std::vector<std::int64_t> sizes;
  std::vector<std::string> names;
  for (std::size_t p = 0; p < panels.size(); ++p) {
    const DistributionPanel& panel = panels[p];
    for (const DistributionGroup& group : panel.groups) fig.addTrace(groupTrace(spec, style, panel, group, p == 0));
    sizes.push_back(static_cast<std::int64_t>(panel.groups.size()));
    names.push_back(panel.name);
  }
  addThresholds(fig, spec);
  fig.updateAxes('y', Object{{"title_text", theme::escape(spec.valueLabel)}, {"type", spec.log ? "log" : "linear"}});
  // Every panel draws the same groups; listing them, and ranging over them, keeps a group
  // without values in its place, where the ticks were laid out for it (plotly would leave
  // an empty trace out of its categories and its range).
  Array categories;
  for (const DistributionGroup& group : panels.front().groups)
    if (Value name = theme::escape(group.name); std::find(categories.begin(), categories.end(), name) == categories.end())
      categories.push_back(std::move(name));
  // The range holds every group, drawn or empty, whichever panel is shown.
  double last = static_cast<double>(categories.size()) - 0.5;
  fig.updateAxes('x', Object{{"title_text", theme::escape(spec.groupLabel)},
                             {"categoryorder", "array"},
                             {"categoryarray", std::move(categories)},
                             {"range", Array{-0.5, std::max(last, 0.5)}}});
  fig.updateLayout(Object{{"showlegend", spec.ordered >= 2}, {"hovermode", "closest"}});

  FinishOptions options;
  if (panels.size() > 1) {
    DropdownOptions dropdown{.label = "value", .axisTitle = "y", .axisBase = spec.valueLabel};
    options.controls.push_back(dropdownControl(names, sizes, dropdown));
    fig.updateAxes('y', Object{{"title_text", axisTitleFor(names.front(), spec.valueLabel)}});
  }
  options.controls.push_back(axisTypeSwitch(spec));
  if (style == Style::Strip)
    if (auto slider = sizeSlider(fig, std::nullopt, "marker size")) options.controls.push_back(*slider);
  options.plot = _distributionArea(panels);
  return std::move(finishFigure(fig, spec.common, options));
}

}  // namespace tess::render
