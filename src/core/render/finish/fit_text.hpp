// Texts plotly never shortens, fitted to the side they stand on once the plot's size is known.
#pragma once

#include <string_view>

#include "figure/figure.hpp"

namespace tess::render {

/// Least clear space left at each end of a fitted title, px.
inline constexpr double TITLE_END_GAP = 2.0;

/// Shortens, with an ellipsis, every axis title longer than its side of the drawing area
/// (x titles to its width, rotated y titles to its height): the layout's own and those a
/// dropdown or slider state writes. The menus and tooltips keep the full names.
void _fitAxisTitles(figure::Figure& fig, double plotWidth, double plotHeight);

/// Shortens, with an ellipsis, every sideways colour-bar title longer than its bar.
void _fitColorbarTitles(figure::Figure& fig, double plotHeight);

/// Most lines an in-plot note wraps onto before it is shortened.
inline constexpr std::size_t MAX_NOTE_LINES = 3;

/// Wraps, at blanks, every annotation standing in the drawing area (paper x from 0 to 1)
/// that is wider than the room its anchor leaves it there, and the texts control states
/// write into it; a note still too long is shortened with an ellipsis.
void _fitNotes(figure::Figure& fig, double plotWidth);

// Log axes: plotly labels every digit of a decade once the decade is a few labels tall,
// and those labels then run into each other; the stride is chosen here instead.

/// The widest label a decade tick takes under an x axis, as plotly writes powers of ten.
inline constexpr std::string_view WIDEST_DECADE = "0.0001";

/// The plotly `dtick` that keeps the labels of a log axis `spanPx` long over `decades`
/// decades apart at fontPx: "D1" (every digit) or "D2" (1, 2 and 5) where those fit, else
/// a whole number of decades. Level x labels need their width, y labels their height.
figure::Value _logStride(char axis, double spanPx, double decades, double fontPx);

/// Gives every log axis of letter 'x' or 'y' (as the layout starts or as a control state
/// switches it to) the stride `_logStride` picks for the decades its traces span; a state
/// that switches the axis back to linear clears it.
void _fitLogTicks(figure::Figure& fig, char axis, double spanPx);

}  // namespace tess::render
