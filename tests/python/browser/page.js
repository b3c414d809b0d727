// In-page half of the browser judge: plots one figure, measures what plotly.js drew,
// applies every control state, and returns a plain report object.
"use strict";

(function () {
  // Loaded before plotly.js so that everything plotly logs is caught.
  const errors = [];
  // The message and the innermost frames are enough to find the fault.
  const brief = (e) => (e === undefined ? "rejected with no reason"
    : e && e.stack ? e.stack.split("\n").slice(0, 3).join("\n") : String(e));
  const json = (value) => { try { return JSON.stringify(value); } catch (e) { return String(value); } };
  const describe = (args) => Array.from(args).map((a) =>
    a instanceof Error ? brief(a) : typeof a === "object" ? json(a) : String(a)).join(" ");
  for (const level of ["error", "warn", "trace"]) {
    const original = console[level].bind(console);
    console[level] = function () {
      // plotly.js reports its warnings through console.trace("WARN:", ...).
      errors.push(`console.${level}: ${describe(arguments)}`);
      return original.apply(null, arguments);
    };
  }
  window.addEventListener("error", (e) =>
    errors.push(`uncaught: ${e.error ? brief(e.error) : e.message}`));
  window.addEventListener("unhandledrejection", (e) =>
    errors.push(`unhandled rejection: ${brief(e.reason)}`));

  const TOLERANCE = 0.5;
  // Kinds that belong inside the drawing area and may cover it.
  const INSIDE = new Set(["pointlabel", "note"]);
  // Per-point attributes whose dimensionality a control state must keep.
  const SHAPED = ["x", "y", "z", "customdata", "ids", "marker.size", "lat", "lon"];
  // Per-point attributes that must stay as long as the trace's coordinates.
  const PER_POINT = ["marker.size", "marker.color", "text", "hovertext", "customdata", "ids"];
  const CLOUD = /share|cloud|chart studio|edit in|upload|publish/i;

  const isArrayLike = (v) => Array.isArray(v) || (ArrayBuffer.isView(v) && !(v instanceof DataView));
  const nextFrame = () => new Promise((resolve) => requestAnimationFrame(() => resolve()));

  const nested = (obj, path) => path.split(".").reduce((value, key) => (value == null ? undefined : value[key]), obj);

  const TYPED = { i1: Int8Array, u1: Uint8Array, u1c: Uint8ClampedArray, i2: Int16Array, u2: Uint16Array,
    i4: Int32Array, u4: Uint32Array, f4: Float32Array, f8: Float64Array };

  // Input data may still hold base64 typed-array records; read them as the arrays they stand for.
  function decoded(v) {
    // plotly.js leaves bdata/dtype/shape on the arrays it decoded, so arrays come first.
    if (isArrayLike(v) || !v || typeof v !== "object" || typeof v.bdata !== "string" || !TYPED[v.dtype]) return v;
    try {
      const bytes = Uint8Array.from(atob(v.bdata), (c) => c.charCodeAt(0));
      const flat = new TYPED[v.dtype](bytes.buffer);
      const dims = String(v.shape || flat.length).split(",").map(Number);
      if (dims.length < 2) return flat;
      const cols = dims[1];
      return Array.from({ length: flat.length / cols }, (_, r) => flat.subarray(r * cols, (r + 1) * cols));
    } catch (e) {
      return v;  // plotly.js reports the broken record itself
    }
  }

  const valueAt = (obj, path) => decoded(nested(obj, path));

  function isHidden(el) {
    for (let node = el; node instanceof Element; node = node.parentNode) {
      const style = getComputedStyle(node);
      if (style.display === "none" || style.visibility === "hidden" || parseFloat(style.opacity) === 0) return true;
    }
    return false;
  }

  // Corners of el's own bounding box mapped to page pixels relative to origin; rotated
  // text keeps its true outline instead of a loose axis-aligned hull.
  function corners(el, origin, b) {
    const m = el.getScreenCTM();
    return [[b.x, b.y], [b.x + b.width, b.y], [b.x + b.width, b.y + b.height], [b.x, b.y + b.height]]
      .map(([x, y]) => [m.a * x + m.c * y + m.e - origin.left, m.b * x + m.d * y + m.f - origin.top]);
  }

  // Every box but the mode bar's and a heading's lines is an SVG element's.
  function boxOf(el, origin, extra) {
    if (!el || isHidden(el)) return null;
    const b = el.getBBox();
    if (b.width <= 0 || b.height <= 0) return null;
    const pts = corners(el, origin, b);
    const xs = pts.map((p) => p[0]);
    const ys = pts.map((p) => p[1]);
    const box = { x0: Math.min(...xs), y0: Math.min(...ys), x1: Math.max(...xs), y1: Math.max(...ys) };
    const rotated = Math.abs(pts[0][1] - pts[1][1]) > 1e-6 || Math.abs(pts[0][0] - pts[3][0]) > 1e-6;
    if (rotated) box.corners = pts;
    return Object.assign(box, extra || {});
  }

  // An HTML element's or a tspan's page rectangle, relative to origin.
  const rectBox = (r, origin, extra) => (r.width > 0 ? { x0: r.left - origin.left, y0: r.top - origin.top,
    x1: r.right - origin.left, y1: r.bottom - origin.top, ...extra } : null);

  const text = (el) => (el ? el.textContent : "");
  const idOf = (cls, prefix, suffix) => {
    const m = new RegExp(`^${prefix}(.*)${suffix}$`).exec(cls);
    return m ? m[1] : null;
  };

  function annotationKind(ann) {
    const ref = (r) => r === "paper" || / domain$/.test(r || "");
    if (!ref(ann.xref) || !ref(ann.yref)) return "pointlabel";
    const inside = (v) => typeof v === "number" && v >= 0 && v <= 1;
    return inside(ann.x) && inside(ann.y) ? "note" : "caption";
  }

  function measureBoxes(gd) {
    const svg = gd.querySelector(".main-svg");
    const origin = svg.getBoundingClientRect();
    const fl = gd._fullLayout;
    const boxes = {};
    const add = (kind, box) => { if (box) (boxes[kind] = boxes[kind] || []).push(box); };
    const info = gd.querySelector(".infolayer");

    add("figure", { x0: 0, y0: 0, x1: origin.width, y1: origin.height });
    // The mode bar shows over the figure whenever the pointer is on it: measured as shown.
    const bar = gd.querySelector(".modebar");
    if (bar) add("modebar", rectBox(bar.getBoundingClientRect(), origin));
    for (const rect of gd.querySelectorAll(".draglayer .nsewdrag")) {
      add("plot", boxOf(rect, origin, { subplot: rect.parentNode.getAttribute("class") }));
    }
    for (const [kind, selector] of [["title", ".gtitle"], ["subtitle", ".gtitle-subtitle"]]) {
      const el = info.querySelector(`.g-gtitle ${selector}`);
      // A heading of several lines is as many boxes: a short first line leaves its corner free.
      const lines = el && !isHidden(el) ? el.querySelectorAll("tspan.line") : [];
      if (lines.length > 1) {
        for (const line of lines) add(kind, rectBox(line.getBoundingClientRect(), origin, { text: line.textContent }));
      } else {
        add(kind, boxOf(el, origin, { text: text(el) }));
      }
    }
    for (const g of info.children) {
      const cls = g.getAttribute("class") || "";
      if (/^legend\d*$/.test(cls)) {
        add("legend", boxOf(g.querySelector(":scope > .bg") || g, origin, { legend: cls, text: text(g) }));
      } else if (/(^| )colorbar( |$)/.test(cls)) {
        const uid = idOf(cls.split(" ")[0], "cb", "");
        const trace = gd._fullData.findIndex((t) => t.uid === uid);
        add("colorbar", boxOf(g, origin, { trace }));
      } else {
        const axis = idOf(cls, "g-", "title");
        if (axis && /^[xy]\d*$/.test(axis)) add(`${axis[0]}title`, boxOf(g, origin, { axis, text: text(g) }));
      }
    }
    for (const g of gd.querySelectorAll(".infolayer .annotation")) {
      const index = Number(g.getAttribute("data-index"));
      const ann = fl.annotations[index] || {};
      const textG = g.querySelector(".annotation-text-g") || g;
      add(annotationKind(ann), boxOf(textG, origin, { annotation: index, text: text(g) }));
    }
    for (const g of gd.querySelectorAll(".updatemenu-container > .updatemenu-header-group")) {
      const menu = g.__data__ || {};
      add(menu.type === "buttons" ? "buttons" : "dropdown",
        boxOf(g, origin, { menu: menu._index, text: text(g) }));
    }
    for (const g of gd.querySelectorAll(".slider-container > .slider-group")) {
      const slider = (g.__data__ || {})._index;
      add("slider", boxOf(g, origin, { slider, text: text(g.querySelector(".slider-label")) }));
    }
    for (const layer of gd.querySelectorAll(".cartesianlayer .xaxislayer-above, .cartesianlayer .yaxislayer-above")) {
      for (const g of layer.children) {
        const axis = idOf(g.getAttribute("class") || "", "", "tick");
        const label = g.querySelector("text");
        if (!axis || !label || !label.textContent) continue;
        const ax = fl[`${axis[0]}axis${axis.slice(1)}`] || {};
        // Labels drawn inside the plot belong there, like point labels.
        const inside = /inside/.test(ax.ticklabelposition || "") ? { inside: true } : {};
        add(`${axis[0]}tick`, boxOf(label, origin, { axis, text: label.textContent, ...inside }));
      }
    }
    return boxes;
  }

  function polygon(box) {
    return box.corners || [[box.x0, box.y0], [box.x1, box.y0], [box.x1, box.y1], [box.x0, box.y1]];
  }

  // Separating-axis test: the smallest penetration over both polygons' edge normals.
  function penetration(a, b) {
    // Most pairs are far apart; their hulls settle it.
    const hullX = Math.min(a.x1, b.x1) - Math.max(a.x0, b.x0);
    const hullY = Math.min(a.y1, b.y1) - Math.max(a.y0, b.y0);
    if (hullX <= TOLERANCE || hullY <= TOLERANCE) return 0;
    const pa = polygon(a);
    const pb = polygon(b);
    let depth = Infinity;
    for (const poly of [pa, pb]) {
      for (let i = 0; i < poly.length; i++) {
        const [x0, y0] = poly[i];
        const [x1, y1] = poly[(i + 1) % poly.length];
        const len = Math.hypot(x1 - x0, y1 - y0);
        if (len === 0) continue;
        const nx = (y0 - y1) / len;
        const ny = (x1 - x0) / len;
        const project = (pts) => pts.map(([x, y]) => x * nx + y * ny);
        const ra = project(pa);
        const rb = project(pb);
        const overlap = Math.min(Math.max(...ra), Math.max(...rb)) - Math.max(Math.min(...ra), Math.min(...rb));
        if (overlap <= 0) return 0;
        depth = Math.min(depth, overlap);
      }
    }
    return depth;
  }

  function findOverlaps(boxes) {
    const items = [];
    for (const [kind, list] of Object.entries(boxes)) {
      if (kind === "figure" || kind === "plot") continue;
      list.forEach((box, index) => items.push({ kind, index, box }));
    }
    const pairs = [];
    for (let i = 0; i < items.length; i++) {
      for (let j = i + 1; j < items.length; j++) {
        if (penetration(items[i].box, items[j].box) > TOLERANCE) {
          pairs.push([items[i].kind, items[i].index, items[j].kind, items[j].index]);
        }
      }
      if (INSIDE.has(items[i].kind) || items[i].box.inside === true) continue;
      (boxes.plot || []).forEach((plot, p) => {
        if (penetration(items[i].box, plot) > TOLERANCE) pairs.push([items[i].kind, items[i].index, "plot", p]);
      });
    }
    const fig = boxes.figure[0];
    for (const [kind, list] of Object.entries(boxes)) {
      if (kind === "figure") continue;
      list.forEach((box, index) => {
        const out = Math.max(fig.x0 - box.x0, fig.y0 - box.y0, box.x1 - fig.x1, box.y1 - fig.y1);
        if (out > TOLERANCE) pairs.push([kind, index, "figure", 0]);
      });
    }
    return pairs;
  }

  // Marks drawn in the plots, in page pixels relative to origin: markers (discs or convex
  // outlines), lines (segments with their stroke width) and filled areas (closed rings).
  const SUBPATH = /([MLHVZCSQTA])([^MLHVZCSQTA]*)/gi;

  // The vertices of an SVG path's subpaths, absolute; curves and arcs by their end points.
  function pathRings(d) {
    const rings = [];
    let ring = null, x = 0, y = 0, arc = false;
    for (const [, command, args] of (d || "").matchAll(SUBPATH)) {
      const v = (args.match(/-?(?:\d+\.?\d*|\.\d+)(?:e[-+]?\d+)?/gi) || []).map(Number);
      const rel = command === command.toLowerCase();
      const c = command.toUpperCase();
      if (c === "Z") { if (ring) ring.closed = true; continue; }
      const size = { M: 2, L: 2, T: 2, H: 1, V: 1, C: 6, S: 4, Q: 4, A: 7 }[c];
      for (let i = 0; i + size <= v.length; i += size) {
        if (c === "H") x = (rel ? x : 0) + v[i];
        else if (c === "V") y = (rel ? y : 0) + v[i];
        else { x = (rel ? x : 0) + v[i + size - 2]; y = (rel ? y : 0) + v[i + size - 1]; }
        if (c === "A") arc = true;
        if (c === "M" && i === 0) rings.push(ring = Object.assign([], { closed: false }));
        ring.push([x, y]);
      }
    }
    return { rings, arc };
  }

  const toPage = (m, origin) => ([x, y]) => [m.a * x + m.c * y + m.e - origin.left, m.b * x + m.d * y + m.f - origin.top];

  function hull(points) {
    const pts = points.slice().sort((a, b) => a[0] - b[0] || a[1] - b[1]);
    const cross = (o, a, b) => (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
    const half = (list) => list.reduce((h, p) => {
      while (h.length >= 2 && cross(h[h.length - 2], h[h.length - 1], p) <= 0) h.pop();
      h.push(p);
      return h;
    }, []);
    const lower = half(pts), upper = half(pts.reverse());
    return lower.slice(0, -1).concat(upper.slice(0, -1));
  }

  // plotly writes a colour's alpha as fill-opacity or stroke-opacity.
  const painted = (colour, opacity) => colour && colour !== "none" && !/rgba\([^)]*,\s*0\)$/.test(colour) &&
    parseFloat(opacity) !== 0;

  function boundsOf(points) {
    const xs = points.map((p) => p[0]), ys = points.map((p) => p[1]);
    return { x0: Math.min(...xs), y0: Math.min(...ys), x1: Math.max(...xs), y1: Math.max(...ys) };
  }

  function measureMarks(gd) {
    const origin = gd.querySelector(".main-svg").getBoundingClientRect();
    const marks = { marker: [], line: [], fill: [] };
    for (const g of gd.querySelectorAll(".scatterlayer .trace")) {
      const trace = ((g.__data__ || [])[0] || {}).trace || {};
      if (trace.visible !== true || isHidden(g)) continue;
      for (const p of g.querySelectorAll("path.point")) {
        // plotly styles each point inline; reading that is far cheaper than computing the style.
        const style = p.style;
        const stroked = painted(style.stroke, style.strokeOpacity) && parseFloat(style.strokeWidth) > 0;
        if ((!painted(style.fill, style.fillOpacity) && !stroked) || parseFloat(style.opacity) === 0) continue;
        const { rings, arc } = pathRings(p.getAttribute("d"));
        // Round symbols are discs (the box of their geometry); the others their convex outline.
        const pts = arc ? corners(p, origin, p.getBBox()) : rings.flat().map(toPage(p.getScreenCTM(), origin));
        if (pts.length < 2) continue;
        const b = boundsOf(pts);
        const mark = arc ? { disc: [(b.x0 + b.x1) / 2, (b.y0 + b.y1) / 2, Math.max(b.x1 - b.x0, b.y1 - b.y0) / 2] }
          : { corners: hull(pts) };
        marks.marker.push(Object.assign(b, mark, { trace: trace.index }));
      }
      for (const p of g.querySelectorAll("path.js-line")) {
        const style = getComputedStyle(p);
        const width = parseFloat(style.strokeWidth) || 0;
        if (!painted(style.stroke, style.strokeOpacity) || width <= 0) continue;
        const m = toPage(p.getScreenCTM(), origin);
        const segments = [];
        for (const ring of pathRings(p.getAttribute("d")).rings) {
          const pts = ring.map(m);
          if (ring.closed) pts.push(pts[0]);
          for (let i = 1; i < pts.length; i++) segments.push([pts[i - 1], pts[i]]);
        }
        if (segments.length) marks.line.push({ segments, width, trace: trace.index });
      }
      for (const p of g.querySelectorAll("path.js-fill, path.js-tonext")) {
        const style = getComputedStyle(p);
        if (!painted(style.fill, style.fillOpacity)) continue;
        const m = toPage(p.getScreenCTM(), origin);
        const rings = pathRings(p.getAttribute("d")).rings.map((r) => r.map(m)).filter((r) => r.length >= 3);
        if (rings.length) marks.fill.push({ rings, trace: trace.index });
      }
    }
    // WebGL markers have no element: their centres come from the data through plotly's axes.
    gd._fullData.forEach((trace, t) => {
      if (trace.type !== "scattergl" || trace.visible !== true || !/markers/.test(trace.mode || "")) return;
      const xa = gd._fullLayout[`xaxis${(trace.xaxis || "x").slice(1)}`];
      const ya = gd._fullLayout[`yaxis${(trace.yaxis || "y").slice(1)}`];
      const xs = decoded(trace.x) || [], ys = decoded(trace.y) || [];
      const size = decoded(trace.marker.size), opacity = decoded(trace.marker.opacity);
      for (let i = 0; i < Math.min(xs.length, ys.length); i++) {
        const r = (isArrayLike(size) ? size[i] : size) / 2;
        if (!(r > 0) || (isArrayLike(opacity) ? opacity[i] : opacity) === 0) continue;
        const x = xa._offset + xa.c2p(xa.d2c(xs[i])), y = ya._offset + ya.c2p(ya.d2c(ys[i]));
        if (!Number.isFinite(x) || !Number.isFinite(y)) continue;
        marks.marker.push({ x0: x - r, y0: y - r, x1: x + r, y1: y + r, disc: [x, y, r], trace: t });
      }
    });
    return marks;
  }

  // How deep a box reaches into a disc, and whether a segment (widened by its stroke) or a
  // ring's edge or inside meets a box shrunk by the tolerance.
  function discDepth(box, [cx, cy, r]) {
    const nx = Math.min(Math.max(cx, box.x0), box.x1), ny = Math.min(Math.max(cy, box.y0), box.y1);
    return r - Math.hypot(nx - cx, ny - cy);
  }

  function segmentMeets(box, [[ax, ay], [bx, by]]) {
    // Liang-Barsky clipping of the segment to the box.
    let t0 = 0, t1 = 1;
    const dx = bx - ax, dy = by - ay;
    for (const [p, q] of [[-dx, ax - box.x0], [dx, box.x1 - ax], [-dy, ay - box.y0], [dy, box.y1 - ay]]) {
      if (p === 0) { if (q < 0) return false; continue; }
      const t = q / p;
      if (p < 0) t0 = Math.max(t0, t); else t1 = Math.min(t1, t);
      if (t0 > t1) return false;
    }
    return true;
  }

  function inside([x, y], ring) {
    let odd = false;
    for (let i = 0, j = ring.length - 1; i < ring.length; j = i++) {
      const [xi, yi] = ring[i], [xj, yj] = ring[j];
      if ((yi > y) !== (yj > y) && x < ((xj - xi) * (y - yi)) / (yj - yi) + xi) odd = !odd;
    }
    return odd;
  }

  const grown = (box, by) => ({ x0: box.x0 - by, y0: box.y0 - by, x1: box.x1 + by, y1: box.y1 + by });
  const meets = (a, b) => a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;

  // Labels and notes that lie on a mark: [kind, index, mark kind, trace]. Markers are held
  // in a grid, so a figure of many points costs one pass over them.
  const CELL = 32;
  function findOnMarks(boxes, gd) {
    // Figures without labels or notes cost nothing here.
    if (!(boxes.pointlabel || []).length && !(boxes.note || []).length) return [];
    const marks = measureMarks(gd);
    const grid = new Map();
    for (const m of marks.marker) {
      for (let cx = Math.floor(m.x0 / CELL); cx <= Math.floor(m.x1 / CELL); cx++) {
        for (let cy = Math.floor(m.y0 / CELL); cy <= Math.floor(m.y1 / CELL); cy++) {
          const key = `${cx},${cy}`;
          if (!grid.has(key)) grid.set(key, []);
          grid.get(key).push(m);
        }
      }
    }
    const hits = [];
    for (const kind of ["pointlabel", "note"]) {
      (boxes[kind] || []).forEach((label, index) => {
        const box = grown(label, -TOLERANCE);
        if (box.x0 >= box.x1 || box.y0 >= box.y1) return;
        const onMarker = new Set();
        for (let cx = Math.floor(box.x0 / CELL); cx <= Math.floor(box.x1 / CELL); cx++) {
          for (let cy = Math.floor(box.y0 / CELL); cy <= Math.floor(box.y1 / CELL); cy++) {
            for (const m of grid.get(`${cx},${cy}`) || []) {
              if (onMarker.has(m) || !meets(box, m)) continue;
              if (m.disc ? discDepth(box, m.disc) > 0 : penetration(label, m) > TOLERANCE) onMarker.add(m);
            }
          }
        }
        for (const trace of new Set(Array.from(onMarker, (m) => m.trace))) hits.push([kind, index, "marker", trace]);
        for (const line of marks.line) {
          const wide = grown(box, line.width / 2);
          if (line.segments.some((s) => segmentMeets(wide, s))) hits.push([kind, index, "line", line.trace]);
        }
        for (const fill of marks.fill) {
          const centre = [(box.x0 + box.x1) / 2, (box.y0 + box.y1) / 2];
          const edges = fill.rings.flatMap((r) => r.map((p, i) => [r[i ? i - 1 : r.length - 1], p]));
          if (fill.rings.some((r) => inside(centre, r)) || edges.some((s) => segmentMeets(box, s))) {
            hits.push([kind, index, "fill", fill.trace]);
          }
        }
      });
    }
    // plotly draws a line broken by gaps as several paths: one hit per trace.
    return Array.from(new Map(hits.map((h) => [h.join("\u0000"), h])).values());
  }

  function shapeOf(value) {
    if (!isArrayLike(value)) return value === undefined ? "absent" : "scalar";
    return value.length > 0 && isArrayLike(value[0]) ? `matrix(${value.length})` : `array(${value.length})`;
  }

  // Array sizes as drawn: plotly divides each by the trace's sizeref (diameter mode).
  function sizeSummary(size, sizeref) {
    if (!isArrayLike(size)) return size === undefined ? null : size;
    const values = Array.from(size).filter((v) => typeof v === "number").map((v) => v / (sizeref || 1));
    const some = values.length > 0;
    return { n: size.length, min: some ? Math.min(...values) : null, max: some ? Math.max(...values) : null };
  }

  // Per trace: which per-point attributes disagree with the trace's point count.
  function lengthFaults(trace) {
    const lengths = ["x", "y"].map((k) => decoded(trace[k])).filter(isArrayLike).map((v) => v.length);
    if (!lengths.length || trace.z !== undefined) return [];
    const n = Math.max(...lengths);
    return PER_POINT.concat(["x", "y"]).filter((k) => {
      const v = valueAt(trace, k);
      return isArrayLike(v) && v.length !== n;
    });
  }

  function snapshot(gd) {
    const fl = gd._fullLayout;
    const axisTitles = {};
    // The input layout, since the full layout fills an empty title with an editing placeholder.
    for (const key of Object.keys(fl)) {
      if (/^[xy]axis\d*$/.test(key)) axisTitles[key] = nested(gd.layout, `${key}.title.text`) || "";
    }
    return {
      visible: gd._fullData.filter((t) => t.visible === true).map((t) => t.index),
      // A hidden trace gets no defaults, so its size is read from the input.
      markerSize: gd._fullData.map((t, i) => {
        const shown = t.visible === true ? t : gd.data[i];
        return sizeSummary(valueAt(shown, "marker.size"), valueAt(shown, "marker.sizeref"));
      }),
      axisTitles,
      shapes: gd.data.map((t) => Object.fromEntries(SHAPED.map((k) => [k, shapeOf(valueAt(t, k))]))),
      lengthFaults: gd.data.map(lengthFaults),
    };
  }

  // A restyle payload gives trace k the entry k mod n of an array value, so an array
  // whose length matches neither 1 nor the addressed traces was not wrapped per trace.
  function payloadFaults(method, args, traceCount) {
    const data = method === "restyle" || method === "update" ? args[0] : null;
    if (!data || typeof data !== "object") return [];
    const where = method === "restyle" ? args[1] : args[2];
    const traces = where === undefined || where === null ? traceCount : isArrayLike(where) ? where.length : 1;
    return Object.entries(data)
      .filter(([, v]) => Array.isArray(v) && v.length !== 1 && v.length !== traces)
      .map(([k, v]) => `${method} key "${k}" carries ${v.length} entries for ${traces} trace(s); ` +
        "plotly gives each trace one entry, so a per-trace array needs an outer list");
  }

  function stateFaults(before, after) {
    const faults = [];
    after.shapes.forEach((shapes, t) => {
      for (const [k, shape] of Object.entries(shapes)) {
        const was = (before.shapes[t] || {})[k] || "absent";
        const dropped = (/^(array|matrix)/.test(was) && shape === "scalar") ||
          (/^matrix/.test(was) && /^array/.test(shape));
        if (dropped) faults.push(`trace ${t} ${k} was ${was}, now ${shape}`);
      }
    });
    after.lengthFaults.forEach((keys, t) => {
      for (const k of keys) {
        if (!(before.lengthFaults[t] || []).includes(k)) {
          faults.push(`trace ${t} ${k} no longer matches the trace's point count`);
        }
      }
    });
    return faults;
  }

  async function settle(gd) {
    if (gd._promises && gd._promises.length) await Promise.all(gd._promises);
    await nextFrame();
  }

  function controlStates(layout) {
    const states = [];
    const collect = (control, menus, itemsKey) => (menus || []).forEach((menu, m) => {
      if (menu.visible === false) return;
      (menu[itemsKey] || []).forEach((item, i) => {
        if (item.visible === false) return;
        states.push({ control, menu: m, item: i, label: item.label, method: item.method || "restyle", args: item.args || [] });
      });
    });
    collect("updatemenu", layout.updatemenus, "buttons");
    collect("slider", layout.sliders, "steps");
    return states;
  }

  async function plot(gd, figure, config) {
    Plotly.purge(gd);
    const fig = JSON.parse(figure);
    await Plotly.newPlot(gd, fig.data || [], fig.layout || {}, JSON.parse(config));
    await settle(gd);
  }

  // The figure is re-plotted from its JSON before every state unless still untouched.
  async function applyState(gd, state, figure, config, initial, fresh) {
    const { args, ...named } = state;
    const record = { ...named, faults: [] };
    const mark = errors.length;
    try {
      if (!fresh) await plot(gd, figure, config);
      // Re-plotting repeats what the first drawing already reported.
      errors.length = mark;
      record.faults = payloadFaults(state.method, args, gd.data.length);
      if (state.method !== "skip") {
        if (typeof Plotly[state.method] !== "function") throw new Error(`unknown method ${state.method}`);
        await Plotly[state.method](gd, ...args);
      }
      await settle(gd);
      const shown = snapshot(gd);
      Object.assign(record, { visible: shown.visible, markerSize: shown.markerSize, axisTitles: shown.axisTitles });
      record.faults.push(...stateFaults(initial, shown));
      record.boxes = measureBoxes(gd);
      record.overlaps = findOverlaps(record.boxes);
      record.marks = findOnMarks(record.boxes, gd);
    } catch (e) {
      errors.push(`state raised: ${brief(e)}`);
    }
    // A state's errors belong to that state, not to the figure as first drawn.
    record.errors = errors.splice(mark);
    return record;
  }

  window.tessJudge = async function (figure, config, wantStates) {
    errors.length = 0;
    const gd = document.createElement("div");
    document.body.appendChild(gd);
    const report = { errors, boxes: {}, overlaps: [], marks: [], modebar: [], cloud: [], states: [], gl: false };
    try {
      await plot(gd, figure, config);
      report.boxes = measureBoxes(gd);
      report.overlaps = findOverlaps(report.boxes);
      report.marks = findOnMarks(report.boxes, gd);
      report.modebar = Array.from(gd.querySelectorAll(".modebar-btn"), (b) => b.getAttribute("data-title") || "");
      report.cloud = report.modebar.filter((t) => CLOUD.test(t));
      report.gl = gd.querySelector(".gl-canvas") !== null;
      if (wantStates) {
        const initial = snapshot(gd);
        report.initial = { visible: initial.visible, markerSize: initial.markerSize, axisTitles: initial.axisTitles };
        const states = controlStates(JSON.parse(figure).layout || {});
        for (let i = 0; i < states.length; i++) {
          report.states.push(await applyState(gd, states[i], figure, config, initial, i === 0));
        }
      }
    } catch (e) {
      errors.push(`plot raised: ${brief(e)}`);
    }
    await nextFrame();
    try { Plotly.purge(gd); } catch (e) { errors.push(`purge raised: ${e}`); }
    gd.remove();
    report.errors = errors.slice();
    return report;
  };

  window.tessTextWidths = function (labels, px, bold, family) {
    const svg = document.createElementNS("http://www.w3.org/2000/svg", "svg");
    document.body.appendChild(svg);
    const widths = labels.map((label) => {
      const el = document.createElementNS("http://www.w3.org/2000/svg", "text");
      const weight = bold ? "bold" : "normal";
      el.setAttribute("style", `font-family: ${family}; font-size: ${px}px; font-weight: ${weight}; white-space: pre`);
      el.textContent = label;
      svg.appendChild(el);
      return el.getComputedTextLength();
    });
    svg.remove();
    return widths;
  };
})();
