// The page around the window: loads the module and the data files into it,
// reads the module's constants, then the address (whose limits and rules
// are the module's), starts the window's program, and keeps the readout,
// the colour bar, the chart and the map in step with its frames.
import { programArguments, readPick } from "./address.js";
import { drawChart } from "./chart.js";
import { readConstants, constants } from "./constants.js";
import { startControls, syncSliders } from "./controls.js";
import { allocateMap, scheduleMap } from "./map.js";
import { nameSolution } from "./map_controls.js";
import { drawColourBar, paintPendingColourBar } from "./palette.js";
import { byId, embed, live, notes, printed, problems, show, state, still } from "./page_state.js";
import { updateReadout, whenShown } from "./readout.js";
import { disableControls, focusPicture } from "./keyboard.js";
import { startLayout } from "./present.js";
import { startShare, writeAddressNow } from "./share.js";
import "./periods.js";
import "./recorder.js";

if (embed) document.body.classList.add("embed");
window.paleoviz = state;

const dataFiles = ["partetopo", "orbit95b", "logo.rgba"];
const fetchData = Promise.all(dataFiles.map((name) =>
  fetch("data/" + name).then((r) => (r.ok ? r.arrayBuffer() : null), () => null)));
fetchData.then((buffers) => { if (buffers[1] !== null) nameSolution(buffers[1]); });

const startedAt = performance.now();

function onFrame(n) {
  state.frames = n;
  if (n === 1) {
    state.firstFrameMs = performance.now() - startedAt;
    performance.mark("paleoviz-first-frame");  // from navigation, for the benchmark
  }
  updateReadout();
}

// The program ends through exit(): Escape (status 0) or a data file it
// cannot use. The frame loop stops and the page says why.
function onExit(exitStatus) {
  if (state.status !== null) return;
  if (live.module !== null && live.module.pauseMainLoop) live.module.pauseMainLoop();
  // The runtime ends without a status of its own once a still's one frame
  // has paused the loop: that is the still's normal end, not a failure,
  // and embedded stills show no notice over the picture.
  const status = typeof exitStatus === "number" ? exitStatus : 0;
  if (still && state.stopped && status === 0) return;
  state.stopped = true;
  state.status = status;
  disableControls();
  writeAddressNow();
  if (status === 0) {
    show("The program has stopped (Escape); reload the page to start again.", true, "Start again");
  } else {
    const lines = printed.filter((l) => l.trim() !== "");
    show(`The program stopped (status ${status & 255}):\n${lines.join("\n")}`, false, "Try again");
  }
}

const config = {
  canvas: byId("canvas"),
  print: (line) => { printed.push(line); },
  printErr: (line) => { printed.push(line); },
  onExit,
  quit: (status, toThrow) => { onExit(status); throw toThrow; },
  paleovizFrame: onFrame,
  paleovizStopped: () => { state.stopped = true; },
  locateFile: (path) => path,
};

byId("canvas").addEventListener("contextmenu", (e) => e.preventDefault());

// What redraws with the readout, in this order: the colour bar before the
// chart, and both before the map, which takes its colours from the bar.
whenShown(syncSliders);
whenShown(() => { paintPendingColourBar(); drawChart(); });
whenShown(scheduleMap);

// The module's constants first: the address is read against them.
function start(m, buffers) {
  live.module = m;
  window.paleovizModule = m;
  readConstants(m);
  readPick();
  const args = programArguments(m);
  const said = (problems.length > 0 ? ["Ignored: " + problems.join("; ")] : []).concat(notes);
  if (said.length > 0) show(said.join("\n"), true);
  startControls();
  startShare();
  startLayout();
  focusPicture();
  // The window reads its files from its working folder, as natively.
  m.FS.mkdir("/data");
  buffers.forEach((b, i) => { if (b !== null) m.FS.writeFile("/data/" + dataFiles[i], new Uint8Array(b)); });
  m.FS.chdir("/data");
  live.pointer = m._malloc(8 * constants.panelRecords);
  allocateMap(m);
  drawColourBar();
  try {
    m.callMain(args);
  } catch (e) {
    if (e !== "unwind" && !(e && e.name === "ExitStatus")) throw e;
  }
}

Promise.all([createPaleoviz(config), fetchData]).then(([m, buffers]) => start(m, buffers));

// Served over http(s), the site keeps a copy of itself for visits without
// the network (sw.js), fetched once the page has loaded so as not to slow it.
if ("serviceWorker" in navigator && /^https?:$/.test(location.protocol))
  window.addEventListener("load", () => navigator.serviceWorker.register("sw.js").catch(() => {}));
