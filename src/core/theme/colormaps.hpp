// The named colour map table (generated data) behind theme::colorscale.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tess::theme::detail {

struct Colormap {
  std::string_view name;                ///< lower case
  std::span<const std::uint32_t> rgb;   ///< evenly spaced colours, 0xRRGGBB
};

/// Every named map, sorted by name.
std::span<const Colormap> colormaps();

}  // namespace tess::theme::detail
