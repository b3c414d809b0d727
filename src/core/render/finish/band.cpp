// Band placement: the last row sits a gap above the plot, earlier rows above it.
#include "render/finish/band.hpp"

#include <algorithm>

#include "errors.hpp"
#include "figure/path.hpp"
#include "layout/band.hpp"
#include "layout/constants.hpp"
#include "layout/metrics.hpp"
#include "layout/slider.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::Value;

namespace {

struct Frame {
  double plotWidth, plotHeight, left, right;
  double edge(const std::string& side) const {
    if (side == "left") return -(left - layout::PAGE_PAD) / plotWidth;
    if (side == "right") return 1.0 + (right - layout::PAGE_PAD) / plotWidth;
    throw KeyError(side);
  }
};

double rowHeight(const Object& row) {
  double height = 0.0;
  for (const auto& [side, entry] : row) height = std::max(height, layout::rowHeight(layout::entryKind(entry.asObject())));
  return height;
}

Object caption(const std::string& label, double x, double y, double height) {
  return Object{{"text", "<b>" + theme::escape(label) + "</b>"},
                {"showarrow", false},
                {"xref", "paper"},
                {"yref", "paper"},
                {"x", x},
                {"y", y},
                {"xanchor", "left"},
                {"yanchor", "bottom"},
                {"yshift", (height - theme::TICK_PX) / 2.0},
                {"font", Object{{"size", theme::TICK_PX}, {"color", layout::CAPTION_COLOR}}}};
}

void placeNote(figure::Figure& fig, const Object& entry, const std::string& side, double x, double y,
               double height) {
  Value* notes = fig.layout.find("annotations");
  std::int64_t index = entry.at("index").asInt();
  if (!notes || !notes->isArray() || index < 0 || static_cast<std::size_t>(index) >= notes->asArray().size())
    throw IndexError("annotation index out of range");
  Value& note = notes->asArray()[static_cast<std::size_t>(index)];
  if (!note.isObject()) note = Object{};
  figure::update(note.asObject(), Object{{"xref", "paper"}, {"yref", "paper"}, {"x", x}, {"y", y},
                                         {"xanchor", side}, {"yanchor", "bottom"},
                                         {"yshift", (height - theme::TICK_PX) / 2.0}});
}

Object placedSlider(Object menu, const std::string& side, double x, double y, const Frame& frame) {
  std::vector<std::string> labels;
  if (const Value* steps = menu.find("steps"); steps && steps->isArray())
    for (const Value& step : steps->asArray()) labels.push_back(figure::memberText(step, "label"));
  double first = labels.empty() ? 0.0 : layout::textWidth(labels.front(), theme::TICK_PX);
  double last = labels.empty() ? 0.0 : layout::textWidth(labels.back(), theme::TICK_PX);
  double span = frame.plotWidth + frame.left + frame.right - 2.0 * layout::PAGE_PAD;
  auto [length, fontSize] =
      layout::sliderLength(labels, theme::TICK_PX, frame.plotWidth, span - (first + last) / 2.0);
  figure::update(menu, Object{{"x", x + (first / 2.0) / frame.plotWidth}, {"y", y}, {"len", length},
                              {"font", Object{{"size", fontSize}}}, {"xanchor", side}, {"yanchor", "bottom"}});
  return menu;
}

Object placedDropdown(Object menu, const std::string& side, double x, double y) {
  figure::update(menu, Object{{"x", x}, {"y", y}, {"xanchor", side}, {"yanchor", "bottom"}});
  for (auto& [key, value] : Object{{"showactive", true}, {"bgcolor", MENU_BACKGROUND}, {"bordercolor", MENU_BORDER},
                                   {"font", Object{{"size", theme::TICK_PX}}}})
    if (!menu.contains(key)) menu.set(key, value);
  return menu;
}

}  // namespace

Array _placeControls(figure::Figure& fig, std::span<const Object> rows, double plotWidth, double plotHeight,
                     double left, double right, double gap) {
  const Frame frame{plotWidth, plotHeight, left, right};
  Array menus, sliders, captions;
  double offset = gap;
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    double height = rowHeight(*row);
    double y = 1.0 + offset / plotHeight;
    for (const auto& [side, value] : *row) {
      const Object& entry = value.asObject();
      Value menu = entry.at("menu");
      std::string label = figure::memberText(value, "label");
      double x = frame.edge(side);
      if (!label.empty() && side == "left") {
        captions.emplace_back(caption(label, x, y, height));
        x += (layout::textWidth(label, theme::TICK_PX, layout::Weight::Bold) + CAPTION_TO_CONTROL) / plotWidth;
      }
      std::string kind = layout::entryKind(entry);
      if (kind == "note") placeNote(fig, entry, side, x, y, height);
      else if (kind == "slider") sliders.emplace_back(placedSlider(menu.asObject(), side, x, y, frame));
      else menus.emplace_back(placedDropdown(menu.asObject(), side, x, y));
    }
    offset += height + layout::ROW_GAP;
  }
  if (!menus.empty()) fig.layout.set("updatemenus", std::move(menus));
  if (!sliders.empty()) fig.layout.set("sliders", std::move(sliders));
  return captions;
}

}  // namespace tess::render
