"""Volcano: time from spec to a plotly.py Figure and size of the page, against plotly express,
and the page against the same figure with its states carrying colour strings.

The content is a differential test of n genes in two biotypes (the gallery's generator): effect,
p-value, -log10(p), mean expression and biotype, the 20 strongest genes labelled. Ours builds
it through one Volcano spec: one trace per biotype and 12 threshold states (3 p cuts by 4
effect cuts) in a dropdown, each state carrying one colour code per point.

plotly express draws one state: px.scatter of -log10(p) against effect, coloured by the
state's class (up, down, neither), with the gene and the other columns in the tooltip. Working
out that class is timed on its side. What it does not pay for: the other 11 states, the
threshold lines, the caption and the labels.

The colour-string form is our own figure with every state's codes (and the first picture's)
written out as one colour string per point, as a figure without the codes' colour scale would
carry them; `strings` = our page bytes / that form's.

Each measurement runs in a fresh process; each side runs twice and the faster run is kept.
speed-up = px seconds / ours; size = ours bytes / px bytes.
Target: the page at most 0.5 of the colour-string form.

Run: python bench/volcano.py [--sizes 20000]
"""

import argparse
import base64
import copy
import sys
import time

import numpy as np

import _sides

STRINGS_TARGET = 0.5


def _spec(n):
    from tessarine.pl._interactive import _spec
    from tessarine.pl._interactive.examples import differentialTable

    return _spec.Volcano(frame=differentialTable(features=n), group="biotype", pVal=0.05, effectThreshold=1.0,
                         top=20)


def _ours(n):
    from tessarine.pl._interactive import _render

    spec = _spec(n)
    start = time.perf_counter()
    fig = _render.figureFor(spec)
    return time.perf_counter() - start, [fig]


def _peer(n):
    import plotly.express as px

    frame = _spec(n).frame
    start = time.perf_counter()
    significant = frame.pvalue < 0.05
    state = np.where(significant & (frame.effect <= -1.0), "down",
                     np.where(significant & (frame.effect >= 1.0), "up", "neither"))
    shown = frame.assign(state=state, gene=frame.index)
    fig = px.scatter(shown, x="effect", y="logp", color="state", hover_name="gene",
                     hover_data=["pvalue", "baseMean", "biotype"],
                     color_discrete_map={"up": "#B2182B", "down": "#2166AC", "neither": "#BDBDBD"})
    return time.perf_counter() - start, [fig]


def _codes(value):
    if isinstance(value, dict):  # a typed-array record
        return np.frombuffer(base64.b64decode(value["bdata"]), value["dtype"])
    return np.asarray(value)


def colourStringForm(fig):
    """The figure with every colour code written out as the colour string it draws."""
    import plotly.graph_objects as go

    out = go.Figure(fig.to_dict(), _validate=False)
    traces = out.data
    stops = [[colour for _, colour in trace.marker.colorscale] for trace in traces]
    for trace, colours in zip(traces, stops):
        trace.marker.color = [colours[c] for c in _codes(trace.marker.color)]
        trace.marker.colorscale = None
    menus = copy.deepcopy(out.layout.updatemenus[0].to_plotly_json())
    for button in menus["buttons"]:
        button["args"][0]["marker.color"] = [[colours[c] for c in _codes(codes)]
                                             for colours, codes in zip(stops, button["args"][0]["marker.color"])]
    out.layout.updatemenus = [menus]
    return out


def _pages(n):
    from tessarine.pl._interactive import _render

    fig = _render.figureFor(_spec(n))
    page = lambda f: len(f.to_html(include_plotlyjs=False, full_html=True))  # noqa: E731
    return page(fig), page(colourStringForm(fig))


def main():
    _sides.child(sys.modules[__name__], sys.argv)
    parser = argparse.ArgumentParser()
    parser.add_argument("--sizes", type=int, nargs="*", default=[20000], help="features")
    args = parser.parse_args()
    print(f"{'features':>9} {_sides.HEADER}")
    for n in args.sizes:
        _, _, speedUp, _, row = _sides.compare(__file__, n)
        ours, strings = _pages(n)
        ratio = ours / strings
        print(f"{n:>9} {row}")
        print(f"{'':>9} page {ours / 1e6:.2f} MB against {strings / 1e6:.2f} MB with colour strings: {ratio:.2f}")
        print(f"{'':>9} build {speedUp:.1f}x px's speed; target: page <= {STRINGS_TARGET} of the colour-string form "
              f"{'met' if ratio <= STRINGS_TARGET else 'MISSED'}")


if __name__ == "__main__":
    main()
