"""Matrix: time from spec to a plotly.py Figure, size of the page and peak memory, against plotly express.

The content is an n x n gene x gene-like table (string row and column names, log-expression-like
values with block structure, a few missing cells) with two scales (the table and a per-row
z-score, drawn diverging), two orders (a clustering-like order on both axes and alphabetical)
and one integer per-cell count table in the tooltip. Ours builds it through one Matrix spec.

plotly express gets the same four views (each scale under each order: the table reordered)
stacked into one 3-D array and shown with px.imshow(animation_frame=0) and axis labels. Its
reordering and stacking are timed on its side, as our side's own conversions are on ours.
What px.imshow cannot draw, and so does not pay for: the count table in the tooltip, a colour
scale per view (one diverging scale for the z-scores) and row/column names per view (every
frame carries the names of the first order, so the other order's ticks are wrong).

Each measurement runs in a fresh process so that peak memory (max RSS) is its own; each side
runs twice and the faster run is kept. The page is fig.to_html(include_plotlyjs=False,
full_html=True); the time to_html takes is shown as well, outside the build time.
speed-up = px seconds / ours; size = ours bytes / px bytes.
Targets: speed-up at least 5x, spec to page (to_html) at least 3x, size at most 0.6.

With --float32 the case is what an AnnData matrix gives: float32 scales (raw and z-scored),
orders as stored and clustered, and one float32 table in the tooltip.

Run: python bench/matrix.py [--sizes 1000] [--float32]      (n: an n x n table)
"""

import argparse
import sys
import time

import numpy as np
import pandas as pd

import _sides

SPEED_TARGET = 5.0
SIZE_TARGET = 0.6
HTML_TARGET = 3.0


def _names(rng, n, prefix):
    # Gene-symbol-like names: alphabetical order differs from the table's order.
    letters = np.array(list("ABCDEFGHIJKLMNOPQRSTUVWXYZ"))
    stems = ["".join(rng.choice(letters, size=rng.integers(3, 6))) for _ in range(n)]
    return [f"{prefix}{s}{i}" for i, s in enumerate(stems)]


def _inputs(n, seed=0):
    """The table, its two scales, two orders (row positions, column positions) and the counts."""
    rng = np.random.default_rng(seed)
    rows, cols = _names(rng, n, ""), _names(rng, n, "")
    # Block structure, as in correlated gene modules: a few latent groups plus noise.
    groups = 12
    rowGroup, colGroup = rng.integers(0, groups, n), rng.integers(0, groups, n)
    level = rng.gamma(2.0, 1.0, (groups, groups))
    counts = rng.poisson(level[rowGroup][:, colGroup] * rng.uniform(0.5, 2.0, (n, 1)) * 20)
    values = np.log1p(counts) + rng.normal(0, 0.1, (n, n))
    values[rng.random((n, n)) < 0.001] = np.nan
    table = pd.DataFrame(values, index=pd.Index(rows, name="gene"), columns=pd.Index(cols, name="gene"))
    counts = pd.DataFrame(counts.astype(np.int64), index=table.index, columns=table.columns)
    mean = table.mean(axis=1)
    spread = table.std(axis=1).replace(0, 1)
    zscore = table.sub(mean, axis=0).div(spread, axis=0)
    # Clustering-like: by latent group, then by mean level within the group.
    clusterRows = np.lexsort((mean.to_numpy(), rowGroup))
    clusterCols = np.lexsort((table.mean(axis=0).to_numpy(), colGroup))
    orders = {"clustered": (clusterRows, clusterCols),
              "alphabetical": (np.argsort(np.array(rows)), np.argsort(np.array(cols)))}
    return table, {"expression": table, "z-score": zscore}, orders, counts


def _float32Inputs(n, seed=0):
    """As an AnnData matrix gives them: float32 values, scales raw and z-scored, orders as stored
    and clustered, and one float32 table (a fraction) in the tooltip."""
    table, scales, orders, counts = _inputs(n, seed)
    scales = {name: scale.astype(np.float32) for name, scale in scales.items()}
    stored = (np.arange(n), np.arange(n))
    fraction = (counts / counts.to_numpy().max()).astype(np.float32)
    return scales["expression"], scales, {"stored": stored, "clustered": orders["clustered"]}, fraction


def _case(n, float32):
    return _float32Inputs(n) if float32 else _inputs(n)


def _ours(n, float32=0):
    from tessarine.pl._interactive import _render, _spec

    table, scales, orders, counts = _case(n, float32)
    start = time.perf_counter()
    spec = _spec.Matrix(frame=table, scales=scales, orders=orders, cellHover={"cells": counts},
                        scaleKinds={"z-score": "diverging"}, xlabel="gene", ylabel="gene",
                        colorbarLabel="log1p expression")
    fig = _render.figureFor(spec)
    elapsed = time.perf_counter() - start
    return elapsed, [fig]


def _peer(n, float32=0):
    import plotly.express as px

    table, scales, orders, counts = _case(n, float32)
    start = time.perf_counter()
    views = [scale.to_numpy()[np.ix_(r, c)] for (r, c) in orders.values() for scale in scales.values()]
    first = next(iter(orders.values()))
    fig = px.imshow(np.stack(views), animation_frame=0, x=table.columns[first[1]].tolist(),
                    y=table.index[first[0]].tolist(),
                    labels={"x": "gene", "y": "gene", "color": "log1p expression"})
    elapsed = time.perf_counter() - start
    return elapsed, [fig]


def main():
    _sides.child(sys.modules[__name__], sys.argv)
    parser = argparse.ArgumentParser()
    parser.add_argument("--sizes", type=int, nargs="*", default=[1000], help="n for an n x n table")
    parser.add_argument("--float32", action="store_true",
                        help="float32 scales (raw, z-scored), orders stored and clustered, a float32 tooltip table")
    args = parser.parse_args()
    print(f"{'table':>11} {_sides.HEADER}")
    for n in args.sizes:
        ours, peer, speedUp, size, row = _sides.compare(__file__, n, int(args.float32))
        print(f"{f'{n}x{n}':>11} {row}")
        print(f"{'':>11} {_sides.pageTargets(ours, peer, size, HTML_TARGET, SIZE_TARGET)}")
        print(f"{'':>11} targets: speed-up >= {SPEED_TARGET:.0f}x {'met' if speedUp >= SPEED_TARGET else 'MISSED'}, "
              f"size <= {SIZE_TARGET} {'met' if size <= SIZE_TARGET else 'MISSED'}")


if __name__ == "__main__":
    main()
