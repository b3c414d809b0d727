"""The example gallery: every family built so far, drawn from generated example data.

Run: python -m tessarine.pl._interactive.gallery OUTDIR
"""

import html
import pathlib
import sys

import plotly.io as pio

from .examples import EXAMPLES, figureAndConfig


def _page(make):
    fig, config = figureAndConfig(make)
    return pio.to_html(fig, config=config, include_plotlyjs=True, full_html=True)


def render(outdir):
    out = pathlib.Path(outdir)
    out.mkdir(parents=True, exist_ok=True)
    items = []
    for stem, title, make in EXAMPLES:
        (out / f"{stem}.html").write_text(_page(make), encoding="utf-8")
        items.append(f'<li><a href="{stem}.html">{html.escape(title)}</a></li>')
    listing = "\n".join(items) or "<li>No family has been built yet.</li>"
    (out / "index.html").write_text(
        "<!doctype html><meta charset='utf-8'><title>Tessarine gallery</title>"
        f"<h1>Tessarine gallery</h1><ul>\n{listing}\n</ul>\n",
        encoding="utf-8",
    )
    return out / "index.html"


if __name__ == "__main__":
    print(render(sys.argv[1] if len(sys.argv) > 1 else "gallery"))
