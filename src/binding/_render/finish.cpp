// finishFigure for the host: a plotly figure (or mapping) finished and changed in place.
#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>

#include "_render/bind.hpp"

#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "render/finish/finish.hpp"

namespace tess::bind {

using namespace nb::literals;

namespace {

std::vector<figure::Object> controlsFrom(nb::handle controls) {
  std::vector<figure::Object> out;
  if (controls.is_none()) return out;
  for (nb::handle entry : controls) {
    figure::Value value = fromPython(entry);
    if (!value.isObject()) throw TypeError("a control entry is a mapping");
    out.push_back(std::move(value.asObject()));
  }
  return out;
}

std::vector<layout::LabelRecord> labelsFrom(nb::handle labels) {
  std::vector<layout::LabelRecord> out;
  if (labels.is_none()) return out;
  for (nb::handle label : labels) {
    layout::LabelRecord record;
    record.x = nb::cast<double>(nb::float_(label["x"]));
    record.y = nb::cast<double>(nb::float_(label["y"]));
    record.text = textOf(label["text"]);
    nb::object color = nb::hasattr(label, "get") ? label.attr("get")("color") : nb::none();
    if (!color.is_none()) record.color = textOf(color);
    out.push_back(std::move(record));
  }
  return out;
}

std::vector<std::string> traceNames(const figure::Figure& fig) {
  std::vector<std::string> names;
  for (const figure::Value& trace : fig.data) names.push_back(figure::memberText(trace, "name"));
  return names;
}

nb::object finishHostFigure(nb::handle fig, nb::handle spec, nb::handle plot, nb::handle controls,
                            nb::handle labels, nb::handle tickFont) {
  render::SpecCommon common = readCommon(spec);
  render::FinishOptions options;
  // None or an empty plot leaves the drawing area to the theme.
  std::vector<double> area = plot.is_none() ? std::vector<double>{} : named("plot", plot, numbers);
  if (!area.empty()) {
    if (area.size() != 2) throw ValueError("plot: the drawing area is a (width, height) pair");
    options.plot = render::PlotArea{area[0], area[1]};
  }
  options.controls = named("controls", controls, controlsFrom);
  options.labels = named("labels", labels, labelsFrom);
  options.tickFont = named("tickFont", tickFont, optionalNumber);

  figure::Figure core = figureFromPython(fig);
  std::vector<std::string> names = traceNames(core);
  render::finishFigure(core, common, options);
  // The host's traces stay the objects it made; only names shortened for the legend change.
  bool mapping = nb::isinstance<nb::dict>(fig);
  nb::object traces = mapping ? nb::borrow(fig["data"]) : fig.attr("data");
  std::vector<std::string> finished = traceNames(core);
  for (std::size_t i = 0; i < finished.size(); ++i) {
    if (finished[i] == names[i]) continue;
    nb::object trace = traces[nb::int_(i)];
    if (mapping) trace["name"] = finished[i];
    else trace.attr("name") = finished[i];
  }
  if (mapping) fig["layout"] = toPython(core.layout);
  else fig.attr("layout") = toPython(core.layout);
  return nb::borrow(fig);
}

}  // namespace

void bindFinish(nb::module_& m) {
  m.def("finishFigure", &finishHostFigure, "fig"_a, "spec"_a.none(), "plot"_a.none() = nb::none(),
        "controls"_a.none() = nb::tuple(), "labels"_a.none() = nb::none(), "tickFont"_a.none() = nb::none(),
        "Finishes the figure in place (theme, title, band, legend, ticks, margins, size) and returns it.");
}

}  // namespace tess::bind
