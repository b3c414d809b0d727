"""What the figure benchmarks share: each side builds in a fresh process of its own, so that
peak memory (max RSS) is its own, and the faster of two runs is kept.

A benchmark script defines `_ours(*args)` and `_peer(*args)`, each returning (seconds,
[figures]), and calls `child(sys.argv)` first thing in `main`.
"""

import json
import resource
import subprocess
import sys
import time

HEADER = (f"{'ours s':>8} {'px s':>8} {'speed-up':>8} {'ours MB':>8} {'px MB':>8} {'size':>6} "
          f"{'ours peak':>9} {'px peak':>8} {'ours page s':>11} {'px page s':>9}")


def _measure(build, args):
    import plotly.graph_objects as go

    go.Figure()  # plotly's validators load once, outside the timing
    elapsed, figs = build(*args)
    start = time.perf_counter()
    size = sum(len(f.to_html(include_plotlyjs=False, full_html=True)) for f in figs)
    writing = time.perf_counter() - start
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
    return {"seconds": elapsed, "bytes": size, "peakBytes": peak, "pageSeconds": writing}


def child(module, argv):
    """In a child process (`--child side args...`), measures that side and exits."""
    if len(argv) > 2 and argv[1] == "--child":
        build = module._ours if argv[2] == "ours" else module._peer
        print(json.dumps(_measure(build, [int(a) for a in argv[3:]])))
        sys.exit(0)


def fastest(script, side, *args):
    """The faster of two fresh-process runs of one side."""
    runs = [json.loads(subprocess.run([sys.executable, script, "--child", side, *map(str, args)], check=True,
                                      capture_output=True, text=True).stdout) for _ in range(2)]
    return min(runs, key=lambda r: r["seconds"])


def compare(script, *args):
    """Both sides' measurements and the ratios: (ours, peer, speed-up, size ratio, row text)."""
    ours, peer = fastest(script, "ours", *args), fastest(script, "peer", *args)
    speedUp, size = peer["seconds"] / ours["seconds"], ours["bytes"] / peer["bytes"]
    row = (f"{ours['seconds']:>8.2f} {peer['seconds']:>8.2f} {speedUp:>7.1f}x {ours['bytes'] / 1e6:>8.1f} "
           f"{peer['bytes'] / 1e6:>8.1f} {size:>6.2f} {ours['peakBytes'] / 1e6:>8.0f}M {peer['peakBytes'] / 1e6:>7.0f}M "
           f"{ours['pageSeconds']:>11.2f} {peer['pageSeconds']:>9.2f}")
    return ours, peer, speedUp, size, row


def targets(speedUp, size, speedTarget, sizeTarget):
    """The line that says whether the ratios meet their targets."""
    return (f"targets: speed-up >= {speedTarget:.0f}x {'met' if speedUp >= speedTarget else 'MISSED'}, "
            f"size <= {sizeTarget} {'met' if size <= sizeTarget else 'MISSED'}")
