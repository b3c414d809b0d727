// Ranked lists: one bar chart per group, one group shown at a time.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "figure/figure.hpp"
#include "frame/frame.hpp"
#include "render/families/common/colors.hpp"
#include "render/finish/finish.hpp"

namespace tess::render {

struct RankedSpec {
  SpecCommon common;
  /// Group name -> ranked table (row labels the items, a "value" column), in order.
  std::vector<std::pair<std::string, frame::Frame>> groups;
  std::optional<frame::Name> colorBy;  ///< column whose values pick the bar colours
  ColorMap colors;                     ///< value text -> colour
  bool horizontal = false;
  std::optional<double> reference;
  std::string valueLabel;
};

inline constexpr std::string_view RANKED_BAR_COLOR = "#5B7FA6";

/// The finished chart: one bar trace per group in table order, the first visible, a
/// "group" dropdown when there are several; each group shows its own items on the axis.
figure::Figure ranked(const RankedSpec& spec);

}  // namespace tess::render
