// Points: traces per key and category, tooltips per trace, controls, then the funnel.
#include "render/families/points.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <type_traits>
#include <unordered_map>

#include "errors.hpp"
#include "parallel.hpp"
#include "render/controls/builders.hpp"
#include "render/controls/hover.hpp"
#include "render/entry/checks.hpp"
#include "render/entry/constants.hpp"
#include "render/families/common/table.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Object;
using figure::TypedArray;
using figure::Value;

namespace {

// _pointArea's rules, px.
constexpr double kDefaultWidth = 560.0, kAspectBase = 520.0, kMinRatio = 0.45, kMaxRatio = 2.2;
constexpr double kMinWidth = 360.0, kMaxWidth = 820.0;
constexpr double kPerEntry = 22.0, kLegendExtra = 110.0, kMinHeight = 520.0, kMaxHeight = 780.0;

// Tooltip text columns with this many distinct values or fewer split a large figure's
// traces by value instead of repeating their strings per cell, while the figure stays
// under PIECE_TRACE_LIMIT traces.
constexpr std::size_t PIECE_VALUES = 16;
constexpr std::size_t PIECE_TRACE_LIMIT = 512;
// From this many cells on, traces are built on every core.
constexpr std::size_t PARALLEL_ROWS = 50000;

// Each cell's piece: the combination of its values in the columns that split traces.
struct Pieces {
  std::vector<frame::Name> columns;
  std::vector<frame::Column> coded;  // those columns as codes into their distinct values
  std::vector<std::uint32_t> codes;  // empty when nothing splits
  std::size_t count = 1;
};

// Everything one trace is built from.
struct Context {
  const PointsSpec& spec;
  frame::Frame hoverFrame;  // the tooltip columns and the keys, identities included
  std::vector<frame::Name> hoverColumns;
  std::string type;
  TypedArray xs, ys;  // float32
  Pieces pieces;
};

// The entries at `members`; a trace drawing every cell shares the whole array.
TypedArray gathered(const TypedArray& array, const Members& members) {
  std::span<const float> values = array.view<float>();
  if (members.size() == values.size()) return array;  // members are distinct rows in frame order
  std::vector<float> out(members.size());
  for (std::size_t i = 0; i < members.size(); ++i) out[i] = values[members[i]];
  return TypedArray::of(std::move(out));
}

// The columns tooltips and keys read, each once: what splitting and coding may replace.
frame::Frame hoverPart(const frame::Frame& frame, const PointsSpec& spec, const std::vector<frame::Name>& hoverColumns) {
  std::vector<frame::Name> names;
  auto add = [&](const frame::Name& name) {
    if (frame.contains(name) && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  };
  for (const frame::Name& name : hoverColumns) add(name);
  for (const auto& key : spec.keys)
    if (key) add(*key);
  return frame.select(names);
}

// A column of few values as codes into them. Every trace holds one value of it, and checking
// that over codes reads a fraction of the memory its strings take.
frame::Column coded(const frame::Column& column, const frame::Factors& factors) {
  std::vector<std::int32_t> byValue;
  std::vector<std::size_t> firstRows;
  for (std::size_t first : factors.firstRows) {
    bool missing = column.isMissing(first);
    byValue.push_back(missing ? -1 : static_cast<std::int32_t>(firstRows.size()));
    if (!missing) firstRows.push_back(first);
  }
  std::vector<std::int32_t> codes(factors.codes.size());
  for (std::size_t i = 0; i < codes.size(); ++i) codes[i] = byValue[factors.codes[i]];
  return frame::Column::categorical(frame::Buffer::of(std::move(codes)), column.take(firstRows));
}

// Text tooltip columns of few values, widest first, while the traces they multiply stay
// under the limit. Only WebGL figures split: below GL_THRESHOLD cells the strings are few.
Pieces pieces(const Context& c, std::size_t traces) {
  Pieces out;
  const frame::Frame& frame = c.hoverFrame;
  if (static_cast<std::int64_t>(frame.rows()) < GL_THRESHOLD) return out;
  struct Candidate {
    frame::Name name;
    frame::Factors factors;
    std::size_t width;
  };
  std::vector<Candidate> candidates;
  for (const frame::Name& name : c.hoverColumns) {
    const frame::Column& column = frame.column(name);
    bool isKey = std::any_of(c.spec.keys.begin(), c.spec.keys.end(), [&](const auto& k) { return k && *k == name; });
    bool seen = std::any_of(candidates.begin(), candidates.end(), [&](const Candidate& k) { return k.name == name; });
    if (column.isNumeric() || isKey || seen) continue;
    std::optional<frame::Factors> factors = column.factorize(PIECE_VALUES);
    if (!factors || factors->firstRows.size() < 2) continue;
    std::vector<std::size_t> sizes;
    for (std::size_t first : factors->firstRows) sizes.push_back(column.text(first).size());
    std::size_t width = 0;
    for (std::uint32_t code : factors->codes) width += sizes[code];
    candidates.push_back({name, std::move(*factors), width});
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) { return a.width > b.width; });
  for (Candidate& candidate : candidates) {
    std::size_t values = candidate.factors.firstRows.size();
    if (traces * out.count * values > PIECE_TRACE_LIMIT) continue;
    out.coded.push_back(coded(frame.column(candidate.name), candidate.factors));
    if (out.codes.empty()) {
      out.codes = std::move(candidate.factors.codes);
    } else {
      for (std::size_t i = 0; i < out.codes.size(); ++i)
        out.codes[i] = out.codes[i] * static_cast<std::uint32_t>(values) + candidate.factors.codes[i];
    }
    out.count *= values;
    out.columns.push_back(candidate.name);
  }
  return out;
}

// The tooltip frame with the splitting columns coded.
frame::Frame withCoded(const frame::Frame& frame, const Pieces& pieces) {
  std::vector<frame::Column> columns;
  for (std::size_t i = 0; i < frame.width(); ++i) {
    auto found = std::find(pieces.columns.begin(), pieces.columns.end(), frame.names()[i]);
    columns.push_back(found == pieces.columns.end() ? frame.at(i) : pieces.coded[found - pieces.columns.begin()]);
  }
  return frame::Frame(frame.names(), std::move(columns), frame.index(), frame.indexName());
}

bool isCategorical(const PointsSpec& spec, const frame::Name& key) {
  auto found = spec.categorical.find(key.text);
  return found != spec.categorical.end() && found->second;
}

// A key's (category, colour) pairs; none when the spec maps no colours for it.
const std::vector<std::pair<std::string, std::string>>& colorsOf(const PointsSpec& spec, const frame::Name& key) {
  static const std::vector<std::pair<std::string, std::string>> none;
  auto found = spec.colors.find(key.text);
  return found == spec.colors.end() ? none : found->second;
}

// One trace to build: its cells and what is known of it before its rows are read.
struct Draft {
  Members members;
  std::shared_ptr<const std::vector<frame::Name>> columns;  // the tooltip's; none for an empty category
  Object marker, naming;
  bool visible;
  std::optional<TypedArray> colours;  // a continuous key's values, gathered into marker.color
  std::string colourLine;             // the tooltip line that reads them back
  std::string keyLine;                // the tooltip line of the trace's own key, if any
  bool keyOnly = false;               // draws nothing: a colour bar's holder
};

// The tooltip columns of a key's traces: the common ones, then the key.
std::shared_ptr<const std::vector<frame::Name>> columnsWith(const Context& c, const frame::Name& key) {
  auto columns = std::make_shared<std::vector<frame::Name>>(c.hoverColumns);
  columns->push_back(key);
  return columns;
}

// The trace of a draft: coordinates, marker, naming attributes and tooltip, the tooltip read
// in place rather than from a sliced frame.
Object traceOf(const Context& c, const Draft& draft) {
  const Members& members = draft.members;
  Hover hover;
  if (draft.columns && members.size() == c.hoverFrame.rows()) hover = _hoverColumns(c.hoverFrame, *draft.columns);
  else if (draft.columns) hover = _hoverColumns(c.hoverFrame, *draft.columns, members);
  hover.template_ += draft.colourLine;
  Object marker = draft.marker;
  if (draft.colours) marker.set("color", gathered(*draft.colours, members));
  // A colour bar's holder is one point nowhere, as plotly draws no colour bar for no points.
  Object trace = draft.keyOnly ? Object{{"type", "scatter"}, {"x", figure::Array{Value()}}, {"y", figure::Array{Value()}}}
                               : Object{{"type", c.type}, {"x", gathered(c.xs, members)}, {"y", gathered(c.ys, members)}};
  trace.set("mode", "markers");
  trace.set("marker", std::move(marker));
  for (const auto& [attribute, value] : draft.naming) trace.set(attribute, value);
  trace.set("visible", draft.visible);
  return withHover(std::move(trace), hover);
}

Object baseMarker(const PointsSpec& spec) {
  return Object{{"size", spec.size}, {"opacity", spec.alpha}, {"line", Object{{"width", 0}}}};
}

std::size_t plainTraces(const Context& c, bool visible, std::vector<Draft>& drafts) {
  std::vector<Members> pieces = byPiece(c.pieces.codes, c.pieces.count, c.hoverFrame.rows(), 1, [](std::size_t) { return 0; });
  std::vector<Members> parts = partsOf(pieces, 0, c.pieces.count);
  auto columns = std::make_shared<const std::vector<frame::Name>>(c.hoverColumns);
  for (auto& part : parts)
    drafts.push_back({std::move(part), columns, baseMarker(c.spec), Object{{"name", "cells"}, {"showlegend", false}},
                      visible, std::nullopt, "", ""});
  return parts.size();
}

// Each row's position among the mapping's categories by its text, -1 for none. Columns
// whose distinct values have distinct texts match each value once rather than every row.
std::vector<std::int32_t> categoryCodes(const frame::Column& values,
                                        const std::vector<std::pair<std::string, std::string>>& colors) {
  std::unordered_map<std::string, std::int32_t> code;
  for (std::size_t k = 0; k < colors.size(); ++k) code.emplace(colors[k].first, static_cast<std::int32_t>(k));
  auto codeOf = [&](const std::string& text) {
    auto found = code.find(text);
    return found == code.end() ? -1 : found->second;
  };
  std::vector<std::int32_t> out(values.size());
  frame::Kind kind = values.kind();
  if (kind == frame::Kind::Categorical) {
    std::vector<std::int32_t> byCategory;
    for (const std::string& text : values.categories().texts()) byCategory.push_back(codeOf(text));
    std::int32_t absent = codeOf(values.absentText());
    frame::visit(values.values(), [&](auto codes) {
      if constexpr (std::is_integral_v<typename decltype(codes)::value_type>) {  // codes are checked integers
        for (std::size_t row = 0; row < codes.size(); ++row) {
          auto k = static_cast<std::int64_t>(codes[row]);
          out[row] = k < 0 ? absent : byCategory[static_cast<std::size_t>(k)];
        }
      }
    });
    return out;
  }
  bool textPerValue = kind == frame::Kind::Text || kind == frame::Kind::Int || kind == frame::Kind::Bool;
  if (!textPerValue) {
    for (std::size_t row = 0; row < values.size(); ++row) out[row] = codeOf(values.text(row));
    return out;
  }
  frame::Factors factors = *values.factorize();
  std::vector<std::int32_t> byValue;
  for (std::size_t first : factors.firstRows)
    byValue.push_back(values.isMissing(first) ? -2 : codeOf(values.text(first)));
  for (std::size_t row = 0; row < values.size(); ++row) {
    std::int32_t k = byValue[factors.codes[row]];
    out[row] = k == -2 ? codeOf(values.text(row)) : k;  // missing cells may read differently
  }
  return out;
}

std::size_t categoricalTraces(const Context& c, const frame::Name& key, bool visible, std::vector<Draft>& drafts) {
  const auto& colors = colorsOf(c.spec, key);
  std::vector<std::int32_t> codes = categoryCodes(c.spec.frame.column(key), colors);
  std::vector<Members> pieces = byPiece(c.pieces.codes, c.pieces.count, codes.size(), colors.size(), [&](std::size_t row) {
    return std::int64_t{codes[row]};
  });
  auto columns = columnsWith(c, key);
  std::size_t traces = 0;
  for (std::size_t k = 0; k < colors.size(); ++k) {
    const auto& [category, colour] = colors[k];
    // A category split into pieces keeps one legend entry, which toggles all of them.
    std::vector<Members> parts = partsOf(pieces, k, c.pieces.count);
    std::string shown = categoryColor(subscripted(subscripted("colors", key.text), category), colour, UNMAPPED_COLOR);
    for (std::size_t i = 0; i < parts.size(); ++i) {
      Object marker = baseMarker(c.spec);
      marker.set("color", shown);
      Object naming{{"name", theme::escape(category)}, {"legendgroup", category}};
      if (i > 0) naming.set("showlegend", false);
      // An empty category still gets its trace and legend entry, with no tooltip.
      bool empty = parts[i].empty();
      std::string keyLine = empty ? "" : hoverLine(key.text, theme::escape(_formatCell(c.hoverFrame.column(key), parts[i][0])));
      drafts.push_back({std::move(parts[i]), empty ? nullptr : columns, std::move(marker), std::move(naming),
                        visible, std::nullopt, "", std::move(keyLine)});
    }
    traces += parts.size();
  }
  return traces;
}

// A continuous key's colours: its values as float32, the theme's scale and limits for them
// and the tooltip line that reads each cell's value back from its marker colour.
struct Shading {
  TypedArray colours;
  Object encoding;
  std::string line;
};

Shading shadingOf(const Context& c, const frame::Name& key) {
  auto found = c.spec.scales.find(key.text);
  ColorScale scale = found == c.spec.scales.end() ? ColorScale{} : found->second;
  scale.owner = subscripted("scales", key.text);
  std::vector<double> values = c.spec.frame.asDoubles(key);
  Shading out{TypedArray::of(std::vector<float>(values.begin(), values.end())), colorEncoding(scale, values, 'c'), ""};
  bool listed = std::find(c.hoverColumns.begin(), c.hoverColumns.end(), key) != c.hoverColumns.end();
  if (!listed) out.line = hoverLine(key.text, "%{marker.color:.4g}");
  return out;
}

std::size_t continuousTraces(const Context& c, const frame::Name& key, bool visible, std::vector<Draft>& drafts) {
  Shading shading = shadingOf(c, key);
  // The tooltip reads each cell's value from its marker colour rather than a second copy.
  auto columns = std::make_shared<const std::vector<frame::Name>>(c.hoverColumns);
  // Pieces share the scale and its limits; the first one draws the colour bar.
  std::vector<Members> pieces = byPiece(c.pieces.codes, c.pieces.count, shading.colours.size(), 1, [](std::size_t) { return 0; });
  std::vector<Members> parts = partsOf(pieces, 0, c.pieces.count);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    Object marker = baseMarker(c.spec);
    marker.set("color", Value());  // the piece's values, once its rows are read
    for (const auto& [attribute, value] : shading.encoding) marker.set(attribute, value);
    marker.set("showscale", i == 0);
    if (i == 0) marker.set("colorbar", colorbar(key.text, 0.6));
    drafts.push_back({std::move(parts[i]), columns, std::move(marker),
                      Object{{"name", theme::escape(key.text)}, {"showlegend", false}}, visible, shading.colours,
                      shading.line, shading.line});
  }
  return parts.size();
}

// A later continuous key draws no cells of its own: its state recolours the first key's
// traces, and this empty trace holds its colour bar.
void colourBarDraft(const Context& c, const frame::Name& key, const Shading& shading, std::vector<Draft>& drafts) {
  Object marker = baseMarker(c.spec);
  for (const auto& [attribute, value] : shading.encoding) marker.set(attribute, value);
  marker.set("color", figure::Array{shading.encoding.at("cmin")});
  marker.set("showscale", true);
  marker.set("colorbar", colorbar(key.text, 0.6));
  drafts.push_back({Members{}, nullptr, std::move(marker),
                    Object{{"name", theme::escape(key.text)}, {"showlegend", false}, {"hoverinfo", "skip"}}, false,
                    std::nullopt, "", "", true});
}

// The value a restyle writes back to leave `path` of a trace as built; null resets it.
Value ownValue(const Object& trace, std::string_view path) {
  const Value* at = nullptr;
  const Object* in = &trace;
  for (std::size_t start = 0;;) {
    std::size_t dot = path.find('.', start);
    at = in->find(path.substr(start, dot == std::string_view::npos ? dot : dot - start));
    if (!at || dot == std::string_view::npos) break;
    if (!at->isObject()) return Value();
    in = &at->asObject();
    start = dot + 1;
  }
  if (!at) return Value();
  return at->isTyped() ? Value(at->asTyped().asRecord()) : *at;
}

// The tooltip of a recoloured trace: its key's line gives way to the shading's.
std::string recolouredTemplate(const Value& own, const std::string& keyLine, const std::string& line) {
  std::string out = own.isString() ? own.asString() : "<extra></extra>";
  if (std::size_t at = keyLine.empty() ? std::string::npos : out.rfind(keyLine); at != std::string::npos)
    out.erase(at, keyLine.size());
  std::size_t extra = out.rfind("<extra>");
  out.insert(extra == std::string::npos ? out.size() : extra, line);
  return out;
}

// Each state's trace update over every trace. A state that recolours sets the first key's
// traces to its shading and everything else as built; every other state sets all as built.
std::vector<Object> recolouring(const std::vector<Object>& traces, const std::vector<Draft>& drafts,
                                std::size_t carriers, const std::vector<std::optional<Shading>>& states,
                                const std::vector<std::int64_t>& groups) {
  std::vector<std::string> paths{"marker.color", "marker.showscale", "hovertemplate", "showlegend"};
  for (const auto& state : states)
    if (state)
      for (const auto& [attribute, value] : state->encoding)
        if (std::string path = "marker." + attribute; std::find(paths.begin(), paths.end(), path) == paths.end())
          paths.push_back(path);
  std::vector<Object> out;
  for (std::size_t k = 0; k < states.size(); ++k) {
    Object update;
    for (const std::string& path : paths) {
      figure::Array values;
      for (std::size_t t = 0; t < traces.size(); ++t) {
        const std::optional<Shading>& shading = states[k];
        if (!shading || t >= carriers) {
          values.push_back(ownValue(traces[t], path));
        } else if (path == "marker.color") {
          values.emplace_back(gathered(shading->colours, drafts[t].members).asRecord());
        } else if (path == "hovertemplate") {
          values.emplace_back(recolouredTemplate(ownValue(traces[t], path), drafts[t].keyLine, shading->line));
        } else if (path == "marker.showscale" || path == "showlegend") {
          values.emplace_back(false);
        } else {
          values.push_back(*shading->encoding.find(path.substr(7)));
        }
      }
      update.set(path, std::move(values));
    }
    if (states[k]) {
      // The first key's traces show the cells; the state's own trace holds its colour bar.
      std::vector<bool> mask = _visibility(groups, static_cast<std::int64_t>(k));
      std::fill(mask.begin(), mask.begin() + static_cast<std::ptrdiff_t>(carriers), true);
      update.set("visible", figure::Array(mask.begin(), mask.end()));
    }
    out.push_back(std::move(update));
  }
  return out;
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

PlotArea _pointArea(const PointsSpec& spec, const frame::Frame& frame, std::int64_t categories) {
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
  checkedNumber("size", spec.size, MARKER_PX);
  checkedNumber("alpha", spec.alpha, OPACITY);
  const frame::Frame& frame = spec.frame;
  if (spec.identifiers && *spec.identifiers != frame.rows())
    throw ValueError("points: rows holds " + std::to_string(*spec.identifiers) + " identifiers for " +
                     std::to_string(frame.rows()) + " cells");
  bool identity = static_cast<std::int64_t>(frame.rows()) <= HOVER_IDENTITY_LIMIT;
  frame::Name identityName = frame.indexName() && !frame.indexName()->text.empty() ? *frame.indexName()
                                                                                    : frame::Name("cell");
  std::vector<frame::Name> hoverColumns;
  if (identity) hoverColumns.push_back(identityName);
  for (const frame::Name& name : spec.hover)
    if (frame.contains(name)) hoverColumns.push_back(name);
  frame::Frame hoverFrame = hoverPart(identity ? withIndexColumn(frame, identityName) : frame, spec, hoverColumns);
  Context c{spec, std::move(hoverFrame), std::move(hoverColumns), _pointTraceType(frame.rows()),
            TypedArray::of(_coordinates(frame, spec.x)), TypedArray::of(_coordinates(frame, spec.y)), {}};

  // Traces before any split, to bound what splitting multiplies.
  std::size_t unsplit = 0;
  for (const auto& key : spec.keys) unsplit += key && isCategorical(spec, *key) ? colorsOf(spec, *key).size() : 1;
  c.pieces = pieces(c, std::max<std::size_t>(unsplit, 1));
  if (!c.pieces.columns.empty()) c.hoverFrame = withCoded(c.hoverFrame, c.pieces);

  std::vector<Draft> drafts;
  std::vector<std::int64_t> groups, entries;
  std::vector<std::string> labels;
  std::vector<std::optional<Shading>> recoloured;  // per state: the shading it paints the first key's traces with
  for (std::size_t p = 0; p < spec.keys.size(); ++p) {
    bool visible = p == 0;
    const std::optional<frame::Name>& key = spec.keys[p];
    recoloured.emplace_back();
    if (!key) {
      groups.push_back(static_cast<std::int64_t>(plainTraces(c, visible, drafts)));
      entries.push_back(1);
      labels.push_back("cells");
      continue;
    }
    frame.column(*key);  // a key the frame lacks fails here, by its name
    if (isCategorical(spec, *key)) {
      groups.push_back(static_cast<std::int64_t>(categoricalTraces(c, *key, visible, drafts)));
      entries.push_back(static_cast<std::int64_t>(colorsOf(spec, *key).size()));
    } else if (p == 0) {
      groups.push_back(static_cast<std::int64_t>(continuousTraces(c, *key, visible, drafts)));
      entries.push_back(1);
    } else {
      // x, y and the tooltips travel once, with the first key's traces.
      recoloured.back() = shadingOf(c, *key);
      colourBarDraft(c, *key, *recoloured.back(), drafts);
      groups.push_back(1);
      entries.push_back(1);
    }
    labels.push_back(key->text);
  }
  // Traces read their rows independently: large figures spread them over the cores.
  std::vector<Object> traces(drafts.size());
  parallelFor(drafts.size(), [&](std::size_t t) { traces[t] = traceOf(c, drafts[t]); },
              frame.rows() >= PARALLEL_ROWS ? 0 : 1);
  DropdownOptions dropdown;
  dropdown.label = "colour by";
  if (std::any_of(recoloured.begin(), recoloured.end(), [](const auto& r) { return r.has_value(); }))
    dropdown.stateTraces = recolouring(traces, drafts, static_cast<std::size_t>(groups.front()), recoloured, groups);
  PointsFigure out;
  for (std::size_t t = 0; t < drafts.size(); ++t) {
    out.fig.addTrace(std::move(traces[t]));
    out.members.push_back(std::move(drafts[t].members));
  }
  styleAxes(out.fig, spec);

  FinishOptions options;
  if (groups.size() >= 2) options.controls.push_back(dropdownControl(labels, groups, dropdown));
  if (std::optional<Object> slider = sizeSlider(out.fig)) options.controls.push_back(*slider);
  // The longest legend the figure can show sets the floor of the drawing area's height.
  options.plot = _pointArea(spec, frame, *std::max_element(entries.begin(), entries.end()));
  finishFigure(out.fig, spec.common, options);
  return out;
}

}  // namespace tess::render
