// The funnel. Order matters: sizes before margins, margins before anything placed in
// paper coordinates, the family's annotations before captions, captions before labels.
#include "render/finish/finish.hpp"

#include <algorithm>
#include <cmath>

#include "errors.hpp"
#include "layout/band.hpp"
#include "layout/constants.hpp"
#include "layout/slider.hpp"
#include "render/entry/checks.hpp"
#include "render/finish/band.hpp"
#include "render/finish/fit_text.hpp"
#include "render/finish/labels.hpp"
#include "render/finish/room.hpp"
#include "render/finish/title_ticks.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::Value;

namespace {

constexpr int kPasses = 3;

struct Margins {
  double left = 0, right = 0, top = 0, bottom = 0;
  double lift = 0;  ///< what the top tick label needs beyond the gap above the plot
};

// What the margins hold before any tick is laid out: the title block and band above,
// the legend and colorbar on the right, and the gap the top already leaves the plot.
struct Fixed {
  double top = 0, right = 0, gapAbove = 0;
};

// plotly accepts paper positions of menus and sliders only up to 3: the band, measured in
// drawing-area heights, must stay within two of them above the plot.
double heightFloor(double band) {
  return std::max(layout::MIN_PLOT_HEIGHT, (band + layout::BAND_GAP) / 2.0);
}

// Ticks laid out for the spans, and the margins they need. Tick labels reach past the ends
// of their axis (a rotated first label to the left, the top label of a y axis upwards);
// the margins on those sides grow to hold them.
// The other category orders control states show, per axis.
struct StateOrders {
  std::vector<std::vector<std::string>> x, y;
};

void layOutTicks(figure::Figure& fig, double width, double height, std::optional<double> tickFont, Margins& m,
                 const Fixed& fixed, const StateOrders& orders) {
  PlotSpans spans = _categorySpans(fig, width, height);
  layout::TickPolicy xticks = _applyTicks(fig, 'x', spans.x, tickFont, orders.x);
  layout::TickPolicy yticks = _applyTicks(fig, 'y', spans.y, tickFont, orders.y);
  m.left = std::max(layout::PAGE_PAD + yticks.extent + _axisTitleSpace(fig, 'y'),
                    layout::PAGE_PAD + xticks.overhangStart);
  m.right = std::max(fixed.right, layout::PAGE_PAD + xticks.overhangEnd);
  // The band stands on the plot: the top label's room lifts it, with all above.
  m.lift = std::max(0.0, yticks.overhangEnd - fixed.gapAbove);
  m.top = fixed.top + m.lift;
  m.bottom = layout::PAGE_PAD + xticks.extent + _axisTitleSpace(fig, 'x') + layout::WATERMARK_HEIGHT;
}

// Ties go to even, so 12.5 is written 12 and 13.5 is written 14.
std::int64_t pixels(double value) { return static_cast<std::int64_t>(std::nearbyint(value)); }


double drawnSpan(double span, double before, double after) {
  return static_cast<double>(pixels(span + before + after) - pixels(before) - pixels(after));
}

void writeSize(figure::Figure& fig, double width, double height, const Margins& m) {
  fig.layout.set("width", pixels(width + m.left + m.right));
  fig.layout.set("height", pixels(height + m.top + m.bottom));
  fig.layout.set("margin", Object{{"l", pixels(m.left)}, {"r", pixels(m.right)}, {"t", pixels(m.top)},
                                  {"b", pixels(m.bottom)}});
}

}  // namespace

figure::Figure& finishFigure(figure::Figure& fig, const SpecCommon& spec, const FinishOptions& options) {
  fig.layout.set("template", theme::figureTemplate());
  // A font size or figure size of 0 leaves it to the theme or the family, as None does.
  std::optional<double> fontPx = spec.fontPx == 0.0 ? std::nullopt : spec.fontPx;
  std::optional<double> tickFont = checkedNumber("tickFont", options.tickFont, FONT_PX);
  if (checkedNumber("fontPx", fontPx, FONT_PX)) {
    figure::child(fig.layout, "font").set("size", *fontPx);
    if (!tickFont) tickFont = fontPx;
  }
  checkedNumber("width", spec.width, FIGURE_PX);
  checkedNumber("height", spec.height, FIGURE_PX);
  if (spec.showLegend) fig.layout.set("showlegend", *spec.showLegend);

  PlotArea area = options.plot.value_or(PlotArea{theme::WIDTH, theme::HEIGHT});
  if (!std::isfinite(area.width) || !std::isfinite(area.height))
    throw ValueError("the drawing area needs a finite width and height");
  double width = std::clamp(area.width, layout::MIN_PLOT_WIDTH, layout::MAX_PLOT_WIDTH);
  double height = std::clamp(area.height, layout::MIN_PLOT_HEIGHT, layout::MAX_PLOT_HEIGHT);

  // The band packs for the narrowest figure the fitting below can end with.
  double narrowest = spec.width && *spec.width != 0 ? std::max(*spec.width, layout::MIN_PLOT_WIDTH)
                                                     : std::min(width + 2 * layout::PAGE_PAD, layout::MAX_FIGURE_WIDTH);
  const Value* existing = fig.layout.find("annotations");
  const Array none;  // a note must move an annotation the figure has
  std::vector<Object> rows = layout::bandRows(options.controls, narrowest - 2 * layout::PAGE_PAD,
                                              existing && existing->isArray() ? &existing->asArray() : &none);
  double band = layout::bandHeight(rows);
  // The row nearest the plot is the last; a slider there reaches below its row.
  bool sliderNearest = !rows.empty() && std::any_of(rows.back().begin(), rows.back().end(), [](const auto& side) {
    return side.second.isObject() && layout::entryKind(side.second.asObject()) == "slider";
  });
  double floorHeight = heightFloor(band);
  height = std::max(height, floorHeight);

  Margins m;
  Fixed fixed;
  StateOrders orders{_stateCategoryOrders(options.controls, 'x'), _stateCategoryOrders(options.controls, 'y')};
  _fitLegendNames(fig);
  fixed.right = layout::PAGE_PAD + _legendWidth(fig) + _colorbarWidth(fig);
  // The heading wraps to keep clear of the mode bar, which depends on the figure's final
  // width; that width does not depend on the heading's height, so one refit settles it.
  double corner = _modeBarCorner(fig, spec.modeBarButtons).width;
  double cornerBottom = layout::MODEBAR_INSET + layout::MODEBAR_HEIGHT;
  HeadingLines heading = _headingLines(spec.title, spec.note, layout::MAX_FIGURE_WIDTH, corner);
  double tickedWidth = -1, tickedHeight = -1;
  for (int refit = 0; refit < 2; ++refit) {
    double headingHeight = _headingHeight(heading);
    bool headed = headingHeight > 0;
    // Nothing below the heading starts higher than the mode bar's bottom.
    double contentTop = std::max(layout::PAGE_PAD + headingHeight + (headed ? layout::TITLE_GAP : 0.0),
                                 cornerBottom + layout::TITLE_GAP);
    fixed.top = contentTop + band + (band != 0 ? layout::BAND_GAP : 0.0);
    fixed.gapAbove = band != 0 ? layout::BAND_GAP - (sliderNearest ? layout::SLIDER_DROP : 0.0)
                               : contentTop - (headed ? layout::PAGE_PAD + headingHeight : 0.0);

    // Fitting: ticks depend on the spans, the spans on the margins the ticks need.
    width = std::clamp(area.width, layout::MIN_PLOT_WIDTH, layout::MAX_PLOT_WIDTH);
    height = std::max(std::clamp(area.height, layout::MIN_PLOT_HEIGHT, layout::MAX_PLOT_HEIGHT), floorHeight);
    for (int pass = 0; pass < kPasses; ++pass) {
      layOutTicks(fig, width, height, tickFont, m, fixed, orders);
      tickedWidth = width;
      tickedHeight = height;
      if (spec.width && *spec.width != 0) width = std::max(*spec.width - m.left - m.right, layout::MIN_PLOT_WIDTH);
      if (spec.height && *spec.height != 0) height = std::max(*spec.height - m.top - m.bottom, floorHeight);
      width = std::max(std::min(width, layout::MAX_FIGURE_WIDTH - m.left - m.right), layout::MIN_PLOT_WIDTH);
      height = std::max(std::min(height, layout::MAX_FIGURE_HEIGHT - m.top - m.bottom), floorHeight);
      // Settled once the spans the ticks were laid out for are the spans that result.
      if (width == tickedWidth && height == tickedHeight) break;
    }
    HeadingLines fitted = _headingLines(spec.title, spec.note, width + m.left + m.right, corner);
    bool settled = fitted.heading.size() == heading.heading.size();
    heading = std::move(fitted);
    if (settled) break;
  }
  // The ticks written must be those of the final spans, whatever the last pass changed.
  if (width != tickedWidth || height != tickedHeight) {
    layOutTicks(fig, width, height, tickFont, m, fixed, orders);
    // The heading fits the figure as drawn, on no more lines than its room was made for.
    heading = _headingLines(spec.title, spec.note, width + m.left + m.right, corner, heading.heading.size());
  }

  writeSize(fig, width, height, m);
  // Whatever is placed from here on is placed on the spans plotly draws: the figure less its
  // margins, each written as whole pixels.
  width = drawnSpan(width, m.left, m.right);
  height = drawnSpan(height, m.top, m.bottom);
  _applyTitle(fig, heading, width + m.left + m.right, height + m.top + m.bottom);
  _placeScales(fig, width);
  Array annotations = _placeControls(fig, rows, width, height, m.left, m.right, layout::BAND_GAP + m.lift);
  _followCategoryOrders(fig, 'x');
  _followCategoryOrders(fig, 'y');
  _fitAxisTitles(fig, width, height);
  _fitColorbarTitles(fig, height);
  _fitNotes(fig, width);
  _fitLogTicks(fig, 'x', width);
  _fitLogTicks(fig, 'y', height);
  if (!options.labels.empty()) {
    const Value* before = fig.layout.find("annotations");
    std::size_t first = (before && before->isArray() ? before->asArray().size() : 0) + annotations.size();
    Array placed = _labelsForSizes(fig, options.labels, width, height, options.labelClearance, first);
    annotations.insert(annotations.end(), placed.begin(), placed.end());
  }
  if (!annotations.empty()) {
    Value& all = fig.layout["annotations"];
    if (!all.isArray()) all = Array{};
    all.asArray().insert(all.asArray().end(), annotations.begin(), annotations.end());
  }
  return fig;
}

}  // namespace tess::render
