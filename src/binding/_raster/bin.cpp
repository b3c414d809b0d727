// Extents, bounds, category counts and folds, and binning for Python.
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

nb::tuple extent(nb::handle x, nb::handle y) {
  Coordinates c = coordinates(x, y);
  core::Extent e;
  {
    nb::gil_scoped_release unlocked;  // the buffers stay held by c
    e = std::visit([](const auto& p) { return core::extent(p.x, p.y); }, c.points);
  }
  return nb::make_tuple(e.x0, e.x1, e.y0, e.y1);
}

nb::tuple windowAround(std::array<double, 4> e) {
  return windowTuple(core::windowAround(core::Extent{e[0], e[1], e[2], e[3]}));
}

nb::object countCategories(nb::handle codes, std::int64_t nCategories) {
  if (codes.is_none()) throw TypeError("codes must be an integer array, got None");
  std::size_t n = nonNegative(nCategories, "nCategories");
  CodeArray held = codeArray(codes);
  std::vector<std::uint64_t> counts;
  {
    nb::gil_scoped_release unlocked;  // the buffer stays held by held
    counts = core::countCategories(held.codes, n);
  }
  return ownedArray(std::move(counts), {n});
}

nb::tuple foldCounts(nb::handle counts) {
  HostArray held = typedArray<std::uint64_t>(counts, 1, "counts");
  core::Fold f = core::foldCounts({static_cast<const std::uint64_t*>(held.data()), held.size()});
  std::size_t count = f.nCategories(), size = f.channels.size();
  return nb::make_tuple(ownedArray(std::move(f.channels), {size}), count);
}

nb::object addGrids(nb::handle grids) {
  std::vector<HostArray> held;
  std::vector<core::PartView> views;
  for (nb::handle grid : grids) views.push_back(partView(grid, held.emplace_back()));
  core::PartGrid sum;
  {
    nb::gil_scoped_release unlocked;  // the buffers stay held by held
    sum = core::addCounts(views);
  }
  return ownedArray(std::move(sum));
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
                     std::array<double, 4> window, std::array<std::int64_t, 2> shape, nb::handle channels,
                     bool narrow) {
  Coordinates c = coordinates(x, y);
  CodeArray held = codeArray(codes);
  HostArray mapHeld;
  std::span<const std::int8_t> map;
  if (!channels.is_none()) {
    mapHeld = typedArray<std::int8_t>(channels, 1, "channels");
    map = {static_cast<const std::int8_t*>(mapHeld.data()), mapHeld.size()};
  }
  std::size_t n = nonNegative(nCategories, "nCategories");
  core::Shape grid{nonNegative(shape[0], "shape"), nonNegative(shape[1], "shape")};
  core::Window w{window[0], window[1], window[2], window[3]};
  core::PartGrid out;
  {
    nb::gil_scoped_release unlocked;  // the buffers stay held by c and held
    out = std::visit(
        [&]<class P>(P points) {
          points.codes = held.codes;
          if (narrow) return core::binPart(points, n, w, grid, map);
          core::Grid wide = core::binPoints(points, n, w, grid, map);
          return core::PartGrid{std::move(wide.counts), wide.rows, wide.cols, wide.channels};
        },
        c.points);
  }
  return ownedArray(std::move(out));
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
        "channels"_a.none() = nb::none(), "narrow"_a = false,
        nb::sig("def binPoints(x: object, y: object, codes: object | None, nCategories: int, "
                "window: tuple[float, float, float, float], shape: tuple[int, int], "
                "channels: numpy.ndarray | None = None, narrow: bool = False) -> numpy.ndarray"),
        "Points counted per (row, column, category) in a uint32 array shaped (rows, cols,\n"
        "max(nCategories, 1)), shape being (rows, cols) and window (x0, x1, y0, y1). Row 0 is the\n"
        "window's bottom; a point on the upper bound counts in the last bin. Points outside the\n"
        "window, with a non-finite coordinate, or with a code outside [0, nCategories) are\n"
        "dropped; with nCategories 0 the codes are ignored and every point counts. channels\n"
        "(int8, from foldCounts) maps code c to category channels[c], none where negative or\n"
        "beyond it. With narrow, the counts come as the narrowest of uint8, uint16 and uint32\n"
        "that holds them (parts of a cloud, to move and add).");
  m.def("extent", &extent, "x"_a, "y"_a,
        nb::sig("def extent(x: object, y: object) -> tuple[float, float, float, float]"),
        "(x0, x1, y0, y1): least and greatest x and y of the points whose x and y are both\n"
        "finite; (inf, -inf, inf, -inf) when there is none. Extents of parts merge by min and max.");
  m.def("windowAround", &windowAround, "extent"_a,
        nb::sig("def windowAround(extent: tuple[float, float, float, float]) -> tuple[float, float, float, float]"),
        "The window bounds() gives for points of this extent.");
  m.def("countCategories", &countCategories, "codes"_a.none(), "nCategories"_a,
        nb::sig("def countCategories(codes: object, nCategories: int) -> numpy.ndarray"),
        "Points per category as uint64, codes outside [0, nCategories) counting in none.\n"
        "Counts of parts add up to the counts of the whole.");
  m.def("foldCounts", &foldCounts, "counts"_a,
        nb::sig("def foldCounts(counts: numpy.ndarray) -> tuple[numpy.ndarray, int]"),
        "(channels, nCategories): the fold foldCategories makes of codes with these uint64\n"
        "counts per category, as an int8 map from old code to new (-1 for dropped) for\n"
        "binPoints' channels, and the number of categories kept.");
  m.def("addGrids", &addGrids, "grids"_a,
        nb::sig("def addGrids(grids: collections.abc.Iterable[numpy.ndarray]) -> numpy.ndarray"),
        "The sum of count grids of one shape (uint8, uint16 or uint32), in a new grid of the\n"
        "narrowest of those that holds the sum of the grids' largest counts; ValueError when\n"
        "there are none or a count would pass 2**32 - 1.");
}

}  // namespace tess::bind::raster
