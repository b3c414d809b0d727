// The raster component: dense clouds of cells binned and shaded into one image.
#include <nanobind/nanobind.h>

#include "convert/exceptions.hpp"

NB_MODULE(_raster, m) {
  m.doc() = "Dense clouds of cells binned and shaded into one image.";
  tess::bind::registerErrors();
}
