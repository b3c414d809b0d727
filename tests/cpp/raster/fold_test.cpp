// Dropping empty categories and folding the long tail.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors.hpp"
#include "raster/fold.hpp"

namespace {

using namespace tess::raster;

// Dropping and renumbering for every integer type is checked through the binding by
// tests/python/test_raster.py; these pin the cut at MAX_CATEGORIES.

std::vector<std::string> namesOf(std::size_t n) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < n; ++i) out.push_back("c" + std::to_string(i));
  return out;
}

TEST(fold_test, beyond_the_maximum_the_smallest_fold_into_other) {
  // Category c has 100 + c points, except c20 which ties with c6 right at the cut: the
  // seven folded are c0 to c5 and c20, the later of the tied pair.
  const std::size_t n = MAX_CATEGORIES + 6;
  std::vector<std::int16_t> codes;
  for (std::size_t c = 0; c < n; ++c) codes.insert(codes.end(), c == 20 ? 106 : 100 + c, std::int16_t(c));
  Folded f = foldCategories(std::span<const std::int16_t>(codes), n);
  ASSERT_EQ(f.nCategories(), MAX_CATEGORIES);
  EXPECT_EQ(f.folded, 7u);
  std::vector<std::string> names = foldedNames(f, namesOf(n), n);
  ASSERT_EQ(names.size(), MAX_CATEGORIES);
  EXPECT_EQ(names.back(), "other (7)");
  EXPECT_EQ(names[0] + names[13] + names[14], "c6c19c21");
  std::vector<std::size_t> perCode(MAX_CATEGORIES);
  for (std::int8_t c : f.codes) ++perCode[std::size_t(c)];
  EXPECT_EQ(perCode.back(), 100u + 101 + 102 + 103 + 104 + 105 + 106);
  EXPECT_EQ(f.codes[codes.size() - 1], MAX_CATEGORIES - 2);
}

TEST(fold_test, exactly_the_maximum_is_kept_whole) {
  std::vector<std::int32_t> codes;
  for (std::size_t c = 0; c < MAX_CATEGORIES + 1; ++c)
    if (c != 5) codes.push_back(std::int32_t(c));  // one empty category among them
  Folded f = foldCategories(std::span<const std::int32_t>(codes), MAX_CATEGORIES + 1);
  EXPECT_EQ(f.nCategories(), MAX_CATEGORIES);
  EXPECT_EQ(f.folded, 0u);
  EXPECT_EQ(f.kept.back(), MAX_CATEGORIES);
}

TEST(fold_test, no_categories_leaves_every_point_without_one) {
  std::vector<std::int8_t> codes{0, 1, -1};
  Folded f = foldCategories(std::span<const std::int8_t>(codes), 0);
  EXPECT_EQ(f.nCategories(), 0u);
  EXPECT_EQ(f.codes, (std::vector<std::int8_t>{-1, -1, -1}));
  EXPECT_EQ(foldCategories(std::span<const std::int8_t>(), 2).nCategories(), 0u);
}

TEST(fold_test, names_must_match_the_number_of_categories) {
  std::vector<std::int8_t> codes{0};
  Folded f = foldCategories(std::span<const std::int8_t>(codes), 2);
  EXPECT_THROW(foldedNames(f, {"a"}, 2), tess::ValueError);
}

}  // namespace
