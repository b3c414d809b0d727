// Graph: every threshold state's edges drawn in advance, nodes and their names on top.
#include "render/families/graph.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "errors.hpp"
#include "layout/constants.hpp"
#include "layout/control.hpp"
#include "render/controls/builders.hpp"
#include "render/controls/hover.hpp"
#include "render/entry/checks.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::TypedArray;

namespace {

constexpr double kPlotWidth = 600.0, kPlotHeight = 560.0;
constexpr double kTooltipPx = 6.0;
constexpr std::string_view kEdgeColor = "#B0B0B0", kArrowColor = "#8C8C8C";

// A node's position; one that is missing or not finite is not drawn.
std::optional<Position> positionOf(const GraphSpec& spec, const std::string& name) {
  auto found = spec.positions.find(name);
  if (found == spec.positions.end()) return std::nullopt;
  const Position& at = found->second;
  if (!std::isfinite(at[0]) || !std::isfinite(at[1])) return std::nullopt;
  return at;
}

// `values` as a float64 array, or an empty list: plotly reads both as no points.
figure::Value coordinates(std::vector<double> values) {
  if (values.empty()) return Array{};
  return TypedArray::of(std::move(values));
}

// The point `at` of the way along each segment.
std::pair<std::vector<double>, std::vector<double>> along(const Segments& drawn, double at) {
  std::vector<double> xs(drawn.size()), ys(drawn.size());
  for (std::size_t k = 0; k < drawn.size(); ++k) {
    xs[k] = drawn.x0[k] + at * (drawn.x1[k] - drawn.x0[k]);
    ys[k] = drawn.y0[k] + at * (drawn.y1[k] - drawn.y0[k]);
  }
  return {std::move(xs), std::move(ys)};
}

std::vector<bool> everyRow(std::size_t rows) { return std::vector<bool>(rows, true); }

// One tooltip point per edge row, NaN where an end has no position. A directed edge's sits
// on its arrowhead: at the midpoint, an edge and its reverse would share one point and one
// of the two tooltips could never be reached.
Object tooltipTrace(const GraphSpec& spec, const EdgeEnds& ends) {
  Segments all = segments(ends, everyRow(ends.size()));
  auto [placedX, placedY] = along(all, spec.directed ? ARROW_AT : 0.5);
  std::vector<double> xs, ys;
  std::size_t k = 0;
  for (const auto& end : ends) {
    xs.push_back(end ? placedX[k] : std::nan(""));
    ys.push_back(end ? placedY[k] : std::nan(""));
    if (end) ++k;
  }
  std::vector<frame::Name> columns;
  for (const frame::Name& name : spec.edges.names())
    if (name.text != "_mask") columns.push_back(name);
  Object trace{{"type", "scatter"},
               {"x", coordinates(std::move(xs))},
               {"y", coordinates(std::move(ys))},
               {"mode", "markers"},
               {"marker", Object{{"size", kTooltipPx}, {"color", "rgba(0,0,0,0)"}}},
               {"name", theme::escape(spec.edgeLabel)},
               {"showlegend", false}};
  return withHover(std::move(trace), _hoverColumns(spec.edges, columns));
}

Object nodeTrace(const GraphSpec& spec, const std::string& name, const Position& at) {
  auto size = spec.nodeSizes.find(name);
  double px = size == spec.nodeSizes.end() ? DEFAULT_NODE_PX
                                           : *checkedNumber(subscripted("nodeSizes", name), std::optional<double>(size->second), MARKER_PX);
  Object marker{{"size", px},
                {"color", categoryColor("nodeColors", spec.nodeColors, name, DEFAULT_NODE_COLOR)},
                {"line", Object{{"color", "#FFFFFF"}, {"width", 1}}}};
  return Object{{"type", "scatter"},
                {"x", Array{at[0]}},
                {"y", Array{at[1]}},
                {"mode", "markers"},
                {"marker", std::move(marker)},
                {"name", theme::escape(name)},
                {"legendgroup", name},
                {"showlegend", true},
                {"hovertemplate", theme::escape(name) + "<extra></extra>"}};
}

// Steps restyle only the edge and arrow traces, so tooltips and nodes stay as they are.
Object thresholdSlider(const std::vector<std::string>& names, const std::vector<std::vector<std::int64_t>>& stateTraces) {
  Array toggled;
  for (const auto& traces : stateTraces)
    for (std::int64_t t : traces) toggled.emplace_back(t);
  Array steps;
  for (std::size_t s = 0; s < names.size(); ++s) {
    Array visible;
    for (std::size_t other = 0; other < stateTraces.size(); ++other)
      for (std::size_t t = 0; t < stateTraces[other].size(); ++t) visible.emplace_back(other == s);
    // plotly draws step labels as markup
    steps.emplace_back(Object{{"label", theme::escape(names[s])},
                              {"method", "restyle"},
                              {"args", Array{Object{{"visible", std::move(visible)}}, toggled}}});
  }
  Object slider = bandSlider(0, std::move(steps), "edges: ");
  slider.set("len", 0.5);
  slider.set("font", Object{{"size", theme::TICK_PX}});
  return layout::control(std::move(slider), "slider");
}

// Every arrowhead any state draws, once each: the labels keep off all of them.
std::vector<std::array<double, 2>> arrowheads(const std::vector<Segments>& drawn) {
  std::vector<std::array<double, 2>> out;
  for (const Segments& state : drawn) {
    auto [xs, ys] = along(state, ARROW_AT);
    for (std::size_t k = 0; k < xs.size(); ++k) out.push_back({xs[k], ys[k]});
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

// Every edge any state draws, once each: labels keep off them where a free side allows.
std::vector<std::array<Position, 2>> edgeLines(const std::vector<Segments>& drawn) {
  std::vector<std::array<Position, 2>> out;
  for (const Segments& state : drawn)
    for (std::size_t k = 0; k < state.size(); ++k)
      out.push_back({Position{state.x0[k], state.y0[k]}, Position{state.x1[k], state.y1[k]}});
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

}  // namespace

EdgeEnds edgeEnds(const GraphSpec& spec) {
  EdgeEnds out(spec.edges.rows());
  if (out.empty()) return out;
  const frame::Column& sources = spec.edges.column(frame::Name("source"));
  const frame::Column& targets = spec.edges.column(frame::Name("target"));
  for (std::size_t row = 0; row < out.size(); ++row) {
    std::optional<Position> start = positionOf(spec, sources.text(row));
    std::optional<Position> stop = positionOf(spec, targets.text(row));
    if (start && stop) out[row] = std::array<Position, 2>{*start, *stop};
  }
  return out;
}

Segments segments(const EdgeEnds& ends, const std::vector<bool>& mask, std::string_view state) {
  if (mask.size() != ends.size())
    throw ValueError(subscripted("states", state) + ": a mask of " + std::to_string(mask.size()) + " values for " +
                     std::to_string(ends.size()) + " edges");
  Segments out;
  for (std::size_t row = 0; row < ends.size(); ++row) {
    if (!mask[row] || !ends[row]) continue;
    const auto& [start, stop] = *ends[row];
    out.x0.push_back(start[0]);
    out.y0.push_back(start[1]);
    out.x1.push_back(stop[0]);
    out.y1.push_back(stop[1]);
  }
  return out;
}

Object edgeTrace(const Segments& drawn) {
  std::vector<double> xs, ys;
  for (std::size_t k = 0; k < drawn.size(); ++k) {
    xs.insert(xs.end(), {drawn.x0[k], drawn.x1[k], std::nan("")});
    ys.insert(ys.end(), {drawn.y0[k], drawn.y1[k], std::nan("")});
  }
  return Object{{"type", "scatter"},
                {"x", coordinates(std::move(xs))},
                {"y", coordinates(std::move(ys))},
                {"mode", "lines"},
                {"hoverinfo", "skip"},
                {"line", Object{{"color", kEdgeColor}, {"width", 1}}},
                {"name", "edges"},
                {"showlegend", false}};
}

Object arrowTrace(const Segments& drawn) {
  auto [xs, ys] = along(drawn, ARROW_AT);
  Object trace{{"type", "scatter"},
               {"x", coordinates(std::move(xs))},
               {"y", coordinates(std::move(ys))},
               {"mode", "markers"},
               {"hoverinfo", "skip"},
               {"showlegend", false},
               {"name", "direction"}};
  if (drawn.size() == 0) return trace;
  // Degrees clockwise from up: the axes share one scale, so data angles are screen angles.
  std::vector<double> angles(drawn.size());
  for (std::size_t k = 0; k < drawn.size(); ++k)
    angles[k] = std::atan2(drawn.x1[k] - drawn.x0[k], drawn.y1[k] - drawn.y0[k]) * 180.0 / std::numbers::pi;
  trace.set("marker", Object{{"symbol", "arrow"},
                             {"size", ARROW_PX},
                             {"color", kArrowColor},
                             {"angleref", "up"},
                             {"angle", TypedArray::of(std::move(angles))}});
  return trace;
}

std::optional<std::pair<std::array<double, 2>, std::array<double, 2>>> _nodeRanges(std::span<const Position> positions,
                                                                                   double pad) {
  if (positions.empty()) return std::nullopt;
  std::array<std::array<double, 2>, 2> ranges;
  for (std::size_t axis = 0; axis < 2; ++axis) {
    auto [low, high] = std::minmax_element(positions.begin(), positions.end(),
                                           [&](const Position& a, const Position& b) { return a[axis] < b[axis]; });
    double lo = (*low)[axis], hi = (*high)[axis];
    double span = hi - lo == 0.0 ? 1.0 : hi - lo;
    ranges[axis] = {lo - pad * span, hi + pad * span};
  }
  return std::pair{ranges[0], ranges[1]};
}

figure::Figure graph(const GraphSpec& spec) {
  EdgeEnds ends = edgeEnds(spec);
  std::vector<std::pair<std::string, std::vector<bool>>> states = spec.states;
  if (states.empty()) states.emplace_back("all", everyRow(ends.size()));
  std::vector<std::string> names;
  std::vector<Segments> drawn;
  for (const auto& [name, mask] : states) {
    names.push_back(name);
    drawn.push_back(segments(ends, mask, name));
  }

  figure::Figure fig;
  std::vector<std::vector<std::int64_t>> stateTraces(states.size());
  auto addStates = [&](Object (*trace)(const Segments&)) {
    for (std::size_t s = 0; s < drawn.size(); ++s) {
      Object made = trace(drawn[s]);
      made.set("visible", s == 0);
      stateTraces[s].push_back(static_cast<std::int64_t>(fig.data.size()));
      fig.addTrace(std::move(made));
    }
  };
  addStates(edgeTrace);
  if (spec.directed) addStates(arrowTrace);
  if (!ends.empty()) fig.addTrace(tooltipTrace(spec, ends));

  std::vector<std::int64_t> nodeTraces;
  std::vector<Position> placed;
  FinishOptions options;
  double largestNode = 0.0;
  for (const std::string& name : spec.names) {
    std::optional<Position> at = positionOf(spec, name);
    if (!at) continue;
    nodeTraces.push_back(static_cast<std::int64_t>(fig.data.size()));
    fig.addTrace(nodeTrace(spec, name, *at));
    largestNode = std::max(largestNode, fig.data.back().asObject().at("marker").asObject().at("size").asDouble());
    placed.push_back(*at);
    options.labels.push_back({(*at)[0], (*at)[1], name, std::nullopt});
  }
  options.labelClearance.markerRadiusPx = largestNode / 2.0;
  if (spec.directed) {
    options.labelClearance.points = arrowheads(drawn);
    options.labelClearance.pointRadiusPx = ARROW_PX;  // the head runs back from its tip, which sits at the point
  }
  options.labelClearance.lines = edgeLines(drawn);
  options.labelClearance.sizedTraces = nodeTraces;

  Object bare{{"showline", false}, {"ticks", ""}, {"showticklabels", false}};
  Object xAxis = bare, yAxis = bare;
  yAxis.set("scaleanchor", "x");
  yAxis.set("scaleratio", 1);
  if (auto ranges = _nodeRanges(placed)) {
    xAxis.set("range", Array{ranges->first[0], ranges->first[1]});
    yAxis.set("range", Array{ranges->second[0], ranges->second[1]});
  }
  fig.updateAxes('x', xAxis);
  fig.updateAxes('y', yAxis);
  fig.updateLayout(Object{{"hovermode", "closest"}});

  if (states.size() >= 2) options.controls.push_back(thresholdSlider(names, stateTraces));
  if (auto sizes = sizeSlider(fig, nodeTraces, "node size", true)) options.controls.push_back(*sizes);
  options.plot = PlotArea{kPlotWidth, kPlotHeight};
  return std::move(finishFigure(fig, spec.common, options));
}

}  // namespace tess::render
