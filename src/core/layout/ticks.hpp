// Category tick labels: the angle, size and stride that keep them apart, and the room they take.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "figure/figure.hpp"

namespace tess::layout {

/// The template's outside tick length and axis line width, px. plotly draws tick labels
/// TICK_LENGTH + AXIS_LINE_WIDTH + 0.2 × font size away from the plot area.
inline constexpr double TICK_LENGTH = 4.0;
inline constexpr double AXIS_LINE_WIDTH = 1.0;
/// Least clear space between two tick labels that are both shown, px.
inline constexpr double TICK_LABEL_GAP = 2.0;
/// The smallest size tick labels are shrunk to, px (an explicit size is never shrunk).
inline constexpr double TICK_FONT_FLOOR = 9.0;

/// How an axis's category labels are drawn.
struct TickPolicy {
  double angle;        ///< degrees, plotly's tickangle: 0, -45 or -90 (anchored at the text's end)
  double font;         ///< px
  std::int64_t step;   ///< every step-th label is shown, starting with the first
  double extent;       ///< px the labels take outside the plot area (below x, left of y), standoff included
  std::vector<std::string> labels;  ///< one text per category, shortened with "…" past TICK_LABEL_LIMIT
  double overhangStart;  ///< px the shown labels reach beyond the axis start (left of x, below y)
  double overhangEnd;    ///< px they reach beyond its end (right of x, above y)
};

/// The policy for `labels` (raw text, in axis order) at evenly spaced category positions
/// over spanPx, as plotly draws them under an x axis ('x') or left of a y axis ('y').
/// Shown labels stay TICK_LABEL_GAP apart, measured between the boxes Chromium draws.
/// x: level, then -45°, then -90°, at each size from theme::TICK_PX down to TICK_FONT_FLOOR,
/// then the smallest stride at the floor size; y: level, smaller sizes, then a stride.
/// `tickFont` fixes the size, so only a stride is left. Every text is first shortened to
/// TICK_LABEL_LIMIT, which bounds the band under an x axis to about 190 px. All labels are
/// shown only where plotly would not thin them itself (1.2 font sizes apart).
/// `others` are the same axis's labels in the other orders control states show: the angle,
/// size and stride chosen clear in every one of them, and the room is the largest any needs.
/// Throws ValueError for a span or size that is not a positive finite number, or an axis
/// other than 'x' and 'y'.
TickPolicy tickPolicy(std::span<const std::string> labels, double spanPx, std::optional<double> tickFont,
                      char axis, std::span<const std::vector<std::string>> others = {});

/// Category names of the figure's first x or y axis as the figure holds them, in axis order:
/// a category array, then the distinct values of the visible traces on that axis; empty
/// for a numeric axis. Throws ValueError for an axis other than 'x' and 'y'.
std::vector<std::string> axisCategories(const figure::Figure& fig, char axis);

/// Category labels of the figure's first x or y axis as they are drawn, in axis order;
/// empty for a numeric axis.
/// Tick texts given with tick values come first, then the axis's categories, each as its
/// visible text (plotly draws both as markup). Throws ValueError for an axis other than 'x' and 'y'.
std::vector<std::string> axisLabels(const figure::Figure& fig, char axis);

}  // namespace tess::layout
