// Obstacles from paper annotations; ranges and axis types read off the layout; labels per marker-size step.
#include "render/finish/labels.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "layout/constants.hpp"
#include "layout/markup.hpp"
#include "layout/metrics.hpp"
#include "render/entry/checks.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
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

// The slider whose every step restyles the marker size of exactly `traces`, if any.
Value* resizingSlider(figure::Figure& fig, std::span<const std::int64_t> traces) {
  Value* sliders = fig.layout.find("sliders");
  if (traces.empty() || !sliders || !sliders->isArray()) return nullptr;
  Array wanted(traces.begin(), traces.end());
  for (Value& slider : sliders->asArray()) {
    const Value* steps = figure::member(slider, "steps");
    if (!steps || !steps->isArray() || steps->asArray().empty()) continue;
    bool resizes = std::all_of(steps->asArray().begin(), steps->asArray().end(), [&](const Value& step) {
      const Value* args = figure::member(step, "args");
      return figure::memberText(step, "method") == "restyle" && args && args->isArray() &&
             args->asArray().size() == 2 && figure::member(args->asArray()[0], "marker.size") &&
             args->asArray()[1] == Value(wanted);
    });
    if (resizes) return &slider;
  }
  return nullptr;
}

// Half the largest marker size a step sets.
double largestRadius(const Value& step) {
  double largest = 0;
  for (const Value& size : figure::member(figure::member(step, "args")->asArray()[0], "marker.size")->asArray()) {
    if (size.isNumber()) largest = std::max(largest, size.asDouble());
    else if (size.isTyped())
      for (std::size_t k = 0; k < size.asTyped().size(); ++k) largest = std::max(largest, size.asTyped().at(k));
  }
  return largest / 2.0;
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

std::pair<std::array<double, 2>, std::array<double, 2>> _drawnRanges(const figure::Figure& fig,
                                                                     std::array<double, 2> xRange,
                                                                     std::array<double, 2> yRange, double plotWidth,
                                                                     double plotHeight) {
  const Value* y = fig.layout.find("yaxis");
  if (!y || figure::memberText(*y, "scaleanchor") != "x" || isLog(fig, "xaxis") || isLog(fig, "yaxis"))
    return {xRange, yRange};
  const Value* ratio = figure::member(*y, "scaleratio");
  double r = ratio && ratio->isNumber() && ratio->asDouble() > 0 ? ratio->asDouble() : 1.0;
  double spanX = std::abs(xRange[1] - xRange[0]), spanY = std::abs(yRange[1] - yRange[0]);
  if (!(spanX > 0) || !(spanY > 0)) return {xRange, yRange};
  // Pixels per x unit each axis allows; the smaller one wins and the other range widens.
  double byX = plotWidth / spanX, byY = plotHeight / (spanY * r);
  auto widened = [](std::array<double, 2> range, double factor) {
    double centre = (range[0] + range[1]) / 2.0, half = (range[1] - range[0]) / 2.0 * factor;
    return std::array<double, 2>{centre - half, centre + half};
  };
  if (byX > byY) return {widened(xRange, byX / byY), yRange};
  if (byY > byX) return {xRange, widened(yRange, byY / byX)};
  return {xRange, yRange};
}

figure::Array _placeLabels(const figure::Figure& fig, std::span<const layout::LabelRecord> labels, double plotWidth,
                           double plotHeight, const LabelClearance& clearance) {
  std::vector<layout::LabelRecord> checked(labels.begin(), labels.end());
  for (std::size_t i = 0; i < checked.size(); ++i)
    if (checked[i].color) checked[i].color = checkedColor("labels[" + std::to_string(i) + "]['color']", *checked[i].color);
  auto xRange = rangeOf(fig, "xaxis");
  auto yRange = rangeOf(fig, "yaxis");
  if (!xRange || !yRange) return {};
  auto [drawnX, drawnY] = _drawnRanges(fig, *xRange, *yRange, plotWidth, plotHeight);
  std::vector<layout::Box> obstacles = _paperObstacles(fig, plotWidth, plotHeight);
  layout::PointLabelOptions options;
  if (clearance.markerRadiusPx) options.markerRadiusPx = *clearance.markerRadiusPx;
  options.points = clearance.points;
  options.pointRadiusPx = clearance.pointRadiusPx;
  options.lines = clearance.lines;
  options.obstacles = obstacles;
  options.logX = isLog(fig, "xaxis");
  options.logY = isLog(fig, "yaxis");
  return layout::pointLabels(checked, drawnX, drawnY, plotWidth, plotHeight, options);
}

figure::Array _labelsForSizes(figure::Figure& fig, std::span<const layout::LabelRecord> labels, double plotWidth,
                              double plotHeight, const LabelClearance& clearance, std::size_t first) {
  Value* slider = resizingSlider(fig, clearance.sizedTraces);
  if (!slider) return _placeLabels(fig, labels, plotWidth, plotHeight, clearance);
  Array& steps = slider->asObject().at("steps").asArray();
  const Value* active = figure::member(*slider, "active");
  std::size_t shown = active && active->isNumber() && active->asDouble() >= 0
                          ? std::min(static_cast<std::size_t>(active->asDouble()), steps.size() - 1)
                          : 0;
  // Each placement once, the shown step's first, so that they keep their order of importance;
  // shownBy[k][s] tells whether step s shows placement k.
  std::vector<std::size_t> order{shown};
  for (std::size_t s = 0; s < steps.size(); ++s)
    if (s != shown) order.push_back(s);
  Array placed;
  std::vector<std::vector<bool>> shownBy;
  for (std::size_t s : order) {
    LabelClearance sized = clearance;
    sized.markerRadiusPx = largestRadius(steps[s]);
    for (Value& label : _placeLabels(fig, labels, plotWidth, plotHeight, sized)) {
      auto same = std::find(placed.begin(), placed.end(), label);
      std::size_t k = static_cast<std::size_t>(same - placed.begin());
      if (same == placed.end()) {
        placed.push_back(std::move(label));
        shownBy.emplace_back(steps.size(), false);
      }
      shownBy[k][s] = true;
    }
  }
  for (std::size_t k = 0; k < placed.size(); ++k) placed[k].asObject().set("visible", static_cast<bool>(shownBy[k][shown]));
  for (std::size_t s = 0; s < steps.size(); ++s) {
    Object visibility;
    for (std::size_t k = 0; k < placed.size(); ++k)
      visibility.set("annotations[" + std::to_string(first + k) + "].visible", static_cast<bool>(shownBy[k][s]));
    Object& step = steps[s].asObject();
    Array& args = step.at("args").asArray();
    step.set("method", "update");
    step.set("args", Array{args[0], std::move(visibility), args[1]});
  }
  return placed;
}

}  // namespace tess::render
