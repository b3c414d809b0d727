"""Intervals: time from spec to a plotly.py Figure, size of the page and peak memory, against plotly express.

The content is one estimate with its interval per feature, a category column that colours the
markers, an integer column for the tooltip, and several orderings of the features. Ours builds
one figure whose "order" dropdown carries every ordering. plotly express has no precomputed
states, so its side draws one px.scatter (error_x and error_x_minus, colour by the category)
per ordering, each with its rows in that order.

Each measurement runs in a fresh process so that peak memory (max RSS) is its own; each side
runs twice and the faster run is kept. The page is fig.to_html(include_plotlyjs=False,
full_html=True), summed over px's figures. speed-up = px seconds / ours; size = ours bytes / px bytes.

Run: python bench/intervals.py [--sizes 40x3 500x4]      (features x orderings)
"""

import argparse
import sys
import time

import numpy as np
import pandas as pd

import _sides

_COLORS = {"immune": "#4E79A7", "stromal": "#F28E2B", "epithelial": "#59A14F"}


def _inputs(features, orderings, seed=0):
    rng = np.random.default_rng(seed)
    value = rng.normal(0.0, 1.0, features)
    spread = rng.gamma(3.0, 0.1, features)
    frame = pd.DataFrame({"value": value, "low": value - spread, "high": value + spread,
                          "cells": rng.integers(100, 9000, features),
                          "compartment": rng.choice(list(_COLORS), features)},
                         index=pd.Index([f"feature {i:05d}" for i in range(features)], name="feature"))
    orders = {f"order {k}": rng.permutation(features).tolist() for k in range(orderings)}
    return frame, orders


def _ours(features, orderings):
    from tessarine.pl._interactive import _render, _spec

    frame, orders = _inputs(features, orderings)
    start = time.perf_counter()
    fig = _render.figureFor(_spec.Intervals(frame=frame, orders=orders, colorBy="compartment", colors=_COLORS,
                                            reference=0.0, valueLabel="estimate"))
    return time.perf_counter() - start, [fig]


def _peer(features, orderings):
    import plotly.express as px

    frame, orders = _inputs(features, orderings)
    start = time.perf_counter()
    figs = []
    for positions in orders.values():
        part = frame.iloc[positions].reset_index()
        part["plus"], part["minus"] = part["high"] - part["value"], part["value"] - part["low"]
        fig = px.scatter(part, x="value", y="feature", error_x="plus", error_x_minus="minus", color="compartment",
                         color_discrete_map=_COLORS, hover_data=["cells"])
        fig.add_vline(x=0.0, line_dash="dash")
        figs.append(fig)
    return time.perf_counter() - start, figs


def main():
    _sides.child(sys.modules[__name__], sys.argv)
    parser = argparse.ArgumentParser()
    parser.add_argument("--sizes", type=_sides.shape, nargs="*", default=[(40, 3), (500, 4)],
                        help="features x orderings, e.g. 40x3")
    args = parser.parse_args()
    print(f"{'features':>8} {'orders':>6} {_sides.HEADER}")
    for features, orderings in args.sizes:
        row = _sides.compare(__file__, features, orderings)[-1]
        print(f"{features:>8} {orderings:>6} {row}")


if __name__ == "__main__":
    main()
