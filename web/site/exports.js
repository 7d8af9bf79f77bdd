// The page's files: names that carry the state shown (and the reference of
// an anomaly), so that no export overwrites another; the map as PNG at
// twice the screen's resolution and as SVG, each with its title, axes,
// key, time, reference and orbital solution; the picture likewise.
import { constants } from "./constants.js";
import { lastMap, mapCaption, paintMap } from "./map.js";
import { byId, download, live, mapMode, state, stateLabel } from "./page_state.js";
import { svgContext } from "./svg_context.js";

// The orbital solution the files name (the first line of orbit95b).
export const solution = { name: "the window's orbital series file orbit95b" };
const scale = 2;  // exported pixels per screen pixel

// A state in a file name: 127ka (kyr before the present) or, set by hand,
// e0.05-obl24.5-peri90.
export function stateFileName(label) {
  if (typeof label === "number") return `${label === 0 ? 0 : -label}ka`;
  const short = (x, n) => String(Number(x.toFixed(n)));
  return `e${short(label.e, 5)}-obl${short(label.obl, 3)}-peri${short(label.varpi, 2)}`;
}

// The map's file name: the state, and with an anomaly "-minus-" its reference.
export function mapFileName(extension) {
  const m = lastMap;
  if (m === null) return `paleoviz-map.${extension}`;
  const ref = m.anomaly ? `-minus-${stateFileName(m.refEl.label)}` : "";
  return `paleoviz-map-${stateFileName(m.nowEl.label)}${ref}.${extension}`;
}

function currentLabel() {
  const c = live.current;
  return c.held ? { e: c.e, obl: c.obl, varpi: c.varpi } : c.t;
}

export function pictureFileName() {
  return live.current === null ? "paleoviz.png" : `paleoviz-${stateFileName(currentLabel())}.png`;
}

// The lines under an exported map: what it is, the state and reference,
// the solution and the conventions.
function mapNotes(m) {
  const what = m.anomaly ? `anomaly (ΔW/m²): ${stateLabel(m.nowEl)} minus the reference ${stateLabel(m.refEl)}`
                         : `state: ${stateLabel(m.nowEl)}`;
  return [
    "paleoviz: daily-mean top-of-atmosphere insolation (W/m²) by latitude and " +
      (mapMode.x === "lon" ? "true longitude" : "calendar month"),
    `${what}; S₀ = ${constants.solarConstant} W/m²`,
    `orbit: ${solution.name}`,
    "time in kyr, negative in the past; ϖ from the moving March equinox; " + mapCaption(m),
  ];
}

// The map with its notes on a context of logical size W x (H + notes).
function drawMapWithNotes(g, W, H) {
  const m = lastMap, lines = mapNotes(m);
  paintMap(m, g, W, H);
  g.fillStyle = "#000";
  g.fillRect(0, H, W, 16 * lines.length + 8);
  g.fillStyle = "#ddd";
  g.font = "10px sans-serif";
  g.textAlign = "left";
  lines.forEach((line, i) => g.fillText(line, 4, H + 14 + 16 * i, W - 8));
}

const noteHeight = 72;

export function mapPng(done) {
  const map = byId("map"), W = map.width, H = map.height;
  const c = document.createElement("canvas");
  c.width = W * scale;
  c.height = (H + noteHeight) * scale;
  const g = c.getContext("2d");
  g.scale(scale, scale);
  drawMapWithNotes(g, W, H);
  c.toBlob(done, "image/png");
}

export function mapSvg() {
  const map = byId("map"), W = map.width, H = map.height;
  const g = svgContext(W, H + noteHeight);
  drawMapWithNotes(g, W, H);
  return g.svg();
}

// The picture at twice its size with a title, the state and the solution.
function picturePng(done) {
  const picture = byId("canvas"), W = picture.width, H = picture.height;
  const c = document.createElement("canvas");
  c.width = W * scale;
  c.height = (H + 52) * scale;
  const g = c.getContext("2d");
  g.scale(scale, scale);
  g.fillStyle = "#000";
  g.fillRect(0, 0, W, H + 52);
  g.imageSmoothingEnabled = false;
  g.drawImage(picture, 0, 0, W, H);
  g.fillStyle = "#ddd";
  g.font = "11px sans-serif";
  const c0 = live.current, label = currentLabel();
  g.fillText("paleoviz: the Earth's orbit and the daily sunlight of its latitudes (W/m²)", 4, H + 14, W - 8);
  g.fillText(`${stateLabel({ ...c0, label })}: e ${c0.e.toFixed(5)}, ε ${c0.obl.toFixed(3)}°, ϖ ${c0.varpi.toFixed(2)}°` +
             (c0.held ? " (set by hand)" : ""), 4, H + 30, W - 8);
  g.fillText(`orbit: ${solution.name}; time in kyr, negative in the past`, 4, H + 46, W - 8);
  c.toBlob(done, "image/png");
}

byId("map-png").addEventListener("click", () => {
  if (lastMap !== null) mapPng((blob) => download(blob, mapFileName("png")));
});
byId("map-svg").addEventListener("click", () => {
  if (lastMap !== null) download(new Blob([mapSvg()], { type: "image/svg+xml" }), mapFileName("svg"));
});
byId("save-labelled").addEventListener("click", () => {
  if (live.current !== null) picturePng((blob) => download(blob, pictureFileName()));
});
// For the tests: the names the exports would take now, and the SVG.
state.exportNames = () => ({ csv: mapFileName("csv"), png: mapFileName("png"), svg: mapFileName("svg"),
                             picture: pictureFileName() });
state.mapSvg = () => mapSvg();
