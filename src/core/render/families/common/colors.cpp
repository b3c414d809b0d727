#include "render/families/common/colors.hpp"

#include <set>

#include "errors.hpp"
#include "render/entry/checks.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Object;
using figure::Value;

std::string categoryColor(std::string_view attribute, std::optional<std::string_view> given,
                          std::string_view fallback) {
  if (!given || given->empty()) return std::string(fallback);
  return checkedColor(attribute, *given);
}

std::string categoryColor(std::string_view attribute, const ColorMap& colors, std::string_view name,
                          std::string_view fallback) {
  auto found = colors.find(std::string(name));
  if (found == colors.end()) return std::string(fallback);
  return categoryColor(subscripted(attribute, name), found->second, fallback);
}

figure::Array rowColors(std::string_view attribute, const ColorMap& colors, const frame::Column& keys,
                        std::span<const std::size_t> rows, std::string_view fallback) {
  std::map<std::string, std::string> known;  // each key checked once
  figure::Array out;
  out.reserve(rows.size());
  for (std::size_t row : rows) {
    std::string key = keys.text(row);
    auto found = known.find(key);
    if (found == known.end()) found = known.emplace(key, categoryColor(attribute, colors, key, fallback)).first;
    out.emplace_back(found->second);
  }
  return out;
}

std::vector<KeyEntry> keyEntries(std::string_view attribute, const ColorMap& colors, const frame::Column& keys,
                                 std::span<const std::size_t> rows, std::string_view fallback) {
  std::vector<KeyEntry> out;
  std::set<std::string> seen;
  for (std::size_t row : rows) {
    std::string key = keys.text(row);
    if (!seen.insert(key).second) continue;
    std::string color = categoryColor(attribute, colors, key, fallback);
    out.push_back({std::move(key), std::move(color)});
  }
  return out;
}

Object keyTrace(std::string_view name, Object marker) {
  return Object{{"type", "scatter"},         {"x", figure::Array{nullptr}}, {"y", figure::Array{nullptr}},
                {"mode", "markers"},         {"marker", std::move(marker)}, {"name", theme::escape(name)},
                {"hoverinfo", "skip"}};
}

void addColorKey(figure::Figure& fig, std::span<const KeyEntry> entries, std::string_view symbol, bool visible) {
  for (const KeyEntry& entry : entries) {
    Object trace = keyTrace(entry.name, Object{{"symbol", symbol}, {"size", 10}, {"color", entry.color}});
    trace.set("showlegend", true);
    trace.set("visible", visible);
    fig.addTrace(std::move(trace));
  }
  if (!entries.empty())
    fig.updateLayout(Object{{"legend", Object{{"itemclick", false}, {"itemdoubleclick", false}}}});
}

Object colorEncoding(const ColorScale& scale, std::span<const double> values, char prefix) {
  if (prefix != 'c' && prefix != 'z') throw ValueError("a colour encoding is keyed 'c' or 'z'");
  std::string lead = scale.owner.empty() ? "" : scale.owner + " ";
  theme::Limits limits;
  figure::Array colours;
  try {
    limits = theme::colorLimits(values, scale.kind, scale.vmin, scale.vmax, scale.center);
  } catch (const ValueError& e) {
    if (lead.empty()) throw;  // its message names vmin, vmax or center
    throw ValueError(lead + e.what());
  }
  try {
    colours = theme::colorscale(scale.cmap, scale.kind);
  } catch (const ValueError& e) {
    throw ValueError(lead + "cmap: " + e.what());
  }
  std::string p(1, prefix);
  return Object{{"colorscale", std::move(colours)},
                {p + "min", limits.low},
                {p + "max", limits.high},
                {p + "mid", limits.mid ? Value(*limits.mid) : Value()}};
}

Object colorbar(std::string_view title, double length) {
  return Object{{"title", Object{{"text", theme::escape(title)}, {"side", "right"}}},
                {"thickness", 12},
                {"len", length},
                {"tickfont", Object{{"size", theme::TICK_PX}}}};
}

}  // namespace tess::render
