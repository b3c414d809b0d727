// Text widths from the generated font tables: advances plus pair kerning, summed in font units.
#include "layout/metrics.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "layout/glyph_widths.hpp"

namespace tess::layout {
namespace {

using font::FaceMetrics;
using Units = std::int64_t;

constexpr char32_t replacementChar = 0xFFFD;
constexpr char32_t ellipsisChar = 0x2026;
constexpr std::string_view ellipsisUtf8 = "\xE2\x80\xA6";

const FaceMetrics& faceOf(Weight weight) {
    return weight == Weight::Bold ? font::boldFace : font::regularFace;
}

double pxPerUnit(const FaceMetrics& face, double fontPx) {
    return fontPx / face.unitsPerEm;
}

struct Decoded {
    char32_t codepoint;
    std::size_t length;
};

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// A malformed sequence yields U+FFFD for its first byte only, so decoding resumes
// at the next byte and never reads past the end.
Decoded decodeAt(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) return {lead, 1};
    std::size_t length = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, smallest = 0x10000;
    } else {
        return {replacementChar, 1};
    }
    if (length > text.size() - pos) return {replacementChar, 1};
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if (!isContinuation(byte)) return {replacementChar, 1};
        value = (value << 6) | (byte & 0x3F);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (value < smallest || value > 0x10FFFF || surrogate) return {replacementChar, 1};
    return {value, length};
}

bool inRange(char32_t cp, char32_t first, char32_t last) {
    return cp >= first && cp <= last;
}

bool isCombiningMark(char32_t cp) {
    return inRange(cp, 0x0300, 0x036F) || inRange(cp, 0x1AB0, 0x1AFF) ||
           inRange(cp, 0x1DC0, 0x1DFF) || inRange(cp, 0x20D0, 0x20FF) ||
           inRange(cp, 0xFE20, 0xFE2F);
}

// Characters browsers draw as nothing: controls, soft hyphen, format and joiner
// characters, variation selectors, tags.
bool isInvisible(char32_t cp) {
    return cp < 0x20 || inRange(cp, 0x7F, 0x9F) || cp == 0x00AD || cp == 0x034F ||
           inRange(cp, 0x200B, 0x200F) || inRange(cp, 0x202A, 0x202E) ||
           inRange(cp, 0x2060, 0x206F) || inRange(cp, 0xFE00, 0xFE0F) || cp == 0xFEFF ||
           inRange(cp, 0xE0000, 0xE0FFF);
}

// Code points that belong to the character before them, so a cut must not fall
// between: combining marks, variation selectors, zero-width joiners, skin tones.
bool attachesToPrevious(char32_t cp) {
    return isCombiningMark(cp) || inRange(cp, 0xFE00, 0xFE0F) || inRange(cp, 0xE0100, 0xE01EF) ||
           cp == 0x200D || inRange(cp, 0x1F3FB, 0x1F3FF);
}

bool isEmoji(char32_t cp) {
    return inRange(cp, 0x2600, 0x27BF) || inRange(cp, 0x2B00, 0x2BFF) ||
           inRange(cp, 0x1F000, 0x1FAFF);
}

// Tabs and line breaks are laid out as spaces on a single line.
char32_t normalised(char32_t cp) {
    return cp == '\t' || cp == '\n' || cp == '\r' ? U' ' : cp;
}

std::optional<Units> tableAdvance(const FaceMetrics& face, char32_t cp) {
    const auto it = std::lower_bound(
        face.advances.begin(), face.advances.end(), cp,
        [](const font::Advance& entry, char32_t key) { return entry.codepoint < key; });
    if (it == face.advances.end() || it->codepoint != cp) return std::nullopt;
    return it->width;
}

// Characters missing from the font come from a fallback font we cannot see, so the
// estimate errs wide: combining marks and invisible characters take no space; emoji
// 1.25 em (Noto Color Emoji advances 2550/2048 em); everything else 1 em, which
// matches CJK/Hangul/fullwidth glyphs and bounds nearly all letters and symbols of
// the usual fallbacks (DejaVu Sans, Noto Sans).
Units advanceUnits(const FaceMetrics& face, char32_t cp) {
    if (isInvisible(cp)) return 0;
    if (const auto width = tableAdvance(face, cp)) return *width;
    if (isCombiningMark(cp)) return 0;
    if (isEmoji(cp)) return face.unitsPerEm + face.unitsPerEm / 4;
    return face.unitsPerEm;
}

Units kerningUnits(const FaceMetrics& face, char32_t left, char32_t right) {
    const auto less = [](const font::KernPair& a, const font::KernPair& b) {
        return a.left != b.left ? a.left < b.left : a.right < b.right;
    };
    const font::KernPair key{left, right, 0};
    const auto it = std::lower_bound(face.kerning.begin(), face.kerning.end(), key, less);
    if (it == face.kerning.end() || it->left != left || it->right != right) return 0;
    return it->adjust;
}

// Browsers shape each script run separately, so no kerning crosses a change of
// script; spaces, digits and punctuation (Common) continue the current run.
enum class Script { Common, Latin, Greek, Cyrillic, Other };

Script scriptOf(const FaceMetrics& face, char32_t cp) {
    const bool asciiLetter = inRange(cp | 0x20, U'a', U'z');
    const bool latin1Letter = inRange(cp, 0xC0, 0x24F) && cp != 0xD7 && cp != 0xF7;
    if (asciiLetter || latin1Letter || cp == 0xAA || cp == 0xBA || inRange(cp, 0x1E00, 0x1EFF) ||
        inRange(cp, 0xFB00, 0xFB06)) {
        return Script::Latin;
    }
    if (inRange(cp, 0x0370, 0x03FF) && cp != 0x037E && cp != 0x0387) return Script::Greek;
    if (inRange(cp, 0x0400, 0x052F)) return Script::Cyrillic;
    // Whatever the font lacks comes from another font, which splits the run as well.
    const bool fallback = !tableAdvance(face, cp) && !isCombiningMark(cp) && !isInvisible(cp);
    return fallback ? Script::Other : Script::Common;
}

// Running width of a line, one code point at a time.
class LineWidth {
public:
    explicit LineWidth(const FaceMetrics& face) : face_(face) {}

    void append(char32_t cp) {
        units_ = unitsWith(cp);
        previous_ = normalised(cp);
        const Script script = scriptOf(face_, previous_.value());
        if (script != Script::Common) run_ = script;
    }

    // Width the line would have with cp appended.
    Units unitsWith(char32_t cp) const {
        const char32_t shown = normalised(cp);
        return units_ + kerningBefore(shown) + advanceUnits(face_, shown);
    }

    Units units() const { return units_; }

private:
    Units kerningBefore(char32_t cp) const {
        if (!previous_) return 0;
        const Script script = scriptOf(face_, cp);
        const bool newRun = script != Script::Common && run_ != Script::Common && script != run_;
        return newRun ? 0 : kerningUnits(face_, *previous_, cp);
    }

    const FaceMetrics& face_;
    Units units_ = 0;
    std::optional<char32_t> previous_;
    Script run_ = Script::Common;
};

} // namespace

double textWidth(std::string_view utf8, double fontPx, Weight weight) {
    const FaceMetrics& face = faceOf(weight);
    LineWidth line(face);
    for (std::size_t pos = 0; pos < utf8.size();) {
        const Decoded next = decodeAt(utf8, pos);
        line.append(next.codepoint);
        pos += next.length;
    }
    return static_cast<double>(line.units()) * pxPerUnit(face, fontPx);
}

double widest(std::span<const std::string> names, double fontPx, Weight weight) {
    double result = 0;
    for (const std::string& name : names) result = std::max(result, textWidth(name, fontPx, weight));
    return result;
}

// One forward pass: advances are positive and outweigh any kerning, so the width of
// "prefix + ellipsis" grows with the prefix and the scan stops at the first overflow.
std::string truncate(std::string_view utf8, double fontPx, double maxPx, Weight weight) {
    const FaceMetrics& face = faceOf(weight);
    const double scale = pxPerUnit(face, fontPx);
    const auto fits = [&](Units units) { return static_cast<double>(units) * scale <= maxPx; };

    LineWidth line(face);
    std::optional<std::size_t> bestCut;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const Decoded next = decodeAt(utf8, pos);
        const bool cutAllowed = !attachesToPrevious(next.codepoint);
        if (cutAllowed && fits(line.unitsWith(ellipsisChar))) bestCut = pos;
        line.append(next.codepoint);
        if (!fits(line.units())) {
            if (!bestCut) return {};
            std::string result(utf8.substr(0, *bestCut));
            result += ellipsisUtf8;
            return result;
        }
        pos += next.length;
    }
    return std::string(utf8);
}

std::vector<std::string> wrapText(std::string_view utf8, double fontPx, double firstPx, double restPx,
                                  std::size_t maxLines) {
    std::vector<std::string> lines;
    std::string line;
    const auto room = [&] { return lines.empty() ? firstPx : restPx; };
    for (std::size_t start = 0;;) {
        const std::size_t end = utf8.find(' ', start);
        const std::string_view word = utf8.substr(start, end == std::string_view::npos ? end : end - start);
        std::string joined = line.empty() ? std::string(word) : line + " " + std::string(word);
        if (line.empty() || textWidth(joined, fontPx) <= room()) {
            line = std::move(joined);
        } else {
            lines.push_back(std::move(line));
            line = std::string(word);
        }
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    lines.push_back(std::move(line));
    // Past the last line allowed, the rest joins it and is shortened.
    while (lines.size() > std::max<std::size_t>(maxLines, 1)) {
        std::string last = std::move(lines.back());
        lines.pop_back();
        lines.back() += " " + last;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double fits = i == 0 ? firstPx : restPx;
        if (textWidth(lines[i], fontPx) > fits) lines[i] = truncate(lines[i], fontPx, fits);
    }
    return lines;
}

LineMetrics lineMetrics(double fontPx, Weight weight) {
    const FaceMetrics& face = faceOf(weight);
    const double scale = pxPerUnit(face, fontPx);
    if (face.useTypoMetrics) {
        return {face.typoAscent * scale, -face.typoDescent * scale, face.typoLineGap * scale};
    }
    return {face.hheaAscent * scale, -face.hheaDescent * scale, face.hheaLineGap * scale};
}

} // namespace tess::layout
