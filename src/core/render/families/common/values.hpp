// Numbers as the narrowest typed array that still draws them where they belong.
#pragma once

#include <span>
#include <vector>

#include "figure/value.hpp"

namespace tess::render {

/// Whether float32 keeps every value's magnitude: zero, or within float32's normal range.
/// A p-value of 1e-60 would otherwise become 0 and fall off a log axis, and 1e39 infinity.
bool _fitsFloat32(std::span<const double> values);

/// The values as float32 when that keeps them all (_fitsFloat32), else as float64.
figure::TypedArray compactArray(std::vector<double> values);

/// Whole numbers in the narrowest integer type that holds them all (uint8 first), anything
/// else as float32; `shape` as the array's.
figure::TypedArray narrowest(const std::vector<double>& values, figure::TypedArray::Shape shape);

}  // namespace tess::render
