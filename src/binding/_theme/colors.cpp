// Colour scales, colour limits and rgba().
#include <nanobind/stl/optional.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/string_view.h>
#include <nanobind/ndarray.h>

#include <optional>
#include <span>
#include <string>

#include "_theme/bind.hpp"
#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "theme/theme.hpp"

namespace tess::bind::theme {

namespace nb = nanobind;
namespace core = tess::theme;
using namespace nb::literals;

namespace {

std::string kindOf(nb::handle kind) {
  if (kind.is_none()) return "sequential";
  if (!nb::isinstance<nb::str>(kind)) throw TypeError("kind must be a string");
  return textOf(kind);
}

nb::object colorscale(nb::handle cmap, nb::handle kind) {
  std::string k = kindOf(kind);
  if (cmap.is_none()) return toPython(figure::Value(core::colorscale("", k)));
  if (nb::isinstance<nb::str>(cmap)) return toPython(figure::Value(core::colorscale(textOf(cmap), k)));
  return toPython(figure::Value(core::explicitColorscale(fromPython(cmap))));
}

using Doubles = nb::ndarray<const double, nb::c_contig, nb::device::cpu>;

// The values as one float64 buffer: numpy's own float64 data is borrowed, anything else is
// converted by numpy (never through Python lists).
Doubles doubles(nb::handle values) {
  nb::module_ np = nb::module_::import_("numpy");
  nb::object array = np.attr("asarray")(values);
  std::string kind = nb::cast<std::string>(array.attr("dtype").attr("kind"));
  if (kind != "f" && kind != "i" && kind != "u" && kind != "b" && kind != "O")
    throw TypeError("colour limits need numbers, got an array of " +
                    nb::cast<std::string>(array.attr("dtype").attr("name")));
  array = array.attr("astype")(np.attr("float64"), "copy"_a = false);
  return nb::cast<Doubles>(array);
}

nb::tuple colorLimits(nb::handle values, nb::handle kind, std::optional<double> vmin, std::optional<double> vmax,
                      std::optional<double> center) {
  std::string k = kindOf(kind);
  core::Limits limits;
  if (values.is_none()) {
    limits = core::colorLimits({}, k, vmin, vmax, center);
  } else {
    Doubles array = doubles(values);
    limits = core::colorLimits(std::span<const double>(array.data(), array.size()), k, vmin, vmax, center);
  }
  nb::object mid = limits.mid ? nb::object(nb::float_(*limits.mid)) : nb::none();
  return nb::make_tuple(limits.low, limits.high, mid);
}

}  // namespace

void bindColors(nb::module_& m) {
  m.def("colorscale", &colorscale, "cmap"_a.none(), "kind"_a.none() = "sequential",
        nb::sig("def colorscale(cmap: str | list | tuple | None, kind: str | None = 'sequential') "
                "-> list[list[float | str]]"),
        "A plotly colour scale [[position, colour], ...] for a colour map name (any case, a\n"
        "trailing '_r' reverses) or an explicit scale, which is checked and returned as a list.\n"
        "No name: viridis for 'sequential', RdBu_r for 'diverging'; other kinds are sequential.");
  m.def("colorLimits", &colorLimits, "values"_a.none(), "kind"_a.none() = "sequential", "vmin"_a.none() = nb::none(),
        "vmax"_a.none() = nb::none(), "center"_a.none() = nb::none(),
        nb::sig("def colorLimits(values: object, kind: str | None = 'sequential', vmin: float | None = None, "
                "vmax: float | None = None, center: float | None = None) -> tuple[float, float, float | None]"),
        "(low, high, mid) for a colour scale over the values (non-finite ones ignored).\n"
        "Without bounds: the range less the most extreme 1% at each end (floor(n/100) values, so\n"
        "fewer than 100 values keep their true extremes). 'diverging' is symmetric about center\n"
        "(default 0) and mid is the center; otherwise mid is None. Explicit bounds are kept.");
  m.def("rgba", &core::rgba, "color"_a, "alpha"_a,
        "The colour as 'rgba(r,g,b,a)' with its own alpha multiplied by alpha (in [0, 1]).");
}

}  // namespace tess::bind::theme
