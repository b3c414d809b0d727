"""Hostile and mutated specs: every family that renders either returns a figure plotly.py
validates or fails with an ordinary exception, never a crash or a figure plotly refuses.

The specs are the small examples (the golden figures) with a few attributes replaced by junk,
non-finite or huge numbers, unencodable text, markup, wrong containers or altered frames.
HYPOTHESIS_PROFILE=explore with TESS_FUZZ_EXAMPLES=2000 searches further.
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
fuzzing = settings(max_examples=int(os.environ.get("TESS_FUZZ_EXAMPLES", "100")), deadline=None,
                   suppress_health_check=[HealthCheck.too_slow, HealthCheck.data_too_large])


JUNK = [
    None, True, False, 0, -1, 0.5, 7.0, -5.0, 1e308, float("nan"), float("inf"), -float("inf"),
    10**400, -(10**30), 2**64, np.float32("nan"), np.int64(-3), np.uint64(2**63), complex(1, 2),
    "", "abc", "0.5", "\ud800", "x\udcff", "<b>x</b>&amp;%{y}<br>", "é字🙂", "\x00\n\t", "a" * 500,
    b"bytes", [], {}, [1, "a", None], (None,), {"a": {"b": float("nan")}}, object(), pd.NA,
    np.datetime64("2020-01-01"), np.array([[1.0, np.nan]]), set(), range(3),
]
TEXTS = ["", "\ud800", "x\udcff", "<b>x</b>", "%{x}", "&lt;&", "é字🙂", "\x00", "rgb(+1,2,3)", "transparent",
         "notacolour", " #ABC ", "hsl(120deg 50% 50%)", "a" * 300]


def _junk(rng):
    return copy.copy(rng.choice(JUNK))


def _setColumn(frame, column, make):
    if column is not None:
        frame[column] = make(len(frame))
    return frame


def _mutatedFrame(frame, rng):
    """The frame with one structural or typed change, or something that is no frame at all."""
    frame = frame.copy()
    column = rng.choice(list(frame.columns)) if frame.shape[1] else None
    pick = lambda *choices: lambda n: [rng.choice(choices) for _ in range(n)]  # noqa: E731
    some = lambda value: lambda n: [None if rng.random() < 0.3 else value() for _ in range(n)]  # noqa: E731
    changes = [
        lambda: frame.drop(columns=[column]) if column is not None else frame,
        lambda: _setColumn(frame, rng.choice(["extra", 7, ("a", "b"), "\ud800"]), lambda n: rng.choice([np.nan, "x", 1])),
        lambda: _setColumn(frame, column, lambda n: pd.Series(pick(1, "a", None, 2.5, True, "\ud800", 10**30)(n),
                                                              index=frame.index, dtype=object)),
        lambda: _setColumn(frame, column, lambda n: pd.array(some(lambda: rng.randrange(5))(n), dtype="Int64")),
        lambda: _setColumn(frame, column, lambda n: pd.Categorical(pick("a", "b", "<i>c</i>", None)(n),
                                                                   categories=["a", "b", "<i>c</i>", "unused"])),
        lambda: _setColumn(frame, column, lambda n: frame[column].where(
            pd.Series([rng.random() > 0.3 for _ in range(n)], index=frame.index), rng.choice([np.nan, np.inf, -np.inf]))),
        lambda: _setColumn(frame, column, lambda n: pd.array(some(lambda: "s")(n), dtype="string")),
        lambda: _setColumn(frame, column, lambda n: pd.array(some(lambda: rng.random() < 0.5)(n), dtype="boolean")),
        lambda: _setColumn(frame, column, lambda n: pd.date_range("2020-01-01", periods=n, freq="D")),
        lambda: frame.set_axis(pick(0, 1.5, None, "dup", ("t", 1))(frame.shape[1]), axis=1),
        lambda: frame.set_axis(pick("dup", 3, None, "\ud800", np.nan)(len(frame)), axis=0),
        lambda: frame.iloc[: rng.choice([0, 1])], lambda: frame.T, lambda: frame.to_dict("list"),
        lambda: frame.to_numpy(), lambda: _junk(rng),
    ]
    return rng.choice(changes)()


def _mutatedMapping(mapping, rng):
    items = list(mapping.items())
    if not items or rng.random() < 0.3:  # an added key, pairs where a mapping belongs, or junk
        return rng.choice([dict(items + [(rng.choice(["extra", 3, None, "\ud800"]), _junk(rng))]), items, _junk(rng)])
    k = rng.randrange(len(items))
    key, value = items[k]
    items[k:k + 1] = rng.choice([[], [(key, _hostile(value, rng))], [(rng.choice(TEXTS + [None, 0, 1.5]), value)]])
    try:
        return dict(items)
    except TypeError:  # an unhashable key
        return items


def _mutatedSequence(sequence, rng):
    items = list(sequence)
    if items and rng.random() < 0.2:
        k = rng.randrange(len(items))
        return items[:k] + [_hostile(items[k], rng)] + items[k + 1:]
    return rng.choice([lambda: items[: rng.randrange(len(items) + 1)], lambda: items + [_junk(rng)],
                       lambda: tuple(reversed(items)), lambda: np.array(items, dtype=object), lambda: _junk(rng)])()


def _hostile(value, rng):
    """A replacement for `value` that keeps some of its shape, or junk of any kind."""
    mutators = [(pd.DataFrame, _mutatedFrame), (Mapping, _mutatedMapping), ((list, tuple, np.ndarray), _mutatedSequence),
                (str, lambda text, rng: rng.choice([text + rng.choice(TEXTS), rng.choice(TEXTS)]))]
    kind = next((mutate for kinds, mutate in mutators if isinstance(value, kinds)), None)
    return _junk(rng) if kind is None or rng.random() < 0.3 else kind(value, rng)


def _mutated(spec, rng, names=None):
    attributes = {name: getattr(spec, name) for name, _ in _spec._fieldsOf(type(spec))}
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


def test_every_family_is_fuzzed():
    fuzzed = {type(spec) for spec in (make() for make in _SMALL.values()) if isinstance(spec, _spec._Spec)}
    for name in _spec.__all__:
        assert any(issubclass(kind, getattr(_spec, name)) for kind in fuzzed), f"{name} has no small example"


@pytest.mark.parametrize("stem", sorted(_SMALL))
@fuzzing
@given(rng=st.randoms(use_true_random=False))
def test_mutated_specs(stem, rng):
    spec = _SMALL[stem]()
    if not isinstance(spec, _spec._Spec):
        pytest.skip("composed by the host, not drawn from a spec")
    _holds(lambda: _render.figureFor(_mutated(spec, rng)))


@fuzzing
@given(rng=st.randoms(use_true_random=False))
def test_finishing_a_host_figure(rng):
    fig = go.Figure([go.Scatter(x=[1, 2, 3], y=[3, 1, 2], name="<b>trace</b>"), go.Bar(x=["a", "b"], y=[1, 2])])
    spec = _spec._Spec(title="t", note="n", width=700, height=500, fontPx=13, showLegend=True)
    spec = _mutated(spec, rng, [name for name, _ in _spec._fieldsOf(_spec._Spec)])
    plot = rng.choice([None, (400, 300), (float("nan"), 300), (-5, 1e9), "ab", (1,)])
    tickFont = rng.choice([None, 11, 0.5, float("inf"), "x", 10**400])
    label = {"x": 2, "y": 2, "text": "label", "color": "#333333"}
    labels = _hostile([label, dict(label, x=1, color=None)], rng)
    _holds(lambda: _render.finishFigure(fig, spec, plot=plot, labels=labels, tickFont=tickFont))
