// escape(): any object's text made safe as figure markup.
#include <string>
#include <string_view>

#include "_theme/bind.hpp"
#include "theme/theme.hpp"

namespace tess::bind::theme {

namespace nb = nanobind;

namespace {

nb::str escape(nb::handle text) {
  if (text.is_none()) return nb::str("");
  nb::str s = nb::isinstance<nb::str>(text) ? nb::borrow<nb::str>(text) : nb::str(text);
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(s.ptr(), &size);
  if (data != nullptr) {
    std::string out = tess::theme::escape(std::string_view(data, static_cast<std::size_t>(size)));
    if (out.size() == static_cast<std::size_t>(size) && PyUnicode_CheckExact(s.ptr())) return s;
    return nb::str(out.data(), out.size());
  }
  // Lone surrogates have no UTF-8 form; carry them through as their raw code units, which
  // escaping never touches, so the text comes back exactly.
  PyErr_Clear();
  nb::object bytes = nb::steal(PyUnicode_AsEncodedString(s.ptr(), "utf-8", "surrogatepass"));
  if (!bytes.is_valid()) throw nb::python_error();
  std::string out = tess::theme::escape(
      std::string_view(PyBytes_AS_STRING(bytes.ptr()), static_cast<std::size_t>(PyBytes_GET_SIZE(bytes.ptr()))));
  nb::object back = nb::steal(PyUnicode_DecodeUTF8(out.data(), static_cast<Py_ssize_t>(out.size()), "surrogatepass"));
  if (!back.is_valid()) throw nb::python_error();
  return nb::borrow<nb::str>(back);
}

}  // namespace

void bindText(nb::module_& m) {
  m.def("escape", &escape, nb::arg("text").none(), nb::sig("def escape(text: object) -> str"),
        "The text made safe as figure markup: '&', '<', '>' and '%' become entities that plotly.js\n"
        "shows as typed, so user text can neither open a tag nor form a hover placeholder.\n"
        "None gives \"\"; other objects are escaped as their str().");
}

}  // namespace tess::bind::theme
