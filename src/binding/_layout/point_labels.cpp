// pointLabels(): label records, ranges and boxes from plain Python objects into the core's placement.
#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "_layout/bind.hpp"
#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "layout/point_labels.hpp"

namespace tess::bind::layout {

namespace nb = nanobind;
using namespace nb::literals;
using tess::layout::Box;
using tess::layout::LabelRecord;

namespace {

/// float(value), failing as Python does.
double number(nb::handle value) {
  double v = PyFloat_AsDouble(value.ptr());
  if (v == -1.0 && PyErr_Occurred()) throw nb::python_error();
  return v;
}

/// The n numbers of a sequence of exactly n numbers.
template <std::size_t N>
std::array<double, N> numbers(nb::handle values, const char* what) {
  std::array<double, N> out{};
  std::size_t n = 0;
  for (nb::handle item : values) {
    if (n == N) break;
    out[n++] = number(item);
  }
  if (n != N || nb::len(values) != N)
    throw ValueError(std::string(what) + " needs " + std::to_string(N) + " numbers");
  return out;
}

std::string text(nb::handle value) { return textOf(nb::str(value)); }

/// A label mapping: "x", "y", "text" and an optional "color" (None counts as absent).
LabelRecord label(nb::handle record) {
  LabelRecord out{number(record["x"]), number(record["y"]), text(record["text"]), std::nullopt};
  int has = PySequence_Contains(record.ptr(), nb::str("color").ptr());
  if (has < 0) throw nb::python_error();
  if (has == 1) {
    nb::object color = record["color"];
    if (!color.is_none()) out.color = text(color);
  }
  return out;
}

nb::object pointLabels(nb::handle labels, nb::handle xRange, nb::handle yRange, double plotWidth, double plotHeight,
                       nb::handle obstacles, bool logX, bool logY, nb::handle points, double fontPx,
                       double markerRadius) {
  std::vector<LabelRecord> records;
  for (nb::handle record : labels) records.push_back(label(record));
  std::vector<Box> boxes;
  for (nb::handle box : obstacles) {
    auto b = numbers<4>(box, "an obstacle box");
    boxes.push_back({b[0], b[1], b[2], b[3]});
  }
  std::vector<std::array<double, 2>> others;
  if (!points.is_none())
    for (nb::handle point : points) others.push_back(numbers<2>(point, "a point"));
  tess::layout::PointLabelOptions options{fontPx, markerRadius, logX, logY, boxes, others};
  return toPython(figure::Value(tess::layout::pointLabels(records, numbers<2>(xRange, "the x range"),
                                                          numbers<2>(yRange, "the y range"), plotWidth,
                                                          plotHeight, options)));
}

}  // namespace

void bindPointLabels(nb::module_& m) {
  m.def("pointLabels", &pointLabels, "labels"_a, "xRange"_a, "yRange"_a, "plotWidth"_a, "plotHeight"_a,
        "obstacles"_a = nb::tuple(), "logX"_a = false, "logY"_a = false, "points"_a = nb::none(),
        "fontPx"_a = double(theme::TICK_PX), "markerRadius"_a = 4.0,
        "Annotations for the point labels that fit, most important first, placed off each other, the\n"
        "markers (labelled points and `points`, data coordinates) and the obstacle boxes (drawing\n"
        "pixels, y up). Ranges as the layout holds them: log10 units on a log axis.");
}

}  // namespace tess::bind::layout
