// sliderLength() and sizeLadder(): slider geometry and the marker-size ladder for Python.
#include <nanobind/nanobind.h>
#include <nanobind/stl/optional.h>
#include <nanobind/stl/pair.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/vector.h>

#include <optional>
#include <string>
#include <vector>

#include "_layout/bind.hpp"
#include "layout/slider.hpp"

namespace tess::bind::layout {

namespace nb = nanobind;
using namespace nb::literals;

namespace {

std::pair<double, double> sliderLength(const std::vector<std::string>& labels, double fontPx, double plotWidth,
                                       std::optional<double> availablePx) {
  // Without a figure at hand the slider may run the drawing area's width, as a slider
  // under a lone plot does.
  return tess::layout::sliderLength(labels, fontPx, plotWidth, availablePx.value_or(plotWidth));
}

}  // namespace

void bindSlider(nb::module_& m) {
  m.def("sliderLength", &sliderLength, "labels"_a, "fontPx"_a, "plotWidth"_a, "availablePx"_a = nb::none(),
        "(length, font): the slider's length as a fraction of plotWidth and the px size of its\n"
        "step labels, so neighbouring labels keep apart within availablePx (plotWidth when None).");
  m.def("sizeLadder", &tess::layout::sizeLadder, "size"_a,
        "(sizes, index): absolute marker sizes in px around `size`, from half a pixel up, and\n"
        "the index of the step equal to `size`.");
}

}  // namespace tess::bind::layout
