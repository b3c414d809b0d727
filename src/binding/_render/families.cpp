// Family builders for the host: spec records read into the core's records, figures handed back.
#include <nanobind/nanobind.h>

#include "_render/bind.hpp"

#include "convert/frame.hpp"
#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "render/families/bars.hpp"

namespace tess::bind {

using namespace nb::literals;

namespace {

// A frame the family cannot draw without: None is refused rather than read as empty.
frame::Frame requiredFrame(nb::handle spec, const char* name) {
  nb::object value = attribute(spec, name);
  if (value.is_none()) throw TypeError(std::string(name) + " must be a data frame, not None");
  return frameFromPython(value);
}

// Texts as str() gives them for each element, so 2 reads "2" and 2.5 reads "2.5".
std::vector<std::string> texts(nb::handle sequence) {
  std::vector<std::string> out;
  for (nb::handle item : sequence) out.push_back(textOf(item));
  return out;
}

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
  out.pivot = requiredFrame(spec, "pivot");
  nb::object positions = attribute(spec, "positions");
  if (!positions.is_none()) out.positions = numbers(positions);
  nb::object ticks = attribute(spec, "tickLabels");
  if (!ticks.is_none()) out.tickLabels = texts(ticks);
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
