// pandas data as core frames: numeric buffers borrowed, strings read in one pass.
#pragma once

#include <nanobind/nanobind.h>

#include "frame/frame.hpp"

namespace tess::bind {

namespace nb = nanobind;

/// A pandas DataFrame, a Series (one column, named as Series.to_frame() names it), or
/// anything pandas.DataFrame() accepts (mappings, lists, numpy arrays), as a core frame.
/// Numeric columns share the host's buffers; text and other objects are read once.
/// Called with the GIL held, like every conversion here.
frame::Frame frameFromPython(nb::handle object);

/// A pandas Series or Index as a column; anything else goes through pandas.Index first.
frame::Column columnFromPython(nb::handle object);

/// A column or index label: its str() and whether it was a string, an int, a float, a bool.
frame::Name nameFromPython(nb::handle label);

}  // namespace tess::bind
