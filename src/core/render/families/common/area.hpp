// The drawing area a family asks the funnel for, and the sizing rule of grid-shaped plots.
#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace tess::render {

/// Width and height of the drawing area (the rectangle inside the axes), px.
struct PlotArea {
  double width = 0;
  double height = 0;
  bool operator==(const PlotArea&) const = default;
};

/// The drawing area of a grid of `rows` × `columns` cells of a nominal size. Cells widen to
/// fit the widest column name (as a tick shows it, plus 10 px) while that stays within
/// MAX_NAMED_COLUMN; square cells share the smaller side, the grid's side held between the
/// larger floor and the smaller plot limit. Each side is then held between its floor and
/// the layout's largest drawing area.
PlotArea _cellArea(std::size_t rows, std::size_t columns, double cellWidth, double cellHeight,
                   std::span<const std::string> names = {}, PlotArea floor = {240.0, 200.0}, bool square = false);

/// The drawing area of a bar chart of `bars` bars: 24 px a bar, at least 240 px tall, beside
/// `width` when horizontal; 34 px a bar, at least 320 px wide, 460 px tall, when upright. The
/// running side is held within the layout's largest drawing area.
PlotArea _barArea(std::size_t bars, bool horizontal, double width);

}  // namespace tess::render
