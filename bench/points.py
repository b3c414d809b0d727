"""Points: time from spec to a plotly.py Figure and size of the page, against plotly express.

Both sides draw the same content: one categorical key of 30 categories and one continuous
key, three hover columns (one of them text). plotly express builds one figure per key, as
a person would without a colour-by dropdown. Each measurement runs in a fresh process so
that peak memory (max RSS) is its own.

Run: python bench/points.py [--sizes 20000 1000000]
"""

import argparse
import json
import resource
import subprocess
import sys
import time

import numpy as np
import pandas as pd


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


def _measure(side, n):
    import plotly.graph_objects as go

    go.Figure()  # plotly's validators load once, outside the timing
    elapsed, figs = (_ours if side == "ours" else _peer)(n)
    size = sum(len(f.to_html(include_plotlyjs=False, full_html=True)) for f in figs)
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
    return {"seconds": elapsed, "bytes": size, "peakBytes": peak}


def _run(side, n):
    out = subprocess.run([sys.executable, __file__, "--child", side, str(n)], check=True, capture_output=True,
                         text=True)
    return json.loads(out.stdout)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sizes", type=int, nargs="*", default=[20_000, 1_000_000])
    parser.add_argument("--child", nargs=2)
    args = parser.parse_args()
    if args.child:
        print(json.dumps(_measure(args.child[0], int(args.child[1]))))
        return
    print(f"{'cells':>9} {'ours s':>8} {'px s':>8} {'speed-up':>8} {'ours MB':>8} {'px MB':>8} {'size':>6} "
          f"{'ours peak':>9} {'px peak':>8}")
    for n in args.sizes:
        ours = min((_run("ours", n) for _ in range(2)), key=lambda r: r["seconds"])
        peer = min((_run("peer", n) for _ in range(2)), key=lambda r: r["seconds"])
        print(f"{n:>9} {ours['seconds']:>8.2f} {peer['seconds']:>8.2f} {peer['seconds'] / ours['seconds']:>7.1f}x "
              f"{ours['bytes'] / 1e6:>8.1f} {peer['bytes'] / 1e6:>8.1f} {ours['bytes'] / peer['bytes']:>6.2f} "
              f"{ours['peakBytes'] / 1e6:>8.0f}M {peer['peakBytes'] / 1e6:>7.0f}M")


if __name__ == "__main__":
    main()
