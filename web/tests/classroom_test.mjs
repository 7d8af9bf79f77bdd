// Tests of the classroom page's keyboard, accessibility, address and
// layouts in headless Chromium, one per run:
//   node classroom_test.mjs TEST --site DIR
// TEST is keyboard_and_escape, accessibility, address_follows_state,
// present_layout, map_text_on_phone, save_names or zoomed_picture_whole.
// Exits 0 on success, 1 on failure, 77 (skipped) with the reason when the
// site, Chromium, puppeteer-core or axe-core is missing.
import fs from "node:fs";
import { createRequire } from "node:module";

import { skip, fail, loadHarness, runTest, withSitePage } from "./test_run.mjs";

const harness = await loadHarness();
const { waitFor } = harness;

// The page at `query` once it has drawn a few frames of a time.
const withPage = (query, body) => withSitePage(harness, query, async (page, errors) => {
  await waitFor(page, () => window.paleoviz.frames > 2 && window.paleoviz.time_kyr !== null);
  await body(page, errors);
});

const active = (page) => page.evaluate(() => document.activeElement.id);
const timeShown = (page) => page.evaluate(() => window.paleoviz.time_kyr);
const settle = (page) => page.evaluate(() => new Promise((done) => setTimeout(done, 300)));

// Tabs from where the focus is to the element, or fails.
async function tabTo(page, id) {
  for (let n = 0; n < 60; ++n) {
    if ((await active(page)) === id) return true;
    await page.keyboard.press("Tab");
  }
  fail(`Tab never reached #${id}`);
  return false;
}

// Whether an element's box lies wholly inside the viewport.
const inside = (page, id) => page.evaluate((i) => {
  const r = document.getElementById(i).getBoundingClientRect();
  return r.width > 0 && r.left >= 0 && r.top >= 0 && r.right <= innerWidth && r.bottom <= innerHeight;
}, id);

// The map's text as drawn: each fillText on #map with its font size in CSS
// pixels and its box in canvas pixels, of the last drawing (each starts by
// clearing the whole canvas).
const recordMapText = (page) => page.evaluate(() => {
  window.mapText = [];
  const { fillRect, fillText } = CanvasRenderingContext2D.prototype;
  CanvasRenderingContext2D.prototype.fillRect = function (x, y, w, h) {
    if (this.canvas.id === "map" && x === 0 && y === 0 && w === this.canvas.width) window.mapText = [];
    return fillRect.call(this, x, y, w, h);
  };
  CanvasRenderingContext2D.prototype.fillText = function (text, x, y, maxWidth) {
    if (this.canvas.id === "map" && String(text) !== "") {
      const px = parseFloat(/(\d+(\.\d+)?)px/.exec(this.font)[1]);
      const width = Math.min(this.measureText(text).width, maxWidth === undefined ? Infinity : maxWidth);
      const left = this.textAlign === "center" ? x - width / 2 : this.textAlign === "right" ? x - width : x;
      const css = this.canvas.getBoundingClientRect().width / this.canvas.width;
      window.mapText.push({ text: String(text), cssPx: px * css, left, right: left + width,
                            top: y - 0.75 * px, bottom: y });
    }
    return maxWidth === undefined ? fillText.call(this, text, x, y) : fillText.call(this, text, x, y, maxWidth);
  };
});

const tests = {
  // The picture takes keys only while focused; the page's fields keep theirs.
  async keyboard_and_escape() {
    await withPage("?time=-21", async (page) => {
      if ((await active(page)) !== "canvas") fail("the picture does not start with the focus");
      await page.keyboard.press("y");
      await waitFor(page, () => window.paleoviz.time_kyr === -22, 5000).catch(() => fail("y on the picture did nothing"));
      if (!(await tabTo(page, "pick-lat"))) return;
      await page.keyboard.down("Control"); await page.keyboard.press("a"); await page.keyboard.up("Control");
      await page.keyboard.type("45");
      await page.keyboard.press("Enter");
      await page.keyboard.press("Escape");
      await waitFor(page, () => document.getElementById("q-caption").textContent.includes("45°N"), 5000)
        .catch(() => fail("typing 45 and Enter did not set the latitude"));
      if (!(await tabTo(page, "set-e"))) return;
      const before = await page.$eval("#set-e", (e) => e.value), t0 = await timeShown(page);
      await page.keyboard.press("ArrowRight");
      await settle(page);
      if ((await page.$eval("#set-e", (e) => e.value)) === before) fail("ArrowRight on the e slider did not move it");
      if ((await timeShown(page)) !== t0) fail(`ArrowRight on the e slider moved the time from ${t0} to ${await timeShown(page)}`);
      if (await page.evaluate(() => window.paleoviz.stopped)) fail("Escape in a field stopped the program");
      await page.click("#canvas");
      await page.keyboard.press("Escape");
      await waitFor(page, () => window.paleoviz.stopped, 5000).catch(() => fail("Escape on the picture did not stop it"));
      const [disabled, notice] = await page.evaluate(() => [document.getElementById("set-e").disabled,
                                                            document.getElementById("notice").textContent]);
      if (!disabled || !notice.includes("reload")) fail(`after Escape: controls disabled ${disabled}, notice "${notice}"`);
    });
  },

  // axe-core finds nothing serious or critical, wide and on a phone.
  async accessibility() {
    let axePath;
    try {
      axePath = createRequire(import.meta.url).resolve("axe-core/axe.min.js");
    } catch {
      skip("axe-core is not installed (npm ci in web/tests)");
    }
    for (const [width, height] of [[1920, 1080], [390, 844]]) {
      await withPage("", async (page) => {
        await page.setViewport({ width, height });
        await page.addScriptTag({ path: axePath });
        const found = await page.evaluate(async () => (await window.axe.run(document)).violations
          .filter((v) => v.impact === "serious" || v.impact === "critical")
          .map((v) => `${v.id} (${v.impact}): ${v.nodes.map((n) => n.target.join(" ")).join(", ")}`));
        for (const v of found) fail(`${width}×${height}: ${v}`);
      });
    }
  },

  // The address follows a slider; that address shows the same map again.
  // A named period sets its time and names it.
  async address_follows_state() {
    await withPage("?time=-21", async (page) => {
      await page.evaluate(() => {
        const el = document.getElementById("set-e");
        el.value = "0.05";
        el.dispatchEvent(new Event("input", { bubbles: true }));
      });
      await waitFor(page, () => location.search.includes("elements=0.05"), 5000)
        .catch(() => fail(`the address after a slider move is ${location.search}`));
      await waitFor(page, () => window.paleoviz.map !== null && window.paleoviz.map.shown.e === 0.05);
      const before = await page.evaluate(() => window.paleoviz.map.values.flat());
      await page.goto(await page.evaluate(() => location.href), { waitUntil: "load" });
      await waitFor(page, () => window.paleoviz.map !== null && window.paleoviz.map.shown.e === 0.05);
      const after = await page.evaluate(() => window.paleoviz.map.values.flat());
      const worst = Math.max(...before.map((v, i) => Math.abs(v - after[i])));
      if (!(after.length === before.length && worst < 1e-9)) fail(`the reloaded map differs by ${worst} W/m²`);
      await page.click("#periods button[data-kyr='-127']");
      await waitFor(page, () => window.paleoviz.time_kyr === -127, 5000).catch(() => fail("127 ka did not go to -127 kyr"));
      const caption = await page.$eval("#period-caption", (e) => e.textContent);
      if (!caption.includes("Eemian")) fail(`127 ka is captioned "${caption}"`);
    });
  },

  // Presenting at 1920×1080: the picture, drawn larger, and the map both
  // wholly on screen.
  async present_layout() {
    await withPage("", async (page) => {
      await page.setViewport({ width: 1920, height: 1080 });
      await page.click("#present");
      await waitFor(page, () => document.body.classList.contains("present"), 5000);
      await waitFor(page, () => document.getElementById("canvas").width > 600, 5000)
        .catch(() => fail("the presented picture is still drawn at 600 pixels"));
      await settle(page);
      for (const id of ["canvas", "map"]) if (!(await inside(page, id))) fail(`#${id} is not wholly on screen`);
      const size = await page.evaluate(() => parseFloat(getComputedStyle(document.getElementById("now-time")).fontSize));
      if (!(size >= 18)) fail(`the readout's text is ${size} px`);
    });
  },

  // On a phone the map's text shows at 11 CSS px or more and no two labels
  // touch, in every layout of the map.
  async map_text_on_phone() {
    await withPage("", async (page) => {
      // A change of isMobile reloads the page.
      await page.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true });
      await waitFor(page, () => window.paleoviz.frames > 2 && window.paleoviz.map !== null);
      await recordMapText(page);
      for (const toggle of ["resize", "#map-sides", "#map-x"]) {
        if (toggle === "#map-x") await page.select("#map-x", "months");
        else if (toggle === "resize") await page.evaluate(() => dispatchEvent(new Event("resize")));
        else await page.click(toggle);
        await waitFor(page, () => window.mapText.length > 0, 5000).catch(() => fail(`no map drawn after ${toggle}`));
        await settle(page);
        const texts = await page.evaluate(() => { const t = window.mapText; window.mapText = []; return t; });
        const smallest = Math.min(...texts.map((t) => t.cssPx));
        console.log(`after ${toggle}: ${texts.length} texts, smallest ${smallest.toFixed(2)} CSS px`);
        if (!(smallest >= 10.99)) fail(`after ${toggle}: the map's text is ${smallest.toFixed(2)} CSS px`);
        texts.forEach((a, i) => texts.slice(i + 1).forEach((b) => {
          if (a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom)
            fail(`after ${toggle}: "${a.text}" overlaps "${b.text}"`);
        }));
      }
    });
  },

  // The picture's PNG is named as the other exports name the state.
  async save_names() {
    const cases = [["?time=-21", "paleoviz-21ka.png"], ["?elements=0.05,24.5,90", "paleoviz-e0.05-obl24.5-peri90.png"]];
    for (const [query, expected] of cases) {
      await withPage(query, async (page) => {
        const saved = await page.evaluate(() => new Promise((done) => {
          HTMLAnchorElement.prototype.click = function () { done(this.download); };
          document.getElementById("save").click();
        }));
        if (saved !== expected) fail(`${query}: the picture is saved as ${saved}, not ${expected}`);
      });
    }
  },

  // At 150% zoom of a 1280×720 and a 1920×1080 window the picture lies
  // wholly on screen.
  async zoomed_picture_whole() {
    for (const [width, height] of [[1280, 720], [1920, 1080]]) {
      await withPage("", async (page) => {
        await page.setViewport({ width: Math.round(width / 1.5), height: Math.round(height / 1.5), deviceScaleFactor: 1.5 });
        await settle(page);
        const box = await page.evaluate(() => JSON.stringify(document.getElementById("canvas").getBoundingClientRect()));
        console.log(`${width}×${height} at 150%: canvas ${box}`);
        if (!(await inside(page, "canvas"))) fail(`${width}×${height} at 150%: the picture is cut off: ${box}`);
      });
    }
  },
};

await runTest(tests);
