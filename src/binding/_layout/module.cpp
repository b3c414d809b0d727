// The layout component: text metrics, band rows, tick policy and label placement.
#include <nanobind/nanobind.h>

#include "convert/exceptions.hpp"

NB_MODULE(_layout, m) {
  m.doc() = "Text metrics, band rows, tick policy and label placement.";
  tess::bind::registerErrors();
}
