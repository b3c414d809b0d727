"""The raster component: folding, bounds, binning, shading and the image trace, from Python."""
import base64
import json
import struct
import sys
import zlib
from types import SimpleNamespace

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from browser.judge import browser, judge
from tessarine.pl._interactive import _raster, _render


def decodePng(data: bytes) -> np.ndarray:
    """8-bit RGB or RGBA PNG bytes as a (rows, cols, channels) array, checking every CRC."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, idat, header = 8, b"", None
    while at < len(data):
        (length,) = struct.unpack(">I", data[at:at + 4])
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + length]
        (crc,) = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        assert zlib.crc32(kind + body) == crc, kind
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    cols, rows, depth, colorType, _, _, interlace = header
    assert depth == 8 and colorType in (2, 6) and interlace == 0
    bpp = 4 if colorType == 6 else 3
    raw, stride = zlib.decompress(idat), cols * bpp
    out, above = bytearray(), bytearray(stride)
    for r in range(rows):
        kind, line = raw[r * (stride + 1)], bytearray(raw[r * (stride + 1) + 1:(r + 1) * (stride + 1)])
        for i in range(stride) if kind else ():
            a = line[i - bpp] if i >= bpp else 0
            b, c = above[i], above[i - bpp] if i >= bpp else 0
            p = a + b - c
            paeth = min((abs(p - a), 0, a), (abs(p - b), 1, b), (abs(p - c), 2, c))[2]
            line[i] = (line[i] + (a, b, (a + b) // 2, paeth)[kind - 1]) & 0xFF
        out += line
        above = line
    return np.frombuffer(bytes(out), np.uint8).reshape(rows, cols, bpp)


def rasterTrace(x, y, codes=None, names=(), colors=None, window=None, shape=None, label="category"):
    """The call sequence the renderer makes for a raster layer."""
    names = list(names)
    nCategories = 0
    if codes is not None:
        codes, nCategories, names = _raster.foldCategories(np.asarray(codes), len(names), names)
    window = window or _raster.bounds(x, y)
    shape = shape or (_raster.GRID, _raster.GRID)
    grid = _raster.binPoints(x, y, codes, nCategories, window, shape)
    palette = [(colors or {}).get(n, "#666666") for n in names] if names else ["#4C4C4C"]
    image, second, third = _raster.shade(grid, palette)
    return _raster.imageTrace(image, window, second, third, names, label=label), grid, image, window


def cloud(n=20000, k=5, seed=0, dtype=np.float64):
    rng = np.random.default_rng(seed)
    codes = rng.integers(0, k, n)
    x = (rng.normal(0, 1, n) + codes * 3).astype(dtype)
    y = (rng.normal(0, 1, n) - codes).astype(dtype)
    return x, y, codes


# ---- folding and binning ----

@pytest.mark.parametrize("dtype", [np.int8, np.int16, np.int32, np.int64, np.uint8, np.uint32, np.uint64])
def test_fold_drops_empty_categories_for_any_integer_dtype(dtype):
    codes, n, names = _raster.foldCategories(np.array([3, 0, 3, 100], dtype=dtype), 4, ["a", "b", "c", "d"])
    assert (n, names, codes.dtype, codes.tolist()) == (2, ["a", "d"], np.int8, [1, 0, 1, -1])


@pytest.mark.parametrize("dtype", [np.float64, np.float32])
def test_binning_matches_numpy_histograms_per_category(dtype):
    x, y, codes = cloud(dtype=dtype)
    codes[::50] = -1
    window = (-2.0, 13.0, -6.0, 2.5)  # cuts off part of the cloud
    grid = _raster.binPoints(x, y, codes.astype(np.int16), 5, window, (40, 30))
    assert grid.shape == (40, 30, 5) and grid.dtype == np.uint32
    for k in range(5):
        h, _, _ = np.histogram2d(y[codes == k].astype(float), x[codes == k].astype(float), bins=(40, 30),
                                 range=(window[2:], window[:2]))
        np.testing.assert_array_equal(grid[:, :, k], h)


def test_binning_reads_strided_swapped_and_mixed_inputs_alike():
    x, y, codes = cloud(2000)
    window, shape, wide, x32 = (-3.0, 16.0, -8.0, 4.0), (32, 32), np.stack([x, y], axis=1), x.astype(np.float32)
    expected = _raster.binPoints(x, y, codes, 5, window, shape)
    # Buffers from another process may start at any byte (the sanitized run checks the reads).
    shifted = [np.frombuffer(b"\0" + a.tobytes(), a.dtype, offset=1) for a in (x, y, codes.astype(np.int64))]
    assert not any(a.flags.aligned for a in shifted)
    for args in [(wide[:, 0], wide[:, 1], codes), (x.astype(">f8"), y, codes.astype(">i4")),
                 (list(x), list(y), pd.Series(codes)), shifted]:
        np.testing.assert_array_equal(_raster.binPoints(*args, 5, window, shape), expected)
    counts = _raster.countCategories(codes, 5)
    shiftedCounts = np.frombuffer(b"\0" + counts.tobytes(), counts.dtype, offset=1)
    (channels, n), (shiftedChannels, shiftedN) = _raster.foldCounts(counts), _raster.foldCounts(shiftedCounts)
    np.testing.assert_array_equal(shiftedChannels, channels)
    assert shiftedN == n
    # float32 beside float64 meets it as float64.
    np.testing.assert_array_equal(_raster.binPoints(x32, y, codes, 5, window, shape),
                                  _raster.binPoints(x32.astype(float), y, codes, 5, window, shape))


@settings(max_examples=60, deadline=None)
@given(values=st.lists(st.tuples(st.floats(width=32), st.floats(), st.integers(-3, 5)), max_size=40),
       rows=st.integers(-1, 5), cols=st.integers(-1, 5), k=st.integers(0, 4))
def test_no_input_crashes_the_pipeline(values, rows, cols, k):
    x, y = np.array([v[0] for v in values], np.float32), np.array([v[1] for v in values])
    try:
        codes, n, names = _raster.foldCategories(np.array([v[2] for v in values], np.int64), k, list("abcd")[:k])
        window = _raster.bounds(x, y)
        grid = _raster.binPoints(x, y, codes, n, window, (rows, cols))
    except ValueError as error:
        assert rows < 1 or cols < 1 or "too wide" in str(error), error
        return
    assert grid.sum() <= len(values)
    image, colors, density = _raster.shade(grid, ["#123456"] * grid.shape[2])
    _raster.imageTrace(image, window, colors, density, names)


# ---- shading and the trace ----

def test_trace_is_valid_plotly_and_its_png_round_trips():
    x, y, codes = cloud()
    names = [0, "B", "NK", "Mono", "DC <x>"]  # names keep their type
    trace, grid, image, _ = rasterTrace(x, y, codes, names, {0: "#B2182B"}, shape=(60, 80), label="cell type & 5%")
    go.Image(**trace)
    assert image.shape == (60, 80, 4) and image.dtype == np.uint8
    prefix, data = trace["source"].split(",", 1)
    assert prefix == "data:image/png;base64"
    np.testing.assert_array_equal(decodePng(base64.b64decode(data)), image)
    assert trace["meta"]["label"] == "cell type & 5%" and trace["meta"]["categories"] == names
    assert trace["meta"]["colors"] == ["#B2182B"] + ["#666666"] * 4
    assert grid.sum() == len(x)  # the default window holds every point
    # Uncategorised points get one grey and the default caption.
    trace, grid, image, _ = rasterTrace(*cloud(500)[:2], label=None)
    assert grid.shape == (_raster.GRID, _raster.GRID, 1) and trace["name"] == "category"
    assert set(map(tuple, image[image[..., 3] > 0][:, :3])) == {(0x4C, 0x4C, 0x4C)}


# The core's own refusals are the C++ suite's; these are the ones the conversions add or map.
Z2, RGBA, W = np.zeros(2), np.zeros((2, 2, 4), np.uint8), (0, 1, 0, 1)


@pytest.mark.parametrize("function, args, error", [
    ("foldCategories", (np.array([0.0, 1.0]), 2, ["a", "b"]), TypeError),
    ("foldCategories", (np.zeros((2, 2), int), 1, ["a"]), ValueError),
    ("bounds", (np.zeros(3), Z2), ValueError),
    ("bounds", (np.array([1 + 2j]), np.array([1.0])), TypeError),
    ("binPoints", (np.zeros(2, object), Z2, None, 0, W, (4, 4)), TypeError),
    ("binPoints", (Z2, Z2, None, 0, (0, 1, 0), (4, 4)), TypeError),
    ("binPoints", (Z2, Z2, None, 0, W, (4, -4)), ValueError),
    ("shade", (np.zeros((2, 2, 1), np.int64), ["red"]), TypeError),
    ("shade", (np.zeros((2, 2), np.uint32), ["red"]), ValueError),
    ("imageTrace", (RGBA.astype(np.float32), W, ["red"], (0, 0), []), TypeError),
    ("imageTrace", (RGBA, W, ["red"], (-1, 0), []), ValueError),
])
def test_bad_input_raises_the_ordinary_error(function, args, error):
    with pytest.raises(error):
        getattr(_raster, function)(*args)


def test_a_dask_cloud_on_a_host_without_dask_names_the_extra_to_install(monkeypatch):
    class Lazy:  # what the renderer looks for, without importing dask
        def __dask_graph__(self):
            return {}

    monkeypatch.setitem(sys.modules, "dask", None)  # import dask then fails
    with pytest.raises(ImportError, match=r"pip install 'tessarine\[dask\]'"):
        _render.rasterTraces(SimpleNamespace(full={"x": Lazy(), "y": Lazy()}))


# ---- in the browser ----

def screenshotPixel(page, x: float, y: float) -> tuple:
    shot = page.call("Page.captureScreenshot", {"format": "png", "clip": {
        "x": x - 1, "y": y - 1, "width": 3, "height": 3, "scale": 1}}, session=page.session)
    return tuple(decodePng(base64.b64decode(shot["data"]))[1, 1, :3])


@pytest.mark.browser
@pytest.mark.parametrize("upward, withScatter", [(True, False), (True, True), (False, False)])
def test_the_image_lands_the_right_way_up_in_the_browser(upward, withScatter):
    # Red in the top-left quarter of the data, blue in the bottom-right one; the plot spans 100-500 x 50-350 px.
    trace, *_ = rasterTrace(np.array([0.5, 3.5]), np.array([1.5, 0.5]), np.array([0, 1]), ["a", "b"],
                            {"a": "red", "b": "blue"}, window=(0.0, 4.0, 0.0, 2.0), shape=(2, 4))
    # The points family's traces may share the axes.
    data = [trace] + [{"type": "scatter", "x": [2], "y": [1], "mode": "markers", "marker": {"opacity": 0}}] * withScatter
    axis = {"showgrid": False, "zeroline": False}
    layout = {"width": 600, "height": 400, "showlegend": False, "margin": {"l": 100, "r": 100, "t": 50, "b": 50, "pad": 0},
              "xaxis": {"range": [0, 4], **axis}, "yaxis": {"range": [0, 2] if upward else [2, 0], **axis},
              "plot_bgcolor": "white"}
    judge({"data": data, "layout": layout}, {"displayModeBar": False}).assertClean()
    page = browser()
    page.evaluate(f"""(async () => {{
        const gd = document.createElement('div');
        gd.id = 'raster-check';
        gd.style.cssText = 'position:fixed;left:0;top:0;z-index:99999;background:white';
        document.body.appendChild(gd);
        const fig = {json.dumps({"data": data, "layout": layout})};
        await Plotly.newPlot(gd, fig.data, fig.layout, {{displayModeBar: false, staticPlot: true}});
        await new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve)));
    }})()""")
    try:
        at = [screenshotPixel(page, 100 + x / 4 * 400, 50 + (1 - y / 2 if upward else y / 2) * 300)
              for x, y in ((0.5, 1.5), (3.5, 0.5), (0.5, 0.5), (3.5, 1.5))]
        assert at == [(255, 0, 0), (0, 0, 255), (255, 255, 255), (255, 255, 255)]
    finally:
        page.evaluate("document.getElementById('raster-check').remove()")
