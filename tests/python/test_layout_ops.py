"""The band, title and slider operations of _layout, called from Python; their rules are the core's."""

import math

import pytest

from tessarine.pl._interactive import _layout

DROPDOWN = _layout.control({"buttons": [{"label": "alpha"}, {"label": "beta"}]}, label="Colour")
RIGHT = _layout.control({"buttons": [{"label": "x"}]}, align="right")
SLIDER = _layout.control({"steps": [{"label": "1"}, {"label": "2"}]}, "slider")
LABELS = [format(s, "g") for s in (0.5, 1, 1.5, 2, 3, 4, 6, 8, 12, 16)]


def test_band_rows_titles_and_sliders_take_the_room_they_need():
    rows = _layout.bandRows([DROPDOWN, RIGHT, SLIDER])
    assert rows == [{"left": DROPDOWN, "right": RIGHT}, {"left": SLIDER}]
    assert _layout.bandHeight(rows) > _layout.bandHeight(rows[:1]) > _layout.bandHeight([]) == 0
    assert _layout.titleHeight("", "") == _layout.titleHeight(None, None) == 0
    assert _layout.titleHeight("T", "a note") > _layout.titleHeight("T", None) > 0
    # A slider takes the drawing area and shrinks its font when short.
    length, font = _layout.sliderLength(LABELS, 12, 500)
    assert length > 0 and font == 12
    assert (length, font) == _layout.sliderLength(LABELS, 12, 500, availablePx=500)
    tight, small = _layout.sliderLength(LABELS, 12, 500, 100)
    assert 0 < tight < length and 0 < small < font


def test_a_note_without_the_figures_annotations_is_measured_as_empty():
    note = _layout.control(None, "note", index=0, align="right")
    assert _layout.bandRows([DROPDOWN, note]) == [{"left": DROPDOWN, "right": note}]
    # Given annotations it measures its own, and one it names but they lack is a fault.
    wide = [{"text": "W" * 400}]
    assert _layout.bandRows([DROPDOWN, note], annotations=wide) == [{"left": DROPDOWN}, {"right": note}]
    with pytest.raises(IndexError, match="annotation 0"):
        _layout.bandRows([note], annotations=[])


@pytest.mark.parametrize(
    ("op", "args", "error"),
    [
        (_layout.bandRows, ([1],), TypeError),
        (_layout.bandRows, ([DROPDOWN], 500, 5), TypeError),
        (_layout.bandHeight, ([{"left": 3}],), TypeError),
        (_layout.titleHeight, (3, ""), TypeError),
        (_layout.sliderLength, ("ab", 12, 500), TypeError),
        (_layout.sliderLength, (LABELS, 12, 0), ValueError),
        (_layout.sliderLength, (LABELS, math.inf, 500), ValueError),
        (_layout.sizeLadder, (math.nan,), ValueError),
    ],
)
def test_bad_input_raises(op, args, error):
    with pytest.raises(error):
        op(*args)
