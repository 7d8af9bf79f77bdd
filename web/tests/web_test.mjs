// Tests of the web build in headless Chromium, one per run:
//   node web_test.mjs TEST --site DIR [--native PROGRAM --data DIR]
// TEST is still_matches_snapshot, keys_and_clicks, runs_without_errors,
// missing_series, map_matches_tool, elements_match_snapshot, touch_buttons,
// map_controls or address_notes. Exits 0 on success, 1 on failure, 77 (skipped) with the
// reason when the site, Chromium or puppeteer-core is missing.
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";

import { option, site, skip, fail, loadHarness, runTest } from "./test_run.mjs";

const native = option("--native");
const dataDir = option("--data");
const tool = option("--tool");
const harness = await loadHarness();
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
  // The curves begin at x = 45, where native and WebGL lines may part by a pixel.
  "curve names": [0, 40, 44, 130],
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

const state = (page) => page.evaluate(() => ({ ...window.paleoviz, map: null }));

// A screenshot of the page's top left side x side pixels, as RGB bytes.
async function pagePixels(page) {
  const png = await page.screenshot({ clip: { x: 0, y: 0, width: side, height: side }, encoding: "binary" });
  return execFileSync("convert", ["png:-", "-depth", "8", "rgb:-"], { input: png, maxBuffer: 16 << 20 });
}

// The map's value at a latitude and true longitude on its grid (degrees).
const mapValue = (page, lat, lon) => page.evaluate((la, lo) => {
  const m = window.paleoviz.map;
  return m.values[m.lat.indexOf(la)][m.lon.findIndex((l) => Math.abs(l - lo) < 1e-9)];
}, lat, lon);

const tests = {
  // The still picture of a state against the native snapshot of the same.
  async still_matches_snapshot() {
    const reference = nativeSnapshot(-21, ["--spin", "90", "--step", "8"]);
    await withPage("?embed=1&still=1&time=-21&spin=90&step=8", async (page, errors) => {
      await waitFor(page, () => window.paleoviz.stopped);
      const s = await state(page);
      if (s.frames !== 1 || s.status != null) fail(`the still page drew ${s.frames} frames, status ${s.status}`);
      const picture = (await canvasPixels(page)).rgb;
      // What a user sees: the page's own pixels over the canvas, notice included.
      const seen = await pagePixels(page);
      const overlaid = differingPixels(seen, picture, [0, 0, side, side], 16);
      if (overlaid > 0.001 * side * side) fail(`${overlaid} pixels of the page differ from its canvas (a notice over the picture?)`);
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

  // Frames reuse the vertices the browser holds: a frame like the one
  // before uploads none, one whose colours changed uploads those colours and
  // not the places of their vertices. The globes' bands made whole (some
  // kept from the frame before, some made anew) give byte for byte the
  // vertices of the per-vertex calls, so switching between the two uploads
  // nothing either, at the coarsest, a middle and the finest mesh step. All
  // of it after the still's one frame: the runtime must still be alive, or
  // step 2's larger frames overwrite freed buffers. (That such frames still
  // show what the native window shows, keys_and_clicks checks.)
  async unchanged_frames_upload_nothing() {
    for (const step of [10, 6, 2]) {
      await withPage(`?embed=1&still=1&spin=90&step=${step}&time=-21`, async (page, errors) => {
        await waitFor(page, () => window.paleoviz.stopped);
        const uploads = await page.evaluate(() => {
          const P = WebGL2RenderingContext.prototype, sub = P.bufferSubData, draw = P.drawArrays;
          let bytes = 0, vertices = 0;
          // WebGL 2's form: (target, offset, source, sourceOffset, length).
          P.bufferSubData = function (...a) {
            bytes += a.length >= 5 ? a[4] : a[2].byteLength;
            return sub.apply(this, a);
          };
          P.drawArrays = function (mode, first, count) {
            vertices = Math.max(vertices, first + count);
            return draw.call(this, mode, first, count);
          };
          const m = window.paleovizModule, frame = () => { bytes = 0; m._paleoviz_draw_frame_waited(); return bytes; };
          frame();
          const again = frame();
          m._paleoviz_set_time(-100);
          const changed = frame();
          m._paleoviz_whole_bands(0);
          const perVertex = frame();
          m._paleoviz_whole_bands(1);
          return { again, changed, perVertex, whole: frame(), vertices };
        });
        if (uploads.again !== 0) fail(`step ${step}: the same frame again uploaded ${uploads.again} bytes`);
        if (uploads.perVertex !== 0 || uploads.whole !== 0)
          fail(`step ${step}: whole bands and per-vertex calls differ (${uploads.perVertex}, ${uploads.whole} bytes uploaded)`);
        if (!(uploads.changed > 0)) fail(`step ${step}: a frame with new colours uploaded nothing`);
        // New colours are 4 bytes a vertex; the places (20 bytes) stay.
        if (uploads.changed > 8 * uploads.vertices)
          fail(`step ${step}: new colours uploaded ${uploads.changed} bytes for ${uploads.vertices} vertices`);
        if (errors.length > 0) fail(errors.join("\n"));
      });
    }
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

Object.assign(tests, {
  // The map at -127 kyr against the insolation tool at some of its points,
  // both from the window's series; the anomaly at its reference is zero.
  async map_matches_tool() {
    if (!tool || !fs.existsSync(tool)) skip(`no insolation tool at ${tool}`);
    const csv = execFileSync(tool, ["daily", "--orbit", path.join(dataDir, "orbit95b"), "--time", "-127",
                                    "--lat", "-90:90:45", "--lon", "0:270:90"]).toString();
    const lines = csv.split("\n").filter((l) => l !== "" && !l.startsWith("#"));
    const names = lines[0].split(","), values = lines[1].split(",").map(Number);
    await withPage("?time=-127", async (page, errors) => {
      await waitFor(page, () => window.paleoviz.map !== null && window.paleoviz.map.shown.time_kyr === -127);
      for (let k = 1; k < names.length; ++k) {
        const [, lat, lon] = names[k].match(/lat(-?\d+)_lon(\d+)/).map(Number);
        const v = await mapValue(page, lat, lon);
        if (!(Math.abs(v - values[k]) < 1e-6)) fail(`map at ${lat}°, λ ${lon}°: ${v}, the tool gives ${values[k]}`);
      }
      if (errors.length > 0) fail(errors.join("\n"));
    });
    // The chart's curve on a calendar day at another latitude, at -127 kyr.
    const day = execFileSync(tool, ["daily", "--orbit", path.join(dataDir, "orbit95b"), "--time", "-127",
                                    "--lat", "-30", "--day", "172"]).toString().trim().split("\n").pop().split(",").map(Number)[1];
    await withPage("?time=-127&lat=-30&day=172", async (page) => {
      await waitFor(page, () => window.paleoviz.chart !== undefined && window.paleoviz.time_kyr === -127);
      const c = await page.evaluate(() => window.paleoviz.chart);
      const v = c.values[-127 - c.first];
      if (!(Math.abs(v - day) < 1e-6)) fail(`the chart at -30°, day 172, -127 kyr: ${v}, the tool gives ${day}`);
    });
    for (const [query, pin, t] of [["?time=-127&anomaly=1&ref=-127", false, -127], ["?time=-40&anomaly=1", true, -40]]) {
      await withPage(query, async (page) => {
        await waitFor(page, (kyr) => window.paleoviz.map !== null && window.paleoviz.map.anomaly &&
                                     window.paleoviz.map.shown.time_kyr === kyr, 20000, t);
        if (pin) {  // the state pinned is the reference
          await page.click("#map-pin");
          await waitFor(page, () => window.paleoviz.map.reference === -40);
        }
        const m = await page.evaluate(() => window.paleoviz.map);
        const largest = Math.max(...m.values.flat().map(Math.abs));
        if (!(largest === 0)) fail(`${query}: the anomaly at the reference reaches ${largest} W/m²`);
      });
    }
  },

  // A hand-set orbit drawn by the page and by the native window alike.
  async elements_match_snapshot() {
    const elements = "0.055,24.2,300";
    const reference = nativeSnapshot(0, ["--elements", elements, "--spin", "90", "--step", "8"]);
    await withPage(`?embed=1&still=1&spin=90&step=8&elements=${elements}`, async (page, errors) => {
      await waitFor(page, () => window.paleoviz.stopped);
      const picture = await pagePixels(page);
      const share = 1 - differingPixels(picture, reference, [0, 0, side, side], 16) / (side * side);
      console.log(`pixels within 16/255 of the native snapshot: ${(100 * share).toFixed(2)}%`);
      if (share < 0.95) fail("fewer than 95% of the pixels within 16/255");
      const n = differingPixels(picture, reference, textRegions["curve values"], 0);
      if (n > 0) fail(`the curve values differ in ${n} pixels`);
      if (errors.length > 0) fail(errors.join("\n"));
    });
  },

  // What the page says about its address: a clamped time, refused values;
  // a long message stays beside the picture, not above the readout.
  async address_notes() {
    const cases = [["?time=-9999", "shown at -5799 kyr"], ["?elements=1.5,23,0&caps=blue", "Ignored: elements=1.5,23,0"],
                   [`?elements=${"9".repeat(400)},23,0&spin=${"x".repeat(400)}`, "; elements=999"],
                   // The library's own check of elements given by hand, with its message.
                   ["?elements=0.01,95,0", "obliquity 95 is outside [0, 90] degrees"]];
    for (const [query, expected] of cases) {
      await withPage(query, async (page, errors) => {
        await waitFor(page, () => window.paleoviz.time_kyr !== null && window.paleoviz.frames > 2);
        const text = await page.$eval("#notice", (e) => (e.hidden ? "" : e.textContent));
        if (!text.includes(expected)) fail(`${query}: the page says "${text}"`);
        const [readout, picture] = await page.evaluate(() => [document.getElementById("now").getBoundingClientRect().top,
                                                             document.getElementById("canvas").getBoundingClientRect().bottom]);
        if (!(readout < picture)) fail(`${query}: the readout starts at ${readout} px, below the picture's end at ${picture}`);
        if (errors.length > 0) fail(errors.join("\n"));
      });
    }
  },

  // A phone: taps on the on-screen keys and on the time slider move the time.
  async touch_buttons() {
    await withPage("", async (page, errors) => {
      await page.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true });
      await waitFor(page, () => window.paleoviz.time_kyr === 0);
      const labels = await page.$$eval("#key-buttons button", (bs) => bs.map((b) => b.textContent));
      for (const k of ["y", "Y", "7", "&", "e", "p", "o", "m", "z", "Z", "space"])
        if (!labels.includes(k)) fail(`no button labelled ${k}`);
      const button = async (label) => (await page.$$("#key-buttons button"))[labels.indexOf(label)];
      const steps = [["y", -1], ["y", -2], ["7", -27], ["&", -2], ["Y", -1], ["space", 0]];
      for (const [label, expected] of steps) {
        await (await button(label)).tap();
        await waitFor(page, (t) => window.paleoviz.time_kyr === t, 5000, expected)
          .catch(() => fail(`after a tap on ${label} the time is ${expected} kyr? it is not`));
      }
      const slider = await page.$("#time-slider");
      const box = await slider.boundingBox();
      await page.touchscreen.tap(box.x + box.width * 0.25, box.y + box.height / 2);
      await waitFor(page, () => window.paleoviz.time_kyr < -3000, 5000)
        .catch(() => fail("a tap on the time slider's first quarter did not go back in time"));
      if (errors.length > 0) fail(errors.join("\n"));
    });
  },

  // The map, its controls, the orbit set by hand and hovering, with no
  // error; the orbit set by hand shows in the readout and the map.
  async map_controls() {
    await withPage("?time=-21", async (page, errors) => {
      await waitFor(page, () => window.paleoviz.map !== null);
      const setValue = (id, v, type) => page.evaluate((i, x, t) => {
        const el = document.getElementById(i);
        el.value = x;
        el.dispatchEvent(new Event(t, { bubbles: true }));
      }, id, v, type);
      await setValue("set-e", "0.06", "input");
      await setValue("set-varpi", "90", "input");
      await setValue("set-obl-typed", "60", "change");
      await waitFor(page, () => !document.getElementById("hypothetical").hidden);
      const obl = await page.$eval("#now-obl", (e) => e.textContent);
      if (!obl.startsWith("60.000°")) fail(`typed obliquity 60 reads "${obl}"`);
      // ε = 60°: the pole at the June solstice gets more than the equator.
      await waitFor(page, () => window.paleoviz.map.shown.obl === 60);
      const pole = await mapValue(page, 90, 90), equator = await mapValue(page, 0, 90);
      if (!(pole > equator)) fail(`with ε = 60° the June pole gets ${pole} W/m², the equator ${equator}`);
      for (const id of ["map-anomaly", "map-sides"]) await page.click("#" + id);
      await page.select("#map-x", "months");
      await page.click("#map-pin");
      const canvas = await page.$("#map");
      const box = await canvas.boundingBox();
      await page.mouse.move(box.x + box.width * 0.4, box.y + box.height * 0.4);
      const hover = await page.$eval("#map-hover", (e) => e.textContent);
      if (!/W\/m²/.test(hover) || !/anomaly/.test(hover)) fail(`hover over the map says "${hover}"`);
      await (await page.$("#chart")).hover();  // scrolled into view, the pointer at its middle
      const chartHover = await page.$eval("#chart-hover", (e) => e.textContent);
      if (!/kyr: .*W\/m²; anomaly/.test(chartHover)) fail(`hover over the chart says "${chartHover}"`);
      const csv = await page.evaluate(() => window.paleoviz.mapCsv());
      for (const needed of ["W m-2", "solar_constant: 1365", "orbit:", "elements:", "true_longitude"])
        if (!csv.includes(needed)) fail(`the CSV header lacks ${needed}`);
      await page.click("#back-to-series");
      await waitFor(page, () => document.getElementById("hypothetical").hidden);
      for (const key of ["y", "m"]) await page.keyboard.press(key);
      await new Promise((done) => setTimeout(done, 2000));
      const s = await state(page);
      console.log(`map recomputed in ${s.mapMs.toFixed(1)} ms`);
      if (s.stopped) fail(`the program stopped: ${s.printed.join(" ")}`);
      if (errors.length > 0) fail(errors.join("\n"));
    });
  },
});

await runTest(tests);
