"""Where the time from a points spec to its page goes, stage by stage, for our figure.

plotly.py writes a page in stages: the figure's plain form (`to_dict`, ours), the JSON of data
and layout (orjson), its decoding to str, the escaping of "<", ">" and "/" (plotly.py's
`_safe`: base64 is full of "/"), and the HTML around it. The stages run here as plotly.py
runs them, on one figure of `points.py`'s content, best of three.

Run: python bench/page_writing.py [--cells 1000000]
"""

import argparse
import time

import orjson
import plotly
import plotly.graph_objects as go
from plotly.io._json import _safe, _swap_orjson

import points


def _best(step, repeat=3):
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        out = step()
        times.append(time.perf_counter() - start)
    return min(times), out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cells", type=int, default=1_000_000)
    args = parser.parse_args()
    go.Figure()
    build, (fig,) = min((points._ours(args.cells) for _ in range(3)), key=lambda made: made[0])
    plain, dictionary = _best(fig.to_dict)
    plotlys, _ = _best(lambda: go.Figure.to_dict(fig))
    options = orjson.OPT_NON_STR_KEYS | orjson.OPT_SERIALIZE_NUMPY
    dumps, encoded = _best(lambda: [orjson.dumps(dictionary[k], option=options) for k in ("data", "layout")])
    decode, texts = _best(lambda: [e.decode("utf8") for e in encoded])
    safe, _ = _best(lambda: [_safe(t, _swap_orjson) for t in texts])
    html, page = _best(lambda: fig.to_html(include_plotlyjs=False))
    write, _ = _best(lambda: fig.write_html("/tmp/page_writing.html", include_plotlyjs=False))
    rest = html - plain - dumps - decode - safe
    rows = [("spec to Figure (build)", build), ("to_dict (ours)", plain), ("  plotly.py's to_dict, same figure", plotlys),
            ("orjson.dumps", dumps), ("bytes to str", decode), ("escaping < > / (_safe)", safe),
            ("HTML around the JSON", rest), ("to_html in all", html), ("write_html in all", write)]
    print(f"{args.cells:,} cells, page {len(page) / 1e6:.1f} MB, plotly {plotly.__version__}")
    for name, seconds in rows:
        print(f"{name:<36} {seconds * 1000:>8.0f} ms")


if __name__ == "__main__":
    main()
