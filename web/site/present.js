// The layouts: at 1600 px and wider, and when presenting, the picture fills
// the window's height beside the map; presenting also goes full screen
// (or, where the browser refuses, takes the same layout in the window).
// The picture is drawn at its shown size times the device pixel ratio,
// never below the window's own 600 pixels; embedded pictures stay 600.
import { isField } from "./keyboard.js";
import { byId, embed, live, params } from "./page_state.js";

const wideQuery = matchMedia("(min-width: 1600px)");
const canvas = byId("canvas"), button = byId("present");
const defaultSide = 600;
let presenting = false, fullScreen = false;

// The side of the picture in CSS pixels: the height below its top, within
// a share of the width that leaves the map its room.
function wideSide() {
  const top = canvas.getBoundingClientRect().top + scrollY;
  return Math.max(300, Math.floor(Math.min(innerHeight - top - 16, innerWidth * 0.55)));
}

// The picture's pixels for its shown size; the window reshapes to them
// between frames.
function sizePicture() {
  if (embed || live.module === null) return;
  const wide = document.body.classList.contains("wide");
  const shown = canvas.getBoundingClientRect().width;
  const side = wide ? Math.max(defaultSide, Math.round(shown * (devicePixelRatio || 1))) : defaultSide;
  live.module.paleovizCanvasSize = [side, side];
}

export function layout() {
  const wide = !embed && (presenting || wideQuery.matches);
  document.body.classList.toggle("wide", wide);
  document.body.classList.toggle("present", presenting);
  const root = document.documentElement.style;
  if (wide) root.setProperty("--picture-side", wideSide() + "px");
  else root.removeProperty("--picture-side");
  button.textContent = presenting ? "Leave the presentation" : "Present";
  button.setAttribute("aria-pressed", String(presenting));
  sizePicture();
}

async function enter() {
  presenting = true;
  layout();
  try {
    await document.documentElement.requestFullscreen();
    fullScreen = true;
  } catch {
    fullScreen = false;  // refused: the same layout in the window
  }
}

function leave() {
  presenting = false;
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  fullScreen = false;
  layout();
}

export const togglePresentation = () => (presenting ? leave() : enter());

button.addEventListener("click", togglePresentation);
document.addEventListener("fullscreenchange", () => {
  if (!document.fullscreenElement && fullScreen && presenting) leave();
  else layout();
});
// f presents (and leaves) from anywhere but a field; Escape leaves a
// presentation kept in the window, where the browser has no full screen
// to leave, unless the picture has the keys (Escape stops it).
document.addEventListener("keydown", (e) => {
  if (e.ctrlKey || e.metaKey || e.altKey || isField(e.target)) return;
  if (e.key === "f") togglePresentation();
  else if (e.key === "Escape" && presenting && !fullScreen && e.target !== canvas) leave();
});
addEventListener("resize", layout);
wideQuery.addEventListener("change", layout);
new ResizeObserver(sizePicture).observe(canvas);

// The layout once the module is there to be told the picture's size;
// present=1 asks for the presentation at once (full screen needs a press,
// so the browser keeps it in the window).
export function startLayout() {
  if (params.get("present") === "1" && !embed) enter();
  else layout();
}
