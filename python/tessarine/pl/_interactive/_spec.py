"""Spec records: what a finished result looks like to the renderer.

A plot function of the package fills one spec per figure; the renderer picks
its family by class and reads the attributes by name. Specs are plain
records: every attribute has a default, construction is by keyword only, and
a class may derive from several families (the renderer then draws the first
family of its own order that the spec belongs to).

Attribute names are lowerCamelCase because the renderer reads them under
exactly these names.
"""

from __future__ import annotations

import copy
import inspect
from collections.abc import Mapping
from typing import TYPE_CHECKING, Any, Callable

if TYPE_CHECKING:
    from collections.abc import Sequence

    import numpy as np
    import pandas as pd

__all__ = [
    "Bars",
    "Curves",
    "Distribution",
    "Dots",
    "Gate",
    "Graph",
    "Intervals",
    "Matrix",
    "Points",
    "Ranked",
    "Volcano",
]


class _Fresh:
    """Default made anew for every instance (lists and mappings are never shared)."""

    __slots__ = ("factory",)

    def __init__(self, factory: Callable[[], Any]) -> None:
        self.factory = factory

    def __repr__(self) -> str:
        return f"{self.factory()!r} (fresh per instance)"


def _fresh(factory: Callable[[], Any]) -> Any:
    return _Fresh(factory)


def _noKey() -> list:
    return [None]


def _fieldsOf(cls: type) -> tuple[tuple[str, Any], ...]:
    """(name, default) of every attribute of `cls`: its own first, then its bases', in MRO order.

    The attributes are the annotated names of the class and its bases; a default is
    whatever the class resolves the name to, so a subclass may override it with a
    plain class attribute. Worked out once per class and kept on it.
    """
    fields = cls.__dict__.get("_fieldTable")
    if fields is None:
        names: dict[str, None] = {}
        for klass in cls.__mro__:
            if klass is not object:
                names.update(dict.fromkeys(inspect.get_annotations(klass)))
        fields = tuple((name, getattr(cls, name, None)) for name in names)
        cls._fieldTable = fields  # type: ignore[attr-defined]
    return fields


_PREVIEW = 6


def _brief(value: Any) -> str:
    """A short text for `value`: tables and arrays by their shape, long collections cut."""
    shape = getattr(value, "shape", None)
    if isinstance(shape, tuple) and shape:
        return f"{type(value).__name__}({'×'.join(str(n) for n in shape)})"
    if isinstance(value, Mapping):
        items = [f"{_brief(k)}: {_brief(v)}" for k, v in list(value.items())[:_PREVIEW]]
        if len(value) > _PREVIEW:
            items.append(f"… {len(value) - _PREVIEW} more")
        return "{" + ", ".join(items) + "}"
    if isinstance(value, (list, tuple)):
        items = [_brief(v) for v in value[:_PREVIEW]]
        if len(value) > _PREVIEW:
            items.append(f"… {len(value) - _PREVIEW} more")
        if isinstance(value, tuple):
            return "(" + ", ".join(items) + ("," if len(value) == 1 else "") + ")"
        return "[" + ", ".join(items) + "]"
    text = repr(value)
    return text if len(text) <= 80 else text[:77] + "..."


def _isDefault(value: Any, default: Any) -> bool:
    if isinstance(default, _Fresh):
        default = default.factory()
    if value is default:
        return True
    if default is None or value is None or type(value) is not type(default):
        return False
    try:
        return bool(value == default)
    except (TypeError, ValueError):  # element-wise comparisons have no single truth value
        return False


_SHARED_HEADING = "Attributes every family shares:"


class _Spec:
    """Attributes every family shares; the finishing step reads them.

    title: figure title ("" for none).
    note: line under the title ("" for none).
    width, height: requested whole-figure size in pixels, brought within the smallest and
        largest figure; None or 0 lets the family decide.
    fontPx: base font size in pixels, 1 to 100; None or 0 keeps the theme's.
    showLegend: True or False forces the legend on or off; None leaves it to the theme.
    """

    title: str = ""
    note: str = ""
    width: float | None = None
    height: float | None = None
    fontPx: float | None = None
    showLegend: bool | None = None

    def __init_subclass__(cls, **kwargs: Any) -> None:
        super().__init_subclass__(**kwargs)
        # help() shows a class's own docstring only: each family's lists the shared attributes too.
        if cls.__doc__ and _SHARED_HEADING not in cls.__doc__:
            shared = inspect.cleandoc(_Spec.__doc__ or "").split("\n\n", 1)[1]
            lines = "\n".join(f"    {line}" if line else "" for line in shared.splitlines())
            cls.__doc__ = f"{cls.__doc__.rstrip()}\n\n    {_SHARED_HEADING}\n{lines}\n    "

    def __init__(self, **attributes: Any) -> None:
        fields = _fieldsOf(type(self))
        known = {name for name, _ in fields}
        for name in attributes:
            if name not in known:
                raise TypeError(
                    f"{type(self).__name__}() got an unexpected keyword argument {name!r}"
                )
        for name, default in fields:
            if name in attributes:
                value = attributes[name]
            elif isinstance(default, _Fresh):
                value = default.factory()
            elif isinstance(default, (list, dict, set)):
                value = copy.copy(default)  # a subclass's container default is not shared either
            else:
                value = default
            setattr(self, name, value)

    def __repr__(self) -> str:
        shown = [
            f"{name}={_brief(getattr(self, name))}"
            for name, default in _fieldsOf(type(self))
            if not _isDefault(getattr(self, name, None), default)
        ]
        return f"{type(self).__name__}({', '.join(shown)})"


class Points(_Spec):
    """A scatter of cells at embedding or spatial coordinates, with one or more colourings.

    frame: one row per cell, its index holding the cell identities.
    rows: one row identifier per frame row, or None for positions 0..n-1.
    renderRows: filled by the renderer, one array of row identifiers per trace drawn.
    x, y: names of the coordinate columns of `frame`.
    keys: the colourings offered, in order; each a column of `frame`, or None for no colour.
    categorical: key -> whether it is categorical (a key not listed is continuous).
    colors: categorical key -> {category text: colour}, in legend order.
    scales: continuous key -> (cmap, vmin, vmax, center, kind).
    hover: columns of `frame` shown in the tooltip.
    size: marker size in pixels, 0 to 200; None keeps the figure's default.
    alpha: marker opacity, 0 to 1; None keeps the figure's default.
    equalAspect: one data unit is equally long on both axes.
    invertY: the y axis runs downwards (image coordinates).
    full: every cell for the density-image view: "x", "y", and optionally "codes",
        "categories", "colors" and "label".
    """

    frame: pd.DataFrame | None = None
    rows: Sequence[Any] | None = None
    renderRows: list[np.ndarray] = _fresh(list)
    x: str | None = None
    y: str | None = None
    keys: list[str | None] = _fresh(_noKey)
    categorical: Mapping[Any, bool] = _fresh(dict)
    colors: Mapping[Any, Mapping[str, str]] = _fresh(dict)
    scales: Mapping[Any, tuple[Any, Any, Any, Any, Any]] = _fresh(dict)
    hover: Sequence[str] = _fresh(list)
    size: float | None = None
    alpha: float | None = None
    equalAspect: bool = False
    invertY: bool = False
    full: Mapping[str, Any] = _fresh(dict)


class Matrix(_Spec):
    """A heatmap of one numeric table, with alternative scalings and precomputed orders.

    frame: the table; index = row names, columns = column names, NaN for missing.
    scales: scale name -> the table under that scaling (when given, these are the views).
    orders: order name -> (row positions, column positions).
    scaleKinds: scale name -> colour kind.
    kind: colour kind of scales not in `scaleKinds`.
    cellHover: name -> per-cell table shown in the tooltip.
    rowNotes: row name -> text written after that row's name.
    xlabel, ylabel: axis titles, also the tooltip's column and row labels.
    colorbarLabel: colorbar title.
    vmin, vmax, center: colour limit requests (None: chosen from the data).
    cmap: colour map name (None: the theme's for the kind).
    showValues: print each cell's value (small tables only).
    naColor, naLabel: colour and legend name of missing cells ("" for the defaults).
    square: square cells.
    """

    frame: pd.DataFrame | None = None
    scales: Mapping[Any, pd.DataFrame] = _fresh(dict)
    orders: Mapping[Any, tuple[Sequence[int], Sequence[int]]] = _fresh(dict)
    scaleKinds: Mapping[Any, str] = _fresh(dict)
    kind: str = "sequential"
    cellHover: Mapping[Any, Any] = _fresh(dict)
    rowNotes: Mapping[Any, Any] = _fresh(dict)
    xlabel: str = ""
    ylabel: str = ""
    colorbarLabel: str = ""
    vmin: float | None = None
    vmax: float | None = None
    center: float | None = None
    cmap: str | None = None
    showValues: bool = False
    naColor: str = ""
    naLabel: str = ""
    square: bool = False


class Dots(_Spec):
    """A dot plot over rows × columns: colour for one table, dot area for another.

    color: colour values; index = row names, columns = column names.
    scales: scale name -> colour table under that scaling (when given, these replace `color`).
    size: per-cell area value between 0 and 1, same rows and columns.
    extra: name -> per-cell table shown in the tooltip.
    kind: colour kind.
    vmin, vmax, center: colour limit requests (None: chosen from the data).
    cmap: colour map name (None: the theme's for the kind).
    colorLabel: colorbar title and tooltip name of the colour value.
    sizeLabel: text after the percentage in the size key.
    xlabel, ylabel: axis titles, also the tooltip's column and row labels.
    """

    color: pd.DataFrame | None = None
    scales: Mapping[Any, pd.DataFrame] = _fresh(dict)
    size: Any = None
    extra: Mapping[Any, Any] = _fresh(dict)
    kind: str = "sequential"
    vmin: float | None = None
    vmax: float | None = None
    center: float | None = None
    cmap: str | None = None
    colorLabel: str = ""
    sizeLabel: str = ""
    xlabel: str = ""
    ylabel: str = ""


class Bars(_Spec):
    """Stacked or grouped bars, one position per table row and one trace per column.

    pivot: one row per bar position, one column per trace.
    positions: bar positions on the category axis; None for 0, 1, 2, ...
    tickLabels: tick texts for the positions; None or empty for the row labels.
    counts: cell counts per column, same rows as `pivot`, shown in the tooltip; or None.
    horizontal: bars run along x.
    colors: column name -> colour.
    stacked: stack the traces instead of grouping them.
    method: "percent" normalises each bar to 100 % over the visible traces.
    barLabel: category-axis title.
    valueLabel: value-axis title and the value's tooltip name.
    """

    pivot: pd.DataFrame | None = None
    positions: Sequence[float] | None = None
    tickLabels: Sequence[Any] | None = None
    counts: pd.DataFrame | None = None
    horizontal: bool = False
    colors: Mapping[str, str] = _fresh(dict)
    stacked: bool = False
    method: str = ""
    barLabel: str = ""
    valueLabel: str = ""


class Distribution(_Spec):
    """Per-group distributions of a value as violins, boxes or strips, optionally in panels.

    parts: group -> values (the single panel when `panels` is empty).
    panels: panel name -> {group: values}; one panel is shown at a time.
    order: groups drawn in every panel, in order; empty for each panel's own groups.
    colors: group text -> colour.
    points: (panel, group) or group -> per-value labels shown by the strip style.
    style: "box", "strip", or "violin" (anything else draws violins too).
    thresholds: label -> value of a reference line.
    valueLabel: value-axis title.
    groupLabel: group-axis title.
    log: the value axis starts logarithmic.
    """

    parts: Mapping[Any, Sequence[float]] = _fresh(dict)
    panels: Mapping[Any, Mapping[Any, Sequence[float]]] = _fresh(dict)
    order: Sequence[Any] = _fresh(list)
    colors: Mapping[str, str] = _fresh(dict)
    points: Mapping[Any, Sequence[Any]] = _fresh(dict)
    style: str = "violin"
    thresholds: Mapping[Any, float] = _fresh(dict)
    valueLabel: str = ""
    groupLabel: str = ""
    log: bool = False


class Graph(_Spec):
    """Named nodes at fixed positions with edges, thresholds stepped through as states.

    edges: one row per edge with "source" and "target" (node names) and any tooltip
        columns; None for no edges.
    states: state name -> edge mask (one truth value per edge row); empty for all edges.
    directed: edges get arrowheads pointing at the target.
    positions: node name text -> (x, y); nodes and edge ends without one are not drawn.
    names: node names in drawing order.
    nodeSizes: node name text -> marker diameter in pixels (default 14).
    nodeColors: node name text -> marker colour.
    edgeLabel: name of the edge tooltip trace.
    """

    edges: pd.DataFrame | None = None
    states: Mapping[Any, Sequence[bool]] = _fresh(dict)
    directed: bool = False
    positions: Mapping[str, tuple[float, float]] = _fresh(dict)
    names: Sequence[Any] = _fresh(list)
    nodeSizes: Mapping[str, float] = _fresh(dict)
    nodeColors: Mapping[str, str] = _fresh(dict)
    edgeLabel: str = ""


class Intervals(_Spec):
    """An estimate with its interval per feature, with alternative orderings.

    frame: one row per feature (index = names) with "value", "low", "high"; other
        columns go to the tooltip.
    orders: ordering name -> row positions; empty keeps the frame's order.
    colorBy: column whose values pick each marker's colour, or None.
    colors: value text -> colour, used with `colorBy`.
    reference: position of a dashed reference line, or None.
    valueLabel: x-axis title.
    logScale: logarithmic x axis.
    """

    frame: pd.DataFrame | None = None
    orders: Mapping[Any, Sequence[int]] = _fresh(dict)
    colorBy: str | None = None
    colors: Mapping[str, str] = _fresh(dict)
    reference: float | None = None
    valueLabel: str = ""
    logScale: bool = False


class Curves(_Spec):
    """Curves with confidence bands per group, one feature shown at a time.

    curves: feature -> {group: table with "time", "value" and optionally "low", "high",
        "atRisk", "events"}.
    colors: group text -> colour.
    xlabel, ylabel: axis titles ("" gives "time" and "value" in the tooltip).
    step: draw the curves as steps (False: straight segments).
    annotations: feature -> note shown in the corner of the plot.
    """

    curves: Mapping[Any, Mapping[Any, Any]] = _fresh(dict)
    colors: Mapping[str, str] = _fresh(dict)
    xlabel: str = ""
    ylabel: str = ""
    step: bool = True
    annotations: Mapping[Any, str] = _fresh(dict)


class Volcano(_Spec):
    """Effect size against significance per feature, with choosable thresholds.

    frame: one row per feature (index = names) with "effect", "pvalue", "logp"; other
        columns go to the tooltip.
    group: column splitting the features into traces, or None for one trace.
    pVal: p-value cut of the initial picture.
    effectThreshold: effect-size cut of the initial picture, applied at + and -.
    upColor, downColor, nullColor: colours of up, down and other features.
    top: how many of the strongest features get a label; None or 0 for none.
    xlabel, ylabel: axis titles ("" gives "effect" and "-log10(p)").
    """

    frame: pd.DataFrame | None = None
    group: str | None = None
    pVal: float = 0.05
    effectThreshold: float = 1.0
    upColor: str = "#B2182B"
    downColor: str = "#2166AC"
    nullColor: str = "#BDBDBD"
    top: int | None = None
    xlabel: str = ""
    ylabel: str = ""


class Gate(_Spec):
    """A marker's distribution over all cells (or a pair's density) with a draggable gate line.

    values: per-cell marker values, a table with one column per marker or a cells × markers array.
    markers: marker names, in order (also the columns of an array `values`).
    pairs: (x marker, y marker) pairs; when non-empty, densities of pairs are drawn instead.
    bins: bins per axis.
    thresholds: marker name text -> gate position (default 0.5).
    xticks, yticks: explicit tick positions, or None for automatic ticks.
    """

    values: pd.DataFrame | np.ndarray | None = None
    markers: Sequence[Any] = _fresh(list)
    pairs: Sequence[tuple[Any, Any]] = _fresh(list)
    bins: int = 100
    thresholds: Mapping[str, float] = _fresh(dict)
    xticks: Sequence[float] | None = None
    yticks: Sequence[float] | None = None


class Ranked(_Spec):
    """A ranked list of items as bars, one group shown at a time.

    frame: the ranked table of the single group (rows = items, in rank order; a "value" column).
    groups: group name -> ranked table; when given, these replace `frame`.
    colorBy: column whose values pick each bar's colour, or None.
    colors: value text -> colour, used with `colorBy`.
    horizontal: bars run along x, items on the y axis.
    reference: position of a dashed reference line, or None.
    valueLabel: value-axis title.
    """

    frame: pd.DataFrame | None = None
    groups: Mapping[Any, pd.DataFrame] = _fresh(dict)
    colorBy: str | None = None
    colors: Mapping[str, str] = _fresh(dict)
    horizontal: bool = False
    reference: float | None = None
    valueLabel: str = ""
