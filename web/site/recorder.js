// A video of time running: Record copies the picture (and the map beside
// it, when shown) into one canvas each frame, records that canvas's stream
// with the browser's MediaRecorder as WebM, and on Stop offers the video
// for download, named by the span of time it shows.
import { stateFileName } from "./exports.js";
import { byId, download, live, state } from "./page_state.js";

const framesPerSecond = 30;
let session = null;

// The WebM codec the browser records, VP9 or VP8, or "" for its default.
function webmType() {
  const types = ["video/webm;codecs=vp9", "video/webm;codecs=vp8", "video/webm"];
  return types.find((t) => MediaRecorder.isTypeSupported(t)) || "";
}

// The picture, and the map to its right when it is shown, on one canvas.
function composite(canvas) {
  const picture = byId("canvas"), map = byId("map"), withMap = !byId("map-section").hidden;
  const g = canvas.getContext("2d");
  g.fillStyle = "#000";
  g.fillRect(0, 0, canvas.width, canvas.height);
  g.drawImage(picture, 0, 0, picture.width, picture.height);
  if (withMap) g.drawImage(map, picture.width, (picture.height - map.height) / 2);
}

function timeNow() {
  const c = live.current;
  return c === null ? 0 : c.t;
}

function start() {
  const picture = byId("canvas"), map = byId("map"), withMap = !byId("map-section").hidden;
  const canvas = document.createElement("canvas");
  canvas.width = picture.width + (withMap ? map.width : 0);
  canvas.height = picture.height;
  composite(canvas);
  const recorder = new MediaRecorder(canvas.captureStream(framesPerSecond), { mimeType: webmType() });
  const chunks = [];
  recorder.ondataavailable = (e) => { if (e.data.size > 0) chunks.push(e.data); };
  const current = { recorder, canvas, from: timeNow(), frame: 0 };
  session = current;
  recorder.onstop = () => finish(chunks, current);
  const copy = () => {
    if (session === null || session.recorder !== recorder) return;
    composite(canvas);
    session.frame = requestAnimationFrame(copy);
  };
  recorder.start(250);
  copy();
  byId("record").textContent = "Stop recording";
  byId("record-status").textContent = "Recording… press m (or let time run) to watch time pass; Stop to save.";
}

function finish(chunks, s) {
  const blob = new Blob(chunks, { type: "video/webm" });
  const name = `paleoviz-${stateFileName(s.from)}-to-${stateFileName(s.to)}.webm`;
  state.lastRecording = { name, size: blob.size, blob };
  byId("record-status").textContent = `Saved ${name} (${(blob.size / 1e6).toFixed(2)} MB, WebM).`;
  download(blob, name);
}

function stop() {
  const s = session;
  session = null;
  cancelAnimationFrame(s.frame);
  s.to = timeNow();
  s.recorder.stop();
  byId("record").textContent = "Record";
}

if (typeof MediaRecorder === "undefined" || !HTMLCanvasElement.prototype.captureStream) {
  byId("record").disabled = true;
  byId("record-status").textContent = "This browser cannot record video (no MediaRecorder).";
}
byId("record").addEventListener("click", () => (session === null ? start() : stop()));
