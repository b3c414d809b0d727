// Theme constants and the plotly template.
#include <nanobind/stl/string.h>

#include <string>

#include "_theme/bind.hpp"
#include "convert/value.hpp"
#include "theme/theme.hpp"

namespace tess::bind::theme {

namespace nb = nanobind;
namespace core = tess::theme;

void bindTemplate(nb::module_& m) {
  m.attr("WIDTH") = core::WIDTH;
  m.attr("HEIGHT") = core::HEIGHT;
  m.attr("TITLE_PX") = core::TITLE_PX;
  m.attr("TICK_PX") = core::TICK_PX;
  m.attr("BODY_PX") = core::BODY_PX;
  m.attr("FONT_FAMILY") = std::string(core::FONT_FAMILY);
  m.attr("MISSING") = std::string(core::MISSING);
  nb::list colorway;
  for (auto color : core::COLORWAY) colorway.append(nb::str(color.data(), color.size()));
  m.attr("COLORWAY") = nb::tuple(colorway);

  m.def(
      "template",
      [] {
        nb::object Template = nb::module_::import_("plotly.graph_objects").attr("layout").attr("Template");
        return Template(**toPython(core::figureTemplate()));
      },
      nb::sig("def template() -> \"plotly.graph_objects.layout.Template\""),
      "The figure template: fonts, colours, axes, legend, hover labels and colorbar defaults.");
}

}  // namespace tess::bind::theme
