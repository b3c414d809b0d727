"""Binning a dense cloud into per-category counts: the raster component against datashader.

Both count the same points per (row, column, category) on a 512 x 512 grid over the same
window, measured in the same run; the ratio is ours / datashader (below 1: ours is faster).
The counts are compared too. Shading is timed alongside (datashader's shade makes no PNG).

Run: python bench/raster.py [--points 10000000] [--categories 20] [--repeat 7]
Needs the bench extra (datashader).
"""

import argparse
import time

import numpy as np
import pandas as pd

from tessarine.pl._interactive import _raster


def _cloud(n, k, dtype, seed=0):
    # One blob per category, like cell types on an embedding, in random order.
    rng = np.random.default_rng(seed)
    codes = rng.integers(0, k, n).astype(np.int8)
    centres = rng.normal(0, 4, (k, 2))
    x = (centres[codes, 0] + rng.normal(0, 1, n)).astype(dtype)
    y = (centres[codes, 1] + rng.normal(0, 1, n)).astype(dtype)
    return x, y, codes


def _best(fns, repeat):
    """Best time and last result of each function, run in turns so that both meet the same load."""
    best, out = [float("inf")] * len(fns), [None] * len(fns)
    for _ in range(repeat):
        for i, fn in enumerate(fns):
            start = time.perf_counter()
            out[i] = fn()
            best[i] = min(best[i], time.perf_counter() - start)
    return best, out


def _compare(n, k, dtype, repeat, ds):
    x, y, codes = _cloud(n, k, dtype)
    names = [f"type {i}" for i in range(k)]
    window = _raster.bounds(x, y)
    shape = (_raster.GRID, _raster.GRID)
    frame = pd.DataFrame({"x": x, "y": y, "c": pd.Categorical.from_codes(codes, names)})
    canvas = ds.Canvas(plot_width=shape[1], plot_height=shape[0], x_range=window[:2], y_range=window[2:])

    def theirs():
        return canvas.points(frame, "x", "y", agg=ds.count_cat("c"))

    def ours():
        return _raster.binPoints(x, y, codes, k, window, shape)

    theirs()  # numba compiles on first use; keep that out of the timings
    (tTheirs, tOurs), (agg, grid) = _best([theirs, ours], repeat)
    differ = int((agg.values != grid).sum())
    print(f"binning {n:,} {np.dtype(dtype).name} points, {k} categories: ours {tOurs * 1e3:.1f} ms, "
          f"datashader {tTheirs * 1e3:.1f} ms, ratio ours/datashader {tOurs / tTheirs:.2f} "
          f"({differ} of {grid.size:,} counts differ)")
    return agg, grid, names


def _compareShading(agg, grid, names, repeat, tf):
    colors = [f"#{(37 * i) % 256:02X}{(91 * i) % 256:02X}{(157 * i) % 256:02X}" for i in range(len(names))]
    key = dict(zip(names, colors))
    tf.shade(agg, color_key=key, how="log")
    (tTheirs, tShade), (_, (image, used, density)) = _best(
        [lambda: tf.shade(agg, color_key=key, how="log"), lambda: _raster.shade(grid, colors)], repeat)
    window = (0.0, 1.0, 0.0, 1.0)
    (tTrace,), (trace,) = _best([lambda: _raster.imageTrace(image, window, used, density, names)], repeat)
    print(f"shading: ours {tShade * 1e3:.1f} ms (+ PNG trace {tTrace * 1e3:.1f} ms, "
          f"{len(trace['source']) / 1024:.0f} KiB), datashader shade {tTheirs * 1e3:.1f} ms, "
          f"ratio {tShade / tTheirs:.2f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--points", type=int, default=10_000_000)
    parser.add_argument("--categories", type=int, default=20)
    parser.add_argument("--repeat", type=int, default=7)
    args = parser.parse_args()
    import datashader as ds
    import datashader.transfer_functions as tf

    for dtype in (np.float64, np.float32):
        agg, grid, names = _compare(args.points, args.categories, dtype, args.repeat, ds)
    _compareShading(agg, grid, names, args.repeat, tf)


if __name__ == "__main__":
    main()
