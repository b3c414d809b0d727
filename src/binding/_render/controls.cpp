// The control builders for the host: arguments converted, the core's entries handed back as dicts.
#include <nanobind/nanobind.h>
#include <nanobind/stl/optional.h>
#include <nanobind/stl/string.h>

#include "_render/bind.hpp"

#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "render/controls/builders.hpp"

namespace tess::bind {

using namespace nb::literals;

namespace {

// An integer as Python indexes with it: anything with __index__, bool and numpy ints included.
std::int64_t integerOf(nb::handle value, const char* what) {
  if (!PyIndex_Check(value.ptr()))
    throw TypeError(std::string(what) + " must be an integer, not " + nb::type_name(value.type()).c_str());
  nb::object index = nb::steal(PyNumber_Index(value.ptr()));
  if (!index.is_valid()) throw nb::python_error();
  int overflow = 0;
  long long out = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
  if (overflow != 0) throw IndexError(std::string(what) + " out of range");
  if (out == -1 && PyErr_Occurred()) throw nb::python_error();
  return out;
}

std::vector<std::int64_t> integers(nb::handle sequence, const char* what) {
  std::vector<std::int64_t> out;
  for (nb::handle item : sequence) out.push_back(integerOf(item, what));
  return out;
}

figure::Array valuesOf(nb::handle sequence) {
  figure::Array out;
  for (nb::handle item : sequence) out.push_back(fromPython(item));
  return out;
}

nb::tuple markerSizes(nb::handle fig, nb::handle indices) {
  render::MarkerSizes found = render::_markerSizes(figureFromPython(fig), integers(indices, "a trace index"));
  nb::list kept;
  for (std::int64_t index : found.kept) kept.append(index);
  return nb::make_tuple(kept, toPython(figure::Value(std::move(found.sizes))));
}

nb::object sizeSlider(nb::handle fig, nb::handle indices, const std::string& label, nb::handle relative) {
  std::optional<std::vector<std::int64_t>> chosen;
  if (!indices.is_none()) chosen = integers(indices, "a trace index");
  int flag = PyObject_IsTrue(relative.ptr());
  if (flag < 0) throw nb::python_error();
  std::optional<figure::Object> entry = render::sizeSlider(figureFromPython(fig), chosen, label, flag == 1);
  if (!entry) return nb::none();
  return toPython(*entry);
}

nb::dict dropdownControl(nb::handle labels, nb::handle groups, std::optional<std::string> label, nb::handle active,
                         std::string align, nb::handle axisTitle, nb::handle axisBase) {
  render::DropdownOptions options{.label = std::move(label),
                                  .active = integerOf(active, "active"),
                                  .align = std::move(align),
                                  .axisTitle = std::nullopt,
                                  .axisBase = optionalText(axisBase)};
  // Only the texts "x" and "y" retitle an axis; anything else leaves the axes alone.
  if (nb::isinstance<nb::str>(axisTitle)) options.axisTitle = nb::cast<std::string>(axisTitle);
  return toPython(render::dropdownControl(texts(labels), integers(groups, "a group size"), options));
}

nb::list visibility(nb::handle groups, nb::handle active) {
  nb::list out;
  for (bool shown : render::_visibility(integers(groups, "a group size"), integerOf(active, "active")))
    out.append(shown);
  return out;
}

}  // namespace

void bindControls(nb::module_& m) {
  m.def("sizeSlider", &sizeSlider, "fig"_a, "indices"_a.none() = nb::none(), "label"_a = "point size",
        "relative"_a.none() = false,
        "The marker-size slider entry over the traces of `indices` (all by default), or None when none of "
        "them has a marker size.");
  m.def("axisTitleFor",
        [](nb::handle name, nb::handle base) {
          std::optional<std::string> text = optionalText(base);
          return render::axisTitleFor(textOf(name), text ? std::optional<std::string_view>(*text) : std::nullopt);
        },
        "name"_a.none(), "base"_a.none() = nb::none(), "The axis title a dropdown state writes: name · base.");
  m.def("dropdownControl", &dropdownControl, "labels"_a, "groups"_a, "label"_a.none() = nb::none(),
        "active"_a = 0, "align"_a = "left", "axisTitle"_a.none() = nb::none(), "axisBase"_a.none() = nb::none(),
        "A dropdown entry whose state k shows only the k-th group of traces.");
  m.def("_markerSizes", &markerSizes, "fig"_a, "indices"_a,
        "(kept, sizes): the traces of `indices` with a marker size, and those sizes as stored.");
  m.def("_uniformSize",
        [](nb::handle sizes, double tolerance) -> nb::object {
          std::optional<double> size = render::_uniformSize(valuesOf(sizes), tolerance);
          if (!size) return nb::none();
          return nb::float_(*size);
        },
        "sizes"_a, "tolerance"_a = 0.08, "The one size all `sizes` draw at, or None.");
  m.def("_visibility", &visibility, "groups"_a, "active"_a, "The `visible` mask that shows group `active` only.");
}

}  // namespace tess::bind
