// gate: the Gate record read into the core's. Marker columns of float32 or float64 are
// borrowed where they lie (a column of a cells x markers array is a strided view), so ten
// million cells are binned without a copy.
#include <nanobind/ndarray.h>
#include <nanobind/stl/string.h>

#include "_render/families.hpp"

#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "render/families/gate.hpp"

namespace tess::bind {

using namespace nb::literals;

namespace {

using Column1 = nb::ndarray<nb::ro, nb::ndim<1>, nb::device::cpu>;

bool isWidthWeRead(nb::handle dtype) {
  std::string name = nb::cast<std::string>(nb::str(dtype.attr("name")));
  return (name == "float64" || name == "float32") && nb::cast<bool>(dtype.attr("isnative"));
}

// A table's column (pandas' nullable and integer columns as float64, missing as NaN).
nb::object tableColumn(nb::handle values, nb::handle marker, nb::handle np) {
  nb::object column = values.attr("__getitem__")(marker);
  if (!nb::hasattr(column, "to_numpy")) return np.attr("asarray")(column);
  nb::object plain = column.attr("to_numpy")();
  if (nb::hasattr(plain, "dtype") && isWidthWeRead(plain.attr("dtype"))) return plain;
  return column.attr("to_numpy")("dtype"_a = "float64", "na_value"_a = np.attr("nan"));
}

// Column k of a cells x markers array, k being the marker's place in `markers`.
nb::object arrayColumn(nb::handle values, nb::handle markers, nb::handle marker, nb::handle np) {
  if (values.is_none()) throw TypeError("values: None holds no marker values");
  nb::object table = np.attr("asarray")(values);
  auto ndim = nb::cast<std::int64_t>(table.attr("ndim"));
  if (ndim != 2) throw ValueError("an array of cells x markers has two dimensions, not " + std::to_string(ndim));
  nb::object k = nb::list(markers).attr("index")(marker);
  return table.attr("__getitem__")(nb::make_tuple(nb::slice(nb::none(), nb::none(), nb::none()), k));
}

// One marker's values as a one-dimensional float32 or float64 numpy array: a view of the
// host's data when it has one of those widths, float64 otherwise.
nb::object columnArray(nb::handle spec, nb::handle marker) {
  nb::module_ np = nb::module_::import_("numpy");
  nb::object values = attribute(spec, "values");
  nb::object column = named("values", values, [&](nb::handle v) {
    bool table = nb::hasattr(v, "columns") ||
                 nb::isinstance(v, nb::module_::import_("collections.abc").attr("Mapping"));
    nb::object found = table ? tableColumn(v, marker, np) : arrayColumn(v, attribute(spec, "markers"), marker, np);
    found = np.attr("asarray")(found);
    if (nb::cast<std::int64_t>(found.attr("ndim")) != 1)
      throw ValueError("the column of " + textOf(marker) + " is not one-dimensional (a repeated name?)");
    if (!isWidthWeRead(found.attr("dtype"))) found = found.attr("astype")("float64");
    return found;
  });
  return column;
}

render::NumberColumn borrowed(nb::handle array) {
  Column1 held;
  if (!nb::try_cast(array, held, false))
    held = nb::cast<Column1>(nb::module_::import_("numpy").attr("ascontiguousarray")(array));
  auto* keep = new Column1(held);
  std::shared_ptr<const void> owner(keep, [](const Column1* c) {
    nb::gil_scoped_acquire gil;
    delete c;
  });
  std::size_t n = held.shape(0);
  auto stride = static_cast<std::ptrdiff_t>(held.stride(0));
  if (held.dtype() == nb::dtype<float>())
    return {render::Strided<float>{static_cast<const float*>(held.data()), n, stride}, owner};
  return {render::Strided<double>{static_cast<const double*>(held.data()), n, stride}, owner};
}

render::GateMarker markerOf(nb::handle spec, nb::handle marker) {
  return {textOf(marker), borrowed(columnArray(spec, marker))};
}

render::GateSpec readGate(nb::handle spec) {
  render::GateSpec out;
  out.common = readCommon(spec);
  out.bins = field(spec, "bins", [](nb::handle v) { return nb::cast<std::int64_t>(nb::int_(v)); });
  out.thresholds = field(spec, "thresholds", [](nb::handle m) {
    return byKeyText(m, [](nb::handle v) { return nb::cast<double>(nb::float_(v)); });
  });
  auto ticks = [](nb::handle v) { return v.is_none() ? std::nullopt : std::optional(numbers(v)); };
  out.xticks = field(spec, "xticks", ticks);
  out.yticks = field(spec, "yticks", ticks);
  nb::object pairs = attribute(spec, "pairs");
  if (named("pairs", pairs, truth)) {
    for (nb::handle pair : pairs) {
      nb::tuple both = named("pairs", pair, [](nb::handle p) { return nb::tuple(p); });
      if (both.size() != 2)
        throw ValueError("pairs: a pair is (x marker, y marker), not " + std::to_string(both.size()) + " values");
      out.pairs.emplace_back(markerOf(spec, both[0]), markerOf(spec, both[1]));
    }
  } else {
    for (nb::handle marker : attribute(spec, "markers")) out.markers.push_back(markerOf(spec, marker));
  }
  return out;
}

nb::object column(nb::handle spec, nb::handle marker) {
  return nb::module_::import_("numpy").attr("array")(columnArray(spec, marker), "float64");
}

nb::dict gateShape(const std::string& axis, double value, nb::handle name) {
  return toPython(render::_gateShape(axis, value, textOf(name)));
}

nb::dict countColorbar(nb::handle highest) {
  std::int64_t most = named("highest", highest, [](nb::handle h) {
    nb::object atLeastOne = nb::module_::import_("builtins").attr("max")(h, 1);
    return nb::cast<std::int64_t>(nb::int_(atLeastOne));
  });
  return toPython(render::_countColorbar(most));
}

}  // namespace

nb::object drawGate(nb::handle spec) { return toPlotly(render::gate(readGate(spec))); }

void bindGateHelpers(nb::module_& m) {
  m.def("_column", &column, "spec"_a, "marker"_a, "One marker's values over all cells, as float64.");
  m.def("_gateShape", &gateShape, "axis"_a, "value"_a, "name"_a, "An editable gate line.");
  m.def("_countColorbar", &countColorbar, "highest"_a, "The colour bar of a log1p count density.");
}

}  // namespace tess::bind
