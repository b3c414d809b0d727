// Curves with confidence bands per group, one feature shown at a time.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "figure/figure.hpp"
#include "frame/frame.hpp"
#include "render/families/common/colors.hpp"
#include "render/finish/finish.hpp"

namespace tess::render {

/// Group -> table with "time" and "value", optionally "low", "high", "atRisk", "events".
using CurveTables = std::vector<std::pair<frame::Name, frame::Frame>>;

struct CurvesSpec {
  SpecCommon common;
  std::vector<std::pair<frame::Name, CurveTables>> curves;  ///< feature -> its groups' tables, in order
  ColorMap colors;                                          ///< group text -> colour
  std::string xlabel, ylabel;
  bool step = true;
  /// Feature -> note in the plot's corner; a feature without one (or with none) shows none.
  std::vector<std::pair<frame::Name, std::optional<std::string>>> annotations;
};

/// Colour of a group without one.
inline constexpr std::string_view DEFAULT_CURVE_COLOR = "#4C4C4C";
/// Opacity of a band's fill.
inline constexpr double BAND_OPACITY = 0.15;

/// The outline of a band: forward along `high`, back along `low`. With `step`, each limit
/// holds its value until the next time, as an "hv" curve does, so the curve drawn as steps
/// stays inside. A row missing its time or a limit splits the band into pieces, separated
/// by a NaN point. ValueError unless the three have one entry per time.
std::pair<std::vector<double>, std::vector<double>> _bandOutline(std::span<const double> time,
                                                                 std::span<const double> high,
                                                                 std::span<const double> low, bool step);

/// The finished figure: per feature, per group a band (when the table has both limits) and
/// a curve; a "feature" dropdown when there are several, switching traces, y title and note.
figure::Figure curves(const CurvesSpec& spec);

}  // namespace tess::render
