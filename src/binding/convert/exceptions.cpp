// Exception translation: each core error type becomes its Python namesake.
#include "convert/exceptions.hpp"

#include "errors.hpp"

namespace tess::bind {

namespace nb = nanobind;

void registerErrors() {
  nb::register_exception_translator([](const std::exception_ptr& p, void*) {
    try {
      std::rethrow_exception(p);
    } catch (const tess::KeyError& e) {
      PyErr_SetString(PyExc_KeyError, e.what());
    } catch (const tess::IndexError& e) {
      PyErr_SetString(PyExc_IndexError, e.what());
    } catch (const tess::TypeError& e) {
      PyErr_SetString(PyExc_TypeError, e.what());
    } catch (const tess::ValueError& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
    } catch (const tess::AttributeError& e) {
      PyErr_SetString(PyExc_AttributeError, e.what());
    }
  });
}

}  // namespace tess::bind
