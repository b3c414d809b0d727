"""What the figure benchmarks share: each side builds in a fresh process of its own, so that
peak memory (max RSS) is its own, and the faster of two runs is kept.

Besides the build (spec to Figure), each side is timed to the page a user waits for: spec to
HTML through `to_html`, and through `write_html` to a file, with plotly.js left out of the
page and the JSON engine the installed dependencies give plotly.py (`BENCH_JSON_ENGINE=json`
measures with plotly.py's other engine).

A benchmark script defines `_ours(*args)` and `_peer(*args)`, each returning (seconds,
[figures]), and calls `child(sys.argv)` first thing in `main`.
"""

import json
import os
import resource
import subprocess
import sys
import tempfile
import time

HEADER = (f"{'ours s':>8} {'px s':>8} {'speed-up':>8} {'ours MB':>8} {'px MB':>8} {'size':>6} "
          f"{'ours peak':>9} {'px peak':>8} {'to_html: ours s':>15} {'px s':>6} {'x':>5} "
          f"{'write_html: ours s':>18} {'px s':>6} {'x':>5}")
TIMES = ("seconds", "htmlSeconds", "writeSeconds")


def _measure(build, args):
    import plotly.graph_objects as go
    import plotly.io as pio

    pio.json.config.default_engine = os.environ.get("BENCH_JSON_ENGINE", "auto")
    go.Figure()  # plotly's validators load once, outside the timing
    elapsed, figs = build(*args)
    start = time.perf_counter()
    size = sum(len(f.to_html(include_plotlyjs=False, full_html=True)) for f in figs)
    html = time.perf_counter() - start
    with tempfile.TemporaryDirectory() as folder:
        start = time.perf_counter()
        for i, f in enumerate(figs):
            f.write_html(os.path.join(folder, f"{i}.html"), include_plotlyjs=False, full_html=True)
        written = time.perf_counter() - start
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
    # Page times count from the spec: the wait a user sees.
    return {"seconds": elapsed, "bytes": size, "peakBytes": peak, "htmlSeconds": elapsed + html,
            "writeSeconds": elapsed + written}


def shape(text):
    """An argument such as "2000x50" as a tuple of ints."""
    return tuple(int(part) for part in text.lower().split("x"))


def child(module, argv):
    """In a child process (`--child side args...`), measures that side and exits."""
    if len(argv) > 2 and argv[1] == "--child":
        build = module._ours if argv[2] == "ours" else module._peer
        print(json.dumps(_measure(build, [int(a) for a in argv[3:]])))
        sys.exit(0)


def fastest(script, side, *args):
    """Of two fresh-process runs of one side, the faster build with its sizes, and each time at its best."""
    runs = [json.loads(subprocess.run([sys.executable, script, "--child", side, *map(str, args)], check=True,
                                      capture_output=True, text=True).stdout) for _ in range(2)]
    best = dict(min(runs, key=lambda r: r["seconds"]))
    best.update({key: min(r[key] for r in runs) for key in TIMES})
    return best


def compare(script, *args):
    """Both sides' measurements and the ratios: (ours, peer, speed-up, size ratio, row text)."""
    ours, peer = fastest(script, "ours", *args), fastest(script, "peer", *args)
    speedUp, size = peer["seconds"] / ours["seconds"], ours["bytes"] / peer["bytes"]
    row = (f"{ours['seconds']:>8.2f} {peer['seconds']:>8.2f} {speedUp:>7.1f}x {ours['bytes'] / 1e6:>8.1f} "
           f"{peer['bytes'] / 1e6:>8.1f} {size:>6.2f} {ours['peakBytes'] / 1e6:>8.0f}M {peer['peakBytes'] / 1e6:>7.0f}M "
           f"{ours['htmlSeconds']:>15.2f} {peer['htmlSeconds']:>6.2f} {peer['htmlSeconds'] / ours['htmlSeconds']:>4.1f}x "
           f"{ours['writeSeconds']:>18.2f} {peer['writeSeconds']:>6.2f} {peer['writeSeconds'] / ours['writeSeconds']:>4.1f}x")
    return ours, peer, speedUp, size, row


def targets(speedUp, size, speedTarget, sizeTarget):
    """The line that says whether the ratios meet their targets."""
    return (f"targets: speed-up >= {speedTarget:.0f}x {'met' if speedUp >= speedTarget else 'MISSED'}, "
            f"size <= {sizeTarget} {'met' if size <= sizeTarget else 'MISSED'}")


def pageTargets(ours, peer, size, htmlTarget, sizeTarget):
    """The line that says whether spec to page (to_html) and the page's size meet their targets."""
    html = peer["htmlSeconds"] / ours["htmlSeconds"]
    return (f"targets: spec to page (to_html) >= {htmlTarget:.0f}x {'met' if html >= htmlTarget else 'MISSED'}, "
            f"page <= {sizeTarget} {'met' if size <= sizeTarget else 'MISSED'}")
