// Named periods: a button per period sets its time (on the series, not an
// orbit set by hand), and a caption names the period whenever its time is
// shown, however it was reached.
import { byId, live, state } from "./page_state.js";
import { updateReadout, whenShown } from "./readout.js";

export const periods = [
  [0, "Today", "Today: the present orbit"],
  [-6, "6 ka", "6 ka: the mid-Holocene"],
  [-9, "9 ka", "9 ka: the early Holocene insolation maximum"],
  [-21, "21 ka", "21 ka: the Last Glacial Maximum"],
  [-115, "115 ka", "115 ka: the glacial inception"],
  [-127, "127 ka", "127 ka: the Last Interglacial (Eemian)"],
  [-400, "400 ka", "400 ka: MIS 11, a long interglacial at low eccentricity"],
];

function goTo(kyr) {
  const m = live.module;
  if (m === null || state.stopped) return;
  if (live.current !== null && live.current.held) m._paleoviz_hold(0, 0, 0, 0);
  m._paleoviz_set_time(kyr);
  updateReadout();
}

for (const [kyr, label, caption] of periods) {
  const b = document.createElement("button");
  b.type = "button";
  b.textContent = label;
  b.title = caption;
  b.dataset.kyr = String(kyr);
  b.addEventListener("click", () => goTo(kyr));
  byId("periods").append(b);
}

whenShown(() => {
  const c = live.current, found = periods.find(([kyr]) => c !== null && !c.held && c.t === kyr);
  byId("period-caption").textContent = found ? found[2] : "";
});
