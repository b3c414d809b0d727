"""Curves: time from spec to a plotly.py Figure, size of the page and peak memory, against plotly express.

The content is `features` features of `groups` groups each, every group a step curve of
`times` rows with its limits, the number at risk and the events. Ours builds one Curves spec
(every feature drawn, a dropdown between them). plotly express draws one figure per feature
from the feature's rows in long form (px.line with line_shape="hv", the counts as hover data)
and adds each group's band as a filled scatter stepped the same way; the reshaping is timed on
its side, as our side's own conversions are on ours.

Each measurement runs in a fresh process so that peak memory (max RSS) is its own; each side
runs twice and the faster run is kept. The page is fig.to_html(include_plotlyjs=False,
full_html=True), summed over px's figures. speed-up = px seconds / ours; size = ours bytes / px bytes.

Run: python bench/curves.py [--shapes 20x4x500]      (features x groups x times)
"""

import argparse
import sys
import time

import numpy as np
import pandas as pd

import _sides


def _inputs(features, groups, times, seed=0):
    """feature -> group -> table of a falling step curve with limits and counts."""
    rng = np.random.default_rng(seed)
    out = {}
    for f in range(features):
        out[f"feature {f:03d}"] = tables = {}
        for g in range(groups):
            time_ = np.cumsum(rng.exponential(1.0, times))
            value = np.cumprod(1 - rng.uniform(0, 2.0 / times, times))
            spread = np.linspace(0, 0.15, times)
            atRisk = np.arange(times, 0, -1) * 3
            tables[f"group {g}"] = pd.DataFrame({"time": time_, "value": value, "low": value * (1 - spread),
                                                 "high": np.minimum(value * (1 + spread), 1.0), "atRisk": atRisk,
                                                 "events": rng.integers(0, 3, times)})
    return out


def _ours(features, groups, times):
    from tessarine.pl._interactive import _render, _spec

    curves = _inputs(features, groups, times)
    start = time.perf_counter()
    fig = _render.figureFor(_spec.Curves(curves=curves, xlabel="time", ylabel="survival", step=True))
    return time.perf_counter() - start, [fig]


def _steps(time_, values):
    return np.repeat(time_, 2)[1:], np.repeat(values, 2)[:-1]


def _peer(features, groups, times):
    import plotly.express as px

    curves = _inputs(features, groups, times)
    start = time.perf_counter()
    figs = []
    for feature, tables in curves.items():
        long = pd.concat(tables, names=["group", "row"]).reset_index()
        fig = px.line(long, x="time", y="value", color="group", line_shape="hv", hover_data=["atRisk", "events"],
                      title=feature)
        for group, table in tables.items():
            hx, hy = _steps(table["time"].to_numpy(), table["high"].to_numpy())
            lx, ly = _steps(table["time"].to_numpy(), table["low"].to_numpy())
            fig.add_scatter(x=np.r_[hx, lx[::-1]], y=np.r_[hy, ly[::-1]], fill="toself", line_width=0,
                            hoverinfo="skip", showlegend=False, legendgroup=group, name=f"{group} interval")
        figs.append(fig)
    return time.perf_counter() - start, figs


def main():
    _sides.child(sys.modules[__name__], sys.argv)
    parser = argparse.ArgumentParser()
    parser.add_argument("--shapes", type=_sides.shape, nargs="*", default=[(20, 4, 500)],
                        help="features x groups x times, e.g. 20x4x500")
    args = parser.parse_args()
    print(f"{'shape':>11} {'rows':>8} {_sides.HEADER}")
    for shape in args.shapes:
        row = _sides.compare(__file__, *shape)[-1]
        print(f"{'x'.join(map(str, shape)):>11} {np.prod(shape):>8} {row}")


if __name__ == "__main__":
    main()
