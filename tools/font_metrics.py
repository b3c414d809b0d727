#!/usr/bin/env python3
"""Generate src/core/layout/glyph_widths.cpp: advance, kerning and vertical
metrics of Liberation Sans Regular/Bold, so text can be measured without a browser.

Usage: python tools/font_metrics.py [--font-dir DIR] [--output FILE]
"""
from __future__ import annotations

import argparse
from pathlib import Path

from fontTools.ttLib import TTFont

REPO = Path(__file__).resolve().parent.parent
DEFAULT_FONT_DIR = Path("/usr/share/fonts/truetype/liberation")
DEFAULT_OUTPUT = REPO / "src/core/layout/glyph_widths.cpp"
FACES = {"regularFace": "LiberationSans-Regular.ttf", "boldFace": "LiberationSans-Bold.ttf"}
COMMAND = "python tools/font_metrics.py"


def isCovered(cp: int) -> bool:
    """Printable code points worth tabulating: no controls, no private use."""
    if cp < 0x20 or 0x7F <= cp < 0xA0:
        return False
    return not (0xE000 <= cp <= 0xF8FF)


def advances(font: TTFont) -> dict[int, int]:
    """Code point -> advance width in font units."""
    hmtx = font["hmtx"].metrics
    return {cp: hmtx[glyph][0] for cp, glyph in font.getBestCmap().items() if isCovered(cp)}


def gposKernLookups(font: TTFont):
    """Pair-adjustment lookups reached from the GPOS 'kern' feature."""
    if "GPOS" not in font:
        return []
    gpos = font["GPOS"].table
    indices = sorted({i for rec in gpos.FeatureList.FeatureRecord if rec.FeatureTag == "kern"
                      for i in rec.Feature.LookupListIndex})
    subtables = []
    for lookup in (gpos.LookupList.Lookup[i] for i in indices):
        for sub in lookup.SubTable:
            if lookup.LookupType == 9:  # extension: the real subtable is wrapped
                sub = sub.ExtSubTable
            if sub.LookupType == 2:
                subtables.append(sub)
    return subtables


def xAdvance(value) -> int:
    return (getattr(value, "XAdvance", 0) or 0) if value is not None else 0


def glyphPairsFromGpos(font: TTFont) -> dict[tuple[str, str], int]:
    """Glyph pair -> advance adjustment of the first glyph; first subtable wins, as in shaping."""
    pairs: dict[tuple[str, str], int] = {}
    glyphOrder = font.getGlyphOrder()
    for sub in gposKernLookups(font):
        if sub.Format == 1:
            for first, pairSet in zip(sub.Coverage.glyphs, sub.PairSet):
                for rec in pairSet.PairValueRecord:
                    pairs.setdefault((first, rec.SecondGlyph), xAdvance(rec.Value1))
        elif sub.Format == 2:
            class1 = sub.ClassDef1.classDefs
            class2 = sub.ClassDef2.classDefs
            for first in sub.Coverage.glyphs:
                row = sub.Class1Record[class1.get(first, 0)]
                for second in glyphOrder:
                    value = xAdvance(row.Class2Record[class2.get(second, 0)].Value1)
                    if value:
                        pairs.setdefault((first, second), value)
    return pairs


def glyphPairsFromKernTable(font: TTFont) -> dict[tuple[str, str], int]:
    pairs: dict[tuple[str, str], int] = {}
    if "kern" in font:
        for table in font["kern"].kernTables:
            for pair, value in getattr(table, "kernTable", {}).items():
                pairs.setdefault(pair, value)
    return pairs


def kerningPairs(font: TTFont) -> dict[tuple[int, int], int]:
    """Code point pair -> adjustment, for pairs whose glyphs both have covered code points."""
    glyphPairs = glyphPairsFromGpos(font) or glyphPairsFromKernTable(font)
    codepoints: dict[str, list[int]] = {}
    for cp, glyph in font.getBestCmap().items():
        if isCovered(cp):
            codepoints.setdefault(glyph, []).append(cp)
    result = {}
    for (left, right), value in glyphPairs.items():
        for a in codepoints.get(left, []):
            for b in codepoints.get(right, []):
                if value:
                    result[(a, b)] = value
    return result


def verticalMetrics(font: TTFont) -> dict[str, int]:
    hhea, os2 = font["hhea"], font["OS/2"]
    return {
        "unitsPerEm": font["head"].unitsPerEm,
        "hheaAscent": hhea.ascent, "hheaDescent": hhea.descent, "hheaLineGap": hhea.lineGap,
        "typoAscent": os2.sTypoAscender, "typoDescent": os2.sTypoDescender,
        "typoLineGap": os2.sTypoLineGap,
        "winAscent": os2.usWinAscent, "winDescent": os2.usWinDescent,
        "useTypoMetrics": bool(os2.fsSelection & (1 << 7)),
    }


def rows(items: list[str], perLine: int) -> str:
    lines = [", ".join(items[i:i + perLine]) for i in range(0, len(items), perLine)]
    return ",\n".join("    " + line for line in lines)


def faceTables(name: str, fileName: str, font: TTFont) -> str:
    """The advance and kerning arrays of one face."""
    widths = advances(font)
    kerns = kerningPairs(font)
    advanceRows = rows([f"{{0x{cp:04X}, {w}}}" for cp, w in sorted(widths.items())], 8)
    kernRows = rows([f"{{0x{a:04X}, 0x{b:04X}, {k}}}" for (a, b), k in sorted(kerns.items())], 6)
    return f"""// {fileName}: {len(widths)} advances, {len(kerns)} kerning pairs.
const Advance {name}Advances[] = {{
{advanceRows}
}};

const KernPair {name}Kerning[] = {{
{kernRows}
}};
"""


def faceDefinition(name: str, font: TTFont) -> str:
    v = verticalMetrics(font)
    typo = "true" if v["useTypoMetrics"] else "false"
    return f"""const FaceMetrics {name} = {{
    {v['unitsPerEm']},
    {v['hheaAscent']}, {v['hheaDescent']}, {v['hheaLineGap']},
    {v['typoAscent']}, {v['typoDescent']}, {v['typoLineGap']},
    {v['winAscent']}, {v['winDescent']},
    {typo},
    {name}Advances,
    {name}Kerning,
}};
"""


def generate(fontDir: Path) -> str:
    fonts = {name: TTFont(fontDir / fileName) for name, fileName in FACES.items()}
    tables = [faceTables(name, FACES[name], font) for name, font in fonts.items()]
    definitions = [faceDefinition(name, font) for name, font in fonts.items()]
    return "\n".join([
        f"// Generated by `{COMMAND}` from Liberation Sans; do not edit.",
        "// Advances and kerning are in font units, keyed by Unicode code point.",
        '#include "layout/glyph_widths.hpp"',
        "",
        "namespace tess::layout::font {",
        "namespace {",
        "",
        *tables,
        "} // namespace",
        "",
        *definitions,
        "} // namespace tess::layout::font",
        "",
    ])


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--font-dir", type=Path, default=DEFAULT_FONT_DIR)
    parser.add_argument("--output", type=Path, default=DEFAULT_OUTPUT)
    args = parser.parse_args()
    args.output.write_text(generate(args.font_dir))
    print(f"wrote {args.output}")


if __name__ == "__main__":
    main()
