"""Dots: time from spec to a plotly.py Figure, size of the page and peak memory, against plotly express.

The content is a rows x columns grid, like genes x cell types: a mean-expression table for the
colour, the fraction of cells expressing (0..1) for the dot size and an integer count of
expressing cells in the tooltip, all with string row and column names. Ours builds it through
one Dots spec. plotly express gets the same grid in long form (one row per cell: x = column
name, y = row name, colour = mean, size = fraction, hover = count) and draws it with
px.scatter(render_mode="webgl"); the reshaping to long form is timed on its side, as our
side's own conversions are on ours.

Each measurement runs in a fresh process so that peak memory (max RSS) is its own; each side
runs twice and the faster run is kept. The page is fig.to_html(include_plotlyjs=False,
full_html=True). speed-up = px seconds / ours; size = ours bytes / px bytes.

When the installed package cannot draw dots yet, the script says so and exits with status 0.

Run: python bench/dots.py [--shapes 2000x50]      (rows x columns)
"""

import argparse
import json
import resource
import subprocess
import sys
import time

import numpy as np
import pandas as pd


def _shape(text):
    rows, cols = text.lower().split("x")
    return int(rows), int(cols)


def _inputs(rows, cols, seed=0):
    """Mean expression, fraction expressing and count expressing, one row per gene."""
    rng = np.random.default_rng(seed)
    genes = pd.Index([f"GENE{i:05d}" for i in range(rows)], name="gene")
    types = pd.Index([f"cell type {j:02d}" for j in range(cols)], name="cell type")
    cellsPerType = rng.integers(50, 5000, cols)
    fraction = rng.beta(0.5, 2.0, (rows, cols))
    count = rng.binomial(cellsPerType[None, :], fraction)
    fraction = count / cellsPerType[None, :]
    mean = np.where(count > 0, rng.gamma(2.0, 0.8, (rows, cols)) * fraction, 0.0)
    return (pd.DataFrame(mean, index=genes, columns=types), pd.DataFrame(fraction, index=genes, columns=types),
            pd.DataFrame(count.astype(np.int64), index=genes, columns=types))


def _dotsSpec(mean, fraction, count):
    from tessarine.pl._interactive import _spec

    return _spec.Dots(color=mean, size=fraction, extra={"cells": count}, colorLabel="mean expression",
                      sizeLabel="of cells expressing", xlabel="cell type", ylabel="gene")


def _ours(rows, cols):
    from tessarine.pl._interactive import _render

    mean, fraction, count = _inputs(rows, cols)
    start = time.perf_counter()
    fig = _render.figureFor(_dotsSpec(mean, fraction, count))
    elapsed = time.perf_counter() - start
    return elapsed, fig


def _peer(rows, cols):
    import plotly.express as px

    mean, fraction, count = _inputs(rows, cols)
    start = time.perf_counter()
    long = pd.DataFrame({"mean expression": mean.stack(), "fraction": fraction.stack(),
                         "cells": count.stack()}).reset_index()
    fig = px.scatter(long, x="cell type", y="gene", color="mean expression", size="fraction",
                     hover_data=["cells"], render_mode="webgl")
    elapsed = time.perf_counter() - start
    return elapsed, fig


def _available():
    """None when dots can be drawn, else why not."""
    from tessarine.pl._interactive import _render

    try:
        _render.dots(_dotsSpec(*_inputs(3, 2)))
    except NotImplementedError as error:
        return str(error) or "not implemented"
    return None


def _measure(side, rows, cols):
    import plotly.graph_objects as go

    go.Figure()  # plotly's validators load once, outside the timing
    elapsed, fig = (_ours if side == "ours" else _peer)(rows, cols)
    size = len(fig.to_html(include_plotlyjs=False, full_html=True))
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
    return {"seconds": elapsed, "bytes": size, "peakBytes": peak}


def _run(side, rows, cols):
    out = subprocess.run([sys.executable, __file__, "--child", side, str(rows), str(cols)], check=True,
                         capture_output=True, text=True)
    return json.loads(out.stdout)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shapes", type=_shape, nargs="*", default=[(2000, 50)], help="rows x columns, e.g. 2000x50")
    parser.add_argument("--child", nargs=3)
    args = parser.parse_args()
    if args.child:
        print(json.dumps(_measure(args.child[0], int(args.child[1]), int(args.child[2]))))
        return
    why = _available()
    if why is not None:
        print(f"dots benchmark not run: the installed package cannot draw dots ({why})")
        return
    print(f"{'grid':>9} {'dots':>8} {'ours s':>8} {'px s':>8} {'speed-up':>8} {'ours MB':>8} {'px MB':>8} "
          f"{'size':>6} {'ours peak':>9} {'px peak':>8}")
    for rows, cols in args.shapes:
        ours = min((_run("ours", rows, cols) for _ in range(2)), key=lambda r: r["seconds"])
        peer = min((_run("peer", rows, cols) for _ in range(2)), key=lambda r: r["seconds"])
        print(f"{f'{rows}x{cols}':>9} {rows * cols:>8} {ours['seconds']:>8.2f} {peer['seconds']:>8.2f} "
              f"{peer['seconds'] / ours['seconds']:>7.1f}x {ours['bytes'] / 1e6:>8.1f} {peer['bytes'] / 1e6:>8.1f} "
              f"{ours['bytes'] / peer['bytes']:>6.2f} {ours['peakBytes'] / 1e6:>8.0f}M "
              f"{peer['peakBytes'] / 1e6:>7.0f}M")


if __name__ == "__main__":
    main()
