"""A fixed sample of the stress corpus (tests/python/stress.py), judged in every control state.

The whole corpus runs through `tools/stress.py`; these seeds cover every family and the
faults the corpus found: long rotated and colour-bar titles, square cells at a small size,
large fonts under the band (206: a slider over numeric ticks), long in-plot notes, close
threshold labels and log axes.
"""
import numpy as np
import pandas as pd
import pytest
from browser.judge import judge
from stress import FAMILIES, stressSpec

from tessarine.pl._interactive import _render, _spec

pytestmark = pytest.mark.browser

SAMPLE = [0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 12, 15, 18, 206]


def test_sample_covers_every_family():
    assert {FAMILIES[seed % len(FAMILIES)] for seed in SAMPLE} == set(FAMILIES)


@pytest.mark.parametrize("seed", SAMPLE)
def test_stress_figure_is_clean_in_every_state(seed):
    _, spec = stressSpec(seed)
    judge(_render.figureFor(spec), _render.configFor(spec)).assertClean()


def _squareCells():
    """Eight columns of square cells in a figure of about 350 × 300 at fontPx 20."""
    rng = np.random.default_rng(3)
    frame = pd.DataFrame(rng.random((20, 8)), index=[f"gene {i}" for i in range(20)],
                         columns=[f"cluster {j}" for j in range(8)])
    return _spec.Matrix(frame=frame, square=True, width=350, height=300, fontPx=20, xlabel="cluster", ylabel="gene")


def _largeFontsUnderTheBand(family):
    """fontPx 20 with a control band: the top tick label must stay below it."""
    rng = np.random.default_rng(4)
    if family == "dots":
        color = pd.DataFrame(rng.random((12, 5)), index=[f"G{i}" for i in range(12)], columns=list("ABCDE"))
        return _spec.Dots(color=color, size=color, scales={"mean": color, "scaled": color * 3}, fontPx=20,
                          title="Dots at a large font")
    panels = {p: {g: rng.lognormal(0, 1, 40) * 1e3 for g in ("T", "B", "NK")} for p in ("one", "two")}
    return _spec.Distribution(panels=panels, fontPx=20, log=True, valueLabel="molecules per cell",
                              thresholds={"low": 500.0, "doublets": 520.0}, title="Distribution at a large font")


@pytest.mark.parametrize("make", [_squareCells, lambda: _largeFontsUnderTheBand("dots"),
                                  lambda: _largeFontsUnderTheBand("distribution")],
                         ids=["square-cells", "dots-band", "distribution-band"])
def test_named_stress_cases_are_clean(make):
    spec = make()
    judge(_render.figureFor(spec), _render.configFor(spec)).assertClean()
