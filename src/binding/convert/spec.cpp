// Instance checks against the spec component's classes.
#include "convert/spec.hpp"

#include <nanobind/ndarray.h>
#include <nanobind/stl/string.h>

#include <string>

#include "errors.hpp"
#include "render/entry/checks.hpp"

namespace tess::bind {

nb::module_ specModule() { return nb::module_::import_("tessarine.pl._interactive._spec"); }

std::vector<render::Family> familiesOf(nb::handle spec) {
  nb::module_ records = specModule();
  std::vector<render::Family> out;
  for (const render::FamilyEntry& entry : render::DISPATCH) {
    nb::object cls = records.attr(std::string(entry.specClass).c_str());
    if (PyObject_IsInstance(spec.ptr(), cls.ptr()) == 1) out.push_back(entry.family);
    else if (PyErr_Occurred()) throw nb::python_error();
  }
  return out;
}

nb::object attribute(nb::handle spec, const char* name) { return spec.attr(name); }

namespace {

// str(error) as UTF-8, with whatever cannot be encoded escaped: a message must never fail.
std::string messageOf(nb::handle error) {
  nb::object text = nb::steal(PyObject_Str(error.ptr()));
  nb::object bytes = text.is_valid() ? nb::steal(PyUnicode_AsEncodedString(text.ptr(), "utf-8", "backslashreplace"))
                                     : nb::object();
  if (!bytes.is_valid()) {
    PyErr_Clear();
    return nb::type_name(error.type()).c_str();
  }
  return std::string(PyBytes_AS_STRING(bytes.ptr()), static_cast<std::size_t>(PyBytes_GET_SIZE(bytes.ptr())));
}

}  // namespace

void rethrowNamed(std::string_view name) {
  std::string lead = std::string(name) + ": ";
  try {
    throw;
  } catch (nb::python_error& e) {
    if (!e.matches(PyExc_Exception) || e.matches(PyExc_MemoryError)) throw;
    std::string message = lead + messageOf(e.value());
    if (e.matches(PyExc_UnicodeError)) throw ValueError(lead + "text that cannot be encoded as UTF-8 (" + messageOf(e.value()) + ")");
    if (e.matches(PyExc_ValueError) || e.matches(PyExc_ArithmeticError)) throw ValueError(message);
    if (e.matches(PyExc_KeyError)) throw KeyError(message);
    if (e.matches(PyExc_IndexError)) throw IndexError(message);
    if (e.matches(PyExc_AttributeError)) throw AttributeError(message);
    if (e.matches(PyExc_TypeError)) throw TypeError(message);
    throw TypeError(lead + nb::type_name(e.type()).c_str() + ": " + messageOf(e.value()));
  } catch (const nb::cast_error&) {
    throw TypeError(lead + "a value of a type that cannot be read here");
  }
}

std::optional<double> optionalNumber(nb::handle value) {
  if (value.is_none()) return std::nullopt;
  return nb::cast<double>(nb::float_(value));
}

std::string textOf(nb::handle value) {
  if (value.is_none()) return "";
  nb::str text(value);
  Py_ssize_t size = 0;
  const char* bytes = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
  if (!bytes) throw nb::python_error();  // a lone surrogate: UnicodeEncodeError
  return std::string(bytes, static_cast<std::size_t>(size));
}

std::optional<std::string> optionalText(nb::handle value) {
  if (value.is_none()) return std::nullopt;
  return textOf(value);
}

std::vector<std::string> texts(nb::handle sequence) {
  std::vector<std::string> out;
  for (nb::handle item : sequence) out.push_back(textOf(item));
  return out;
}

std::string strictText(nb::handle value, const char* what) {
  if (!nb::isinstance<nb::str>(value))
    throw TypeError(std::string(what) + " must be text, not " + nb::type_name(value.type()).c_str());
  return textOf(value);
}

bool truth(nb::handle value) {
  int result = PyObject_IsTrue(value.ptr());
  if (result < 0) throw nb::python_error();
  return result == 1;
}

std::vector<std::int64_t> indexes(nb::handle sequence) {
  std::vector<std::int64_t> out;
  for (nb::handle item : sequence) {
    nb::object index = nb::steal(PyNumber_Index(item.ptr()));
    if (!index.is_valid()) throw nb::python_error();
    out.push_back(nb::cast<std::int64_t>(index));
  }
  return out;
}

std::vector<double> numbers(nb::handle sequence) {
  nb::object array = nb::module_::import_("numpy").attr("asarray")(sequence, "float64").attr("ravel")();
  auto view = nb::cast<nb::ndarray<const double, nb::ndim<1>, nb::c_contig>>(array);
  return std::vector<double>(view.data(), view.data() + view.shape(0));
}

namespace {
frame::Frame originated(frame::Frame frame, std::string attribute, ColumnAttributes namedBy = {}) {
  frame.setOrigin({std::move(attribute), std::move(namedBy)});
  return frame;
}
}  // namespace

frame::Frame requiredFrame(nb::handle spec, const char* name, const FrameNeeds& needs, ColumnAttributes namedBy) {
  frame::Frame read = field(spec, name, [&](nb::handle value) {
    if (value.is_none()) throw TypeError(std::string(name) + " must be a data frame, not None");
    return frameFromPython(value, needs);
  });
  return originated(std::move(read), name, std::move(namedBy));
}

frame::Frame frameOf(nb::handle spec, const char* name, ColumnAttributes namedBy) {
  return originated(field(spec, name, [](nb::handle value) { return frameFromPython(value); }), name,
                    std::move(namedBy));
}

std::optional<frame::Frame> optionalFrame(nb::handle spec, const char* name) {
  if (attribute(spec, name).is_none()) return std::nullopt;
  return frameOf(spec, name);
}

std::vector<std::pair<frame::Name, frame::Frame>> tablesIn(nb::handle mapping, std::string_view attribute,
                                                           const ColumnAttributes& namedBy) {
  auto tables = namedEntries(mapping, [](nb::handle value) { return frameFromPython(value); });
  for (auto& [key, table] : tables) table.setOrigin({render::subscripted(attribute, key.text), namedBy});
  return tables;
}

std::vector<std::pair<frame::Name, frame::Frame>> namedTables(nb::handle spec, const char* name,
                                                              const ColumnAttributes& namedBy) {
  return field(spec, name, [&](nb::handle mapping) { return tablesIn(mapping, name, namedBy); });
}

render::ColorScale colorScaleOf(nb::handle spec) {
  render::ColorScale scale;
  scale.cmap = field(spec, "cmap", textOf);
  scale.vmin = field(spec, "vmin", optionalNumber);
  scale.vmax = field(spec, "vmax", optionalNumber);
  scale.center = field(spec, "center", optionalNumber);
  if (auto kind = field(spec, "kind", optionalText)) scale.kind = *kind;
  return scale;
}

std::map<std::string, std::string> textMap(nb::handle mapping) {
  std::map<std::string, std::string> out;
  for (auto& [key, value] : textPairs(mapping)) out[key] = std::move(value);
  return out;
}

std::vector<std::pair<std::string, std::string>> textPairs(nb::handle mapping) {
  std::vector<std::pair<std::string, std::string>> out;
  if (mapping.is_none()) return out;
  for (nb::handle pair : mapping.attr("items")()) out.emplace_back(textOf(pair[0]), textOf(pair[1]));
  return out;
}

std::optional<frame::Name> optionalName(nb::handle value) {
  if (value.is_none()) return std::nullopt;
  return nameFromPython(value);
}

std::vector<frame::Name> names(nb::handle sequence) {
  std::vector<frame::Name> out;
  if (sequence.is_none()) return out;
  for (nb::handle item : sequence)
    if (!item.is_none()) out.push_back(nameFromPython(item));
  return out;
}

render::SpecCommon readCommon(nb::handle spec) {
  // The finisher's attributes may be missing on a spec; a missing one is unset.
  auto optional = [&](const char* name, auto read) { return named(name, nb::getattr(spec, name, nb::none()), read); };
  render::SpecCommon common;
  common.title = optional("title", textOf);
  common.note = optional("note", textOf);
  common.width = optional("width", optionalNumber);
  common.height = optional("height", optionalNumber);
  common.fontPx = optional("fontPx", optionalNumber);
  common.showLegend = optional("showLegend", [](nb::handle v) { return v.is_none() ? std::nullopt : std::optional(truth(v)); });
  // The buttons the spec's config adds to the mode bar take their room in its corner.
  figure::Object config = render::configFor(familiesOf(spec));  // held: `added` points into it
  const figure::Value* added = config.find("modeBarButtonsToAdd");
  if (added && added->isArray())
    for (const figure::Value& button : added->asArray()) common.modeBarButtons.push_back(figure::toText(button));
  return common;
}

}  // namespace tess::bind
