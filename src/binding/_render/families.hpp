// The family builders as the host calls them: each reads its spec record into the core's,
// draws, and hands the figure back. One translation unit per family.
#pragma once

#include <nanobind/nanobind.h>

namespace tess::bind {

namespace nb = nanobind;

nb::object drawPoints(nb::handle spec);        // _render/points.cpp
nb::object drawMatrix(nb::handle spec);        // _render/matrix.cpp
nb::object drawDots(nb::handle spec);          // _render/dots.cpp
nb::object drawBars(nb::handle spec);          // _render/bars.cpp
nb::object drawVolcano(nb::handle spec);       // _render/volcano.cpp
nb::object drawGate(nb::handle spec);          // _render/gate.cpp
nb::object drawCurves(nb::handle spec);        // _render/curves.cpp
nb::object drawGraph(nb::handle spec);         // _render/graph.cpp
nb::object drawIntervals(nb::handle spec);     // _render/intervals.cpp
nb::object drawRanked(nb::handle spec);        // _render/ranked.cpp
nb::object drawDistribution(nb::handle spec);  // _render/distribution.cpp

/// Private helpers of the families that the tests reach by name.
void bindPointsHelpers(nb::module_& m);   // _pointArea
void bindDotsHelpers(nb::module_& m);     // _cellArea
void bindMatrixHelpers(nb::module_& m);   // _matrixState, _matrixHover, _matrixRowLabels
void bindVolcanoHelpers(nb::module_& m);  // _volcanoColors, _volcanoRange
void bindGateHelpers(nb::module_& m);     // _column, _gateShape, _countColorbar
void bindGraphHelpers(nb::module_& m);    // _nodeRanges

}  // namespace tess::bind
