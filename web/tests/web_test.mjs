// Tests of the web build in headless Chromium, one per run:
//   node web_test.mjs TEST --site DIR [--native PROGRAM --data DIR]
// TEST is still_matches_snapshot, keys_and_clicks, runs_without_errors or
// missing_series. Exits 0 on success, 1 on failure, 77 (skipped) with the
// reason when the site, Chromium or puppeteer-core is missing.
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";

const [name, ...rest] = process.argv.slice(2);
const option = (flag) => { const i = rest.indexOf(flag); return i >= 0 ? rest[i + 1] : undefined; };
const site = option("--site");
const native = option("--native");
const dataDir = option("--data");

function skip(reason) {
  console.log(`SKIP: ${reason}`);
  process.exit(77);
}
function fail(message) {
  console.log(`FAIL: ${message}`);
  process.exitCode = 1;
}

if (!site || !fs.existsSync(path.join(site, "paleoviz.wasm")))
  skip(`no web build at ${site} (scripts/web.sh --build-only makes it; it needs Emscripten)`);
let harness;
try {
  harness = await import("./harness.mjs");
} catch (e) {
  skip(`puppeteer-core is not installed (npm ci in web/tests): ${e.message}`);
}
if (!fs.existsSync(harness.chromiumPath)) skip(`no Chromium at ${harness.chromiumPath}`);
const { serve, launch, open, waitFor, canvasPixels, startNativeWindow } = harness;

const side = 600;

// The native window's start time for a time on the axis (kyr, negative in
// the past), as its --time option takes it.
function nativeTimeArguments(kyr) {
  return ["--time", String(kyr)];
}

// Whether a program is on PATH.
function installed(program) {
  try {
    execFileSync("sh", ["-c", `command -v ${program}`], { stdio: "ignore" });
    return true;
  } catch {
    return false;
  }
}

// The native program's --snapshot of a state, as RGB bytes, top row first.
// Missing tools skip the test; a failing program fails it.
function nativeSnapshot(kyr, extra) {
  if (!native || !fs.existsSync(native)) skip(`no native program at ${native}`);
  for (const tool of ["xvfb-run", "Xvfb", "convert"])
    if (!installed(tool)) skip(`the native snapshot needs ${tool} (Xvfb, ImageMagick)`);
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "paleoviz-web-test-"));
  const png = path.join(folder, "native.png");
  try {
    execFileSync("xvfb-run", ["-a", "-s", "-screen 0 1024x768x24", native, "--data", dataDir,
                              ...nativeTimeArguments(kyr), ...extra, "--snapshot", png], { stdio: "pipe" });
    return execFileSync("convert", [png, "-depth", "8", "rgb:-"], { maxBuffer: 16 << 20 });
  } catch (e) {
    throw new Error(`the native snapshot failed: ${e.stderr ? e.stderr.toString() : e.message}`);
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

// Picture regions (x0, y0, x1, y1, pixels) that hold only text and the
// panel's lines the curves do not reach: they must match exactly.
const textRegions = {
  "help line": [150, 565, 450, 600],
  "time readout": [470, 540, 600, 600],
  "axis labels": [40, 8, 560, 36],
  "curve names": [0, 40, 50, 130],
  "curve values": [546, 40, 600, 130],
};

function differingPixels(a, b, [x0, y0, x1, y1], tolerance) {
  let n = 0;
  for (let y = y0; y < y1; ++y)
    for (let x = x0; x < x1; ++x) {
      const i = (y * side + x) * 3;
      if (Math.max(Math.abs(a[i] - b[i]), Math.abs(a[i + 1] - b[i + 1]), Math.abs(a[i + 2] - b[i + 2])) > tolerance) ++n;
    }
  return n;
}

async function withPage(query, body, hidden = []) {
  const server = await serve(path.resolve(site), hidden);
  const browser = await launch();
  try {
    const { page, errors } = await open(browser, server.url + query);
    await body(page, errors);
  } finally {
    await browser.close();
    await server.close();
  }
}

const state = (page) => page.evaluate(() => ({ ...window.paleoviz }));

const tests = {
  // The still picture of a state against the native snapshot of the same.
  async still_matches_snapshot() {
    const reference = nativeSnapshot(-21, ["--spin", "90", "--step", "8"]);
    await withPage("?embed=1&still=1&time=-21&spin=90&step=8", async (page, errors) => {
      await waitFor(page, () => window.paleoviz.stopped);
      const s = await state(page);
      if (s.frames !== 1 || s.status != null) fail(`the still page drew ${s.frames} frames, status ${s.status}`);
      const picture = (await canvasPixels(page)).rgb;
      const close = side * side - differingPixels(picture, reference, [0, 0, side, side], 16);
      const share = close / (side * side);
      console.log(`pixels within 16/255 of the native snapshot: ${(100 * share).toFixed(2)}%`);
      if (share < 0.95) fail("fewer than 95% of the pixels within 16/255");
      for (const [region, box] of Object.entries(textRegions)) {
        const n = differingPixels(picture, reference, box, 0);
        if (n > 0) fail(`${region}: ${n} pixels differ from the native snapshot`);
      }
      if (errors.length > 0) fail(errors.join("\n"));
    });
  },

  // Keys and a click on the time axis act as in the native window: the
  // same input to both, then the help line (with its caret) and the time
  // readout alike, the panel within the tolerance.
  async keys_and_clicks() {
    if (!native || !fs.existsSync(native)) skip(`no native program at ${native}`);
    for (const tool of ["Xvfb", "xdotool", "import"])
      if (!installed(tool)) skip(`the native window needs ${tool} (Xvfb, xdotool, ImageMagick)`);
    const nativeWindow = await startNativeWindow(native, ["--data", dataDir, "--spin", "90"]);
    const pause = (ms) => new Promise((done) => setTimeout(done, ms));
    try {
      await withPage("?spin=90", async (page, errors) => {
        await waitFor(page, () => window.paleoviz.frames > 0);
        const box = await page.evaluate(() => {
          const r = document.getElementById("canvas").getBoundingClientRect();
          return { x: r.left, y: r.top, scale: r.width / 600 };
        });
        const steps = [
          ["ten y presses", Array(10).fill("y"), Array(10).fill("y")],
          ["7", ["7"], ["7"]],
          ["&", ["&"], ["ampersand"]],
          ["e", ["e"], ["e"]],
          ["space", [" "], ["space"]],
          ["a click on the time axis", { x: 300, y: 20 }, { x: 300, y: 20 }],
        ];
        for (const [what, webInput, nativeInput] of steps) {
          if (Array.isArray(webInput)) {
            for (const k of webInput) await page.keyboard.press(k);
            nativeWindow.keys(nativeInput);
          } else {
            await page.mouse.click(box.x + webInput.x * box.scale, box.y + webInput.y * box.scale);
            nativeWindow.click(nativeInput.x, nativeInput.y);
          }
          const f = (await state(page)).frames;
          await waitFor(page, (n) => window.paleoviz.frames > n + 2, 20000, f);
          await pause(700);
          const web = (await canvasPixels(page)).rgb;
          const reference = nativeWindow.capture();
          if (reference.length !== web.length) throw new Error(`the native window's capture has ${reference.length} bytes`);
          for (const region of ["help line", "time readout", "axis labels", "curve values"]) {
            const n = differingPixels(web, reference, textRegions[region], 0);
            if (n > 0) fail(`after ${what}: ${n} pixels of the ${region} differ from the native window's`);
          }
          const panel = differingPixels(web, reference, [0, 0, side, 135], 16);
          if (panel > 0.005 * side * 135) fail(`after ${what}: ${panel} pixels of the panel differ from the native window's`);
        }
        if (errors.length > 0) fail(errors.join("\n"));
      });
    } finally {
      nativeWindow.close();
    }
  },

  // Ten seconds of the running page: frames keep coming, nothing goes wrong.
  async runs_without_errors() {
    await withPage("?time=-100", async (page, errors) => {
      await waitFor(page, () => window.paleoviz.frames > 0);
      const before = (await state(page)).frames;
      await page.keyboard.press("m");
      await new Promise((done) => setTimeout(done, 10000));
      const s = await state(page);
      console.log(`frames in 10 s: ${s.frames - before}`);
      if (s.frames - before < 10) fail(`only ${s.frames - before} frames in 10 s`);
      if (s.stopped) fail(`the program stopped: ${s.printed.join(" ")}`);
      if (errors.length > 0) fail(errors.join("\n"));
    });
  },

  // Without orbit95b the window's own message is on the page.
  async missing_series() {
    await withPage("", async (page) => {
      await waitFor(page, () => window.paleoviz.stopped);
      const text = await page.evaluate(() => document.getElementById("notice").textContent);
      if (!text.includes('Unable to open file "orbit95b" for read'))
        fail(`the page says "${text}", not the window's message`);
    }, ["data/orbit95b"]);
  },
};

if (!(name in tests)) {
  console.log(`unknown test ${name}; tests: ${Object.keys(tests).join(", ")}`);
  process.exit(2);
}
try {
  await tests[name]();
} catch (e) {
  fail(e.stack || String(e));
}
