"""Judges figures by what the plotly.js bundled with plotly.py draws in headless Chromium."""
from __future__ import annotations

import atexit
import fcntl
import json
import os
import select
import shutil
import subprocess
import tempfile
import time
from dataclasses import dataclass, field
from pathlib import Path

import plotly
import plotly.io as pio

FONT_FAMILY = "Arial, 'Liberation Sans', Helvetica, sans-serif"
PAGE_JS = Path(__file__).with_name("page.js")
PLOTLY_JS = Path(plotly.__file__).parent / "package_data" / "plotly.min.js"
# Everything that could reach the network is off; the proxy is a dead local port.
CHROMIUM_FLAGS = [
    "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run", "--no-default-browser-check",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--disable-extensions", "--disable-default-apps", "--mute-audio",
    "--proxy-server=127.0.0.1:9", "--proxy-bypass-list=<-loopback>",
    # Software WebGL without the deprecation warning the implicit fallback logs.
    "--enable-unsafe-swiftshader", "--window-size=1400,1000", "--remote-debugging-pipe",
]
# Only a hang should hit this: a large figure with many states takes tens of seconds.
TIMEOUT_S = 180.0
# A page is reloaded after this many figures, so that leftovers of old plots cannot pile up.
FIGURES_PER_PAGE = 25
# Browser-side log entries that say nothing about the figure.
IGNORED_LOG = ("GL Driver Message", "GPU stall due to ReadPixels", "Performance warning: clear() called with no buffers")


class BrowserError(RuntimeError):
    """Chromium could not be started or stopped answering."""


@dataclass
class Report:
    """What one figure looked like in the browser; see `assertClean` for what counts as a fault."""

    boxes: dict[str, list[dict]]
    overlaps: list[tuple[str, int, str, int]]
    modebar: list[str]
    cloud: list[str]
    errors: list[str]
    states: list[dict] = field(default_factory=list)
    initial: dict | None = None
    gl: bool = False
    # Point labels and notes lying on a drawn mark: (kind, index, "marker" | "line" | "fill", trace).
    marks: list[tuple[str, int, str, int]] = field(default_factory=list)

    @staticmethod
    def onMark(hit) -> bool:
        """A fault: a note on any mark, or a label on a marker or a filled area. A line
        through a point label leaves it legible, so that is counted (`crossings`), not failed."""
        kind, _, mark, _ = hit
        return kind == "note" or mark != "line"

    def crossings(self) -> list[tuple[int, int]]:
        """(state, label) pairs whose label a line runs through; state -1 is the figure as exported."""
        views = [(-1, self.marks)] + [(s, state.get("marks", [])) for s, state in enumerate(self.states)]
        return sorted({(s, i) for s, hits in views for kind, i, mark, _ in hits if kind == "pointlabel" and mark == "line"})

    def describe(self, kind: str, index: int, boxes: dict) -> str:
        listed = boxes.get(kind, [])
        box = listed[index] if index < len(listed) else {}
        label = f" {box['text']!r}" if box.get("text") else ""
        where = f" ({box['x0']:.1f},{box['y0']:.1f})-({box['x1']:.1f},{box['y1']:.1f})" if "x0" in box else ""
        return f"{kind}[{index}]{label}{where}"

    def overlapLines(self, pairs, boxes: dict) -> list[str]:
        return [f"{self.describe(kindA, a, boxes)} " + ("extends outside the figure" if kindB == "figure"
                                                       else f"overlaps {self.describe(kindB, b, boxes)}")
                for kindA, a, kindB, b in pairs]

    def markLines(self, hits, boxes: dict) -> list[str]:
        return [f"{self.describe(kind, i, boxes)} lies on a {mark} of trace {trace}"
                for kind, i, mark, trace in map(tuple, hits) if self.onMark((kind, i, mark, trace))]

    def problems(self) -> list[str]:
        lines = [f"error: {e}" for e in self.errors]
        lines += self.overlapLines(self.overlaps, self.boxes)
        lines += self.markLines(self.marks, self.boxes)
        lines += [f"mode bar offers to send the figure away: {name!r}" for name in self.cloud]
        for state in self.states:
            name = f"{state['control']} {state['menu']} item {state['item']} {state.get('label')!r}"
            lines += [f"{name}: error: {e}" for e in state.get("errors", [])]
            lines += [f"{name}: {fault}" for fault in state.get("faults", [])]
            # What the figure already shows as exported is reported once, above.
            fresh = [p for p in map(tuple, state.get("overlaps", [])) if p not in self.overlaps]
            lines += [f"{name}: {line}" for line in self.overlapLines(fresh, state.get("boxes", {}))]
            known = {tuple(h) for h in self.marks}
            fresh = [h for h in map(tuple, state.get("marks", [])) if h not in known]
            lines += [f"{name}: {line}" for line in self.markLines(fresh, state.get("boxes", {}))]
        return lines

    def assertClean(self) -> None:
        problems = self.problems()
        if problems:
            raise AssertionError("figure is not clean:\n  " + "\n  ".join(problems))


class _Browser:
    """One headless Chromium driven over the DevTools pipe, with one page holding plotly.js."""

    def __init__(self) -> None:
        executable = os.environ.get("TESS_CHROMIUM") or shutil.which("chromium") or shutil.which("chromium-browser")
        if not executable:
            raise BrowserError("no chromium on PATH (set TESS_CHROMIUM)")
        self.workDir = Path(tempfile.mkdtemp(prefix="tess-judge-"))
        page = self.workDir / "judge.html"
        page.write_text(
            '<!DOCTYPE html><html><head><meta charset="utf-8">'
            f'<script src="{PAGE_JS.as_uri()}"></script><script src="{PLOTLY_JS.as_uri()}"></script>'
            '</head><body style="margin:0"></body></html>', encoding="utf-8")
        self.pageUrl = page.as_uri()
        toBrowser, self.writeFd = os.pipe()
        self.readFd, fromBrowser = os.pipe()

        def wirePipe() -> None:
            # The DevTools pipe is fixed at fds 3 (commands in) and 4 (replies out); copying
            # above them first keeps one end from overwriting the other.
            copies = [fcntl.fcntl(fd, fcntl.F_DUPFD, 5) for fd in (toBrowser, fromBrowser)]
            os.dup2(copies[0], 3)
            os.dup2(copies[1], 4)

        self.process = subprocess.Popen(
            [executable, *CHROMIUM_FLAGS, f"--user-data-dir={self.workDir / 'profile'}", "about:blank"],
            preexec_fn=wirePipe, close_fds=False, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(toBrowser)
        os.close(fromBrowser)
        self.closed = False
        self.buffer = b""
        self.lastId = 0
        self.logs: list[str] = []
        self.loaded = False
        self.figuresOnPage = 0
        try:
            target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
            self.session = self.call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
            for domain in ("Page", "Runtime", "Log"):
                self.call(f"{domain}.enable", session=self.session)
            self.loadPage()
        except BaseException:
            self.close()
            raise

    def loadPage(self) -> None:
        self.loaded = False
        self.call("Page.navigate", {"url": self.pageUrl}, session=self.session)
        deadline = time.monotonic() + TIMEOUT_S
        while not self.loaded:
            self.noteEvent(self.receive(deadline))
        if self.evaluate("typeof Plotly + typeof tessJudge") != "objectfunction":
            raise BrowserError(f"judge page did not load: {self.logs}")
        self.logs.clear()
        self.figuresOnPage = 0

    def call(self, method: str, params: dict | None = None, session: str | None = None) -> dict:
        self.lastId += 1
        message = {"id": self.lastId, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        data = json.dumps(message).encode() + b"\0"
        while data:
            data = data[os.write(self.writeFd, data):]
        deadline = time.monotonic() + TIMEOUT_S
        while True:
            reply = self.receive(deadline)
            if reply.get("id") == self.lastId:
                if "error" in reply:
                    raise BrowserError(f"{method}: {reply['error']}")
                return reply["result"]
            self.noteEvent(reply)

    def receive(self, deadline: float) -> dict:
        while b"\0" not in self.buffer:
            remaining = deadline - time.monotonic()
            if remaining <= 0 or not select.select([self.readFd], [], [], remaining)[0]:
                raise BrowserError("Chromium did not answer in time")
            chunk = os.read(self.readFd, 1 << 20)
            if not chunk:
                raise BrowserError("Chromium closed the DevTools pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def noteEvent(self, event: dict) -> None:
        # Console output and exceptions are caught in the page; the Log domain adds what only
        # the browser sees, such as a blocked network request.
        if event.get("method") == "Page.loadEventFired":
            self.loaded = True
        if event.get("method") != "Log.entryAdded":
            return
        entry = event["params"]["entry"]
        if entry["level"] in ("error", "warning") and not any(s in entry["text"] for s in IGNORED_LOG):
            self.logs.append(f"browser {entry['source']} {entry['level']}: {entry['text']}")

    def evaluate(self, expression: str):
        result = self.call("Runtime.evaluate", {"expression": expression, "awaitPromise": True,
                                                "returnByValue": True}, session=self.session)
        if "exceptionDetails" in result:
            details = result["exceptionDetails"]
            raise BrowserError(details.get("exception", {}).get("description") or details.get("text"))
        return result["result"].get("value")

    def judge(self, figure: str, config: str, states: bool) -> dict:
        if self.figuresOnPage >= FIGURES_PER_PAGE:
            self.loadPage()
        self.logs.clear()
        self.figuresOnPage += 1
        raw = self.evaluate(f"tessJudge({json.dumps(figure)}, {json.dumps(config)}, {json.dumps(states)})")
        raw["errors"] += self.logs
        if raw["errors"] or raw["gl"]:
            # Start the next figure on a clean page: no stray state and no lingering GL contexts.
            self.figuresOnPage = FIGURES_PER_PAGE
        return raw

    def close(self) -> None:
        if self.closed:
            return  # the descriptors may belong to someone else by now
        self.closed = True
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        os.close(self.readFd)
        os.close(self.writeFd)
        # Helper processes may still write into the profile for a moment after the browser exits.
        for _ in range(20):
            shutil.rmtree(self.workDir, ignore_errors=True)
            if not self.workDir.exists():
                break
            time.sleep(0.1)


_browser: _Browser | None = None


def browser() -> _Browser:
    """The process-wide browser, started on first use and stopped at exit."""
    global _browser
    if _browser is not None and _browser.process.poll() is not None:
        _browser.close()
        _browser = None
    if _browser is None:
        _browser = _Browser()
        atexit.register(_browser.close)
    return _browser


def _run(task):
    """Runs task on the shared browser; a browser that hung is replaced before the error propagates."""
    global _browser
    current = browser()
    try:
        return task(current)
    except BrowserError:
        current.close()
        _browser = None
        raise


def judge(fig, config: dict | None = None, states: bool = True) -> Report:
    """Plots fig (a plotly Figure or dict) with config and reports what was drawn.

    With states, every updatemenu button and slider step is applied to a fresh copy of the
    figure and what it then shows is recorded in `Report.states`.
    """
    figure = pio.to_json(fig, validate=False)
    raw = _run(lambda b: b.judge(figure, json.dumps(config or {}), states))
    return Report(**{**raw, "overlaps": [tuple(p) for p in raw["overlaps"]], "marks": [tuple(h) for h in raw["marks"]]})


def measureTextWidths(labels: list[str], fontPx: float, bold: bool = False) -> list[float]:
    """Widths Chromium gives these labels as SVG text in the pinned font family."""
    arguments = ", ".join(json.dumps(v) for v in (list(labels), fontPx, bold, FONT_FAMILY))
    return _run(lambda b: b.evaluate(f"tessTextWidths({arguments})"))
