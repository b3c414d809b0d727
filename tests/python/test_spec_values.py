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
    attributes = dict(frame=frame, x="x", y="y", keys=["cluster", "CD8A"], categorical={"cluster": True},
                      colors={"cluster": {"a": "#4E79A7", "b": "tomato"}})
    attributes.update(changes)
    return _spec.Points(**attributes)


@pytest.mark.parametrize(("changes", "message"), [
    ({"alpha": "abc"}, "alpha must be a number between 0 and 1, not 'abc'"),
    ({"alpha": 7.0}, "alpha must be a number between 0 and 1, not 7.0"),
    ({"size": -5.0}, "size must be a number of pixels from 0 to 200, not -5.0"),
    ({"colors": {"cluster": {"a": "notacolour"}}}, "colors['cluster']['a'] must be a colour"),
    ({"colors": {"cluster": {"a": 5}}}, "colors['cluster']['a'] must be a colour"),
    ({"fontPx": -1}, "fontPx must be a number of pixels from 1 to 100, not -1.0"),
    ({"fontPx": 0.5}, "fontPx must be"),
    ({"fontPx": float("nan")}, "not nan"),
    ({"fontPx": float("inf")}, "not inf"),
    ({"width": -5}, "width must be a positive number of pixels"),
    ({"height": float("nan")}, "height must be a positive number of pixels"),
    ({"width": 10**400}, "width: int too large"),
    ({"alpha": "\ud800"}, "alpha: text that cannot be encoded"),
    ({"size": "\ud800"}, "size: text that cannot be encoded"),
    ({"title": "\ud800"}, "title: text that cannot be encoded"),
    ({"scales": {"CD8A": ("nomap", None, None, None, None)}}, "scales['CD8A'] cmap: unknown colour map"),
    ({"scales": {"CD8A": ("", float("inf"), None, None, None)}}, "scales['CD8A'] vmin must be finite"),
])
def test_refused_points_values_name_their_attribute(changes, message):
    with pytest.raises(ValueError) as raised:
        _render.figureFor(_points(**changes))
    assert message in str(raised.value)


@pytest.mark.parametrize("changes", [
    {"alpha": np.float32(0.25), "size": np.int64(4)},
    {"alpha": 0, "size": 0},
    {"fontPx": 0, "width": 0},  # 0 keeps the theme's font and the family's size
    {"width": 1, "height": 10**6},  # clamped to the smallest and the largest figure
    {"colors": {"cluster": {"a": "transparent", "b": "hsl(120deg 50% 50%)"}}},
    {"colors": {"cluster": {"a": "rgb(+1, 2, 3)", "b": ""}}},  # "" takes the unmapped colour
])
def test_accepted_points_values_give_valid_figures(changes):
    go.Figure(_render.figureFor(_points(**changes)).to_dict())


def _grid(make, **changes):
    spec = make()
    for name, value in changes.items():
        setattr(spec, name, value)
    return spec


@pytest.mark.parametrize(("make", "changes", "message"), [
    (examples.matrixMarkers, {"naColor": "nocolour"}, "naColor must be a colour"),
    (examples.matrixMarkers, {"cmap": "nomap"}, "cmap: unknown colour map 'nomap'"),
    (examples.matrixMarkers, {"colorbarLabel": "x\udcff"}, "colorbarLabel: text that cannot be encoded"),
    (examples.dotsMarkers, {"vmin": float("inf")}, "vmin must be finite"),
    (examples.dotsMarkers, {"xlabel": "\ud800"}, "xlabel: text that cannot be encoded"),
    (examples.barsHorizontal, {"colors": {"CD4+ T cells (naive)": "nope"}},
     "colors['CD4+ T cells (naive)'] must be a colour"),
])
def test_other_families_name_refused_values(make, changes, message):
    with pytest.raises(ValueError) as raised:
        _render.figureFor(_grid(make, **changes))
    assert message in str(raised.value)


def test_matrix_missing_colour_in_a_form_plotly_py_lacks_is_rewritten():
    fig = _render.figureFor(_grid(examples.matrixMarkers, naColor="transparent"))
    go.Figure(fig.to_dict())


@pytest.mark.parametrize(("changes", "message"), [
    ({"fontPx": 0.5}, "fontPx must be"),
    ({"width": float("nan")}, "width must be"),
    ({"note": "\ud800"}, "note: text that cannot be encoded"),
])
def test_finishing_a_host_figure_names_refused_values(changes, message):
    fig = go.Figure(go.Scatter(x=[1, 2], y=[2, 1]))
    with pytest.raises(ValueError) as raised:
        _render.finishFigure(fig, _spec._Spec(**changes))
    assert message in str(raised.value)
    with pytest.raises(ValueError, match="tickFont must be"):
        _render.finishFigure(fig, _spec._Spec(), tickFont=float("inf"))
    with pytest.raises(ValueError, match=r"labels\[0\]\['color'\] must be a colour"):
        _render.finishFigure(fig, _spec._Spec(), labels=[{"x": 1, "y": 1, "text": "a", "color": "nocolour"}])
