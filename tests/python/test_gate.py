"""Gate figures: the histograms against numpy's, how marker columns are found, each state's
gate lines and titles (the browser's view of them: test_gate_browser.py)."""

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import plotly.io as pio
import pytest

from tessarine.pl._interactive import _render, _spec


def _valid(fig):
    go.Figure(fig.to_dict())  # plotly.py's own validation
    return fig


def _cells(n=300_000, seed=3):
    # Enough cells to be binned on several cores; the last column's values sit on bin edges
    # (tenths in 30 bins over 0 ... 3), where rounding decides the bin.
    rng = np.random.default_rng(seed)
    values = np.column_stack([rng.normal(1, 0.5, n), rng.gamma(2.0, 1.0, n), rng.integers(0, 31, n) / 10])
    values[rng.random((n, 3)) < 0.02] = np.nan
    values[::97, 1] = np.inf
    return values


def test_bars_count_what_numpy_counts_for_any_float_width_and_layout():
    values = _cells()
    for table in (values, values.astype(np.float32), np.asfortranarray(values), values.astype(">f8")):
        spec = _spec.Gate(values=table, markers=["a", "b", "c"], bins=30)
        fig = _valid(_render.figureFor(spec))
        for k, bar in enumerate(fig.data):
            column = table[:, k].astype(np.float64)
            counts, edges = np.histogram(column[np.isfinite(column)], bins=30)
            np.testing.assert_array_equal(np.asarray(bar.y), counts)
            np.testing.assert_allclose(np.asarray(bar.x), (edges[:-1] + edges[1:]) / 2, rtol=1e-12)
            assert bar.width == pytest.approx(np.diff(edges).mean())
        assert [bar.visible for bar in fig.data] == [True, False, False]


def test_densities_count_what_numpy_counts_over_cells_finite_in_both():
    values = _cells()
    frame = pd.DataFrame(values, columns=["x", "y", "z"])
    spec = _spec.Gate(values=frame, pairs=[("x", "y"), ("z", "x")], bins=30)
    fig = _valid(_render.figureFor(spec))
    for heatmap, (a, b) in zip(fig.data, [(0, 1), (2, 0)]):
        x, y = values[:, a], values[:, b]
        finite = np.isfinite(x) & np.isfinite(y)
        counts, xEdges, yEdges = np.histogram2d(x[finite], y[finite], bins=30)
        np.testing.assert_array_equal(np.asarray(heatmap.customdata), counts.T)
        np.testing.assert_allclose(np.asarray(heatmap.z), np.log1p(counts.T), rtol=1e-6)
        np.testing.assert_allclose(np.asarray(heatmap.x), (xEdges[:-1] + xEdges[1:]) / 2, rtol=1e-12)
        np.testing.assert_allclose(np.asarray(heatmap.y), (yEdges[:-1] + yEdges[1:]) / 2, rtol=1e-12)
        assert heatmap.colorbar.ticktext[-1] == f"{int(counts.max()):,}"
    assert [h.visible for h in fig.data] == [True, False] and all(h.showscale for h in fig.data)


def test_a_column_is_found_by_name_in_a_table_and_by_place_in_an_array():
    values = _cells(50)
    frame = pd.DataFrame(values, columns=["a", 7, "c"])
    np.testing.assert_array_equal(_render._column(_spec.Gate(values=frame), 7), values[:, 1])
    array = _spec.Gate(values=values.astype(np.float32), markers=["a", "b", "c"])
    column = _render._column(array, "c")
    assert column.dtype == np.float64 and column.flags.owndata
    np.testing.assert_array_equal(column, values[:, 2].astype(np.float32))
    nullable = pd.DataFrame({"n": pd.array([1, None, 3], dtype="Int64")})
    np.testing.assert_array_equal(_render._column(_spec.Gate(values=nullable), "n"), [1.0, np.nan, 3.0])
    with pytest.raises(KeyError):
        _render._column(_spec.Gate(values=frame), "b")
    with pytest.raises(ValueError):
        _render._column(array, "d")  # not among the markers
    with pytest.raises(IndexError):
        _render._column(_spec.Gate(values=values, markers=["a", "b", "c", "d"]), "d")
    with pytest.raises(ValueError):
        _render.figureFor(_spec.Gate(values=values[:, 0], markers=["a"]))
    with pytest.raises(TypeError):
        _render.figureFor(_spec.Gate(markers=["a"]))


def test_one_marker_has_no_dropdown_and_its_gate_at_one_half_and_no_marker_draws_nothing():
    fig = _valid(_render.figureFor(_spec.Gate(values=pd.DataFrame({"CD3": [0.1, 0.9]}), markers=["CD3"])))
    assert not fig.layout.updatemenus and fig.data[0].visible is True
    (line,) = fig.layout.shapes
    assert (line.name, line.x0, line.x1, line.xref, line.yref, line.editable) == ("gate:CD3", 0.5, 0.5, "x", "paper", True)
    assert fig.layout.xaxis.title.text == "CD3" and fig.layout.yaxis.title.text == "Cells"
    fig = _valid(_render.figureFor(_spec.Gate(values=np.zeros((3, 0)))))
    assert not fig.data and not fig.layout.shapes and not fig.layout.updatemenus
    assert fig.layout.xaxis.title.text == "" and fig.layout.yaxis.title.text == "Cells"


def test_each_pair_button_sets_its_lines_and_escaped_titles():
    names = ["<b>CD4</b>", "CD8 & co", "100%{x}"]
    frame = pd.DataFrame(_cells(200), columns=names)
    spec = _spec.Gate(values=frame, pairs=[(names[0], names[1]), (names[2], names[0])], bins=5,
                      thresholds={names[0]: 1.5, names[2]: -1})
    fig = _valid(_render.figureFor(spec))
    escaped = ["&lt;b&gt;CD4&lt;/b&gt;", "CD8 &amp; co", "100&#37;{x}"]
    assert (fig.layout.xaxis.title.text, fig.layout.yaxis.title.text) == (escaped[0], escaped[1])
    (menu,) = fig.layout.updatemenus
    states = [button.args[1] for button in menu.buttons]
    assert [b.label for b in menu.buttons] == ["&lt;b&gt;CD4&lt;/b&gt; vs CD8 &amp; co", "100&#37;{x} vs &lt;b&gt;CD4&lt;/b&gt;"]
    assert [(s["xaxis.title.text"], s["yaxis.title.text"]) for s in states] == [(escaped[0], escaped[1]),
                                                                                 (escaped[2], escaped[0])]
    lines = [[(line["name"], line["xref"], line["x0"], line["yref"], line["y0"]) for line in s["shapes"]] for s in states]
    assert lines == [[("gate:<b>CD4</b>", "x", 1.5, "paper", 0), ("gate:CD8 & co", "paper", 0, "y", 0.5)],
                     [("gate:100%{x}", "x", -1.0, "paper", 0), ("gate:<b>CD4</b>", "paper", 0, "y", 1.5)]]
    assert [b.args[0]["visible"] for b in menu.buttons] == [[True, False], [False, True]]
    assert "&lt;b&gt;CD4&lt;/b&gt;: %{x:.3g}" in fig.data[0].hovertemplate


def test_explicit_ticks_and_an_empty_list_of_them():
    values = pd.DataFrame({"a": [0.0, 1.0, 2.0]})
    fig = _valid(_render.figureFor(_spec.Gate(values=values, markers=["a"], xticks=[0, 1.5], yticks=[])))
    assert fig.layout.xaxis.tickmode == "array" and list(fig.layout.xaxis.tickvals) == [0.0, 1.5]
    assert fig.layout.yaxis.tickmode == "array" and not fig.layout.yaxis.tickvals
    assert _render.figureFor(_spec.Gate(values=values, markers=["a"])).layout.xaxis.tickmode is None


def test_bad_spec_values_fail_plainly():
    values = pd.DataFrame({"a": [0.0, 1.0]})
    for bad in (dict(bins=0), dict(bins=10**400), dict(thresholds={"a": float("nan")}), dict(xticks=[np.inf]),
                dict(thresholds={"a": "high"}), dict(pairs=[("a",)])):
        with pytest.raises((ValueError, TypeError)):
            _render.figureFor(_spec.Gate(values=values, markers=["a"], **bad))
    with pytest.raises(ValueError):
        _render.figureFor(_spec.Gate(values=pd.DataFrame({"a": ["x", "y"]}), markers=["a"]))


def test_the_page_does_not_grow_with_the_cells():
    def page(cells):
        rng = np.random.default_rng(cells)
        values = rng.normal(size=(cells, 3)).astype(np.float32)
        spec = _spec.Gate(values=values, markers=["a", "b", "c"], pairs=[("a", "b")])
        return len(pio.to_html(_render.figureFor(spec), include_plotlyjs=False))

    small, large = page(10_000), page(1_000_000)
    assert large < 120_000 and large - small < 45_000  # the counts' integer width is all that changes
