// Slider geometry and the marker-size ladder.
#pragma once

#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tess::layout {

/// How far a slider's box reaches below the bottom its row anchors it at, px (4.6 measured
/// in Chromium): the tick labels of the plot under it must keep clear of that too.
inline constexpr double SLIDER_DROP = 5.0;
/// Smallest font the slider labels shrink to before they are allowed to crowd.
inline constexpr double MIN_SLIDER_FONT = 9.0;
/// Shortest slider drawn, px.
inline constexpr double MIN_SLIDER_LENGTH = 160.0;
/// Room plotly keeps at each end of the rail for the handle, px.
inline constexpr double SLIDER_INSET = 8.0;

/// The slider's length as a fraction of the drawing-area width and the font size of its
/// step labels: long enough that neighbouring labels keep a gap, never longer than
/// `availablePx`; the font shrinks (to MIN_SLIDER_FONT) only when that room is short.
/// ValueError for a drawing area without width or a font outside (0, MAX_FIGURE_HEIGHT].
std::pair<double, double> sliderLength(std::span<const std::string> labels, double fontPx, double plotWidth,
                                       double availablePx);

/// Absolute marker sizes in px around `size`, reaching down to half a pixel, and the index
/// of the step equal to `size`.
std::pair<std::vector<double>, std::size_t> sizeLadder(double size);

}  // namespace tess::layout
