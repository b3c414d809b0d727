// Title placement in container coordinates; tick arrays only where plotly's own would differ.
#include "render/finish/title_ticks.hpp"

#include <algorithm>
#include <array>
#include <map>

#include "layout/band.hpp"
#include "layout/constants.hpp"
#include "layout/markup.hpp"
#include "layout/metrics.hpp"
#include "render/entry/constants.hpp"
#include "render/finish/labels.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::Value;

namespace {

// Numbers sit centred on their ticks, and a tick can fall on either end of the axis: half
// a number reaches past the ends of an x axis, half a line past the ends of a y axis.
layout::TickPolicy numericTicks(char axis, bool hidden) {
  double line = theme::TICK_PX * layout::LINE_HEIGHT;
  // One level line of numbers under an x axis, as deep as a level category label.
  static const double levelDepth = layout::tickPolicy(std::vector<std::string>{"0"}, 1000.0, std::nullopt, 'x').extent;
  double extent = hidden ? 0.0 : axis == 'x' ? levelDepth : NUMERIC_WIDTH;
  double overhang = hidden ? 0.0 : axis == 'x' ? NUMERIC_WIDTH / 2.0 - layout::TICK_PAD : line / 2.0;
  return layout::TickPolicy{0.0, static_cast<double>(theme::TICK_PX), 1, extent, {}, overhang, overhang};
}

// Every step-th entry, starting with the first.
Array strided(const Array& values, std::int64_t step) {
  Array out;
  for (std::size_t i = 0; i < values.size(); i += static_cast<std::size_t>(step)) out.push_back(values[i]);
  return out;
}

}  // namespace

HeadingLines _headingLines(std::string_view title, std::string_view note, double figureWidth, double cornerWidth,
                           std::size_t maxLines) {
  HeadingLines out;
  out.titled = !title.empty();
  std::string_view heading = out.titled ? title : note;
  if (heading.empty()) return out;
  double px = out.titled ? theme::TITLE_PX : theme::TICK_PX;
  double room = std::max(figureWidth - 2.0 * layout::PAGE_PAD, 0.0);
  // The first line shares its height with the mode bar.
  double firstRoom = std::max(figureWidth - layout::PAGE_PAD - cornerWidth - layout::TITLE_GAP, 0.0);
  out.heading = layout::wrapText(heading, px, firstRoom, room, std::min(maxLines, MAX_HEADING_LINES));
  if (out.titled && !note.empty()) {
    std::string shown(note);
    out.note = layout::textWidth(shown, theme::TICK_PX) <= room ? shown : layout::truncate(shown, theme::TICK_PX, room);
  }
  return out;
}

double _headingHeight(const HeadingLines& lines) {
  if (lines.heading.empty()) return 0.0;
  double px = lines.titled ? theme::TITLE_PX : theme::TICK_PX;
  double extra = static_cast<double>(lines.heading.size() - 1) * px * layout::LINE_HEIGHT;
  return layout::titleHeight(lines.heading.front(), lines.titled ? lines.note : "") + extra;
}

void _applyTitle(figure::Figure& fig, const HeadingLines& lines, double width, double height) {
  if (lines.heading.empty()) {
    fig.layout.set("title", Value());
    return;
  }
  std::string text;
  for (const std::string& line : lines.heading) text += (text.empty() ? "" : "<br>") + theme::escape(line);
  double headingPx = lines.titled ? theme::TITLE_PX : theme::TICK_PX;
  Object font{{"size", headingPx}, {"color", lines.titled ? TITLE_COLOR : NOTE_COLOR}};
  Object block{
      {"text", text},
      {"font", font},
      {"xref", "container"},
      {"x", layout::PAGE_PAD / width},
      {"xanchor", "left"},
      {"yref", "container"},
      {"y", 1.0 - (layout::PAGE_PAD + (lines.heading.size() > 1 ? MULTILINE_RAISE_EM * headingPx : 0.0)) / height},
      {"yanchor", "top"},
      {"pad", Object{{"t", 0}, {"b", 0}, {"l", 0}, {"r", 0}}},
  };
  if (!lines.note.empty()) {
    block.set("subtitle", Object{{"text", theme::escape(lines.note)},
                                 {"font", Object{{"size", theme::TICK_PX}, {"color", NOTE_COLOR}}}});
  }
  fig.layout.set("title", std::move(block));
}

std::vector<std::vector<std::string>> _stateCategoryOrders(std::span<const Object> controls, char axis) {
  const std::string key = std::string(1, axis) + "axis.categoryarray";
  std::vector<std::vector<std::string>> orders;
  for (const Object& entry : controls) {
    const Value* menu = entry.find("menu");
    const Value* buttons = menu ? figure::member(*menu, "buttons") : nullptr;
    if (!buttons || !buttons->isArray()) continue;
    for (const Value& button : buttons->asArray()) {
      const Value* args = figure::member(button, "args");
      if (!args || !args->isArray()) continue;
      for (const Value& update : args->asArray()) {
        const Value* order = figure::member(update, key);
        if (!order || !order->isArray()) continue;
        std::vector<std::string> labels;
        for (const Value& name : order->asArray()) labels.push_back(layout::plainText(figure::toText(name)));
        orders.push_back(std::move(labels));
      }
    }
  }
  return orders;
}

layout::TickPolicy _applyTicks(figure::Figure& fig, char axis, double spanPx, std::optional<double> tickFont,
                               std::span<const std::vector<std::string>> orders) {
  const Value* ax = fig.layout.find(axis == 'x' ? "xaxis" : "yaxis");
  bool hidden = ax && figure::memberIs(*ax, "showticklabels", false);
  std::vector<std::string> labels = layout::axisLabels(fig, axis);
  if (labels.empty()) return numericTicks(axis, hidden);
  layout::TickPolicy policy = layout::tickPolicy(labels, spanPx, tickFont, axis, orders);
  if (hidden) {
    policy.extent = 0.0;
    policy.overhangStart = policy.overhangEnd = 0.0;
    return policy;
  }
  Object update{{"tickangle", policy.angle}, {"tickfont", Object{{"size", policy.font}}}};

  // Values stay as the axis had them; texts are the policy's, escaped, because plotly
  // would otherwise read a category name such as "<b>A</b>" as markup.
  const Value* given = ax ? figure::member(*ax, "tickvals") : nullptr;
  bool explicitValues = given && given->isSequence() && given->length() > 0;
  std::vector<std::string> categories = explicitValues ? std::vector<std::string>{} : layout::axisCategories(fig, axis);
  Array values;
  if (explicitValues && given->isArray()) values = given->asArray();
  else if (explicitValues)
    for (std::size_t i = 0; i < given->asTyped().size(); ++i) values.emplace_back(given->asTyped().at(i));
  else
    for (const std::string& category : categories) values.emplace_back(category);
  Array texts;
  bool changed = false;
  for (std::size_t i = 0; i < policy.labels.size(); ++i) {
    std::string text = theme::escape(policy.labels[i]);
    changed = changed || text != (i < categories.size() ? categories[i] : labels[i]);
    texts.emplace_back(std::move(text));
  }
  // A state's order drawn by plotly itself would show its names unshortened.
  for (const std::vector<std::string>& order : orders)
    for (const std::string& label : order)
      changed = changed || layout::truncate(label, policy.font, layout::TICK_LABEL_LIMIT) != label;
  if (policy.step > 1 || changed || explicitValues) {
    if (values.size() != texts.size()) values.resize(std::min(values.size(), texts.size()));
    texts.resize(values.size());
    update.set("tickmode", "array");
    update.set("tickvals", strided(values, policy.step));
    update.set("ticktext", strided(texts, policy.step));
  }
  fig.updateAxes(axis, update);
  return policy;
}

PlotSpans _categorySpans(const figure::Figure& fig, double plotWidth, double plotHeight) {
  std::size_t nx = layout::axisCategories(fig, 'x').size(), ny = layout::axisCategories(fig, 'y').size();
  if (!nx || !ny) return {plotWidth, plotHeight};
  // Categories stand one unit apart, the outer ones half a unit in from the ends.
  auto units = [](std::size_t n) { return std::array<double, 2>{-0.5, static_cast<double>(n) - 0.5}; };
  auto [x, y] = _drawnRanges(fig, units(nx), units(ny), plotWidth, plotHeight);
  return {plotWidth * static_cast<double>(nx) / (x[1] - x[0]), plotHeight * static_cast<double>(ny) / (y[1] - y[0])};
}

void _followCategoryOrders(figure::Figure& fig, char axis) {
  const Value* ax = fig.layout.find(axis == 'x' ? "xaxis" : "yaxis");
  const Value* tickvals = ax ? figure::member(*ax, "tickvals") : nullptr;
  const Value* ticktext = ax ? figure::member(*ax, "ticktext") : nullptr;
  if (!tickvals || !ticktext || !tickvals->isArray() || !ticktext->isArray() ||
      figure::memberText(*ax, "categoryorder") != "array")
    return;
  // The texts written for each category, and the stride they were written at.
  std::vector<std::string> categories = layout::axisCategories(fig, axis);
  const Array& shown = tickvals->asArray();
  if (shown.empty()) return;
  std::map<std::string, Value> textOf;
  for (std::size_t i = 0; i < shown.size() && i < ticktext->asArray().size(); ++i)
    textOf.emplace(figure::toText(shown[i]), ticktext->asArray()[i]);
  auto first = std::find(categories.begin(), categories.end(), figure::toText(shown[0]));
  auto second = shown.size() > 1 ? std::find(categories.begin(), categories.end(), figure::toText(shown[1]))
                                 : categories.end();
  if (first == categories.end() || (shown.size() > 1 && (second == categories.end() || second <= first))) return;
  std::size_t step = shown.size() > 1 ? static_cast<std::size_t>(second - first) : categories.size();
  const Value* tickfont = figure::member(*ax, "tickfont");
  const Value* size = tickfont ? figure::member(*tickfont, "size") : nullptr;
  double font = size && size->isNumber() ? size->asDouble() : theme::TICK_PX;

  const std::string key = std::string(1, axis) + "axis.categoryarray";
  Value* menus = fig.layout.find("updatemenus");
  if (!menus || !menus->isArray()) return;
  for (Value& menu : menus->asArray()) {
    Value* buttons = menu.isObject() ? menu.asObject().find("buttons") : nullptr;
    if (!buttons || !buttons->isArray()) continue;
    for (Value& button : buttons->asArray()) {
      Value* args = button.isObject() ? button.asObject().find("args") : nullptr;
      if (!args || !args->isArray() || args->asArray().size() < 2 || !args->asArray()[1].isObject()) continue;
      Object& update = args->asArray()[1].asObject();
      const Value* order = update.find(key);
      if (!order || !order->isArray()) continue;
      // The state's own order at the same stride; a category the stride skipped in the
      // first order is shortened as the policy shortens labels.
      Array values, texts;
      const Array& names = order->asArray();
      for (std::size_t i = 0; i < names.size(); i += step) {
        std::string name = figure::toText(names[i]);
        auto found = textOf.find(name);
        values.emplace_back(name);
        texts.push_back(found != textOf.end()
                            ? found->second
                            : Value(theme::escape(layout::truncate(layout::plainText(name), font,
                                                                   layout::TICK_LABEL_LIMIT))));
      }
      std::string prefix(1, axis);
      update.set(prefix + "axis.tickvals", std::move(values));
      update.set(prefix + "axis.ticktext", std::move(texts));
    }
  }
}

}  // namespace tess::render
