// Colours of categories and of continuous values, and the colour bar that keys them.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "figure/figure.hpp"
#include "figure/value.hpp"
#include "frame/column.hpp"

namespace tess::render {

/// Category text -> colour, as specs map them.
using ColorMap = std::map<std::string, std::string>;

/// The colour a spec gives a category, or the family's `fallback` where it gives none
/// (no entry, or an empty one). A given colour is checked (checkedColor) under the name
/// `attribute`; a map's entry is named `attribute`[name].
std::string categoryColor(std::string_view attribute, std::optional<std::string_view> given,
                          std::string_view fallback);
std::string categoryColor(std::string_view attribute, const ColorMap& colors, std::string_view name,
                          std::string_view fallback);

/// One colour per row of `rows`: the colour `colors` gives the text of that row's key, the
/// fallback where it gives none. Checked as categoryColor checks them.
figure::Array rowColors(std::string_view attribute, const ColorMap& colors, const frame::Column& keys,
                        std::span<const std::size_t> rows, std::string_view fallback);

/// A category a colour key lists, and its colour.
struct KeyEntry {
  std::string name;
  std::string color;
};

/// The distinct keys of `rows` in order of first appearance, each with the colour rowColors
/// gives its rows: what a legend keying those colours lists.
std::vector<KeyEntry> keyEntries(std::string_view attribute, const ColorMap& colors, const frame::Column& keys,
                                 std::span<const std::size_t> rows, std::string_view fallback);

/// A legend entry that draws nothing in the plot: a scatter without points or tooltip,
/// named `name` (escaped), its `marker` shown in the legend.
figure::Object keyTrace(std::string_view name, figure::Object marker);

/// One keyTrace per entry, in `symbol` markers, listed even alone, shown when `visible`:
/// the legend of a trace coloured per point or bar. The legend is then a key only
/// (clicking it hides nothing, as the entries draw nothing).
void addColorKey(figure::Figure& fig, std::span<const KeyEntry> entries, std::string_view symbol,
                 bool visible = true);

/// A continuous colour encoding as specs request it: map name, explicit limits, centre
/// and colour kind, all handed to the theme.
struct ColorScale {
  std::string cmap;
  std::optional<double> vmin, vmax, center;
  std::string kind = "sequential";
  /// The spec attribute holding the request, which leads its failures' messages; empty
  /// when cmap, vmin, vmax and center are spec attributes themselves.
  std::string owner;
};

/// The theme's colour scale and the limits it chooses for `values`, keyed for a marker
/// (prefix 'c': "cmin", "cmax", "cmid") or a heatmap ('z'). An unknown map or unusable
/// limits throw ValueError naming cmap, vmin, vmax or center (after the scale's owner).
figure::Object colorEncoding(const ColorScale& scale, std::span<const double> values, char prefix);

/// The colour bar of a continuous encoding: the escaped title beside it, `length` as a
/// fraction of the plot's height.
figure::Object colorbar(std::string_view title, double length);

}  // namespace tess::render
