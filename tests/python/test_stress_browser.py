"""A fixed sample of the stress corpus (tests/python/stress.py), judged in every control state.

The whole corpus runs through `tools/stress.py`; these seeds cover every family and the
faults the corpus found: long rotated and colour-bar titles, square cells at a small size,
large fonts under the band, long in-plot notes, close threshold labels and log axes.
"""
import pytest
from browser.judge import judge
from stress import FAMILIES, stressSpec

from tessarine.pl._interactive import _render

pytestmark = pytest.mark.browser

SAMPLE = [0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 15, 18]


def test_sample_covers_every_family():
    assert {FAMILIES[seed % len(FAMILIES)] for seed in SAMPLE} == set(FAMILIES)


@pytest.mark.parametrize("seed", SAMPLE)
def test_stress_figure_is_clean_in_every_state(seed):
    _, spec = stressSpec(seed)
    judge(_render.figureFor(spec), _render.configFor(spec)).assertClean()
