// Distributions of a value per group as violins, boxes or strips, one panel shown at a time.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "figure/figure.hpp"
#include "render/families/common/area.hpp"
#include "render/families/common/colors.hpp"
#include "render/finish/finish.hpp"

namespace tess::render {

struct DistributionGroup {
  std::string name;                                ///< the group as text
  std::vector<double> values;                      ///< as stored, non-finite values included
  std::optional<std::vector<std::string>> labels;  ///< one per stored value (strip tooltips)
};

struct DistributionPanel {
  std::string name;
  std::vector<DistributionGroup> groups;  ///< the groups drawn, in order
};

struct DistributionSpec {
  SpecCommon common;
  std::vector<DistributionPanel> panels;  ///< one unnamed panel when the host gives none
  std::size_t ordered = 0;                ///< entries of the host's group order
  ColorMap colors;                        ///< group text -> colour
  std::string style;                      ///< "box", "strip", anything else violins
  std::vector<std::pair<std::string, double>> thresholds;  ///< label -> value, in order
  std::string valueLabel;
  std::string groupLabel;
  bool log = false;
};

inline constexpr std::string_view DEFAULT_GROUP_COLOR = "#999999";
inline constexpr std::string_view THRESHOLD_COLOR = "#B2182B";
/// Width per group drawn, the narrowest drawing area and the fixed height, px.
inline constexpr double GROUP_PX = 52.0, MIN_DISTRIBUTION_WIDTH = 320.0, DISTRIBUTION_HEIGHT = 440.0;

/// The drawing area: GROUP_PX per group of the panel drawing the most, held between
/// MIN_DISTRIBUTION_WIDTH and the widest drawing area.
PlotArea _distributionArea(std::span<const DistributionPanel> drawn);

/// Where a threshold's label stands on the value axis: the value on a linear axis, its
/// log10 on a log axis (annotations take log positions there; lines take values). nullopt
/// where a log axis has no place for it (zero or below).
std::optional<double> _thresholdPosition(double value, bool log);

/// The panels as drawn. Without a group order, panels that hold different groups all draw
/// every group of any panel (in order of first appearance; a panel's own groups of one
/// name together, a name it lacks as one empty group): the group axis is laid out once,
/// for the panel shown first, and must hold whichever panel the dropdown shows. nullopt
/// where the panels are drawn as they stand.
std::optional<std::vector<DistributionPanel>> _sharedGroups(const DistributionSpec& spec);

/// The finished figure: one trace per group and panel (the first panel shown), a "value"
/// dropdown over the panels, the linear/log switch moving the threshold labels with the
/// axis, and the marker-size slider in strip style.
figure::Figure distribution(const DistributionSpec& spec);

}  // namespace tess::render
