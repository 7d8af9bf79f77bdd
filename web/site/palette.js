// The colours: the globes' palette as the module gives it, drawn as the
// colour bar in W/m² (its entries' width is the module's paletteStep), the
// map's sequential colours from the same palette or a perceptual one
// (cividis, viridis), polar night's own colour, and the diverging scale.
import { capsByValue, paletteParam } from "./address.js";
import { constants } from "./constants.js";
import { byId, live, state } from "./page_state.js";
import { paletteTables } from "./palette_tables.js";

// Painted with the first chart, once the scene has its palettes.
export function drawColourBar() {
  state.colourBarPending = true;
}

// The palettes, land then sea, three floats an entry; null before the scene.
function readPalettes() {
  const { module } = live, size = constants.paletteSize;
  const floats = module._malloc(4 * size * 6);
  const ok = module._paleoviz_palettes(floats) !== 0;
  const copy = Float32Array.from(module.HEAPF32.subarray(floats / 4, floats / 4 + size * 6));
  module._free(floats);
  return ok ? copy : null;
}

function paintColourBar() {
  const palette = readPalettes();
  if (palette === null) return false;
  const size = constants.paletteSize;
  const canvas = byId("colour-bar");
  const g = canvas.getContext("2d");
  const w = canvas.width / size;
  const rgb = (row, k) => {
    const o = (row * size + k) * 3;
    return `rgb(${Math.round(palette[o] * 255)},${Math.round(palette[o + 1] * 255)},${Math.round(palette[o + 2] * 255)})`;
  };
  g.fillStyle = "#000";
  g.fillRect(0, 0, canvas.width, canvas.height);
  for (let k = 1; k < size; ++k) {
    g.fillStyle = rgb(0, k);
    g.fillRect(k * w, 0, w + 0.5, 18);
    g.fillStyle = rgb(1, k);
    g.fillRect(k * w, 18, w + 0.5, 18);
  }
  g.fillStyle = "#ddd";
  g.font = "12px sans-serif";
  g.textAlign = "center";
  for (let q = 0; q <= 500; q += 100) {
    const x = (q / constants.paletteStep) * w;
    g.fillRect(x, 36, 1, 6);
    g.fillText(String(q), Math.max(10, x), 56);
  }
  g.textAlign = "right";
  g.fillText("W/m²", canvas.width - 2, 56);
  byId("grey-swatch").style.background = rgb(1, 0);
  if (capsByValue)
    byId("caps-key").textContent = "Polar caps coloured by their sunlight (caps=value): " +
      "polar day by its value, polar night as grey, no sunlight.";
  state.palette = palette;
  return true;
}

// The colour bar, if still to be painted and the palettes are there.
export function paintPendingColourBar() {
  if (state.colourBarPending && paintColourBar()) state.colourBarPending = false;
}

// The map's palettes: the globes' own (the default) or a perceptual,
// colour-blind-safe one (palette= in the address, or the select).
export const paletteNames = ["globes", ...Object.keys(paletteTables)];
export const mapPalette = { name: paletteNames.includes(paletteParam) ? paletteParam : "globes" };
// Polar night, a daily mean of exactly 0, is no colour of any palette.
export const polarNightColour = [0, 0, 0];
export const polarNightName = "black";

// The largest daily mean (W/m²) the colours tell apart: the globes' last
// entry begins there, and every value above it has that entry's colour, so
// the key ends there and the perceptual palettes span the same range.
export function keyTop() {
  return (constants.paletteSize - 1) * constants.paletteStep;
}

// The number of entries of the sequential palette, and the rule that picks
// the entry colouring a daily mean v (W/m², finite, not 0).
function sequentialEntries() {
  return mapPalette.name === "globes" ? constants.paletteSize : paletteTables[mapPalette.name].length / 6;
}
function sequentialEntryRule() {
  const n = sequentialEntries(), top = keyTop(), step = constants.paletteStep;
  if (mapPalette.name !== "globes") return (v) => Math.min(n - 1, Math.max(0, Math.floor((v / top) * n)));
  return (v) => Math.min(n - 1, Math.max(1, Math.floor(v / step)));
}
function entryColour(k) {
  if (mapPalette.name !== "globes") {
    const table = paletteTables[mapPalette.name];
    return [0, 2, 4].map((o) => parseInt(table.substr(6 * k + o, 2), 16));
  }
  const p = state.palette;
  return [p[k * 3] * 255, p[k * 3 + 1] * 255, p[k * 3 + 2] * 255];
}

// The map's colour of a daily mean (W/m²): the globes' land palette as the
// globes colour it, or the palette chosen; polar night its own colour.
export function sequentialColour(v) {
  if (!state.palette || !Number.isFinite(v)) return [0, 0, 0];
  if (v === 0) return polarNightColour;
  return entryColour(sequentialEntryRule()(v));
}

// A colour as the canvas stores its pixel: RGBA bytes, rounded and clamped
// as ImageData rounds them, read as one word in the machine's byte order.
const pixelBytes = new Uint8ClampedArray([0, 0, 0, 255]);
const pixelWord = new Uint32Array(pixelBytes.buffer);
function pixel(c) {
  pixelBytes[0] = c[0];
  pixelBytes[1] = c[1];
  pixelBytes[2] = c[2];
  return pixelWord[0];
}

// sequentialColour as pixels, for a whole map: each entry's pixel is made
// once, and a value only picks its entry.
export function sequentialPixels() {
  const black = pixel([0, 0, 0]), night = pixel(polarNightColour);
  if (!state.palette) return () => black;
  const words = Uint32Array.from({ length: sequentialEntries() }, (_, k) => pixel(entryColour(k)));
  const entry = sequentialEntryRule();
  return (v) => (!Number.isFinite(v) ? black : v === 0 ? night : words[entry(v)]);
}

// Blue below zero, red above, white at zero, symmetric about it.
const blueEnd = [33, 102, 172], redEnd = [178, 24, 43];
export function divergingColour(v, limit) {
  const a = Math.max(-1, Math.min(1, v / limit));
  const end = a < 0 ? blueEnd : redEnd;
  const w = Math.abs(a);
  return [255 + (end[0] - 255) * w, 255 + (end[1] - 255) * w, 255 + (end[2] - 255) * w];
}

// divergingColour as pixels, without a colour array per value.
export function divergingPixels(limit) {
  return (v) => {
    const a = Math.max(-1, Math.min(1, v / limit));
    const end = a < 0 ? blueEnd : redEnd;
    const w = Math.abs(a);
    pixelBytes[0] = 255 + (end[0] - 255) * w;
    pixelBytes[1] = 255 + (end[1] - 255) * w;
    pixelBytes[2] = 255 + (end[2] - 255) * w;
    return pixelWord[0];
  };
}
