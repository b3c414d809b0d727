// Slider lengths from label widths; size ladders on a near-geometric grid.
#include "layout/slider.hpp"

#include <algorithm>
#include <cmath>

#include "errors.hpp"
#include "layout/constants.hpp"
#include "layout/metrics.hpp"

namespace tess::layout {

namespace {

constexpr double kLabelGap = 6.0;

// Rail length at which every pair of neighbouring labels keeps kLabelGap apart.
double neededLength(std::span<const std::string> labels, double fontPx) {
  if (labels.size() < 2) return 0.0;
  double widestPair = 0.0;
  for (std::size_t i = 0; i + 1 < labels.size(); ++i)
    widestPair = std::max(widestPair, (textWidth(labels[i], fontPx) + textWidth(labels[i + 1], fontPx)) / 2.0);
  return static_cast<double>(labels.size() - 1) * (widestPair + kLabelGap) + 2.0 * SLIDER_INSET;
}

}  // namespace

std::pair<double, double> sliderLength(std::span<const std::string> labels, double fontPx, double plotWidth,
                                       double availablePx) {
  if (!(plotWidth > 0)) throw ValueError("the drawing area has no width");
  // The font shrinks a pixel at a time: bounding it bounds the walk (an infinite or huge
  // font would never reach the floor), and no label is taller than a figure anyway.
  if (!(fontPx > 0 && fontPx <= MAX_FIGURE_HEIGHT))
    throw ValueError("a slider's font size is a positive number of px no taller than a figure");
  double room = std::max(availablePx, 0.0);
  double font = fontPx;
  while (neededLength(labels, font) > room && font - 1.0 >= MIN_SLIDER_FONT) font -= 1.0;
  double length = std::min(std::max(neededLength(labels, font), MIN_SLIDER_LENGTH), room);
  return {length / plotWidth, font};
}

std::pair<std::vector<double>, std::size_t> sizeLadder(double size) {
  if (!std::isfinite(size) || size <= 0) throw ValueError("a marker size is a positive number");
  // Steps a person can tell apart, from sub-pixel dust to four times the current size.
  constexpr double grid[] = {0.5, 0.75, 1, 1.5, 2, 3, 4, 6, 8, 12, 16, 24, 32, 48, 64};
  double top = std::max(4.0 * size, 4.0);
  std::vector<double> ladder;
  for (double step : grid)
    if (step <= top && std::abs(step - size) > 0.1 * size) ladder.push_back(step);
  ladder.push_back(size);
  std::sort(ladder.begin(), ladder.end());
  auto active = static_cast<std::size_t>(std::find(ladder.begin(), ladder.end(), size) - ladder.begin());
  return {ladder, active};
}

}  // namespace tess::layout
