// Reading the host's spec records: the families a spec belongs to.
#pragma once

#include <vector>

#include <nanobind/nanobind.h>

#include "render/entry/dispatch.hpp"
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
/// A sequence of numbers as doubles, through numpy.
std::vector<double> numbers(nb::handle sequence);

}  // namespace tess::bind
