// Colour scales by name, and explicit scales checked before they reach a figure.
#include <algorithm>
#include <cmath>
#include <string>

#include "errors.hpp"
#include "theme/colormaps.hpp"
#include "theme/theme.hpp"

namespace tess::theme {

using figure::Array;
using figure::Value;

namespace {

std::string lowerTrimmed(std::string_view text) {
  std::size_t first = text.find_first_not_of(" \t\n\r");
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(" \t\n\r");
  std::string out(text.substr(first, last - first + 1));
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

const detail::Colormap* find(std::string_view name) {
  auto maps = detail::colormaps();
  auto it = std::lower_bound(maps.begin(), maps.end(), name,
                             [](const detail::Colormap& m, std::string_view key) { return m.name < key; });
  return it != maps.end() && it->name == name ? &*it : nullptr;
}

// Position of colour i of n, exactly 0 and 1 at the ends.
double position(std::size_t i, std::size_t n) { return n < 2 ? 0.0 : double(i) / double(n - 1); }

Array pairs(std::span<const std::uint32_t> rgb, bool reversed) {
  Array out;
  out.reserve(rgb.size());
  for (std::size_t i = 0; i < rgb.size(); ++i) {
    std::uint32_t c = rgb[reversed ? rgb.size() - 1 - i : i];
    Color color{double(c >> 16), double((c >> 8) & 0xFF), double(c & 0xFF), 1.0};
    out.push_back(Array{position(i, rgb.size()), hex(color)});
  }
  return out;
}

void checkColor(const Value& color, std::size_t index) {
  if (!color.isString())
    throw ValueError("colour scale entry " + std::to_string(index) + " has no colour string");
  parseColor(color.asString());
}

}  // namespace

bool isDiverging(std::string_view kind) { return lowerTrimmed(kind) == "diverging"; }

figure::Array colorscale(std::string_view cmap, std::string_view kind) {
  std::string name = lowerTrimmed(cmap);
  if (name.empty()) name = isDiverging(kind) ? "rdbu_r" : "viridis";
  if (const auto* map = find(name)) return pairs(map->rgb, false);
  if (name.size() > 2 && name.ends_with("_r"))
    if (const auto* map = find(std::string_view(name).substr(0, name.size() - 2))) return pairs(map->rgb, true);
  throw ValueError("unknown colour map '" + std::string(cmap) +
                   "'; known maps include viridis, magma, inferno, plasma, cividis, greys, blues, reds, "
                   "rdbu, coolwarm and bwr, and any name may end in _r to reverse it");
}

figure::Array explicitColorscale(const figure::Value& scale) {
  if (!scale.isArray()) throw TypeError("a colour scale must be a name or a list of [position, colour] pairs");
  const Array& entries = scale.asArray();
  if (entries.size() < 2) throw ValueError("a colour scale needs at least two colours");
  // A plain list of colours is spread evenly, as plotly.py does.
  if (std::all_of(entries.begin(), entries.end(), [](const Value& v) { return v.isString(); })) {
    Array out;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      checkColor(entries[i], i);
      out.push_back(Array{position(i, entries.size()), entries[i]});
    }
    return out;
  }
  double previous = 0.0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Value& entry = entries[i];
    if (!entry.isArray() || entry.asArray().size() != 2 || !entry.asArray()[0].isNumber())
      throw ValueError("colour scale entry " + std::to_string(i) + " is not a [position, colour] pair");
    double at = entry.asArray()[0].asDouble();
    bool ends = (i == 0 && at == 0.0) || (i + 1 == entries.size() && at == 1.0);
    bool inside = i > 0 && i + 1 < entries.size() && at >= previous && at <= 1.0;
    if (!ends && !inside)
      throw ValueError("colour scale positions must rise from 0 to 1; entry " + std::to_string(i) + " breaks that");
    checkColor(entry.asArray()[1], i);
    previous = at;
  }
  return entries;
}

std::vector<std::string_view> colormapNames() {
  std::vector<std::string_view> out;
  for (const auto& map : detail::colormaps()) out.push_back(map.name);
  return out;
}

}  // namespace tess::theme
