// The control band: rows of dropdowns, sliders and notes stacked above the plot.
#pragma once

#include <span>

#include "figure/figure.hpp"
#include "layout/constants.hpp"

namespace tess::render {

/// Gap between a caption and its control, px.
inline constexpr double CAPTION_TO_CONTROL = 10.0;
/// Dropdown colours filled in where a menu sets none.
inline constexpr std::string_view MENU_BACKGROUND = "#FFFFFF";
inline constexpr std::string_view MENU_BORDER = "#CCCCCC";

/// Places the rows (top row first) above the plot in paper coordinates, writes the
/// figure's updatemenus and sliders (when there are any), moves notes into their rows,
/// and returns the caption annotations. The last row's bottom sits `gap` px above the plot.
figure::Array _placeControls(figure::Figure& fig, std::span<const figure::Object> rows, double plotWidth,
                             double plotHeight, double left, double right, double gap = layout::BAND_GAP);

}  // namespace tess::render
