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

TEST(FrameTest, ColumnsAreFoundByTextAndKind) {
  Frame f = sample();
  EXPECT_EQ(f.column("gene").texts(), (Texts{"a", "b", "c"}));
  EXPECT_EQ(f.column(Name("1", LabelKind::Int)).texts(), (Texts{"10", "20", "30"}));
  EXPECT_EQ(f.column("1").texts(), (Texts{"x", "nan", "z"}));
  EXPECT_TRUE(f.isNumeric(Name("1", LabelKind::Int)));
  EXPECT_FALSE(f.isNumeric("1"));
  EXPECT_EQ(f.asDoubles(Name("1", LabelKind::Int)), (std::vector<double>{10, 20, 30}));
  EXPECT_EQ(f.text("gene", 2), "c");
}

TEST(FrameTest, AMissingColumnIsAKeyErrorNamingIt) {
  Frame f = sample();
  try {
    f.column("pvalue");
    FAIL() << "no KeyError";
  } catch (const KeyError& e) {
    EXPECT_STREQ(e.what(), "pvalue");
  }
  EXPECT_THROW(f.column(Name("gene", LabelKind::Other)), KeyError);
  EXPECT_FALSE(f.contains(Name("1", LabelKind::Float)));
  EXPECT_THROW(f.at(3), IndexError);
}

TEST(FrameTest, ARepeatedNameCannotBeLookedUpButTheFrameStands) {
  Frame f({"a", "a", "b"}, {ints({1}), ints({2}), ints({3})});
  EXPECT_THROW(f.column("a"), ValueError);
  EXPECT_EQ(f.column("b").texts(), (Texts{"3"}));
  EXPECT_EQ(f.take(Rows{0}).width(), 3u);
}

TEST(FrameTest, ConstructionChecksShapes) {
  EXPECT_THROW(Frame({"a"}, {ints({1}), ints({2})}), ValueError);
  EXPECT_THROW(Frame({"a", "b"}, {ints({1}), ints({1, 2})}), ValueError);
  EXPECT_THROW(Frame({"a"}, {ints({1})}, ints({1, 2})), ValueError);
}

TEST(FrameTest, EmptyFramesAndFramesWithoutRows) {
  Frame empty;
  EXPECT_EQ(empty.rows(), 0u);
  EXPECT_EQ(empty.width(), 0u);
  Frame noRows({"a"}, {ints({})});
  EXPECT_EQ(noRows.rows(), 0u);
  EXPECT_EQ(noRows.distinct("a").size(), 0u);
  EXPECT_EQ(noRows.alignTo(ints({0})).column("a").texts(), (Texts{"nan"}));
  Frame rowsOnly({}, {}, ints({1, 2}));
  EXPECT_EQ(rowsOnly.take(Rows{1}).index().texts(), (Texts{"2"}));
}

TEST(FrameTest, TakeMovesIndexAndColumnsTogether) {
  Frame t = sample().take(Rows{2, 0});
  EXPECT_EQ(t.index().texts(), (Texts{"c3", "c1"}));
  EXPECT_EQ(t.column("gene").texts(), (Texts{"c", "a"}));
  EXPECT_EQ(t.indexName()->text, "cell");
  EXPECT_THROW(sample().take(Rows{0, 3}), IndexError);
}

TEST(FrameTest, SelectKeepsTheOrderAsked) {
  std::vector<Name> names{"1", "gene"};
  Frame s = sample().select(names);
  EXPECT_EQ(s.names(), names);
  EXPECT_EQ(s.rows(), 3u);
  std::vector<Name> missing{"gene", "nope"};
  EXPECT_THROW(sample().select(missing), KeyError);
}

TEST(FrameTest, AlignToReindexesByLabel) {
  Frame a = sample().alignTo(words({"c3", "zz", "c1"}));
  EXPECT_EQ(a.index().texts(), (Texts{"c3", "zz", "c1"}));
  EXPECT_EQ(a.indexName()->text, "cell");
  EXPECT_EQ(a.column("gene").texts(), (Texts{"c", "nan", "a"}));
  EXPECT_EQ(a.column(Name("1", LabelKind::Int)).texts(), (Texts{"30.0", "nan", "10.0"}));
  EXPECT_EQ(a.column("1").texts(), (Texts{"z", "nan", "x"}));
}

TEST(FrameTest, AlignToMatchesNumbersByValueNotByText) {
  Frame f({"v"}, {words({"one", "two"})}, ints({1, 2}));
  Frame byFloat = f.alignTo(Column::numbers(Buffer::of(std::vector<double>{2.0, 1.5})));
  EXPECT_EQ(byFloat.column("v").texts(), (Texts{"two", "nan"}));
  Frame byText = f.alignTo(words({"1"}));
  EXPECT_EQ(byText.column("v").texts(), (Texts{"nan"}));
}

TEST(FrameTest, AlignToRefusesARepeatedIndexLabel) {
  Frame f({"v"}, {ints({1, 2})}, words({"a", "a"}));
  EXPECT_THROW(f.alignTo(words({"a"})), ValueError);
}

TEST(FrameTest, AlignToAMissingLabelFindsTheMissingRow) {
  Frame f({"v"}, {ints({1, 2})}, words({"a", std::nullopt}));
  EXPECT_EQ(f.alignTo(words({std::nullopt})).column("v").texts(), (Texts{"2"}));
}

}  // namespace
}  // namespace tess::frame
