// Title block and tick labels: the two writers of layout text the finisher calls.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "figure/figure.hpp"
#include "layout/ticks.hpp"

namespace tess::render {

struct PlotSpans {
  double x = 0, y = 0;
};

/// Title colours: a heading, and a note (alone or under the title).
inline constexpr std::string_view TITLE_COLOR = "#000000";
inline constexpr std::string_view NOTE_COLOR = "#666666";

/// plotly sets a title of several lines this many of its font sizes higher than a title of
/// one line (measured in Chromium); such a title is moved down by as much.
inline constexpr double MULTILINE_RAISE_EM = 0.7;
/// Most lines a heading wraps onto before it is shortened with an ellipsis.
inline constexpr std::size_t MAX_HEADING_LINES = 2;

/// The heading's lines (plain text): the title, or the note standing alone, wrapped at
/// blanks so that its first line keeps clear of the mode bar's corner and later lines fit
/// the figure; the note under a title keeps one line (it sits below the corner). Text that
/// still does not fit ends in an ellipsis.
struct HeadingLines {
  std::vector<std::string> heading;
  std::string note;  ///< under a title
  bool titled = false;
};
/// `maxLines` caps the heading's lines below MAX_HEADING_LINES.
HeadingLines _headingLines(std::string_view title, std::string_view note, double figureWidth, double cornerWidth,
                           std::size_t maxLines = MAX_HEADING_LINES);

/// Height of the title block those lines take, px (0 without a heading).
double _headingHeight(const HeadingLines& lines);

/// Writes the heading and the note as its subtitle, pinned PAGE_PAD in from the top-left
/// corner; lines are escaped and joined by "<br>". No heading: no title at all.
void _applyTitle(figure::Figure& fig, const HeadingLines& lines, double width, double height);

/// Lays out the tick labels of every 'x' or 'y' axis for a span of spanPx and returns the
/// policy applied; numeric axes are left alone and report the room their numbers take.
/// `orders` are the axis's labels in the other orders control states show.
layout::TickPolicy _applyTicks(figure::Figure& fig, char axis, double spanPx, std::optional<double> tickFont,
                               std::span<const std::vector<std::string>> orders = {});

/// The category orders of axis 'x' or 'y' that the dropdown states of these control
/// entries declare (`<axis>axis.categoryarray` in their layout update), as drawn text.
std::vector<std::vector<std::string>> _stateCategoryOrders(std::span<const figure::Object> controls, char axis);

/// The lengths over which the category ticks of 'x' and 'y' are drawn: the drawing area's
/// width and height, except where a y axis scale-anchored to x widens one axis's range so
/// that its categories take only part of the axis (square cells).
PlotSpans _categorySpans(const figure::Figure& fig, double plotWidth, double plotHeight);

/// Dropdown states that reorder the categories of an axis (their layout update sets
/// "xaxis.categoryarray" or "yaxis.categoryarray") get the tick values and texts of their
/// own order, at the stride the axis's ticks were written with. Axes whose ticks plotly
/// draws from the categories themselves need nothing.
void _followCategoryOrders(figure::Figure& fig, char axis);

}  // namespace tess::render
