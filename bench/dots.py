"""Dots: time from spec to a plotly.py Figure, size of the page and peak memory, against plotly express.

The content is a rows x columns grid, like genes x cell types: a mean-expression table for the
colour (ours also offers its per-gene z-scores as a second scaling), the fraction of cells expressing (0..1) for the dot size and an integer count of
expressing cells in the tooltip, all with string row and column names. Ours builds it through
one Dots spec. plotly express gets the same grid in long form (one row per cell: x = column
name, y = row name, colour = mean, size = fraction, hover = count) and draws it with
px.scatter(render_mode="webgl"); the reshaping to long form is timed on its side, as our
side's own conversions are on ours.

Each measurement runs in a fresh process so that peak memory (max RSS) is its own; each side
runs twice and the faster run is kept. The page is fig.to_html(include_plotlyjs=False,
full_html=True). speed-up = px seconds / ours; size = ours bytes / px bytes.
Targets: spec to page (to_html) at least 3x, size at most 0.6.

When the installed package cannot draw dots yet, the script says so and exits with status 0.

Run: python bench/dots.py [--shapes 2000x50]      (rows x columns)
"""

import argparse
import sys
import time

import numpy as np
import pandas as pd

import _sides

HTML_TARGET = 3.0
SIZE_TARGET = 0.6


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

    # Two scalings, as a dot plot of marker genes offers: the means and their per-gene z-scores.
    zscore = mean.sub(mean.mean(axis=1), axis=0).div(mean.std(axis=1).replace(0, 1), axis=0)
    return _spec.Dots(color=mean, scales={"mean": mean, "z-score": zscore}, size=fraction, extra={"cells": count},
                      colorLabel="mean expression",
                      sizeLabel="of cells expressing", xlabel="cell type", ylabel="gene")


def _ours(rows, cols):
    from tessarine.pl._interactive import _render

    mean, fraction, count = _inputs(rows, cols)
    start = time.perf_counter()
    fig = _render.figureFor(_dotsSpec(mean, fraction, count))
    elapsed = time.perf_counter() - start
    return elapsed, [fig]


def _peer(rows, cols):
    import plotly.express as px

    mean, fraction, count = _inputs(rows, cols)
    start = time.perf_counter()
    long = pd.DataFrame({"mean expression": mean.stack(), "fraction": fraction.stack(),
                         "cells": count.stack()}).reset_index()
    fig = px.scatter(long, x="cell type", y="gene", color="mean expression", size="fraction",
                     hover_data=["cells"], render_mode="webgl")
    elapsed = time.perf_counter() - start
    return elapsed, [fig]


def main():
    _sides.child(sys.modules[__name__], sys.argv)
    parser = argparse.ArgumentParser()
    parser.add_argument("--shapes", type=_sides.shape, nargs="*", default=[(2000, 50)], help="rows x columns, e.g. 2000x50")
    args = parser.parse_args()
    print(f"{'grid':>9} {'dots':>8} {_sides.HEADER}")
    for rows, cols in args.shapes:
        ours, peer, _, size, row = _sides.compare(__file__, rows, cols)
        print(f"{f'{rows}x{cols}':>9} {rows * cols:>8} {row}")
        print(f"{'':>18} {_sides.pageTargets(ours, peer, size, HTML_TARGET, SIZE_TARGET)}")


if __name__ == "__main__":
    main()
