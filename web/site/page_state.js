// What the page's scripts share: the address, what the page and the tests
// can read (window.paleoviz), the notice over the picture, the latitude and
// day the readout follows, the map's mode, the module and the state shown.

export const params = new URLSearchParams(location.search);
export const embed = params.get("embed") === "1";
export const still = params.get("still") === "1";

export const problems = [];  // the address's refused values
export const printed = [];   // the program's output lines
export const notes = [];     // what the page says about the address besides refusals
// What the page and tests can read.
export const state = { frames: 0, firstFrameMs: null, stopped: false, status: null, printed, problems,
                       time_kyr: null, map: null, mapMs: null };

// The module once it has loaded; pointer: panelRecords doubles in it,
// shared by the readout and the chart; current: the state shown,
// {t, e, varpi, obl, held, shows: [e, p, o]}.
export const live = { module: null, pointer: 0, current: null };

// The latitude and day the readout and chart follow, and the map's mode.
export const pick = { lat: 65, kind: "lon", day: 90 };
export const mapMode = { x: "lon", anomaly: params.get("anomaly") === "1", sides: params.get("sides") === "1",
                         ref: /^-?\d+$/.test(params.get("ref") || "") ? Math.min(0, Number(params.get("ref"))) : 0,
                         pinned: null };

export const byId = (id) => document.getElementById(id);
export const fixed = (x, n) => (Number.isFinite(x) ? x.toFixed(n) : "–");
export const latitudeText = (lat) => `${Math.abs(lat)}°${lat < 0 ? "S" : "N"}`;

export function show(text, info, link) {
  const notice = byId("notice");
  notice.hidden = false;
  notice.className = info ? "info" : "";
  notice.textContent = text;
  if (link) {
    const a = document.createElement("a");
    a.href = location.href;
    a.textContent = link;
    notice.append(" ", a);
  }
}

// A time on the axis, or the elements of an orbit set by hand.
export function stateLabel(el) {
  if (typeof el.label === "number") return el.label === 0 ? "today" : `${el.label} kyr`;
  return `e ${el.e.toFixed(4)}, ε ${el.obl.toFixed(2)}°, ϖ ${el.varpi.toFixed(1)}°`;
}

// The elements of the state shown, labelled by its time or, set by hand,
// by themselves.
export function currentElements() {
  const c = live.current;
  return { e: c.e, varpi: c.varpi, obl: c.obl, label: c.held ? { e: c.e, obl: c.obl, varpi: c.varpi } : c.t };
}

// A file saved from the page.
export function download(blob, name) {
  const a = document.createElement("a");
  a.href = URL.createObjectURL(blob);
  a.download = name;
  a.click();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}
