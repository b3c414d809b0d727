// The parts of the _layout module, each bound in its own translation unit.
#pragma once

#include <nanobind/nanobind.h>

namespace tess::bind::layout {

void bindTicks(nanobind::module_& m);
void bindPointLabels(nanobind::module_& m);
void bindBand(nanobind::module_& m);
void bindSlider(nanobind::module_& m);

}  // namespace tess::bind::layout
