// Path parsing and the recursive update of plotly's figure operations.
#include "figure/path.hpp"

#include <array>
#include <charconv>
#include <stdexcept>

#include "errors.hpp"

namespace tess::figure {

namespace {

// Property names that contain an underscore and so survive the shorthand split.
constexpr std::array<std::string_view, 8> kUnderscoreNames = {
    "error_x", "error_y", "error_z", "copy_xstyle", "copy_ystyle", "copy_zstyle",
    "paper_bgcolor", "plot_bgcolor"};

std::size_t parseIndex(std::string_view digits, std::string_view path) {
  std::size_t index = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
  if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty())
    throw ValueError("bad position in path '" + std::string(path) + "'");
  return index;
}

// Appends one dotted segment "name[2][0]" to out.
void pushSegment(std::string_view segment, std::string_view path, Path& out) {
  std::size_t open = segment.find('[');
  std::string_view name = segment.substr(0, open);
  if (name.empty()) throw ValueError("empty key in path '" + std::string(path) + "'");
  out.emplace_back(std::string(name));
  while (open != std::string_view::npos) {
    std::size_t close = segment.find(']', open);
    if (close == std::string_view::npos)
      throw ValueError("unclosed position in path '" + std::string(path) + "'");
    out.emplace_back(parseIndex(segment.substr(open + 1, close - open - 1), path));
    open = segment.find('[', close);
    if (open != std::string_view::npos && open != close + 1)
      throw ValueError("bad path '" + std::string(path) + "'");
  }
}

template <class IsSeparator>
Path split(std::string_view path, IsSeparator isSeparator) {
  Path out;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    std::size_t skip = i == path.size() ? 0 : isSeparator(path, i);
    if (i < path.size() && skip == 0) continue;
    pushSegment(path.substr(start, i - start), path, out);
    if (i == path.size()) break;
    start = i + skip;
    i = start - 1;
  }
  return out;
}

// Length of the protected name starting at i, 0 if none.
std::size_t protectedAt(std::string_view path, std::size_t i) {
  for (std::string_view name : kUnderscoreNames) {
    bool startsSegment = i == 0 || path[i - 1] == '.' || path[i - 1] == '_';
    if (startsSegment && path.substr(i, name.size()) == name) {
      std::size_t end = i + name.size();
      if (end == path.size() || path[end] == '.' || path[end] == '_' || path[end] == '[')
        return name.size();
    }
  }
  return 0;
}

}  // namespace

Path parsePath(std::string_view path) {
  return split(path, [](std::string_view p, std::size_t i) -> std::size_t { return p[i] == '.'; });
}

Path parseShorthand(std::string_view path) {
  // A protected name is consumed whole, so the splitter never sees its underscore.
  std::size_t protectedEnd = 0;
  return split(path, [&](std::string_view p, std::size_t i) -> std::size_t {
    if (i >= protectedEnd) {
      if (std::size_t n = protectedAt(p, i)) protectedEnd = i + n;
    }
    if (i < protectedEnd) return 0;
    return p[i] == '.' || p[i] == '_';
  });
}

const Value* lookup(const Value& root, const Path& path) {
  const Value* at = &root;
  for (const PathStep& step : path) {
    if (const auto* key = std::get_if<std::string>(&step)) {
      if (!at->isObject()) return nullptr;
      at = at->asObject().find(*key);
    } else {
      std::size_t index = std::get<std::size_t>(step);
      if (!at->isArray() || index >= at->asArray().size()) return nullptr;
      at = &at->asArray()[index];
    }
    if (at == nullptr) return nullptr;
  }
  return at;
}

static Value& descend(Value* at, Path::const_iterator step, Path::const_iterator end) {
  for (; step != end; ++step) {
    if (const auto* key = std::get_if<std::string>(&*step)) {
      if (!at->isObject()) *at = Object{};
      at = &at->asObject()[*key];
    } else {
      std::size_t index = std::get<std::size_t>(*step);
      if (!at->isArray() || index >= at->asArray().size())
        throw IndexError("list position " + std::to_string(index) + " out of range");
      at = &at->asArray()[index];
    }
  }
  return *at;
}

Value& assign(Value& root, const Path& path) { return descend(&root, path.begin(), path.end()); }

Value& assign(Object& root, const Path& path) {
  if (path.empty() || !std::holds_alternative<std::string>(path.front()))
    throw ValueError("a path into an object starts with a key");
  return descend(&root[std::get<std::string>(path.front())], path.begin() + 1, path.end());
}

static void merge(Value& target, const Value& patch) {
  if (patch.isObject() && target.isObject()) {
    update(target.asObject(), patch.asObject());
  } else {
    target = patch;
  }
}

void update(Object& target, const Object& patch) {
  for (const auto& [key, value] : patch) merge(assign(target, parseShorthand(key)), value);
}

}  // namespace tess::figure
