"""The curves family end to end: the cases the golden figure leaves open, and that each validates.
Bands, notes and the feature dropdown as drawn: test_curves_browser.py."""

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest

from tessarine.pl._interactive import _render, _spec


def _table(n=4, **columns):
    table = {"time": np.arange(n, dtype=float), "value": np.linspace(1.0, 0.4, n),
             "low": np.linspace(1.0, 0.2, n), "high": np.linspace(1.0, 0.6, n)}
    table.update(columns)
    return pd.DataFrame({k: v for k, v in table.items() if v is not None})


def _curves(**kw):
    kw.setdefault("curves", {"f": {"a": _table()}})
    fig = _render.figureFor(_spec.Curves(**kw))
    go.Figure(fig.to_dict())  # every figure the core builds passes plotly's validation
    return fig


def test_one_feature_has_no_dropdown_and_colours_match_groups_by_their_text():
    fig = _curves(curves={"f": {1: _table(), "b": _table(high=None)}}, colors={"1": "#FF0000"}, ylabel="<i>S</i>",
                  annotations={"f": None})
    assert not fig.layout.updatemenus and not fig.layout.annotations
    assert fig.layout.yaxis.title.text == "&lt;i&gt;S&lt;/i&gt;"
    # Group 1 is coloured by "1" and banded; "b" has no high limit, so no band, and the fallback grey.
    assert [(t.name, t.fill, t.line.color) for t in fig.data] == [
        ("1 interval", "toself", None), ("1", None, "#FF0000"), ("b", None, "#4C4C4C")]
    assert fig.data[0].fillcolor == "rgba(255,0,0,0.15)" and fig.data[0].legendgroup == "1"


def test_tooltips_name_time_and_value_then_the_counts():
    table = _table(atRisk=[40, 38, 31, 20], events=[0, 2, 7, 0], extra=["x"] * 4)
    fig = _curves(curves={"f": {"a": table}}, xlabel=None)
    curve = fig.data[1]
    assert curve.hovertemplate.startswith("time: %{x:.4g}<br>value: %{y:.4g}<br>")
    assert curve.hovertemplate.endswith("<extra>%{fullData.name}</extra>")
    assert "atRisk" in curve.hovertemplate and "events" in curve.hovertemplate and "extra:" not in curve.hovertemplate
    assert np.asarray(curve.customdata).tolist() == [[40, 0], [38, 2], [31, 7], [20, 0]]
    assert fig.data[0].hoverinfo == "skip"


@pytest.mark.parametrize("curves, error, match", [
    ({"f": {"a": pd.DataFrame({"value": [1.0]})}}, KeyError, "time"),
    ({"f": {"a": pd.DataFrame({"time": [1.0]})}}, KeyError, "value"),
    ({"f": None}, TypeError, "curves"),
])
def test_bad_tables_fail_with_ordinary_errors(curves, error, match):
    with pytest.raises(error, match=match):
        _curves(curves=curves)
    with pytest.raises(AttributeError, match="curves"):  # a record without the attributes
        _render.curves(type("Bare", (), {"title": ""})())
