// Test hooks: what the core makes of a pandas frame, for the tests to hold against pandas.
#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/vector.h>

#include "_render/bind.hpp"
#include "convert/frame.hpp"

namespace tess::bind {

namespace {

using namespace nb::literals;

nb::list textsOf(const frame::Column& column) {
  nb::list out;
  for (const std::string& t : column.texts()) out.append(nb::str(t.data(), t.size()));
  return out;
}

nb::dict cellsOf(const frame::Frame& f) {
  nb::dict out;
  for (std::size_t i = 0; i < f.width(); ++i) out[nb::str(f.names()[i].text.c_str())] = textsOf(f.at(i));
  return out;
}

nb::dict describe(const frame::Frame& f) {
  nb::list columns, kinds, types, numeric;
  nb::dict distinct;
  for (std::size_t i = 0; i < f.width(); ++i) {
    const frame::Column& c = f.at(i);
    columns.append(f.names()[i].text);
    kinds.append(std::string(frame::kindName(c.kind())));
    types.append(c.typeName());
    numeric.append(c.isNumeric());
    distinct[nb::str(f.names()[i].text.c_str())] = textsOf(c.distinct());
  }
  nb::dict out;
  out["columns"] = columns;
  out["kinds"] = kinds;
  out["types"] = types;
  out["numeric"] = numeric;
  out["rows"] = f.rows();
  out["index"] = textsOf(f.index());
  out["indexName"] = f.indexName() ? nb::object(nb::str(f.indexName()->text.c_str())) : nb::none();
  out["text"] = cellsOf(f);
  out["distinct"] = distinct;
  return out;
}

}  // namespace

void bindFrameHooks(nb::module_& m) {
  m.def("_followNumpyText", &followNumpyText,
        "Reads again how numpy prints narrow floats, as the module does when loaded.");
  m.def("_frameInfo", [](nb::handle data) { return describe(frameFromPython(data)); }, "data"_a,
        "What the core reads from a data frame: names, kinds, text forms and distinct values.");
  m.def(
      "_frameAlign",
      [](nb::handle data, nb::handle labels) {
        frame::Frame aligned = frameFromPython(data).alignTo(columnFromPython(labels));
        nb::dict out;
        out["index"] = textsOf(aligned.index());
        out["types"] = [&] {
          nb::list types;
          for (std::size_t i = 0; i < aligned.width(); ++i) types.append(aligned.at(i).typeName());
          return types;
        }();
        out["text"] = cellsOf(aligned);
        return out;
      },
      "data"_a, "labels"_a, "The text forms of a data frame's cells after aligning its rows to `labels`.");
  m.def(
      "_frameColumn",
      [](nb::handle data, nb::handle name) { return textsOf(frameFromPython(data).column(nameFromPython(name))); },
      "data"_a, "name"_a, "The text forms of one column, looked up by its label.");
  m.def(
      "_frameTake",
      [](nb::handle data, const std::vector<std::size_t>& rows) {
        frame::Frame taken = frameFromPython(data).take(rows);
        nb::dict out;
        out["index"] = textsOf(taken.index());
        out["text"] = cellsOf(taken);
        return out;
      },
      "data"_a, "rows"_a, "The text forms of the rows at the given positions.");
}

}  // namespace tess::bind
