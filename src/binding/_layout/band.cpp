// bandRows(), bandHeight() and titleHeight(): the control band and title block for Python.
#include <nanobind/nanobind.h>
#include <nanobind/stl/optional.h>
#include <nanobind/stl/string.h>

#include <optional>
#include <string>
#include <vector>

#include "_layout/bind.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "layout/band.hpp"
#include "layout/constants.hpp"

namespace tess::bind::layout {

namespace nb = nanobind;
using namespace nb::literals;
using figure::Object;

namespace {

/// Each item of a sequence of mappings as an object; `what` names one item in the error.
std::vector<Object> objects(nb::handle items, const char* what) {
  std::vector<Object> out;
  for (nb::handle item : items) {
    figure::Value converted = fromPython(item);
    if (!converted.isObject()) throw TypeError(std::string(what) + " is a mapping");
    out.push_back(std::move(converted.asObject()));
  }
  return out;
}

nb::list bandRows(nb::handle entries, double availablePx, nb::handle annotations) {
  std::vector<Object> given = objects(entries, "a band entry");
  figure::Value notes = annotations.is_none() ? figure::Value() : fromPython(annotations);
  if (!notes.isNull() && !notes.isArray()) throw TypeError("annotations are a sequence");
  nb::list rows;
  for (const Object& row : tess::layout::bandRows(given, availablePx, notes.isNull() ? nullptr : &notes.asArray()))
    rows.append(toPython(row));
  return rows;
}

double bandHeight(nb::handle rows) { return tess::layout::bandHeight(objects(rows, "a band row")); }

double titleHeight(const std::optional<std::string>& title, const std::optional<std::string>& note) {
  return tess::layout::titleHeight(title.value_or(""), note.value_or(""));
}

}  // namespace

void bindBand(nb::module_& m) {
  // The widest band any figure has, so a caller without a figure at hand packs as loosely
  // as the finisher ever can; it passes the real width where it knows one.
  m.def("bandRows", &bandRows, "entries"_a,
        "availablePx"_a = tess::layout::MAX_FIGURE_WIDTH - 2 * tess::layout::PAGE_PAD,
        "annotations"_a.none() = nb::none(),
        "Control entries (from control()) packed in order into rows, top row first, each a dict\n"
        "side (\"left\" or \"right\") -> entry. Two entries share a row only where both fit\n"
        "availablePx; a note measures the annotation of `annotations` it moves (nothing when\n"
        "they are None, its text being unknown).");
  m.def("bandHeight", &bandHeight, "rows"_a,
        "Height in px of the band holding the rows bandRows() returns; 0 without rows.");
  m.def("titleHeight", &titleHeight, "title"_a, "note"_a,
        "Height in px of the title block: the title line and the note under it (None counts as\n"
        "empty; both empty take nothing).");
}

}  // namespace tess::bind::layout
