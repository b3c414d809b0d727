// Room measures: how much space legend, colorbar and axis titles need around the plot.
#pragma once

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
/// Moves the legend right of the colorbar when both are shown.
void _placeScales(figure::Figure& fig, double plotWidth);

}  // namespace tess::render
