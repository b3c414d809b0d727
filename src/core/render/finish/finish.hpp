// The funnel every family ends in: theme, title, band, legend, ticks, margins and size.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "figure/figure.hpp"
#include "layout/point_labels.hpp"
#include "render/families/common/area.hpp"
#include "render/finish/labels.hpp"

namespace tess::render {

/// What the finisher reads of a spec; absent values are nullopt, absent texts empty.
struct SpecCommon {
  std::string title;
  std::string note;
  std::optional<double> width;   ///< requested figure width, px
  std::optional<double> height;  ///< requested figure height, px
  std::optional<double> fontPx;  ///< base font size
  std::optional<bool> showLegend;
  /// Buttons the figure's config adds to plotly's mode bar (it shows them over the top-right corner).
  std::vector<std::string> modeBarButtons;
};

struct FinishOptions {
  std::optional<PlotArea> plot;           ///< the drawing area; the theme's default when unset
  std::vector<figure::Object> controls;   ///< control entries for the band, in order
  std::vector<layout::LabelRecord> labels;  ///< point labels, most important first
  LabelClearance labelClearance;            ///< markers the labels keep off besides their own
  std::optional<double> tickFont;          ///< tick font size overriding the spec's
};

/// Finishes `fig` in place and returns it.
///
///   +------------------------------------------------------------+
///   | PAGE_PAD                                                   |
///   |   Title                                                    |  top = PAGE_PAD + title block
///   |   note                                                     |        + TITLE_GAP + band
///   |   [caption: dropdown ▾]              [dropdown ▾]           |        + BAND_GAP
///   |   [slider ----o------------------------]                   |
///   |        +-------------------------------+  legend  colorbar |
///   | y ticks|        drawing area           |  ...     |        |  right = PAGE_PAD + legend
///   |        |    (plot width x height)      |                   |          + colorbar
///   |        +-------------------------------+                   |
///   |            x ticks, x title, WATERMARK_HEIGHT              |  bottom
///   +------------------------------------------------------------+
///     left = PAGE_PAD + y tick extent + y title
figure::Figure& finishFigure(figure::Figure& fig, const SpecCommon& spec, const FinishOptions& options = {});

}  // namespace tess::render
