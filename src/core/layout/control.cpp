// Control entries and row heights.
#include "layout/control.hpp"

#include "errors.hpp"
#include "layout/constants.hpp"

namespace tess::layout {

double rowHeight(std::string_view kind) {
  for (const RowHeight& row : ROW_HEIGHT)
    if (row.kind == kind) return row.px;
  return DEFAULT_ROW_HEIGHT;
}

figure::Object control(figure::Object menu, std::string_view kind, std::optional<std::string> label,
                       std::string_view align, std::optional<std::int64_t> index) {
  if (kind != "dropdown" && kind != "slider" && kind != "note")
    throw ValueError("a control is a dropdown, a slider or a note, not '" + std::string(kind) + "'");
  if (align != "left" && align != "right")
    throw ValueError("a control sits left or right, not '" + std::string(align) + "'");
  if (kind == "note" && !index) throw ValueError("a note names the annotation it moves");
  figure::Object entry{{"menu", std::move(menu)}, {"kind", kind}};
  if (label) entry.set("label", *label);
  entry.set("align", align);
  if (index) entry.set("index", *index);
  return entry;
}

}  // namespace tess::layout
