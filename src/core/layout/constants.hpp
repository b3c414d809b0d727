// Layout rules in pixels: pads, gaps, row heights and the bounds of the drawing area.
#pragma once

#include <array>
#include <string_view>

namespace tess::layout {

inline constexpr double PAGE_PAD = 12.0;         ///< outer pad, added to each margin
inline constexpr double TITLE_GAP = 8.0;         ///< between the title block and what follows
inline constexpr double BAND_GAP = 10.0;         ///< between the control band and the plot
inline constexpr double ROW_GAP = 6.0;           ///< between rows of the band
inline constexpr double WATERMARK_HEIGHT = 4.0;  ///< always left under the plot
inline constexpr double AXIS_TITLE_GAP = 6.0;
inline constexpr double TICK_PAD = 6.0;
/// Room around a legend name, as Chromium draws plotly's legend: symbol, gaps and border
/// (46 px, widths rounded up), and the scroll bar a long legend gets (10 px).
inline constexpr double LEGEND_PAD = 57.0;
inline constexpr double COLORBAR_WIDTH = 72.0;
inline constexpr double MIN_PLOT_WIDTH = 240.0;
inline constexpr double MAX_PLOT_WIDTH = 1400.0;
inline constexpr double MIN_PLOT_HEIGHT = 200.0;
inline constexpr double MAX_PLOT_HEIGHT = 1200.0;
inline constexpr double MAX_FIGURE_WIDTH = 1800.0;
inline constexpr double MAX_FIGURE_HEIGHT = 1600.0;
inline constexpr double MAX_LEGEND_WIDTH = 280.0;
inline constexpr double LINE_HEIGHT = 1.3;  ///< line height as a factor of the font size
inline constexpr std::string_view CAPTION_COLOR = "#444444";
/// Widest tick label before it is shortened with an ellipsis.
inline constexpr double TICK_LABEL_LIMIT = 180.0;
/// Row height of a band row holding a control of each kind; other kinds take DEFAULT_ROW_HEIGHT.
inline constexpr double DEFAULT_ROW_HEIGHT = 34.0;
struct RowHeight {
  std::string_view kind;
  double px;
};
inline constexpr std::array<RowHeight, 4> ROW_HEIGHT = {{
    {"dropdown", 34.0},
    {"buttons", 34.0},
    {"slider", 72.0},
    {"note", 22.0},
}};
/// Relative marker sizes a size slider offers; 1.0 is where it starts.
inline constexpr std::array<double, 8> SIZE_FACTORS = {0.25, 0.5, 0.75, 1.0, 1.5, 2.0, 3.0, 4.0};

/// plotly's mode bar, drawn over the figure's top-right corner while the pointer is on the
/// figure: groups of 24 px buttons, 8 px of padding before each group, 23 px tall, 2 px in
/// from the figure's top and right edges (measured in Chromium).
inline constexpr double MODEBAR_BUTTON = 24.0;
inline constexpr double MODEBAR_GROUP_PAD = 8.0;
inline constexpr double MODEBAR_HEIGHT = 23.0;
inline constexpr double MODEBAR_INSET = 2.0;

/// Row height of a control kind.
double rowHeight(std::string_view kind);

}  // namespace tess::layout
