"""Distribution: time from spec to a plotly.py Figure, size of the page and peak memory, against plotly express.

The content is n cells in 20 cell types (log-normal expression-like values at a level per type,
a few missing) measured for three genes: three panels of 20 groups, drawn as violins. Ours
builds it through one Distribution spec (the panels switched by a dropdown).

plotly express gets the same values as one long table (gene, cell type, value) and draws them
with px.violin(x=cell type, y=value, color=cell type, box=True, animation_frame=gene), its way
of showing one panel at a time. Building the long table is timed on its side, as our side's
own conversions are on ours.

Each measurement runs in a fresh process so that peak memory (max RSS) is its own; each side
runs twice and the faster run is kept. The page is fig.to_html(include_plotlyjs=False,
full_html=True); the time to_html takes is shown as well, outside the build time.
speed-up = px seconds / ours; size = ours bytes / px bytes.
Targets: speed-up at least 10x, size at most 0.5.

--draw also times each page once in the judge's headless Chromium: reading it (from navigation
to the figure's data in the page) and drawing it (Plotly.newPlot to the next frame).

Run: python bench/distribution.py [--sizes 1000000] [--draw]      (n: cells per gene)
"""

import argparse
import sys
import time
from pathlib import Path

import numpy as np
import pandas as pd

import _sides

SPEED_TARGET = 10.0
SIZE_TARGET = 0.5
GROUPS = 20
GENES = ["CD3E", "MS4A1", "LYZ"]


def _inputs(n, seed=0):
    """Per gene: cell type -> values, every gene measured in the same n cells."""
    rng = np.random.default_rng(seed)
    types = [f"cell type {i:02d}" for i in range(GROUPS)]
    kind = rng.integers(0, GROUPS, n)
    panels = {}
    for gene in GENES:
        level = rng.gamma(2.0, 1.0, GROUPS)
        values = rng.lognormal(np.log1p(level)[kind], 0.6).astype(np.float64)
        values[rng.random(n) < 0.001] = np.nan
        panels[gene] = {t: values[kind == i] for i, t in enumerate(types)}
    return panels, types


def _ours(n):
    from tessarine.pl._interactive import _render, _spec

    panels, types = _inputs(n)
    start = time.perf_counter()
    spec = _spec.Distribution(panels=panels, order=types, style="violin", valueLabel="expression",
                              groupLabel="cell type", thresholds={"detected": 1.0})
    fig = _render.figureFor(spec)
    elapsed = time.perf_counter() - start
    return elapsed, [fig]


def _peer(n):
    import plotly.express as px

    panels, types = _inputs(n)
    start = time.perf_counter()
    long = pd.concat([pd.DataFrame({"gene": gene, "cell type": t, "expression": values})
                      for gene, groups in panels.items() for t, values in groups.items()], ignore_index=True)
    fig = px.violin(long, x="cell type", y="expression", color="cell type", box=True, animation_frame="gene",
                    category_orders={"cell type": types})
    fig.add_hline(1.0, line_dash="dash", line_color="#B2182B", annotation_text="detected")
    elapsed = time.perf_counter() - start
    return elapsed, [fig]


def _drawSeconds(fig):
    """(seconds to read the page's figure, seconds plotly.js takes to draw it) in the judge's
    headless Chromium. The figure travels as a file the page loads: a page of 100 MB does not
    pass through the DevTools pipe."""
    sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "python"))
    import tempfile

    import plotly.io as pio
    from browser.judge import FIGURES_PER_PAGE, PLOTLY_JS, _run

    folder = Path(tempfile.mkdtemp(prefix="tess-bench-"))
    (folder / "figure.js").write_text("window.FIGURE = " + pio.to_json(fig, validate=False) + ";")
    (folder / "page.html").write_text(f"""<!DOCTYPE html><html><head><meta charset="utf-8">
<script src="{PLOTLY_JS.as_uri()}"></script><script src="figure.js"></script></head><body><div id="plot"></div>
<script>
  const read = performance.now();
  const start = performance.now();
  Plotly.newPlot("plot", FIGURE.data, FIGURE.layout).then(() => requestAnimationFrame(() => {{
    window.drawn = [read / 1000, (performance.now() - start) / 1000];
  }}));
</script></body></html>""")

    def measure(b):
        b.call("Page.navigate", {"url": (folder / "page.html").as_uri()}, session=b.session)
        b.figuresOnPage = FIGURES_PER_PAGE  # the judge's page is gone: reload it before judging again
        deadline = time.monotonic() + 600
        while time.monotonic() < deadline:
            found = b.evaluate("window.drawn || null")
            if found:
                return found
            time.sleep(0.5)
        raise TimeoutError("the page was not drawn in ten minutes")

    try:
        return _run(measure)
    finally:
        for file in folder.iterdir():
            file.unlink()
        folder.rmdir()


def main():
    _sides.child(sys.modules[__name__], sys.argv)
    parser = argparse.ArgumentParser()
    parser.add_argument("--sizes", type=int, nargs="*", default=[1_000_000], help="cells per gene")
    parser.add_argument("--draw", action="store_true", help="also time drawing each page in Chromium")
    args = parser.parse_args()
    print(f"{'cells':>11} {_sides.HEADER}")
    for n in args.sizes:
        _, _, speedUp, size, row = _sides.compare(__file__, n)
        print(f"{n:>11,} {row}")
        print(f"{'':>11} {_sides.targets(speedUp, size, SPEED_TARGET, SIZE_TARGET)}")
        if args.draw:
            for side, build in (("ours", _ours), ("px", _peer)):
                read, drawn = _drawSeconds(build(n)[1][0])
                print(f"{'':>11} {side}: page read in {read:.2f} s, drawn in {drawn:.2f} s (headless Chromium)")


if __name__ == "__main__":
    main()
