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


_TISSUE_TYPES = [
    "Tumour epithelium", "Basal epithelium", "Cancer-associated fibroblasts", "Myofibroblasts", "Endothelium",
    "Pericytes", "CD4+ T cells", "CD8+ T cells", "Regulatory T cells", "B cells", "Plasma cells",
    "Macrophages (SPP1+)", "Macrophages (C1Q+)", "Dendritic cells", "Mast cells",
]


# Marker genes of twelve immune and stromal cell types, three to four per type.
_MARKERS = {
    "CD4+ T cells": ["CD3E", "CD4", "IL7R", "CCR7"],
    "CD8+ T cells": ["CD8A", "CD8B", "GZMK"],
    "Regulatory T cells": ["FOXP3", "IL2RA", "CTLA4", "TIGIT"],
    "NK cells": ["NKG7", "GNLY", "KLRD1"],
    "Naive B cells": ["MS4A1", "CD79A", "TCL1A"],
    "Plasma cells": ["JCHAIN", "MZB1", "IGHG1"],
    "Classical monocytes": ["CD14", "LYZ", "S100A8", "VCAN"],
    "Non-classical monocytes": ["FCGR3A", "MS4A7", "CDKN1C"],
    "Dendritic cells (cDC2)": ["CD1C", "FCER1A", "CLEC10A"],
    "Plasmacytoid DCs": ["LILRA4", "IL3RA", "CLEC4C"],
    "Endothelial cells": ["PECAM1", "VWF", "CLDN5"],
    "Fibroblasts": ["COL1A1", "DCN", "LUM", "PDGFRA"],
}


def markerExpression(seed=5):
    """Per gene (rows) and cell type (columns): mean expression, fraction of cells expressing,
    cells expressing and cells per type, as a marker-gene table summarises a clustered atlas."""
    rng = np.random.default_rng(seed)
    types = list(_MARKERS)
    genes = [gene for markers in _MARKERS.values() for gene in markers]
    own = np.array([[gene in _MARKERS[t] for t in types] for gene in genes])
    fraction = np.where(own, rng.uniform(0.55, 0.97, own.shape), rng.beta(0.6, 6.0, own.shape))
    mean = np.where(own, rng.uniform(1.4, 3.6, own.shape), rng.gamma(1.2, 0.15, own.shape)) * fraction
    cells = rng.integers(180, 9000, size=len(types))
    index = pd.Index(genes, name="gene")

    def table(values):
        return pd.DataFrame(values, index=index, columns=types)

    expressing = np.rint(fraction * cells).astype(np.int64)
    return table(mean), table(fraction), table(expressing), table(np.tile(cells, (len(genes), 1)))


def dotsMarkers():
    """Forty marker genes over twelve cell types: z-scores or fold changes as colour, the
    fraction of expressing cells as dot area, cell counts in the tooltip."""
    mean, fraction, expressing, cells = markerExpression()
    logged = np.log1p(mean)
    zscore = logged.sub(logged.mean(axis=1), axis=0).div(logged.std(axis=1), axis=0)
    rest = (logged.sum(axis=1).to_numpy()[:, None] - logged) / (logged.shape[1] - 1)
    foldChange = (logged - rest) / np.log(2)
    # Rounded: numpy releases differ in the last bits of log1p, the figure should not.
    zscore, foldChange = zscore.round(6), foldChange.round(6)
    return _spec.Dots(
        scales={"z-score across cell types": zscore, "log2 fold change vs rest": foldChange}, size=fraction,
        extra={"cells expressing": expressing, "cells in type": cells}, kind="diverging",
        colorLabel="scaled expression", sizeLabel="of cells expressing", xlabel="cell type", ylabel="gene",
        title="Marker genes by cell type", note="40 genes · 12 cell types · colour switches between scalings",
    )


def tissueSection(cells=50_000, seed=1):
    """A synthetic tissue section: an irregular outline three halves wider than tall, with
    niches (tumour nests, stroma, a lymphoid aggregate, vessels) that set the cell types."""
    rng = np.random.default_rng(seed)
    angle = rng.uniform(0, 2 * np.pi, cells * 2)
    radius = np.sqrt(rng.uniform(0, 1, cells * 2))
    wobble = 1 + 0.12 * np.sin(3 * angle) + 0.07 * np.cos(5 * angle + 1)
    x = 1500 * radius * wobble * np.cos(angle)
    y = 1000 * radius * wobble * np.sin(angle)
    keep = ~((x > 400) & (np.abs(y) < 180))  # a cut into the section, as sections have
    x, y = x[keep][:cells], y[keep][:cells]
    nests = np.array([[-700, 300], [-200, -400], [500, 450], [900, -300]])
    nest = np.min(np.hypot(x[:, None] - nests[:, 0], y[:, None] - nests[:, 1]), axis=1)
    lymphoid = np.hypot(x + 900, y + 450)
    vessel = np.abs(np.sin(x / 260) * 300 - y) % 700
    one = np.ones(len(x))
    weights = np.stack([
        8 * (nest < 260), 2 * (nest < 330), 3 * (nest > 260), 1.5 * (nest > 330), 1 + 4 * (vessel < 40),
        0.5 + 2 * (vessel < 60), 1 + 5 * (lymphoid < 300), 1 + 3 * (nest < 380), 0.3 + 2 * (lymphoid < 260),
        0.2 + 6 * (lymphoid < 220), 0.3 + 1.5 * (lymphoid < 400), 0.5 + 2.5 * (nest < 300), one,
        0.3 + 1.5 * (lymphoid < 320), 0.3 * one,
    ], axis=1).astype(float)
    weights /= weights.sum(axis=1, keepdims=True)
    kind = (weights.cumsum(axis=1) > rng.uniform(size=(len(x), 1))).argmax(axis=1)
    cellType = np.array(_TISSUE_TYPES)[kind]
    expression = rng.gamma(1.2, 0.4, len(x)) + 3.0 * np.isin(kind, [7]) * rng.gamma(2.0, 0.8, len(x))
    sample = np.where(x < -200, "P07_section_A", np.where(x < 600, "P07_section_B", "P07_section_C"))
    return pd.DataFrame(
        {"x_um": x.round(1), "y_um": y.round(1), "cell type": pd.Categorical(cellType, _TISSUE_TYPES),
         "CD8A": expression.round(3), "sample": sample, "counts": rng.poisson(900, len(x)),
         "niche": np.where(nest < 260, "tumour nest", np.where(lymphoid < 300, "lymphoid aggregate", "stroma"))},
        index=pd.Index([f"P07_{i:06d}" for i in range(len(x))], name="cell"),
    )


def pointsTissue(cells=50_000):
    """A tissue section coloured by cell type, CD8A expression or sample."""
    frame = tissueSection(cells)
    samples = sorted(frame["sample"].unique())
    return _spec.Points(
        frame=frame, x="x_um", y="y_um", keys=["cell type", "CD8A", "sample"],
        categorical={"cell type": True, "sample": True},
        colors={"cell type": _palette(_TISSUE_TYPES), "sample": _palette(samples)},
        scales={"CD8A": ("magma", None, None, None, "sequential")},
        hover=["niche", "counts", "CD8A"], size=3.0, alpha=0.85, equalAspect=True,
        title="Tissue section P07", note=f"{len(frame):,} cells · colour by cell type, CD8A expression or sample",
    )


def pointsSmall():
    """The tissue section at 600 cells: SVG markers, every cell named in its tooltip."""
    return pointsTissue(600)


def rasterTissue(cells=3_000_000):
    """A few million cells of a large section as one density image, coloured by cell type.

    The host composes this page: the raster layer is a single image trace, and a legend of
    the categories' colours is added as empty marker traces.
    """
    import plotly.graph_objects as go

    from . import _render

    frame = tissueSection(cells, seed=4)
    colors = _palette(_TISSUE_TYPES)
    codes = frame["cell type"].cat.codes.to_numpy()
    full = {"x": frame["x_um"].to_numpy(np.float32), "y": frame["y_um"].to_numpy(np.float32), "codes": codes,
            "categories": list(_TISSUE_TYPES), "colors": colors, "label": "cell type"}
    spec = _spec.Points(frame=frame.iloc[:0], x="x_um", y="y_um", keys=["cell type"], equalAspect=True, full=full,
                        title="Tissue section P07, whole slide", note=f"{cells:,} cells as one density image")
    traces, window, names = _render.rasterTraces(spec)
    fig = _render._figure()
    fig.add_traces([go.Image(traces[0])])
    # The image's own key: each category's colour as shaded.
    for name, color in zip(names, traces[0]["meta"]["colors"]):
        fig.add_trace(go.Scatter(x=[None], y=[None], mode="markers", name=str(name), marker={"color": color, "size": 8}))
    x0, x1, y0, y1 = window
    fig.update_xaxes(range=[x0, x1], showline=False, ticks="", showticklabels=False, showgrid=False)
    fig.update_yaxes(range=[y0, y1], showline=False, ticks="", showticklabels=False, showgrid=False,
                     scaleanchor="x", scaleratio=1)
    fig.update_layout(legend={"itemsizing": "constant"})
    spanX, spanY = x1 - x0, y1 - y0
    width = float(np.clip(np.clip(spanX / spanY, 0.45, 2.2) * 520.0, 360.0, 820.0))
    _render.finishFigure(fig, spec, plot=(width, 520.0))
    return fig, _render.configFor(spec)


_GENES = [
    "EPCAM", "KRT8", "KRT18", "KRT5", "TP63", "COL1A1", "COL1A2", "DCN", "ACTA2", "TAGLN", "PECAM1", "VWF",
    "RGS5", "PDGFRB", "CD3E", "CD4", "CD8A", "FOXP3", "MS4A1", "CD79A", "JCHAIN", "MZB1", "CD68", "SPP1",
    "C1QA", "C1QB", "LAMP3", "CLEC9A", "TPSAB1", "KIT", "MKI67", "TOP2A",
]


def clusterMeans(genes=32, clusters=15, seed=5):
    """Mean expression of marker genes (rows) per cell type (columns), cells per cluster, and
    the fraction of samples each gene was detected in."""
    rng = np.random.default_rng(seed)
    names = list(_GENES[:genes]) if genes <= len(_GENES) else [f"GENE{i:04d}" for i in range(genes)]
    types = list(_TISSUE_TYPES[:clusters]) if clusters <= len(_TISSUE_TYPES) else [
        f"cluster {j:02d}" for j in range(clusters)]
    owner = rng.integers(0, len(types), size=len(names))
    base = rng.gamma(0.6, 0.25, size=(len(names), len(types)))
    base[np.arange(len(names)), owner] += rng.gamma(6.0, 0.45, size=len(names))
    means = pd.DataFrame(base.round(4), index=pd.Index(names, name="gene"), columns=types)
    cells = pd.DataFrame(rng.integers(40, 6000, size=(1, len(types))).repeat(len(names), axis=0),
                         index=means.index, columns=types)
    return means, cells, owner


def _orders(means):
    """Rows grouped by the cluster they mark, columns by size; and both alphabetical."""
    rows = np.lexsort((-means.max(axis=1).to_numpy(), means.to_numpy().argmax(axis=1)))
    return {"by marker": (rows.tolist(), list(range(means.shape[1]))),
            "alphabetical": (np.argsort(means.index.to_numpy()).tolist(), np.argsort(means.columns.to_numpy()).tolist())}


def matrixMarkers():
    """Cluster means of 32 marker genes in 15 cell types: two scales, two orders, a gene not
    measured in one type, cells per cluster and the samples a gene was seen in."""
    means, cells, _ = clusterMeans()
    means.loc["FOXP3", "Mast cells"] = np.nan
    zscores = ((means.T - means.T.mean()) / means.T.std()).T.round(3)
    seen = pd.DataFrame(np.where(means.to_numpy() > 0.3, "4 of 4 samples", "2 of 4 samples"),
                        index=means.index, columns=means.columns)
    return _spec.Matrix(
        frame=means, scales={"mean": means, "z-score": zscores}, orders=_orders(means),
        scaleKinds={"z-score": "diverging"}, kind="sequential", cmap=None,
        cellHover={"cells in cluster": cells, "detected in": seen},
        rowNotes={"MKI67": "(cycling)", "TOP2A": "(cycling)", "SPP1": "(SPP1+ macrophages)"},
        xlabel="cell type", ylabel="gene", colorbarLabel="expression",
        title="Marker genes by cell type", note="mean log-normalised expression · z-scored per gene",
    )


def matrixLarge():
    """300 genes by 40 clusters: ticks thinned to what fits, two scales and two orders."""
    means, cells, _ = clusterMeans(genes=300, clusters=40, seed=9)
    zscores = ((means.T - means.T.mean()) / means.T.std()).T.round(3)
    return _spec.Matrix(
        frame=means, scales={"mean": means, "z-score": zscores}, orders=_orders(means),
        scaleKinds={"z-score": "diverging"}, cellHover={"cells in cluster": cells},
        xlabel="cluster", ylabel="gene", colorbarLabel="expression",
        title="300 genes across 40 clusters",
    )


def differentialTable(features=20_000, seed=11):
    """A differential test of `features` genes: log fold change, p-value, -log10(p), mean
    expression and the gene's biotype (protein-coding genes four times as common)."""
    from math import erfc, log10, sqrt

    rng = np.random.default_rng(seed)
    letters = np.array(list("ABCDEFGHIKLMNOPRSTVWXZ"))
    names = ["".join(rng.choice(letters, size=rng.integers(3, 6))) + str(i) for i in range(features)]
    effect = rng.normal(0.0, 0.35, features)
    changed = rng.random(features) < 0.06
    effect[changed] += rng.choice([-1.0, 1.0], changed.sum()) * rng.gamma(2.0, 0.8, changed.sum())
    effect = effect.clip(-6.0, 6.0)
    error = rng.uniform(0.3, 0.8, features)
    pvalue = np.maximum([erfc(abs(z) / sqrt(2.0)) for z in effect / error], 1e-300)
    return pd.DataFrame({
        # -log10 one value at a time: numpy's vectorised log10 differs in the last bit between releases.
        "effect": effect.round(4), "pvalue": pvalue, "logp": [-log10(p) for p in pvalue],
        "baseMean": rng.gamma(1.5, 200.0, features).round(1),
        "biotype": np.where(rng.random(features) < 0.8, "protein coding", "lncRNA"),
    }, index=pd.Index(names, name="gene"))


def volcanoGenes():
    """20,000 genes of a tumour-against-normal test in two biotypes, the 20 strongest named."""
    return _spec.Volcano(frame=differentialTable(), group="biotype", pVal=0.01, effectThreshold=1.0, top=20,
                         xlabel="log2 fold change (tumour / normal)", title="Tumour against adjacent normal tissue",
                         note="Wald test per gene, 20,000 genes")


def volcanoSmall():
    """300 genes in one trace, the 8 strongest named, the spec's own cuts off the default grid."""
    return _spec.Volcano(frame=differentialTable(features=300, seed=3), pVal=0.02, effectThreshold=0.75, top=8,
                         title="Responders against non-responders")


GATE_MARKERS = ["CD3E", "CD4", "CD8A", "MS4A1"]


def markerIntensities(cells=20_000, seed=11):
    """Per-cell intensities of four markers as a cells x markers array, from a mixture of
    T helper, cytotoxic T, B and unstained cells: each marker bimodal, on an asinh-like scale."""
    rng = np.random.default_rng(seed)
    # Rows: populations; columns: whether each marker is on.
    on = np.array([[1, 1, 0, 0], [1, 0, 1, 0], [0, 0, 0, 1], [0, 0, 0, 0]], dtype=bool)
    population = rng.choice(len(on), size=cells, p=[0.35, 0.2, 0.25, 0.2])
    level = np.where(on[population], rng.normal(2.4, 0.45, (cells, 4)), rng.normal(0.3, 0.25, (cells, 4)))
    return level.astype(np.float32)


def gateMarkers():
    """One marker at a time from a table of 20,000 cells: three histograms, each with its gate."""
    values = pd.DataFrame(markerIntensities(), columns=GATE_MARKERS)
    return _spec.Gate(values=values, markers=["CD3E", "CD8A", "MS4A1"], bins=80,
                      thresholds={"CD3E": 1.2, "CD8A": 1.35}, title="Marker intensity over all cells",
                      note="20,000 cells · drag the red line to move the gate")


def gatePairs():
    """Two marker pairs of the same cells as densities, each with a gate line on both axes."""
    return _spec.Gate(values=markerIntensities(), markers=GATE_MARKERS, pairs=[("CD4", "CD8A"), ("CD3E", "MS4A1")],
                      bins=60, thresholds={"CD4": 1.3, "CD8A": 1.25, "CD3E": 1.2, "MS4A1": 1.1},
                      title="Marker pairs over all cells")
def _survivalTable(times, died, z=1.959964):
    """The product-limit survival table of one group: a row at time 0, one per time with a
    death and one at the last follow-up; 95% limits on the log-log scale; at risk and deaths."""
    order = np.argsort(times, kind="stable")
    times, died = np.asarray(times)[order], np.asarray(died)[order]
    rows = [(0.0, 1.0, 1.0, 1.0, len(times), 0)]
    value, varianceSum = 1.0, 0.0
    for t in np.unique(times[died]):
        atRisk, deaths = int((times >= t).sum()), int((died & (times == t)).sum())
        value *= 1.0 - deaths / atRisk
        varianceSum += deaths / (atRisk * (atRisk - deaths))
        spread = z * np.sqrt(varianceSum) / abs(np.log(value))
        rows.append((float(t), value, value ** np.exp(spread), value ** np.exp(-spread), atRisk, deaths))
    last = float(times[-1])
    if last > rows[-1][0]:
        rows.append((last, *rows[-1][1:4], int((times >= last).sum()), 0))
    table = pd.DataFrame(rows, columns=["time", "value", "low", "high", "atRisk", "events"])
    # Rounded: numpy releases differ in the last bits of exp and log, the figure should not.
    return table.round({"time": 2, "value": 6, "low": 6, "high": 6})


def _logRankP(groups):
    """The two-sided p value of the log-rank test between two (times, died) groups."""
    (t1, d1), (t2, d2) = groups
    times, died = np.concatenate([t1, t2]), np.concatenate([d1, d2])
    observed = expected = variance = 0.0
    for t in np.unique(times[died]):
        n1, n = (t1 >= t).sum(), (times >= t).sum()
        deaths = (died & (times == t)).sum()
        observed += (d1 & (t1 == t)).sum()
        expected += deaths * n1 / n
        variance += deaths * (n1 / n) * (1 - n1 / n) * (n - deaths) / max(n - 1, 1)
    from math import erfc, sqrt

    return erfc(abs(observed - expected) / sqrt(2 * variance))


def survivalCohort(patients=400, seed=12):
    """Overall survival of a cohort split at the median of two tissue features, in months:
    exponential deaths at each group's hazard, recorded at the quarterly visit after them,
    censored by the end of follow-up and by loss."""
    rng = np.random.default_rng(seed)
    features = {"CD8+ T-cell density": (0.014, 0.022), "SPP1+ macrophage fraction": (0.020, 0.017)}
    cohort = {}
    for feature, hazards in features.items():
        cohort[feature] = {}
        for group, hazard in zip(("high", "low"), hazards):
            death = np.ceil(rng.exponential(1 / hazard, patients // 2) / 3) * 3
            followUp = np.round(np.minimum(rng.uniform(24, 72, patients // 2), rng.exponential(150, patients // 2)), 1)
            cohort[feature][group] = (np.minimum(death, followUp), death <= followUp)
    return cohort


def curvesSurvival():
    """Product-limit survival by high and low density of two tissue features, with limits,
    patients at risk and deaths in the tooltip, and the test's p value on the first feature."""
    cohort = survivalCohort()
    first = next(iter(cohort))
    return _spec.Curves(
        curves={feature: {group: _survivalTable(*data) for group, data in groups.items()}
                for feature, groups in cohort.items()},
        colors={"high": "#B2182B", "low": "#2166AC"}, xlabel="months since surgery", ylabel="overall survival",
        step=True, annotations={first: f"log-rank p = {_logRankP(cohort[first].values()):.2g}"},
        title="Overall survival by tissue composition",
        note="400 patients · split at each feature's median · deaths recorded at quarterly visits",
    )


_SIGNALLING_TYPES = [
    "Tumour cells", "CAFs", "Myofibroblasts", "Endothelium", "Pericytes", "CD8+ T cells", "CD4+ T cells",
    "Tregs", "NK cells", "B cells", "Plasma cells", "SPP1+ macrophages", "Monocytes", "cDC2", "Mast cells",
]
# Ligand-receptor pairs a sender's signals are typically carried by.
_SIGNALS = {
    "Tumour cells": ["MIF → CD74", "SPP1 → CD44", "APP → CD74"], "CAFs": ["CXCL12 → CXCR4", "COL1A1 → SDC1"],
    "Myofibroblasts": ["TGFB1 → TGFBR2", "FN1 → ITGB1"], "Endothelium": ["VEGFA → KDR", "DLL4 → NOTCH1"],
    "Pericytes": ["PDGFB → PDGFRB", "ANGPT1 → TEK"], "CD8+ T cells": ["IFNG → IFNGR1", "CCL5 → CCR5"],
    "CD4+ T cells": ["IL2 → IL2RA", "CD40LG → CD40"], "Tregs": ["TGFB1 → TGFBR1", "IL10 → IL10RA"],
    "NK cells": ["XCL1 → XCR1", "CCL4 → CCR5"], "B cells": ["LTB → LTBR", "CD22 → PTPRC"],
    "Plasma cells": ["MIF → CXCR4", "APP → CD74"], "SPP1+ macrophages": ["SPP1 → CD44", "C1QA → LRP1"],
    "Monocytes": ["IL1B → IL1R1", "TNF → TNFRSF1A"], "cDC2": ["CCL17 → CCR4", "CD86 → CTLA4"],
    "Mast cells": ["KIT → KITLG", "TPSAB1 → F2R"],
}


def signallingNetwork(seed=11):
    """Directed communication strengths between 15 cell types of a tumour: a few strong
    axes (stroma to tumour, macrophages to T cells) over weak background signalling."""
    rng = np.random.default_rng(seed)
    types = _SIGNALLING_TYPES
    n = len(types)
    strength = rng.gamma(1.2, 0.08, size=(n, n))
    hubs = {"Tumour cells": 1.6, "CAFs": 1.8, "SPP1+ macrophages": 1.7, "Endothelium": 1.3, "Tregs": 1.2}
    for name, boost in hubs.items():
        strength[types.index(name), :] *= boost
    np.fill_diagonal(strength, 0.0)
    strength /= strength.max()
    rows = []
    for i, sender in enumerate(types):
        for j, receiver in enumerate(types):
            if strength[i, j] < 0.22:
                continue
            pairs = int(2 + round(strength[i, j] * 30 + rng.integers(0, 4)))
            signal = _SIGNALS[sender][int(rng.integers(0, len(_SIGNALS[sender])))]
            rows.append((sender, receiver, round(float(strength[i, j]), 4), pairs, signal))
    edges = pd.DataFrame(rows, columns=["source", "target", "strength", "interactions", "top pair"])
    angles = np.pi / 2 - 2 * np.pi * np.arange(n) / n
    positions = {name: (round(float(np.cos(a)), 6), round(float(np.sin(a)), 6)) for name, a in zip(types, angles)}
    cells = rng.integers(300, 6000, size=n)
    sizes = {name: round(float(8 + 12 * np.sqrt(c / cells.max())), 2) for name, c in zip(types, cells)}
    cuts = [0.22, 0.35, 0.55]
    return edges, positions, sizes, cuts


def graphSignalling():
    """A directed cell-communication network of 15 cell types at three strength thresholds."""
    edges, positions, sizes, cuts = signallingNetwork()
    strength = edges["strength"].to_numpy()
    return _spec.Graph(
        edges=edges, states={f"strength ≥ {cut:g}": strength >= cut for cut in cuts}, directed=True,
        positions=positions, names=list(positions), nodeSizes=sizes, nodeColors=_palette(list(positions)),
        edgeLabel="communication", title="Cell-cell communication",
        note="15 cell types · arrows point from sender to receiver · node size follows cell count",
    )


_CLUSTERS = [
    "0 Naive CD4+ T", "1 CD8+ effector T", "2 NK", "3 Naive B", "4 Memory B", "5 Plasma", "6 Classical mono",
    "7 Non-classical mono", "8 cDC2", "9 pDC", "10 Platelets", "11 Erythroid", "12 HSPC",
]


def clusterGraph(seed=3):
    """Connectivities between the clusters of a blood sample: strong within a lineage,
    weak across, at cluster centroids of a two-dimensional embedding."""
    rng = np.random.default_rng(seed)
    lineage = [0, 0, 0, 1, 1, 1, 2, 2, 2, 2, 3, 3, 4]
    centres = np.array([[-3.0, 2.0], [3.0, 2.5], [3.5, -2.5], [-3.0, -3.0], [0.0, 0.0]])
    spots = np.array([[-1.4, 0.9], [1.4, 0.9], [0.0, -1.4], [0.0, 0.0]])
    counts = np.zeros(len(centres), dtype=int)
    points = []
    for group in lineage:
        points.append(centres[group] + spots[counts[group]] + rng.normal(0, 0.2, size=2))
        counts[group] += 1
    rows = []
    for i in range(len(_CLUSTERS)):
        for j in range(i + 1, len(_CLUSTERS)):
            same = lineage[i] == lineage[j]
            fromStem = 4 in (lineage[i], lineage[j])
            weight = rng.beta(5, 2) if same else rng.beta(1.2, 6) * (1.4 if fromStem else 0.45)
            if weight >= 0.12:
                rows.append((_CLUSTERS[i], _CLUSTERS[j], round(float(weight), 4)))
    edges = pd.DataFrame(rows, columns=["source", "target", "connectivity"])
    positions = {name: (round(float(x), 4), round(float(y), 4)) for name, (x, y) in zip(_CLUSTERS, points)}
    cells = rng.integers(150, 5000, size=len(_CLUSTERS))
    sizes = {name: round(float(10 + 16 * np.sqrt(c / cells.max())), 2) for name, c in zip(_CLUSTERS, cells)}
    return edges, positions, sizes


def graphClusters():
    """An undirected cluster graph: 13 clusters, edges for connectivities of at least 0.12."""
    edges, positions, sizes = clusterGraph()
    return _spec.Graph(
        edges=edges, positions=positions, names=list(positions), nodeSizes=sizes,
        nodeColors=_palette(list(positions)), edgeLabel="connectivity", title="Cluster connectivity",
        note="13 clusters · edges for connectivities of at least 0.12 · node size follows cluster size",
    )
_COMPARTMENTS = {"immune": "#4E79A7", "stromal": "#F28E2B", "epithelial": "#59A14F"}


def abundanceChanges(types=18, seed=13):
    """Log2 change in abundance per cell type with its 95% interval, the cells counted and
    the compartment each type belongs to, in a fixed (alphabetical-free) order."""
    rng = np.random.default_rng(seed)
    names = _CELL_TYPES[:types]
    compartment = ["immune"] * 13 + ["stromal"] * 5 + ["epithelial"] * 2
    value = rng.normal(0.0, 0.9, size=types).round(3)
    spread = rng.gamma(3.0, 0.12, size=types)
    frame = pd.DataFrame({"value": value, "low": (value - spread * rng.uniform(0.7, 1.3, types)).round(3),
                          "high": (value + spread * rng.uniform(0.7, 1.3, types)).round(3),
                          "cells": rng.integers(200, 9000, size=types), "compartment": compartment[:types]},
                         index=pd.Index(names, name="cell type"))
    return frame


def intervalsAbundance():
    """Change in abundance of 18 cell types, coloured by compartment, in two orderings."""
    frame = abundanceChanges()
    return _spec.Intervals(
        frame=frame, orders={"by change": np.argsort(-frame["value"].to_numpy(), kind="stable").tolist(),
                             "alphabetical": np.argsort(frame.index.to_numpy(), kind="stable").tolist()},
        colorBy="compartment", colors=_COMPARTMENTS, reference=0.0, valueLabel="log2 change in abundance",
        title="Cell-type abundance, treated against control", note="95% intervals · coloured by compartment")


_GENE_KINDS = {"transcription factor": "#B07AA1", "surface marker": "#4E79A7", "secreted": "#F28E2B"}


def rankedMarkers(genes=14, seed=17):
    """Top marker genes of three cell types: score, log fold change, adjusted p-value and kind,
    ranked by score within each type."""
    rng = np.random.default_rng(seed)
    kinds = list(_GENE_KINDS)
    groups = {}
    for g, name in enumerate(["T cells", "B cells & plasma cells", "Myeloid cells"]):
        picked = rng.choice(len(_GENES), size=genes, replace=False)
        score = np.sort(rng.gamma(4.0, 3.0, size=genes))[::-1].round(2)
        groups[name] = pd.DataFrame(
            {"value": score, "logfoldchange": (score / 4 + rng.normal(0, 0.3, genes)).round(3),
             "pvals_adj": 10.0 ** -(score * rng.uniform(0.8, 1.4, genes)),
             "kind": [kinds[i % len(kinds)] for i in rng.integers(0, 3, size=genes)]},
            index=pd.Index([_GENES[i] for i in picked], name="gene"))
    return groups


def rankedHorizontal():
    """Top marker genes of three cell types as horizontal bars, coloured by kind, with a cut line."""
    return _spec.Ranked(groups=rankedMarkers(), colorBy="kind", colors=_GENE_KINDS, horizontal=True, reference=8.0,
                        valueLabel="marker score", title="Top marker genes per cell type",
                        note="ranked by score · dashed line: the score cut")


def rankedVertical():
    """The same ranking as vertical bars."""
    return _spec.Ranked(groups=rankedMarkers(genes=16, seed=19), colorBy="kind", colors=_GENE_KINDS,
                        reference=8.0, valueLabel="marker score", title="Top marker genes per cell type")
_QC_TYPES = ["T cells", "B cells", "NK cells", "Monocytes", "Dendritic cells", "Fibroblasts", "Endothelium",
             "Epithelium"]


def cellCounts(seed=12):
    """Molecules counted per cell by cell type in three samples, as quality control reads
    them: log-normal, each type at its own level; the third sample has no dendritic cells."""
    rng = np.random.default_rng(seed)
    level = dict(zip(_QC_TYPES, [2600, 3400, 3000, 7800, 6200, 9500, 5200, 12000]))
    samples = {}
    for s, (sample, depth) in enumerate({"sample P01": 1.0, "sample P02": 0.55, "sample P03": 1.6}.items()):
        counts = {}
        for t, name in enumerate(_QC_TYPES):
            if s == 2 and name == "Dendritic cells":
                continue
            n = int(rng.integers(60, 400))
            counts[name] = np.round(rng.lognormal(np.log(level[name] * depth), 0.55, n))
        samples[sample] = counts
    return samples


def distributionCounts():
    """Molecules per cell in eight cell types of three samples, on a log axis, with the two
    quality-control cut-offs."""
    samples = cellCounts()
    return _spec.Distribution(
        panels=samples, order=_QC_TYPES, colors=_palette(_QC_TYPES), style="violin",
        thresholds={"too few molecules (500)": 500, "likely doublets (40,000)": 40_000},
        valueLabel="molecules per cell", groupLabel="cell type", log=True,
        title="Molecules per cell by cell type", note="three samples · cut-offs at 500 and 40,000 molecules",
    )


def distributionDonors():
    """Per donor, the share of regulatory T cells among T cells in three cohorts, each donor
    named in its tooltip; donors whose sample failed quality control have no value."""
    rng = np.random.default_rng(21)
    cohorts = {"healthy": (0.06, 14), "mild": (0.09, 18), "severe": (0.14, 16)}
    parts, points = {}, {}
    for c, (cohort, (share, donors)) in enumerate(cohorts.items()):
        values = np.round(rng.beta(share * 60, (1 - share) * 60, donors), 4)
        values[rng.choice(donors, size=2, replace=False)] = np.nan
        parts[cohort] = values
        points[cohort] = [f"D{c + 1}{d + 1:02d} ({cohort})" for d in range(donors)]
    return _spec.Distribution(
        parts=parts, order=list(cohorts), points=points, colors=_palette(list(cohorts)), style="strip",
        thresholds={"reference share": 0.08}, valueLabel="Treg share of T cells", groupLabel="cohort",
        title="Regulatory T cells per donor", note="48 donors · 6 without a value after quality control",
    )


def figureAndConfig(make):
    """The finished figure and config of an example: through figureFor and configFor for a
    spec, or as composed by an example that builds its page itself."""
    from . import _render

    made = make()
    if isinstance(made, tuple):
        return made
    return _render.figureFor(made), _render.configFor(made)


# (file stem, title, spec factory), in gallery order.
EXAMPLES = [
    ("bars-proportions", "Bars: cell-type composition (stacked, percent)", barsProportions),
    ("bars-horizontal", "Bars: cells per niche (grouped, horizontal)", barsHorizontal),
    ("bars-sized", "Bars: a requested figure size", barsSized),
    ("matrix-markers", "Matrix: marker genes by cell type (two scales, two orders)", matrixMarkers),
    ("matrix-large", "Matrix: 300 genes by 40 clusters", matrixLarge),
    ("dots-markers", "Dots: marker genes by cell type (two scalings)", dotsMarkers),
    ("curves-survival", "Curves: survival by tissue composition (two features)", curvesSurvival),
    ("points-tissue", "Points: a tissue section of 50,000 cells", pointsTissue),
    ("points-small", "Points: 600 cells drawn as SVG", pointsSmall),
    ("raster-tissue", "Raster: 3,000,000 cells as one density image", rasterTissue),
    ("volcano-genes", "Volcano: 20,000 genes in two biotypes (threshold grid)", volcanoGenes),
    ("volcano-small", "Volcano: 300 genes, cuts off the default grid", volcanoSmall),
    ("gate-markers", "Gate: three markers' intensities, one at a time", gateMarkers),
    ("gate-pairs", "Gate: two marker pairs as densities", gatePairs),
    ("graph-signalling", "Graph: cell-cell communication (directed, three thresholds)", graphSignalling),
    ("graph-clusters", "Graph: cluster connectivity (undirected)", graphClusters),
    ("intervals-abundance", "Intervals: abundance changes by compartment (two orderings)", intervalsAbundance),
    ("ranked-horizontal", "Ranked: top marker genes of three cell types (horizontal)", rankedHorizontal),
    ("ranked-vertical", "Ranked: top marker genes of three cell types (vertical)", rankedVertical),
    ("distribution-counts", "Distribution: molecules per cell in three samples (violins, log axis)", distributionCounts),
    ("distribution-donors", "Distribution: donors in three cohorts (strip, named points)", distributionDonors),
]

# Examples small enough to keep their finished figures in the repository.
GOLDEN = ["bars-proportions", "bars-horizontal", "bars-sized", "matrix-markers", "dots-markers", "points-small",
          "gate-markers", "gate-pairs", "curves-survival", "graph-signalling", "graph-clusters",
          "intervals-abundance", "ranked-horizontal", "distribution-donors",
          "volcano-small"]
