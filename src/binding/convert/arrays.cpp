// numpy arrays in and out of the raster core.
#include "convert/arrays.hpp"

#include <nanobind/stl/string.h>

#include <string>

#include "errors.hpp"

namespace tess::bind {

namespace {

using Code = nb::dlpack::dtype_code;

// The object as an aligned numpy array in native byte order, which is all the core reads.
nb::object asArray(nb::handle object) {
  nb::object array = nb::module_::import_("numpy").attr("asarray")(object);
  nb::object dtype = array.attr("dtype");
  if (!nb::cast<bool>(dtype.attr("isnative"))) array = array.attr("astype")(dtype.attr("newbyteorder")("="));
  // Buffers sent between processes (a dask worker's results) may start at any byte, and the
  // core reads whole elements.
  if (!nb::cast<bool>(array.attr("flags").attr("aligned"))) array = array.attr("copy")();
  return array;
}

template <class T> constexpr std::string_view dtypeLabel();
template <> constexpr std::string_view dtypeLabel<std::int8_t>() { return "int8"; }
template <> constexpr std::string_view dtypeLabel<std::uint8_t>() { return "uint8"; }
template <> constexpr std::string_view dtypeLabel<std::uint32_t>() { return "uint32"; }
template <> constexpr std::string_view dtypeLabel<std::uint64_t>() { return "uint64"; }

std::string dtypeName(nb::handle array) { return nb::cast<std::string>(array.attr("dtype").attr("name")); }

HostArray hostArray(nb::handle array, std::size_t ndim, std::string_view what) {
  auto actual = nb::cast<std::size_t>(array.attr("ndim"));
  if (actual != ndim)
    throw ValueError(std::string(what) + " must have " + std::to_string(ndim) + " dimension(s), got " +
                     std::to_string(actual));
  return nb::cast<HostArray>(array);  // a contiguous copy only when the array was strided
}

template <class T>
core::Points<T> pointsOf(const HostArray& x, const HostArray& y) {
  return {{static_cast<const T*>(x.data()), x.size()}, {static_cast<const T*>(y.data()), y.size()}, {}};
}

template <class T>
std::span<const T> spanOf(const HostArray& a) {
  return {static_cast<const T*>(a.data()), a.size()};
}

core::Codes codesOf(const HostArray& a) {
  nb::dlpack::dtype d = a.dtype();
  bool sign = d.code == static_cast<std::uint8_t>(Code::Int);
  switch (d.bits) {
    case 8: return sign ? core::Codes(spanOf<std::int8_t>(a)) : core::Codes(spanOf<std::uint8_t>(a));
    case 16: return sign ? core::Codes(spanOf<std::int16_t>(a)) : core::Codes(spanOf<std::uint16_t>(a));
    case 32: return sign ? core::Codes(spanOf<std::int32_t>(a)) : core::Codes(spanOf<std::uint32_t>(a));
    case 64: return sign ? core::Codes(spanOf<std::int64_t>(a)) : core::Codes(spanOf<std::uint64_t>(a));
  }
  throw TypeError("unsupported integer width for codes");
}

}  // namespace

Coordinates coordinates(nb::handle xObject, nb::handle yObject) {
  nb::object x = asArray(xObject), y = asArray(yObject);
  std::string kindX = nb::cast<std::string>(x.attr("dtype").attr("kind"));
  std::string kindY = nb::cast<std::string>(y.attr("dtype").attr("kind"));
  for (const auto& [kind, array] : {std::pair{kindX, x}, std::pair{kindY, y}})
    if (kind != "f" && kind != "i" && kind != "u")
      throw TypeError("coordinates must be real numbers, got an array of " + dtypeName(array));
  // One float width for both: mixed or non-float inputs meet as float64.
  if (dtypeName(x) != dtypeName(y) || kindX != "f" || (dtypeName(x) != "float32" && dtypeName(x) != "float64")) {
    nb::object f8 = nb::module_::import_("numpy").attr("float64");
    x = x.attr("astype")(f8, nb::arg("copy") = false);
    y = y.attr("astype")(f8, nb::arg("copy") = false);
  }
  Coordinates out{hostArray(x, 1, "x"), hostArray(y, 1, "y"), core::Points<double>{}};
  if (dtypeName(x) == "float32") out.points = pointsOf<float>(out.xHeld, out.yHeld);
  else out.points = pointsOf<double>(out.xHeld, out.yHeld);
  return out;
}

// A pandas categorical's codes; any other object as it is.
nb::object categoryCodes(nb::handle object) {
  nb::object dtype = nb::getattr(object, "dtype", nb::none());
  if (dtype.is_none() || nb::cast<std::string>(nb::str(dtype)) != "category") return nb::borrow(object);
  return nb::hasattr(object, "cat") ? object.attr("cat").attr("codes") : object.attr("codes");
}

CodeArray codeArray(nb::handle object) {
  if (object.is_none()) return {};
  nb::object array = asArray(categoryCodes(object));
  std::string kind = nb::cast<std::string>(array.attr("dtype").attr("kind"));
  if (kind != "i" && kind != "u") throw TypeError("codes must be integers, got an array of " + dtypeName(array));
  CodeArray out{hostArray(array, 1, "codes"), {}};
  out.codes = codesOf(out.held);
  return out;
}

template <class T>
HostArray typedArray(nb::handle object, std::size_t ndim, std::string_view what) {
  nb::object array = asArray(object);
  HostArray held = hostArray(array, ndim, what);
  if (held.dtype() != nb::dtype<T>())
    throw TypeError(std::string(what) + " must be an array of " + std::string(dtypeLabel<T>()) + ", got " +
                    dtypeName(array));
  return held;
}

namespace {

// A numpy array over data that `held` keeps alive; the array's capsule deletes `held`.
template <class T, class Holder>
nb::object arrayOver(Holder* held, T* data, const std::vector<std::size_t>& shape) {
  nb::capsule owner(held, [](void* p) noexcept { delete static_cast<Holder*>(p); });
  return nb::ndarray<nb::numpy, T>(data, shape.size(), shape.data(), owner).cast();
}

}  // namespace

template <class T>
nb::object ownedArray(std::vector<T> values, std::vector<std::size_t> shape) {
  auto* held = new std::vector<T>(std::move(values));
  return arrayOver(held, held->data(), shape);
}

template <class T>
nb::object ownedArray(core::Counters<T> counts, std::vector<std::size_t> shape) {
  auto* held = new core::Counters<T>(std::move(counts));
  return arrayOver(held, held->data(), shape);
}

nb::object ownedArray(core::PartGrid grid) {
  return std::visit([&](auto& counts) { return ownedArray(std::move(counts), {grid.rows, grid.cols, grid.channels}); },
                    grid.counts);
}

core::PartView partView(nb::handle grid, HostArray& held) {
  nb::object array = asArray(grid);
  held = hostArray(array, 3, "grid");
  core::PartView view{{}, held.shape(0), held.shape(1), held.shape(2)};
  if (held.dtype() == nb::dtype<std::uint8_t>()) view.counts = spanOf<std::uint8_t>(held);
  else if (held.dtype() == nb::dtype<std::uint16_t>()) view.counts = spanOf<std::uint16_t>(held);
  else if (held.dtype() == nb::dtype<std::uint32_t>()) view.counts = spanOf<std::uint32_t>(held);
  else throw TypeError("grid must be an array of uint8, uint16 or uint32, got " + dtypeName(array));
  return view;
}

core::GridView gridView(const HostArray& grid) {
  return {{static_cast<const std::uint32_t*>(grid.data()), grid.size()}, grid.shape(0), grid.shape(1), grid.shape(2)};
}

std::size_t nonNegative(std::int64_t value, std::string_view what) {
  if (value < 0) throw ValueError(std::string(what) + " must not be negative, got " + std::to_string(value));
  return static_cast<std::size_t>(value);
}

template nb::object ownedArray(core::Counts, std::vector<std::size_t>);
template HostArray typedArray<std::int8_t>(nb::handle, std::size_t, std::string_view);
template HostArray typedArray<std::uint8_t>(nb::handle, std::size_t, std::string_view);
template HostArray typedArray<std::uint32_t>(nb::handle, std::size_t, std::string_view);
template HostArray typedArray<std::uint64_t>(nb::handle, std::size_t, std::string_view);
template nb::object ownedArray(std::vector<std::int8_t>, std::vector<std::size_t>);
template nb::object ownedArray(std::vector<std::uint8_t>, std::vector<std::size_t>);
template nb::object ownedArray(std::vector<std::uint64_t>, std::vector<std::size_t>);

}  // namespace tess::bind
