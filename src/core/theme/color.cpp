// Colour parsing and the rgba() form used for translucent fills.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "errors.hpp"
#include "theme/theme.hpp"

namespace tess::theme {

namespace {

struct Named {
  std::string_view name;
  std::uint32_t rgb;
};

// The CSS Color 4 names, sorted for binary search.
constexpr Named NAMED[] = {
    {"aliceblue", 0xF0F8FF}, {"antiquewhite", 0xFAEBD7}, {"aqua", 0x00FFFF},
    {"aquamarine", 0x7FFFD4}, {"azure", 0xF0FFFF}, {"beige", 0xF5F5DC}, {"bisque", 0xFFE4C4},
    {"black", 0x000000}, {"blanchedalmond", 0xFFEBCD}, {"blue", 0x0000FF}, {"blueviolet", 0x8A2BE2},
    {"brown", 0xA52A2A}, {"burlywood", 0xDEB887}, {"cadetblue", 0x5F9EA0}, {"chartreuse", 0x7FFF00},
    {"chocolate", 0xD2691E}, {"coral", 0xFF7F50}, {"cornflowerblue", 0x6495ED},
    {"cornsilk", 0xFFF8DC}, {"crimson", 0xDC143C}, {"cyan", 0x00FFFF}, {"darkblue", 0x00008B},
    {"darkcyan", 0x008B8B}, {"darkgoldenrod", 0xB8860B}, {"darkgray", 0xA9A9A9},
    {"darkgreen", 0x006400}, {"darkgrey", 0xA9A9A9}, {"darkkhaki", 0xBDB76B},
    {"darkmagenta", 0x8B008B}, {"darkolivegreen", 0x556B2F}, {"darkorange", 0xFF8C00},
    {"darkorchid", 0x9932CC}, {"darkred", 0x8B0000}, {"darksalmon", 0xE9967A},
    {"darkseagreen", 0x8FBC8F}, {"darkslateblue", 0x483D8B}, {"darkslategray", 0x2F4F4F},
    {"darkslategrey", 0x2F4F4F}, {"darkturquoise", 0x00CED1}, {"darkviolet", 0x9400D3},
    {"deeppink", 0xFF1493}, {"deepskyblue", 0x00BFFF}, {"dimgray", 0x696969}, {"dimgrey", 0x696969},
    {"dodgerblue", 0x1E90FF}, {"firebrick", 0xB22222}, {"floralwhite", 0xFFFAF0},
    {"forestgreen", 0x228B22}, {"fuchsia", 0xFF00FF}, {"gainsboro", 0xDCDCDC},
    {"ghostwhite", 0xF8F8FF}, {"gold", 0xFFD700}, {"goldenrod", 0xDAA520}, {"gray", 0x808080},
    {"green", 0x008000}, {"greenyellow", 0xADFF2F}, {"grey", 0x808080}, {"honeydew", 0xF0FFF0},
    {"hotpink", 0xFF69B4}, {"indianred", 0xCD5C5C}, {"indigo", 0x4B0082}, {"ivory", 0xFFFFF0},
    {"khaki", 0xF0E68C}, {"lavender", 0xE6E6FA}, {"lavenderblush", 0xFFF0F5},
    {"lawngreen", 0x7CFC00}, {"lemonchiffon", 0xFFFACD}, {"lightblue", 0xADD8E6},
    {"lightcoral", 0xF08080}, {"lightcyan", 0xE0FFFF}, {"lightgoldenrodyellow", 0xFAFAD2},
    {"lightgray", 0xD3D3D3}, {"lightgreen", 0x90EE90}, {"lightgrey", 0xD3D3D3},
    {"lightpink", 0xFFB6C1}, {"lightsalmon", 0xFFA07A}, {"lightseagreen", 0x20B2AA},
    {"lightskyblue", 0x87CEFA}, {"lightslategray", 0x778899}, {"lightslategrey", 0x778899},
    {"lightsteelblue", 0xB0C4DE}, {"lightyellow", 0xFFFFE0}, {"lime", 0x00FF00},
    {"limegreen", 0x32CD32}, {"linen", 0xFAF0E6}, {"magenta", 0xFF00FF}, {"maroon", 0x800000},
    {"mediumaquamarine", 0x66CDAA}, {"mediumblue", 0x0000CD}, {"mediumorchid", 0xBA55D3},
    {"mediumpurple", 0x9370DB}, {"mediumseagreen", 0x3CB371}, {"mediumslateblue", 0x7B68EE},
    {"mediumspringgreen", 0x00FA9A}, {"mediumturquoise", 0x48D1CC}, {"mediumvioletred", 0xC71585},
    {"midnightblue", 0x191970}, {"mintcream", 0xF5FFFA}, {"mistyrose", 0xFFE4E1},
    {"moccasin", 0xFFE4B5}, {"navajowhite", 0xFFDEAD}, {"navy", 0x000080}, {"oldlace", 0xFDF5E6},
    {"olive", 0x808000}, {"olivedrab", 0x6B8E23}, {"orange", 0xFFA500}, {"orangered", 0xFF4500},
    {"orchid", 0xDA70D6}, {"palegoldenrod", 0xEEE8AA}, {"palegreen", 0x98FB98},
    {"paleturquoise", 0xAFEEEE}, {"palevioletred", 0xDB7093}, {"papayawhip", 0xFFEFD5},
    {"peachpuff", 0xFFDAB9}, {"peru", 0xCD853F}, {"pink", 0xFFC0CB}, {"plum", 0xDDA0DD},
    {"powderblue", 0xB0E0E6}, {"purple", 0x800080}, {"rebeccapurple", 0x663399}, {"red", 0xFF0000},
    {"rosybrown", 0xBC8F8F}, {"royalblue", 0x4169E1}, {"saddlebrown", 0x8B4513},
    {"salmon", 0xFA8072}, {"sandybrown", 0xF4A460}, {"seagreen", 0x2E8B57}, {"seashell", 0xFFF5EE},
    {"sienna", 0xA0522D}, {"silver", 0xC0C0C0}, {"skyblue", 0x87CEEB}, {"slateblue", 0x6A5ACD},
    {"slategray", 0x708090}, {"slategrey", 0x708090}, {"snow", 0xFFFAFA}, {"springgreen", 0x00FF7F},
    {"steelblue", 0x4682B4}, {"tan", 0xD2B48C}, {"teal", 0x008080}, {"thistle", 0xD8BFD8},
    {"tomato", 0xFF6347}, {"turquoise", 0x40E0D0}, {"violet", 0xEE82EE}, {"wheat", 0xF5DEB3},
    {"white", 0xFFFFFF}, {"whitesmoke", 0xF5F5F5}, {"yellow", 0xFFFF00}, {"yellowgreen", 0x9ACD32},
};
static_assert(std::size(NAMED) == 148);

std::string quoted(std::string_view text) {
  constexpr std::size_t shown = 60;
  std::string out = "'";
  out += text.substr(0, shown);
  if (text.size() > shown) out += "...";
  return out + "'";
}

[[noreturn]] void bad(std::string_view text) { throw ValueError("not a colour: " + quoted(text)); }

std::string lowered(std::string_view text) {
  std::size_t first = text.find_first_not_of(" \t\n\r\f\v");
  std::size_t last = text.find_last_not_of(" \t\n\r\f\v");
  std::string out;
  if (first == std::string_view::npos) return out;
  out.assign(text.substr(first, last - first + 1));
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<Color> fromHex(std::string_view digits) {
  std::size_t n = digits.size();
  if (n != 3 && n != 4 && n != 6 && n != 8) return std::nullopt;
  std::array<int, 8> d{};
  for (std::size_t i = 0; i < n; ++i)
    if ((d[i] = hexDigit(digits[i])) < 0) return std::nullopt;
  bool shortForm = n <= 4;
  auto channel = [&](std::size_t i) {
    return shortForm ? d[i] * 17 : d[2 * i] * 16 + d[2 * i + 1];
  };
  Color out{double(channel(0)), double(channel(1)), double(channel(2)), 1.0};
  if (n == 4 || n == 8) out.a = channel(3) / 255.0;
  return out;
}

// One argument of a colour function: a number with an optional '%' or angle unit.
struct Arg {
  double value = 0;
  bool percent = false;
};

std::optional<Arg> parseArg(std::string_view token, bool angle) {
  Arg arg;
  if (!token.empty() && token.back() == '%') {
    arg.percent = true;
    token.remove_suffix(1);
  } else if (angle && token.size() > 3 && token.substr(token.size() - 3) == "deg") {
    token.remove_suffix(3);
  }
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  if (token.empty()) return std::nullopt;
  const char* end = token.data() + token.size();
  auto [ptr, ec] = std::from_chars(token.data(), end, arg.value);
  if (ec != std::errc() || ptr != end || !std::isfinite(arg.value)) return std::nullopt;
  return arg;
}

// Splits "a, b, c, d" or "a b c / d" into tokens; the alpha, if any, comes last.
std::optional<std::vector<std::string_view>> splitArgs(std::string_view body) {
  std::vector<std::string_view> out;
  bool commas = body.find(',') != std::string_view::npos;
  bool slash = body.find('/') != std::string_view::npos;
  if (commas && slash) return std::nullopt;
  std::size_t i = 0;
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
  while (i < body.size()) {
    while (i < body.size() && blank(body[i])) ++i;
    if (i == body.size()) break;
    if (body[i] == '/') {
      if (out.size() != 3) return std::nullopt;  // the slash only ever precedes the alpha
      ++i;
      continue;
    }
    std::size_t start = i;
    while (i < body.size() && !blank(body[i]) && body[i] != ',' && body[i] != '/') ++i;
    out.push_back(body.substr(start, i - start));
    while (i < body.size() && blank(body[i])) ++i;
    if (commas && i < body.size()) {
      if (body[i] != ',') return std::nullopt;
      ++i;
      while (i < body.size() && blank(body[i])) ++i;
      if (i == body.size()) return std::nullopt;  // a trailing comma
    }
  }
  if (slash && out.size() != 4) return std::nullopt;
  return out;
}

double clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

double hueToRgb(double p, double q, double t) {
  if (t < 0) t += 1;
  if (t > 1) t -= 1;
  if (t < 1.0 / 6) return p + (q - p) * 6 * t;
  if (t < 0.5) return q;
  if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
  return p;
}

std::optional<Color> fromFunction(std::string_view text) {
  std::size_t open = text.find('(');
  if (open == std::string_view::npos || text.back() != ')') return std::nullopt;
  std::string_view name = text.substr(0, open);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  bool hsl = name == "hsl" || name == "hsla";
  if (!hsl && name != "rgb" && name != "rgba") return std::nullopt;
  auto tokens = splitArgs(text.substr(open + 1, text.size() - open - 2));
  if (!tokens || (tokens->size() != 3 && tokens->size() != 4)) return std::nullopt;
  std::array<Arg, 4> args{};
  for (std::size_t i = 0; i < tokens->size(); ++i) {
    auto arg = parseArg((*tokens)[i], hsl && i == 0);
    if (!arg) return std::nullopt;
    args[i] = *arg;
  }
  Color out;
  if (tokens->size() == 4) out.a = clamp01(args[3].percent ? args[3].value / 100 : args[3].value);
  if (hsl) {
    if (args[0].percent) return std::nullopt;
    double h = std::fmod(args[0].value, 360.0) / 360.0;
    if (h < 0) h += 1;
    double s = clamp01(args[1].value / 100), l = clamp01(args[2].value / 100);
    double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
    double p = 2 * l - q;
    out.r = 255 * hueToRgb(p, q, h + 1.0 / 3);
    out.g = 255 * hueToRgb(p, q, h);
    out.b = 255 * hueToRgb(p, q, h - 1.0 / 3);
  } else {
    auto channel = [](const Arg& a) { return std::clamp(a.percent ? a.value / 100 * 255 : a.value, 0.0, 255.0); };
    out.r = channel(args[0]);
    out.g = channel(args[1]);
    out.b = channel(args[2]);
  }
  return out;
}

// Alpha in [0, 1] with at most four decimals and no trailing zeros: "0.15", "0.5", "1".
std::string compact(double alpha) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%.4f", alpha + 0.0);  // + 0.0 turns -0 into 0
  std::string out = buffer;
  out.erase(out.find_last_not_of('0') + 1);
  if (out.back() == '.') out.pop_back();
  return out;
}

}  // namespace

Color parseColor(std::string_view text) {
  std::string s = lowered(text);
  if (s.empty()) bad(text);
  if (s.front() == '#') {
    if (auto c = fromHex(std::string_view(s).substr(1))) return *c;
    bad(text);
  }
  if (s == "transparent") return {0, 0, 0, 0};
  auto it = std::lower_bound(std::begin(NAMED), std::end(NAMED), s,
                             [](const Named& n, const std::string& key) { return n.name < key; });
  if (it != std::end(NAMED) && it->name == s)
    return {double(it->rgb >> 16), double((it->rgb >> 8) & 0xFF), double(it->rgb & 0xFF), 1.0};
  if (auto c = fromFunction(s)) return *c;
  bad(text);
}

std::string rgba(std::string_view color, double alpha) {
  if (!(alpha >= 0.0 && alpha <= 1.0)) {
    char shown[32];
    std::snprintf(shown, sizeof shown, "%g", alpha);
    throw ValueError(std::string("alpha must lie in [0, 1], got ") + shown);
  }
  Color c = parseColor(color);
  auto channel = [](double v) { return std::to_string(static_cast<int>(std::lround(v))); };
  return "rgba(" + channel(c.r) + "," + channel(c.g) + "," + channel(c.b) + "," + compact(c.a * alpha) + ")";
}

std::string hex(const Color& color) {
  char buffer[8];
  auto channel = [](double v) { return static_cast<unsigned>(std::lround(std::clamp(v, 0.0, 255.0))); };
  std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", channel(color.r), channel(color.g), channel(color.b));
  return buffer;
}

}  // namespace tess::theme
