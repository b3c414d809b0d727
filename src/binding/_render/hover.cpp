// The tooltip encoder for the host: the Hover record, _hoverColumns and its cell helpers.
#include <nanobind/nanobind.h>
#include <nanobind/stl/pair.h>
#include <nanobind/stl/string.h>

#include "_render/bind.hpp"
#include "convert/frame.hpp"
#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "render/controls/hover.hpp"

namespace tess::bind {

using namespace nb::literals;
using frame::Buffer;
using frame::Column;
using frame::Tag;

namespace {

/// The host's Hover: a record of exactly three fields that holds whatever it is given.
struct HoverRecord {
  nb::object customdata = nb::none();
  nb::object text = nb::none();
  std::string template_;
};

// Records hold arbitrary objects, so they take part in cycle collection.
int hoverTraverse(PyObject* self, visitproc visit, void* arg) {
  Py_VISIT(Py_TYPE(self));
  if (!nb::inst_ready(self)) return 0;
  HoverRecord* record = nb::inst_ptr<HoverRecord>(self);
  Py_VISIT(record->customdata.ptr());
  Py_VISIT(record->text.ptr());
  return 0;
}

int hoverClear(PyObject* self) {
  HoverRecord* record = nb::inst_ptr<HoverRecord>(self);
  record->customdata = nb::none();
  record->text = nb::none();
  return 0;
}

PyType_Slot hoverSlots[] = {{Py_tp_traverse, reinterpret_cast<void*>(hoverTraverse)},
                            {Py_tp_clear, reinterpret_cast<void*>(hoverClear)},
                            {0, nullptr}};

nb::module_ pandas() { return nb::module_::import_("pandas"); }
nb::module_ numpy() { return nb::module_::import_("numpy"); }

// The string matrix (rows of strings) as a 2-D object array.
nb::object matrixArray(const figure::Array& rows) {
  nb::list items;
  for (const figure::Value& row : rows)
    for (const figure::Value& cell : row.asArray()) items.append(toPython(cell));
  std::size_t columns = rows.front().asArray().size();
  return frozenObjects(items, nb::make_tuple(rows.size(), columns));
}

HoverRecord recordOf(const render::Hover& hover) {
  HoverRecord out;
  out.template_ = hover.template_;
  if (hover.customdata) {
    const figure::Value& data = *hover.customdata;
    out.customdata = data.isTyped() ? toNumpy(data.asTyped()) : matrixArray(data.asArray());
  }
  if (hover.text) out.text = toNumpy(*hover.text);
  return out;
}

nb::dict traceOf(const HoverRecord& record) {
  render::Hover hover;
  hover.template_ = record.template_;
  nb::dict out = toPython(hover.trace());
  if (!record.customdata.is_none()) out["customdata"] = record.customdata;
  if (!record.text.is_none()) out["text"] = record.text;
  return out;
}

// Only the columns a tooltip may show are read: a text column costs a pass over its cells.
frame::Frame hoverFrame(nb::handle data, nb::list wanted) {
  if (wanted.size() == 0) return frame::Frame();
  nb::module_ pd = pandas();
  nb::object table = nb::isinstance(data, pd.attr("DataFrame")) ? nb::borrow(data) : pd.attr("DataFrame")(data);
  nb::object labels = table.attr("columns");
  nb::object byPosition = table.attr("iloc");
  nb::slice allRows{nb::none(), nb::none(), nb::none()};
  std::vector<frame::Name> names;
  std::vector<Column> columns;
  for (nb::handle position : numpy().attr("flatnonzero")(labels.attr("isin")(wanted))) {
    names.push_back(nameFromPython(labels[position]));
    columns.push_back(columnFromPython(byPosition[nb::make_tuple(allRows, position)]));
  }
  return frame::Frame(std::move(names), std::move(columns));
}

HoverRecord hoverColumns(nb::handle data, nb::handle columns) {
  nb::list wanted;
  std::vector<frame::Name> names;
  for (nb::handle name : columns) {
    if (name.is_none()) continue;
    wanted.append(name);
    names.push_back(nameFromPython(name));
  }
  return recordOf(render::_hoverColumns(hoverFrame(data, wanted), names));
}

Column objectCell(std::string text, Tag tag) {
  frame::Strings texts;
  texts.push(text);
  return Column::objects(std::move(texts), Buffer::bools({tag == Tag::Missing}), {tag});
}

// One host value as a one-cell column that says what it was: None and NA missing, a
// Python bool a number, any float a double, any integer its digits (of any length).
Column cellOf(nb::handle value) {
  nb::module_ np = numpy();
  PyObject* o = value.ptr();
  if (value.is_none()) return objectCell("None", Tag::Missing);
  if (value.is(pandas().attr("NA"))) return objectCell("<NA>", Tag::Missing);
  if (PyBool_Check(o)) return objectCell(o == Py_True ? "True" : "False", Tag::Bool);
  if (PyFloat_Check(o) || nb::isinstance(value, np.attr("floating")))
    return Column::numbers(Buffer::of(std::vector<double>{nb::cast<double>(nb::float_(value))}));
  if (PyLong_Check(o) || nb::isinstance(value, np.attr("integer"))) {
    nb::object integer = nb::steal(PyNumber_Index(o));
    if (!integer.is_valid()) throw nb::python_error();
    return objectCell(textOf(integer), Tag::Int);
  }
  return objectCell(textOf(value), Tag::Other);
}

// A Series as it is; anything else (an Index, a numpy array, a list) as a Series.
nb::object seriesOf(nb::handle values) {
  nb::module_ pd = pandas();
  if (nb::isinstance(values, pd.attr("Series"))) return nb::borrow(values);
  return pd.attr("Series")(values);
}

}  // namespace

void bindHover(nb::module_& m) {
  nb::class_<HoverRecord>(m, "Hover", nb::type_slots(hoverSlots),
                          "What a trace needs to draw its tooltip: customdata, text and the template.")
      .def(
          "__init__",
          [](HoverRecord* self, nb::object customdata, nb::object text, std::string template_) {
            new (self) HoverRecord{std::move(customdata), std::move(text), std::move(template_)};
          },
          "customdata"_a.none() = nb::none(), "text"_a.none() = nb::none(), "template"_a = "")
      .def_rw("customdata", &HoverRecord::customdata, nb::for_setter(nb::arg("value").none()),
              "One row per mark, one column per customdata[i] of the template, or None.")
      .def_rw("text", &HoverRecord::text, nb::for_setter(nb::arg("value").none()),
              "One escaped string per mark, or None.")
      .def_rw("template", &HoverRecord::template_, "The tooltip lines, each ending in <br>.")
      .def("trace", &traceOf,
           "The trace attributes: hovertemplate (closed by an empty extra box), then customdata and text when set.");

  m.def("_hoverColumns", &hoverColumns, "frame"_a, "columns"_a,
        "The Hover of the named columns of a frame holding one trace's rows.");
  m.def("_formatCell", [](nb::handle value) { return render::_formatCell(cellOf(value), 0); }, "value"_a.none(),
        "One number or label as a tooltip shows it.");
  m.def(
      "_numericFormat",
      [](nb::handle values) {
        auto [array, format] = render::_numericFormat(columnFromPython(seriesOf(values)));
        return nb::make_tuple(toNumpy(array), format);
      },
      "values"_a, "A numeric column as a typed array and the d3 format that shows it.");
  m.def(
      "_isNumericColumn",
      // The answer is the dtype's: an empty slice keeps it without reading a cell.
      [](nb::handle values) {
        return render::_isNumericColumn(columnFromPython(seriesOf(values).attr("head")(0)));
      },
      "values"_a, "Whether a column belongs in a typed matrix.");
}

}  // namespace tess::bind
