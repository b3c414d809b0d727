// Point labels: what is already drawn inside the plot, and the hand-over to the placer.
#pragma once

#include <span>
#include <vector>

#include "figure/figure.hpp"
#include "layout/point_labels.hpp"

namespace tess::render {

/// Boxes (drawing-area pixels, y up) of the paper-referenced annotations already in the figure.
std::vector<layout::Box> _paperObstacles(const figure::Figure& fig, double plotWidth, double plotHeight);

/// Annotations placing `labels` off each other and off what is drawn; none while an axis
/// range is left to plotly, since pixel placement needs the final ranges.
figure::Array _placeLabels(const figure::Figure& fig, std::span<const layout::LabelRecord> labels, double plotWidth,
                           double plotHeight);

}  // namespace tess::render
