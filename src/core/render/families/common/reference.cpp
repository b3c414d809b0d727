#include "render/families/common/reference.hpp"

#include <cmath>
#include <string>

#include "errors.hpp"

namespace tess::render {

using figure::Object;

void addReference(figure::Figure& fig, char axis, double at, std::string_view colour) {
  if (!std::isfinite(at)) throw ValueError("reference: " + std::to_string(at) + " is not a finite position");
  Object line{{"line", Object{{"color", std::string(colour)}, {"width", 1}, {"dash", "dash"}}}};
  if (axis == 'x') fig.addVline(at, line);
  else fig.addHline(at, line);
}

}  // namespace tess::render
