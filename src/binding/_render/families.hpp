// The family builders as the host calls them: each reads its spec record into the core's,
// draws, and hands the figure back. One translation unit per family.
#pragma once

#include <nanobind/nanobind.h>

#include <utility>

#include "convert/frame.hpp"

namespace tess::bind {

namespace nb = nanobind;

nb::object drawPoints(nb::handle spec);  // _render/points.cpp
nb::object drawMatrix(nb::handle spec);  // _render/matrix.cpp
nb::object drawDots(nb::handle spec);    // _render/dots.cpp
nb::object drawBars(nb::handle spec);    // _render/bars.cpp

/// Private helpers of the families that the tests reach by name.
void bindPointsHelpers(nb::module_& m);
void bindGridHelpers(nb::module_& m);  // _cellArea, _matrixState, _matrixHover, _matrixRowLabels

}  // namespace tess::bind
