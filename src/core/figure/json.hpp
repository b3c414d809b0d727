// JSON output that, once parsed, equals what plotly.py writes for the same figure.
#pragma once

#include <string>

#include "figure/figure.hpp"
#include "figure/value.hpp"

namespace tess::figure {

/// Typed arrays become {"dtype", "bdata", "shape"?} with base64 data where plotly.py encodes
/// them (a property's value, not a list item, not under "range" and the like); non-finite doubles
/// become null. Only '<' (so that "</script>" cannot close an embedding page), control
/// characters and the JavaScript line separators are escaped; '/' is left alone.
std::string toJson(const Value& value);
std::string toJson(const Figure& figure);

/// The array as plotly's typed-array record {"dtype", "bdata", "shape"?}. plotly.js decodes
/// it wherever it expects a data array, control payloads included, where plotly.py would
/// otherwise write the array out as a list of numbers.
Object typedArrayRecord(const TypedArray& array);

/// Standard base64 (RFC 4648, padded).
std::string base64(const std::byte* data, std::size_t size);

}  // namespace tess::figure
