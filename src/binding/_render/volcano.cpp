// volcano: the Volcano record read into the core's, and its private helpers for the tests.
#include <nanobind/stl/optional.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/vector.h>

#include "_render/families.hpp"

#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "render/families/volcano.hpp"

namespace tess::bind {

using namespace nb::literals;

namespace {

void readColors(nb::handle spec, render::VolcanoSpec& out) {
  out.upColor = field(spec, "upColor", textOf);
  out.downColor = field(spec, "downColor", textOf);
  out.nullColor = field(spec, "nullColor", textOf);
}

double number(nb::handle value) { return nb::cast<double>(nb::float_(value)); }

render::VolcanoSpec readVolcano(nb::handle spec) {
  render::VolcanoSpec out;
  out.common = readCommon(spec);
  nb::object group = attribute(spec, "group");
  out.showLegend = !group.is_none();
  // Any set group splits; None or an empty name draws one trace.
  if (named("group", group, truth)) out.group = named("group", group, nameFromPython);
  ColumnAttributes namedBy;
  if (out.group) namedBy.emplace_back(*out.group, "group");
  out.frame = requiredFrame(spec, "frame", {}, std::move(namedBy));
  out.pVal = field(spec, "pVal", number);
  out.effectThreshold = field(spec, "effectThreshold", number);
  readColors(spec, out);
  out.top = field(spec, "top", [](nb::handle top) {
    return top.is_none() ? std::int64_t{0} : nb::cast<std::int64_t>(nb::int_(top));
  });
  out.xlabel = field(spec, "xlabel", textOf);
  out.ylabel = field(spec, "ylabel", textOf);
  return out;
}

nb::tuple volcanoColors(nb::handle table, nb::handle spec, double pVal, double effect) {
  render::VolcanoSpec colors;
  readColors(spec, colors);
  render::VolcanoColors out = render::_volcanoColors(frameFromPython(table), colors, pVal, effect);
  return nb::make_tuple(nb::cast(out.colors), out.up, out.down);
}

nb::object volcanoRange(nb::handle values, double pad, bool symmetric, std::optional<double> floor,
                        nb::handle include) {
  auto range = render::_volcanoRange(numbers(values), pad, symmetric, floor, numbers(include));
  if (!range) return nb::none();
  return nb::cast(std::vector<double>{(*range)[0], (*range)[1]});
}

}  // namespace

nb::object drawVolcano(nb::handle spec) { return toPlotly(render::volcano(readVolcano(spec))); }

void bindVolcanoHelpers(nb::module_& m) {
  m.def("_volcanoColors", &volcanoColors, "frame"_a, "spec"_a, "pVal"_a, "effect"_a,
        "(colours, up count, down count) of a table's rows under one pair of cuts.");
  m.def("_volcanoRange", &volcanoRange, "values"_a, "pad"_a = 0.09, "symmetric"_a = false,
        "floor"_a.none() = nb::none(), "include"_a = nb::tuple(),
        "A fixed axis range holding the values and `include`, or None without a finite value.");
}

}  // namespace tess::bind
