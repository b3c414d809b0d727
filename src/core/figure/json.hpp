// JSON output that, once parsed, equals what plotly.py writes for the same figure.
#pragma once

#include <string>

#include "figure/figure.hpp"
#include "figure/value.hpp"

namespace tess::figure {

/// Typed arrays become {"dtype", "bdata", "shape"?} with base64 data where plotly.py encodes
/// them (a property's value, not a list item, not under "range" and the like) and wherever
/// they are marked as records; non-finite doubles
/// become null. Only '<' (so that "</script>" cannot close an embedding page), control
/// characters and the JavaScript line separators are escaped; '/' is left alone.
std::string toJson(const Value& value);
std::string toJson(const Figure& figure);

/// The "shape" text of a typed-array record: the sizes joined by ", ".
std::string shapeText(const TypedArray::Shape& shape);

/// Standard base64 (RFC 4648, padded).
std::string base64(const std::byte* data, std::size_t size);
/// Length of the base64 of `size` bytes, and the base64 written to `out`, which holds that many.
std::size_t base64Size(std::size_t size);
void base64To(char* out, const std::byte* data, std::size_t size);

}  // namespace tess::figure
