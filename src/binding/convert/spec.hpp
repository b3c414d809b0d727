// Reading the host's spec records: the families a spec belongs to.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nanobind/nanobind.h>

#include "convert/frame.hpp"
#include "frame/frame.hpp"

#include "render/entry/dispatch.hpp"
#include "render/families/common/colors.hpp"
#include "render/finish/finish.hpp"

namespace tess::bind {

namespace nb = nanobind;

/// The spec component, imported at each call so that a reloaded component is seen.
nb::module_ specModule();
/// Every family whose spec class `spec` is an instance of, in matching order.
std::vector<render::Family> familiesOf(nb::handle spec);

/// The attributes every family's finishing reads; absent attributes count as unset.
render::SpecCommon readCommon(nb::handle spec);

/// A required attribute (AttributeError when missing).
nb::object attribute(nb::handle spec, const char* name);

/// Rethrows the failure being handled (call it in a catch block) as one of the ordinary
/// exceptions, its message led by `name`: text that cannot be encoded (UnicodeEncodeError)
/// and numbers too large for a double (OverflowError) as ValueError; Python's ValueError,
/// TypeError, KeyError, IndexError and AttributeError as themselves; a failed cast and any
/// other Python exception as TypeError. The core's own failures pass unchanged, and so do
/// MemoryError and what is no Exception (KeyboardInterrupt).
[[noreturn]] void rethrowNamed(std::string_view name);

/// read(value), whatever fails in reading it named after the attribute `name` it came from.
template <class Read>
auto named(const char* name, nb::handle value, Read read) {
  try {
    return read(value);
  } catch (...) {
    rethrowNamed(name);
  }
}
/// read(spec.name), named as above.
template <class Read>
auto field(nb::handle spec, const char* name, Read read) {
  return named(name, attribute(spec, name), read);
}
/// None as nullopt, anything else through float() (its TypeError or ValueError).
std::optional<double> optionalNumber(nb::handle value);
/// None as "", anything else as str() gives it (UnicodeEncodeError for a lone surrogate).
std::string textOf(nb::handle value);
/// None as nullopt, anything else as textOf gives it.
std::optional<std::string> optionalText(nb::handle value);
/// textOf of each element, so 2 reads "2" and 2.5 reads "2.5".
std::vector<std::string> texts(nb::handle sequence);
/// A value that must already be a str (TypeError otherwise).
std::string strictText(nb::handle value, const char* what);
/// bool() of a value.
bool truth(nb::handle value);
/// Whole numbers as Python indexes them: floats and strings are refused (TypeError).
std::vector<std::int64_t> indexes(nb::handle sequence);
/// A sequence of numbers as doubles, through numpy.
std::vector<double> numbers(nb::handle sequence);

/// Which attribute names which column of a frame, for the frame's failures.
using ColumnAttributes = std::vector<std::pair<frame::Name, std::string>>;

/// spec.name as a frame a family cannot draw without: None is refused (TypeError) rather
/// than read as empty. Failures by column lead with the attribute of `namedBy` naming the
/// column, or with `name` (frame::Frame::setOrigin).
frame::Frame requiredFrame(nb::handle spec, const char* name, const FrameNeeds& needs = {},
                           ColumnAttributes namedBy = {});
/// spec.name as anything pandas.DataFrame() accepts (None as an empty frame), failing as `name`.
frame::Frame frameOf(nb::handle spec, const char* name, ColumnAttributes namedBy = {});
/// spec.name: None as nullopt, anything else as a frame failing as `name`.
std::optional<frame::Frame> optionalFrame(nb::handle spec, const char* name);
/// A mapping of key -> table (anything pandas.DataFrame() accepts) in mapping order, each
/// table failing as attribute[key] (its columns as `namedBy` says).
std::vector<std::pair<frame::Name, frame::Frame>> tablesIn(nb::handle mapping, std::string_view attribute,
                                                           const ColumnAttributes& namedBy = {});
/// spec.name read by tablesIn.
std::vector<std::pair<frame::Name, frame::Frame>> namedTables(nb::handle spec, const char* name,
                                                              const ColumnAttributes& namedBy = {});
/// The continuous colour request of a grid spec: `cmap`, `vmin`, `vmax`, `center` and `kind`
/// (None keeps the default kind).
render::ColorScale colorScaleOf(nb::handle spec);
/// A mapping's entries as texts (None as empty).
std::map<std::string, std::string> textMap(nb::handle mapping);
/// A mapping's (key text, value text) pairs in mapping order (None as none).
std::vector<std::pair<std::string, std::string>> textPairs(nb::handle mapping);
/// None as nullopt, anything else as a column label.
std::optional<frame::Name> optionalName(nb::handle value);
/// The labels of a sequence, skipping None (None as none).
std::vector<frame::Name> names(nb::handle sequence);

/// A mapping read entry by entry in mapping order: (key label, read(value)) pairs.
template <class Read>
auto namedEntries(nb::handle mapping, Read read) {
  std::vector<std::pair<frame::Name, decltype(read(nb::handle()))>> out;
  if (mapping.is_none()) return out;
  for (nb::handle pair : mapping.attr("items")()) out.emplace_back(nameFromPython(pair[0]), read(pair[1]));
  return out;
}

/// A mapping read entry by entry, keyed by the keys' texts.
template <class Read>
auto byKeyText(nb::handle mapping, Read read) {
  std::map<std::string, decltype(read(nb::handle()))> out;
  for (auto& [name, value] : namedEntries(mapping, read)) out.emplace(name.text, std::move(value));
  return out;
}

}  // namespace tess::bind
