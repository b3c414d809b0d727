// dots: the Dots record read into the core's.
#include "_render/families.hpp"

namespace tess::bind {

nb::object drawDots(nb::handle spec) { return notBuiltYet<render::Family::Dots>(spec); }

void bindDotsHelpers(nb::module_&) {}

}  // namespace tess::bind
