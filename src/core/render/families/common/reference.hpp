// A dashed reference line across the plot at one value.
#pragma once

#include <string_view>

#include "figure/figure.hpp"

namespace tess::render {

/// A dashed line of width 1 in `colour` across the plot at `at` on the value axis `axis`
/// ('x' draws it upright). ValueError for a position that is not finite: plotly would draw
/// nothing and say nothing.
void addReference(figure::Figure& fig, char axis, double at, std::string_view colour);

}  // namespace tess::render
