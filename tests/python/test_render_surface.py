"""What the host sees of the renderer: names, constants, dispatch and config."""

import pandas as pd
import plotly.graph_objects as go
import pytest

from tessarine.pl._interactive import _render, _spec

ALL = ["bars", "configFor", "curves", "distribution", "dots", "figureFor", "finishFigure", "gate", "graph",
       "intervals", "matrix", "points", "ranked", "rasterTraces", "volcano"]


def test_public_names_in_order_and_reachable():
    assert _render.__all__ == ALL
    for name in ALL + ["_figure"]:
        assert callable(getattr(_render, name))


def test_constants():
    assert (_render.GL_THRESHOLD, _render.HOVER_IDENTITY_LIMIT, _render.MAX_LABELLED_CELLS) == (4000, 20000, 400)
    assert (_render.NUMERIC_WIDTH, _render.MAX_NAMED_COLUMN, _render.MAX_DOT) == (48.0, 64.0, 22.0)
    assert isinstance(_render.GL_THRESHOLD, int) and isinstance(_render.MAX_DOT, float)


def test_empty_figure_is_a_plotly_figure():
    fig = _render._figure()
    assert isinstance(fig, go.Figure)
    assert fig.data == () and fig.layout.title.text is None
    assert _render._figure() is not fig


@pytest.mark.parametrize("thing", [pd.DataFrame(), {"a": 1}, None, 3, "Points", _spec.Points])
def test_figure_for_refuses_what_is_no_spec(thing):
    with pytest.raises(TypeError) as caught:
        _render.figureFor(thing)
    assert str(caught.value) == f"{type(thing).__name__} is not an interactive spec."


def test_figure_for_message_for_a_data_frame():
    with pytest.raises(TypeError, match=r"^DataFrame is not an interactive spec\.$"):
        _render.figureFor(spec=pd.DataFrame())


def test_dispatch_takes_the_first_family_in_table_order(monkeypatch):
    class Both(_spec.Bars, _spec.Matrix):
        pass

    class Derived(_spec.Volcano):
        pass

    called = []
    for name in ("matrix", "bars", "volcano"):
        monkeypatch.setattr(_render, name, lambda spec, name=name: called.append(name) or name)
    assert _render.figureFor(Both()) == "matrix"
    assert _render.figureFor(Derived()) == "volcano"
    assert called == ["matrix", "volcano"]


def test_spec_classes_are_looked_up_at_each_call(monkeypatch):
    class Impostor:
        pass

    monkeypatch.setattr(_spec, "Ranked", Impostor)
    monkeypatch.setattr(_render, "ranked", lambda spec: "ranked")
    assert _render.figureFor(Impostor()) == "ranked"


def _keys(config):
    return list(config)


def test_config_keys_per_family():
    base = ["displaylogo", "responsive", "toImageButtonOptions"]
    gate = _render.configFor(_spec.Gate())
    points = _render.configFor(_spec.Points())
    bars = _render.configFor(_spec.Bars())
    assert _keys(gate) == base + ["edits", "modeBarButtonsToAdd", "showSendToCloud"]
    assert gate["edits"] == {"shapePosition": True}
    assert gate["modeBarButtonsToAdd"] == ["drawline", "eraseshape"]
    assert _keys(points) == base + ["modeBarButtonsToAdd", "showSendToCloud"]
    assert points["modeBarButtonsToAdd"] == ["lasso2d", "select2d"]
    assert _keys(bars) == base + ["showSendToCloud"]
    assert bars["displaylogo"] is False and bars["responsive"] is True and bars["showSendToCloud"] is False
    scale = bars["toImageButtonOptions"]["scale"]
    assert scale == 3 and type(scale) is int


def test_config_of_a_points_gate_takes_the_selection_buttons():
    class PointsGate(_spec.Gate, _spec.Points):
        pass

    config = _render.configFor(PointsGate())
    assert config["modeBarButtonsToAdd"] == ["lasso2d", "select2d"]
    assert "edits" in config


@pytest.mark.parametrize("thing", [None, pd.DataFrame(), object()])
def test_config_never_fails_on_the_argument_type(thing):
    assert _keys(_render.configFor(thing)) == ["displaylogo", "responsive", "toImageButtonOptions",
                                              "showSendToCloud"]
