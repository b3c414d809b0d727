"""Seeded generator of valid but hard specs for every family: the names users really have,
small requested sizes, large fonts, crowded labels and extreme value ranges.

`stressSpec(seed)` gives the same spec for the same seed; the family is `FAMILIES[seed % 11]`,
so any run of consecutive seeds covers the families evenly. The figures are judged, never kept.
"""
from __future__ import annotations

import numpy as np
import pandas as pd

from tessarine.pl._interactive import _spec

FAMILIES = ["points", "matrix", "dots", "bars", "distribution", "graph", "intervals", "curves", "volcano",
            "gate", "ranked"]

_CELLS = [
    "CD8⁺ T cells — effector/memory (Tₑₘ)", "CD4⁺ T cells — central memory (Tcm)", "Regulatory T cells (FOXP3⁺ Treg)",
    "γδ T cells", "Natural killer cells (CD56ᵇʳⁱᵍʰᵗ)", "Classical monocytes (CD14⁺⁺ CD16⁻)",
    "Plasmacytoid dendritic cells", "Naïve B cells", "Plasma cells (IgG⁺)", "Mast cells",
    "Endothelial cells — venous/HEV", "Cancer-associated fibroblasts (myCAF)", "Pericytes", "Basal epithelium",
    "SPP1⁺ tumour-associated macrophages", "Oligodendrocyte precursor cells (OPC)", "Neutrophils",
]
_SHORT = ["T", "B", "NK", "Mono", "DC", "Fib", "Endo", "Epi", "Mast", "Plasma", "pDC", "Treg"]
_GENES = [
    "CXCL13 (C-X-C motif chemokine ligand 13)", "CD274 (programmed cell death 1 ligand 1)", "FOXP3 (forkhead box P3)",
    "MKI67 (marker of proliferation Ki-67)", "SPP1 (secreted phosphoprotein 1)", "HLA-DRA (major histocompatibility "
    "complex, class II, DR alpha)", "GZMB (granzyme B)", "PDCD1", "CD8A", "EPCAM", "COL1A1 (collagen type I alpha 1 "
    "chain)", "ACTA2", "KRT5", "TOP2A (DNA topoisomerase II alpha)", "IL7R", "MS4A1 (membrane spanning 4-domains A1)",
]
_LABELS = [
    "log₂ fold change (tumour / adjacent normal tissue)", "mean log-normalised expression (counts per 10⁴, ln(1 + x))",
    "fraction of cells expressing — per cell type", "share of all cells in the section (%)",
    "CD8⁺ T-cell density per mm² of tumour stroma", "value", "x", "",
]


def _pick(rng, pool, count):
    """`count` distinct names from pool, made distinct by a suffix once the pool runs out."""
    names = [pool[i % len(pool)] + ("" if i < len(pool) else f" #{i // len(pool) + 1}")
             for i in rng.permutation(max(count, len(pool)))[:count]]
    return names


def _names(rng, count):
    kind = rng.integers(0, 3)
    pool = _CELLS if kind == 0 else _GENES if kind == 1 else _SHORT
    return _pick(rng, pool, count)


def _label(rng):
    return str(rng.choice(_LABELS))


def _common(rng):
    """Title, note, font and requested size: each hard half of the time."""
    kw = {}
    if rng.random() < 0.7:
        kw["title"] = str(rng.choice(["Stress", "Marker genes across the tumour microenvironment of 12 patients — "
                                      "responders against non-responders", "CD8⁺ T cells — effector/memory (Tₑₘ)"]))
    if rng.random() < 0.5:
        kw["note"] = str(rng.choice(["400 patients · split at the median · deaths at quarterly visits · "
                                     "log-rank test per feature", "n = 12", "cells · genes · samples " * 4]))
    if rng.random() < 0.6:
        kw["fontPx"] = float(rng.choice([12, 14, 16, 18, 20]))
    if rng.random() < 0.5:
        kw["width"] = float(rng.integers(340, 900))
        kw["height"] = float(rng.integers(280, 700))
    return kw


def _scale(rng):
    """A magnitude from tiny to huge, so tick labels get long."""
    return float(10.0 ** rng.choice([-6, -3, 0, 0, 2, 5, 9]))


def points(rng):
    n = int(rng.integers(50, 400))
    names = _names(rng, int(rng.integers(2, 25)))
    continuous = str(rng.choice(["CD8A", "mean log-normalised expression of the interferon-γ response signature "
                                 "(z-scored per sample)"]))
    frame = pd.DataFrame({"x": rng.normal(size=n) * _scale(rng), "y": rng.normal(size=n) * _scale(rng),
                          "type": pd.Categorical(rng.choice(names, size=n), names),
                          continuous: rng.gamma(1.0, _scale(rng), n)})
    return _spec.Points(frame=frame, x="x", y="y", keys=["type", continuous], categorical={"type": True},
                        scales={continuous: ("magma", None, None, None, "sequential")}, hover=[continuous],
                        size=float(rng.choice([3.0, 6.0])), equalAspect=bool(rng.random() < 0.3), **_common(rng))


def _table(rng, rows, columns):
    return pd.DataFrame(rng.gamma(1.0, 1.0, (len(rows), len(columns))) * _scale(rng), index=rows, columns=columns)


def matrix(rng):
    rows, columns = _names(rng, int(rng.integers(2, 40))), _names(rng, int(rng.integers(2, 25)))
    frame = _table(rng, rows, columns)
    kw = {}
    if rng.random() < 0.5:
        kw["scales"] = {"mean": frame, "z-score across the rows of the table": (frame - frame.mean()) / frame.std()}
        kw["scaleKinds"] = {"z-score across the rows of the table": "diverging"}
    if rng.random() < 0.5:
        kw["orders"] = {"as given": (list(range(len(rows))), list(range(len(columns)))),
                        "reversed": (list(range(len(rows)))[::-1], list(range(len(columns)))[::-1])}
    return _spec.Matrix(frame=frame, xlabel=_label(rng), ylabel=_label(rng), colorbarLabel=_label(rng),
                        square=bool(rng.random() < 0.4), **kw, **_common(rng))


def dots(rng):
    rows, columns = _names(rng, int(rng.integers(2, 30))), _names(rng, int(rng.integers(2, 15)))
    color = _table(rng, rows, columns)
    size = pd.DataFrame(rng.random(color.shape), index=rows, columns=columns)
    kw = {"scales": {"mean": color, "log₁₀ of the mean": np.log10(color + 1e-9)}} if rng.random() < 0.5 else {}
    return _spec.Dots(color=color, size=size, colorLabel=_label(rng), sizeLabel=_label(rng), xlabel=_label(rng),
                      ylabel=_label(rng), **kw, **_common(rng))


def bars(rng):
    rows, columns = _names(rng, int(rng.integers(2, 40))), _names(rng, int(rng.integers(1, 12)))
    percent = rng.random() < 0.5
    return _spec.Bars(pivot=_table(rng, rows, columns), horizontal=bool(rng.random() < 0.4),
                      stacked=bool(percent or rng.random() < 0.5), method="percent" if percent else "",
                      barLabel=_label(rng), valueLabel=_label(rng), **_common(rng))


def distribution(rng):
    groups = _names(rng, int(rng.integers(1, 12)))
    log = bool(rng.random() < 0.4)
    scale = _scale(rng)

    def values():
        return {g: rng.lognormal(0.0, 1.0, int(rng.integers(5, 80))) * scale for g in groups}

    kw = ({"panels": {name: values() for name in _names(rng, int(rng.integers(2, 5)))}} if rng.random() < 0.5
          else {"parts": values()})
    middle = scale * float(rng.uniform(0.5, 2.0))
    thresholds = {"too few molecules — likely empty droplets": middle, "likely doublets (two cells)": middle * 1.05}
    return _spec.Distribution(order=groups, style=str(rng.choice(["violin", "box", "strip"])),
                              thresholds=thresholds if rng.random() < 0.6 else {}, valueLabel=_label(rng),
                              groupLabel=_label(rng), log=log, **kw, **_common(rng))


def graph(rng):
    nodes = _names(rng, int(rng.integers(3, 30)))
    angle = rng.uniform(0, 2 * np.pi, len(nodes))
    positions = {n: (float(np.cos(a) * rng.uniform(0.3, 1)), float(np.sin(a) * rng.uniform(0.3, 1)))
                 for n, a in zip(nodes, angle)}
    pairs = [(a, b) for i, a in enumerate(nodes) for b in nodes[i + 1:] if rng.random() < 3.0 / len(nodes)]
    if not pairs:
        pairs = [(nodes[0], nodes[1])]
    edges = pd.DataFrame({"source": [a for a, _ in pairs], "target": [b for _, b in pairs],
                          "weight": rng.random(len(pairs))})
    states = {f"weight ≥ {cut:g}": (edges["weight"] >= cut).to_numpy() for cut in (0.0, 0.5)}
    return _spec.Graph(edges=edges, states=states if rng.random() < 0.5 else {}, directed=bool(rng.random() < 0.5),
                       positions=positions, names=nodes,
                       nodeSizes={n: float(rng.uniform(6, 30)) for n in nodes}, edgeLabel=_label(rng),
                       **_common(rng))


def intervals(rng):
    names = _names(rng, int(rng.integers(2, 40)))
    logScale = bool(rng.random() < 0.3)
    scale = _scale(rng)
    value = rng.lognormal(0, 1, len(names)) * scale if logScale else rng.normal(0, 1, len(names)) * scale
    spread = np.abs(value) * rng.uniform(0.1, 0.5, len(names)) + (0 if logScale else scale * 0.1)
    frame = pd.DataFrame({"value": value, "low": value - spread if not logScale else value / 2,
                          "high": value + spread, "compartment": rng.choice(["immune", "stromal"], len(names))},
                         index=names)
    orders = {"by value": np.argsort(value).tolist(), "as given": list(range(len(names)))}
    return _spec.Intervals(frame=frame, orders=orders if rng.random() < 0.5 else {},
                           colorBy="compartment" if rng.random() < 0.5 else None,
                           reference=None if logScale else 0.0, valueLabel=_label(rng), logScale=logScale,
                           **_common(rng))


def curves(rng):
    features = _names(rng, int(rng.integers(1, 12)))
    groups = _names(rng, int(rng.integers(1, 4)))

    def table():
        times = np.sort(rng.uniform(0, 100, 20)).round(2)
        value = np.cumprod(rng.uniform(0.9, 1.0, 20))
        return pd.DataFrame({"time": np.r_[0.0, times], "value": np.r_[1.0, value],
                             "low": np.r_[1.0, value * 0.9], "high": np.r_[1.0, np.minimum(value * 1.1, 1.0)]})

    notes = {f: "log-rank p = 0.0031 · 400 patients · split at each feature's median value" for f in features
             if rng.random() < 0.5}
    return _spec.Curves(curves={f: {g: table() for g in groups} for f in features}, xlabel=_label(rng),
                        ylabel=_label(rng), step=bool(rng.random() < 0.5), annotations=notes, **_common(rng))


def volcano(rng):
    n = int(rng.integers(30, 400))
    names = [f"{g.split(' ')[0]}-{i}" if rng.random() < 0.7 else f"{g} #{i}" for i, g in
             enumerate(rng.choice(_GENES, n))]
    effect = rng.normal(0, 2, n)
    pvalue = np.clip(10.0 ** -(np.abs(effect) * rng.uniform(0.5, 30)), 1e-300, 1)
    frame = pd.DataFrame({"effect": effect, "pvalue": pvalue, "logp": -np.log10(pvalue),
                          "biotype": rng.choice(["protein coding", "lncRNA"], n)}, index=names)
    return _spec.Volcano(frame=frame, group="biotype" if rng.random() < 0.5 else None,
                         top=int(rng.choice([0, 10, 30, 60])), xlabel=_label(rng), ylabel=_label(rng),
                         **_common(rng))


def gate(rng):
    markers = _names(rng, int(rng.integers(2, 5)))
    values = pd.DataFrame(rng.gamma(1.5, 1.0, (2000, len(markers))) * _scale(rng), columns=markers)
    kw = {"pairs": [(markers[0], markers[1])]} if rng.random() < 0.5 else {}
    thresholds = {m: float(values[m].median()) for m in markers}
    return _spec.Gate(values=values, markers=markers, bins=int(rng.choice([20, 60])), thresholds=thresholds, **kw,
                      **_common(rng))


def ranked(rng):
    def table():
        items = _names(rng, int(rng.integers(2, 30)))
        return pd.DataFrame({"value": np.sort(rng.gamma(2.0, _scale(rng), len(items)))[::-1],
                             "kind": rng.choice(["surface marker", "transcription factor"], len(items))}, index=items)

    groups = {g: table() for g in _names(rng, int(rng.integers(1, 5)))}
    return _spec.Ranked(groups=groups, colorBy="kind" if rng.random() < 0.5 else None,
                        horizontal=bool(rng.random() < 0.5), valueLabel=_label(rng), **_common(rng))


def stressSpec(seed: int):
    """(family, spec) of this seed."""
    family = FAMILIES[seed % len(FAMILIES)]
    return family, globals()[family](np.random.default_rng(seed))
