// The map's controls (across, anomaly, side by side, pin, palette) and its
// CSV, with a header saying what it holds as the insolation tool's CSV
// does (the PNG and SVG are exports.js's).
import { constants } from "./constants.js";
import { mapFileName, solution } from "./exports.js";
import { mapCols } from "./map.js";
import { mapPalette } from "./palette.js";
import { byId, currentElements, download, live, mapMode, state, stateLabel } from "./page_state.js";
import { showAgain } from "./readout.js";

// The orbital solution the CSV names: the first line of orbit95b's bytes.
export function nameSolution(bytes) {
  const head = new TextDecoder().decode(new Uint8Array(bytes, 0, Math.min(400, bytes.byteLength)));
  solution.name = head.split(/\r?\n|\r/)[0] + " (orbit95b, as the window reads it)";
}

byId("map-anomaly").checked = mapMode.anomaly;
byId("map-x").addEventListener("change", (e) => { mapMode.x = e.target.value; showAgain(); });
byId("map-anomaly").addEventListener("change", (e) => { mapMode.anomaly = e.target.checked; showAgain(); });
byId("map-palette").value = mapPalette.name;
byId("map-palette").addEventListener("change", (e) => { mapPalette.name = e.target.value; showAgain(); });
byId("map-sides").addEventListener("change", (e) => { mapMode.sides = e.target.checked; showAgain(); });
byId("map-pin").addEventListener("click", () => {
  if (live.current === null) return;
  mapMode.pinned = currentElements();
  mapMode.anomaly = true;
  byId("map-anomaly").checked = true;
  byId("map-pin").textContent = "Pin (pinned: " + stateLabel(mapMode.pinned) + ")";
  showAgain();
});

function mapCsv() {
  const m = state.map, c = live.current;
  const what = c.held ? `elements: e ${c.e}, obliquity ${c.obl} degrees, varpi ${c.varpi} degrees (set by hand, not from the series)`
                      : `time_kyr: ${c.t} (e ${c.e}, obliquity ${c.obl} degrees, varpi ${c.varpi} degrees)`;
  const days = `; the columns are calendar days 1 + ${constants.yearDays} j / ${mapCols} ` +
    `(March equinox on day ${constants.equinoxDay}) at these true longitudes`;
  const lines = [
    "# paleoviz map: daily-mean top-of-atmosphere insolation by latitude and true longitude",
    "# units: W m-2" + (m.anomaly ? " (anomaly: the state shown minus the reference)" : ""),
    `# solar_constant: ${constants.solarConstant} W m-2`,
    "# orbit: " + solution.name,
    "# " + what,
    m.anomaly ? "# reference: " + (typeof m.reference === "number" ? `time_kyr ${m.reference}` : JSON.stringify(m.reference)) : "# reference: none",
    "# time_convention: thousands of years (kyr) from the present, negative in the past",
    "# perihelion_convention: varpi is the longitude of perihelion from the moving March equinox, heliocentric; the true anomaly is lambda - varpi - 180 degrees",
    "# true_longitude: lambda in degrees from the March equinox: 0 March equinox, 90 June solstice, 180 September equinox, 270 December solstice" +
      (m.x === "months" ? days : ""),
    "# rows: latitude in degrees north; columns: true longitude in degrees",
    "lat," + m.lon.map((l) => l.toFixed(4)).join(","),
    ...m.values.map((row, i) => m.lat[i] + "," + row.map((v) => v.toFixed(4)).join(",")),
  ];
  return lines.join("\n") + "\n";
}
byId("map-csv").addEventListener("click", () => {
  if (state.map === null) return;
  download(new Blob([mapCsv()], { type: "text/csv" }), mapFileName("csv"));
});
state.mapCsv = () => mapCsv();
