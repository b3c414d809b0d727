// pandas data as core frames: numeric buffers borrowed, strings read in one pass.
#pragma once

#include <nanobind/nanobind.h>

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include "frame/frame.hpp"

namespace tess::bind {

namespace nb = nanobind;

/// What a figure reads of a frame, so that large unused columns cost nothing.
struct FrameNeeds {
  /// The columns to read (every one of a repeated name); all of them when unset.
  std::optional<std::vector<frame::Name>> columns;
  /// The index labels are read up to this many rows; past it the index is 0 ... n-1
  /// under its own name.
  std::size_t indexUpTo = std::numeric_limits<std::size_t>::max();
};

/// A pandas DataFrame, a Series (one column, named as Series.to_frame() names it), or
/// anything pandas.DataFrame() accepts (mappings, lists, numpy arrays), as a core frame.
/// Numeric columns share the host's buffers; text and other objects are read once.
/// Called with the GIL held, like every conversion here.
frame::Frame frameFromPython(nb::handle object, const FrameNeeds& needs = {});

/// A pandas Series or Index as a column; anything else goes through pandas.Index first.
frame::Column columnFromPython(nb::handle object);

/// A column or index label: its str() and whether it was a string, an int, a float, a bool.
frame::Name nameFromPython(nb::handle label);

/// Makes the core's float16 and float32 text forms those of the numpy running now, as
/// str() prints them under its current print options.
void followNumpyText();

}  // namespace tess::bind
