// The theme component: fonts, sizes, colours and the figure template.
#include <nanobind/nanobind.h>

#include "convert/exceptions.hpp"

NB_MODULE(_theme, m) {
  m.doc() = "Fonts, sizes, colours and the figure template.";
  tess::bind::registerErrors();
}
