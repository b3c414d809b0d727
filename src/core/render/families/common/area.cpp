#include "render/families/common/area.hpp"

#include <algorithm>
#include <vector>

#include "layout/constants.hpp"
#include "layout/metrics.hpp"
#include "render/entry/constants.hpp"
#include "theme/theme.hpp"

namespace tess::render {

PlotArea _cellArea(std::size_t rows, std::size_t columns, double cellWidth, double cellHeight,
                   std::span<const std::string> names, PlotArea floor, bool square) {
  if (columns != 0 && !names.empty()) {
    std::vector<std::string> shown;
    for (const std::string& name : names) shown.push_back(layout::truncate(name, theme::TICK_PX, layout::TICK_LABEL_LIMIT));
    // Names too wide for any sensible cell are left to the tick policy (angled or strided).
    double wanted = layout::widest(shown, theme::TICK_PX) + 10.0;
    if (wanted <= MAX_NAMED_COLUMN) cellWidth = std::max(cellWidth, wanted);
  }
  if (square) {
    double longest = static_cast<double>(std::max(rows, columns));
    double side = std::clamp(longest * std::min(cellWidth, cellHeight), std::max(floor.width, floor.height),
                             std::max(std::max(floor.width, floor.height),
                                      std::min(layout::MAX_PLOT_HEIGHT, layout::MAX_PLOT_WIDTH)));
    cellWidth = cellHeight = side / std::max(longest, 1.0);
  }
  auto held = [](double v, double lo, double hi) { return std::clamp(v, lo, std::max(lo, hi)); };
  return {held(static_cast<double>(columns) * cellWidth, floor.width, layout::MAX_PLOT_WIDTH),
          held(static_cast<double>(rows) * cellHeight, floor.height, layout::MAX_PLOT_HEIGHT)};
}

PlotArea _barArea(std::size_t bars, bool horizontal, double width) {
  // Pixels per bar and the floor of the running side; the other side is fixed.
  constexpr double kHorizontalBarPx = 24.0, kHorizontalFloor = 240.0;
  constexpr double kVerticalBarPx = 34.0, kVerticalFloor = 320.0, kVerticalHeight = 460.0;
  auto n = static_cast<double>(bars);
  if (horizontal) return {width, std::clamp(kHorizontalBarPx * n, kHorizontalFloor, layout::MAX_PLOT_HEIGHT)};
  return {std::clamp(kVerticalBarPx * n, kVerticalFloor, layout::MAX_PLOT_WIDTH), kVerticalHeight};
}

}  // namespace tess::render
