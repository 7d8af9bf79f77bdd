// The chart: a forcing measure at the chosen latitude (the insolation on
// the chosen day, the caloric summer's energy, the energy above a
// threshold or the annual mean), computed by the module's insolation
// library from the window's series, above the climate records (LR04, CO₂,
// EPICA Dome C temperature), each on its own axis, over the panel's time
// span running to the present, the ice cores' 800 kyr or the last 150 kyr;
// the time shown is marked, and hovering gives the values.
import { constants } from "./constants.js";
import { referenceElements } from "./map.js";
import { byId, fixed, latitudeText, live, pick, state, stateLabel } from "./page_state.js";
import { pickLongitude, showAgain } from "./readout.js";
import { loadRecords, recordFiles } from "./records.js";

const left = 56, rightMargin = 10;  // pixels beside the plots
const bands = [[22, 122], [150, 230], [258, 338], [366, 446]];  // forcing, then each record
const axisY = 456;
const threshold = 275;  // W/m², the insolation tool's default threshold
export const measures = {
  daily: { code: 3, units: "W/m²", digits: 1, text: (day) => `daily-mean insolation on ${day}` },
  caloric: { code: 0, units: "GJ/m²", digits: 3, text: () => "caloric summer half-year energy" },
  threshold: { code: 1, units: "GJ/m²", digits: 3, text: () => `energy of the days above ${threshold} W/m²` },
  annual: { code: 2, units: "W/m²", digits: 1, text: () => "annual-mean insolation" },
};
const chartMode = { measure: "daily", span: "panel" };
let chartShown = null;
let forcingCache = { key: null, values: null };
let forcingBuffer = 0;

loadRecords(showAgain);
byId("chart-measure").addEventListener("change", (e) => { chartMode.measure = e.target.value; showAgain(); });
byId("chart-span").addEventListener("change", (e) => { chartMode.span = e.target.value; showAgain(); });

// A tick step of 1, 2 or 5 times a power of ten giving about `count` ticks.
function niceStep(span, count) {
  const raw = span / count, power = 10 ** Math.floor(Math.log10(raw));
  return [1, 2, 5, 10].map((m) => m * power).find((s) => s >= raw) || raw;
}

// The axis range [lo, hi] of the finite values, on whole ticks, and the tick.
function range(values) {
  const finite = values.filter(Number.isFinite);
  if (finite.length === 0) return [0, 1, 1];
  let lo = Math.min(...finite), hi = Math.max(...finite);
  if (hi - lo < 1e-9) { lo -= 1; hi += 1; }
  const step = niceStep(hi - lo, 3);
  return [Math.floor(lo / step) * step, Math.ceil(hi / step) * step, step];
}

// The chart's time span [first, last] (kyr, negative in the past): the
// panel's window, reaching the present when its newest record is the last
// before it, or the last 800 or 150 kyr.
function timeSpan(panelFirst) {
  if (chartMode.span === "800") return [-800, 0];
  if (chartMode.span === "150") return [-150, 0];
  const last = panelFirst + constants.panelRecords - 1;
  return [panelFirst, last === -1 ? 0 : last];
}

// The measure at each kyr of [first, last] from the module, computed again
// only when what it depends on changes.
function forcingValues(first, last) {
  const count = last - first + 1, m = measures[chartMode.measure];
  const key = JSON.stringify([chartMode.measure, pick, first, count]);
  if (forcingCache.key === key) return forcingCache.values;
  const { module } = live;
  if (forcingBuffer === 0) forcingBuffer = module._malloc(8 * 1024);
  module._paleoviz_forcing(forcingBuffer, first, count, m.code, pick.lat, pick.day, pick.kind === "day" ? 1 : 0,
                           threshold);
  const values = Array.from(module.HEAPF64.subarray(forcingBuffer / 8, forcingBuffer / 8 + count));
  forcingCache = { key, values };
  return values;
}

// One curve of [kyr, value] points in a band, with its value axis: ticks,
// numbers and the label with its units; invert draws larger values lower.
function plot(g, x, points, [top, bottom], colour, label, invert) {
  const [lo, hi, step] = range(points.map(([, v]) => v));
  const y = (v) => (invert ? top + ((v - lo) / (hi - lo)) * (bottom - top) : bottom - ((v - lo) / (hi - lo)) * (bottom - top));
  g.fillStyle = colour;
  g.strokeStyle = colour;
  g.textAlign = "right";
  for (let v = lo; v <= hi + step / 1e6; v += step) {
    g.fillRect(left - 5, Math.round(y(v)), 5, 1);
    g.fillText(String(Number(v.toPrecision(6))), left - 7, y(v) + 4);
  }
  g.fillRect(left - 1, top, 1, bottom - top);
  g.textAlign = "left";
  g.fillText(label, left + 4, top - 5);
  g.lineWidth = 1.5;
  g.beginPath();
  let on = false;
  for (const [k, v] of points) {
    if (!Number.isFinite(v)) { on = false; continue; }
    if (on) g.lineTo(x(k), y(v)); else g.moveTo(x(k), y(v));
    on = true;
  }
  g.stroke();
}

// The time axis: a tick and its number every 100 kyr (25 kyr over a short
// span), the present's included, and what the numbers are.
function drawTimeAxis(g, x, first, last, W) {
  const step = last - first > 300 ? 100 : 25;
  g.fillStyle = "#aaa";
  g.fillRect(left, axisY, W - rightMargin - left, 1);
  g.textAlign = "center";
  for (let k = Math.ceil(first / step) * step; k <= last; k += step) {
    g.fillRect(Math.round(x(k)), axisY, 1, 5);
    g.fillText(String(k), x(k), axisY + 17);
  }
  g.fillText("time (kyr, negative in the past; 0 = the present)", left + (W - rightMargin - left) / 2, axisY + 33);
}

// Each record's rows within the span as [kyr, value] points, oldest first.
function recordPoints(record, first, last) {
  const points = [];
  record.age_kyr.forEach((age, i) => { if (-age >= first && -age <= last) points.push([-age, record.values[i]]); });
  return points.reverse();
}

function drawRecords(g, x, first, last) {
  const shown = [];
  (state.records || []).forEach((record, r) => {
    const style = recordFiles[r], points = recordPoints(record, first, last), band = bands[r + 1];
    if (points.length === 0) {
      g.fillStyle = style.colour;
      g.textAlign = "left";
      g.fillText(`${record.name}: no values in this span`, left + 4, band[0] + 20);
    } else {
      plot(g, x, points, band, style.colour, `${record.name} (${record.units})` + (style.invert ? ", upside down" : ""),
           style.invert);
    }
    shown.push(points);
  });
  return shown;
}

function dayText() {
  return pick.kind === "lon" ? `λ = ${pick.day}°` : `day ${pick.day}`;
}

export function drawChart() {
  const { module, pointer } = live, t = live.current.t;
  const panelFirst = module._paleoviz_window_insolation(pointer, pick.lat, pick.day, pick.kind === "day" ? 1 : 0);
  const [first, last] = timeSpan(panelFirst);
  const values = forcingValues(first, last), m = measures[chartMode.measure];
  const canvas = byId("chart"), g = canvas.getContext("2d");
  const W = canvas.width, H = canvas.height, right = W - rightMargin;
  const x = (kyr) => left + ((kyr - first) / (last - first)) * (right - left);
  g.fillStyle = "#000";
  g.fillRect(0, 0, W, H);
  g.font = "12px sans-serif";
  const points = values.map((v, i) => [first + i, v]);
  plot(g, x, points, bands[0], "#f84", `${latitudeText(pick.lat)}: ${m.text(dayText())} (${m.units})`, false);
  const records = drawRecords(g, x, first, last);
  drawTimeAxis(g, x, first, last, W);
  g.fillStyle = "#888";
  if (t >= first && t <= last) g.fillRect(Math.round(x(t)), bands[0][0], 1, axisY - bands[0][0]);
  chartShown = { first, last, points, records, measure: chartMode.measure };
  state.chart = { lat: pick.lat, kind: pick.kind, day: pick.day, first, last, values, measure: chartMode.measure,
                  units: m.units, threshold };
  byId("chart-measure-about").textContent = `${m.text(dayText())} at ${latitudeText(pick.lat)} (${m.units})`;
}

// The record's value nearest to time k (kyr), within 3 kyr, or undefined.
function nearest(points, k) {
  let best;
  for (const p of points) if (Math.abs(p[0] - k) <= 3 && (best === undefined || Math.abs(p[0] - k) < Math.abs(best[0] - k))) best = p;
  return best;
}

// Against the map's reference, at the chosen latitude and day.
function anomalyText(value) {
  const ref = referenceElements();
  const d0 = value - live.module._paleoviz_daily(pick.lat, pickLongitude(ref), ref.e, ref.obl, ref.varpi);
  return `; anomaly ${d0 >= 0 ? "+" : ""}${fixed(d0, 1)} W/m² against ${stateLabel(ref)}`;
}

byId("chart").addEventListener("mousemove", (event) => {
  if (chartShown === null) return;
  const canvas = event.target, r = canvas.getBoundingClientRect();
  const px = ((event.clientX - r.left) / r.width) * canvas.width;
  const S = chartShown, k = Math.round(S.first + ((px - left) / (canvas.width - rightMargin - left)) * (S.last - S.first));
  const q = S.points.find(([kyr]) => kyr === k), m = measures[S.measure];
  if (q === undefined) { byId("chart-hover").textContent = ""; return; }
  let text = `${k} kyr: ${fixed(q[1], m.digits)} ${m.units}`;
  if (S.measure === "daily" && live.current !== null) text += anomalyText(q[1]);
  S.records.forEach((points, i) => {
    const p = nearest(points, k);
    if (p !== undefined) text += `; ${recordFiles[i].short} ${p[1]} ${state.records[i].units}`;
  });
  byId("chart-hover").textContent = text;
});
