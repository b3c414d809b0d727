// Points: traces per key and category, tooltips per trace, controls, then the funnel.
#include "render/families/points.hpp"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "errors.hpp"
#include "render/controls/builders.hpp"
#include "render/controls/hover.hpp"
#include "render/entry/constants.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::TypedArray;
using figure::Value;

namespace {

// _pointArea's rules, px.
constexpr double kDefaultWidth = 560.0, kAspectBase = 520.0, kMinRatio = 0.45, kMaxRatio = 2.2;
constexpr double kMinWidth = 360.0, kMaxWidth = 820.0;
constexpr double kPerEntry = 22.0, kLegendExtra = 110.0, kMinHeight = 520.0, kMaxHeight = 780.0;

// Everything one trace is built from.
struct Context {
  const PointsSpec& spec;
  const frame::Frame& hoverFrame;
  std::vector<frame::Name> hoverColumns;
  std::string type;
  TypedArray xs, ys;  // float32, shared by every trace that draws all cells
};

std::vector<std::int64_t> allRows(std::size_t n) {
  std::vector<std::int64_t> rows(n);
  for (std::size_t i = 0; i < n; ++i) rows[i] = static_cast<std::int64_t>(i);
  return rows;
}

TypedArray gathered(const TypedArray& array, const std::vector<std::int64_t>& members) {
  std::span<const float> values = array.view<float>();
  std::vector<float> out(members.size());
  for (std::size_t i = 0; i < members.size(); ++i) out[i] = values[static_cast<std::size_t>(members[i])];
  return TypedArray::of(std::move(out));
}

Object baseMarker(const PointsSpec& spec) {
  return Object{{"size", spec.size}, {"opacity", spec.alpha}};
}

// The frame with the cell identities as a text column, named after the index.
frame::Frame withIdentity(const frame::Frame& frame, const frame::Name& identity) {
  std::vector<frame::Name> names;
  std::vector<frame::Column> columns;
  for (std::size_t i = 0; i < frame.width(); ++i) {
    if (frame.names()[i] == identity) continue;
    names.push_back(frame.names()[i]);
    columns.push_back(frame.at(i));
  }
  std::vector<std::optional<std::string>> texts;
  for (const std::string& text : frame.index().texts()) texts.emplace_back(text);
  names.push_back(identity);
  columns.push_back(frame::Column::strings(texts));
  return frame::Frame(std::move(names), std::move(columns), frame.index(), frame.indexName());
}

Object traceWith(Object trace, const Hover& hover) {
  for (auto& [key, value] : hover.trace()) {
    if (trace.contains(key)) throw TypeError("a tooltip attribute collides with a trace attribute: " + key);
    trace.set(key, value);
  }
  return trace;
}

Object plainTrace(const Context& c, bool visible) {
  Object marker = baseMarker(c.spec);
  marker.set("line", Object{{"width", 0}});
  Object trace{{"type", c.type}, {"x", c.xs}, {"y", c.ys}, {"mode", "markers"},
               {"marker", marker}, {"name", "cells"}, {"showlegend", false}, {"visible", visible}};
  return traceWith(std::move(trace), _hoverColumns(c.hoverFrame, c.hoverColumns));
}

// The frame positions of each category's rows, in frame order; rows whose value (as text)
// is not a category belong to none.
std::vector<std::vector<std::int64_t>> categoryMembers(const frame::Column& values,
                                                       const std::vector<std::pair<std::string, std::string>>& colors) {
  std::unordered_map<std::string, std::size_t> code;
  for (std::size_t k = 0; k < colors.size(); ++k) code.emplace(colors[k].first, k);
  std::vector<std::vector<std::int64_t>> members(colors.size());
  for (std::size_t row = 0; row < values.size(); ++row) {
    auto found = code.find(values.text(row));
    if (found != code.end()) members[found->second].push_back(static_cast<std::int64_t>(row));
  }
  return members;
}

std::size_t categoricalTraces(const Context& c, const frame::Name& key, bool visible, PointsFigure& out) {
  auto mapping = c.spec.colors.find(key.text);
  static const std::vector<std::pair<std::string, std::string>> none;
  const auto& colors = mapping == c.spec.colors.end() ? none : mapping->second;
  std::vector<std::vector<std::int64_t>> members = categoryMembers(c.spec.frame.column(key), colors);
  std::vector<frame::Name> columns = c.hoverColumns;
  columns.push_back(key);
  for (std::size_t k = 0; k < colors.size(); ++k) {
    const auto& [category, colour] = colors[k];
    std::vector<std::size_t> positions(members[k].begin(), members[k].end());
    Hover hover = members[k].empty() ? Hover{} : _hoverColumns(c.hoverFrame.take(positions), columns);
    Object marker = baseMarker(c.spec);
    marker.set("color", colour.empty() ? std::string(UNMAPPED_COLOR) : colour);
    marker.set("line", Object{{"width", 0}});
    Object trace{{"type", c.type}, {"x", gathered(c.xs, members[k])}, {"y", gathered(c.ys, members[k])},
                 {"mode", "markers"}, {"marker", marker}, {"name", theme::escape(category)},
                 {"legendgroup", category}, {"visible", visible}};
    out.fig.addTrace(traceWith(std::move(trace), hover));
    out.members.push_back(std::move(members[k]));
  }
  return colors.size();
}

void continuousTrace(const Context& c, const frame::Name& key, bool visible, PointsFigure& out) {
  auto found = c.spec.scales.find(key.text);
  Scale scale = found == c.spec.scales.end() ? Scale{} : found->second;
  std::vector<double> values = c.spec.frame.asDoubles(key);
  theme::Limits limits = theme::colorLimits(values, scale.kind, scale.vmin, scale.vmax, scale.center);
  std::vector<float> colours(values.begin(), values.end());
  std::vector<frame::Name> columns = c.hoverColumns;
  columns.push_back(key);
  Object marker = baseMarker(c.spec);
  marker.set("line", Object{{"width", 0}});
  marker.set("color", TypedArray::of(std::move(colours)));
  marker.set("colorscale", theme::colorscale(scale.cmap, scale.kind));
  marker.set("cmin", limits.low);
  marker.set("cmax", limits.high);
  marker.set("cmid", limits.mid ? Value(*limits.mid) : Value());
  marker.set("showscale", true);
  marker.set("colorbar", Object{{"title", Object{{"text", theme::escape(key.text)}, {"side", "right"}}},
                                {"thickness", 12}, {"len", 0.6}, {"tickfont", Object{{"size", theme::TICK_PX}}}});
  Object trace{{"type", c.type}, {"x", c.xs}, {"y", c.ys}, {"mode", "markers"},
               {"marker", marker}, {"name", theme::escape(key.text)}, {"showlegend", false}, {"visible", visible}};
  out.fig.addTrace(traceWith(std::move(trace), _hoverColumns(c.hoverFrame, columns)));
  out.members.push_back(allRows(c.spec.frame.rows()));
}

void styleAxes(figure::Figure& fig, const PointsSpec& spec) {
  Object bare{{"showline", false}, {"ticks", ""}, {"showticklabels", false}, {"title_text", ""}};
  fig.updateAxes('x', bare);
  fig.updateAxes('y', bare);
  if (spec.equalAspect) fig.updateAxes('y', Object{{"scaleanchor", "x"}, {"scaleratio", 1}});
  if (spec.invertY) fig.updateAxes('y', Object{{"autorange", "reversed"}});
  fig.updateLayout(Object{{"legend", Object{{"itemsizing", "constant"}, {"tracegroupgap", 0}}},
                          {"dragmode", "pan"},
                          {"hovermode", "closest"}});
}

double span(const std::vector<double>& values) {
  if (values.empty()) return std::nan("");
  double lo = values[0], hi = values[0];
  for (double v : values) {
    if (std::isnan(v)) return v;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  return hi - lo;
}

}  // namespace

std::string _pointTraceType(std::size_t n) {
  return static_cast<std::int64_t>(n) >= GL_THRESHOLD ? "scattergl" : "scatter";
}

std::vector<float> _coordinates(const frame::Frame& part, const frame::Name& column) {
  std::vector<double> values = part.asDoubles(column);
  return std::vector<float>(values.begin(), values.end());
}

std::pair<double, double> _pointArea(const PointsSpec& spec, const frame::Frame& frame, std::int64_t categories) {
  double width = kDefaultWidth;
  if (spec.equalAspect && frame.rows() > 0) {
    double spanX = span(frame.asDoubles(spec.x)), spanY = span(frame.asDoubles(spec.y));
    if (spanY > 0 && std::isfinite(spanX) && std::isfinite(spanY))
      width = std::clamp(std::clamp(spanX / spanY, kMinRatio, kMaxRatio) * kAspectBase, kMinWidth, kMaxWidth);
  }
  double height = std::clamp(kPerEntry * static_cast<double>(categories) + kLegendExtra, kMinHeight, kMaxHeight);
  return {width, height};
}

PointsFigure points(const PointsSpec& spec) {
  if (spec.keys.empty()) throw ValueError("a points spec needs at least one colour key (None draws plain cells)");
  const frame::Frame& frame = spec.frame;
  bool identity = static_cast<std::int64_t>(frame.rows()) <= HOVER_IDENTITY_LIMIT;
  frame::Name identityName = frame.indexName() && !frame.indexName()->text.empty() ? *frame.indexName()
                                                                                    : frame::Name("cell");
  frame::Frame hoverFrame = identity ? withIdentity(frame, identityName) : frame;
  Context c{spec, hoverFrame, {}, _pointTraceType(frame.rows()), TypedArray::of(_coordinates(frame, spec.x)),
            TypedArray::of(_coordinates(frame, spec.y))};
  if (identity) c.hoverColumns.push_back(identityName);
  for (const frame::Name& name : spec.hover)
    if (frame.contains(name)) c.hoverColumns.push_back(name);

  PointsFigure out;
  std::vector<std::int64_t> groups;
  std::vector<std::string> labels;
  for (std::size_t p = 0; p < spec.keys.size(); ++p) {
    bool visible = p == 0;
    const std::optional<frame::Name>& key = spec.keys[p];
    if (!key) {
      out.fig.addTrace(plainTrace(c, visible));
      out.members.push_back(allRows(frame.rows()));
      groups.push_back(1);
      labels.push_back("cells");
      continue;
    }
    frame.column(*key);  // a key the frame lacks fails here, by its name
    auto categorical = spec.categorical.find(key->text);
    if (categorical != spec.categorical.end() && categorical->second) {
      groups.push_back(static_cast<std::int64_t>(categoricalTraces(c, *key, visible, out)));
    } else {
      continuousTrace(c, *key, visible, out);
      groups.push_back(1);
    }
    labels.push_back(key->text);
  }
  styleAxes(out.fig, spec);

  FinishOptions options;
  if (groups.size() >= 2) {
    DropdownOptions dropdown;
    dropdown.label = "colour by";
    options.controls.push_back(dropdownControl(labels, groups, dropdown));
  }
  if (std::optional<Object> slider = sizeSlider(out.fig)) options.controls.push_back(*slider);
  auto [width, height] = _pointArea(spec, frame, *std::max_element(groups.begin(), groups.end()));
  options.plot = {width, height};
  finishFigure(out.fig, spec.common, options);
  return out;
}

}  // namespace tess::render
