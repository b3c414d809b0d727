// shade() and imageTrace() for Python.
#include <nanobind/stl/array.h>
#include <nanobind/stl/optional.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/vector.h>

#include <optional>

#include "convert/arrays.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "raster/trace.hpp"

namespace tess::bind::raster {

using namespace nb::literals;

namespace {

constexpr const char* DEFAULT_LABEL = "category";

nb::tuple shade(nb::handle grid, std::vector<std::string> colors) {
  HostArray held = typedArray<std::uint32_t>(grid, 3, "grid");
  core::Shaded s = core::shade(gridView(held), colors);
  nb::object image = ownedArray(std::move(s.image.rgba), {s.image.rows, s.image.cols, 4});
  return nb::make_tuple(image, nb::cast(s.colors), nb::make_tuple(s.density.low, s.density.high));
}

nb::dict imageTrace(nb::handle image, std::array<double, 4> window, std::vector<std::string> colors,
                    std::array<std::int64_t, 2> density, nb::handle names, std::optional<std::string> label) {
  HostArray held = typedArray<std::uint8_t>(image, 3, "image");
  if (held.shape(2) != 4) throw ValueError("image must hold 4 channels (RGBA), got " + std::to_string(held.shape(2)));
  core::ImageView view{{static_cast<const std::uint8_t*>(held.data()), held.size()}, held.shape(0), held.shape(1)};
  core::Density d{nonNegative(density[0], "density"), nonNegative(density[1], "density")};
  core::Window w{window[0], window[1], window[2], window[3]};
  figure::Value keys = fromPython(nb::list(names));
  return toPython(core::imageTrace(view, w, colors, d, keys.asArray(), label.value_or(DEFAULT_LABEL)));
}

}  // namespace

void bindShading(nb::module_& m) {
  m.def("shade", &shade, "grid"_a, "colors"_a,
        nb::sig("def shade(grid: numpy.ndarray, colors: collections.abc.Sequence[str]) "
                "-> tuple[numpy.ndarray, list[str], tuple[int, int]]"),
        "(image, colors, density) for a uint32 grid shaped (rows, cols, channels) and one CSS\n"
        "colour per channel. image: RGBA uint8 (rows, cols, 4), each pixel the count-weighted mix\n"
        "of its categories' colours (in linear light) with opacity rising with log density from\n"
        "MIN_ALPHA at the sparsest non-empty pixel to 1 at the densest; empty pixels transparent.\n"
        "colors: the colours as used ('#RRGGBB', or 'rgba(...)' when translucent). density:\n"
        "(least, most) points in a non-empty pixel, (0, 0) when all are empty.");
  m.def("imageTrace", &imageTrace, "image"_a, "window"_a, "colors"_a, "density"_a, "names"_a,
        "label"_a.none() = DEFAULT_LABEL,
        nb::sig("def imageTrace(image: numpy.ndarray, window: tuple[float, float, float, float], "
                "colors: collections.abc.Sequence[str], density: tuple[int, int], "
                "names: collections.abc.Iterable, label: str | None = 'category') -> dict"),
        "A plotly image trace (a dict) showing the RGBA image over window (x0, x1, y0, y1): the\n"
        "pixels tile the window exactly, image row 0 at y0, as a PNG data URI in 'source'. The\n"
        "caption label is the trace's name (escaped); 'meta' holds {'label', 'categories',\n"
        "'colors', 'density'} as raw values for a legend-like key. Hover is skipped.");
}

}  // namespace tess::bind::raster
