// The page's own controls: the orbit set by hand (sliders and a typed
// obliquity), the latitude and day, the on-screen keys and the time slider
// (phones), and saving the picture. Their limits are the module's.
import { constants } from "./constants.js";
import { pictureFileName } from "./exports.js";
import { byId, download, live, pick, state } from "./page_state.js";
import { updateReadout } from "./readout.js";

const wrap360 = (v) => ((v % 360) + 360) % 360;
const within = (v, [lo, hi]) => v >= lo && v <= hi;

// The sliders and fields follow the state shown, except the one in use.
export function syncSliders() {
  const current = live.current, active = document.activeElement;
  const set = (id, v) => { if (active !== byId(id)) byId(id).value = v; };
  set("set-e", current.e);
  set("set-obl", current.obl);
  set("set-obl-typed", current.obl.toFixed(2));
  set("set-varpi", wrap360(current.varpi));
  byId("set-e-out").textContent = current.e.toFixed(4);
  byId("set-varpi-out").textContent = wrap360(current.varpi).toFixed(0) + "°";
  if (active !== byId("time-slider")) byId("time-slider").value = current.t;
  byId("time-slider-out").textContent = String(current.t);
}

function holdFromControls(obl) {
  if (live.module === null || live.current === null) return;
  const e = Number(byId("set-e").value), varpi = Number(byId("set-varpi").value);
  live.module._paleoviz_hold(1, e, obl, varpi);
  updateReadout();
}
byId("set-e").addEventListener("input", () => holdFromControls(live.current ? live.current.obl : 23.5));
byId("set-varpi").addEventListener("input", () => holdFromControls(live.current ? live.current.obl : 23.5));
byId("set-obl").addEventListener("input", (e) => holdFromControls(Number(e.target.value)));
byId("set-obl-typed").addEventListener("change", (e) => {
  const v = Number(e.target.value);
  if (e.target.value.trim() === "" || !within(v, constants.obliquity)) {
    e.target.value = live.current ? live.current.obl.toFixed(2) : "";
    return;
  }
  holdFromControls(v);
});
byId("back-to-series").addEventListener("click", () => {
  if (live.module !== null) live.module._paleoviz_hold(0, 0, 0, 0);
  updateReadout();
});

// The fields' limits from the module and their values from the address,
// once both are known.
export function startControls() {
  byId("set-obl-typed").min = constants.obliquity[0];
  byId("set-obl-typed").max = constants.obliquity[1];
  byId("pick-lat").min = constants.latitude[0];
  byId("pick-lat").max = constants.latitude[1];
  byId("pick-day").min = constants.day[0];
  byId("pick-day").max = constants.day[1];
  byId("time-slider").min = 1 - constants.seriesRecords;
  byId("pick-lat").value = pick.lat;
  byId("pick-kind").value = pick.kind;
  byId("pick-day").value = pick.day;
}

byId("pick-lat").addEventListener("change", (e) => {
  const v = Number(e.target.value);
  if (e.target.value.trim() !== "" && within(v, constants.latitude)) pick.lat = v; else e.target.value = pick.lat;
});
byId("pick-kind").addEventListener("change", (e) => { pick.kind = e.target.value; });
byId("pick-day").addEventListener("change", (e) => {
  const v = Number(e.target.value);
  const limits = pick.kind === "lon" ? constants.longitude : constants.day;
  if (e.target.value.trim() !== "" && within(v, limits)) pick.day = v; else e.target.value = pick.day;
});

for (const b of document.querySelectorAll("#key-buttons button")) {
  b.addEventListener("click", () => {
    if (live.module !== null && !state.stopped) live.module._paleoviz_key(b.dataset.key.charCodeAt(0));
    updateReadout();
  });
}
byId("time-slider").addEventListener("input", (e) => {
  if (live.module !== null && !state.stopped) live.module._paleoviz_set_time(Number(e.target.value));
  updateReadout();
});

// Named as the other exports name the state shown: its time, or the
// elements of an orbit set by hand.
byId("save").addEventListener("click", () => {
  byId("canvas").toBlob((blob) => download(blob, pictureFileName()), "image/png");
});
