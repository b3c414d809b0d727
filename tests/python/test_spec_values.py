"""Spec values plotly would refuse fail as plotly.py fails them, naming the spec attribute;
the forms the renderer accepts in their place give figures plotly.py validates."""

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest

from tessarine.pl._interactive import _render, _spec, examples


def _points(**changes):
    rng = np.random.default_rng(0)
    frame = pd.DataFrame({"x": rng.normal(size=30), "y": rng.normal(size=30),
                          "cluster": rng.choice(["a", "b"], 30), "CD8A": rng.gamma(2.0, size=30)})
    return _spec.Points(**{"frame": frame, "x": "x", "y": "y", "keys": ["cluster", "CD8A"], "categorical": {"cluster": True},
                           "colors": {"cluster": {"a": "#4E79A7", "b": "tomato"}}, **changes})


def _grid(make, **changes):
    vars(spec := make()).update(changes)
    return spec


@pytest.mark.parametrize(("build", "message"), [
    (lambda: _points(alpha="abc"), "alpha must be a number between 0 and 1, not 'abc'"),
    (lambda: _points(size=-5.0), "size must be a number of pixels from 0 to 200, not -5.0"),
    (lambda: _points(colors={"cluster": {"a": "notacolour"}}), "colors['cluster']['a'] must be a colour"),
    (lambda: _points(fontPx=float("nan")), "fontPx must be a number of pixels from 1 to 100, not nan"),
    (lambda: _points(height=float("nan")), "height must be a positive number of pixels"),
    (lambda: _points(width=10**400), "width: int too large"),
    (lambda: _points(alpha="\ud800"), "alpha: text that cannot be encoded"),
    (lambda: _points(scales={"CD8A": ("nomap", None, None, None, None)}), "scales['CD8A'] cmap: unknown colour map"),
    (lambda: _points(scales={"CD8A": ("", float("inf"), None, None, None)}), "scales['CD8A'] vmin must be finite"),
    (lambda: _grid(examples.matrixMarkers, naColor="nocolour"), "naColor must be a colour"),
    (lambda: _grid(examples.matrixMarkers, colorbarLabel="x\udcff"), "colorbarLabel: text that cannot be encoded"),
    (lambda: _grid(examples.dotsMarkers, vmin=float("inf")), "vmin must be finite"),
    (lambda: _grid(examples.barsHorizontal, colors={"CD4+ T cells (naive)": "nope"}),
     "colors['CD4+ T cells (naive)'] must be a colour"),
])
def test_refused_values_name_their_attribute(build, message):
    with pytest.raises(ValueError) as raised:
        _render.figureFor(build())
    assert message in str(raised.value)


@pytest.mark.parametrize("build", [
    lambda: _points(alpha=np.float32(0.25), size=np.int64(4)),
    lambda: _points(alpha=0, size=0, fontPx=0, width=0),  # 0 keeps the theme's font and the family's size
    lambda: _points(width=1, height=10**6),  # clamped to the smallest and the largest figure
    lambda: _points(colors={"cluster": {"a": "transparent", "b": "hsl(120deg 50% 50%)"}}),
    lambda: _points(colors={"cluster": {"a": "rgb(+1, 2, 3)", "b": ""}}),  # "" takes the unmapped colour
    lambda: _grid(examples.matrixMarkers, naColor="transparent"),  # a form plotly.py lacks, rewritten
])
def test_accepted_values_give_valid_figures(build):
    go.Figure(_render.figureFor(build()).to_dict())
