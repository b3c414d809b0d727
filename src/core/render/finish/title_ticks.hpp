// Title block and tick labels: the two writers of layout text the finisher calls.
#pragma once

#include <optional>
#include <string>

#include "figure/figure.hpp"
#include "layout/ticks.hpp"

namespace tess::render {

/// Title colours: a heading, and a note (alone or under the title).
inline constexpr std::string_view TITLE_COLOR = "#000000";
inline constexpr std::string_view NOTE_COLOR = "#666666";

/// Writes the heading (the title, or the note alone) and the note as its subtitle, pinned
/// PAGE_PAD in from the top-left corner; texts are escaped markup, shortened to the figure
/// width. Neither given: no title at all.
void _applyTitle(figure::Figure& fig, std::string title, std::string note, double width, double height);

/// Lays out the tick labels of every 'x' or 'y' axis for a span of spanPx and returns the
/// policy applied; numeric axes are left alone and report the room their numbers take.
layout::TickPolicy _applyTicks(figure::Figure& fig, char axis, double spanPx, std::optional<double> tickFont);

/// Dropdown states that reorder the categories of an axis (their layout update sets
/// "xaxis.categoryarray" or "yaxis.categoryarray") get the tick values and texts of their
/// own order, at the stride the axis's ticks were written with. Axes whose ticks plotly
/// draws from the categories themselves need nothing.
void _followCategoryOrders(figure::Figure& fig, char axis);

}  // namespace tess::render
