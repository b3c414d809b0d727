"""Points: time from spec to a plotly.py Figure and size of the page, against plotly express.

Both sides draw the same content: one categorical key of 30 categories and one continuous
key, three hover columns (one of them text). plotly express builds one figure per key, as
a person would without a colour-by dropdown. Each measurement runs in a fresh process so
that peak memory (max RSS) is its own.

Run: python bench/points.py [--sizes 20000 1000000]
"""

import argparse
import sys
import time

import numpy as np
import pandas as pd

import _sides


def _frame(n, seed=0):
    rng = np.random.default_rng(seed)
    categories = [f"cluster {i:02d}" for i in range(30)]
    return pd.DataFrame({
        "x": rng.normal(size=n), "y": rng.normal(size=n),
        "cluster": pd.Categorical(rng.choice(categories, size=n), categories),
        "score": rng.gamma(2.0, size=n),
        "counts": rng.poisson(900, size=n),
        "area": rng.uniform(20, 200, size=n),
        "sample": rng.choice([f"sample_{i}_region_{i % 3}" for i in range(8)], size=n),
    }, index=pd.Index([f"cell_{i}" for i in range(n)], name="cell")), categories


def _ours(n):
    from tessarine.pl._interactive import _render, _spec, _theme

    frame, categories = _frame(n)
    colors = {c: _theme.COLORWAY[i % 20] for i, c in enumerate(categories)}
    start = time.perf_counter()
    spec = _spec.Points(frame=frame, x="x", y="y", keys=["cluster", "score"], categorical={"cluster": True},
                        colors={"cluster": colors}, hover=["counts", "area", "sample"], size=3.0, alpha=0.8)
    fig = _render.figureFor(spec)
    elapsed = time.perf_counter() - start
    return elapsed, [fig]


def _peer(n):
    import plotly.express as px

    frame, categories = _frame(n)
    start = time.perf_counter()
    figs = [px.scatter(frame, x="x", y="y", color=key, hover_data=["counts", "area", "sample"],
                       category_orders={"cluster": categories}, render_mode="webgl")
            for key in ("cluster", "score")]
    elapsed = time.perf_counter() - start
    return elapsed, figs


def main():
    _sides.child(sys.modules[__name__], sys.argv)
    parser = argparse.ArgumentParser()
    parser.add_argument("--sizes", type=int, nargs="*", default=[20_000, 1_000_000])
    args = parser.parse_args()
    print(f"{'cells':>9} {_sides.HEADER}")
    for n in args.sizes:
        print(f"{n:>9} {_sides.compare(__file__, n)[-1]}")


if __name__ == "__main__":
    main()
