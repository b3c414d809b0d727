// The plotly image trace that lays a shaded density image over its data window.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "figure/value.hpp"
#include "raster/bin.hpp"
#include "raster/shade.hpp"

namespace tess::raster {

/// An image trace whose pixels tile `window` exactly: pixel (row r, column c) is centred
/// on (x0 + (c + 0.5)·dx, y0 + (r + 0.5)·dy) with dx, dy > 0, so image row 0 sits at the
/// window's bottom on an upward y axis and at its top on a reversed one (plotly.js keeps
/// row 0 at y0 either way). The image travels as a PNG data URI in "source"; hover is
/// skipped. The caption is the trace's "name" (escaped as plotly markup); "meta" holds
/// what a legend-like key needs, as given (unescaped): {"label", "categories", "colors",
/// "density" [low, high]}; category names may be of any kind (cluster ids are often
/// numbers). ValueError for a bad window, no colours, or names that are neither empty nor
/// one per colour.
figure::Object imageTrace(const ImageView& image, const Window& window, const std::vector<std::string>& colors,
                          Density density, const figure::Array& names, std::string_view label);

}  // namespace tess::raster
