"""Points: time plotly.js takes to draw our figure and plotly express's, in headless Chromium.

The same content as bench/points.py. Ours holds both colour keys (the second hidden until
chosen); plotly express's figure is its categorical one. Timed from Plotly.newPlot until
two animation frames later, with the plotly.js inside the installed plotly package.

Run: python bench/points_draw.py [--sizes 200000 1000000]
"""

import argparse
import json
import pathlib
import sys

import plotly.io as pio

sys.path.insert(0, str(pathlib.Path(__file__).parent))
sys.path.insert(0, str(pathlib.Path(__file__).parents[1] / "tests" / "python"))
import points  # noqa: E402
from browser.judge import _run  # noqa: E402  (the browser the tests use)

DRAW = """(async (figure) => {
  const div = document.createElement("div");
  document.body.appendChild(div);
  const start = performance.now();
  await Plotly.newPlot(div, figure.data, figure.layout);
  await new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve)));
  const elapsed = performance.now() - start;
  Plotly.purge(div);
  div.remove();
  return elapsed / 1000;
})(JSON.parse(%s))"""


def _draw(fig):
    payload = json.dumps(pio.to_json(fig))
    return min(_run(lambda browser: browser.evaluate(DRAW % payload)) for _ in range(2))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sizes", type=int, nargs="*", default=[200_000, 1_000_000])
    args = parser.parse_args()
    print(f"{'cells':>9} {'ours s':>8} {'px s':>8} {'ratio':>6}")
    for n in args.sizes:
        ours = _draw(points._ours(n)[1][0])
        peer = _draw(points._peer(n)[1][0])
        print(f"{n:>9} {ours:>8.2f} {peer:>8.2f} {peer / ours:>5.1f}x")


if __name__ == "__main__":
    main()
