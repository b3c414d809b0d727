// Dropping empty categories and folding the smallest into "other".
#include "raster/fold.hpp"

#include <algorithm>
#include <limits>
#include <string>
#include <type_traits>
#include <variant>

#include "errors.hpp"

namespace tess::raster {

namespace {

constexpr std::int8_t NONE = -1;

// The code as an index below n, or n when it names no category.
template <class C>
std::size_t indexOf(C code, std::size_t n) {
  if constexpr (std::is_signed_v<C>)
    if (code < 0) return n;
  return static_cast<std::uint64_t>(code) < n ? static_cast<std::size_t>(code) : n;
}

// Codes are counted in LANES interleaved tables, one per position modulo LANES, so that a
// run of one code does not wait on its own increments; the tables are summed at the end.
constexpr std::size_t LANES = 4;

template <class C>
std::vector<std::uint64_t> countCodes(std::span<const C> codes, std::size_t n) {
  if (n >= std::numeric_limits<std::size_t>::max() / sizeof(std::uint64_t) / LANES - 1)
    throw ValueError("too many categories to count: " + std::to_string(n));
  std::vector<std::uint64_t> lanes((n + 1) * LANES);  // slot n gathers codes of no category
  std::size_t whole = codes.size() / LANES * LANES;
  for (std::size_t i = 0; i < whole; i += LANES)
    for (std::size_t lane = 0; lane < LANES; ++lane) ++lanes[indexOf(codes[i + lane], n) * LANES + lane];
  for (std::size_t i = whole; i < codes.size(); ++i) ++lanes[indexOf(codes[i], n) * LANES];
  std::vector<std::uint64_t> counts(n);
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t lane = 0; lane < LANES; ++lane) counts[c] += lanes[c * LANES + lane];
  return counts;
}

template <class C>
std::vector<std::int8_t> recode(std::span<const C> codes, const std::vector<std::int8_t>& to) {
  std::vector<std::int8_t> out(codes.size());
  std::size_t n = to.size();
  for (std::size_t i = 0; i < codes.size(); ++i) {
    std::size_t c = indexOf(codes[i], n);
    out[i] = c < n ? to[c] : NONE;
  }
  return out;
}

}  // namespace

std::vector<std::uint64_t> countCategories(const Codes& codes, std::size_t nCategories) {
  return std::visit(
      [&]<class S>(const S& span) -> std::vector<std::uint64_t> {
        if constexpr (std::is_same_v<S, std::monostate>) return std::vector<std::uint64_t>(nCategories);
        else return countCodes(span, nCategories);
      },
      codes);
}

Fold foldCounts(std::span<const std::uint64_t> counts) {
  Fold out;
  std::vector<std::size_t> filled;
  for (std::size_t c = 0; c < counts.size(); ++c)
    if (counts[c] > 0) filled.push_back(c);
  std::vector<bool> kept(counts.size(), filled.size() <= MAX_CATEGORIES);
  if (filled.size() > MAX_CATEGORIES) {
    std::vector<std::size_t> bySize = filled;
    std::stable_sort(bySize.begin(), bySize.end(), [&](std::size_t a, std::size_t b) { return counts[a] > counts[b]; });
    for (std::size_t i = 0; i < MAX_CATEGORIES - 1; ++i) kept[bySize[i]] = true;
    out.folded = filled.size() - (MAX_CATEGORIES - 1);
  }
  out.channels.assign(counts.size(), NONE);
  for (std::size_t c : filled) {
    if (!kept[c]) continue;
    out.channels[c] = static_cast<std::int8_t>(out.kept.size());
    out.kept.push_back(c);
  }
  for (std::size_t c : filled)
    if (!kept[c]) out.channels[c] = static_cast<std::int8_t>(out.kept.size());  // the "other" category, last
  return out;
}

Folded foldCategories(const Codes& codes, std::size_t nCategories) {
  Folded out;
  static_cast<Fold&>(out) = foldCounts(countCategories(codes, nCategories));
  std::visit(
      [&]<class S>(const S& span) {
        if constexpr (!std::is_same_v<S, std::monostate>) out.codes = recode(span, out.channels);
      },
      codes);
  return out;
}

std::string otherName(std::size_t folded) { return "other (" + std::to_string(folded) + ")"; }

std::vector<std::string> foldedNames(const Folded& folded, const std::vector<std::string>& names,
                                     std::size_t nCategories) {
  if (names.size() != nCategories)
    throw ValueError(std::to_string(nCategories) + " categories need as many names, got " +
                     std::to_string(names.size()));
  std::vector<std::string> out;
  for (std::size_t c : folded.kept) out.push_back(names.at(c));
  if (folded.folded > 0) out.push_back(otherName(folded.folded));
  return out;
}

}  // namespace tess::raster
