// Point labels: what is already drawn inside the plot, and the hand-over to the placer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "figure/figure.hpp"
#include "layout/point_labels.hpp"

namespace tess::render {

/// Boxes (drawing-area pixels, y up) of the paper-referenced annotations already in the figure.
std::vector<layout::Box> _paperObstacles(const figure::Figure& fig, double plotWidth, double plotHeight);

/// The ranges plotly draws: a y axis scale-anchored to x widens whichever range would draw
/// its unit larger, about its centre, so that the units keep their ratio. Linear axes only.
std::pair<std::array<double, 2>, std::array<double, 2>> _drawnRanges(const figure::Figure& fig,
                                                                     std::array<double, 2> xRange,
                                                                     std::array<double, 2> yRange, double plotWidth,
                                                                     double plotHeight);

/// What labels keep clear of besides each other: the radius of the markers at labelled
/// points and other markers (data coordinates) drawn at that radius or at their own.
struct LabelClearance {
  std::optional<double> markerRadiusPx;
  std::vector<std::array<double, 2>> points;
  std::optional<double> pointRadiusPx;
  /// Lines under the labels (data coordinates), kept off where a free side allows.
  std::vector<std::array<std::array<double, 2>, 2>> lines;
  /// The traces of the labelled markers: a slider resizing exactly these gets labels placed
  /// for each of its steps.
  std::vector<std::int64_t> sizedTraces;
};

/// Annotations placing `labels` off each other and off what is drawn; none while an axis
/// range is left to plotly, since pixel placement needs the final ranges.
figure::Array _placeLabels(const figure::Figure& fig, std::span<const layout::LabelRecord> labels, double plotWidth,
                           double plotHeight, const LabelClearance& clearance = {});

/// The labels as _placeLabels places them, or, where a slider resizes the labelled markers,
/// placed for each of its steps' sizes: each distinct placement once, shown by the steps it
/// belongs to (the slider's steps become updates of the annotations' visibility). `first`
/// is the index the first label will have among the layout's annotations.
figure::Array _labelsForSizes(figure::Figure& fig, std::span<const layout::LabelRecord> labels, double plotWidth,
                              double plotHeight, const LabelClearance& clearance, std::size_t first);

}  // namespace tess::render
