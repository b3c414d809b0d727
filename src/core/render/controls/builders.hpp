// Controls several families share: dropdowns over trace groups, the marker-size slider and
// the axis title a dropdown state writes. Each returns a control entry for the band.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "figure/figure.hpp"

namespace tess::render {

/// The traces that carry a marker size and those sizes as stored (a number or an array).
struct MarkerSizes {
  std::vector<std::int64_t> kept;  ///< trace positions, in the order asked for
  figure::Array sizes;
  std::vector<double> refs;  ///< each kept trace's marker.sizeref, 1 where unset
};

/// The traces of `indices` whose marker.size is set, in `indices` order. Negative indices
/// count from the end; anything outside the traces throws IndexError.
MarkerSizes _markerSizes(const figure::Figure& fig, std::span<const std::int64_t> indices);

/// The one size every trace draws at, or nullopt when a size is an array, the first is not
/// positive, or the spread exceeds `tolerance` × the largest. `sizes` must not be empty
/// (IndexError).
std::optional<double> _uniformSize(std::span<const figure::Value> sizes, double tolerance = 0.08);

/// The marker-size slider over the traces of `indices` (every trace when nullopt): an
/// absolute ladder in px when all sizes agree and `relative` is off, else a ladder of
/// factors on the current sizes. nullopt when no such trace has a marker size.
std::optional<figure::Object> sizeSlider(const figure::Figure& fig,
                                         const std::optional<std::vector<std::int64_t>>& indices = std::nullopt,
                                         std::string_view label = "point size", bool relative = false);

/// A slider record in the band's style: `steps` with `active` chosen, the chosen step's label
/// shown after `prefix` (and before `suffix`) in the caption colour.
figure::Object bandSlider(std::int64_t active, figure::Array steps, std::string prefix,
                          std::optional<std::string> suffix = std::nullopt);

/// An axis title naming a dropdown state: the escaped name, then " · " and the escaped
/// base when the base is given and not empty.
std::string axisTitleFor(std::string_view name, std::optional<std::string_view> base = std::nullopt);

struct DropdownOptions {
  std::optional<std::string> label = std::nullopt;      ///< caption beside the dropdown
  std::int64_t active = 0;               ///< the state shown first
  std::string align = "left";            ///< side of the band
  std::optional<std::string> axisTitle = std::nullopt;  ///< "x" or "y" retitles that axis per state
  std::optional<std::string> axisBase = std::nullopt;   ///< what the axis says, kept after the state's name
  /// Further layout updates of each state (one per label, or none), before its axis title:
  /// a note that belongs to the state, the gate lines of a marker.
  std::vector<figure::Object> stateLayout = {};
  /// Further trace updates of each state (one per label, or none), each attribute a list
  /// with one entry per trace; a "visible" among them replaces the state's mask.
  std::vector<figure::Object> stateTraces = {};
};

/// A dropdown whose state k shows only the k-th run of traces (`groups` counts the traces
/// of each state). Button labels are escaped: plotly draws them as markup. ValueError when
/// `stateLayout` is given with another count than `labels`.
figure::Object dropdownControl(std::span<const std::string> labels, std::span<const std::int64_t> groups,
                               const DropdownOptions& options = {});

/// The `visible` mask showing group `active` only: groups[g] copies of (g == active) per
/// group. A negative count throws ValueError.
std::vector<bool> _visibility(std::span<const std::int64_t> groups, std::int64_t active);

/// The restyle of one trace to `attributes` (a trace's attribute tree): nested objects as
/// dotted paths, each value wrapped once (restyle reads a list as one entry per trace) and
/// typed arrays as records, which plotly.js decodes like a trace's own arrays.
figure::Object restyleOf(const figure::Object& attributes);

/// Python's format(x, "g"): six significant digits, trailing zeros dropped.
std::string formatG(double x);
/// Python's round(x, 2): the exact binary value rounded to two decimals, ties to even.
double roundTo2(double x);

}  // namespace tess::render
