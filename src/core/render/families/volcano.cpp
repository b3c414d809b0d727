// Volcano: one point trace per group, every pair of cuts of a small grid precomputed as a
// state (point colours, threshold lines, caption) that the "threshold" dropdown switches.
#include "render/families/volcano.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

#include "errors.hpp"
#include "layout/control.hpp"
#include "layout/markup.hpp"
#include "layout/metrics.hpp"
#include "render/controls/builders.hpp"
#include "render/controls/hover.hpp"
#include "render/entry/checks.hpp"
#include "render/families/common/colors.hpp"
#include "render/families/common/grouping.hpp"
#include "render/families/common/table.hpp"
#include "render/families/points.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::TypedArray;

namespace {

constexpr double kPlotWidth = 640.0, kPlotHeight = 520.0;
constexpr double kSmallestP = 1e-300;  // -log10 of anything smaller is no place for a line
constexpr int kPointPx = 7;
const char* const kLineColor = "#999999";
const char* const kKeyColor = "#555555";  // a group's legend ring: no class colour

// One group of features: its name (none without a group column) and its rows.
struct Part {
  std::optional<std::string> name;
  Members rows;
};

std::vector<Part> partsOf(const VolcanoSpec& spec) {
  const frame::Frame& frame = spec.frame;
  if (!spec.group) {
    Members all(frame.rows());
    std::iota(all.begin(), all.end(), std::size_t{0});
    return {{std::nullopt, std::move(all)}};
  }
  // By the text form, groups in order of first appearance.
  const frame::Column& column = frame.column(*spec.group);
  std::vector<Part> out;
  std::unordered_map<std::string, std::size_t> at;
  for (std::size_t row = 0; row < frame.rows(); ++row) {
    std::string text = column.text(row);
    auto [found, added] = at.emplace(text, out.size());
    if (added) out.push_back({std::move(text), {}});
    out[found->second].rows.push_back(row);
  }
  return out;
}

template <class T>
std::vector<T> gathered(const std::vector<double>& values, const Members& rows) {
  std::vector<T> out(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) out[i] = static_cast<T>(values[rows[i]]);
  return out;
}

double logCut(double p) { return -std::log10(std::max(p, kSmallestP)); }

// The cuts as the caption and the button labels write them.
std::string cutsText(double p, double effect, std::string_view between) {
  return formatG(p) + std::string(between) + formatG(effect);
}

Object dottedLine(std::string_view xref, std::string_view yref, double x0, double x1, double y0, double y1) {
  return Object{{"type", "line"}, {"xref", xref}, {"yref", yref}, {"x0", x0}, {"x1", x1}, {"y0", y0}, {"y1", y1},
                {"line", Object{{"color", kLineColor}, {"width", 1}, {"dash", "dot"}}}};
}

// What choosing a pair of cuts shows: each part's colour codes, the lines and the caption.
struct State {
  std::vector<TypedArray> codes;  // uint8, one per part
  Array shapes;
  std::string caption;
};

struct Columns {
  std::vector<double> effect, pvalue, logp;
};

State stateArgs(const std::vector<Part>& parts, const Columns& columns, double p, double effect) {
  State state;
  VolcanoCodes all = _volcanoCodes(columns.effect, columns.pvalue, p, effect);
  for (const Part& part : parts) {
    std::vector<std::uint8_t> codes(part.rows.size());
    for (std::size_t i = 0; i < codes.size(); ++i) codes[i] = all.codes[part.rows[i]];
    state.codes.push_back(TypedArray::of(std::move(codes)));
  }
  if (effect != 0.0)
    for (double x : {-effect, effect}) state.shapes.emplace_back(dottedLine("x", "paper", x, x, 0.0, 1.0));
  double y = logCut(p);
  state.shapes.emplace_back(dottedLine("paper", "y", 0.0, 1.0, y, y));
  state.caption = "p &lt; " + cutsText(p, effect, ", |effect| \u2265 ") + ": " + std::to_string(all.up) + " up, " +
                  std::to_string(all.down) + " down";
  return state;
}

// The cuts must leave their lines on the picture: the y range holds -log10 of a p cut in
// (0, 1] above its floor at 0, the x range a finite effect cut.
void checkCuts(const VolcanoSpec& spec) {
  if (!(spec.pVal > 0.0 && spec.pVal <= 1.0))
    throw ValueError("pVal must be a p-value above 0 and at most 1, not " + formatG(spec.pVal));
  if (!(spec.effectThreshold >= 0.0 && std::isfinite(spec.effectThreshold)))
    throw ValueError("effectThreshold must be a finite number of at least 0, not " + formatG(spec.effectThreshold));
}

// The colours a code stands for, at the positions of the marker's colour scale.
std::array<std::string, 3> codeColors(const VolcanoSpec& spec) {
  return {checkedColor("nullColor", spec.nullColor), checkedColor("upColor", spec.upColor),
          checkedColor("downColor", spec.downColor)};
}

// Codes 0, 1 and 2 on cmin 0 and cmax 2 land exactly on the scale's stops, so each point
// draws exactly its colour while every state carries one byte per point.
Object pointMarker(const std::array<std::string, 3>& colors, TypedArray codes) {
  return Object{{"size", kPointPx},
                {"color", std::move(codes)},
                {"colorscale", Array{Array{0.0, colors[0]}, Array{0.5, colors[1]}, Array{1.0, colors[2]}}},
                {"cmin", 0},
                {"cmax", 2},
                {"showscale", false},
                {"line", Object{{"width", 0}}},
                {"opacity", 0.85}};
}

// The strongest features by logp times |effect|, ties in table order, NaN scores never.
std::vector<layout::LabelRecord> topLabels(const VolcanoSpec& spec, const Columns& columns) {
  if (spec.top < 0) throw ValueError("top must be a count of at least 0, not " + std::to_string(spec.top));
  std::vector<std::size_t> rows;
  std::vector<double> score(spec.frame.rows());
  for (std::size_t row = 0; row < score.size(); ++row) {
    score[row] = columns.logp[row] * std::abs(columns.effect[row]);
    if (!std::isnan(score[row])) rows.push_back(row);
  }
  auto n = std::min(rows.size(), static_cast<std::size_t>(spec.top));
  std::partial_sort(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(n), rows.end(),
                    [&](std::size_t a, std::size_t b) { return score[a] > score[b] || (score[a] == score[b] && a < b); });
  std::vector<std::string> names = spec.frame.index().texts();
  std::vector<layout::LabelRecord> out;
  // The funnel escapes label texts as it places them: they go as plain text.
  for (std::size_t i = 0; i < n; ++i)
    out.push_back({columns.effect[rows[i]], columns.logp[rows[i]], names[rows[i]], std::nullopt});
  return out;
}

// Every column but logp, after the feature named by the row label; a frame's own "feature"
// column gives way to the labels.
std::vector<frame::Name> hoverNames(const frame::Frame& frame) {
  std::vector<frame::Name> out{"feature"};
  for (const frame::Name& name : frame.names())
    if (name != frame::Name("logp") && name != frame::Name("feature")) out.push_back(name);
  return out;
}

std::vector<double> distinctSorted(std::vector<double> values, bool descending) {
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  if (descending) std::reverse(values.begin(), values.end());
  return values;
}

}  // namespace

VolcanoCodes _volcanoCodes(std::span<const double> effect, std::span<const double> pvalue, double pCut,
                           double effectCut) {
  if (effect.size() != pvalue.size())
    throw ValueError(std::to_string(effect.size()) + " effects for " + std::to_string(pvalue.size()) + " p-values");
  VolcanoCodes out;
  out.codes.assign(effect.size(), VOLCANO_NULL);
  for (std::size_t i = 0; i < effect.size(); ++i) {
    bool significant = pvalue[i] < pCut;
    bool up = significant && effect[i] >= effectCut, down = significant && effect[i] <= -effectCut;
    out.up += up;
    out.down += down;
    if (down) out.codes[i] = VOLCANO_DOWN;
    else if (up) out.codes[i] = VOLCANO_UP;
  }
  return out;
}

VolcanoColors _volcanoColors(const frame::Frame& table, const VolcanoSpec& spec, double pCut, double effectCut) {
  VolcanoCodes codes = _volcanoCodes(table.asDoubles("effect"), table.asDoubles("pvalue"), pCut, effectCut);
  std::array<std::string, 3> colors = codeColors(spec);
  VolcanoColors out{{}, codes.up, codes.down};
  out.colors.reserve(codes.codes.size());
  for (std::uint8_t code : codes.codes) out.colors.push_back(colors[code]);
  return out;
}

std::optional<std::array<double, 2>> _volcanoRange(std::span<const double> values, double pad, bool symmetric,
                                                   std::optional<double> floor, std::span<const double> include) {
  double low = INFINITY, high = -INFINITY;
  for (double v : values)
    if (std::isfinite(v)) low = std::min(low, v), high = std::max(high, v);
  if (low > high) return std::nullopt;
  for (double v : include)
    if (std::isfinite(v)) low = std::min(low, v), high = std::max(high, v);
  if (symmetric) {
    high = std::max(std::abs(low), std::abs(high));
    if (high == 0.0) high = 1.0;
    low = -high;
  }
  double span = high - low;
  if (span == 0.0) span = 1.0;
  low -= pad * span;
  high += pad * span;
  if (floor) low = std::max(low, *floor);
  return std::array<double, 2>{low, high};
}

std::vector<double> _volcanoPGrid(double pVal) {
  std::vector<double> grid{0.05, 0.01, 0.001};
  if (std::find(grid.begin(), grid.end(), pVal) != grid.end()) return grid;
  grid.push_back(pVal);
  return distinctSorted(std::move(grid), true);
}

std::vector<double> _volcanoEffectGrid(double effectThreshold) {
  return distinctSorted({0.0, effectThreshold, 0.5, 1.0, 2.0}, false);
}

figure::Figure volcano(const VolcanoSpec& spec) {
  checkCuts(spec);
  const frame::Frame& frame = spec.frame;
  Columns columns{frame.asDoubles("effect"), frame.asDoubles("pvalue"), frame.asDoubles("logp")};
  std::vector<Part> parts = partsOf(spec);
  std::array<std::string, 3> colors = codeColors(spec);
  double firstEffect = spec.effectThreshold + 0.0;  // -0 reads as the grid's 0
  std::vector<double> pGrid = _volcanoPGrid(spec.pVal), effectGrid = _volcanoEffectGrid(firstEffect);

  figure::Figure fig;
  frame::Frame hoverFrame = withIndexColumn(frame, "feature");
  std::vector<frame::Name> hoverColumns = hoverNames(frame);
  std::string type = _pointTraceType(frame.rows());
  State first = stateArgs(parts, columns, spec.pVal, firstEffect);
  for (std::size_t k = 0; k < parts.size(); ++k) {
    const Part& part = parts[k];
    std::string name = part.name ? *part.name : "features";
    Object trace{{"type", type},
                 {"x", TypedArray::of(gathered<double>(columns.effect, part.rows))},
                 {"y", TypedArray::of(gathered<double>(columns.logp, part.rows))},
                 {"mode", "markers"},
                 {"marker", pointMarker(colors, first.codes[k])},
                 {"name", theme::escape(name)},
                 {"legendgroup", name},
                 {"showlegend", false}};
    fig.addTrace(withHover(std::move(trace), _hoverColumns(hoverFrame, hoverColumns, part.rows)));
  }
  // States and the size slider address the points, never the legend's rings.
  std::vector<std::int64_t> points(parts.size());
  std::iota(points.begin(), points.end(), std::int64_t{0});
  // Plotly would key a group in its first point's colour, which may say "up" of a group
  // of grey points: each group's entry is a neutral ring, and clicking it still toggles
  // the group's points.
  if (spec.showLegend)
    for (const Part& part : parts) {
      std::string name = part.name ? *part.name : "features";
      Object key = keyTrace(name, Object{{"symbol", "circle-open"}, {"size", 8}, {"color", kKeyColor}});
      key.set("legendgroup", name);
      fig.addTrace(std::move(key));
    }
  fig.updateLayout(Object{{"shapes", first.shapes},
                          {"annotations", Array{Object{{"text", first.caption},
                                                       {"showarrow", false},
                                                       {"xref", "paper"},
                                                       {"yref", "paper"},
                                                       {"x", 1.0},
                                                       {"y", 1.0},
                                                       {"xanchor", "right"},
                                                       {"yanchor", "bottom"},
                                                       {"font", Object{{"size", theme::TICK_PX}, {"color", "#333333"}}}}}},
                          {"hovermode", "closest"}});

  Array buttons;
  std::int64_t active = 0;
  Array captions{first.caption};
  for (double p : pGrid) {
    for (double effect : effectGrid) {
      // The dropdown names the state drawn first: the spec's own cuts.
      if (p == spec.pVal && effect == firstEffect) active = static_cast<std::int64_t>(buttons.size());
      State state = stateArgs(parts, columns, p, effect);
      Array codes;
      for (const TypedArray& part : state.codes) codes.emplace_back(part.asRecord());
      captions.emplace_back(state.caption);
      buttons.emplace_back(Object{
          {"label", "p&lt;" + cutsText(p, effect, ", |e|\u2265")},
          {"method", "update"},
          {"args", Array{Object{{"marker.color", std::move(codes)}},
                         Object{{"shapes", std::move(state.shapes)}, {"annotations[0].text", std::move(state.caption)}},
                         Array(points.begin(), points.end())}}});
    }
  }

  FinishOptions options;
  if (buttons.size() >= 2)
    options.controls.push_back(layout::control(
        Object{{"type", "dropdown"}, {"buttons", std::move(buttons)}, {"active", active}}, "dropdown", "threshold"));
  options.controls.push_back(layout::control(Object{{"texts", std::move(captions)}}, "note", std::nullopt, "right", 0));
  if (auto slider = sizeSlider(fig, points)) options.controls.push_back(*slider);

  // Lines of every state stay on the picture: each range holds every cut of its grid.
  std::vector<double> effectCuts;
  for (double effect : effectGrid) effectCuts.insert(effectCuts.end(), {-effect, effect});
  std::vector<double> pCuts;
  for (double p : pGrid) pCuts.push_back(logCut(p));
  Object x{{"title_text", theme::escape(spec.xlabel.empty() ? "effect" : spec.xlabel)}};
  if (auto range = _volcanoRange(columns.effect, 0.09, true, std::nullopt, effectCuts))
    x.set("range", Array{(*range)[0], (*range)[1]});
  Object y{{"title_text", theme::escape(spec.ylabel.empty() ? "-log10(p)" : spec.ylabel)}};
  if (auto range = _volcanoRange(columns.logp, 0.09, false, 0.0, pCuts)) y.set("range", Array{(*range)[0], (*range)[1]});
  fig.updateAxes('x', x);
  fig.updateAxes('y', y);

  options.plot = PlotArea{kPlotWidth, kPlotHeight};
  options.labels = topLabels(spec, columns);
  // Names keep off every point, at each step of the size slider.
  options.labelClearance.markerRadiusPx = kPointPx / 2.0;
  for (std::size_t row = 0; row < columns.effect.size(); ++row)
    options.labelClearance.points.push_back({columns.effect[row], columns.logp[row]});
  for (std::size_t k = 0; k < parts.size(); ++k) options.labelClearance.sizedTraces.push_back(static_cast<std::int64_t>(k));
  return std::move(finishFigure(fig, spec.common, options));
}

}  // namespace tess::render
