// The latitude x season map: every value comes from the module's insolation
// library (paleoviz_map); the page only subtracts, colours, draws its
// contours and keys, says what the pointer is over, and redraws it as
// often as the picture's frame rate allows.
import { constants } from "./constants.js";
import { divergingColour, divergingPixels, keyTop, mapPalette, polarNightColour, polarNightName, sequentialColour,
         sequentialPixels } from "./palette.js";
import { byId, currentElements, fixed, latitudeText, live, mapMode, params, state, stateLabel }
  from "./page_state.js";

// map=0: the page without the map (slow devices, the benchmark's baseline).
const showMap = params.get("map") !== "0";
if (!showMap) byId("map-section").hidden = true;

export const mapLats = 181, mapCols = 360;
const mapBuffers = { values: 0, lon: 0, small: 0 };
const contourStep = 50;  // W/m^2, between the values of a map
export const mapLatitudes = Array.from({ length: mapLats }, (_, i) => -90 + i);
// The anomaly's contours: the smallest of these steps (W/m^2) that gives
// at most six lines on either side of zero, so that they stay readable.
const anomalySteps = [2, 5, 10, 20, 50, 100];
export function anomalyContourStep(limit) {
  return anomalySteps.find((s) => limit / s <= 6) || anomalySteps[anomalySteps.length - 1];
}
export let lastMap = null;  // what was drawn last, for the exports
let refCache = { key: null, map: null };
let mapLayout = null;  // where the panels lie, for the pointer
// The map's text in canvas pixels (px for labels, small for the polar
// night and the captions) and the scale of the margins and keys with it:
// the canvas is drawn at a fixed width and shrunk on a phone, so the text
// grows with the shrinking to keep at least labelCssPx on the screen.
const labelCssPx = 11;
const mapText = { px: labelCssPx, small: 10, scale: 1 };

// The shown width is kept by a ResizeObserver, told after each layout that
// changes it, so that a redraw does not force a layout of its own (after a
// slider's readout and chart changed, that was a fifth of the map's time).
const followsLayout = typeof ResizeObserver !== "undefined";
let shownWidth = null;
function followShownWidth(canvas) {
  if (shownWidth === null || !followsLayout) shownWidth = canvas.getBoundingClientRect().width;
  const shown = shownWidth;
  const wanted = shown > 0 ? Math.ceil((labelCssPx * canvas.width) / shown) : labelCssPx;
  mapText.px = Math.max(labelCssPx, wanted);
  mapText.small = Math.max(10, wanted);
  mapText.scale = mapText.px / labelCssPx;
}

// The module's memory the map is computed into.
export function allocateMap(module) {
  mapBuffers.values = module._malloc(8 * mapLats * mapCols);
  mapBuffers.lon = module._malloc(8 * mapCols);
}

function computeMap(el) {
  const { module } = live;
  module._paleoviz_map(mapBuffers.values, mapBuffers.lon, mapLats, mapCols,
                       mapMode.x === "months" ? 1 : 0, el.e, el.obl, el.varpi);
  const v0 = mapBuffers.values / 8, l0 = mapBuffers.lon / 8;
  return { values: module.HEAPF64.slice(v0, v0 + mapLats * mapCols), lon: module.HEAPF64.slice(l0, l0 + mapCols) };
}

// The reference: the state pinned, else the series at ref= (today by default).
export function referenceElements() {
  const { module } = live;
  if (mapMode.pinned !== null) return mapMode.pinned;
  if (mapBuffers.small === 0) mapBuffers.small = module._malloc(8 * 3);
  const t = module._paleoviz_series_at(mapMode.ref, mapBuffers.small);
  const v = module.HEAPF64.subarray(mapBuffers.small / 8, mapBuffers.small / 8 + 3);
  return { e: v[0], varpi: v[1], obl: v[2], label: t };
}

function referenceMap(el) {
  const key = JSON.stringify([el, mapMode.x]);
  if (refCache.key !== key) refCache = { key, map: computeMap(el) };
  return refCache.map;
}

// One panel's colour field, a pixel a cell, made in one image and canvas
// that last from map to map; pixel gives a value's pixel as one word.
let field = null;
function paintField(g, values, pixel, x0, y0, w, h) {
  if (field === null) {
    const image = new ImageData(mapCols, mapLats), canvas = document.createElement("canvas");
    canvas.width = mapCols;
    canvas.height = mapLats;
    field = { image, words: new Uint32Array(image.data.buffer), canvas, g: canvas.getContext("2d") };
  }
  const words = field.words;
  for (let i = 0; i < mapLats; ++i) {
    const row = (mapLats - 1 - i) * mapCols, from = i * mapCols;  // north at the top
    for (let j = 0; j < mapCols; ++j) words[row + j] = pixel(values[from + j]);
  }
  field.g.putImageData(field.image, 0, 0);
  g.imageSmoothingEnabled = false;
  g.drawImage(field.canvas, x0, y0, w, h);
}

function paintPanel(g, values, pixel, x0, y0, w, h, step) {
  paintField(g, values, pixel, x0, y0, w, h);
  drawContours(g, values, x0, y0, w, h, step);
  g.strokeStyle = "#888";
  g.strokeRect(x0 + 0.5, y0 + 0.5, w, h);
}

// Where level L crosses the edge from p (at xp, yp) to q (at xq, yq), if it
// does, kept at n in crossings; the count of coordinates kept.
const crossings = new Float64Array(8);
function crossing(n, L, p, q, xp, yp, xq, yq) {
  if ((p < L) === (q < L)) return n;
  const f = (L - p) / (q - p);
  crossings[n] = xp + (xq - xp) * f;
  crossings[n + 1] = yp + (yq - yp) * f;
  return n + 2;
}

// The segment of contour level L across one cell, corners a b c d counter-
// clockwise from its lower left, at x0, x1 (columns j, j + 1) and y0, y1
// (rows i, i + 1); the crossings joined in pairs.
function contourCell(g, L, a, b, c, d, x0, x1, y0, y1) {
  let n = crossing(0, L, a, b, x0, y0, x1, y0);
  n = crossing(n, L, b, c, x1, y0, x1, y1);
  n = crossing(n, L, c, d, x1, y1, x0, y1);
  n = crossing(n, L, d, a, x0, y1, x0, y0);
  for (let k = 0; k + 2 < n; k += 4) {
    g.moveTo(crossings[k], crossings[k + 1]);
    g.lineTo(crossings[k + 2], crossings[k + 3]);
  }
}

// Marching squares: the lines where the values cross each multiple of
// step (the zero of an anomaly excepted: it is the white).
const maxCellLevels = 8;
function drawContours(g, values, x0, y0, w, h, step) {
  const X = Float64Array.from({ length: mapCols + 1 }, (_, j) => x0 + (j / mapCols) * w);
  const Y = Float64Array.from({ length: mapLats }, (_, i) => y0 + h - (i / (mapLats - 1)) * h);
  g.strokeStyle = "rgba(0,0,0,0.55)";
  g.lineWidth = 0.8;
  g.beginPath();
  for (let i = 0; i + 1 < mapLats; ++i) {
    for (let j = 0; j < mapCols; ++j) {
      const jn = (j + 1) % mapCols;  // the year closes on itself
      const a = values[i * mapCols + j], b = values[i * mapCols + jn];
      const c = values[(i + 1) * mapCols + jn], d = values[(i + 1) * mapCols + j];
      const lo = Math.min(a, b, c, d), hi = Math.max(a, b, c, d);
      // A cell one pixel or so wide crossed by many levels would only be
      // smeared black, and an orbit near e = 1 (sunlight of millions of
      // W/m² at perihelion) would take minutes: such cells get no lines.
      if (hi - lo > maxCellLevels * step) continue;
      for (let L = Math.ceil(lo / step) * step; L <= hi; L += step) {
        if (L === 0 && lo < 0) continue;
        contourCell(g, L, a, b, c, d, X[j], X[j + 1], Y[i], Y[i + 1]);
      }
    }
  }
  g.stroke();
}

const monthLetters = "JFMAMJJASOND";
const monthDays = [0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334];
// Centred labels [text, x] along one baseline, each left out that would
// touch the one drawn before it (a narrow panel of large text).
const labelWidth = (text) => text.length * 0.6 * mapText.px;
function fillSpacedLabels(g, labels, y) {
  let right = -Infinity;
  for (const [text, x] of labels) {
    const half = labelWidth(text) / 2;
    if (x - half < right + 0.2 * mapText.px) continue;
    g.fillText(text, x, y);
    right = x + half;
  }
}
// A panel's axes and title. Side by side, only the last panel numbers the
// year's end (360), so that it never overprints the next panel's 0.
function drawMapAxes(g, x0, y0, w, h, title, latitudes, last) {
  const k = mapText.scale;
  g.fillStyle = "#ccc";
  g.font = `${mapText.px}px sans-serif`;
  g.textAlign = "right";
  if (latitudes)
    for (const lat of [-90, -45, 0, 45, 90]) g.fillText(String(lat), x0 - 3 * k, y0 + h - ((lat + 90) / 180) * h + 4 * k);
  g.textAlign = "center";
  const labels = [];
  if (mapMode.x === "lon") {
    for (let l = 0; l <= (last ? 360 : 270); l += 90) labels.push([String(l), x0 + (l / 360) * w]);
  } else {
    monthDays.forEach((d, m) => labels.push([monthLetters[m], x0 + ((d + 15) / 365) * w]));
  }
  fillSpacedLabels(g, labels, y0 + h + 13 * k);
  g.fillText(title, x0 + w / 2, y0 - 5 * k, w);
}

// An upward triangle above the key in its top colour: values beyond the
// key's top are drawn in that colour.
function drawOverRange(g, x0, y0, colour) {
  const k = mapText.scale;
  g.fillStyle = `rgb(${colour[0] | 0},${colour[1] | 0},${colour[2] | 0})`;
  g.beginPath();
  g.moveTo(x0, y0 - 1);
  g.lineTo(x0 + 12 * k, y0 - 1);
  g.lineTo(x0 + 6 * k, y0 - 11 * k);
  g.closePath();
  g.fill();
}

function drawKey(g, x0, y0, h, colour, lo, hi, step, label, overRange) {
  const k = mapText.scale;
  for (let y = 0; y < h; ++y) {
    const c = colour(hi - ((hi - lo) * y) / h);
    g.fillStyle = `rgb(${c[0] | 0},${c[1] | 0},${c[2] | 0})`;
    g.fillRect(x0, y0 + y, 12 * k, 1);
  }
  if (overRange) drawOverRange(g, x0, y0, colour(hi));
  g.fillStyle = "#ccc";
  g.textAlign = "left";
  g.font = `${mapText.px}px sans-serif`;
  for (let v = Math.ceil(lo / step) * step; v <= hi + 1e-9; v += step)
    g.fillText(String(Math.round(v)), x0 + 15 * k, y0 + h - ((v - lo) / (hi - lo)) * h + 4 * k);
  if (overRange) g.fillText(String(Math.round(hi)), x0 + 15 * k, y0 + 4 * k);
  g.fillText(label, x0 - 4 * k, y0 + h + 26 * k);
}

// The polar night's swatch under a sequential key, named.
function drawPolarNightKey(g, x0, y) {
  const c = polarNightColour, k = mapText.scale;
  g.fillStyle = `rgb(${c[0]},${c[1]},${c[2]})`;
  g.fillRect(x0, y, 12 * k, 9 * k);
  g.strokeStyle = "#888";
  g.strokeRect(x0 + 0.5, y + 0.5, 12 * k - 1, 9 * k - 1);
  g.fillStyle = "#ccc";
  g.font = `${mapText.small}px sans-serif`;
  g.fillText("night", x0 + 15 * k, y + 9 * k);
}

// The maps the mode asks for: now, and for an anomaly the reference and
// the difference, with the symmetric limit of the diverging scale.
function mapData() {
  const nowEl = currentElements();
  const now = computeMap(nowEl);
  const refEl = referenceElements();
  const anomaly = mapMode.anomaly || mapMode.sides;
  const ref = anomaly ? referenceMap(refEl) : null;
  const diff = anomaly ? now.values.map((v, i) => v - ref.values[i]) : null;
  let limit = 10;
  if (anomaly) for (const v of diff) limit = Math.max(limit, Math.abs(v));
  limit = Math.ceil(limit / 10) * 10;
  return { nowEl, now, refEl, anomaly, ref, diff, limit, anomalyStep: anomalyContourStep(limit) };
}

// The key: W/m² for a map of values, ΔW/m² for an anomaly; side by side
// both, one above the other. The sequential key ends at the palette's top.
function drawKeys(g, m, keyX, top, h) {
  const k = mapText.scale, div = (v) => divergingColour(v, m.limit), half = h / 2 - 12 * k, T = keyTop();
  if (mapMode.sides) {
    drawKey(g, keyX, top + 12 * k, half - 24 * k, sequentialColour, 0, T, 200, "", true);
    drawPolarNightKey(g, keyX, top + half - 6 * k);
    drawKey(g, keyX, top + h - half, half, div, -m.limit, m.limit, m.limit, "ΔW/m²", false);
  } else if (m.anomaly) {
    drawKey(g, keyX, top, h, div, -m.limit, m.limit, m.limit / 2, "ΔW/m²", false);
  } else {
    drawKey(g, keyX, top + 12 * k, h - 12 * k, sequentialColour, 0, T, 100, "W/m²", true);
    drawPolarNightKey(g, keyX, top + h + 32 * k);
  }
}

// The panels of the mode: [values, pixel of a value, title, contour step].
function mapPanels(m) {
  const seq = sequentialPixels(), div = divergingPixels(m.limit);
  const nowText = stateLabel(m.nowEl), refText = stateLabel(m.refEl);
  if (mapMode.sides)
    return [[m.ref.values, seq, "reference: " + refText, contourStep], [m.now.values, seq, "now: " + nowText, contourStep],
            [m.diff, div, `${nowText} minus ${refText}`, m.anomalyStep]];
  if (m.anomaly) return [[m.diff, div, `anomaly: ${nowText} minus ${refText}`, m.anomalyStep]];
  return [[m.now.values, seq, "now: " + nowText, contourStep]];
}

// What the contours and colours are, for the caption and the exports.
export function mapCaption(m) {
  const seq = `contours every ${contourStep} W/m²; colours: ${mapPalette.name === "globes" ? "the globes' palette" : mapPalette.name}` +
    ` up to ${keyTop().toFixed(1)} W/m² (the key's top; above it, the triangle), polar night (0 W/m²) ${polarNightName}`;
  const anomaly = `anomaly contours every ${m.anomalyStep} W/m², zero excepted; the reference is ${stateLabel(m.refEl)}`;
  if (mapMode.sides) return `${seq}; ${anomaly}.`;
  return (m.anomaly ? anomaly : seq) + ".";
}

// The map on a 2D context of the given logical size (the canvas, or a
// larger one for the exports).
export function paintMap(m, g, W, H) {
  g.fillStyle = "#000";
  g.fillRect(0, 0, W, H);
  const k = mapText.scale, left = 30 * k, top = 18 * k, keyW = 58 * k, h = H - top - 50 * k;
  const panels = mapPanels(m);
  const gap = (panels.length > 1 ? 16 : 8) * k, w = (W - left - keyW - gap * (panels.length - 1)) / panels.length;
  mapLayout = { left, top, w, h, gap, panels: panels.length, now: m.now.values, ref: m.ref && m.ref.values,
                diff: m.diff, lon: m.now.lon, anomaly: m.anomaly, sides: mapMode.sides };
  panels.forEach(([values, pixel, title, step], k) => {
    const x0 = left + k * (w + gap);
    paintPanel(g, values, pixel, x0, top, w, h, step);
    drawMapAxes(g, x0, top, w, h, title, k === 0, k === panels.length - 1);
  });
  drawKeys(g, m, W - keyW + 6 * k, top, h);
  g.fillStyle = "#aaa";
  g.textAlign = "center";
  // At most the panels' width, so that large text never runs into the key's label.
  g.fillText(mapMode.x === "lon" ? "true longitude (°), 0 = March equinox, 90 = June solstice" : "calendar month",
             left + (W - left - keyW) / 2, H - 22 * k, W - left - keyW);
  g.textAlign = "left";
  g.fillText(`latitude (°) · contours every ${m.anomaly && !mapMode.sides ? m.anomalyStep : contourStep} W/m²`,
             2, H - 6 * k, W - 4);
}

// Row i of a map as a plain array, by a loop: Array.from on a typed array
// walks an iterator and took a tenth of the map's redrawing.
function mapRow(values, i) {
  const row = new Array(mapCols);
  for (let j = 0; j < mapCols; ++j) row[j] = values[i * mapCols + j];
  return row;
}

function drawMap() {
  const current = live.current;
  if (current === null || mapBuffers.values === 0) return;
  const started = performance.now();
  const m = mapData();
  const canvas = byId("map");
  followShownWidth(canvas);
  paintMap(m, canvas.getContext("2d"), canvas.width, canvas.height);
  byId("map-about").textContent = "Daily-mean sunlight at the top of the atmosphere (W/m², S₀ = " +
    `${constants.solarConstant} W/m²); ${mapCaption(m)} The anomaly is the state shown minus the reference ` +
    "(today, or the state pinned), white at zero.";
  lastMap = m;
  const rows = (values) => mapLatitudes.map((_, i) => mapRow(values, i));
  state.map = { lat: mapLatitudes.slice(), lon: Array.from(m.now.lon), values: rows(m.anomaly ? m.diff : m.now.values),
                anomaly: m.anomaly, reference: m.refEl.label, x: mapMode.x, keyTop: keyTop(), palette: mapPalette.name,
                contourStep: m.anomaly ? m.anomalyStep : contourStep,
                shown: { time_kyr: current.t, e: current.e, obl: current.obl, varpi: current.varpi } };
  state.mapMs = performance.now() - started;
}

// The map follows a change at once unless it was redrawn very lately:
// changes that come every frame (the time running by itself, a slider
// dragged) redraw it at most once in mapCostShare times its cost, so that
// the picture keeps its frame rate; the last change is always drawn.
const mapCostShare = 15, mapMinInterval = 100;  // ms
let lastMapAt = -Infinity, mapTimer = null;
export function scheduleMap() {
  if (!showMap || mapTimer !== null) return;
  const interval = Math.max(mapMinInterval, mapCostShare * (state.mapMs || 0));
  const wait = lastMapAt + interval - performance.now();
  if (wait <= 0) { lastMapAt = performance.now(); drawMap(); return; }
  mapTimer = setTimeout(() => { mapTimer = null; lastMapAt = performance.now(); drawMap(); }, wait);
}

// A phone turned, or a window resized: the text follows the map's shown width.
addEventListener("resize", scheduleMap);
if (followsLayout && showMap) {
  new ResizeObserver(() => {
    const width = byId("map").getBoundingClientRect().width;
    if (shownWidth !== null && width !== shownWidth) {
      shownWidth = width;
      scheduleMap();
    }
  }).observe(byId("map"));
}

function mapPointAt(event) {
  if (mapLayout === null) return null;
  const canvas = byId("map");
  const r = canvas.getBoundingClientRect();
  const x = ((event.clientX - r.left) / r.width) * canvas.width, y = ((event.clientY - r.top) / r.height) * canvas.height;
  const L = mapLayout;
  const k = Math.floor((x - L.left) / (L.w + L.gap));
  const fx = (x - L.left - k * (L.w + L.gap)) / L.w, fy = (y - L.top) / L.h;
  if (k < 0 || k >= L.panels || fx < 0 || fx >= 1 || fy < 0 || fy > 1) return null;
  const j = Math.min(mapCols - 1, Math.floor(fx * mapCols)), i = Math.round((1 - fy) * (mapLats - 1));
  return { i, j };
}

// What the pointer over row i, column j of the map is told.
function hoverText(p) {
  const L = mapLayout, n = p.i * mapCols + p.j;
  const day = mapMode.x === "months" ? `, day ${fixed(1 + (constants.yearDays * p.j) / mapCols, 0)}` : "";
  let text = `${latitudeText(mapLatitudes[p.i])}, true longitude ${fixed(L.lon[p.j], 1)}°${day}: ${fixed(L.now[n], 1)} W/m²`;
  if (L.diff !== null) text += `; reference ${fixed(L.ref[n], 1)} W/m²; anomaly ${L.diff[n] >= 0 ? "+" : ""}${fixed(L.diff[n], 1)} W/m²`;
  const keyed = !L.anomaly || L.sides;  // a sequential key is drawn
  if (keyed && L.now[n] > keyTop()) text += " (above the key's range)";
  else if (keyed && L.now[n] === 0) text += " (polar night)";
  return text;
}
// For the tests: the hover text at a latitude and column (degrees, index).
state.mapHoverText = (lat, j) => (mapLayout === null ? "" : hoverText({ i: lat + 90, j }));

byId("map").addEventListener("mousemove", (event) => {
  const p = mapPointAt(event);
  byId("map-hover").textContent = p === null ? "Point at the map for its values." : hoverText(p);
});
