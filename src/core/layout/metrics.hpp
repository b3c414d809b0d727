// Text measurement for layout: widths of plain text in the figure font (Liberation Sans / Arial metrics).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tess::layout {

/// Face of the figure font.
enum class Weight { Regular, Bold };

/// Width in px of one line of plain text (UTF-8; no markup interpretation) at fontPx:
/// advances plus kerning, as browsers shape it. Invalid bytes count as U+FFFD.
double textWidth(std::string_view utf8, double fontPx, Weight weight = Weight::Regular);

/// Width in px of the widest of names; 0 when there are none.
double widest(std::span<const std::string> names, double fontPx, Weight weight = Weight::Regular);

/// The text unchanged when it fits maxPx; otherwise its longest prefix that, followed by
/// an ellipsis (U+2026), fits. The cut never splits a code point nor separates a
/// character from the combining marks, selectors or joiners attached to it. Empty when
/// not even the ellipsis fits.
std::string truncate(std::string_view utf8, double fontPx, double maxPx,
                     Weight weight = Weight::Regular);

/// The text wrapped at blanks onto at most maxLines lines: the first at most firstPx wide,
/// later ones at most restPx; what still does not fit joins the last line, and any line
/// too wide ends in an ellipsis. An empty text gives one empty line.
std::vector<std::string> wrapText(std::string_view utf8, double fontPx, double firstPx, double restPx,
                                  std::size_t maxLines);

/// Vertical metrics of a line in px; descent is positive below the baseline.
struct LineMetrics {
    double ascent;
    double descent;
    double lineGap;
    /// The browser's `line-height: normal`.
    double height() const { return ascent + descent + lineGap; }
};

/// Line metrics at fontPx, from the tables browsers use for this font (hhea).
LineMetrics lineMetrics(double fontPx, Weight weight = Weight::Regular);

} // namespace tess::layout
