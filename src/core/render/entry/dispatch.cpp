// The config record: export settings, gate editing, point selection.
#include "render/entry/dispatch.hpp"

#include <algorithm>
#include <string>

namespace tess::render {

using figure::Array;
using figure::Object;

std::string notASpecMessage(std::string_view typeName) {
  return std::string(typeName) + " is not an interactive spec.";
}

Object configFor(std::span<const Family> families) {
  auto is = [&](Family f) { return std::find(families.begin(), families.end(), f) != families.end(); };
  Object config{
      {"displaylogo", false},
      {"responsive", true},
      {"toImageButtonOptions", Object{{"format", "png"}, {"scale", 3}}},
  };
  if (is(Family::Gate)) {
    // Threshold lines are editable shapes; dragging them needs this permission.
    config.set("edits", Object{{"shapePosition", true}});
    config.set("modeBarButtonsToAdd", Array{"drawline", "eraseshape"});
  }
  if (is(Family::Points)) config.set("modeBarButtonsToAdd", Array{"lasso2d", "select2d"});
  // The bundled plotly.js offers to upload the figure to a web service by default;
  // a page of unpublished data must never send it off the machine.
  config.set("showSendToCloud", false);
  return config;
}

}  // namespace tess::render
