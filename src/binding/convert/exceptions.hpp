// Maps the core's failures onto the host's ordinary exception types.
#pragma once

#include <nanobind/nanobind.h>

namespace tess::bind {

/// Registers the translators once per extension module.
void registerErrors();

}  // namespace tess::bind
