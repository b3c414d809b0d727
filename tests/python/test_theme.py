"""The theme component as the renderer sees it: template, escaping, colours."""

import re

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest
from _plotly_utils.basevalidators import ColorscaleValidator, ColorValidator
from hypothesis import given, settings
from hypothesis import strategies as st
from hypothesis.extra import numpy as hnp

from tessarine.pl._interactive import _theme

# plotly.js's hover-template placeholder pattern.
PLACEHOLDER = re.compile(r"%{([^\s%{}:]*)([:|\|][^}]*)?}")


def test_template_passes_plotly_validation_and_is_new_each_call():
    template = _theme.template()
    go.Figure(go.Heatmap(z=[[1, 2]], colorscale=_theme.colorscale(None)), layout={"template": template})
    template.layout.font.size = 99
    assert _theme.template().layout.font.size == _theme.TICK_PX


def unescape(text):  # what plotly.js shows: entities decoded after tags and templates are handled
    return text.replace("&#37;", "%").replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&")


@settings(max_examples=300)
@given(st.text())
def test_escaped_text_shows_as_typed_and_never_forms_markup(text):
    assert [_theme.escape(v) for v in (None, np.float64(2.5), pd.NA)] == ["", "2.5", "&lt;NA&gt;"]
    out = _theme.escape(text)
    assert unescape(out) == text
    assert "<" not in out and ">" not in out
    assert PLACEHOLDER.search(out + "{x}") is None


def test_colour_scales_match_plotlys_own_and_fill_in_the_maps_it_lacks():
    for name in ("magma", "RdBu", "Blues_r"):
        theirs, ours = ColorscaleValidator("colorscale", "heatmap").validate_coerce(name), _theme.colorscale(name)
        assert [p for p, _ in ours] == pytest.approx([p for p, _ in theirs])
        assert [_theme.rgba(c, 1) for _, c in ours] == [_theme.rgba(c, 1) for _, c in theirs]
    for name in ("greys", "coolwarm", "bwr"):
        go.Heatmap(z=[[0]], colorscale=_theme.colorscale(name))
    assert _theme.colorscale(None) == _theme.colorscale("viridis")
    assert _theme.colorscale("", "diverging") == _theme.colorscale("RdBu_r")
    assert _theme.colorscale(((0, "red"), (1.0, "#00f"))) == [[0, "red"], [1.0, "#00f"]]
    for name in (*ColorValidator.named_colors, _theme.MISSING, *_theme.COLORWAY):
        go.Scatter(fillcolor=_theme.rgba(name.upper(), 0.5))  # every CSS name and theme colour


@pytest.mark.parametrize(("call", "error", "match"), [
    (lambda: _theme.escape(type("Broken", (), {"__str__": lambda self: 1 / 0})()), ZeroDivisionError, None),
    (lambda: _theme.colorscale([[0, "red"], [0.5, "blue"]]), ValueError, None),
    (lambda: _theme.colorscale(3), TypeError, None),
    (lambda: _theme.colorscale("Viridos"), ValueError, "'Viridos'.*viridis"),
    (lambda: _theme.colorLimits([1], vmin=2, vmax=1), ValueError, None),
    (lambda: _theme.colorLimits(np.array([1j])), TypeError, None),
    (lambda: _theme.colorLimits([1], vmin="low"), TypeError, None),
    (lambda: _theme.rgba("#12345", 0.5), ValueError, None),
    (lambda: _theme.rgba(None, 0.5), TypeError, None),
])
def test_refusals(call, error, match):
    with pytest.raises(error, match=match):
        call()


def reference(values, kind):
    """The rule, written with a full sort."""
    v = np.sort(np.asarray(values, dtype=float).ravel())
    v = v[np.isfinite(v)]
    k = len(v) // 100
    if kind == "diverging":
        d = np.sort(np.abs(v))
        m = (d[len(d) - 1 - k] or d[-1]) if len(d) else 0.0
        return (-(m or 1.0), m or 1.0, 0.0)
    if not len(v):
        return (0.0, 1.0, None)
    low, high = v[k], v[len(v) - 1 - k]
    if low == high:
        low, high = v[0], v[-1]
    return (low - 0.5, high + 0.5, None) if low == high else (low, high, None)


@settings(max_examples=200, deadline=None)
@given(hnp.arrays(np.float64, st.integers(0, 400),
                  elements=st.floats(-1e6, 1e6) | st.sampled_from([np.nan, np.inf, -np.inf, 0.0, 5e-324, 1e-323])),
       st.sampled_from(["sequential", "diverging"]))
def test_colour_limits_follow_the_rule_and_leave_the_input_alone(values, kind):
    before = values.copy()
    assert _theme.colorLimits(values, kind) == pytest.approx(reference(values, kind))
    np.testing.assert_array_equal(values, before)


def test_colour_limits_of_array_likes_and_given_bounds():
    for values in (np.arange(12, dtype=np.int64).reshape(3, 4), np.arange(12.0).repeat(2)[::2], np.arange(12.0).reshape(3, 4).T,
                   [0, None, 11, float("nan")], pd.DataFrame({"a": np.arange(6), "b": np.arange(6.0, 12.0)})):
        assert _theme.colorLimits(values) == (0.0, 11.0, None)
    assert _theme.colorLimits([0, 10], vmin=2, vmax=np.float32(3)) == (2.0, 3.0, None)
    assert _theme.colorLimits(None, "diverging", center=1) == (0.0, 2.0, 1.0)
