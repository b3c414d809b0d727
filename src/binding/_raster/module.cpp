// The raster component: dense clouds of cells binned and shaded into one image.
#include <nanobind/nanobind.h>

#include "convert/exceptions.hpp"
#include "raster/bin.hpp"
#include "raster/fold.hpp"
#include "raster/shade.hpp"

namespace nb = nanobind;

namespace tess::bind::raster {
void bindBinning(nb::module_& m);  // _raster/bin.cpp
void bindShading(nb::module_& m);  // _raster/shade.cpp
}  // namespace tess::bind::raster

NB_MODULE(_raster, m) {
  m.doc() = "Dense clouds of cells binned and shaded into one image.";
  tess::bind::registerErrors();
  m.attr("GRID") = tess::raster::GRID;
  m.attr("MAX_CATEGORIES") = tess::raster::MAX_CATEGORIES;
  m.attr("MIN_ALPHA") = tess::raster::MIN_ALPHA;
  tess::bind::raster::bindBinning(m);
  tess::bind::raster::bindShading(m);
}
