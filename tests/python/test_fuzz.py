"""Hostile and mutated specs: every family that renders either returns a figure plotly.py
validates or fails with an ordinary exception, never a crash or a figure plotly refuses.

The specs are the small examples (those kept as golden figures), with a few attributes
replaced: junk scalars, NaN and infinities, huge integers, text that cannot be encoded,
markup, wrong containers, frames with columns missing, added, mixed, nullable or
categorical. A family gets fuzzed as soon as it has a small example. The repeatable profile
draws the same examples on every run; HYPOTHESIS_PROFILE=explore with TESS_FUZZ_EXAMPLES=2000
searches further.
"""

import copy
import functools
import os
import warnings
from collections.abc import Mapping

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

from tessarine.pl._interactive import _render, _spec, examples

ORDINARY = (AttributeError, KeyError, IndexError, ValueError, TypeError)
PER_FAMILY = int(os.environ.get("TESS_FUZZ_EXAMPLES", "100"))

fuzzing = settings(max_examples=PER_FAMILY, deadline=None,
                   suppress_health_check=[HealthCheck.too_slow, HealthCheck.data_too_large])


class _Opaque:
    """An object with no number, text or container behaviour of its own."""


JUNK = [
    None, True, False, 0, -1, 0.5, 7.0, -5.0, 1e308, float("nan"), float("inf"), -float("inf"),
    10**400, -(10**30), 2**64, np.float32("nan"), np.int64(-3), np.uint64(2**63), complex(1, 2),
    "", "abc", "0.5", "\ud800", "x\udcff", "<b>x</b>&amp;%{y}<br>", "é字🙂", "\x00\n\t", "a" * 500,
    b"bytes", [], {}, [1, "a", None], (None,), {"a": {"b": float("nan")}}, _Opaque(), pd.NA,
    np.datetime64("2020-01-01"), np.array([[1.0, np.nan]]), set(), range(3),
]
TEXTS = ["", "\ud800", "x\udcff", "<b>x</b>", "%{x}", "&lt;&", "é字🙂", "\x00", "rgb(+1,2,3)", "transparent",
         "notacolour", " #ABC ", "hsl(120deg 50% 50%)", "a" * 300]


def _junk(rng):
    return copy.copy(rng.choice(JUNK))


def _mutatedFrame(frame, rng):
    """The frame with one structural or typed change, or something that is no frame at all."""
    n = len(frame)
    frame = frame.copy()
    column = rng.choice(list(frame.columns)) if frame.shape[1] else None
    change = rng.randrange(16)
    if change == 0 and column is not None:
        return frame.drop(columns=[column])
    if change == 1:
        frame[rng.choice(["extra", 7, ("a", "b"), "\ud800"])] = rng.choice([np.nan, "x", 1])
        return frame
    if change == 2 and column is not None:  # mixed-type object column
        frame[column] = pd.Series([rng.choice([1, "a", None, 2.5, True, "\ud800", 10**30]) for _ in range(n)],
                                  index=frame.index, dtype=object)
        return frame
    if change == 3 and column is not None:  # nullable column with missing values
        values = pd.array([None if rng.random() < 0.3 else rng.randrange(5) for _ in range(n)], dtype="Int64")
        frame[column] = values
        return frame
    if change == 4 and column is not None:
        values = [rng.choice(["a", "b", "<i>c</i>", None]) for _ in range(n)]
        frame[column] = pd.Categorical(values, categories=["a", "b", "<i>c</i>", "unused"])
        return frame
    if change == 5 and column is not None:
        frame[column] = frame[column].where(pd.Series([rng.random() > 0.3 for _ in range(n)], index=frame.index),
                                            rng.choice([np.nan, np.inf, -np.inf]))
        return frame
    if change == 6:
        return frame.iloc[: rng.choice([0, 1])]
    if change == 7:
        return frame.T
    if change == 8:
        frame.columns = [rng.choice([0, 1.5, None, "dup", ("t", 1)]) for _ in frame.columns]
        return frame
    if change == 9:
        frame.index = [rng.choice(["dup", 3, None, "\ud800", np.nan]) for _ in range(n)]
        return frame
    if change == 10 and column is not None:
        frame[column] = pd.array([None if rng.random() < 0.3 else "s" for _ in range(n)], dtype="string")
        return frame
    if change == 11 and column is not None:
        frame[column] = pd.array([None if rng.random() < 0.3 else rng.random() < 0.5 for _ in range(n)],
                                 dtype="boolean")
        return frame
    if change == 12 and column is not None:
        frame[column] = pd.date_range("2020-01-01", periods=n, freq="D")
        return frame
    if change == 13:
        return frame.to_dict("list")
    if change == 14:
        return frame.to_numpy()
    return _junk(rng)


def _mutatedMapping(mapping, rng):
    items = list(mapping.items())
    change = rng.randrange(6)
    if change == 0 and items:
        del items[rng.randrange(len(items))]
    elif change == 1:
        items.append((rng.choice(["extra", 3, None, "\ud800"]), _junk(rng)))
    elif change == 2 and items:
        k = rng.randrange(len(items))
        items[k] = (items[k][0], _hostile(items[k][1], rng))
    elif change == 3 and items:
        k = rng.randrange(len(items))
        items[k] = (rng.choice(TEXTS + [None, 0, 1.5]), items[k][1])
    elif change == 4:
        return items  # a list of pairs where a mapping belongs
    else:
        return _junk(rng)
    try:
        return dict(items)
    except TypeError:  # an unhashable key
        return items


def _mutatedSequence(sequence, rng):
    items = list(sequence)
    change = rng.randrange(6)
    if change == 0:
        return items[: rng.randrange(len(items) + 1)]
    if change == 1:
        return items + [_junk(rng)]
    if change == 2 and items:
        k = rng.randrange(len(items))
        items[k] = _hostile(items[k], rng)
        return items
    if change == 3:
        return tuple(reversed(items))
    if change == 4:
        return np.array(items, dtype=object)
    return _junk(rng)


def _hostile(value, rng):
    """A replacement for `value` that keeps some of its shape, or junk of any kind."""
    if rng.random() < 0.3:
        return _junk(rng)
    if isinstance(value, pd.DataFrame):
        return _mutatedFrame(value, rng)
    if isinstance(value, Mapping):
        return _mutatedMapping(value, rng)
    if isinstance(value, (list, tuple, np.ndarray)):
        return _mutatedSequence(value, rng)
    if isinstance(value, str):
        return rng.choice([value + rng.choice(TEXTS), rng.choice(TEXTS)])
    return _junk(rng)


def _attributes(spec):
    return {name: getattr(spec, name) for name, _ in _spec._fieldsOf(type(spec))}


def _mutated(spec, rng, names=None):
    attributes = _attributes(spec)
    names = names or list(attributes)
    for name in rng.sample(names, rng.randint(1, min(3, len(names)))):
        attributes[name] = _hostile(attributes[name], rng)
    return type(spec)(**attributes)


def _holds(build):
    """Runs build(); a figure it returns must pass plotly.py's own validation."""
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # pandas and numpy comment on odd dtypes
        try:
            fig = build()
        except ORDINARY:
            return
    go.Figure(fig.to_dict())


_SMALL = {stem: functools.cache(make) for stem, _, make in examples.EXAMPLES if stem in examples.GOLDEN}


def _smallSpecs():
    made = (make() for make in _SMALL.values())
    return [spec for spec in made if isinstance(spec, _spec._Spec)]


def test_every_family_that_renders_is_fuzzed():
    fuzzed = {type(spec) for spec in _smallSpecs()}
    for name in _spec.__all__:
        family = getattr(_spec, name)
        try:
            _render.figureFor(family())
        except NotImplementedError:
            continue  # not built yet
        except ORDINARY:
            pass  # an empty spec may well be refused
        assert any(issubclass(kind, family) for kind in fuzzed), f"{name} renders but has no small example"


@pytest.mark.parametrize("stem", sorted(_SMALL))
@fuzzing
@given(rng=st.randoms(use_true_random=False))
def test_mutated_specs(stem, rng):
    spec = _SMALL[stem]()
    if not isinstance(spec, _spec._Spec):
        pytest.skip("composed by the host, not drawn from a spec")
    _holds(lambda: _render.figureFor(_mutated(spec, rng)))


_COMMON = [name for name, _ in _spec._fieldsOf(_spec._Spec)]


@fuzzing
@given(rng=st.randoms(use_true_random=False))
def test_finishing_a_host_figure(rng):
    fig = go.Figure([go.Scatter(x=[1, 2, 3], y=[3, 1, 2], name="<b>trace</b>"), go.Bar(x=["a", "b"], y=[1, 2])])
    spec = _mutated(_spec._Spec(title="t", note="n", width=700, height=500, fontPx=13, showLegend=True), rng,
                    _COMMON)
    plot = rng.choice([None, (400, 300), (float("nan"), 300), (-5, 1e9), "ab", (1,)])
    tickFont = rng.choice([None, 11, 0.5, float("inf"), "x", 10**400])
    label = {"x": 2, "y": 2, "text": "label", "color": "#333333"}
    labels = _hostile([label, dict(label, x=1, color=None)], rng)
    _holds(lambda: _render.finishFigure(fig, spec, plot=plot, labels=labels, tickFont=tickFont))
