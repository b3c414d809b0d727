"""The README's quick start runs as written, so it cannot drift from the package."""

import re
from pathlib import Path

import plotly.graph_objects as go

README = Path(__file__).resolve().parents[2] / "README.md"


def quickStartBlocks():
    text = README.read_text(encoding="utf-8")
    section = text.split("## Quick start\n", 1)[1].split("\n## ", 1)[0]
    return re.findall(r"```python\n(.*?)```", section, re.S)


def test_the_quick_start_draws_and_saves_both_examples(tmp_path, monkeypatch):
    blocks = quickStartBlocks()
    assert len(blocks) == 2  # cells, then a table
    monkeypatch.chdir(tmp_path)
    scope = {}
    for block in blocks:
        exec(compile(block, str(README), "exec"), scope)
        go.Figure(scope["fig"].to_dict())  # what the block drew passes plotly.py's validation
    pages = sorted(p.name for p in tmp_path.glob("*.html"))
    assert pages == ["cells.html", "genes.html"]
    assert all((tmp_path / page).stat().st_size > 100_000 for page in pages)  # self-contained, plotly.js inside
