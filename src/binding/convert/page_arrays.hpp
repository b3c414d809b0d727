// The renderer's read-only arrays as plotly's typed-array records, for page writing.
#pragma once

#include <nanobind/nanobind.h>

namespace tess::bind {

namespace nb = nanobind;

/// Replaces, in a figure's plain form (nested dicts and lists), the read-only arrays the
/// renderer handed out by what plotly.py writes for them: numbers that are a property's value
/// by the {"dtype", "bdata", "shape"?} record of the same bytes, text by its list, and arrays
/// elsewhere (in lists, under keys plotly.py leaves alone: `isSkipped`) by plain arrays that
/// orjson writes itself. Arrays that are not the renderer's are left for plotly.py's own pass.
/// The base64 is written without the GIL, spread over the cores.
void encodeArrays(nb::handle tree, nb::handle isSkipped);

}  // namespace tess::bind
