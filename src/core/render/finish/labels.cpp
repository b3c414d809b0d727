// Obstacles from paper annotations; ranges and axis types read off the layout.
#include "render/finish/labels.hpp"

#include <array>
#include <optional>

#include "layout/constants.hpp"
#include "layout/markup.hpp"
#include "layout/metrics.hpp"
#include "render/entry/checks.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Value;

namespace {

std::optional<std::array<double, 2>> rangeOf(const figure::Figure& fig, const char* axis) {
  const Value* ax = fig.layout.find(axis);
  const Value* range = ax ? figure::member(*ax, "range") : nullptr;
  if (!range || !range->isSequence() || range->length() != 2) return std::nullopt;
  if (range->isTyped()) return std::array<double, 2>{range->asTyped().at(0), range->asTyped().at(1)};
  const auto& pair = range->asArray();
  if (!pair[0].isNumber() || !pair[1].isNumber()) return std::nullopt;
  return std::array<double, 2>{pair[0].asDouble(), pair[1].asDouble()};
}

bool isLog(const figure::Figure& fig, const char* axis) {
  const Value* ax = fig.layout.find(axis);
  return ax && figure::memberText(*ax, "type") == "log";
}

}  // namespace

std::vector<layout::Box> _paperObstacles(const figure::Figure& fig, double plotWidth, double plotHeight) {
  std::vector<layout::Box> boxes;
  const Value* notes = fig.layout.find("annotations");
  if (!notes || !notes->isArray()) return boxes;
  for (const Value& note : notes->asArray()) {
    if (figure::memberText(note, "xref") != "paper" || figure::memberText(note, "yref") != "paper") continue;
    const Value* x = figure::member(note, "x");
    const Value* y = figure::member(note, "y");
    std::string text = layout::plainText(figure::memberText(note, "text"));
    if (!x || !y || !x->isNumber() || !y->isNumber() || text.empty()) continue;
    double px = x->asDouble() * plotWidth, py = y->asDouble() * plotHeight;
    const Value* font = figure::member(note, "font");
    const Value* size = font ? figure::member(*font, "size") : nullptr;
    double fontPx = size && size->isNumber() && size->asDouble() != 0 ? size->asDouble() : theme::TICK_PX;
    double w = layout::textWidth(text, fontPx), h = fontPx * layout::LINE_HEIGHT;
    std::string xanchor = figure::memberText(note, "xanchor"), yanchor = figure::memberText(note, "yanchor");
    double x0 = xanchor == "right" ? px - w : xanchor == "center" ? px - w / 2.0 : px;
    double y0 = yanchor == "top" ? py - h : yanchor == "middle" ? py - h / 2.0 : py;
    boxes.push_back({x0, y0, x0 + w, y0 + h});
  }
  return boxes;
}

figure::Array _placeLabels(const figure::Figure& fig, std::span<const layout::LabelRecord> labels, double plotWidth,
                           double plotHeight) {
  std::vector<layout::LabelRecord> checked(labels.begin(), labels.end());
  for (std::size_t i = 0; i < checked.size(); ++i)
    if (checked[i].color) checked[i].color = checkedColor("labels[" + std::to_string(i) + "]['color']", *checked[i].color);
  auto xRange = rangeOf(fig, "xaxis");
  auto yRange = rangeOf(fig, "yaxis");
  if (!xRange || !yRange) return {};
  std::vector<layout::Box> obstacles = _paperObstacles(fig, plotWidth, plotHeight);
  layout::PointLabelOptions options;
  options.obstacles = obstacles;
  options.logX = isLog(fig, "xaxis");
  options.logY = isLog(fig, "yaxis");
  return layout::pointLabels(checked, *xRange, *yRange, plotWidth, plotHeight, options);
}

}  // namespace tess::render
