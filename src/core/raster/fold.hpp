// Category codes reduced to the categories an image can show: empty ones dropped, a long tail folded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "raster/bin.hpp"

namespace tess::raster {

/// Most categories a folded result holds, the "other" category included; more colours
/// than this cannot be told apart in a mixed density image anyway.
inline constexpr std::size_t MAX_CATEGORIES = 64;

/// Which categories an image keeps, decided from how many points each holds.
struct Fold {
  /// Original code → new code, -1 for a category dropped (empty).
  std::vector<std::int8_t> channels;
  /// The original codes of the categories kept, in their new order.
  std::vector<std::size_t> kept;
  /// How many categories fold into one last "other" category (0: there is none).
  std::size_t folded = 0;

  std::size_t nCategories() const { return kept.size() + (folded > 0 ? 1 : 0); }
};

/// Codes renumbered over the categories kept; -1 marks a point with no category.
struct Folded : Fold {
  std::vector<std::int8_t> codes;
};

/// Points per category: codes that are negative or not below nCategories count in none.
/// ValueError when nCategories is too large to hold counters for.
std::vector<std::uint64_t> countCategories(const Codes& codes, std::size_t nCategories);

/// Categories without points are dropped and the rest renumbered in their original order.
/// When more than MAX_CATEGORIES remain, the MAX_CATEGORIES - 1 with the most points stay
/// (ties to the lower code) and the others fold into one last category.
Fold foldCounts(std::span<const std::uint64_t> counts);

/// The fold of the codes' own counts, with the codes renumbered: codes that are negative
/// or not below nCategories become -1.
Folded foldCategories(const Codes& codes, std::size_t nCategories);

/// The name of the category that `folded` categories fold into: "other (k)".
std::string otherName(std::size_t folded);

/// The names of a folded result in its order, given the names of the original categories
/// (ValueError unless there is one per original category).
std::vector<std::string> foldedNames(const Folded& folded, const std::vector<std::string>& names,
                                     std::size_t nCategories);

}  // namespace tess::raster
