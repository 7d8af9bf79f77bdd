// The chart: the insolation at the chosen latitude and day over the
// panel's records, from the module, above the LR04 benthic δ¹⁸O stack, with
// the time shown marked; hovering gives the values and the anomaly against
// the map's reference.
import { constants } from "./constants.js";
import { referenceElements } from "./map.js";
import { byId, fixed, latitudeText, live, pick, state, stateLabel } from "./page_state.js";
import { pickLongitude, showAgain } from "./readout.js";

let lr04 = null;  // [age in ka, δ¹⁸O in ‰] rows once read
let chartShown = null;
const left = 44, rightMargin = 8;  // pixels beside the plot

fetch("data/lr04-stack.txt").then((r) => (r.ok ? r.text() : "")).then((text) => {
  lr04 = text.split(/\r?\n/).filter((l) => /^\d/.test(l)).map((l) => l.split(/\s+/).map(Number))
    .filter((row) => row.length >= 2 && Number.isFinite(row[0]) && Number.isFinite(row[1]));
  showAgain();
}, () => { lr04 = []; showAgain(); });

// The axis range of the finite values, whole steps, at least one step.
function range(values, step) {
  const finite = values.map(([, v]) => v).filter(Number.isFinite);
  if (finite.length === 0) return [0, step];
  const lo = Math.floor(Math.min(...finite) / step) * step, hi = Math.ceil(Math.max(...finite) / step) * step;
  return hi > lo ? [lo, hi] : [lo, lo + step];
}

// One curve of [kyr, value] points between top and bottom (pixels), with
// its range and label; invert draws larger values lower.
function plot(g, x, values, top, bottom, lo, hi, colour, label, invert) {
  const y = (v) => (invert ? top + ((v - lo) / (hi - lo)) * (bottom - top) : bottom - ((v - lo) / (hi - lo)) * (bottom - top));
  g.strokeStyle = colour;
  g.lineWidth = 1.5;
  g.beginPath();
  let on = false;
  for (const [k, v] of values) {
    if (!Number.isFinite(v)) { on = false; continue; }
    if (on) g.lineTo(x(k), y(v)); else g.moveTo(x(k), y(v));
    on = true;
  }
  g.stroke();
  g.fillStyle = colour;
  g.textAlign = "right";
  g.fillText(String(hi), left - 4, invert ? bottom : top + 10);
  g.fillText(String(lo), left - 4, invert ? top + 10 : bottom);
  g.textAlign = "left";
  g.fillText(label, left + 4, top + 12);
}

function drawTimeAxis(g, x, first, last, W) {
  g.fillStyle = "#aaa";
  g.textAlign = "center";
  for (let k = Math.ceil(first / 100) * 100; k <= last; k += 100) {
    g.fillRect(x(k), 272, 1, 5);
    g.fillText(String(k), x(k), 292);
  }
  g.textAlign = "right";
  g.fillText("kyr", W - 2, 292);
}

export function drawChart() {
  const { module, pointer } = live, t = live.current.t, span = constants.panelRecords - 1;
  const first = module._paleoviz_window_insolation(pointer, pick.lat, pick.day, pick.kind === "day" ? 1 : 0);
  const q = Array.from(module.HEAPF64.subarray(pointer / 8, pointer / 8 + constants.panelRecords));
  const canvas = byId("chart");
  const g = canvas.getContext("2d");
  const W = canvas.width, H = canvas.height, right = W - rightMargin;
  const x = (kyr) => left + ((kyr - first) / span) * (right - left);
  g.fillStyle = "#000";
  g.fillRect(0, 0, W, H);
  g.font = "12px sans-serif";
  const points = q.map((v, i) => [first + i, v]);
  const [qlo, qhi] = range(points, 20);
  const dayText = pick.kind === "lon" ? `λ = ${pick.day}°` : `day ${pick.day}`;
  plot(g, x, points, 10, 135, qlo, qhi, "#f84", `${latitudeText(pick.lat)}, ${dayText}: insolation (W/m²)`, false);
  chartShown = { first, points, lr04: [] };
  state.chart = { lat: pick.lat, kind: pick.kind, day: pick.day, first, values: q };
  if (lr04 !== null) {
    const rows = lr04.map(([age, d]) => [-age, d]).filter(([k]) => k >= first && k <= first + span);
    // The axis takes its range from the data shown, so older, lighter
    // values stay inside their area.
    const [dlo, dhi] = range(rows, 0.2);
    plot(g, x, rows.reverse(), 160, 270, Number(dlo.toFixed(1)), Number(dhi.toFixed(1)), "#6cf", "LR04 benthic δ¹⁸O (‰)", true);
    chartShown.lr04 = rows;
  }
  drawTimeAxis(g, x, first, first + span, W);
  g.fillStyle = "#888";
  g.fillRect(Math.round(x(t)), 4, 1, 268);
}

byId("chart").addEventListener("mousemove", (event) => {
  if (chartShown === null) return;
  const canvas = event.target, r = canvas.getBoundingClientRect();
  const x = ((event.clientX - r.left) / r.width) * canvas.width;
  const k = Math.round(chartShown.first + ((x - left) / (canvas.width - rightMargin - left)) * (constants.panelRecords - 1));
  const q = chartShown.points.find(([t]) => t === k);
  const d = chartShown.lr04.find(([t]) => Math.abs(t - k) <= 2);
  let anomaly = "";
  if (q !== undefined && live.current !== null) {
    // Against the map's reference, at the chosen latitude and day.
    const ref = referenceElements();
    const d0 = q[1] - live.module._paleoviz_daily(pick.lat, pickLongitude(ref), ref.e, ref.obl, ref.varpi);
    anomaly = `; anomaly ${d0 >= 0 ? "+" : ""}${fixed(d0, 1)} W/m² against ${stateLabel(ref)}`;
  }
  byId("chart-hover").textContent = q === undefined ? "" :
    `${k} kyr: ${fixed(q[1], 1)} W/m²${anomaly}` + (d ? `; LR04 δ¹⁸O ${d[1]} ‰` : "");
});
