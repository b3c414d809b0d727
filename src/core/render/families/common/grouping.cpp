#include "render/families/common/grouping.hpp"

namespace tess::render {

std::vector<Members> partsOf(std::vector<Members>& split, std::size_t g, std::size_t pieces) {
  std::vector<Members> parts;
  for (std::size_t p = g * pieces; p < (g + 1) * pieces && p < split.size(); ++p)
    if (!split[p].empty()) parts.push_back(std::move(split[p]));
  if (parts.empty()) parts.emplace_back();
  return parts;
}

}  // namespace tess::render
