// Point labels: plotly annotations placed off each other, off the markers and off what is already drawn.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>

#include "figure/value.hpp"
#include "layout/occupancy.hpp"
#include "theme/theme.hpp"

namespace tess::layout {

/// A text pinned to a data point.
struct LabelRecord {
  double x = 0;
  double y = 0;
  std::string text;  ///< plain user text; escaped here
  std::optional<std::string> color;
};

/// What the placement must know besides the labels themselves.
struct PointLabelOptions {
  double fontPx = theme::TICK_PX;
  /// Radius of the marker drawn at each point; labels keep off it and leaders stop at its edge.
  double markerRadiusPx = 4.0;
  bool logX = false;
  bool logY = false;
  /// Boxes already drawn inside the plot, in drawing-area pixels (y from the bottom up).
  std::span<const Box> obstacles = {};
  /// Other markers the labels must not cover, in data coordinates.
  std::span<const std::array<double, 2>> points = {};
  /// Radius of the markers at `points` when it is not markerRadiusPx (arrowheads keep
  /// their size while nodes grow).
  std::optional<double> pointRadiusPx = std::nullopt;
  /// Lines drawn under the labels, in data coordinates: a label is laid across one only
  /// when no place near its point keeps clear of them.
  std::span<const std::array<std::array<double, 2>, 2>> lines = {};
};

/// Annotations (plotly layout annotation objects) for the labels that could be placed,
/// most important (first in `labels`) first. No label covers another, its leader, a marker
/// or an obstacle, and each lies inside the plotWidth x plotHeight drawing area. A label
/// sits beside its point when there is room, else at the end of a leader line; one that
/// fits nowhere is shortened with an ellipsis (its full text is the point's tooltip), and
/// left out when even a short head of it fits nowhere. Ranges are as the layout holds them: log10 of the values on a
/// log axis. Points that are not finite, not positive on a log axis, or outside the ranges
/// get no label. Throws ValueError for non-finite ranges, a drawing area over 8192 px a
/// side (or negative), and a font size or marker radius outside (0, 1000] or [0, 1000] px.
figure::Array pointLabels(std::span<const LabelRecord> labels, std::array<double, 2> xRange,
                          std::array<double, 2> yRange, double plotWidth, double plotHeight,
                          const PointLabelOptions& options = {});

}  // namespace tess::layout
