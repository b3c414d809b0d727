// matrix: the Matrix record read into the core's.
#include "_render/families.hpp"

namespace tess::bind {

nb::object drawMatrix(nb::handle spec) { return notBuiltYet<render::Family::Matrix>(spec); }

void bindMatrixHelpers(nb::module_&) {}

}  // namespace tess::bind
