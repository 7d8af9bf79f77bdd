// The address follows the state shown (time, orbit set by hand, latitude,
// day, reference, anomaly, side by side, palette), so that a copied link
// or "Start again" shows the same view. Written with replaceState, at most
// a few times a second: browsers refuse a flood of address changes (the
// time running by itself changes the state every frame).
import { constants } from "./constants.js";
import { byId, embed, live, mapMode, pick, show, still } from "./page_state.js";
import { mapPalette } from "./palette.js";
import { showAgain, whenShown } from "./readout.js";

const wrap360 = (v) => ((v % 360) + 360) % 360;
const writeEveryMs = 300;
let pending = false;

// The parameters of the state shown, defaults left out; the address's
// other parameters (step, spin, caps, map, ...) stay as they are.
export function addressOfState() {
  const p = new URLSearchParams(location.search), c = live.current;
  const put = (k, v, omit) => (v === omit ? p.delete(k) : p.set(k, String(v)));
  put("time", c.t, 0);
  put("elements", c.held ? [c.e, c.obl, wrap360(c.varpi)].join(",") : null, null);
  put("lat", pick.lat, 65);
  p.delete("lon");
  p.delete("day");
  if (!(pick.kind === "lon" && pick.day === 90)) p.set(pick.kind, String(pick.day));
  const pinnedTime = mapMode.pinned !== null && typeof mapMode.pinned.label === "number" ? mapMode.pinned.label : null;
  put("ref", pinnedTime !== null ? pinnedTime : mapMode.ref, 0);
  put("anomaly", mapMode.anomaly ? 1 : 0, 0);
  put("sides", mapMode.sides ? 1 : 0, 0);
  put("palette", mapPalette.name, "globes");
  return p;
}

function writeAddress() {
  pending = false;
  if (live.current === null) return;
  const query = addressOfState().toString();
  const search = query === "" ? "" : "?" + query;
  if (search !== location.search) history.replaceState(history.state, "", location.pathname + search + location.hash);
}

// The address at once: the program's end, whose "Start again" link takes it.
export function writeAddressNow() {
  if (!embed && !still) writeAddress();
}

if (!embed && !still) {
  whenShown(() => {
    if (pending) return;
    pending = true;
    setTimeout(writeAddress, writeEveryMs);
  });
}

// The reference set on the page: a time on the series (the pin let go),
// or let go of altogether (today).
function setReference(kyr) {
  mapMode.ref = kyr;
  mapMode.pinned = null;
  byId("map-pin").textContent = "Pin";
  byId("map-ref").value = String(kyr);
  showAgain();
}

byId("map-ref").addEventListener("change", (e) => {
  const text = e.target.value.trim();
  if (!/^-?\d+$/.test(text) || Number(text) > 0) {
    show(`Reference time "${text}": give whole thousands of years, 0 or negative (-21 is 21,000 years ago)`, true);
    e.target.value = String(mapMode.ref);
    return;
  }
  const oldest = 1 - constants.seriesRecords, kyr = Number(text);
  if (kyr < oldest) show(`Reference time ${kyr} kyr lies beyond the series: its oldest record, ${oldest} kyr, is used`, true);
  setReference(Math.max(oldest, kyr));
  mapMode.anomaly = true;
  byId("map-anomaly").checked = true;
});
byId("map-unpin").addEventListener("click", () => setReference(0));

// The page's fields from the address's state, once the module's limits are
// known.
export function startShare() {
  byId("map-sides").checked = mapMode.sides;
  byId("map-ref").min = 1 - constants.seriesRecords;
  byId("map-ref").value = String(Math.max(1 - constants.seriesRecords, mapMode.ref));
}
