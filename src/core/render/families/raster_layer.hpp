// A cloud of cells too dense to draw point by point, as one density image.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "figure/value.hpp"
#include "raster/bin.hpp"
#include "raster/fold.hpp"

namespace tess::render {

/// Colour of a category the spec's mapping leaves out, and of a cloud without categories.
inline constexpr std::string_view UNMAPPED_RASTER_COLOR = "#666666";
inline constexpr std::string_view CLOUD_COLOR = "#4C4C4C";

/// How a cloud's categories are shown: the names as given, in code order, the colour the
/// spec maps to each name (none where it maps none), and the caption.
struct RasterKey {
  figure::Array names;
  std::vector<std::optional<std::string>> colors;  ///< one per name
  std::string label = "category";
};

/// Every cell of a points spec: coordinates with optional category codes into the key's names.
struct RasterCloud {
  std::variant<raster::Points<float>, raster::Points<double>> points;
  bool coded = false;  ///< whether the points carry codes
  RasterKey key;
};

/// The image trace, the data window it covers, and its categories: the positions of the
/// names kept (empty categories dropped), then, when `folded` > 0, one "other (k)".
struct RasterLayer {
  figure::Object trace;
  raster::Window window;
  std::vector<std::size_t> kept;
  std::size_t folded = 0;
};

/// The cloud binned over `window` (default: the data's bounds) on a grid of `shape`
/// (default: GRID × GRID) and shaded into one image trace. ValueError when the names and
/// colours differ in number, and for what binning and shading refuse.
RasterLayer rasterTraces(const RasterCloud& cloud, std::optional<raster::Window> window = std::nullopt,
                         std::optional<raster::Shape> shape = std::nullopt);

/// The image trace of counts already binned over `window` into the categories `fold` kept
/// (one channel when it keeps none), as rasterTraces shades them.
RasterLayer rasterImage(const RasterKey& key, const raster::GridView& grid, const raster::Window& window,
                        const raster::Fold& fold);

}  // namespace tess::render
