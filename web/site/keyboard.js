// The keyboard: the picture takes the keys only while it has the focus, as
// a desktop window does, so that the page's fields, sliders and buttons
// keep the platform's own keys (Tab, Enter, Space, arrows). Once the
// program has stopped, the controls that would drive it are disabled, so
// that the readout and the map cannot part from the frozen picture.
import { byId } from "./page_state.js";

const canvas = byId("canvas");

// The window's mouse handler keeps the browser from focusing the canvas on
// a press (it would select text), so a press gives it the focus here.
canvas.addEventListener("pointerdown", () => canvas.focus({ preventScroll: true }));

// Fields where typed characters and arrows are the field's own.
export function isField(el) {
  return el instanceof HTMLInputElement || el instanceof HTMLSelectElement || el instanceof HTMLTextAreaElement;
}

// The picture starts with the focus, unless the reader has moved it.
export function focusPicture() {
  if (document.activeElement === null || document.activeElement === document.body)
    canvas.focus({ preventScroll: true });
}

// Every control of the page, once the program has ended.
export function disableControls() {
  for (const el of document.querySelectorAll("main input, main select, main button")) el.disabled = true;
  document.body.classList.add("stopped");
}
