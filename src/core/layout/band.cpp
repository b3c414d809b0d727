// Band rows: greedy packing in entry order with widths measured in the figure font.
#include "layout/band.hpp"

#include <algorithm>

#include "errors.hpp"
#include "layout/constants.hpp"
#include "layout/metrics.hpp"
#include "theme/theme.hpp"

namespace tess::layout {

using figure::Array;
using figure::Object;
using figure::Value;

namespace {

constexpr double kTickPx = theme::TICK_PX;
// A caption shorter than this is no use; below it the caption is left out.
constexpr double kMinCaption = 40.0;

std::string sideOf(const Object& entry) {
  const Value* align = entry.find("align");
  return align && align->isString() ? align->asString() : "left";
}

std::string captionOf(const Object& entry) {
  const Value* label = entry.find("label");
  return label && label->isString() ? label->asString() : "";
}

double captionWidth(const Object& entry) {
  std::string caption = captionOf(entry);
  if (caption.empty() || sideOf(entry) != "left") return 0.0;
  return textWidth(caption, kTickPx, Weight::Bold) + CAPTION_GAP;
}

std::vector<std::string> buttonLabels(const Object& entry) {
  std::vector<std::string> labels;
  const Value* menu = entry.find("menu");
  if (!menu || !menu->isObject()) return labels;
  const Value* buttons = menu->asObject().find("buttons");
  if (!buttons || !buttons->isArray()) return labels;
  for (const Value& button : buttons->asArray()) {
    const Value* label = button.isObject() ? button.asObject().find("label") : nullptr;
    labels.push_back(label && label->isString() ? label->asString() : "");
  }
  return labels;
}

double controlWidth(const Object& entry, double availablePx, const Array* annotations) {
  std::string kind = entryKind(entry);
  if (kind == "slider") return availablePx;
  if (kind == "note") {
    std::int64_t index = entry.at("index").asInt();
    // A note whose text changes with the state names every text it shows: room for the widest.
    const Value* texts = entry.at("menu").isObject() ? entry.at("menu").asObject().find("texts") : nullptr;
    if (texts && texts->isArray()) {
      double widestText = 0;
      for (const Value& text : texts->asArray())
        if (text.isString()) widestText = std::max(widestText, textWidth(text.asString(), kTickPx));
      return widestText;
    }
    if (!annotations) return 0.0;
    if (index < 0 || static_cast<std::size_t>(index) >= annotations->size())
      throw IndexError("a note names annotation " + std::to_string(index) + ", which the figure lacks");
    const Value& note = (*annotations)[static_cast<std::size_t>(index)];
    const Value* text = note.isObject() ? note.asObject().find("text") : nullptr;
    return text && text->isString() ? textWidth(text->asString(), kTickPx) : 0.0;
  }
  return widest(buttonLabels(entry), kTickPx) + DROPDOWN_CHROME;
}

// Shortens the caption, then the button labels, of an entry too wide for the band.
Object fitted(Object entry, double availablePx) {
  if (entryKind(entry) != "dropdown") return entry;
  double control = widest(buttonLabels(entry), kTickPx) + DROPDOWN_CHROME;
  double captionRoom = availablePx - control - CAPTION_GAP;
  if (captionWidth(entry) > 0 && control + captionWidth(entry) > availablePx) {
    if (captionRoom >= kMinCaption) entry.set("label", truncate(captionOf(entry), kTickPx, captionRoom, Weight::Bold));
    else entry.erase("label");
  }
  if (control > availablePx) {
    Array& buttons = entry.at("menu").asObject().at("buttons").asArray();
    for (Value& button : buttons) {
      Value* label = button.asObject().find("label");
      if (label && label->isString())
        *label = truncate(label->asString(), kTickPx, std::max(availablePx - DROPDOWN_CHROME, 0.0));
    }
  }
  return entry;
}

}  // namespace

std::string entryKind(const Object& entry) {
  const Value* kind = entry.find("kind");
  return kind && kind->isString() ? kind->asString() : "dropdown";
}

double entryWidth(const Object& entry, double availablePx, const Array* annotations) {
  return captionWidth(entry) + controlWidth(entry, availablePx, annotations);
}

std::vector<Object> bandRows(std::span<const Object> entries, double availablePx, const Array* annotations) {
  std::vector<Object> rows;
  double used = 0.0;
  for (const Object& given : entries) {
    if (!given.contains("menu")) throw KeyError("menu");
    std::string side = sideOf(given);
    if (side != "left" && side != "right") throw KeyError(side);
    Object entry = fitted(given, availablePx);
    double width = entryWidth(entry, availablePx, annotations);
    bool fits = !rows.empty() && !rows.back().contains(side) && used + SIDE_GAP + width <= availablePx;
    if (!fits) {
      rows.emplace_back();
      used = 0.0;
    } else {
      used += SIDE_GAP;
    }
    used += width;
    rows.back().set(side, std::move(entry));
  }
  return rows;
}

double bandHeight(std::span<const Object> rows) {
  double height = 0.0;
  for (const Object& row : rows) {
    double tallest = 0.0;
    for (const auto& [side, entry] : row) tallest = std::max(tallest, rowHeight(entryKind(entry.asObject())));
    height += tallest;
  }
  return rows.empty() ? 0.0 : height + ROW_GAP * static_cast<double>(rows.size() - 1);
}

double titleHeight(std::string_view title, std::string_view note) {
  if (title.empty() && note.empty()) return 0.0;
  if (title.empty()) return kTickPx * LINE_HEIGHT;
  if (note.empty()) return theme::TITLE_PX * LINE_HEIGHT;
  return theme::TITLE_PX * TITLE_BOX_EM + SUBTITLE_PADDING_EM * kTickPx + kTickPx * LINE_HEIGHT;
}

}  // namespace tess::layout
