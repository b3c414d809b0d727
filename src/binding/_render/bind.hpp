// The parts of the _render module, each bound in its own translation unit.
#pragma once

#include <nanobind/nanobind.h>

namespace tess::bind {

void bindFinish(nanobind::module_& m);
void bindFamilies(nanobind::module_& m);
/// Hover, _hoverColumns, _formatCell, _numericFormat, _isNumericColumn.
void bindHover(nanobind::module_& m);
/// sizeSlider, axisTitleFor, dropdownControl and the private builders they use.
void bindControls(nanobind::module_& m);
/// rasterTraces, wired through the raster component.
void bindRaster(nanobind::module_& m);
/// Private hooks that show a converted frame to the Python tests.
void bindFrameHooks(nanobind::module_& m);

}  // namespace tess::bind
