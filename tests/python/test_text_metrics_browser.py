"""How far the layout's text widths are from what Chromium draws, for realistic labels."""

import statistics

import numpy as np
import pytest
from browser.judge import measureTextWidths

from tessarine.pl._interactive import _layout
from tessarine.pl._interactive.examples import _CELL_TYPES

pytestmark = pytest.mark.browser

GENES = ("CD8A CD4 CD3E MS4A1 IFNG GZMB NKG7 GNLY HLA-DRB1 HLA-DRA B2M MT-CO1 MT-ND4 FOXP3 IL2RA IL7R CCR7 "
         "PDCD1 CTLA4 LAG3 HAVCR2 TOX CXCL13 JCHAIN MZB1 IGHG1 IGKC LYZ CD14 FCGR3A S100A8 C1QA APOE TREM2 SPP1 "
         "EPCAM KRT8 VIM COL1A1 DCN PDGFRA ACTA2 PECAM1 VWF MKI67 TOP2A GAPDH MALAT1 OLIG2 SOX10 MBP GFAP AQP4 "
         "SNAP25 GAD1 SLC17A7 ALB INS SFTPC SCGB1A1 TP53 KRAS EGFR ERBB2 MYC").split()


def _labels():
    rng = np.random.default_rng(5)
    samples = [f"S{i:02d}_rep{i % 3 + 1}_L00{i % 4 + 1}" for i in range(60)]
    extra = ["IFN-γ response", "Müller glia", "Schwann cells (non-myelinating)", "niche 12: tumour–stroma border",
             "TGF-β signalling", "log₂ fold change", "Ω-3 lipid", "Sample (µm²)"]
    mixed = [f"{rng.choice(GENES)}+ {rng.choice(_CELL_TYPES).lower()}" for _ in range(80)]
    return GENES + list(_CELL_TYPES) + samples + extra + mixed


@pytest.mark.parametrize("fontPx", [10, 12, 14])
def test_layout_widths_match_the_browser(fontPx):
    labels = _labels()
    drawn = measureTextWidths(labels, fontPx)
    predicted = [_layout.textWidth(label, fontPx) for label in labels]
    errors = [abs(p - d) for p, d in zip(predicted, drawn)]
    relative = [e / d for e, d in zip(errors, drawn) if d > 0]
    print(f"\n{len(labels)} labels at {fontPx} px: mean |error| {statistics.mean(errors):.3f} px, "
          f"max {max(errors):.3f} px, mean {100 * statistics.mean(relative):.3f} %")
    # Characters the pinned font lacks (a subscript two) are given a full em, which may
    # overshoot what a fallback face draws; the layout must never undershoot.
    assert max(d - p for p, d in zip(predicted, drawn)) <= 0.5
    assert sorted(errors)[int(0.98 * len(errors))] <= 0.1
    assert statistics.mean(relative) <= 0.005
