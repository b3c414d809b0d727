#!/usr/bin/env python3
"""Compare layout::textWidth with the widths headless Chromium gives SVG <text>.

Compiles a small driver around src/core/layout/metrics.cpp with g++, renders a few
hundred realistic labels in Chromium, and prints the absolute error per font size
and weight. Exits 1 when 12 px misses the target (mean <= 0.5 %, max <= 1 px).

Usage: python tools/measure_text_in_browser.py [--chromium PATH] [--keep DIR]
"""
from __future__ import annotations

import argparse
import html
import json
import re
import statistics
import subprocess
import sys
import tempfile
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
FONT_FAMILY = "Arial, 'Liberation Sans', Helvetica, sans-serif"
CHROMIUM_FLAGS = ["--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
                  "--disable-background-networking", "--dump-dom"]
TARGET_MEAN_PERCENT = 0.5
TARGET_MAX_PX = 1.0

GENES = """CD8A CD8B CD4 CD3E CD3D CD19 CD79A MS4A1 IFNG GZMB GZMK PRF1 NKG7 GNLY KLRD1
HLA-DRB1 HLA-DRA HLA-A HLA-B HLA-C B2M MT-CO1 MT-ND4 MT-ATP6 MT-CYB FOXP3 IL2RA IL7R
CCR7 SELL TCF7 LEF1 PDCD1 CTLA4 LAG3 HAVCR2 TOX TIGIT CXCL13 CXCR5 BCL6 PRDM1 IRF4
XBP1 JCHAIN MZB1 IGHG1 IGKC IGLC2 LYZ CD14 FCGR3A S100A8 S100A9 CSF1R C1QA C1QB APOE
TREM2 SPP1 MARCO FCER1A CLEC9A CLEC4C LILRA4 IL3RA PPBP PF4 HBB HBA1 EPCAM KRT8 KRT18
KRT19 VIM COL1A1 COL1A2 COL3A1 DCN LUM PDGFRA PDGFRB ACTA2 RGS5 PECAM1 VWF CDH5 PLVAP
MKI67 TOP2A PCNA GAPDH ACTB MALAT1 NEAT1 XIST RPS27A RPL13 OLIG2 PDGFRA SOX10 MBP PLP1
MOG GFAP AQP4 SLC1A3 RBFOX3 SNAP25 GAD1 GAD2 SLC17A7 TH ALB APOA1 INS GCG SST PPY
TTR CYP3A4 SFTPC SFTPB AGER SCGB1A1 FOXJ1 TP53 KRAS EGFR ERBB2 MYC BRCA1 PTEN""".split()

CELL_TYPES = """CD4+ T cells (naive)
CD4+ T cells (memory)
CD8+ T cells (effector)
CD8+ cytotoxic T cells
Regulatory T cells (Treg)
γδ T cells
MAIT cells
NK cells (CD56bright)
NK cells (CD56dim)
Naive B cells
Memory B cells
Plasma cells
Plasmablasts
Classical monocytes
Non-classical monocytes
Intermediate monocytes
Conventional dendritic cells type 1
cDC2
Plasmacytoid dendritic cell
Megakaryocytes / platelets
Erythrocytes
Hematopoietic stem cells
Oligodendrocyte precursor cells
Mature oligodendrocytes
Astrocytes
Microglia
Excitatory neurons (L2/3 IT)
Inhibitory neurons (PVALB+)
Endothelial cells
Pericytes
Vascular smooth muscle cells
Fibroblasts
Myofibroblasts
Cancer-associated fibroblasts
Alveolar type II cells
Alveolar macrophages
Ciliated epithelial cells
Club cells
Basal cells
Goblet cells
Hepatocytes
Kupffer cells
Cholangiocytes
Pancreatic β-cells
α-cells
δ-cells
Acinar cells
Ductal cells
Keratinocytes
Melanocytes
Schwann cells (myelinating)
Müller glia
Naïve CD4+ T cells
Tissue-resident memory T cells
Germinal center B cells
Follicular helper T cells (Tfh)
Mast cells
Eosinophils
Neutrophils
Unassigned
Doublets
Low quality""".splitlines()

MISC = """TNF-α signalling via NF-κB
IFN-γ response
Interferon α/β signalling
Δ expression (log2 fold change)
Expression level
Fraction of cells (%)
Mean expression in group
UMAP 1
UMAP 2
t-SNE 2
PC1 (23.4% variance)
Leiden clusters (resolution 1.0)
Pseudotime
Total counts per cell
Number of genes detected
Percent mitochondrial reads
Doublet score
Cell cycle phase: G2M
Patient 07 — pre-treatment
Patient 12 — post-treatment
São Paulo cohort
Zürich cohort
Île-de-France cohort
Universitätsklinikum Köln
Hôpital Européen
Ångström-scale resolution
Straße 5, 1010 Wien
café-au-lait macules
Temperature (°C)
Concentration (µg/ml)
Dose ± SD
p < 0.001
"quoted" label
It's 'single' quoted
Wave, Yarn, AVATAR, Today, LTA
Average Value (AV) vs. Total (To)
1,234,567.89
Sample… truncated
Ratio ≥ 2 and ≤ 5
−log10(p-value)""".splitlines()

KERNING_PROBES = ["AV", "To", "Ty", "LT", "AVAVAVAVAV", "Yo", "WA"]

FALLBACK_PROBES = ["中文标签", "한국어", "ＡＢＣ", "שלום", "مرحبا", "नमस्ते", "ภาษาไทย",
                   "⇒ ⊂ ∀", "✓ ★", "ṭạơư", "😀🧬", "ǎəʃ", "e\u0301", "co\u00adop", "a\u200bb"]
# Chromium rounds glyph advances to 1/64 px; smaller differences are not underestimates.
ROUNDING_PX = 1 / 64


def sampleIds() -> list[str]:
    ids = [f"S{n:02d}_rep{r}_L00{lane}" for n, r, lane in
           [(1, 2, 4), (2, 1, 1), (3, 3, 2), (10, 1, 3), (11, 2, 1), (17, 1, 4), (23, 2, 2),
            (36, 3, 3), (42, 1, 1), (58, 2, 4), (64, 1, 2), (77, 3, 1), (81, 2, 3), (99, 1, 4)]]
    ids += [f"GSM{4400000 + 137 * n}" for n in range(12)]
    ids += [f"Donor{d}_{tissue}_{chem}" for d, tissue, chem in
            [(1, "PBMC", "10x3v3"), (2, "BM", "10x5v2"), (3, "LN", "10x3v3"), (4, "Spleen", "SS2"),
             (5, "Lung", "10x3v2"), (6, "Liver", "CITE"), (7, "Kidney", "10x3v3")]]
    ids += [f"batch_{b}:{s}" for b, s in [("A", "ctrl"), ("B", "IFNb"), ("C", "LPS_6h"), ("D", "aCD3/CD28")]]
    return ids


def cases() -> list[dict]:
    """(text, px, weight) triples: every label at 12 px, a subset at 10/14 px and in bold."""
    labels = GENES + CELL_TYPES + MISC + sampleIds()
    out = [{"text": t, "px": 12, "bold": False, "group": "label"} for t in labels]
    for i, t in enumerate(labels):
        if i % 3 == 0:
            out.append({"text": t, "px": 10, "bold": False, "group": "label"})
        if i % 3 == 1:
            out.append({"text": t, "px": 14, "bold": False, "group": "label"})
        if i % 2 == 0:
            out.append({"text": t, "px": 12, "bold": True, "group": "label"})
    for t in FALLBACK_PROBES:
        out.append({"text": t, "px": 12, "bold": False, "group": "fallback"})
    return out


PAGE = """<!DOCTYPE html><html><head><meta charset="utf-8"></head><body>
<svg xmlns="http://www.w3.org/2000/svg" width="4000" height="200" id="svg"></svg>
<pre id="result"></pre>
<script>
const cases = CASES;
const probes = PROBES;
const svg = document.getElementById("svg");
function measure(text, px, bold, kerning) {
  const el = document.createElementNS("http://www.w3.org/2000/svg", "text");
  el.setAttribute("x", 10); el.setAttribute("y", 100);
  el.setAttribute("style", `font-family: FAMILY; font-size: ${px}px; ` +
    `font-weight: ${bold ? "bold" : "normal"}; font-kerning: ${kerning}; white-space: pre`);
  el.textContent = text;
  svg.appendChild(el);
  const width = el.getComputedTextLength();
  svg.removeChild(el);
  return width;
}
const widths = cases.map(c => measure(c.text, c.px, c.bold, "auto"));
const kerning = probes.map(t => [t, measure(t, 100, false, "auto"), measure(t, 100, false, "none")]);
document.getElementById("result").textContent = JSON.stringify({widths, kerning});
</script></body></html>
"""


def buildPage(allCases: list[dict]) -> str:
    return (PAGE.replace("CASES", json.dumps(allCases))
                .replace("PROBES", json.dumps(KERNING_PROBES))
                .replace("FAMILY", FONT_FAMILY))


def browserWidths(chromium: str, pagePath: Path) -> dict:
    dom = subprocess.run([chromium, *CHROMIUM_FLAGS, pagePath.as_uri()], capture_output=True,
                         text=True, timeout=120, check=True).stdout
    match = re.search(r'<pre id="result">(.*?)</pre>', dom, re.S)
    if not match:
        sys.exit("no result in Chromium's DOM; is the page's script failing?")
    return json.loads(html.unescape(match.group(1)))


def compileDriver(workDir: Path) -> Path:
    binary = workDir / "text_width_driver"
    layout = REPO / "src/core/layout"
    subprocess.run(["g++", "-std=c++20", "-O2", f"-I{REPO / 'src/core'}",
                    str(REPO / "tools/text_width_driver.cpp"), str(layout / "metrics.cpp"),
                    str(layout / "glyph_widths.cpp"), "-o", str(binary)], check=True)
    return binary


def predictedWidths(driver: Path, allCases: list[dict]) -> list[float]:
    lines = "".join(f"{'B' if c['bold'] else 'R'}\t{c['px']}\t{c['text']}\n" for c in allCases)
    out = subprocess.run([str(driver)], input=lines, capture_output=True, text=True, check=True)
    return [float(v) for v in out.stdout.split()]


def summarise(rows: list[tuple[dict, float, float]]) -> tuple[float, float, float, float]:
    errors = [abs(ours - theirs) for _, ours, theirs in rows]
    percents = [100 * e / theirs for e, (_, _, theirs) in zip(errors, rows) if theirs > 0]
    return statistics.mean(errors), max(errors), statistics.mean(percents), max(percents)


def reportLabels(allCases, ours, theirs) -> bool:
    rows = [(c, o, t) for c, o, t in zip(allCases, ours, theirs) if c["group"] == "label"]
    groups: dict[tuple, list] = {}
    for row in rows:
        groups.setdefault((row[0]["px"], row[0]["bold"]), []).append(row)
    print(f"{'size':>6} {'weight':>7} {'n':>4} {'mean px':>8} {'max px':>7} {'mean %':>7} {'max %':>6}")
    for (px, bold), groupRows in sorted(groups.items()):
        meanPx, maxPx, meanPct, maxPct = summarise(groupRows)
        print(f"{px:>4}px {'bold' if bold else 'regular':>7} {len(groupRows):>4} "
              f"{meanPx:8.4f} {maxPx:7.4f} {meanPct:7.3f} {maxPct:6.3f}")
    meanPx, maxPx, meanPct, maxPct = summarise(rows)
    print(f"{'all':>6} {'':>7} {len(rows):>4} {meanPx:8.4f} {maxPx:7.4f} {meanPct:7.3f} {maxPct:6.3f}")
    worst = sorted(rows, key=lambda r: -abs(r[1] - r[2]))[:5]
    print("worst:", "; ".join(f"{r[0]['text']!r} {r[0]['px']}px ours {r[1]:.3f} chromium {r[2]:.3f}"
                              for r in worst))
    at12 = [r for r in rows if r[0]["px"] == 12]
    _, max12, mean12, _ = summarise(at12)
    return mean12 <= TARGET_MEAN_PERCENT and max12 <= TARGET_MAX_PX


def reportKerning(probes: list) -> None:
    applied = [text for text, auto, none in probes if abs(auto - none) > 1e-6]
    print(f"kerning in Chromium SVG text: {'on' if applied else 'off'} "
          f"({len(applied)}/{len(probes)} probe pairs changed by font-kerning: none)")
    for text, auto, none in probes:
        print(f"  {text!r} at 100px: {auto:.3f} kerned, {none:.3f} unkerned")


def reportFallback(allCases, ours, theirs) -> None:
    print("characters the font lacks (ours should not be narrower):")
    for c, o, t in zip(allCases, ours, theirs):
        if c["group"] == "fallback":
            flag = "UNDER" if o < t - ROUNDING_PX else ""
            print(f"  {c['text']!r}: ours {o:.3f} chromium {t:.3f} {flag}")


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--chromium", default="chromium")
    parser.add_argument("--keep", type=Path, help="keep the page and driver in this directory")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as tmp:
        workDir = args.keep or Path(tmp)
        workDir.mkdir(parents=True, exist_ok=True)
        allCases = cases()
        page = workDir / "labels.html"
        page.write_text(buildPage(allCases), encoding="utf-8")
        ours = predictedWidths(compileDriver(workDir), allCases)
        measured = browserWidths(args.chromium, page)
    ok = reportLabels(allCases, ours, measured["widths"])
    reportKerning(measured["kerning"])
    reportFallback(allCases, ours, measured["widths"])
    print("12 px target met" if ok else "12 px target MISSED")
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
