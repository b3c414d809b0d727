// Gate: the distributions are binned here, once, so that the page holds a few thousand
// counts whatever the number of cells; only the gate lines move in the browser.
#include "render/families/gate.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "errors.hpp"
#include "render/controls/builders.hpp"
#include "render/controls/hover.hpp"
#include "render/entry/checks.hpp"
#include "render/families/common/colors.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::TypedArray;

namespace {

constexpr PlotArea kPlot{560.0, 440.0};
constexpr std::string_view kBarColor = "#5B7FA6";
constexpr Range kFinite{-std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), "a finite number"};

// What choosing one marker (or pair) shows besides its trace.
struct State {
  std::string label;
  Array shapes;
  Object layout;  // the gate lines and the axis titles
};

double thresholdOf(const GateSpec& spec, const std::string& marker) {
  auto found = spec.thresholds.find(marker);
  if (found == spec.thresholds.end()) return DEFAULT_GATE;
  return *checkedNumber(subscripted("thresholds", marker), std::optional<double>(found->second), kFinite);
}

Object gateOf(const GateSpec& spec, std::string_view axis, const GateMarker& marker) {
  return _gateShape(axis, thresholdOf(spec, marker.name), "gate:" + marker.name);
}

// The counts as plotly.js reads whole numbers; the narrowest type keeps sparse grids small.
TypedArray countArray(const std::vector<std::int64_t>& counts, TypedArray::Shape shape = {}) {
  std::int64_t most = counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
  auto as = [&](auto zero) {
    using T = decltype(zero);
    return TypedArray::of(std::vector<T>(counts.begin(), counts.end()), std::move(shape));
  };
  if (most <= std::numeric_limits<std::uint8_t>::max()) return as(std::uint8_t{});
  if (most <= std::numeric_limits<std::uint16_t>::max()) return as(std::uint16_t{});
  if (most <= std::numeric_limits<std::int32_t>::max()) return as(std::int32_t{});
  throw ValueError("a bin holds more than 2,147,483,647 cells: too many for the figure's counts");
}

Object barTrace(const GateMarker& marker, const Histogram& counts, bool visible) {
  std::size_t bins = counts.counts.size();
  double width = (counts.edges.back() - counts.edges.front()) / static_cast<double>(bins);
  return Object{{"type", "bar"},
                {"x", TypedArray::of(counts.centres())},
                {"y", countArray(counts.counts)},
                {"width", width},
                {"marker", Object{{"color", kBarColor}, {"line", Object{{"width", 0}}}}},
                {"visible", visible},
                {"name", theme::escape(marker.name)},
                {"showlegend", false},
                {"hovertemplate", theme::escape(marker.name) + ": %{x:.3g}<br>cells: %{y:,}<extra></extra>"}};
}

std::vector<double> centresOf(const std::vector<double>& edges) { return Histogram{{}, edges}.centres(); }

Object densityTrace(const GateMarker& x, const GateMarker& y, const Histogram2& grid, bool visible) {
  std::size_t columns = grid.xEdges.size() - 1, rows = grid.yEdges.size() - 1;
  std::vector<float> shade(grid.counts.size());
  // log1p: on a linear scale everything but the main mode would be one colour.
  std::transform(grid.counts.begin(), grid.counts.end(), shade.begin(),
                 [](std::int64_t n) { return static_cast<float>(std::log1p(static_cast<double>(n))); });
  std::int64_t most = grid.counts.empty() ? 0 : *std::max_element(grid.counts.begin(), grid.counts.end());
  return Object{{"type", "heatmap"},
                {"z", TypedArray::of(std::move(shade), {rows, columns})},
                {"x", TypedArray::of(centresOf(grid.xEdges))},
                {"y", TypedArray::of(centresOf(grid.yEdges))},
                {"colorscale", theme::colorscale("viridis")},
                {"showscale", true},
                {"colorbar", _countColorbar(most)},
                {"visible", visible},
                {"name", ""},
                {"hovertemplate", theme::escape(x.name) + ": %{x:.3g}<br>" + theme::escape(y.name) +
                                      ": %{y:.3g}<br>cells: %{customdata:,}<extra></extra>"},
                {"customdata", countArray(grid.counts, {rows, columns})}};
}

std::vector<State> drawPairs(figure::Figure& fig, const GateSpec& spec) {
  std::vector<State> states;
  for (const auto& [x, y] : spec.pairs) {
    fig.addTrace(densityTrace(x, y, histogram2(x.values, y.values, spec.bins), states.empty()));
    Array shapes{gateOf(spec, "x", x), gateOf(spec, "y", y)};
    states.push_back({x.name + " vs " + y.name, shapes,
                      Object{{"shapes", shapes},
                             {"xaxis.title.text", theme::escape(x.name)},
                             {"yaxis.title.text", theme::escape(y.name)}}});
  }
  const auto& [firstX, firstY] = spec.pairs.front();
  fig.updateAxes('x', Object{{"title_text", theme::escape(firstX.name)}});
  fig.updateAxes('y', Object{{"title_text", theme::escape(firstY.name)}});
  return states;
}

std::vector<State> drawMarkers(figure::Figure& fig, const GateSpec& spec) {
  std::vector<State> states;
  for (const GateMarker& marker : spec.markers) {
    fig.addTrace(barTrace(marker, histogram(marker.values, spec.bins), states.empty()));
    Array shapes{gateOf(spec, "x", marker)};
    states.push_back(
        {marker.name, shapes, Object{{"shapes", shapes}, {"xaxis.title.text", theme::escape(marker.name)}}});
  }
  fig.updateAxes('x', Object{{"title_text", spec.markers.empty() ? "" : theme::escape(spec.markers.front().name)}});
  fig.updateAxes('y', Object{{"title_text", "Cells"}});
  return states;
}

void setTicks(figure::Figure& fig, char letter, const std::optional<std::vector<double>>& ticks) {
  if (!ticks) return;
  Array at;
  for (double tick : *ticks) at.emplace_back(*checkedNumber(std::string(1, letter) + "ticks", std::optional<double>(tick), kFinite));
  fig.updateAxes(letter, Object{{"tickmode", "array"}, {"tickvals", std::move(at)}});
}

}  // namespace

Object _gateShape(std::string_view axis, double value, std::string_view name) {
  Object shape{{"type", "line"},
               {"editable", true},
               {"name", std::string(name)},
               {"line", Object{{"color", GATE_COLOR}, {"width", 2}}}};
  bool vertical = axis == "x";
  shape.set("xref", vertical ? "x" : "paper");
  shape.set("yref", vertical ? "paper" : "y");
  shape.set("x0", vertical ? value : 0.0);
  shape.set("x1", vertical ? value : 1.0);
  shape.set("y0", vertical ? 0.0 : value);
  shape.set("y1", vertical ? 1.0 : value);
  return shape;
}

Object _countColorbar(std::int64_t highest) {
  highest = std::max<std::int64_t>(highest, 1);
  std::vector<std::int64_t> ticks;
  for (std::int64_t t = 1; t <= highest; t *= 10) {
    ticks.push_back(t);
    if (t > std::numeric_limits<std::int64_t>::max() / 10) break;
  }
  if (ticks.back() != highest) ticks.push_back(highest);
  Array values, texts;
  for (std::int64_t t : ticks) {
    values.emplace_back(std::log1p(static_cast<double>(t)));
    texts.emplace_back(withThousands(t));
  }
  Object bar = colorbar("cells", 0.7);
  figure::Value font = bar.at("tickfont");
  bar.erase("tickfont");
  bar.set("tickvals", std::move(values));
  bar.set("ticktext", std::move(texts));
  bar.set("tickfont", std::move(font));
  return bar;
}

figure::Figure gate(const GateSpec& spec) {
  figure::Figure fig;
  std::vector<State> states = spec.pairs.empty() ? drawMarkers(fig, spec) : drawPairs(fig, spec);
  setTicks(fig, 'x', spec.xticks);
  setTicks(fig, 'y', spec.yticks);
  fig.updateLayout(Object{{"shapes", states.empty() ? Array{} : states.front().shapes},
                          {"bargap", 0},
                          {"hovermode", "closest"}});

  FinishOptions options;
  options.plot = kPlot;
  if (states.size() >= 2) {
    std::vector<std::string> labels;
    DropdownOptions dropdown;
    dropdown.label = "marker";
    for (State& state : states) {
      labels.push_back(state.label);
      dropdown.layouts.push_back(std::move(state.layout));
    }
    std::vector<std::int64_t> groups(states.size(), 1);
    options.controls.push_back(dropdownControl(labels, groups, dropdown));
  }
  return std::move(finishFigure(fig, spec.common, options));
}

}  // namespace tess::render
