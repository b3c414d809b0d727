// The layout component: text metrics, band rows, tick policy and label placement.
#include <nanobind/nanobind.h>
#include <nanobind/stl/optional.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/string_view.h>
#include <nanobind/stl/vector.h>

#include "_layout/bind.hpp"
#include "convert/exceptions.hpp"
#include "convert/value.hpp"
#include "layout/constants.hpp"
#include "layout/control.hpp"
#include "layout/metrics.hpp"

namespace nb = nanobind;
using namespace nb::literals;
using namespace tess;


namespace {

void bindConstants(nb::module_& m) {
  m.attr("PAGE_PAD") = layout::PAGE_PAD;
  m.attr("TITLE_GAP") = layout::TITLE_GAP;
  m.attr("BAND_GAP") = layout::BAND_GAP;
  m.attr("ROW_GAP") = layout::ROW_GAP;
  m.attr("WATERMARK_HEIGHT") = layout::WATERMARK_HEIGHT;
  m.attr("AXIS_TITLE_GAP") = layout::AXIS_TITLE_GAP;
  m.attr("TICK_PAD") = layout::TICK_PAD;
  m.attr("LEGEND_PAD") = layout::LEGEND_PAD;
  m.attr("COLORBAR_WIDTH") = layout::COLORBAR_WIDTH;
  m.attr("MIN_PLOT_WIDTH") = layout::MIN_PLOT_WIDTH;
  m.attr("MAX_PLOT_WIDTH") = layout::MAX_PLOT_WIDTH;
  m.attr("MIN_PLOT_HEIGHT") = layout::MIN_PLOT_HEIGHT;
  m.attr("MAX_PLOT_HEIGHT") = layout::MAX_PLOT_HEIGHT;
  m.attr("MAX_FIGURE_WIDTH") = layout::MAX_FIGURE_WIDTH;
  m.attr("MAX_FIGURE_HEIGHT") = layout::MAX_FIGURE_HEIGHT;
  m.attr("MAX_LEGEND_WIDTH") = layout::MAX_LEGEND_WIDTH;
  m.attr("LINE_HEIGHT") = layout::LINE_HEIGHT;
  m.attr("CAPTION_COLOR") = std::string(layout::CAPTION_COLOR);
  m.attr("TICK_LABEL_LIMIT") = layout::TICK_LABEL_LIMIT;
  nb::dict rows;
  for (const layout::RowHeight& row : layout::ROW_HEIGHT) rows[nb::str(row.kind.data(), row.kind.size())] = row.px;
  m.attr("ROW_HEIGHT") = rows;
  nb::list factors;
  for (double f : layout::SIZE_FACTORS) factors.append(f);
  m.attr("SIZE_FACTORS") = nb::tuple(factors);
}

nb::dict control(nb::object menu, std::string kind, std::optional<std::string> label, std::string align,
                 std::optional<std::int64_t> index) {
  figure::Value converted = menu.is_none() ? figure::Value(figure::Object{}) : bind::fromPython(menu);
  if (!converted.isObject()) throw TypeError("a control's menu is a mapping");
  return bind::toPython(layout::control(std::move(converted.asObject()), kind, label, align, index));
}

}  // namespace

NB_MODULE(_layout, m) {
  m.doc() = "Text metrics, band rows, tick policy and label placement.";
  bind::registerErrors();
  bindConstants(m);
  bind::layout::bindTicks(m);
  bind::layout::bindPointLabels(m);
  bind::layout::bindBand(m);
  bind::layout::bindSlider(m);

  m.def("textWidth", [](std::string_view text, double fontPx) { return layout::textWidth(text, fontPx); },
        "text"_a, "fontPx"_a, "Width in pixels of one line of text in the template's font.");
  m.def("widest", [](std::vector<std::string> names, double fontPx) { return layout::widest(names, fontPx); },
        "names"_a, "fontPx"_a, "Width in pixels of the widest of the names.");
  m.def("truncate", [](std::string_view text, double fontPx) {
    return layout::truncate(text, fontPx, layout::TICK_LABEL_LIMIT);
  }, "text"_a, "fontPx"_a, "The text shortened with an ellipsis to fit as a tick label.");
  m.def("control", &control, "menu"_a = nb::none(), "kind"_a = "dropdown", "label"_a = nb::none(),
        "align"_a = "left", "index"_a = nb::none(), "A control entry for the band above the plot.");
}
