// tickPolicy() and axisLabels(): the category tick-label policy for Python.
#include <nanobind/nanobind.h>
#include <nanobind/stl/optional.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/vector.h>

#include "_layout/bind.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "layout/ticks.hpp"

namespace tess::bind::layout {

namespace nb = nanobind;
using namespace nb::literals;

namespace {

char axisLetter(const std::string& axis) {
  if (axis != "x" && axis != "y") throw ValueError("axis must be 'x' or 'y'");
  return axis[0];
}

nb::dict tickPolicy(const std::vector<std::string>& labels, double spanPx, std::optional<double> tickFont,
                    const std::string& axis) {
  tess::layout::TickPolicy p = tess::layout::tickPolicy(labels, spanPx, tickFont, axisLetter(axis));
  nb::dict out;
  out["angle"] = p.angle;
  out["font"] = p.font;
  out["step"] = p.step;
  out["extent"] = p.extent;
  out["labels"] = nb::cast(p.labels);
  out["overhangStart"] = p.overhangStart;
  out["overhangEnd"] = p.overhangEnd;
  return out;
}

std::vector<std::string> axisLabels(nb::handle fig, const std::string& axis) {
  return tess::layout::axisLabels(figureFromPython(fig), axisLetter(axis));
}

}  // namespace

void bindTicks(nb::module_& m) {
  m.def("tickPolicy", &tickPolicy, "labels"_a, "spanPx"_a, "tickFont"_a = nb::none(), "axis"_a = "x",
        "How category tick labels are drawn over an axis of spanPx pixels: a dict with \"angle\"\n"
        "(degrees), \"font\" (px), \"step\" (every step-th label shown), \"extent\" (px taken outside\n"
        "the plot), \"labels\" (the texts, shortened where needed), \"overhangStart\" and\n"
        "\"overhangEnd\" (px the labels reach past the axis's ends).");
  m.def("axisLabels", &axisLabels, "fig"_a, "axis"_a,
        "Category labels of the figure's first x or y axis in axis order; empty for a numeric axis.");
}

}  // namespace tess::bind::layout
