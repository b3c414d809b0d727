// Room measures: how much space legend, colorbar and axis titles need around the plot.
#pragma once

#include <span>
#include <string>

#include "figure/figure.hpp"

namespace tess::render {

/// Gap between a colorbar and a legend moved beside it, px.
inline constexpr double SCALE_GAP = 10.0;

/// Shortens, with an ellipsis, every legend name too wide for MAX_LEGEND_WIDTH: plotly
/// never shortens them, so a long name would run off the figure. Tooltips keep the full text.
void _fitLegendNames(figure::Figure& fig);
/// Room for the legend plotly draws right of the plot; 0 when it draws none.
double _legendWidth(const figure::Figure& fig);
/// Room for the colorbar of the first trace that shows a colour scale; 0 when none does.
double _colorbarWidth(const figure::Figure& fig);
/// Room for the title of axis 'x' or 'y'; 0 when it has none.
double _axisTitleSpace(const figure::Figure& fig, char axis);
/// The corner plotly's mode bar takes: its width and the bottom of its buttons, px from the
/// figure's right and top edges.
struct Corner {
  double width = 0;
  double bottom = 0;
};

/// The mode bar's corner for this figure: plotly's image button, the cartesian zoom and pan
/// buttons (with box and lasso selection where a trace can be selected), the zoom and reset
/// buttons, and a group of the buttons the config adds that are not among them.
Corner _modeBarCorner(const figure::Figure& fig, std::span<const std::string> added);

/// Moves the legend right of the colorbar when both are shown.
void _placeScales(figure::Figure& fig, double plotWidth);

}  // namespace tess::render
