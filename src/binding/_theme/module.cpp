// The theme component: fonts, sizes, colours and the figure template.
#include <nanobind/nanobind.h>

#include "_theme/bind.hpp"
#include "convert/exceptions.hpp"

NB_MODULE(_theme, m) {
  m.doc() = "Fonts, sizes, colours and the figure template.";
  tess::bind::registerErrors();
  tess::bind::theme::bindTemplate(m);
  tess::bind::theme::bindText(m);
  tess::bind::theme::bindColors(m);
}
