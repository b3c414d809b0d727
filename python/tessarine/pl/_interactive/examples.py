"""Example specs drawn from generated data: the gallery's pages and the golden corpus.

Every example is deterministic (fixed seeds), so its finished figure can be kept and compared.
"""

import numpy as np
import pandas as pd

from . import _spec

_CELL_TYPES = [
    "CD4+ T cells (naive)", "CD8+ cytotoxic T cells", "Regulatory T cells", "Natural killer cells",
    "Classical monocytes", "Non-classical monocytes", "Plasmacytoid dendritic cells", "Conventional dendritic cells",
    "Naive B cells", "Memory B cells", "Plasma cells", "Mast cells", "Neutrophils", "Endothelial cells (venous)",
    "Endothelial cells (arterial)", "Fibroblasts (myofibroblast-like)", "Pericytes", "Smooth muscle cells",
    "Epithelial cells (basal)", "Oligodendrocyte precursor cells",
]


def cellTypeShares(samples=40, types=20, seed=7):
    """Cell counts per sample (rows) and cell type (columns), from a Dirichlet mixture."""
    rng = np.random.default_rng(seed)
    weights = rng.dirichlet(np.full(types, 0.6), size=samples)
    totals = rng.integers(800, 12000, size=samples)
    counts = np.floor(weights * totals[:, None]).astype(np.int64)
    index = pd.Index([f"S{i + 1:02d}_rep{i % 3 + 1}_L00{i % 4 + 1}" for i in range(samples)], name="sample")
    return pd.DataFrame(counts, index=index, columns=_CELL_TYPES[:types])


def _palette(names):
    from . import _theme

    colors = _theme.COLORWAY
    return {name: colors[i % len(colors)] for i, name in enumerate(names)}


def barsProportions():
    """Stacked cell-type proportions of 40 samples, percent method, with counts in the tooltip."""
    counts = cellTypeShares()
    return _spec.Bars(
        pivot=counts.astype(float), counts=counts, stacked=True, method="percent",
        colors=_palette(counts.columns), barLabel="sample", valueLabel="share of cells",
        title="Cell-type composition per sample", note="40 samples · 20 cell types · shares of all cells",
    )


def barsHorizontal():
    """Grouped horizontal bars: mean counts of five cell types in twelve niches."""
    counts = cellTypeShares(samples=12, types=5, seed=3)
    counts.index = [f"niche {i + 1}: {name}" for i, name in enumerate(
        ["tumour core", "invasive margin", "stroma", "tertiary lymphoid structure", "necrosis", "vessel",
         "epithelium", "immune desert", "perivascular", "fibrotic band", "normal adjacent", "border"])]
    return _spec.Bars(pivot=counts.astype(float), horizontal=True, stacked=False, colors=_palette(counts.columns),
                      barLabel="niche", valueLabel="cells", title="Cells per niche")


def barsSized():
    """A stacked bar chart at a requested figure size."""
    counts = cellTypeShares(samples=25, types=8, seed=11)
    return _spec.Bars(pivot=counts.astype(float), stacked=True, method="percent", colors=_palette(counts.columns),
                      barLabel="sample", valueLabel="share", title="Composition at 900 × 600", width=900, height=600)


# (file stem, title, spec factory), in gallery order.
EXAMPLES = [
    ("bars-proportions", "Bars: cell-type composition (stacked, percent)", barsProportions),
    ("bars-horizontal", "Bars: cells per niche (grouped, horizontal)", barsHorizontal),
    ("bars-sized", "Bars: a requested figure size", barsSized),
]
