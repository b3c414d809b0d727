// Reading the host's spec records: the families a spec belongs to.
#pragma once

#include <vector>

#include <nanobind/nanobind.h>

#include "render/entry/dispatch.hpp"

namespace tess::bind {

namespace nb = nanobind;

/// The spec component, imported at each call so that a reloaded component is seen.
nb::module_ specModule();
/// Every family whose spec class `spec` is an instance of, in matching order.
std::vector<render::Family> familiesOf(nb::handle spec);

}  // namespace tess::bind
