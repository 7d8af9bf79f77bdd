// Tests of the page's classroom materials in headless Chromium, one per run:
//   node materials_test.mjs TEST --site DIR [--data DIR --tool PROGRAM]
// TEST is records_match_files, forcing_matches_tool, honest_key,
// export_names or recording_webm. Exits 0 on success, 1 on failure, 77
// (skipped) with the reason when the site, Chromium, puppeteer-core, the
// data or the tool is missing.
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";

import { option, skip, fail, loadHarness, runTest, withSitePage } from "./test_run.mjs";

const dataDir = option("--data");
const tool = option("--tool");
const harness = await loadHarness();
const { waitFor } = harness;

const withPage = (query, body) => withSitePage(harness, query, body);

const mapShown = (page, kyr) => waitFor(page, (t) => window.paleoviz.map !== null &&
  window.paleoviz.map.shown.time_kyr === t, 20000, kyr);

// [first age, last age, rows] of a data file's numeric rows (ages as in
// the file), read here independently of the page.
function fileSpan(file, ageColumn, valueColumn) {
  const rows = fs.readFileSync(path.join(dataDir, file), "utf8").split(/\r?\n/)
    .map((l) => l.replace(/^\uFEFF/, "").trim().split(/\s+/))
    .filter((c) => /^-?[\d.]+$/.test(c[ageColumn] || "") && /^-?[\d.]+$/.test(c[valueColumn] || ""));
  return [Number(rows[0][ageColumn]), Number(rows[rows.length - 1][ageColumn]), rows.length];
}

const tests = {
  async records_match_files() {
    if (!dataDir) skip("no --data folder");
    const files = [["lr04/lr04-stack.txt", 0, 1, 1, "‰"], ["antarctica2015/antarctica2015-co2-composite.txt", 0, 1, 1000, "ppmv"],
                   ["edc3/edc3-deuterium-temperature-2007.txt", 2, 4, 1000, "°C"]];
    await withPage("?time=0", async (page) => {
      await waitFor(page, () => Array.isArray(window.paleoviz.records) && window.paleoviz.records.length === 3);
      const records = await page.evaluate(() => window.paleoviz.records.map((r) =>
        ({ name: r.name, units: r.units, n: r.age_kyr.length, first: r.age_kyr[0], last: r.age_kyr[r.age_kyr.length - 1],
           values: r.values.length, nan: r.values.some((v) => !Number.isFinite(v)) })));
      files.forEach(([file, a, v, perKyr, units], i) => {
        const [first, last, n] = fileSpan(file, a, v), r = records[i];
        if (r.n !== n || r.values !== n || r.nan) fail(`${r.name}: ${r.n} ages, ${r.values} values, the file ${n} rows`);
        if (Math.abs(r.first - first / perKyr) > 1e-9 || Math.abs(r.last - last / perKyr) > 1e-9)
          fail(`${r.name} spans ${r.first} to ${r.last} kyr, the file ${first / perKyr} to ${last / perKyr}`);
        if (r.units !== units) fail(`${r.name} is in ${r.units}, not ${units}`);
      });
      if (!/LR04/.test(records[0].name) || !/CO₂/.test(records[1].name) || !/Dome C/.test(records[2].name))
        fail(`the records are ${records.map((r) => r.name).join(", ")}`);
    });
  },

  async forcing_matches_tool() {
    if (!tool || !fs.existsSync(tool)) skip(`no insolation tool at ${tool}`);
    const orbit = path.join(dataDir, "orbit95b");
    const printedValue = (args) => execFileSync(tool, [...args, "--orbit", orbit, "--time", "-127", "--lat", "65"])
      .toString().trim().split("\n").pop().split(",");
    const cases = [["caloric", printedValue(["caloric"])[1]], ["threshold", printedValue(["threshold", "--threshold", "275"])[1]],
                   ["annual", printedValue(["annual"])[1]]];
    await withPage("?time=-127&lat=65", async (page) => {
      await mapShown(page, -127);
      for (const [measure, text] of cases) {
        await page.select("#chart-measure", measure);
        await waitFor(page, (m) => window.paleoviz.chart.measure === m, 20000, measure);
        const v = await page.evaluate(() => { const c = window.paleoviz.chart; return c.values[-127 - c.first]; });
        const digits = (text.split(".")[1] || "").length;
        if (!(Math.abs(v - Number(text)) <= 0.5 * 10 ** -digits + 1e-12))
          fail(`${measure} at 65°N, -127 kyr: the chart has ${v}, the tool prints ${text}`);
      }
      const c = await page.evaluate(() => window.paleoviz.chart);
      if (c.last !== 0 || c.units !== "W/m²") fail(`the chart ends at ${c.last} kyr in ${c.units}`);
    });
  },

  async honest_key() {
    await withPage("?elements=0.06,30,90", async (page) => {
      await waitFor(page, () => window.paleoviz.map !== null && window.paleoviz.map.shown.obl === 30);
      const r = await page.evaluate(async () => {
        const { constants } = await import("./constants.js");
        const { sequentialColour, polarNightColour } = await import("./palette.js");
        const m = window.paleoviz.map, top = (constants.paletteSize - 1) * constants.paletteStep;
        const same = (a, b) => a.every((x, i) => Math.round(x) === Math.round(b[i]));
        let night = 0;
        for (let v = 0.01; v <= top + 20; v += 0.5) if (same(sequentialColour(v), polarNightColour)) ++night;
        return { keyTop: m.keyTop, top, changesAbove: !same(sequentialColour(top), sequentialColour(top + 50)),
                 changesBelow: !same(sequentialColour(top - 3), sequentialColour(top)), night,
                 zero: same(sequentialColour(0), polarNightColour),
                 pole: m.values[180][90], over: window.paleoviz.mapHoverText(90, 90),
                 south: window.paleoviz.mapHoverText(-90, 90) };
      });
      if (Math.abs(r.keyTop - r.top) > 1e-9) fail(`the key's top is ${r.keyTop} W/m², the colours stop at ${r.top}`);
      if (r.changesAbove || !r.changesBelow) fail("the colours change above the key's top, or not just below it");
      if (!r.zero || r.night > 0) fail(`polar night's colour: ${r.zero ? "its own" : "not used"}, shared by ${r.night} values`);
      if (!(r.pole > r.top) || !/above the key's range/.test(r.over)) fail(`the June pole (${r.pole} W/m²) says "${r.over}"`);
      if (!/polar night/.test(r.south)) fail(`the June south pole says "${r.south}"`);
    });
  },

  async export_names() {
    await withPage("?time=-127", async (page) => {
      await mapShown(page, -127);
      const plain = await page.evaluate(() => window.paleoviz.exportNames());
      await page.click("#map-anomaly");
      await waitFor(page, () => window.paleoviz.map.anomaly);
      const anomaly = await page.evaluate(() => window.paleoviz.exportNames());
      if (plain.csv !== "paleoviz-map-127ka.csv") fail(`the map's CSV is named ${plain.csv}`);
      if (anomaly.csv !== "paleoviz-map-127ka-minus-0ka.csv") fail(`the anomaly's CSV is named ${anomaly.csv}`);
      if (plain.picture !== "paleoviz-127ka.png") fail(`the picture is named ${plain.picture}`);
      const svg = await page.evaluate(() => window.paleoviz.mapSvg());
      for (const needed of ["<svg", "W/m²", "minus today", "orbit:"]) if (!svg.includes(needed)) fail(`the SVG lacks ${needed}`);
    });
    await withPage("?elements=0.05,24.5,90", async (page) => {
      await waitFor(page, () => window.paleoviz.map !== null && window.paleoviz.map.shown.e === 0.05);
      const names = await page.evaluate(() => window.paleoviz.exportNames());
      if (names.picture !== "paleoviz-e0.05-obl24.5-peri90.png") fail(`the held orbit's picture is named ${names.picture}`);
    });
  },

  async recording_webm() {
    await withPage("?time=0", async (page) => {
      await mapShown(page, 0);
      await page.click("#record");
      await page.evaluate(() => window.paleovizModule._paleoviz_key("m".charCodeAt(0)));
      await new Promise((done) => setTimeout(done, 2500));
      await page.click("#record");
      await waitFor(page, () => window.paleoviz.lastRecording !== undefined, 20000);
      const r = await page.evaluate(async () => {
        const { name, size, blob } = window.paleoviz.lastRecording;
        return { name, size, head: Array.from(new Uint8Array(await blob.slice(0, 4).arrayBuffer())) };
      });
      const span = /^paleoviz-0ka-to-(\d+)ka\.webm$/.exec(r.name);
      if (span === null || Number(span[1]) <= 0) fail(`the video is named ${r.name}`);
      if (!(r.size > 1000) || r.head.join(",") !== "26,69,223,163") fail(`the video: ${r.size} bytes beginning ${r.head}`);
    });
  },
};

await runTest(tests);
