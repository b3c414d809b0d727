// Instance checks against the spec component's classes.
#include "convert/spec.hpp"

#include <nanobind/ndarray.h>
#include <nanobind/stl/string.h>

#include <string>

#include "errors.hpp"

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
  return nb::cast<std::string>(value);
}

bool truth(nb::handle value) {
  int result = PyObject_IsTrue(value.ptr());
  if (result < 0) throw nb::python_error();
  return result == 1;
}

std::vector<double> numbers(nb::handle sequence) {
  nb::object array = nb::module_::import_("numpy").attr("asarray")(sequence, "float64").attr("ravel")();
  auto view = nb::cast<nb::ndarray<const double, nb::ndim<1>, nb::c_contig>>(array);
  return std::vector<double>(view.data(), view.data() + view.shape(0));
}

frame::Frame requiredFrame(nb::handle spec, const char* name, const FrameNeeds& needs) {
  nb::object value = attribute(spec, name);
  if (value.is_none()) throw TypeError(std::string(name) + " must be a data frame, not None");
  return frameFromPython(value, needs);
}

std::optional<frame::Frame> optionalFrame(nb::handle value) {
  if (value.is_none()) return std::nullopt;
  return frameFromPython(value);
}

frame::Frame tableFrom(nb::handle value) { return frameFromPython(value); }

render::ColorScale colorScaleOf(nb::handle spec) {
  render::ColorScale scale;
  scale.cmap = textOf(attribute(spec, "cmap"));
  scale.vmin = optionalNumber(attribute(spec, "vmin"));
  scale.vmax = optionalNumber(attribute(spec, "vmax"));
  scale.center = optionalNumber(attribute(spec, "center"));
  nb::object kind = attribute(spec, "kind");
  if (!kind.is_none()) scale.kind = textOf(kind);
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

// The finisher's attributes may be missing on a spec; a missing one is unset.
static nb::object optionalAttribute(nb::handle spec, const char* name) {
  return nb::getattr(spec, name, nb::none());
}

render::SpecCommon readCommon(nb::handle spec) {
  render::SpecCommon common;
  common.title = textOf(optionalAttribute(spec, "title"));
  common.note = textOf(optionalAttribute(spec, "note"));
  common.width = optionalNumber(optionalAttribute(spec, "width"));
  common.height = optionalNumber(optionalAttribute(spec, "height"));
  common.fontPx = optionalNumber(optionalAttribute(spec, "fontPx"));
  nb::object legend = optionalAttribute(spec, "showLegend");
  if (!legend.is_none()) common.showLegend = truth(legend);
  // The buttons the spec's config adds to the mode bar take their room in its corner.
  figure::Object config = render::configFor(familiesOf(spec));
  const figure::Value* added = config.find("modeBarButtonsToAdd");
  if (added && added->isArray())
    for (const figure::Value& button : added->asArray()) common.modeBarButtons.push_back(figure::toText(button));
  return common;
}

}  // namespace tess::bind
