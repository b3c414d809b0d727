"""Spec records: keyword construction, defaults, and families combined by inheritance."""

import pydoc
import re

import numpy as np
import pandas as pd
import pytest

from tessarine.pl._interactive import _spec

COMMON = {"title": "", "note": "", "width": None, "height": None, "fontPx": None, "showLegend": None}

FRAME = pd.DataFrame({"x": [0.0, 1.0], "y": [2.0, 3.0]}, index=["c1", "c2"])

ids = list(_spec.__all__)
CLASSES = [getattr(_spec, name) for name in ids]


def fields(cls):
    return {name for name in vars(cls()) if not name.startswith("_")}


@pytest.mark.parametrize("cls", CLASSES, ids=ids)
def test_defaults_are_fresh_and_unknown_or_positional_arguments_refused(cls):
    spec = cls()
    assert {name: getattr(spec, name) for name in COMMON} == COMMON and repr(spec) == f"{cls.__name__}()"
    assert fields(cls) > set(COMMON)
    for name in (name for name in fields(cls) if isinstance(getattr(spec, name), (list, dict))):
        value = getattr(spec, name)
        value.append(1) if isinstance(value, list) else value.update(extra=1)
        assert getattr(cls(), name) != value, name  # container defaults are never shared
    with pytest.raises(TypeError, match="'colour'"):
        cls(title="x", colour="red")
    with pytest.raises(TypeError):
        cls(FRAME)
    other = "renderRows" if cls is not _spec.Points else "pivot"  # another family's attribute is unknown here
    with pytest.raises(TypeError, match=other):
        cls(**{other: []})


@pytest.mark.parametrize("cls", CLASSES, ids=ids)
def test_keyword_construction_keeps_the_given_objects(cls):
    given = dict.fromkeys(fields(cls), FRAME) | {"title": "T", "width": 800, "showLegend": False}
    spec = cls(**given)
    assert all(getattr(spec, name) is value for name, value in given.items())
    text = repr(spec)
    assert text.startswith(f"{cls.__name__}(") and "title='T'" in text
    assert all(f" {name}=" in text or f"({name}=" in text for name in given)
    # Tables appear by their shape, never printed whole.
    assert "DataFrame(2×2)" in text and repr(FRAME) not in text and "\n" not in text


@pytest.mark.parametrize("cls", CLASSES, ids=ids)
def test_help_lists_every_attribute_of_the_class(cls):
    shown = pydoc.render_doc(cls, renderer=pydoc.plaintext)
    described = set()
    for line in shown.splitlines():
        # An attribute line: "name: meaning" or "a, b: meaning", as the docstrings write them.
        found = re.match(r"\s*\|?\s*([A-Za-z]+(?:, [A-Za-z]+)*): ", line)
        if found:
            described.update(found.group(1).split(", "))
    assert fields(cls) <= described, sorted(fields(cls) - described)


def test_families_combine_and_extend_by_inheritance():
    Both = type("Both", (_spec.Bars, _spec.Matrix), {})
    assert Both().kind == "sequential" and Both().stacked is False
    assert fields(Both) == fields(_spec.Bars) | fields(_spec.Matrix)
    with pytest.raises(TypeError, match="renderRows"):
        Both(renderRows=[])
    # Where two families share a name, the first base's default wins.
    assert type("BG", (_spec.Bars, _spec.Graph), {})().positions is None
    assert type("GB", (_spec.Graph, _spec.Bars), {})().positions == {}
    # Subclasses may add attributes and override defaults.
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
    # The renderer dispatches by isinstance, so one family deriving from another would misroute.
    for cls in CLASSES:
        assert [c for c in CLASSES if isinstance(cls(), c)] == [cls]
