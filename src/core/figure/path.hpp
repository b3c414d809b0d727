// Attribute paths into the value tree: "xaxis.title.text", "annotations[0].x" and
// the underscore shorthand "title_text".
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "figure/value.hpp"

namespace tess::figure {

/// One step of a path: an object key or a list position.
using PathStep = std::variant<std::string, std::size_t>;
using Path = std::vector<PathStep>;

/// Splits a dotted path with optional [n] positions; underscores are kept.
Path parsePath(std::string_view path);
/// Splits plotly's underscore shorthand ("xaxis_title_text"), which also accepts dots;
/// the few property names that contain an underscore ("error_x", "paper_bgcolor", ...) stay whole.
Path parseShorthand(std::string_view path);

/// The value at path, or nullptr where any step is missing.
const Value* lookup(const Value& root, const Path& path);
/// The value at path, creating objects on the way (a non-object in the way is replaced);
/// a list position past the end throws IndexError.
Value& assign(Value& root, const Path& path);
Value& assign(Object& root, const Path& path);

/// Merges patch into target as plotly's update does: keys are shorthand paths, nested
/// objects merge, everything else (lists included) replaces.
void update(Object& target, const Object& patch);

}  // namespace tess::figure
