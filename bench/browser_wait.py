"""What the reader waits for: each family's large benchmark page opened from a file in headless
Chromium, with the plotly.js inside the installed plotly package, ours against the peer's.

For each family (the cases of bench/matrix.py --float32, bench/dots.py and bench/points.py),
both sides' pages are written with `write_html(include_plotlyjs="directory")` and opened by
navigation, as a reader opens a saved page. Times count from navigation start:
- lib: plotly.js loaded and run;
- parsed: the figure's script parsed and run up to its `Plotly.newPlot` call (HTML and JSON
  parsing of the figure's data, which the page holds as one JavaScript literal);
- drawn: `newPlot`'s promise resolved, which follows the first `plotly_afterplot`;
  newPlot = drawn - parsed (typed arrays decoded, traces computed and drawn).
For ours, every button of every menu and every step of every slider is then applied, in order,
through its own method (`Plotly[method](gd, ...args)`, the reader's click) and timed until two
animation frames later. The peer's figures are timed the same way on what they offer: the steps of
plotly express's animation slider, or, where it has no controls, every trace's markers drawn twice
as large (one restyle): the browser's own cost of redrawing the same marks, against which ours
are read. Each side runs twice and the better page load is kept. Chromium draws
WebGL on the CPU here: compare the two sides of one run, never absolute times.

Run: python bench/browser_wait.py [--families matrix dots points] [--points 1000000]
"""

import argparse
import json
import pathlib
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).parent))
sys.path.insert(0, str(pathlib.Path(__file__).parents[1] / "tests" / "python"))
import dots  # noqa: E402
import matrix  # noqa: E402
import points  # noqa: E402
from browser.judge import TIMEOUT_S, _run  # noqa: E402  (the browser the tests use)

# Set before the figure's script runs: notes when newPlot is called and when it resolves.
PROBE = """<script>
window.__wait = {lib: performance.now()};
const __newPlot = Plotly.newPlot;
Plotly.newPlot = function (...args) {
  window.__wait.parsed = performance.now();
  return __newPlot.apply(this, args).then((gd) => {
    window.__wait.drawn = performance.now();
    window.__gd = gd;
    return gd;
  });
};
</script>"""

# Every menu button and slider step, in order, as (method, index of its control, index of the item).
ITEMS = """(() => {
  const gd = window.__gd;
  return [...(gd.layout.updatemenus || []).flatMap((m, i) => m.buttons.map((b, j) => ["menu", i, j, b.label])),
          ...(gd.layout.sliders || []).flatMap((s, i) => s.steps.map((b, j) => ["slider", i, j, b.label]))];
})()"""

# Applies one item through its own method, timed until two animation frames later.
APPLY = """(async (kind, i, j) => {
  const gd = window.__gd;
  const item = kind === "menu" ? gd.layout.updatemenus[i].buttons[j] : gd.layout.sliders[i].steps[j];
  const start = performance.now();
  await Plotly[item.method](gd, ...item.args);
  await new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)));
  return (performance.now() - start) / 1000;
})(%s, %d, %d)"""


# The peer's reference state where it has no controls: every marker twice as large.
RESIZE = """(async () => {
  const gd = window.__gd;
  const scaled = gd.data.every((t) => t.marker && t.marker.sizeref);
  const update = scaled ? {"marker.sizeref": gd.data.map((t) => t.marker.sizeref / 2)} : {"marker.size": 12};
  const start = performance.now();
  await Plotly.restyle(gd, update);
  await new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)));
  return (performance.now() - start) / 1000;
})()"""


def _page(fig, folder, name):
    path = pathlib.Path(folder) / f"{name}.html"
    fig.write_html(str(path), include_plotlyjs="directory", full_html=True)
    html = path.read_text(encoding="utf-8")
    marker = '<script charset="utf-8" src="plotly.min.js"></script>'
    if marker not in html:
        raise RuntimeError("the page does not load plotly.js as expected")
    path.write_text(html.replace(marker, marker + PROBE, 1), encoding="utf-8")
    return path


def _open(path, side):
    """Navigates to the page and waits for its figure; the times in seconds, and each state's."""

    def task(browser):
        browser.call("Page.navigate", {"url": path.as_uri()}, session=browser.session)
        deadline = time.monotonic() + TIMEOUT_S
        while browser.evaluate("window.__wait && window.__wait.drawn !== undefined") is not True:
            if time.monotonic() > deadline:
                raise RuntimeError(f"{path.name} was not drawn in time")
            time.sleep(0.05)
        times = {key: value / 1000 for key, value in browser.evaluate("window.__wait").items()}
        times["states"] = []
        items = browser.evaluate(ITEMS)
        if side == "peer":  # its play buttons would run every frame: its slider steps only
            items = [item for item in items if item[0] == "slider"]
        for kind, i, j, label in items:
            seconds = browser.evaluate(APPLY % (json.dumps(kind), i, j))
            times["states"].append({"control": f"{kind} {i}", "label": label, "seconds": seconds})
        if not items:
            times["states"].append({"control": "restyle", "label": "markers 2x", "seconds": browser.evaluate(RESIZE)})
        return times

    return _run(task)


def _best(path, side):
    runs = [_open(path, side) for _ in range(2)]
    best = dict(min(runs, key=lambda r: r["drawn"]))
    best["states"] = [min(pair, key=lambda s: s["seconds"]) for pair in zip(*(r["states"] for r in runs))]
    return best


def _row(family, side, size, t):
    return (f"{family:>7} {side:>5} {size / 1e6:>8.1f} {t['lib']:>6.2f} {t['parsed'] - t['lib']:>7.2f} "
            f"{t['drawn'] - t['parsed']:>8.2f} {t['drawn']:>7.2f}")


CASES = {
    "matrix": lambda a: (matrix._ours(1000, 1), matrix._peer(1000, 1)),
    "dots": lambda a: (dots._ours(2000, 50), dots._peer(2000, 50)),
    "points": lambda a: (points._ours(a.points), points._peer(a.points)),
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--families", nargs="*", default=list(CASES), choices=list(CASES))
    parser.add_argument("--points", type=int, default=1_000_000, help="cells of the points case")
    args = parser.parse_args()
    print(f"{'family':>7} {'side':>5} {'page MB':>8} {'lib s':>6} {'parse s':>7} {'newPlot s':>8} "
          f"{'drawn s':>7}    (times from navigation start; parse = HTML and JSON of the figure)")
    summary = []
    with tempfile.TemporaryDirectory() as folder:
        for family in args.families:
            (_, [ours]), (_, peers) = CASES[family](args)
            peer = peers[0]  # plotly express's points figure of the categorical key, its first page
            pages = {"ours": _page(ours, folder, f"{family}-ours"), "peer": _page(peer, folder, f"{family}-peer")}
            del ours, peer, peers
            times = {side: _best(path, side) for side, path in pages.items()}
            sizes = {side: path.stat().st_size for side, path in pages.items()}
            for side in ("ours", "peer"):
                print(_row(family, side, sizes[side], times[side]))
            for side in ("ours", "peer"):
                for state in times[side]["states"]:
                    print(f"{'':>7} {side:>5} state {state['control']:>8} {json.dumps(state['label']):>24} "
                          f"{state['seconds']:>6.2f} s")
            slowest = {side: max((s["seconds"] for s in times[side]["states"]), default=0.0) for side in times}
            summary.append((family, times["ours"]["drawn"] / times["peer"]["drawn"], sizes["ours"] / sizes["peer"],
                            slowest["ours"], slowest["peer"]))
    print()
    for family, drawn, size, slowest, peerSlowest in summary:
        target = 0.5 if family == "points" else 1.0
        print(f"{family:>7}: drawn {drawn:.2f} of the peer's time (target <= {target}: "
              f"{'met' if drawn <= target else 'MISSED'}); page {size:.2f} of the peer's; "
              f"slowest state {slowest:.2f} s (target <= 1 s: {'met' if slowest <= 1.0 else 'MISSED'}; "
              f"the peer's slowest {peerSlowest:.2f} s)")


if __name__ == "__main__":
    main()
