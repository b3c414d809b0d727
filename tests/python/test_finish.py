"""finishFigure on figures the host built itself."""

import plotly.graph_objects as go
import pytest

from tessarine.pl._interactive import _layout, _render, _spec


def test_finishes_the_same_plotly_object_in_place_shortening_only_too_wide_names():
    long = "Oligodendrocyte precursor cells " * 6
    fig = go.Figure([go.Bar(x=["a", "b"], y=[1, 2], name="<b>x</b>"), go.Bar(y=[1], name=long)])
    fig.add_annotation(text="mine", x="a", y=1)
    assert _render.finishFigure(fig, _spec.Bars(title="T & C"), plot=(400, 300)) is fig
    assert fig.layout.title.text == "T &amp; C" and fig.layout.width > 400 and fig.layout.margin.l > 0
    assert fig.layout.annotations[0].text == "mine"
    assert fig.data[0].name == "<b>x</b>"  # traces are the host's own
    assert fig.data[1].name.endswith("…") and len(fig.data[1].name) < len(long)
    go.Figure(fig.to_dict())
    mapping = {"data": [{"type": "scatter", "x": [1, 2], "y": [1, 2]}], "layout": {}}
    _render.finishFigure(mapping, None)  # a plain mapping is finished too
    assert mapping["layout"]["width"] > 0 and "template" in mapping["layout"]


def test_controls_go_into_the_band_above_the_plot():
    fig = go.Figure([go.Scatter(y=[1, 2], name="a"), go.Scatter(y=[2, 1], name="b")])
    menu = {"type": "dropdown", "active": 0,
            "buttons": [{"label": "a", "method": "update", "args": [{"visible": [True, False]}]},
                        {"label": "b", "method": "update", "args": [{"visible": [False, True]}]}]}
    _render.finishFigure(fig, None, controls=[_layout.control(menu, label="Show")])
    assert fig.layout.updatemenus[0].y > 1
    assert fig.layout.annotations[-1].text == "<b>Show</b>"


def test_an_empty_plot_leaves_the_drawing_area_to_the_theme_as_none_does():
    sizes = []
    for plot in (None, (), []):
        fig = go.Figure(go.Scatter(y=[1, 2]))
        _render.finishFigure(fig, None, plot=plot)
        sizes.append((fig.layout.width, fig.layout.height))
    assert sizes[0] == sizes[1] == sizes[2]


# Refusals name the attribute and leave the figure as it was.
@pytest.mark.parametrize("kwargs, error, message", [
    ({"plot": (1, 2, 3)}, ValueError, None), ({"controls": [3]}, TypeError, None),
    ({"spec": _spec.Bars(width="wide")}, ValueError, None),  # fails as float() would
    ({"spec": _spec._Spec(width=float("nan"))}, ValueError, "width must be"),
    ({"spec": _spec._Spec(note="\ud800")}, ValueError, "note: text that cannot be encoded"),
    ({"tickFont": float("inf")}, ValueError, "tickFont must be"),
    ({"labels": [{"x": 1, "y": 1, "text": "a", "color": "nocolour"}]}, ValueError, r"labels\[0\]\['color'\] must be a colour"),
])
def test_bad_arguments_fail_with_ordinary_errors_and_leave_the_figure(kwargs, error, message):
    fig = go.Figure(go.Scatter(y=[1, 2]))
    before = fig.to_plotly_json()
    with pytest.raises(error, match=message):
        _render.finishFigure(fig, kwargs.pop("spec", None), **kwargs)
    assert fig.to_plotly_json() == before
