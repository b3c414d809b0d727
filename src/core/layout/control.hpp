// Control entries: what a family hands the finisher for each control of the band.
#pragma once

#include <optional>
#include <string>

#include "figure/value.hpp"

namespace tess::layout {

/// A control entry: "menu", "kind", then "label", "align" and "index" where given.
/// kind is "dropdown", "slider" or "note"; align is "left" or "right".
figure::Object control(figure::Object menu, std::string_view kind = "dropdown",
                       std::optional<std::string> label = std::nullopt, std::string_view align = "left",
                       std::optional<std::int64_t> index = std::nullopt);

}  // namespace tess::layout
