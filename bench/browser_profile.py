"""Where the browser's time goes: a CPU profile of plotly.js drawing the dots benchmark figure
(ours or plotly express's), or applying one of our controls to it, in the headless Chromium of
the browser tests.

The figure is plotted into the judge's page; the profile covers Plotly.newPlot, or one menu
button or slider step applied through its own method, until two animation frames later. It
prints the wall time and the functions with the most time (self, then inclusive), named as in
the installed plotly.min.js (function@line:column, minified; "(program)" is the browser's
native work: WebGL drawn on the CPU, style and layout).

Run: python bench/browser_profile.py [--side ours|peer] [--item newPlot|menu:J|slider:J] [--top 25]
"""

import argparse
import collections
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).parent))
sys.path.insert(0, str(pathlib.Path(__file__).parents[1] / "tests" / "python"))
import dots  # noqa: E402
import plotly.io as pio  # noqa: E402
from browser.judge import _run  # noqa: E402

SETUP = "window.__fig = %s; window.__div = document.body.appendChild(document.createElement('div')); 1"
TIMED = """(async () => {
  const start = performance.now();
  %s;
  await new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)));
  return performance.now() - start;
})()"""
NEWPLOT = "await Plotly.newPlot(__div, __fig.data, __fig.layout)"
APPLY = "const item = __fig.layout.%s; await Plotly[item.method](__div, ...item.args)"


def _profile(payload, item):
    def task(browser):
        session = browser.session
        browser.evaluate(SETUP % payload)
        if item != "newPlot":
            browser.evaluate(TIMED % NEWPLOT)
            kind, j = item.split(":")
            action = APPLY % (f"updatemenus[0].buttons[{int(j)}]" if kind == "menu" else f"sliders[0].steps[{int(j)}]")
        else:
            action = NEWPLOT
        browser.call("Profiler.enable", session=session)
        browser.call("Profiler.setSamplingInterval", {"interval": 200}, session=session)
        browser.call("Profiler.start", session=session)
        try:
            milliseconds = browser.evaluate(TIMED % action)
        finally:
            profile = browser.call("Profiler.stop", session=session)["profile"]
            browser.evaluate("Plotly.purge(__div); __div.remove(); delete window.__fig; 1")
        return milliseconds, profile

    return _run(task)


def _times(profile):
    """Self and inclusive milliseconds per function."""
    nodes = {n["id"]: n for n in profile["nodes"]}
    parent = {child: n["id"] for n in profile["nodes"] for child in n.get("children", [])}
    spent = collections.Counter()
    for sample, delta in zip(profile["samples"], profile["timeDeltas"]):
        spent[sample] += delta / 1000

    def name(node):
        frame = node["callFrame"]
        return f"{frame['functionName'] or '(anonymous)'}@{frame['lineNumber']}:{frame['columnNumber']}"

    own, inclusive = collections.Counter(), collections.Counter()
    for sample, ms in spent.items():
        own[name(nodes[sample])] += ms
        seen, at = set(), sample
        while at is not None:
            key = name(nodes[at])
            if key not in seen:
                inclusive[key] += ms
                seen.add(key)
            at = parent.get(at)
    return own, inclusive


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--side", choices=["ours", "peer"], default="ours")
    parser.add_argument("--item", default="newPlot", help="newPlot, menu:J or slider:J")
    parser.add_argument("--top", type=int, default=25)
    args = parser.parse_args()
    build = dots._ours if args.side == "ours" else dots._peer
    milliseconds, profile = _profile(pio.to_json(build(2000, 50)[1][0]), args.item)
    own, inclusive = _times(profile)
    print(f"{args.side} {args.item}: {milliseconds:.0f} ms")
    for title, counts in (("self", own), ("inclusive", inclusive)):
        print(f"\n{title} ms")
        for key, ms in counts.most_common(args.top):
            print(f"{ms:>8.0f}  {key}")


if __name__ == "__main__":
    main()
