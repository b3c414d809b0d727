// rasterTraces: a points spec's full cloud of cells through the raster component, as one
// image trace. The component is resolved at each call, like the spec records.
#include <nanobind/nanobind.h>

#include "_render/bind.hpp"
#include "convert/spec.hpp"
#include "errors.hpp"

namespace tess::bind {

using namespace nb::literals;

namespace {

// Colour of a category the spec's mapping leaves out, and of an uncategorised cloud.
constexpr const char* kUnmappedColor = "#666666";
constexpr const char* kCloudColor = "#4C4C4C";

// The results of a call that must give exactly `n` values.
nb::tuple unpack(nb::handle result, std::size_t n, const char* what) {
  nb::tuple values = nb::tuple(result);
  if (values.size() != n)
    throw ValueError(std::string(what) + " gave " + std::to_string(values.size()) + " values, expected " +
                     std::to_string(n));
  return values;
}

bool given(nb::handle value) { return !value.is_none() && truth(value); }

nb::tuple rasterTraces(nb::handle spec, nb::handle window, nb::handle shape) {
  nb::module_ raster = nb::module_::import_("tessarine.pl._interactive._raster");
  nb::module_ np = nb::module_::import_("numpy");
  nb::object full = nb::getattr(spec, "full", nb::none());
  if (!given(full)) full = nb::dict();
  nb::object empty = nb::list();
  nb::object x = np.attr("asarray")(full.attr("get")("x", empty));
  nb::object y = np.attr("asarray")(full.attr("get")("y", empty));
  nb::object codes = full.attr("get")("codes");
  nb::object categories = full.attr("get")("categories");
  nb::list names = given(categories) ? nb::list(categories) : nb::list();
  nb::object count = nb::int_(0);
  if (!codes.is_none()) {
    nb::tuple folded = unpack(raster.attr("foldCategories")(np.attr("asarray")(codes), nb::len(names), names), 3,
                              "foldCategories");
    codes = folded[0];
    count = folded[1];
    names = nb::list(folded[2]);
  }
  nb::object area = given(window) ? nb::borrow(window) : raster.attr("bounds")(x, y);
  nb::object grid = given(shape) ? nb::borrow(shape) : nb::make_tuple(raster.attr("GRID"), raster.attr("GRID"));
  nb::object counts = raster.attr("binPoints")(x, y, codes, count, area, grid);

  nb::object mapping = full.attr("get")("colors");
  nb::list colors;
  for (nb::handle name : names)
    colors.append(given(mapping) ? mapping.attr("get")(name, kUnmappedColor) : nb::str(kUnmappedColor));
  if (nb::len(names) == 0) colors.append(kCloudColor);
  nb::tuple shaded = unpack(raster.attr("shade")(counts, colors), 3, "shade");
  nb::object label = full.attr("get")("label", "category");
  nb::object trace = raster.attr("imageTrace")(shaded[0], area, shaded[1], shaded[2], names, "label"_a = label);
  nb::list traces;
  traces.append(trace);
  return nb::make_tuple(traces, area, names);
}

}  // namespace

void bindRaster(nb::module_& m) {
  m.def("rasterTraces", &rasterTraces, "spec"_a.none(), "window"_a.none() = nb::none(), "shape"_a.none() = nb::none(),
        "The spec's whole cloud of cells as one density image: ([trace], window, category names).");
}

}  // namespace tess::bind
