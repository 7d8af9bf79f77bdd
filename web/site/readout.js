// The readout: the time, the elements and the insolation at the chosen
// latitude on the globes' days and the chosen day, read from the module
// each frame and written only when something shown has changed; what
// follows it (the sliders, the chart, the map) is redrawn with it.
import { requestedTime } from "./address.js";
import { byId, embed, fixed, latitudeText, live, mapMode, notes, pick, problems, show, state, still }
  from "./page_state.js";

let shownKey = null;
let timeNoted = false;
const followers = [];

// fn() runs after each change of the readout, in the order given.
export function whenShown(fn) {
  followers.push(fn);
}

// The next frame redraws the readout and its followers, changed or not.
export function showAgain() {
  shownKey = null;
}

// The true longitude (degrees) of the chosen day on an orbit {e, obl, varpi}.
export function pickLongitude(el) {
  return pick.kind === "lon" ? pick.day : live.module._paleoviz_longitude_of_day(pick.day, el.e, el.obl, el.varpi);
}

// A time= beyond the series is clamped as the keys clamp; the page says so.
function noteClampedTime(t) {
  if (timeNoted || requestedTime === null || still) return;
  timeNoted = true;
  if (requestedTime < t) {
    notes.push(`time=${requestedTime} lies beyond the series: shown at ${t} kyr, its oldest record`);
    show((problems.length > 0 ? "Ignored: " + problems.join("; ") + "\n" : "") + notes.join("\n"), true);
  }
}

function writeReadout(v) {
  const current = live.current, t = current.t;
  const held = (k) => (current.shows[k] ? (current.held ? " (set by hand)" : "") : " (held at the reference value)");
  byId("now-time").textContent =
    (t === 0 ? "the present" : `${-t} kyr ago (${t} kyr on the axis)`) + (current.held ? "; the orbit is set by hand" : "");
  byId("now-e").textContent = fixed(v[1], 5) + held(0);
  byId("now-varpi").textContent = fixed(v[2], 1) + "°" + held(1);
  byId("now-obl").textContent = fixed(v[3], 3) + "°" + held(2);
  byId("hypothetical").hidden = !current.held;
  byId("q-caption").textContent = `Daily-mean sunlight at ${latitudeText(pick.lat)}, top of the atmosphere`;
  for (let s = 0; s < 4; ++s)
    byId("q-" + s).textContent = fixed(v[4 + s], 1) + " W/m²";
  const lambda = pickLongitude(current);
  byId("q-pick-name").textContent = pick.kind === "lon"
    ? `True longitude ${pick.day}°` : `Calendar day ${pick.day} (true longitude ${fixed(lambda, 1)}°)`;
  byId("q-pick").textContent =
    fixed(live.module._paleoviz_daily(pick.lat, lambda, current.e, current.obl, current.varpi), 1) + " W/m²";
}

export function updateReadout() {
  const { module, pointer } = live;
  if (module === null || module._paleoviz_current(pointer, pick.lat) === 0) return;
  const v = Array.from(module.HEAPF64.subarray(pointer / 8, pointer / 8 + 12));
  state.time_kyr = v[0];
  if (embed) return;
  const key = v.join(" ") + " " + pick.lat + pick.kind + pick.day + JSON.stringify(mapMode);
  if (key === shownKey) return;
  shownKey = key;
  const t = v[0];
  live.current = { t, e: v[1], varpi: v[2], obl: v[3], held: v[8] === 1, shows: [v[9], v[10], v[11]] };
  noteClampedTime(t);
  writeReadout(v);
  for (const fn of followers) fn();
}
