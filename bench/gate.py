"""Gate: time from spec to plotly.py Figures, size of the page and peak memory, against numpy's
histograms and plotly.py graph objects building the same figures.

The content is n cells x 4 markers of float32 intensities (a cells x markers array, as a
cytometry or imaging export holds them; bimodal markers, a few missing values). Ours builds two
figures: one pair (CD4 against CD8A) as a density, and three single markers as histograms
switched by a dropdown, each with its gate lines.

The peer bins the same columns with numpy (`histogram2d` over the cells finite in both, and
`histogram` of each marker's finite values, 100 bins) and builds the same two figures with
plotly.py graph objects: a log1p heatmap with the raw counts in its tooltip and a ticked colour
bar, bars with one hidden per marker, the gate lines as editable shapes, the dropdown.

Each measurement runs in a fresh process so that peak memory (max RSS) is its own; each side
runs twice and the faster run is kept. The page is fig.to_html(include_plotlyjs=False,
full_html=True) of both figures; it should not grow with the cells.
speed-up = peer seconds / ours; size = ours bytes / peer bytes.
Target: speed-up at least 5x at 10,000,000 cells.

Run: python bench/gate.py [--sizes 10000 10000000]
"""

import argparse
import sys
import time

import numpy as np

import _sides

SPEED_TARGET = 5.0
MARKERS = ["CD3E", "CD4", "CD8A", "MS4A1"]
SINGLE = ["CD3E", "CD8A", "MS4A1"]
PAIR = ("CD4", "CD8A")
THRESHOLDS = {"CD3E": 1.2, "CD4": 1.3, "CD8A": 1.25, "MS4A1": 1.1}
BINS = 100


def _inputs(cells, seed=0):
    rng = np.random.default_rng(seed)
    on = np.array([[1, 1, 0, 0], [1, 0, 1, 0], [0, 0, 0, 1], [0, 0, 0, 0]], dtype=bool)
    population = rng.choice(len(on), size=cells, p=[0.35, 0.2, 0.25, 0.2])
    values = rng.normal(0.3, 0.25, (cells, 4)).astype(np.float32)
    values[on[population]] += np.float32(2.1)
    values[rng.integers(0, cells, cells // 1000), rng.integers(0, 4, cells // 1000)] = np.nan
    return values


def _ours(cells):
    from tessarine.pl._interactive import _render, _spec

    values = _inputs(cells)
    start = time.perf_counter()
    pair = _spec.Gate(values=values, markers=MARKERS, pairs=[PAIR], bins=BINS, thresholds=THRESHOLDS)
    single = _spec.Gate(values=values, markers=SINGLE, bins=BINS, thresholds=THRESHOLDS)
    figs = [_render.figureFor(pair), _render.figureFor(single)]
    return time.perf_counter() - start, figs


def _gateLine(axis, value, name):
    along = {"xref": "x", "yref": "paper", "x0": value, "x1": value, "y0": 0, "y1": 1} if axis == "x" else \
        {"xref": "paper", "yref": "y", "x0": 0, "x1": 1, "y0": value, "y1": value}
    return dict(type="line", editable=True, name=name, line={"color": "#B2182B", "width": 2}, **along)


def _peer(cells):
    import plotly.graph_objects as go

    values = _inputs(cells)
    start = time.perf_counter()
    column = {name: values[:, k] for k, name in enumerate(MARKERS)}

    x, y = column[PAIR[0]], column[PAIR[1]]
    finite = np.isfinite(x) & np.isfinite(y)
    counts, xEdges, yEdges = np.histogram2d(x[finite], y[finite], bins=BINS)
    counts = counts.T.astype(np.int32)
    highest = max(int(counts.max()), 1)
    ticks = [10**k for k in range(len(str(highest))) if 10**k <= highest]
    ticks += [highest] if ticks[-1] != highest else []
    pair = go.Figure(go.Heatmap(
        z=np.log1p(counts).astype(np.float32), x=(xEdges[:-1] + xEdges[1:]) / 2, y=(yEdges[:-1] + yEdges[1:]) / 2,
        customdata=counts, colorscale="Viridis",
        colorbar=dict(title=dict(text="cells", side="right"), thickness=12, len=0.7, tickvals=np.log1p(ticks).tolist(),
                      ticktext=[f"{t:,}" for t in ticks]),
        hovertemplate=f"{PAIR[0]}: %{{x:.3g}}<br>{PAIR[1]}: %{{y:.3g}}<br>cells: %{{customdata:,}}<extra></extra>"))
    pair.update_layout(shapes=[_gateLine("x", THRESHOLDS[PAIR[0]], "gate:" + PAIR[0]),
                               _gateLine("y", THRESHOLDS[PAIR[1]], "gate:" + PAIR[1])],
                       xaxis_title_text=PAIR[0], yaxis_title_text=PAIR[1], width=760, height=560)

    single = go.Figure()
    buttons = []
    for k, name in enumerate(SINGLE):
        v = column[name]
        counts, edges = np.histogram(v[np.isfinite(v)], bins=BINS)
        single.add_trace(go.Bar(x=(edges[:-1] + edges[1:]) / 2, y=counts.astype(np.int32), width=np.diff(edges).mean(),
                                marker=dict(color="#5B7FA6", line=dict(width=0)), visible=k == 0, name=name,
                                showlegend=False, hovertemplate=f"{name}: %{{x:.3g}}<br>cells: %{{y:,}}<extra></extra>"))
        buttons.append(dict(label=name, method="update",
                            args=[{"visible": [j == k for j in range(len(SINGLE))]},
                                  {"shapes": [_gateLine("x", THRESHOLDS[name], "gate:" + name)],
                                   "xaxis.title.text": name}]))
    single.update_layout(shapes=[_gateLine("x", THRESHOLDS[SINGLE[0]], "gate:" + SINGLE[0])], bargap=0,
                         updatemenus=[dict(type="dropdown", buttons=buttons, active=0)],
                         xaxis_title_text=SINGLE[0], yaxis_title_text="Cells", width=760, height=560)
    return time.perf_counter() - start, [pair, single]


def main():
    _sides.child(sys.modules[__name__], sys.argv)
    parser = argparse.ArgumentParser()
    parser.add_argument("--sizes", type=int, nargs="*", default=[10_000, 10_000_000], help="numbers of cells")
    args = parser.parse_args()
    print(f"{'cells':>11} {_sides.HEADER}")
    for cells in args.sizes:
        ours, _, speedUp, _, row = _sides.compare(__file__, cells)
        print(f"{cells:>11,} {row}")
        print(f"{'':>11} page: {ours['bytes'] / 1e3:.1f} kB for both figures; "
              f"target speed-up >= {SPEED_TARGET:.0f}x {'met' if speedUp >= SPEED_TARGET else 'MISSED'}")


if __name__ == "__main__":
    main()
