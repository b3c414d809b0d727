"""The golden corpus: each example's finished figure, kept as JSON so that every change in
output shows in review and output stays deterministic.

Refresh after an intended change: TESS_UPDATE_GOLDEN=1 python -m pytest tests/python/test_golden.py
"""

import json
import os
import pathlib

import plotly.graph_objects as go
import pytest

from tessarine.pl._interactive import _render
from tessarine.pl._interactive.examples import EXAMPLES, figureAndConfig
from tessarine.pl._interactive.examples import GOLDEN as KEPT_STEMS

GOLDEN = pathlib.Path(__file__).parent / "golden"


def _figureJson(make):
    return json.loads(_render._coreJson(figureAndConfig(make)[0]))


KEPT = [(stem, make) for stem, _, make in EXAMPLES if stem in KEPT_STEMS]


@pytest.mark.parametrize("stem, make", KEPT, ids=[stem for stem, _ in KEPT])
def test_example_matches_its_golden_figure(stem, make):
    path = GOLDEN / f"{stem}.json"
    figure = _figureJson(make)
    if os.environ.get("TESS_UPDATE_GOLDEN"):
        GOLDEN.mkdir(exist_ok=True)
        path.write_text(json.dumps(figure, indent=1, ensure_ascii=False) + "\n", encoding="utf-8")
    assert figure == json.loads(path.read_text(encoding="utf-8")), f"{stem} changed; see the module docstring"


SPECS = [(stem, make) for stem, _, make in EXAMPLES if not stem.startswith("raster")]


@pytest.mark.parametrize("stem, make", SPECS, ids=[stem for stem, _ in SPECS])
def test_example_is_valid_deterministic_and_leaves_its_spec_alone(stem, make):
    spec = make()
    before = repr(spec)
    first = _render.figureFor(spec)
    go.Figure(first.to_dict())
    assert json.loads(_render._coreJson(_render.figureFor(spec))) == json.loads(_render._coreJson(first))
    getattr(spec, "renderRows", []).clear()  # the one attribute a family may write
    assert repr(spec) == before
