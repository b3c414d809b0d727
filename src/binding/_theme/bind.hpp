// The parts of the _theme module, one translation unit each.
#pragma once

#include <nanobind/nanobind.h>

namespace tess::bind::theme {

void bindTemplate(nanobind::module_& m);  // constants and template()
void bindText(nanobind::module_& m);      // escape()
void bindColors(nanobind::module_& m);    // colorscale(), colorLimits(), rgba()

}  // namespace tess::bind::theme
