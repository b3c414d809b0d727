// numpy arrays in and out of the raster core: borrowed spans in, owned buffers out.
#pragma once

#include <nanobind/nanobind.h>
#include <nanobind/ndarray.h>

#include <string_view>
#include <variant>
#include <vector>

#include "raster/bin.hpp"

namespace tess::bind {

namespace nb = nanobind;
namespace core = tess::raster;

/// A host array that keeps its buffer alive while the core reads it.
using HostArray = nb::ndarray<nb::ro, nb::c_contig, nb::device::cpu>;

/// Coordinates as float32 or float64 spans over the host's buffers. Float arrays of
/// those widths are borrowed; other real numbers are converted by numpy to float64.
struct Coordinates {
  HostArray xHeld, yHeld;
  std::variant<core::Points<float>, core::Points<double>> points;
};

/// x and y as one-dimensional numbers of one float width (TypeError for anything else;
/// ValueError for other dimensions).
Coordinates coordinates(nb::handle x, nb::handle y);

/// Integer codes of any width as a span over the host's buffer (none for None). A pandas
/// categorical gives its codes (-1 where missing), not its values.
struct CodeArray {
  HostArray held;
  core::Codes codes;
};
CodeArray codeArray(nb::handle codes);

/// A C-ordered host array of exactly dtype T and `ndim` dimensions (TypeError, ValueError).
template <class T>
HostArray typedArray(nb::handle object, std::size_t ndim, std::string_view what);

/// The counts of a uint32 array shaped (rows, cols, channels).
core::GridView gridView(const HostArray& grid);

/// A numpy array over values it then owns.
template <class T>
nb::object ownedArray(std::vector<T> values, std::vector<std::size_t> shape);
template <class T>
nb::object ownedArray(core::Counters<T> counts, std::vector<std::size_t> shape);
/// A numpy array of the grid's counts, shaped (rows, cols, channels), in their width.
nb::object ownedArray(core::PartGrid grid);

/// A uint8, uint16 or uint32 array shaped (rows, cols, channels), as counts the core can add
/// (TypeError, ValueError); `held` keeps its buffer alive.
core::PartView partView(nb::handle grid, HostArray& held);

/// A count that must not be negative (ValueError).
std::size_t nonNegative(std::int64_t value, std::string_view what);

}  // namespace tess::bind
