#include "frame/frame.hpp"

#include <gtest/gtest.h>

namespace tess::frame {
namespace {

using Texts = std::vector<std::string>;
using Rows = std::vector<std::size_t>;

Column ints(std::vector<std::int64_t> v) { return Column::numbers(Buffer::of(std::move(v))); }
Column words(std::vector<std::optional<std::string>> v) { return Column::strings(v); }

// gene | 1 (an int label) | "1" (a text label), indexed by cell names.
Frame sample() {
  return Frame({"gene", Name("1", LabelKind::Int), "1"},
               {words({"a", "b", "c"}), ints({10, 20, 30}), words({"x", std::nullopt, "z"})},
               words({"c1", "c2", "c3"}), Name("cell"));
}

// Lookups, take and alignTo are held against pandas by tests/python/test_frame.py.

TEST(FrameTest, LookupsTellLabelKindsApartAndFailWithHostErrors) {
  Frame f = sample();
  EXPECT_EQ(f.column(Name("1", LabelKind::Int)).texts(), (Texts{"10", "20", "30"}));
  EXPECT_EQ(f.column("1").texts(), (Texts{"x", "nan", "z"}));
  EXPECT_THROW(f.column(Name("gene", LabelKind::Other)), KeyError);
  EXPECT_FALSE(f.contains(Name("1", LabelKind::Float)));
  EXPECT_THROW(f.at(3), IndexError);
  Frame repeated({"a", "a", "b"}, {ints({1}), ints({2}), ints({3})});
  EXPECT_THROW(repeated.column("a"), ValueError);
  EXPECT_EQ(repeated.take(Rows{0}).width(), 3u);  // the frame itself stands
}

TEST(FrameTest, ConstructionChecksShapes) {
  EXPECT_THROW(Frame({"a", "b"}, {ints({1}), ints({1, 2})}), ValueError);
}

TEST(FrameTest, EmptyFramesFramesWithoutRowsAndMissingLabels) {
  EXPECT_EQ(Frame().rows() + Frame().width(), 0u);
  Frame noRows({"a"}, {ints({})});
  EXPECT_EQ(noRows.alignTo(ints({0})).column("a").texts(), (Texts{"nan"}));
  Frame rowsOnly({}, {}, ints({1, 2}));
  EXPECT_EQ(rowsOnly.take(Rows{1}).index().texts(), (Texts{"2"}));
  Frame f({"v"}, {ints({1, 2})}, words({"a", std::nullopt}));  // a missing label finds the missing row
  EXPECT_EQ(f.alignTo(words({std::nullopt})).column("v").texts(), (Texts{"2"}));
}

TEST(FrameTest, SelectKeepsTheOrderAskedAndTheIndexName) {
  std::vector<Name> names{"1", "gene"};
  Frame s = sample().select(names);
  EXPECT_EQ(s.names(), names);
  EXPECT_EQ(s.indexName()->text, "cell");
  std::vector<Name> missing{"gene", "nope"};
  EXPECT_THROW(sample().select(missing), KeyError);
}

}  // namespace
}  // namespace tess::frame
