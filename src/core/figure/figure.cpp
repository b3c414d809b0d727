// Figure operations with the semantics of their plotly.py namesakes.
#include "figure/figure.hpp"

#include <algorithm>
#include <set>
#include <sstream>

#include "errors.hpp"
#include "figure/path.hpp"

namespace tess::figure {

void Figure::setLayout(std::string_view path, Value value) {
  assign(layout, parsePath(path)) = std::move(value);
}

void Figure::updateLayout(const Object& patch) { update(layout, patch); }

static bool isAxisKey(std::string_view key, char letter) {
  if (key.size() < 5 || key[0] != letter || key.substr(1, 4) != "axis") return false;
  std::string_view suffix = key.substr(5);
  if (suffix.empty()) return true;
  return suffix.front() != '0' && std::all_of(suffix.begin(), suffix.end(), [](char c) {
           return c >= '0' && c <= '9';
         });
}

std::vector<std::string> Figure::axisKeys(char letter) const {
  std::vector<std::string> keys;
  for (const auto& [key, value] : layout)
    if (isAxisKey(key, letter)) keys.push_back(key);
  return keys;
}

void Figure::updateAxes(char letter, const Object& patch) {
  std::vector<std::string> keys = axisKeys(letter);
  if (keys.empty()) keys.push_back(std::string(1, letter) + "axis");
  for (const std::string& key : keys) update(child(layout, key), patch);
}

void Figure::addHline(Value y, const Object& options) { addSpanningLine(true, std::move(y), options); }
void Figure::addVline(Value x, const Object& options) { addSpanningLine(false, std::move(x), options); }

namespace {

struct AnchorRule {
  const char* xanchor;
  const char* yanchor;
  // Where the text sits along the line: 0 at its start, 1 at its end, 0.5 midway.
  double along;
};

std::set<std::string> words(const std::string& position) {
  std::set<std::string> out;
  std::istringstream in(position);
  for (std::string w; in >> w;) out.insert(w);
  return out;
}

// plotly.py's placement of a line's annotation for each position keyword set.
AnchorRule anchorFor(bool horizontal, const std::string& position) {
  using W = std::set<std::string>;
  const W w = words(position);
  if (horizontal) {
    if (w == W{"top", "left"}) return {"left", "bottom", 0.0};
    if (w == W{"top", "right"}) return {"right", "bottom", 1.0};
    if (w == W{"top"}) return {"center", "bottom", 0.5};
    if (w == W{"bottom", "left"}) return {"left", "top", 0.0};
    if (w == W{"bottom", "right"}) return {"right", "top", 1.0};
    if (w == W{"bottom"}) return {"center", "top", 0.5};
    if (w == W{"left"}) return {"right", "middle", 0.0};
    if (w == W{"right"}) return {"left", "middle", 1.0};
  } else {
    if (w == W{"top", "left"}) return {"right", "top", 1.0};
    if (w == W{"top", "right"}) return {"left", "top", 1.0};
    if (w == W{"top"}) return {"center", "bottom", 1.0};
    if (w == W{"bottom", "left"}) return {"right", "bottom", 0.0};
    if (w == W{"bottom", "right"}) return {"left", "bottom", 0.0};
    if (w == W{"bottom"}) return {"center", "top", 0.0};
    if (w == W{"left"}) return {"right", "middle", 0.5};
    if (w == W{"right"}) return {"left", "middle", 0.5};
  }
  throw ValueError("Invalid annotation position \"" + position + "\"");
}

}  // namespace

void Figure::addSpanningLine(bool horizontal, Value at, const Object& options) {
  const std::string prefix = "annotation_";
  Object shape{{"type", "line"}};
  Object annotation;
  std::string position = "top right";
  for (const auto& [key, value] : options) {
    if (key == "annotation_position") {
      position = value.asString();
    } else if (key == "annotation" && value.isObject()) {
      update(annotation, value.asObject());
    } else if (key.rfind(prefix, 0) == 0) {
      update(annotation, Object{{key.substr(prefix.size()), value}});
    }
  }
  if (horizontal) {
    update(shape, Object{{"x0", 0}, {"x1", 1}, {"xref", "x domain"}, {"y0", at}, {"y1", at}, {"yref", "y"}});
  } else {
    update(shape, Object{{"x0", at}, {"x1", at}, {"xref", "x"}, {"y0", 0}, {"y1", 1}, {"yref", "y domain"}});
  }
  for (const auto& [key, value] : options)
    if (key != "annotation" && key.rfind(prefix, 0) != 0) update(shape, Object{{key, value}});

  Value& shapes = layout["shapes"];
  if (!shapes.isArray()) shapes = Array{};
  shapes.asArray().emplace_back(shape);

  if (annotation.empty()) return;
  const AnchorRule rule = anchorFor(horizontal, position);
  Value along = rule.along == 0.5 ? Value(0.5) : Value(static_cast<int>(rule.along));
  Object placed{{"xanchor", rule.xanchor}, {"yanchor", rule.yanchor}};
  if (horizontal) {
    placed.set("x", along);
    placed.set("y", at);
    placed.set("xref", "x domain");
    placed.set("yref", "y");
  } else {
    placed.set("x", at);
    placed.set("y", along);
    placed.set("xref", "x");
    placed.set("yref", "y domain");
  }
  placed.set("showarrow", false);
  // What the caller gave wins over the computed placement.
  for (const auto& [key, value] : annotation) placed.set(key, value);
  Value& annotations = layout["annotations"];
  if (!annotations.isArray()) annotations = Array{};
  annotations.asArray().emplace_back(std::move(placed));
}

Object Figure::toObject() const { return Object{{"data", data}, {"layout", layout}}; }

}  // namespace tess::figure
