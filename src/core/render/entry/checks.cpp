#include "render/entry/checks.hpp"

#include <algorithm>
#include <cmath>

#include "errors.hpp"
#include "frame/format.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Value;

namespace {

constexpr std::size_t kShownBytes = 60;

[[noreturn]] void refuse(std::string_view attribute, std::string_view rule, const std::string& shown) {
  throw ValueError(std::string(attribute) + " must be " + std::string(rule) + ", not " + shown);
}

bool inRange(double v, const Range& range) { return v >= range.low && v <= range.high; }  // NaN fails

}  // namespace

std::string shownText(std::string_view text) {
  bool cut = text.size() > kShownBytes;
  if (cut) {
    std::size_t end = kShownBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;  // whole characters
    text = text.substr(0, end);
  }
  std::string out = "'";
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '\'' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + (cut ? "...'" : "'");
}

std::string shownValue(const Value& value) {
  if (value.isNull()) return "None";
  if (value.isBool()) return frame::formatBool(value.asBool());
  if (value.isDouble()) return frame::formatDouble(value.asDouble());
  if (value.isNumber()) return figure::toText(value);
  if (value.isString()) return shownText(value.asString());
  if (value.isObject()) return "a mapping";
  return "a sequence of " + std::to_string(value.length());
}

std::string subscripted(std::string_view attribute, std::string_view key) {
  return std::string(attribute) + "[" + shownText(key) + "]";
}

Value checkedNumber(std::string_view attribute, const Value& value, const Range& range) {
  if (value.isNull()) return value;
  if (!value.isNumber() || !inRange(value.asDouble(), range)) refuse(attribute, range.rule, shownValue(value));
  return value;
}

std::optional<double> checkedNumber(std::string_view attribute, std::optional<double> value, const Range& range) {
  if (value && !inRange(*value, range)) refuse(attribute, range.rule, frame::formatDouble(*value));
  return value;
}

std::string checkedColor(std::string_view attribute, std::string_view colour) {
  theme::Color parsed;
  try {
    parsed = theme::parseColor(colour);
  } catch (const ValueError&) {
    refuse(attribute, "a colour (a CSS name, #hex, rgb(), rgba(), hsl() or hsla())", shownText(colour));
  }
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; };
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  bool hex = colour[colour.find_first_not_of(" \t\n\r\f\v")] == '#';
  // Every CSS name is opaque but "transparent", which plotly.py does not know.
  bool named = parsed.a == 1 && std::all_of(colour.begin(), colour.end(), [&](char c) { return letter(c) || blank(c); });
  if (hex || named) return std::string(colour);
  return theme::rgba(colour, 1.0);
}

}  // namespace tess::render
