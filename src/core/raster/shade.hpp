// Per-category counts shaded into one RGBA density image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "raster/bin.hpp"

namespace tess::raster {

/// Opacity of the sparsest non-empty pixel; the densest is opaque.
inline constexpr double MIN_ALPHA = 0.25;

/// Read-only RGBA pixels, C-ordered as (rows, cols, 4), straight (not premultiplied) alpha.
struct ImageView {
  std::span<const std::uint8_t> rgba;
  std::size_t rows = 0, cols = 0;
};

/// RGBA pixels that own their storage.
struct Image {
  std::vector<std::uint8_t> rgba;
  std::size_t rows = 0, cols = 0;

  ImageView view() const { return {rgba, rows, cols}; }
};

/// Points per pixel over the non-empty pixels: the least and the most (both 0 when all are empty).
struct Density {
  std::uint64_t low = 0, high = 0;
  bool operator==(const Density&) const = default;
};

struct Shaded {
  Image image;
  /// The colours as parsed and written back: "#RRGGBB", or "rgba(...)" for a translucent one.
  std::vector<std::string> colors;
  Density density;
};

/// Each pixel takes the mix of its categories' colours weighted by their counts (mixed in
/// linear light, so red and green make yellow rather than olive) and an opacity rising
/// with log density from MIN_ALPHA at the sparsest non-empty pixel to 1 at the densest,
/// times the mixed colour's own alpha. Empty pixels are fully transparent. Image rows
/// are grid rows. ValueError unless there is one CSS colour per channel.
Shaded shade(const GridView& grid, const std::vector<std::string>& colors);

}  // namespace tess::raster
