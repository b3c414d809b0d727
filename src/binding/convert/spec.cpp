// Instance checks against the spec component's classes.
#include "convert/spec.hpp"

#include <string>

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

}  // namespace tess::bind
