// Text measurement: widths against fontTools (Chromium: test_text_metrics_browser.py), fallbacks, bad input, truncation.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "layout/glyph_widths.hpp"
#include "layout/metrics.hpp"

namespace tess::layout {
namespace {

constexpr double unitsPerEm = 2048;
const std::string ellipsis = "\xE2\x80\xA6";

double px(double units, double fontPx) { return units * fontPx / unitsPerEm; }

struct Reference {
    const char* text;
    Weight weight;
    int units;
};

// Advance sums plus `kern` table pairs, computed with fontTools straight from the TTFs.
const Reference fontToolsWidths[] = {
    {"MT-CO1", Weight::Regular, 7737},  // includes T-hyphen kerning
    {"CD8A", Weight::Bold, 5576},
    {"Oligodendrocyte precursor cells", Weight::Regular, 28799},
    {"M\xC3\xBCller glia", Weight::Regular, 9333},
    {"\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1", Weight::Regular, 6891},  // Ελλάδα
    {"\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1", Weight::Bold, 7379},
    {"\xE2\x80\xA6", Weight::Regular, 2048},
};

TEST(TextWidth, MatchesFontToolsSums) {
    for (const Reference& ref : fontToolsWidths) {
        EXPECT_DOUBLE_EQ(textWidth(ref.text, 12, ref.weight), px(ref.units, 12)) << ref.text;
    }
}

TEST(Kerning, OnlyBetweenAdjacentCharactersOfOneScript) {
    const double a = textWidth("A", 12);
    const double v = textWidth("V", 12);
    EXPECT_DOUBLE_EQ(textWidth("AV", 12), a + v - px(152, 12));
    // A zero-width space between them breaks the pair.
    EXPECT_DOUBLE_EQ(textWidth("A\xE2\x80\x8BV", 12), a + v);
    const double spaceT = textWidth(" T", 12) - textWidth(" ", 12) - textWidth("T", 12);
    ASSERT_LT(spaceT, 0);  // the font kerns space-T
    // After Greek the space belongs to the Greek run, so " T" is not a pair.
    const std::string greek = "\xCE\xB4";  // δ
    EXPECT_DOUBLE_EQ(textWidth(greek + " T", 12),
                     textWidth(greek + " ", 12) + textWidth("T", 12));
    EXPECT_DOUBLE_EQ(textWidth("a T", 12), textWidth("a ", 12) + textWidth("T", 12) + spaceT);
}

TEST(TextWidth, WhitespaceAndInvisibleCharacters) {
    EXPECT_DOUBLE_EQ(textWidth("a\tb", 12), textWidth("a b", 12));
    EXPECT_DOUBLE_EQ(textWidth("a\nb\r", 12), textWidth("a b ", 12));
    EXPECT_DOUBLE_EQ(textWidth("co\xC2\xADop", 12), textWidth("coop", 12));  // soft hyphen
    EXPECT_DOUBLE_EQ(textWidth("e\xCC\x81", 12), textWidth("e", 12));       // combining acute
    EXPECT_DOUBLE_EQ(textWidth(std::string("a\0b", 3), 12), textWidth("ab", 12));
}

TEST(TextWidth, CharactersTheFontLacksAreEstimatedWide) {
    EXPECT_DOUBLE_EQ(textWidth("\xE4\xB8\xAD", 12), 12);           // 中
    EXPECT_DOUBLE_EQ(textWidth("\xD7\x90", 12), 12);               // Hebrew alef
    EXPECT_DOUBLE_EQ(textWidth("\xF0\x9F\x98\x80", 12), 15);       // emoji
    EXPECT_GE(textWidth("\xE2\x87\x92", 12), textWidth("M", 12));  // ⇒
    EXPECT_LT(textWidth("\xE2\x88\x92", 12), 12);                  // minus sign: the font has it
}

TEST(TextWidth, InvalidUtf8CountsEachBadByteAsReplacement) {
    const double bad = textWidth("\xEF\xBF\xBD", 12);  // U+FFFD itself
    EXPECT_DOUBLE_EQ(textWidth("\x80", 12), bad);
    EXPECT_DOUBLE_EQ(textWidth("\xFF" "A", 12), bad + textWidth("A", 12));
    EXPECT_DOUBLE_EQ(textWidth("\xC0\xAF", 12), 2 * bad);              // overlong
    EXPECT_DOUBLE_EQ(textWidth("\xED\xA0\x80", 12), 3 * bad);          // surrogate
    EXPECT_DOUBLE_EQ(textWidth("\xF4\x90\x80\x80", 12), 4 * bad);      // above U+10FFFF
    EXPECT_DOUBLE_EQ(textWidth("A\xE2\x80", 12), textWidth("A", 12) + 2 * bad);  // cut short
    EXPECT_DOUBLE_EQ(textWidth("\xE2" "AB", 12), bad + textWidth("AB", 12));
}

TEST(TextWidth, EmptyZeroSizeHugeAndWidest) {
    EXPECT_EQ(textWidth("", 12), 0);
    EXPECT_DOUBLE_EQ(textWidth("IFNG", 0), 0);
    EXPECT_DOUBLE_EQ(textWidth(std::string(1'000'000, 'a'), 12), px(1'000'000.0 * 1139, 12));
    const std::vector<std::string> names = {"CD8A", "Oligodendrocyte precursor cells", "MT-CO1"};
    EXPECT_DOUBLE_EQ(widest(names, 12), px(28799, 12));
    EXPECT_EQ(widest(std::span<const std::string>{}, 12), 0);
}

TEST(Truncate, CutsToTheLongestPrefixThatFitsWithEllipsis) {
    const std::string label = "Oligodendrocyte precursor cells";
    const double maxPx = 80;
    const std::string cut = truncate(label, 12, maxPx);
    ASSERT_TRUE(cut.ends_with(ellipsis));
    const std::string prefix = cut.substr(0, cut.size() - ellipsis.size());
    EXPECT_EQ(label.compare(0, prefix.size(), prefix), 0);
    EXPECT_LE(textWidth(cut, 12), maxPx);
    EXPECT_GT(textWidth(label.substr(0, prefix.size() + 1) + ellipsis, 12), maxPx);
}

TEST(Truncate, BoundariesOfFit) {
    const std::string label = "Plasmacytoid dendritic cell";
    EXPECT_EQ(truncate(label, 12, textWidth(label, 12)), label);
    EXPECT_EQ(truncate("", 12, 0), "");
    // Nothing when not even the ellipsis fits.
    EXPECT_EQ(truncate("CD8A", 12, 11.9), "");
    EXPECT_EQ(truncate("CD8A", 12, 12), ellipsis);
    EXPECT_EQ(truncate("CD8A", 12, -1), "");
}

TEST(Truncate, NeverSplitsACharacterAtAnyWidth) {
    const std::vector<std::string> labels = {
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
            const std::size_t kept = cut.size() - ellipsis.size();
            const auto next = static_cast<unsigned char>(label[kept]);
            EXPECT_NE(next & 0xC0, 0x80) << "split inside a character at " << maxPx;
            EXPECT_NE(label.compare(kept, 2, "\xCC\x81"), 0) << "mark torn from its base";
            EXPECT_NE(label.compare(kept, 4, "\xF0\x9F\x8F\xBD"), 0) << "skin tone torn off";
        }
    }
}

TEST(Truncate, MeasuresInTheRequestedWeight) {
    const std::string label = "Conventional dendritic cells type 1";
    const std::string bold = truncate(label, 12, 120, Weight::Bold);
    EXPECT_LT(bold.size(), truncate(label, 12, 120).size());
    EXPECT_LE(textWidth(bold, 12, Weight::Bold), 120);
}

TEST(Truncate, HandlesInvalidAndHugeInput) {
    const std::string garbage = "\xFF\xFE\xC3\xE2\x82 valid \x80\xF0\x9F";
    for (double maxPx : {0.0, 10.0, 25.0, 40.0, 1000.0}) {
        EXPECT_LE(textWidth(truncate(garbage, 12, maxPx), 12), maxPx);
    }
    const std::string huge(10'000'000, 'x');
    const std::string cut = truncate(huge, 12, 100);
    EXPECT_TRUE(cut.ends_with(ellipsis));
    EXPECT_LE(textWidth(cut, 12), 100);
}

TEST(GeneratedTables, AreSortedAndCoverTheLabelRepertoire) {
    for (const font::FaceMetrics* face : {&font::regularFace, &font::boldFace}) {
        const auto& advances = face->advances;
        // Lookups binary-search both tables: strictly increasing keys.
        EXPECT_TRUE(std::adjacent_find(advances.begin(), advances.end(), [](auto& a, auto& b) {
            return a.codepoint >= b.codepoint;
        }) == advances.end());
        EXPECT_TRUE(std::adjacent_find(face->kerning.begin(), face->kerning.end(),
                                       [](auto& a, auto& b) {
                                           return a.left != b.left ? a.left > b.left
                                                                   : a.right >= b.right;
                                       }) == face->kerning.end());
        const auto has = [&](char32_t cp) {
            return std::binary_search(advances.begin(), advances.end(), font::Advance{cp, 0},
                                      [](auto& a, auto& b) { return a.codepoint < b.codepoint; });
        };
        for (char32_t cp = 0x20; cp <= 0xFF; ++cp) {
            if (cp >= 0x7F && cp < 0xA0) continue;  // C1 controls
            EXPECT_TRUE(has(cp)) << std::hex << static_cast<unsigned>(cp);
        }
        for (char32_t cp : {0x2013, 0x2014, 0x2026, 0x2212, 0x0391, 0x03C9, 0x0141}) {
            EXPECT_TRUE(has(cp)) << std::hex << static_cast<unsigned>(cp);
        }
    }
}

} // namespace
} // namespace tess::layout
