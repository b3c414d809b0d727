"""What the host sees of the renderer: names, dispatch and config."""

import pandas as pd
import plotly.graph_objects as go
import pytest

from tessarine.pl._interactive import _render, _spec

@pytest.mark.parametrize("thing", [pd.DataFrame(), {"a": 1}, None, 3, "Points", _spec.Points])
def test_figure_for_refuses_what_is_no_spec(thing):
    with pytest.raises(TypeError) as caught:
        _render.figureFor(spec=thing)
    assert str(caught.value) == f"{type(thing).__name__} is not an interactive spec."


def test_public_names_are_reachable_and_dispatch_takes_the_first_family_in_table_order(monkeypatch):
    assert all(callable(getattr(_render, name)) for name in _render.__all__)
    fig = _render._figure()
    assert isinstance(fig, go.Figure) and fig.data == () and _render._figure() is not fig  # fresh each call
    called = []
    for name in ("matrix", "bars", "volcano"):
        monkeypatch.setattr(_render, name, lambda spec, name=name: called.append(name) or name)
    assert _render.figureFor(type("Both", (_spec.Bars, _spec.Matrix), {})()) == "matrix"
    assert _render.figureFor(type("Derived", (_spec.Volcano,), {})()) == "volcano"
    assert called == ["matrix", "volcano"]


def test_config_adds_drawing_to_gates_and_selection_to_points():
    gate, points, bars = (_render.configFor(cls()) for cls in (_spec.Gate, _spec.Points, _spec.Bars))
    assert gate["edits"] == {"shapePosition": True} and gate["modeBarButtonsToAdd"] == ["drawline", "eraseshape"]
    assert points["modeBarButtonsToAdd"] == ["lasso2d", "select2d"] and "edits" not in points
    assert "modeBarButtonsToAdd" not in bars and "edits" not in bars
    assert bars["displaylogo"] is False and bars["showSendToCloud"] is False
    assert type(bars["toImageButtonOptions"]["scale"]) is int
    both = _render.configFor(type("PointsGate", (_spec.Gate, _spec.Points), {})())
    assert both["modeBarButtonsToAdd"] == ["lasso2d", "select2d"] and "edits" in both
    assert all(_render.configFor(thing) == bars for thing in (None, pd.DataFrame(), object()))  # never fails


@pytest.mark.parametrize("cls", _spec.__all__)
def test_every_family_is_built_and_refuses_an_empty_spec_plainly(cls):
    # An empty spec has nothing to draw: its family's builder may refuse it, with an ordinary error.
    try:
        _render.figureFor(getattr(_spec, cls)())
    except (TypeError, ValueError, KeyError, AttributeError):
        pass
