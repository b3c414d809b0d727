// Text measurement: widths against fontTools (Chromium: test_text_metrics_browser.py), fallbacks, bad input, truncation.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "layout/metrics.hpp"

namespace tess::layout {
namespace {

const std::string ellipsis = "\xE2\x80\xA6";

double px(double units, double fontPx) { return units * fontPx / 2048; }

TEST(TextWidth, MatchesFontToolsSums) {
    // Advance sums plus `kern` table pairs, computed with fontTools straight from the TTFs.
    const std::string greek = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1";  // Ελλάδα
    const std::tuple<std::string, Weight, int> refs[] = {
        {"MT-CO1", Weight::Regular, 7737},  // includes T-hyphen kerning
        {"CD8A", Weight::Bold, 5576},
        {"M\xC3\xBCller glia", Weight::Regular, 9333},
        {greek, Weight::Regular, 6891},
        {greek, Weight::Bold, 7379},
        {ellipsis, Weight::Regular, 2048},
    };
    for (const auto& [text, weight, units] : refs) EXPECT_DOUBLE_EQ(textWidth(text, 12, weight), px(units, 12)) << text;
    const std::vector<std::string> names = {"CD8A", "Oligodendrocyte precursor cells", "MT-CO1"};
    EXPECT_DOUBLE_EQ(widest(names, 12), px(28799, 12));
    EXPECT_EQ(textWidth("", 12), 0);
    EXPECT_DOUBLE_EQ(textWidth("IFNG", 0), 0);
}

TEST(Kerning, OnlyBetweenAdjacentCharactersOfOneScript) {
    const double a = textWidth("A", 12), v = textWidth("V", 12);
    EXPECT_DOUBLE_EQ(textWidth("AV", 12), a + v - px(152, 12));
    EXPECT_DOUBLE_EQ(textWidth("A\xE2\x80\x8BV", 12), a + v);  // a zero-width space breaks the pair
    const double spaceT = textWidth(" T", 12) - textWidth(" ", 12) - textWidth("T", 12);
    ASSERT_LT(spaceT, 0);
    // After Greek the space belongs to the Greek run, so " T" is not a pair.
    EXPECT_DOUBLE_EQ(textWidth("\xCE\xB4 T", 12), textWidth("\xCE\xB4 ", 12) + textWidth("T", 12));
    EXPECT_DOUBLE_EQ(textWidth("a T", 12), textWidth("a ", 12) + textWidth("T", 12) + spaceT);
}

TEST(TextWidth, InvisibleMissingAndInvalidCharacters) {
    const double bad = textWidth("\xEF\xBF\xBD", 12);  // U+FFFD itself
    const std::pair<std::string, double> cases[] = {
        {"a\tb", textWidth("a b", 12)},
        {"a\nb\r", textWidth("a b ", 12)},
        {"co\xC2\xADop", textWidth("coop", 12)},      // soft hyphen
        {"e\xCC\x81", textWidth("e", 12)},            // combining acute
        {std::string("a\0b", 3), textWidth("ab", 12)},
        {"\xE4\xB8\xAD", 12},                         // 中: the font lacks it, estimated an em
        {"\xF0\x9F\x98\x80", 15},                     // emoji
        {"\x80", bad},
        {"\xC0\xAF", 2 * bad},                        // overlong
        {"\xED\xA0\x80", 3 * bad},                    // surrogate
        {"\xF4\x90\x80\x80", 4 * bad},                // above U+10FFFF
        {"A\xE2\x80", textWidth("A", 12) + 2 * bad},  // cut short
        {"\xE2" "AB", bad + textWidth("AB", 12)},
    };
    for (const auto& [text, width] : cases) EXPECT_DOUBLE_EQ(textWidth(text, 12), width) << text;
    EXPECT_LT(textWidth("\xE2\x88\x92", 12), 12);  // minus sign: the font has it
}

TEST(Truncate, LongestWholeCharacterPrefixThatFitsAtAnyWidth) {
    const std::vector<std::string> labels = {
        "Oligodendrocyte precursor cells",
        "Na\xC3\xAFve CD4+ T cells (\xCE\xB3\xCE\xB4)",      // ï, γδ
        "\xE4\xB8\xAD\xE6\x96\x87\xE6\xA0\x87\xE7\xAD\xBE",  // 中文标签
        "e\xCC\x81" "e\xCC\x81" "e\xCC\x81" "e\xCC\x81",     // e + combining acute
        "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD\xF0\x9F\x91\x8D",  // thumbs up, skin tone
        "ab\xE2\x80\xA6\xE2\x80\xA6",                        // already ends in ellipses
    };
    for (const std::string& label : labels) {
        std::size_t previousSize = 0;
        for (double maxPx = 0; maxPx <= textWidth(label, 12) + 1; maxPx += 0.25) {
            const std::string cut = truncate(label, 12, maxPx);
            EXPECT_LE(textWidth(cut, 12), maxPx) << label << " at " << maxPx;
            EXPECT_GE(cut.size(), previousSize) << label << " at " << maxPx;
            previousSize = cut.size();
            if (cut == label || cut.empty()) continue;
            ASSERT_TRUE(cut.ends_with(ellipsis));
            const std::size_t kept = cut.size() - ellipsis.size();
            EXPECT_EQ(label.compare(0, kept, cut, 0, kept), 0);
            const auto next = static_cast<unsigned char>(label[kept]);
            EXPECT_NE(next & 0xC0, 0x80) << "split inside a character at " << maxPx;
            EXPECT_NE(label.compare(kept, 2, "\xCC\x81"), 0) << "mark torn from its base";
            EXPECT_NE(label.compare(kept, 4, "\xF0\x9F\x8F\xBD"), 0) << "skin tone torn off";
        }
    }
    const std::string label = "Oligodendrocyte precursor cells";
    const std::string cut = truncate(label, 12, 80);  // the longest: one more character would not fit
    EXPECT_GT(textWidth(label.substr(0, cut.size() - ellipsis.size() + 1) + ellipsis, 12), 80);
    EXPECT_EQ(truncate(label, 12, textWidth(label, 12)), label);
    EXPECT_EQ(truncate("CD8A", 12, 11.9), "");  // nothing when not even the ellipsis fits
    EXPECT_EQ(truncate("CD8A", 12, 12), ellipsis);
    EXPECT_EQ(truncate("CD8A", 12, -1), "");
    const std::string bold = truncate("Conventional dendritic cells type 1", 12, 120, Weight::Bold);
    EXPECT_LT(bold.size(), truncate("Conventional dendritic cells type 1", 12, 120).size());
    EXPECT_LE(textWidth(bold, 12, Weight::Bold), 120);
    EXPECT_LE(textWidth(truncate(std::string(10'000'000, 'x'), 12, 100), 12), 100);
    for (double maxPx : {0.0, 10.0, 25.0, 40.0, 1000.0})  // invalid UTF-8
        EXPECT_LE(textWidth(truncate("\xFF\xFE\xC3\xE2\x82 valid \x80\xF0\x9F", 12, maxPx), 12), maxPx);
}

} // namespace
} // namespace tess::layout
