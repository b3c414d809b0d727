// Dot plots over a grid: colour for one number, area for a second, hover for both and the count.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "figure/figure.hpp"
#include "frame/frame.hpp"
#include "render/families/common/colors.hpp"
#include "render/finish/finish.hpp"

namespace tess::render {

struct DotsSpec {
  SpecCommon common;
  frame::Frame color;                                         ///< the one scale when `scales` is empty
  std::vector<std::pair<frame::Name, frame::Frame>> scales;   ///< scale name -> colour table, in order
  frame::Frame size;                                          ///< per-cell area value in [0, 1]
  std::vector<std::pair<frame::Name, frame::Frame>> extra;    ///< tooltip name -> per-cell table
  ColorScale scale;                                           ///< cmap, limits and kind of every scale
  std::string colorLabel;
  std::string sizeLabel;
  std::string xlabel, ylabel;
};

/// Nominal cell of a dot plot, px.
inline constexpr double DOT_CELL_WIDTH = 30.0, DOT_CELL_HEIGHT = 26.0;

/// The marker diameter of an area value: 1 px at 0 (or missing) to 1 + MAX_DOT at 1;
/// values beyond [0, 1] are held at its ends.
double _dotSize(double value);

/// The finished dot plot: one trace per scale (the first visible) switched by a "scaling"
/// dropdown, three size-key legend entries, and a relative "dot scale" slider.
figure::Figure dots(const DotsSpec& spec);

}  // namespace tess::render
