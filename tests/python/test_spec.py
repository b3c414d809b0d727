"""Spec records: keyword construction, defaults, and families combined by inheritance."""

import numpy as np
import pandas as pd
import pytest

from tessarine.pl._interactive import _spec

COMMON = {"title": "", "note": "", "width": None, "height": None, "fontPx": None, "showLegend": None}

FRAME = pd.DataFrame({"x": [0.0, 1.0], "y": [2.0, 3.0]}, index=["c1", "c2"])

# One setting for every family attribute, each different from its default.
FAMILIES = {
    _spec.Points: {
        "frame": FRAME, "rows": ["r1", "r2"], "renderRows": [], "x": "x", "y": "y",
        "keys": ["cluster", None], "categorical": {"cluster": True},
        "colors": {"cluster": {"a": "#FF0000"}}, "scales": {"gene": ("viridis", 0, 1, None, "sequential")},
        "hover": ["area"], "size": 3.0, "alpha": 0.8, "equalAspect": True, "invertY": True,
        "full": {"x": [0.0], "y": [1.0]},
    },
    _spec.Matrix: {
        "frame": FRAME, "scales": {"z": FRAME}, "orders": {"cluster": ([1, 0], [1, 0])},
        "scaleKinds": {"z": "diverging"}, "kind": "diverging", "cellHover": {"n": FRAME},
        "rowNotes": {"c1": "(low)"}, "xlabel": "gene", "ylabel": "cluster", "colorbarLabel": "mean",
        "vmin": 0.0, "vmax": 1.0, "center": 0.5, "cmap": "magma", "showValues": True,
        "naColor": "#EEEEEE", "naLabel": "absent", "square": True,
    },
    _spec.Dots: {
        "color": FRAME, "scales": {"z": FRAME}, "size": FRAME, "extra": {"cells": FRAME},
        "kind": "diverging", "vmin": -1.0, "vmax": 1.0, "center": 0.0, "cmap": "RdBu",
        "colorLabel": "mean", "sizeLabel": "expressing", "xlabel": "gene", "ylabel": "cluster",
    },
    _spec.Bars: {
        "pivot": FRAME, "positions": [0.0, 2.0], "tickLabels": ["a", "b"], "counts": FRAME,
        "horizontal": True, "colors": {"x": "#FF0000"}, "stacked": True, "method": "percent",
        "barLabel": "sample", "valueLabel": "cells",
    },
    _spec.Distribution: {
        "parts": {"a": np.array([1.0, np.nan])}, "panels": {"p": {"a": [1.0]}}, "order": ["a"], "colors": {"a": "#FF0000"},
        "points": {"a": ["c1"]}, "style": "strip", "thresholds": {"cut": 0.5},
        "valueLabel": "counts", "groupLabel": "sample", "log": True,
    },
    _spec.Graph: {
        "edges": pd.DataFrame({"source": ["a"], "target": ["b"]}), "states": {"all": [True]},
        "directed": True, "positions": {"a": (0.0, 0.0), "b": (1.0, 0.0)}, "names": ["a", "b"],
        "nodeSizes": {"a": 20.0}, "nodeColors": {"a": "#FF0000"}, "edgeLabel": "interactions",
    },
    _spec.Intervals: {
        "frame": FRAME, "orders": {"effect": [1, 0]}, "colorBy": "x", "colors": {"0.0": "#FF0000"},
        "reference": 1.0, "valueLabel": "hazard ratio", "logScale": True,
    },
    _spec.Curves: {
        "curves": {"gene": {"high": FRAME}}, "colors": {"high": "#FF0000"}, "xlabel": "days",
        "ylabel": "survival", "step": False, "annotations": {"gene": "p = 0.01"},
    },
    _spec.Volcano: {
        "frame": FRAME, "group": "x", "pVal": 0.01, "effectThreshold": 0.5, "upColor": "#FF0000",
        "downColor": "#0000FF", "nullColor": "#AAAAAA", "top": 10, "xlabel": "log2 fold change",
        "ylabel": "-log10(q)",
    },
    _spec.Gate: {
        "values": np.zeros((3, 2)), "markers": ["CD3", "CD8"], "pairs": [("CD3", "CD8")], "bins": 32,
        "thresholds": {"CD3": 1.5}, "xticks": [0.0, 1.0], "yticks": [0.0],
    },
    _spec.Ranked: {
        "frame": FRAME, "groups": {"g": FRAME}, "colorBy": "x", "colors": {"0.0": "#FF0000"},
        "horizontal": True, "reference": 0.0, "valueLabel": "score",
    },
}

CLASSES = list(FAMILIES)
ids = [cls.__name__ for cls in CLASSES]


def fields(cls):
    return {name for name in vars(cls()) if not name.startswith("_")}


def test_every_exported_family_is_in_the_table():
    assert sorted(_spec.__all__) == sorted(cls.__name__ for cls in CLASSES)


@pytest.mark.parametrize("cls", CLASSES, ids=ids)
def test_defaults(cls):
    spec = cls()
    for name, value in COMMON.items():
        assert getattr(spec, name) == value and type(getattr(spec, name)) is type(value)
    # Every attribute the family reads exists with no arguments, and nothing else does.
    assert fields(cls) == set(COMMON) | set(FAMILIES[cls])
    assert repr(spec) == f"{cls.__name__}()"


@pytest.mark.parametrize("cls", CLASSES, ids=ids)
def test_keyword_construction_keeps_the_given_objects(cls):
    given = dict(FAMILIES[cls], title="T", note="n", width=800, height=600, fontPx=13.0, showLegend=False)
    spec = cls(**given)
    for name, value in given.items():
        assert getattr(spec, name) is value, name
    text = repr(spec)
    assert text.startswith(f"{cls.__name__}(") and "title='T'" in text
    assert all(f" {name}=" in text or f"({name}=" in text for name in given if name != "renderRows")
    # Tables and arrays appear by their shape, never printed whole.
    assert "DataFrame(" in text or "ndarray(" in text
    assert repr(FRAME) not in text and "\n" not in text


@pytest.mark.parametrize("cls", CLASSES, ids=ids)
def test_mutable_defaults_are_fresh_per_instance(cls):
    first, second = cls(), cls()
    containers = [name for name in fields(cls) if isinstance(getattr(first, name), (list, dict))]
    for name in containers:
        assert getattr(first, name) is not getattr(second, name), name
        value = getattr(first, name)
        value.append(1) if isinstance(value, list) else value.update(extra=1)
        assert getattr(cls(), name) != value, name


@pytest.mark.parametrize("cls", CLASSES, ids=ids)
def test_construction_refusals(cls):
    with pytest.raises(TypeError, match="'colour'"):
        cls(title="x", colour="red")
    with pytest.raises(TypeError):
        cls(FRAME)
    # Another family's attribute is unknown here.
    other = "renderRows" if cls is not _spec.Points else "pivot"
    with pytest.raises(TypeError, match=other):
        cls(**{other: []})


def test_render_rows_filled_by_the_renderer_show_by_shape():
    points = _spec.Points()
    points.renderRows.append(np.arange(2))
    assert "renderRows=[ndarray(2)]" in repr(points)


def test_points_default_colouring_is_one_uncoloured_key():
    assert _spec.Points().keys == [None]


def test_families_combine_by_inheritance():
    class Both(_spec.Bars, _spec.Matrix):
        pass

    both = Both(pivot=FRAME, frame=FRAME, square=True)
    assert both.pivot is FRAME and both.frame is FRAME and both.square
    assert both.kind == "sequential" and both.stacked is False
    with pytest.raises(TypeError, match="renderRows"):
        Both(renderRows=[])

    assert set(vars(both)) == set(COMMON) | set(FAMILIES[_spec.Bars]) | set(FAMILIES[_spec.Matrix])

    # Where two families share a name, the first base's default wins.
    class BarsAndGraph(_spec.Bars, _spec.Graph):
        pass

    class GraphAndBars(_spec.Graph, _spec.Bars):
        pass

    assert BarsAndGraph().positions is None and GraphAndBars().positions == {}


def test_subclasses_may_add_attributes_and_override_defaults():
    class Labelled(_spec.Gate):
        labelColor: str = "#000000"
        bins = 5
        markers = ["CD3"]  # a container default, still not shared

    a, b = Labelled(labelColor="#111111"), Labelled()
    assert a.labelColor == "#111111" and b.labelColor == "#000000" and b.bins == 5
    assert a.markers == ["CD3"] and a.markers is not b.markers
    assert repr(b) == "Labelled()"


def test_no_family_is_an_instance_of_another():
    # The renderer dispatches by isinstance, so one family deriving from another would misroute.
    for cls in CLASSES:
        assert [c for c in CLASSES if isinstance(cls(), c)] == [cls]
