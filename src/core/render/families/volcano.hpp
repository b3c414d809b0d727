// Volcano plots: effect against significance per feature, with a grid of threshold pairs
// precomputed as states of a "threshold" dropdown.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "figure/figure.hpp"
#include "frame/frame.hpp"
#include "render/finish/finish.hpp"

namespace tess::render {

struct VolcanoSpec {
  SpecCommon common;
  frame::Frame frame;               ///< one row per feature: effect, pvalue, logp; the index names them
  std::optional<frame::Name> group;  ///< the column splitting the features into traces, when set
  bool showLegend = false;           ///< a group was given at all (even an empty one)
  double pVal = 0.05;
  double effectThreshold = 1.0;
  std::string upColor, downColor, nullColor;
  std::int64_t top = 0;
  std::string xlabel, ylabel;
};

/// What a feature is under one pair of cuts; the code is its position in the marker's
/// fixed colour scale.
enum VolcanoCode : std::uint8_t { VOLCANO_NULL = 0, VOLCANO_UP = 1, VOLCANO_DOWN = 2 };

struct VolcanoCodes {
  std::vector<std::uint8_t> codes;  ///< one per row
  std::int64_t up = 0, down = 0;
};

/// Up (p below the cut, effect at or above +cut), down (p below, effect at or below -cut)
/// or neither, per row; a row that is both (a zero cut and a zero effect) counts as both and
/// is down. Comparisons with NaN are false.
VolcanoCodes _volcanoCodes(std::span<const double> effect, std::span<const double> pvalue, double pCut,
                           double effectCut);

/// The colours of the rows of `table` (columns "effect" and "pvalue") under one pair of
/// cuts, with the up and down counts.
struct VolcanoColors {
  std::vector<std::string> colors;
  std::int64_t up = 0, down = 0;
};
VolcanoColors _volcanoColors(const frame::Frame& table, const VolcanoSpec& spec, double pCut, double effectCut);

/// A fixed axis range holding every finite value and every finite `include` value, padded
/// by `pad` of the span on each side (symmetric about 0 when asked), its low end raised to
/// `floor` when given; nullopt without a finite value.
std::optional<std::array<double, 2>> _volcanoRange(std::span<const double> values, double pad = 0.09,
                                                   bool symmetric = false, std::optional<double> floor = std::nullopt,
                                                   std::span<const double> include = {});

/// The p cuts offered (descending) and the effect cuts offered (ascending), the spec's own
/// included.
std::vector<double> _volcanoPGrid(double pVal);
std::vector<double> _volcanoEffectGrid(double effectThreshold);

/// The finished volcano. ValueError for a p cut outside (0, 1] or an effect cut that is
/// negative or not finite: either would draw threshold lines off the picture.
figure::Figure volcano(const VolcanoSpec& spec);

}  // namespace tess::render
