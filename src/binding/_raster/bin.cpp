// bounds(), foldCategories() and binPoints() for Python.
#include <nanobind/stl/array.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/vector.h>

#include "convert/arrays.hpp"
#include "errors.hpp"
#include "raster/fold.hpp"

namespace tess::bind::raster {

using namespace nb::literals;

namespace {

nb::tuple windowTuple(const core::Window& w) { return nb::make_tuple(w.x0, w.x1, w.y0, w.y1); }

nb::tuple bounds(nb::handle x, nb::handle y) {
  Coordinates c = coordinates(x, y);
  return windowTuple(std::visit([](const auto& p) { return core::bounds(p.x, p.y); }, c.points));
}

// Names stay the host's objects (integer cluster ids among them), so colour lookups by
// name keep working; only the folded category gets a new, string name.
nb::tuple foldCategories(nb::handle codes, std::int64_t nCategories, nb::handle names) {
  if (codes.is_none()) throw TypeError("codes must be an integer array, got None");
  nb::list original(names);
  std::size_t n = nonNegative(nCategories, "nCategories");
  if (original.size() != n)
    throw ValueError(std::to_string(n) + " categories need as many names, got " + std::to_string(original.size()));
  CodeArray held = codeArray(codes);
  core::Folded f = core::foldCategories(held.codes, n);
  nb::list folded;
  for (std::size_t c : f.kept) folded.append(original[c]);
  if (f.folded > 0) folded.append(nb::str(core::otherName(f.folded).c_str()));
  std::size_t count = f.nCategories(), size = f.codes.size();
  return nb::make_tuple(ownedArray(std::move(f.codes), {size}), count, folded);
}

nb::object binPoints(nb::handle x, nb::handle y, nb::handle codes, std::int64_t nCategories,
                     std::array<double, 4> window, std::array<std::int64_t, 2> shape) {
  Coordinates c = coordinates(x, y);
  CodeArray held = codeArray(codes);
  std::size_t n = nonNegative(nCategories, "nCategories");
  core::Shape grid{nonNegative(shape[0], "shape"), nonNegative(shape[1], "shape")};
  core::Window w{window[0], window[1], window[2], window[3]};
  core::Grid out;
  {
    nb::gil_scoped_release unlocked;  // the buffers stay held by c and held
    out = std::visit(
        [&]<class P>(P points) {
          points.codes = held.codes;
          return core::binPoints(points, n, w, grid);
        },
        c.points);
  }
  return ownedArray(std::move(out.counts), {out.rows, out.cols, out.channels});
}

}  // namespace

void bindBinning(nb::module_& m) {
  m.def("bounds", &bounds, "x"_a, "y"_a,
        nb::sig("def bounds(x: object, y: object) -> tuple[float, float, float, float]"),
        "(x0, x1, y0, y1): the window of the points whose x and y are both finite, widened by\n"
        "1% of its half-span on each side. A zero span borrows the other axis's span (one point:\n"
        "±max(0.5, 1% of its value)); no finite point gives (0, 1, 0, 1).");
  m.def("foldCategories", &foldCategories, "codes"_a.none(), "nCategories"_a, "names"_a,
        nb::sig("def foldCategories(codes: object, nCategories: int, names: collections.abc.Iterable) "
                "-> tuple[numpy.ndarray, int, list]"),
        "(codes, nCategories, names) over the categories that have points, renumbered in their\n"
        "order, as int8 codes with -1 for no category (negative or out-of-range input codes).\n"
        "Beyond MAX_CATEGORIES, the MAX_CATEGORIES - 1 largest stay and the rest fold into a\n"
        "last category named 'other (k)'. names holds the given objects of the kept categories.");
  m.def("binPoints", &binPoints, "x"_a, "y"_a, "codes"_a.none(), "nCategories"_a, "window"_a, "shape"_a,
        nb::sig("def binPoints(x: object, y: object, codes: object | None, nCategories: int, "
                "window: tuple[float, float, float, float], shape: tuple[int, int]) -> numpy.ndarray"),
        "Points counted per (row, column, category) in a uint32 array shaped (rows, cols,\n"
        "max(nCategories, 1)), shape being (rows, cols) and window (x0, x1, y0, y1). Row 0 is the\n"
        "window's bottom; a point on the upper bound counts in the last bin. Points outside the\n"
        "window, with a non-finite coordinate, or with a code outside [0, nCategories) are\n"
        "dropped; with nCategories 0 the codes are ignored and every point counts.");
}

}  // namespace tess::bind::raster
