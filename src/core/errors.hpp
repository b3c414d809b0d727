// The core's failures, one type per ordinary host exception, so the binding can
// raise exactly the error a Python caller expects.
#pragma once

#include <stdexcept>
#include <string>

namespace tess {

/// A missing key or column (KeyError).
struct KeyError : std::out_of_range {
  using std::out_of_range::out_of_range;
};
/// A position outside a sequence (IndexError).
struct IndexError : std::out_of_range {
  using std::out_of_range::out_of_range;
};
/// A value of the wrong kind (TypeError).
struct TypeError : std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};
/// A value of the right kind but unusable (ValueError).
struct ValueError : std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};
/// A missing attribute of a record (AttributeError).
struct AttributeError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace tess
