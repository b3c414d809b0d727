// A marker's distribution (or a pair's density) with gate lines the reader can drag.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "figure/figure.hpp"
#include "render/families/common/histogram.hpp"
#include "render/finish/finish.hpp"

namespace tess::render {

/// One marker's values over all cells, under the marker's name as text.
struct GateMarker {
  std::string name;
  NumberColumn values;
};

struct GateSpec {
  SpecCommon common;
  std::vector<GateMarker> markers;                       ///< single-marker mode
  std::vector<std::pair<GateMarker, GateMarker>> pairs;  ///< (x, y); pair mode when not empty
  std::int64_t bins = 100;                               ///< per axis
  std::map<std::string, double> thresholds;              ///< marker name -> gate position
  std::optional<std::vector<double>> xticks, yticks;     ///< explicit ticks; automatic when unset
};

/// Gate colour and where a marker without a threshold is gated.
inline constexpr std::string_view GATE_COLOR = "#B2182B";
inline constexpr double DEFAULT_GATE = 0.5;

/// An editable gate line named `name`: vertical across the plot at x = value for axis "x",
/// horizontal at y = value for any other axis.
figure::Object _gateShape(std::string_view axis, double value, std::string_view name);

/// A colour bar for log1p-scaled counts, ticked in cells: at 1, 10, 100 ... up to
/// `highest` (held at 1 or more), and `highest` itself.
figure::Object _countColorbar(std::int64_t highest);

/// The finished figure: a histogram per marker (or a density per pair), each with its gate
/// lines, switched by a "marker" dropdown when there are several.
figure::Figure gate(const GateSpec& spec);

}  // namespace tess::render
