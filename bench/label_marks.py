"""Labels against marks, as the browser judge measures them: for each control state of gallery
pages (or golden figure files), how many point labels a line runs through and how many labels or
notes lie on a mark.

Run: python bench/label_marks.py graph-signalling graph-clusters curves-survival
     python bench/label_marks.py tests/python/golden/graph-clusters.json   (a figure as kept)
"""
import json
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "python"))
import plotly.graph_objects as go
from browser.judge import judge

from tessarine.pl._interactive import examples


def measure(name, fig, config):
    report = judge(fig, config)
    views = [("exported", report.boxes, report.marks)] + [
        (f"{s['control']}{s['menu']}:{s.get('label')}", s.get("boxes", {}), s.get("marks", [])) for s in report.states]
    positions = crossings = onMarks = 0
    for label, boxes, hits in views:
        n = len(boxes.get("pointlabel", []))
        cross = {i for k, i, m, _ in hits if k == "pointlabel" and m == "line"}
        on = {(k, i) for k, i, m, _ in hits if (k == "note" or m != "line")}
        positions += n
        crossings += len(cross)
        onMarks += len(on)
        print(f"  {name:<18} {label:<28} labels {n:>3}  crossing a line {len(cross):>3}  on a mark {len(on):>3}")
    share = crossings / positions if positions else 0
    print(f"{name}: {positions} label positions, {crossings} cross a line ({share:.1%}), {onMarks} label/note positions on a mark\n")


for stem in sys.argv[1:]:
    if stem.endswith(".json"):
        fig = go.Figure(json.load(open(stem)), skip_invalid=True)
        measure(stem.rsplit("/", 1)[-1], fig, {"displaylogo": False})
    else:
        make = dict((s, m) for s, _, m in examples.EXAMPLES)[stem]
        measure(stem, *examples.figureAndConfig(make))
