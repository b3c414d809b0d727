// Family builders for the host: spec records read into the core's records, figures handed back.
#include <nanobind/nanobind.h>

#include "convert/frame.hpp"
#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "render/families/bars.hpp"

namespace tess::bind {

using namespace nb::literals;

namespace {

std::optional<frame::Frame> optionalFrame(nb::handle value) {
  if (value.is_none()) return std::nullopt;
  return frameFromPython(value);
}

std::map<std::string, std::string> colorMap(nb::handle mapping) {
  std::map<std::string, std::string> out;
  if (mapping.is_none()) return out;
  for (nb::handle pair : mapping.attr("items")()) out[textOf(pair[0])] = textOf(pair[1]);
  return out;
}

render::BarsSpec readBars(nb::handle spec) {
  render::BarsSpec out;
  out.common = readCommon(spec);
  out.pivot = frameFromPython(attribute(spec, "pivot"));
  nb::object positions = attribute(spec, "positions");
  if (!positions.is_none()) out.positions = numbers(positions);
  nb::object ticks = attribute(spec, "tickLabels");
  if (!ticks.is_none() && nb::len(ticks) > 0) out.tickLabels = columnFromPython(ticks).texts();
  out.counts = optionalFrame(attribute(spec, "counts"));
  out.horizontal = truth(attribute(spec, "horizontal"));
  out.colors = colorMap(attribute(spec, "colors"));
  out.stacked = truth(attribute(spec, "stacked"));
  out.method = textOf(attribute(spec, "method"));
  out.barLabel = textOf(attribute(spec, "barLabel"));
  out.valueLabel = strictText(attribute(spec, "valueLabel"), "valueLabel");
  return out;
}

}  // namespace

void bindFamilies(nb::module_& m) {
  m.def("bars", [](nb::handle spec) { return toPlotly(render::bars(readBars(spec))); }, "spec"_a.none(),
        "Stacked or grouped bars whose percentages follow the legend.");
}

}  // namespace tess::bind
