"""A transcript table in parquet partitions drawn through dask: ours against datashader.

Writes a synthetic table (x and y float32 in microns, a gene code of 300 categories) as
parquet partitions, starts a local distributed cluster of two single-threaded worker
processes, and measures in the same run, on the same dask dataframe and 512 x 512 canvas:
- the floor: the x, y and gene columns of every partition read once and summed;
- our raster layer (`rasterTraces`, image trace included) with the window given and without,
  and the time of each of its passes;
- datashader's `Canvas.points` with `count_cat` over the same window.
Each measurement runs --repeat times, in turns so that all meet the same load, and the best
time of each counts. It prints points per second, the ratio to datashader's, our time over
the floor, and each worker's peak resident memory during each measurement.

Run: python bench/raster_dask.py [--points 200000000] [--rows 5000000] [--folder DIR] [--keep] [--repeat 2]
Needs the dask and bench extras (dask, distributed, datashader).
"""

import argparse
import shutil
import tempfile
import time
from pathlib import Path
from types import SimpleNamespace

import numpy as np

GENES = 300
CANVAS = (512, 512)
# The section, in microns.
SIDE = 10_000.0


def _writeTable(folder, points, rows, seed=0):
    """Partitions of `rows` transcripts around cells, genes drawn with a long tail as in real sections."""
    import pyarrow as pa
    import pyarrow.parquet as pq

    folder.mkdir(parents=True, exist_ok=True)
    weights = 1.0 / (np.arange(GENES) + 5.0)
    cdf = np.cumsum(weights / weights.sum())
    for part, start in enumerate(range(0, points, rows)):
        n = min(rows, points - start)
        rng = np.random.default_rng([seed, part])
        cells = rng.uniform(0, SIDE, (n // 200 + 1, 2)).astype(np.float32)
        cell = rng.integers(0, len(cells), n)
        x = cells[cell, 0] + rng.normal(0, 6, n).astype(np.float32)
        y = cells[cell, 1] + rng.normal(0, 6, n).astype(np.float32)
        gene = np.searchsorted(cdf, rng.random(n)).astype(np.int16)
        pq.write_table(pa.table({"x": x, "y": y, "gene": gene}), folder / f"part.{part:05d}.parquet")


def _resetPeak():
    # Linux: writing 5 to clear_refs restarts the peak resident size (VmHWM).
    Path("/proc/self/clear_refs").write_text("5")


def _peak():
    for line in Path("/proc/self/status").read_text().splitlines():
        if line.startswith("VmHWM:"):
            return int(line.split()[1]) * 1024
    return 0


class Passes:
    """Records how long each dask.compute call of a measurement takes, and its results."""

    def __init__(self, dask):
        self.dask, self.compute, self.times, self.results = dask, dask.compute, [], []

    def __enter__(self):
        def timed(*args, **kwargs):
            start = time.perf_counter()
            out = self.compute(*args, **kwargs)
            self.times.append(time.perf_counter() - start)
            self.results.append(out)
            return out

        self.dask.compute = timed
        return self

    def __exit__(self, *exc):
        self.dask.compute = self.compute


def _measure(client, what, fn, n):
    """(seconds, result) of fn, with each worker's peak resident memory during it printed."""
    client.run(_resetPeak)
    start = time.perf_counter()
    out = fn()
    seconds = time.perf_counter() - start
    peaks = sorted(client.run(_peak).values())
    print(f"{what:<34} {seconds:8.2f} s  {n / seconds / 1e6:8.1f} M points/s  worker peak "
          + ", ".join(f"{p / 2**30:.2f}" for p in peaks) + " GiB", flush=True)
    return seconds, out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--points", type=float, default=2e8)
    parser.add_argument("--rows", type=int, default=5_000_000, help="transcripts per parquet partition")
    parser.add_argument("--folder", type=Path, default=None, help="where the table goes (default: a temporary folder)")
    parser.add_argument("--keep", action="store_true", help="keep the table (and reuse one already there)")
    parser.add_argument("--no-peer", action="store_true", help="skip datashader")
    parser.add_argument("--windowed-only", action="store_true", help="skip our layer without the window")
    parser.add_argument("--repeat", type=int, default=2,
                        help="rounds of all measurements, taken in turns so that each meets the same load; best kept")
    args = parser.parse_args()
    points = int(args.points)

    import dask
    import dask.dataframe as dd
    import distributed
    import pandas as pd

    from tessarine.pl._interactive import _render

    folder = args.folder or Path(tempfile.mkdtemp(prefix="transcripts-"))
    try:
        if not (args.keep and any(folder.glob("*.parquet"))):
            start = time.perf_counter()
            _writeTable(folder, points, args.rows)
            print(f"wrote {points:,} transcripts in {len(list(folder.glob('*.parquet')))} partitions "
                  f"({sum(f.stat().st_size for f in folder.glob('*.parquet')) / 2**30:.1f} GiB) "
                  f"in {time.perf_counter() - start:.0f} s", flush=True)
        with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                      dashboard_address=None) as cluster, distributed.Client(cluster) as client:
            _compare(client, dask, dd, pd, _render, folder, points, args)
    finally:
        if not args.keep:
            shutil.rmtree(folder, ignore_errors=True)


def _compare(client, dask, dd, pd, _render, folder, points, args):
    table = dd.read_parquet(folder)
    names = [f"gene {i}" for i in range(GENES)]
    window = (0.0, SIDE, 0.0, SIDE)
    cloud = SimpleNamespace(full={"x": table.x, "y": table.y, "codes": table.gene, "categories": names,
                                  "label": "gene"})
    # Imports, and numba's compilation on the workers, stay out of the timings.
    small = dd.read_parquet(sorted(folder.glob("*.parquet"))[0])
    _render.rasterTraces(SimpleNamespace(full={"x": small.x, "y": small.y, "codes": small.gene,
                                               "categories": names}), window)
    FLOOR, WINDOWED, BOUNDED, PEER = ("floor (read and sum x, y, gene)", "ours, window given",
                                      "ours, window from the data", "datashader count_cat, window given")
    runs = {FLOOR: lambda: table[["x", "y", "gene"]].sum().compute(),
            WINDOWED: lambda: _render.rasterTraces(cloud, window)}
    if not args.windowed_only:
        runs[BOUNDED] = lambda: _render.rasterTraces(cloud)
    if not args.no_peer:
        import datashader as ds

        dtype = pd.CategoricalDtype(range(GENES))

        def categorical(frame):
            return frame.assign(gene=pd.Categorical.from_codes(frame.gene, dtype=dtype))

        canvas = ds.Canvas(plot_width=CANVAS[1], plot_height=CANVAS[0], x_range=window[:2], y_range=window[2:])
        peer = lambda frame: canvas.points(frame.map_partitions(categorical, meta=categorical(frame._meta)), "x", "y",
                                           agg=ds.count_cat("gene"))
        peer(small)
        runs[PEER] = lambda: peer(table)

    best, passes, results = {}, {}, {}
    for _ in range(args.repeat):
        for what, run in runs.items():
            with Passes(dask) as timed:
                seconds, results[what] = _measure(client, what, run, points)
            if seconds < best.get(what, float("inf")):
                best[what], passes[what] = seconds, timed
    print(f"\nbest of {args.repeat}: " + ", ".join(f"{what} {seconds:.2f} s" for what, seconds in best.items()))
    print("passes, window given: " + ", ".join(f"{t:.2f} s" for t in passes[WINDOWED].times)
          + " (codes counted; partitions binned and summed)")
    print(f"ours over the floor, window given: {best[WINDOWED] / best[FLOOR]:.2f}")
    if len(passes[WINDOWED].times) == 2:
        # The binning pass reads every column again, so two passes cannot beat this.
        print("two passes take at least the floor plus the codes pass: "
              f"{(best[FLOOR] + passes[WINDOWED].times[0]) / best[FLOOR]:.2f} of the floor")
    if BOUNDED in best:
        print("passes, window from the data: " + ", ".join(f"{t:.2f} s" for t in passes[BOUNDED].times)
              + " (extent and codes counted; partitions binned and summed)")
        print(f"ours over the floor, window from the data: {best[BOUNDED] / best[FLOOR]:.2f}")
    if PEER in best:
        grid = passes[WINDOWED].results[-1][0]
        agg = results[PEER]
        differ = int((agg.values.sum(axis=2) != grid.sum(axis=2)).sum())
        print(f"throughput ours / datashader: {best[PEER] / best[WINDOWED]:.2f} "
              f"({points / best[WINDOWED] / 1e6:.1f} against {points / best[PEER] / 1e6:.1f} M points/s; "
              f"{differ} of {grid.shape[0] * grid.shape[1]:,} pixel totals differ)")


if __name__ == "__main__":
    main()
