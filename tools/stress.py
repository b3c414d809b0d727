"""Judges seeded stress figures in every control state and prints the failures and the count.

    .venv/bin/python tools/stress.py --count 220 [--start 0] [--family curves] [--quiet]

A failing figure is reproduced by its seed: `stressSpec(seed)` in tests/python/stress.py.
"""
from __future__ import annotations

import argparse
import collections
import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "python"))

from browser.judge import judge  # noqa: E402
from stress import FAMILIES, stressSpec  # noqa: E402

from tessarine.pl._interactive import _render  # noqa: E402


def problemsOf(seed: int) -> list[str]:
    _, spec = stressSpec(seed)
    try:
        fig, config = _render.figureFor(spec), _render.configFor(spec)
    except Exception as error:  # a valid spec that fails to build is itself a fault
        return [f"build raised {type(error).__name__}: {error}"]
    return judge(fig, config).problems()


def kindOf(problem: str) -> str:
    """A problem's kinds of box, without positions, texts or indices: what to count."""
    problem = re.sub(r"'[^']*'|\"[^\"]*\"|\([^)]*\)", "", problem.split(": ", 1)[-1] if "item" in problem else problem)
    return re.sub(r"\[\d+\]|\d+", "", problem).strip()


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("--count", type=int, default=220)
    parser.add_argument("--start", type=int, default=0)
    parser.add_argument("--family", choices=FAMILIES)
    parser.add_argument("--quiet", action="store_true", help="only the summary")
    args = parser.parse_args()
    seeds = [s for s in range(args.start, args.start + args.count)
             if not args.family or FAMILIES[s % len(FAMILIES)] == args.family]
    failed, kinds, perFamily = [], collections.Counter(), collections.Counter()
    for seed in seeds:
        problems = problemsOf(seed)
        if not problems:
            continue
        family = FAMILIES[seed % len(FAMILIES)]
        failed.append(seed)
        perFamily[family] += 1
        kinds.update({kindOf(p) for p in problems})
        if not args.quiet:
            print(f"seed {seed} ({family}): {len(problems)} problem(s)")
            for line in problems[:8]:
                print(f"    {line}")
    print(f"\n{len(seeds) - len(failed)} of {len(seeds)} figures pass in every state")
    print("failing figures per family:", dict(perFamily))
    print("figures per kind of fault:")
    for kind, count in kinds.most_common():
        print(f"  {count:4d}  {kind}")
    print("failing seeds:", " ".join(map(str, failed)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
