"""The figure type the renderer hands back."""

from copy import deepcopy

import plotly.graph_objects as go
from _plotly_utils.utils import convert_to_base64, is_skipped_key

from . import _render


class Figure(go.Figure):
    """A plotly Figure whose plain form encodes the renderer's arrays in compiled code.

    Everything that writes a page (`show`, `write_html`, `to_html`, `to_json`) starts from
    `to_dict`. plotly.py copies each array there and base64-encodes it one at a time; the
    renderer's arrays are read-only, so their bytes are encoded as they are, on every core.
    Text arrays become lists, which orjson writes directly (on an object array plotly.py
    falls back to cleaning the whole figure in Python). The JSON is the one plotly.py's own
    `to_dict` gives for the same figure.
    """

    def to_dict(self):
        res = {"data": deepcopy(self._data), "layout": deepcopy(self._layout)}
        frames = deepcopy([frame._props for frame in self._frame_objs])
        if frames:
            res["frames"] = frames
        _render._encodeArrays(res, is_skipped_key)
        convert_to_base64(res)  # arrays that are not the renderer's, as plotly.py writes them
        return res
