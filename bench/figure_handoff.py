"""How a finished figure reaches plotly.py: validated construction against the unvalidated path.

Run: python bench/figure_handoff.py
"""

import time

import numpy as np
import plotly.graph_objects as go

from tessarine.pl._interactive import _render


def _cases():
    rng = np.random.default_rng(0)
    many = {
        "data": [
            {"type": "scattergl", "x": rng.random(100, dtype=np.float32), "y": rng.random(100, dtype=np.float32),
             "mode": "markers", "name": f"t{i}", "customdata": rng.random((100, 2), dtype=np.float32)}
            for i in range(500)
        ],
        "layout": {"title": {"text": "many traces"}},
    }
    n = 2_000_000
    big = {
        "data": [{"type": "scattergl", "x": rng.random(n, dtype=np.float32), "y": rng.random(n, dtype=np.float32),
                  "mode": "markers", "marker": {"color": rng.random(n, dtype=np.float32)},
                  "customdata": rng.random((n, 2), dtype=np.float32)}],
        "layout": {"title": {"text": "millions of values"}},
    }
    return {"500 traces x 100 points": many, "1 trace x 2e6 points (8e6 values)": big}


def _time(fn, repeat=3):
    best = float("inf")
    for _ in range(repeat):
        start = time.perf_counter()
        fn()
        best = min(best, time.perf_counter() - start)
    return best


def main():
    go.Figure()  # load plotly's validators once, outside the timings
    for name, fig in _cases().items():
        validated = _time(lambda: go.Figure(fig))
        unvalidated = _time(lambda: go.Figure(fig, _validate=False))
        core = _time(lambda: _render._roundTrip(fig))
        print(f"{name}: validated {validated * 1e3:.1f} ms, unvalidated {unvalidated * 1e3:.1f} ms, "
              f"through the core {core * 1e3:.1f} ms (ratio validated/core {validated / core:.1f}x)")


if __name__ == "__main__":
    main()
