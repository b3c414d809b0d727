// The renderer's read-only arrays as plotly's typed-array records, for page writing.
#pragma once

#include <nanobind/nanobind.h>

namespace tess::bind {

namespace nb = nanobind;

/// Replaces, in a figure's plain form (nested dicts and lists), every read-only array the
/// renderer handed out by the {"dtype", "bdata", "shape"?} record plotly.py would write for
/// it, with the same bytes; everything else is left for plotly.py's own pass. Only dict values
/// are replaced and keys plotly.py leaves alone (`isSkipped`) are not entered, as plotly.py does.
/// The base64 is written without the GIL, spread over the cores.
void recordArrays(nb::handle tree, nb::handle isSkipped);

}  // namespace tess::bind
