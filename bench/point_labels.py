"""Point labels: our placer against textalloc on the same volcano-like scene, time and labels placed.

1,000 points (effect ~ N(0, 1.5), significance growing with |effect|), the n farthest out
labelled with gene-like names, a 720 x 520 px drawing area, 12 px text. textalloc runs in this
process on a matplotlib Agg axes of the same pixel size (72 dpi, so 12 pt is 12 px), with
draw_all=False so that it leaves out what does not fit, as ours does. Rows:

- ours: `_layout.pointLabels`, everything included (text measuring, placement, annotations).
- textalloc allocate: the whole call; its boxes are matplotlib's text extents plus a 2 px
  margin, close to our boxes but not equal.
- textalloc core: its placement step alone, given exactly our boxes and points.
- "leaders clear": textalloc's avoid_label_lines_overlap=True, the rule ours always keeps
  (no leader through a label, no label on a leader); without it textalloc places more
  labels because its leaders may run under other labels.

The crowded rows (`--crowded`, no textalloc needed) build whole figures where labels crowd:
a volcano and graphs at a small requested size with large text, and a 60-node graph. They
print the share of labels placed (for a graph, at each node-size step) and how many are
shortened with an ellipsis.

Run: python bench/point_labels.py   (needs textalloc, which brings matplotlib)
     python bench/point_labels.py --crowded
"""

import sys
import time

import numpy as np
import pandas as pd

from tessarine.pl._interactive import _layout, _render, _spec, examples

WIDTH, HEIGHT, FONT_PX, MARKER_RADIUS = 720, 520, 12, 4.0
POINTS = 1000


def _scene(n, seed=0):
    rng = np.random.default_rng(seed)
    effect = rng.normal(size=POINTS) * 1.5
    logp = np.abs(rng.normal(size=POINTS)) * (1 + np.abs(effect))
    order = np.argsort(-np.hypot(effect, logp), kind="stable")[:n]
    letters = np.array(list("ABCDEFGHIJKLMNOPQRSTUVWXYZ"))
    names = ["".join(rng.choice(letters, size=rng.integers(2, 6))) + str(k) for k in range(n)]
    labels = [{"x": float(effect[i]), "y": float(logp[i]), "text": name} for i, name in zip(order, names)]
    pad = 0.05
    xRange = [effect.min() - pad * np.ptp(effect), effect.max() + pad * np.ptp(effect)]
    yRange = [logp.min() - pad * np.ptp(logp), logp.max() + pad * np.ptp(logp)]
    return labels, np.c_[effect, logp], xRange, yRange


def _best(fn, repeat):
    best, result = float("inf"), None
    for _ in range(repeat):
        start = time.perf_counter()
        result = fn()
        best = min(best, time.perf_counter() - start)
    return best, result


def _ours(labels, points, xRange, yRange):
    pts = points.tolist()
    return _best(lambda: len(_layout.pointLabels(labels, xRange, yRange, WIDTH, HEIGHT, points=pts,
                                                  fontPx=FONT_PX, markerRadius=MARKER_RADIUS)), 10)


def _axes(points, xRange, yRange):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    plt.rcParams["font.family"] = ["Liberation Sans", "DejaVu Sans"]
    fig = plt.figure(figsize=(WIDTH / 72, HEIGHT / 72), dpi=72)
    ax = fig.add_axes([0, 0, 1, 1])
    ax.scatter(points[:, 0], points[:, 1], s=(2 * MARKER_RADIUS) ** 2)
    ax.set_xlim(xRange)
    ax.set_ylim(yRange)
    return fig, ax


def _textallocAllocate(labels, points, xRange, yRange, leadersClear):
    import matplotlib.pyplot as plt
    import textalloc

    def run():
        fig, ax = _axes(points, xRange, yRange)
        texts, _, _, _ = textalloc.allocate(
            ax, [l["x"] for l in labels], [l["y"] for l in labels], [l["text"] for l in labels],
            x_scatter=points[:, 0], y_scatter=points[:, 1], scatter_sizes=np.full(len(points), MARKER_RADIUS),
            textsize=FONT_PX, margin=2 / WIDTH, draw_all=False, avoid_label_lines_overlap=leadersClear)
        plt.close(fig)
        return sum(t is not None for t in texts)

    return _best(run, 3)


def _textallocCore(labels, points, xRange, yRange, leadersClear):
    from textalloc.non_overlapping_boxes import get_non_overlapping_boxes

    # Our boxes: the drawn annotation box, the text's advances with up to 1 px of ink
    # overhang and 2 px of pad at each end across, 18 px high (what Chromium draws at 12 px).
    def pixels(v, r, length):
        return (np.asarray(v) - r[0]) / (r[1] - r[0]) * length

    xs = pixels([l["x"] for l in labels], xRange, WIDTH)
    ys = pixels([l["y"] for l in labels], yRange, HEIGHT)
    boxes = [(x, y, round(_layout.textWidth(l["text"], FONT_PX) + 6), 18, FONT_PX)
             for x, y, l in zip(xs, ys, labels)]
    scatter = np.c_[pixels(points[:, 0], xRange, WIDTH), pixels(points[:, 1], yRange, HEIGHT)]

    def run():
        placed, _ = get_non_overlapping_boxes(
            boxes, (0, WIDTH), (0, HEIGHT), WIDTH / HEIGHT, margin=0.0, min_distance=0.013, max_distance=0.2,
            verbose=False, nbr_candidates=200, draw_all=False, scatter_xy=scatter, lines_xyxy=None,
            scatter_sizes=np.full(len(scatter), MARKER_RADIUS), scatter_plot_bbs=None, text_scatter_sizes=None,
            direction=None, draw_lines=True, avoid_label_lines_overlap=leadersClear,
            avoid_crossing_label_lines=False, priority_strategy=None)
        return len(placed)

    return _best(run, 3)


# Cell-type names as users write them: long, with markers and descriptions.
_TYPES = ["CD8⁺ T cells — effector/memory (Tₑₘ)", "CD4⁺ naive T", "Regulatory T (FOXP3⁺)", "NK cells (CD56 bright)",
          "Classical monocytes", "Non-classical monocytes", "cDC1 (CLEC9A⁺)", "Plasmacytoid DC", "Naive B cells",
          "Memory B cells", "Plasma cells", "Platelets", "Erythroid progenitors", "HSPC", "SPP1⁺ macrophages",
          "Cancer-associated fibroblasts", "Endothelium (venous)", "Pericytes", "Tumour cells (cycling)", "Mast cells"]


_DESCRIPTIONS = ["interferon-induced protein", "zinc finger protein", "solute carrier family 7",
                 "long intergenic non-coding RNA", "ribosomal protein L", "heat shock protein family A"]


def _graph(nodes, seed, **common):
    rng = np.random.default_rng(seed)
    names = [f"{_TYPES[k % len(_TYPES)]} {k // len(_TYPES) + 1}" if nodes > len(_TYPES) else _TYPES[k]
             for k in range(nodes)]
    positions = {name: tuple(float(v) for v in rng.normal(size=2).round(4)) for name in names}
    pairs = [(a, b) for i, a in enumerate(names) for b in names[i + 1:] if rng.random() < 3 / nodes]
    edges = pd.DataFrame(pairs, columns=["source", "target"]).assign(weight=1.0)
    sizes = {name: round(float(rng.uniform(8, 20)), 2) for name in names}
    return _spec.Graph(edges=edges, positions=positions, names=names, nodeSizes=sizes, edgeLabel="link", **common)


def _crowdedFigures():
    """(name, figure, labels asked for) for figures whose labels crowd."""
    small = dict(width=350, height=300, fontPx=20)
    table = examples.differentialTable(features=2000, seed=5)
    # Gene names with their descriptions, as exported tables often carry them.
    table.index = [f"{gene} ({_DESCRIPTIONS[k % len(_DESCRIPTIONS)]})" for k, gene in enumerate(table.index)]
    volcano = _spec.Volcano(frame=table, top=30, **small)
    cases = [("volcano, 30 labels, 350 x 300, fontPx 20", volcano, 30),
             ("graph, 25 nodes, 350 x 300, fontPx 20", _graph(25, 1, **small), 25),
             ("graph, 60 nodes", _graph(60, 2), 60)]
    return [(name, _render.figureFor(spec), asked) for name, spec, asked in cases]


def _shownPerStep(fig):
    """Per size-slider step (one entry without one): the point labels it shows and how many are shortened."""
    labels = [(i, a) for i, a in enumerate(fig.layout.annotations) if a.xref == "x"]
    steps = [s for slider in fig.layout.sliders or () for s in slider.steps if s.method == "update"]
    views = [{i for i, a in labels if a.visible is not False}]
    if steps:
        views = [{i for i, _ in labels if step.args[1].get(f"annotations[{i}].visible")} for step in steps]
    texts = dict(labels)
    return [(len(v), sum(texts[i].text.endswith("…") for i in v)) for v in views]


def crowded():
    print(f"{'figure':<44} {'placed per step (shortened)':<40}")
    for name, fig, asked in _crowdedFigures():
        shown = _shownPerStep(fig)
        cells = "  ".join(f"{n / asked:.0%} ({short})" for n, short in shown)
        print(f"{name:<44} {cells}")


def main():
    if "--crowded" in sys.argv[1:]:
        return crowded()
    try:
        import textalloc  # noqa: F401
    except ImportError:
        raise SystemExit("textalloc is needed: pip install textalloc (the 'bench' extra)")
    print(f"{POINTS} points, {WIDTH} x {HEIGHT} px, {FONT_PX} px text; time is the best of several runs\n")
    print(f"{'labels':>6}  {'placer':<36} {'ms':>9} {'placed':>6} {'textalloc / ours':>17}")
    for n in (100, 500):
        scene = _scene(n)
        ours, placed = _ours(*scene)
        print(f"{n:>6}  {'ours':<36} {ours * 1e3:>9.1f} {placed:>6} {'':>17}")
        for name, fn, clear in [("textalloc allocate", _textallocAllocate, False),
                                ("textalloc allocate, leaders clear", _textallocAllocate, True),
                                ("textalloc core, our boxes", _textallocCore, False),
                                ("textalloc core, our boxes, leaders clear", _textallocCore, True)]:
            seconds, count = fn(*scene, clear)
            print(f"{'':>6}  {name:<36} {seconds * 1e3:>9.1f} {count:>6} {seconds / ours:>16.0f}x")


if __name__ == "__main__":
    main()
