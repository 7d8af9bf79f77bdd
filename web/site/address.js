// The address's parameters: the window's options, the latitude and day the
// readout follows, the time asked for. A bad value is named in problems and
// left out; the limits and the elements' rule are the module's.
import { constants, elementsProblem } from "./constants.js";
import { params, still, problems, pick, notes } from "./page_state.js";

export const capsByValue = params.get("caps") === "value";
// palette=globes|cividis|viridis: the map's palette (the globes' by default).
export const paletteParam = params.get("palette");
const paletteChoices = ["globes", "cividis", "viridis"];
export const requestedTime = /^-?\d+$/.test(params.get("time") || "") ? Number(params.get("time")) : null;

const whole = (text) => /^[+-]?\d+$/.test(text);
const decimal = /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/;

// The window's start time: the native --time takes kyr on the time axis,
// negative in the past, as the address does.
function nativeTimeArguments(kyr) {
  return ["--time", String(kyr)];
}

// elements=E,OBL,VARPI: three numbers the libraries accept as an orbit.
function elementsArguments(module, args) {
  const text = params.get("elements");
  const v = text.split(",").map((x) => (decimal.test(x.trim()) ? Number(x) : NaN));
  if (v.length !== 3 || v.some(Number.isNaN)) {
    const [e0, e1] = constants.eccentricity, [o0, o1] = constants.obliquity;
    problems.push(`elements=${text}: give E,OBL,VARPI: e from ${e0} to below ${e1}, obliquity ${o0} to ${o1}°, ϖ in degrees`);
    return;
  }
  const why = elementsProblem(module, v[0], v[1], v[2]);
  if (why === "") args.push("--elements", v.join(","));
  else problems.push(`elements=${text}: ${why}`);
}

// The window's options from the address.
export function programArguments(module) {
  const args = [];
  if (params.has("time")) {
    const t = params.get("time");
    if (whole(t) && Number(t) <= 0) args.push(...nativeTimeArguments(Number(t)));
    else problems.push(`time=${t}: give a whole number of thousands of years, 0 or negative (time=-21 is 21,000 years ago)`);
  }
  if (params.has("step")) {
    const s = params.get("step");
    if (["2", "4", "6", "8", "10"].includes(s)) args.push("--step", s);
    else problems.push(`step=${s}: the globe mesh step is 2, 4, 6, 8 or 10`);
  }
  if (params.has("spin")) {
    const d = params.get("spin");
    if (whole(d) && Math.abs(Number(d)) < 1e9) args.push("--spin", String(Number(d)));
    else problems.push(`spin=${d}: give the globes' spin in whole degrees`);
  }
  if (params.has("elements")) elementsArguments(module, args);
  if (params.has("caps")) {
    const c = params.get("caps");
    if (c === "value" || c === "grey") args.push("--caps", c);
    else problems.push(`caps=${c}: the caps are coloured by "value" or left "grey"`);
  }
  if (still) args.push("--still");
  return args;
}

// lat=, lon= or day=, within the module's limits, and ref=.
export function readPick() {
  const num = (k, [lo, hi]) => {
    if (!params.has(k)) return null;
    const v = Number(params.get(k));
    if (params.get(k).trim() !== "" && Number.isFinite(v) && v >= lo && v <= hi) return v;
    problems.push(`${k}=${params.get(k)}: give a number from ${lo} to ${hi}`);
    return null;
  };
  const lat = num("lat", constants.latitude), lon = num("lon", constants.longitude), day = num("day", constants.day);
  if (lat !== null) pick.lat = lat;
  if (lon !== null) { pick.kind = "lon"; pick.day = lon; }
  if (day !== null) { pick.kind = "day"; pick.day = day; }
  if (paletteParam !== null && !paletteChoices.includes(paletteParam))
    problems.push(`palette=${paletteParam}: the map's palette is ${paletteChoices.join(", ")}`);
  const ref = params.get("ref");
  if (ref !== null && !(/^-?\d+$/.test(ref) && Number(ref) <= 0))
    problems.push(`ref=${ref}: give the reference time in whole kyr, 0 or negative`);
  else if (ref !== null && Number(ref) < 1 - constants.seriesRecords)
    notes.push(`ref=${ref} lies beyond the series: the reference is its oldest record, ${1 - constants.seriesRecords} kyr`);
}
