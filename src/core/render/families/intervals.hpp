// Intervals: an estimate and its interval per feature, in precomputed orderings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "figure/figure.hpp"
#include "frame/frame.hpp"
#include "render/families/common/colors.hpp"
#include "render/finish/finish.hpp"

namespace tess::render {

struct IntervalsSpec {
  SpecCommon common;
  frame::Frame frame;  ///< one row per feature: "value", "low", "high", any others for the tooltip
  std::vector<std::pair<std::string, std::vector<std::int64_t>>> orders;  ///< name -> row positions
  std::optional<frame::Name> colorBy;  ///< column whose values pick the marker colours
  ColorMap colors;                     ///< value text -> colour
  std::optional<double> reference;
  std::string valueLabel;
  bool logScale = false;
};

inline constexpr std::string_view INTERVAL_MARKER_COLOR = "#333333";

/// The finished figure: one marker trace with horizontal error bars, the first feature at
/// the top, and an "order" dropdown when there are several orderings. Each ordering
/// re-sends the trace's positions, names, error bars, tooltips and colours, so every
/// feature keeps its own colour and tooltip in every order.
figure::Figure intervals(const IntervalsSpec& spec);

}  // namespace tess::render
