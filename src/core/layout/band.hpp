// The control band above the plot: rows of controls and the height they take.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "figure/value.hpp"

namespace tess::layout {

/// Extra width a dropdown draws around its widest label: text pads and the arrow.
inline constexpr double DROPDOWN_CHROME = 42.0;
/// Gap between a caption and its control, and between the two sides of a row.
inline constexpr double CAPTION_GAP = 10.0;
inline constexpr double SIDE_GAP = 16.0;
/// plotly sets a subtitle this many of its font sizes below the title's box.
inline constexpr double SUBTITLE_PADDING_EM = 1.6;
/// The part of a title's font size its box takes below the anchor line.
inline constexpr double TITLE_BOX_EM = 0.9;

/// Width in px an entry takes in its row: caption (left side only) and control. A slider
/// takes whatever room there is; a note measures the existing annotation it moves, or
/// nothing when `annotations` is null (not known); IndexError when they lack it.
double entryWidth(const figure::Object& entry, double availablePx, const figure::Array* annotations);

/// Packs entries, in order, into rows (top row first), each a mapping side -> entry. A
/// left and a right entry share a row only where both fit `availablePx` (the narrowest
/// band the figure can end with); an entry wider than that gets its caption and then its
/// button labels shortened, on a copy, so nothing runs off the figure.
std::vector<figure::Object> bandRows(std::span<const figure::Object> entries, double availablePx,
                                     const figure::Array* annotations = nullptr);

/// Height of the band in px: each row's tallest control, with ROW_GAP between rows; 0 without rows.
double bandHeight(std::span<const figure::Object> rows);

/// Height in px of the title block: the title line and the note line under it (either
/// may be empty; both empty take nothing).
double titleHeight(std::string_view title, std::string_view note);

/// The kind of an entry ("dropdown" when absent).
std::string entryKind(const figure::Object& entry);

}  // namespace tess::layout
