// RGBA images written as compressed PNG files.
#pragma once

#include <string>

#include "raster/shade.hpp"

namespace tess::raster {

/// The image as a PNG file (8-bit RGBA, not interlaced, rows unfiltered, deflated at
/// zlib's default level), its first row on top. ValueError for an empty image or one whose
/// size does not match its pixels.
std::string encodePng(const ImageView& image);

/// "data:image/png;base64,..." of encodePng(image).
std::string pngDataUri(const ImageView& image);

}  // namespace tess::raster
