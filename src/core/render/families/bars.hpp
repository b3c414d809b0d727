// Stacked or grouped bars whose percentages follow the legend.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "figure/figure.hpp"
#include "frame/frame.hpp"
#include "render/families/common/colors.hpp"
#include "render/finish/finish.hpp"

namespace tess::render {

struct BarsSpec {
  SpecCommon common;
  frame::Frame pivot;                             ///< one row per bar position, one column per trace
  std::optional<std::vector<double>> positions;   ///< bar positions; 0, 1, ... when absent
  std::vector<std::string> tickLabels;            ///< tick texts; the pivot's row labels when empty
  std::optional<frame::Frame> counts;             ///< cell counts per column, rows as the pivot's
  bool horizontal = false;
  bool stacked = false;
  ColorMap colors;                                ///< column name -> colour
  std::string method;                             ///< "percent" normalises each bar to 100
  std::string barLabel;
  std::string valueLabel;
};

/// Colour of a column without one.
inline constexpr std::string_view DEFAULT_BAR_COLOR = "#999999";
inline constexpr double BAR_GAP = 0.15;

/// The finished bar chart.
figure::Figure bars(const BarsSpec& spec);

}  // namespace tess::render
