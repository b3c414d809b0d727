"""finishFigure on figures the host built itself."""

import pandas as pd
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


def _shown(text):
    return text.replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">")


def test_titles_and_notes_longer_than_their_side_are_fitted_in_every_state():
    long = "CD8⁺ T cells — effector/memory (Tₑₘ) & friends · " * 4
    fig = go.Figure([go.Scatter(x=[1, 2], y=[1, 2])])
    fig.update_layout(xaxis_title_text=long, yaxis_title_text="short",
                      annotations=[{"text": long, "xref": "paper", "yref": "paper", "x": 1, "y": 0,
                                    "xanchor": "right", "showarrow": False}])
    menu = {"type": "dropdown", "buttons": [
        {"label": "a", "method": "update", "args": [{}, {"yaxis.title.text": long, "annotations[0].text": "n"}]},
        {"label": "b", "method": "relayout", "args": [{"yaxis.title.text": "kept", "annotations[0].text": long}]}]}
    _render.finishFigure(fig, None, plot=(300, 240), controls=[_layout.control(menu)])
    width = _layout.textWidth
    x = fig.layout.xaxis.title.text
    assert x.endswith("…") and width(_shown(x), 14) <= 300 and fig.layout.yaxis.title.text == "short"
    first, second = (b.args[-1] for b in fig.layout.updatemenus[0].buttons)
    assert first["yaxis.title.text"].endswith("…") and width(_shown(first["yaxis.title.text"]), 14) <= 240
    assert second["yaxis.title.text"] == "kept" and first["annotations[0].text"] == "n"
    # The note wraps at blanks onto lines no wider than the plot, then ends in an ellipsis.
    for note in (fig.layout.annotations[0].text, second["annotations[0].text"]):
        lines = note.split("<br>")
        assert len(lines) == 3 and lines[-1].endswith("…")
        assert all(width(_shown(line), 12) <= 300 for line in lines)
    go.Figure(fig.to_dict())


def test_a_colour_bar_title_is_no_longer_than_its_bar():
    frame = pd.DataFrame([[1.0, 2.0], [3.0, 4.0]], index=["a", "b"], columns=["c", "d"])
    fig = _render.figureFor(_spec.Matrix(frame=frame, colorbarLabel="mean log-normalised expression " * 5))
    bar = fig.data[0].colorbar
    assert bar.title.text.endswith("…")
    assert _layout.textWidth(bar.title.text, 12) <= bar.len * (fig.layout.height - fig.layout.margin.t
                                                                - fig.layout.margin.b)


def test_log_axes_get_a_stride_their_labels_fit_and_linear_states_clear_it():
    fig = go.Figure([go.Box(y=[1e-3, 1e5], name="a")])
    fig.update_yaxes(type="log")
    relayout = [{"label": t, "method": "relayout", "args": [{"yaxis.type": t}]} for t in ("log", "linear")]
    _render.finishFigure(fig, None, plot=(300, 200), controls=[_layout.control({"type": "buttons", "buttons": relayout})])
    # Eight decades in 200 px leave no room for 2 and 5, let alone every digit.
    assert isinstance(fig.layout.yaxis.dtick, (int, float)) and fig.layout.yaxis.dtick >= 1
    log, linear = (b.args[0] for b in fig.layout.updatemenus[0].buttons)
    assert log["yaxis.dtick"] == fig.layout.yaxis.dtick and linear["yaxis.dtick"] is None
    roomy = go.Figure([go.Box(y=[1, 50], name="a")]).update_yaxes(type="log")
    _render.finishFigure(roomy, None, plot=(300, 900))
    assert roomy.layout.yaxis.dtick == "D1"
