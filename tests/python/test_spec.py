"""Spec records: keyword construction, defaults, and families combined by inheritance."""

import numpy as np
import pandas as pd
import pytest

from tessarine.pl._interactive import _spec

COMMON = {"title": "", "note": "", "width": None, "height": None, "fontPx": None, "showLegend": None}

FRAME = pd.DataFrame({"x": [0.0, 1.0], "y": [2.0, 3.0]}, index=["c1", "c2"])

CLASSES = [getattr(_spec, name) for name in _spec.__all__]
ids = list(_spec.__all__)


def fields(cls):
    return {name for name in vars(cls()) if not name.startswith("_")}


@pytest.mark.parametrize("cls", CLASSES, ids=ids)
def test_defaults(cls):
    spec = cls()
    for name, value in COMMON.items():
        assert getattr(spec, name) == value and type(getattr(spec, name)) is type(value)
    assert fields(cls) > set(COMMON)
    assert repr(spec) == f"{cls.__name__}()"


@pytest.mark.parametrize("cls", CLASSES, ids=ids)
def test_keyword_construction_keeps_the_given_objects(cls):
    given = dict.fromkeys(fields(cls), FRAME) | {"title": "T", "width": 800, "showLegend": False}
    spec = cls(**given)
    for name, value in given.items():
        assert getattr(spec, name) is value, name
    text = repr(spec)
    assert text.startswith(f"{cls.__name__}(") and "title='T'" in text
    assert all(f" {name}=" in text or f"({name}=" in text for name in given)
    # Tables appear by their shape, never printed whole.
    assert "DataFrame(2×2)" in text and repr(FRAME) not in text and "\n" not in text


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


def test_families_combine_by_inheritance():
    Both = type("Both", (_spec.Bars, _spec.Matrix), {})
    assert Both().kind == "sequential" and Both().stacked is False
    assert fields(Both) == fields(_spec.Bars) | fields(_spec.Matrix)
    with pytest.raises(TypeError, match="renderRows"):
        Both(renderRows=[])
    # Where two families share a name, the first base's default wins.
    assert type("BG", (_spec.Bars, _spec.Graph), {})().positions is None
    assert type("GB", (_spec.Graph, _spec.Bars), {})().positions == {}


def test_subclasses_may_add_attributes_and_override_defaults():
    class Labelled(_spec.Gate):
        labelColor: str = "#000000"
        bins = 5
        markers = ["CD3"]  # a container default, still not shared

    a, b = Labelled(labelColor="#111111"), Labelled()
    assert a.labelColor == "#111111" and b.labelColor == "#000000" and b.bins == 5
    assert a.markers == ["CD3"] and a.markers is not b.markers and repr(b) == "Labelled()"
    points = _spec.Points()  # renderRows, filled by the renderer, show by shape
    points.renderRows.append(np.arange(2))
    assert "renderRows=[ndarray(2)]" in repr(points)


def test_no_family_is_an_instance_of_another():
    # The renderer dispatches by isinstance, so one family deriving from another would misroute.
    for cls in CLASSES:
        assert [c for c in CLASSES if isinstance(cls(), c)] == [cls]
