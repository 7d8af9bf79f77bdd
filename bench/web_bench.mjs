// The web build's figures in headless Chromium (software rendering,
// SwiftShader): frame times at mesh steps 8 and 2 (each frame waited for,
// as the native benchmark waits for glFinish) and the program's own share of
// them (the frame not waited for), also when every frame's colours change, frames per second of the running page,
// load to first frame (from the page's script start, and from navigation in
// a fresh browser, also for an orbit near e = 1), the site's size raw and
// gzipped and the one-file offline page's, and the page's
// latitude x season map: its recomputation after a slider move and after a
// time step, and the running page's frame rate with and without it.
// Usage: node bench/web_bench.mjs SITE-DIR [frames]   (run by bench/run_web_bench.sh)
import fs from "node:fs";
import path from "node:path";
import zlib from "node:zlib";
import { serve, launch, open, waitFor } from "../web/tests/harness.mjs";

const site = path.resolve(process.argv[2] || "build-web/site");
const frames = Number(process.argv[3] || 50);
const median = (v) => { const s = [...v].sort((a, b) => a - b); return s[Math.floor(s.length / 2)]; };

// Navigation to the first frame (the page's mark) and to the first
// animation frame after it, when the page can show it (what follows the
// frame in the same task, the readout, chart and map, delays that), each
// load in a browser of its own with a fresh profile: nothing cached.
async function firstFramesFromNavigation(url, n) {
  const drawn = [], shown = [];
  for (let i = 0; i < n; ++i) {
    const fresh = await launch();
    try {
      const page = await fresh.newPage();
      await page.setViewport({ width: 1200, height: 900 });
      await page.goto(url, { waitUntil: "domcontentloaded" });
      const handle = await page.waitForFunction(
        () => performance.getEntriesByName("paleoviz-first-frame").length > 0 && performance.now(),
        { polling: "raf", timeout: 60000 });
      shown.push(await handle.jsonValue());
      drawn.push(await page.evaluate(() => performance.getEntriesByName("paleoviz-first-frame")[0].startTime));
    } finally {
      await fresh.close();
    }
  }
  return { drawn, shown };
}

const server = await serve(site);
const browser = await launch();
try {
  const version = await browser.version();
  const probe = await browser.newPage();
  const renderer = await probe.evaluate(() => {
    const g = document.createElement("canvas").getContext("webgl2");
    const info = g && g.getExtension("WEBGL_debug_renderer_info");
    return g ? (info ? g.getParameter(info.UNMASKED_RENDERER_WEBGL) : g.getParameter(g.RENDERER)) : "no WebGL 2";
  });
  await probe.close();
  console.log(`browser: ${version}, renderer: ${renderer}`);
  for (const step of [8, 2]) {
    // The still page pauses its loop; the frames are then drawn one by one.
    const { page } = await open(browser, `${server.url}?embed=1&still=1&step=${step}`);
    await waitFor(page, () => window.paleoviz.stopped, 60000);
    const ms = await page.evaluate((n) => {
      const m = window.paleovizModule, times = [];
      for (let i = 0; i < n + 3; ++i) {
        const t0 = performance.now();
        m._paleoviz_draw_frame_waited();
        times.push(performance.now() - t0);
      }
      return times.slice(3);
    }, frames);
    // The program's own share: the same frames, not waited for (the last
    // one is, so that none is left drawing); then frames whose globes all
    // change colour (the time moved between two ages each frame).
    const ownShare = (newColours) => page.evaluate((n, newColours) => {
      const m = window.paleovizModule, times = [];
      for (let i = 0; i < n + 3; ++i) {
        if (newColours) m._paleoviz_set_time(i % 2 === 0 ? -21 : -100);
        const t0 = performance.now();
        m._paleoviz_draw_frame();
        times.push(performance.now() - t0);
        m._paleoviz_draw_frame_waited();
      }
      return times.slice(3);
    }, frames, newColours);
    const own = await ownShare(false), ownNew = await ownShare(true);
    await page.close();
    // The running page: animation frames over five seconds.
    const live = await open(browser, `${server.url}?embed=1&step=${step}`);
    await waitFor(live.page, () => window.paleoviz.frames > 2, 60000);
    const f0 = await live.page.evaluate(() => window.paleoviz.frames);
    await new Promise((done) => setTimeout(done, 5000));
    const f1 = await live.page.evaluate(() => window.paleoviz.frames);
    await live.page.close();
    console.log(`web frame step=${step} ms=${median(ms).toFixed(3)} frames=${frames} fps_running=${((f1 - f0) / 5).toFixed(1)} own_ms=${median(own).toFixed(3)} own_new_colours_ms=${median(ownNew).toFixed(3)}`);
  }
  // The map: each change handled at once (readout, chart and the 181 x 360
  // map from the module), timed around the control's event.
  {
    const { page } = await open(browser, `${server.url}?time=-100`);
    await waitFor(page, () => window.paleoviz.map !== null, 60000);
    await new Promise((done) => setTimeout(done, 300));
    const figures = await page.evaluate(async (n) => {
      // Past the map's shortest redraw interval, so that each change is drawn at once.
      const pause = () => new Promise((done) => setTimeout(done, 800));
      const slider = document.getElementById("set-e"), key = document.querySelector('#key-buttons button[data-key="y"]');
      const slide = [], step = [], mapOnly = [];
      let missed = 0;
      for (let i = 0; i < n; ++i) {
        await pause();
        const e = 0.01 + 0.002 * (i % 20);
        slider.value = String(e);
        let t0 = performance.now();
        slider.dispatchEvent(new Event("input"));
        slide.push(performance.now() - t0);
        mapOnly.push(window.paleoviz.mapMs);
        if (Math.abs(window.paleoviz.map.shown.e - e) > 1e-12) ++missed;
        document.getElementById("back-to-series").click();
        await pause();
        const t = window.paleoviz.time_kyr;
        t0 = performance.now();
        key.click();
        step.push(performance.now() - t0);
        if (window.paleoviz.map.shown.time_kyr !== t - 1) ++missed;
      }
      return { slide, step, mapOnly, missed };
    }, 15);
    // The module's share: the 181 x 360 daily means alone (paleoviz_map).
    const kernel = await page.evaluate((n) => {
      const m = window.paleovizModule, values = m._malloc(8 * 181 * 360), lon = m._malloc(8 * 360), t = [];
      for (let i = 0; i < n; ++i) {
        const t0 = performance.now();
        m._paleoviz_map(values, lon, 181, 360, i % 2, 0.01 + 0.002 * (i % 20), 23.4, 100);
        t.push(performance.now() - t0);
      }
      m._free(values);
      m._free(lon);
      return t.sort((a, b) => a - b)[Math.floor(n / 2)];
    }, 41);
    await page.close();
    console.log(`web map slider ms=${median(figures.slide).toFixed(1)} time_step ms=${median(figures.step).toFixed(1)} ` +
                `map_alone ms=${median(figures.mapOnly).toFixed(1)} kernel ms=${kernel.toFixed(2)} ` +
                `(181x360, median of 15; target under 8; ` +
                `${figures.missed} of 30 changes not drawn at once)`);
  }
  // Frame rate of the running page (time running by itself, m), with and
  // without the map, alternated to share the machine's load.
  const running = async (query) => {
    const { page } = await open(browser, `${server.url}?time=-100&${query}`);
    await waitFor(page, () => window.paleoviz.frames > 2, 60000);
    await page.keyboard.press("m");
    await new Promise((done) => setTimeout(done, 1000));
    const f0 = await page.evaluate(() => window.paleoviz.frames);
    await new Promise((done) => setTimeout(done, 5000));
    const f1 = await page.evaluate(() => window.paleoviz.frames);
    await page.close();
    return (f1 - f0) / 5;
  };
  const withMap = [], withoutMap = [];
  for (let i = 0; i < 2; ++i) {
    withoutMap.push(await running("map=0"));
    withMap.push(await running("map=1"));
  }
  const fpsWith = withMap.reduce((a, b) => a + b) / withMap.length;
  const fpsWithout = withoutMap.reduce((a, b) => a + b) / withoutMap.length;
  console.log(`web map fps_without=${fpsWithout.toFixed(1)} fps_with=${fpsWith.toFixed(1)} ` +
              `ratio=${(fpsWith / fpsWithout).toFixed(3)} (running page, two runs each; target at least 0.90)`);
  const loads = [];
  for (let i = 0; i < 3; ++i) {
    const { page } = await open(browser, `${server.url}?embed=1`);
    await waitFor(page, () => window.paleoviz.firstFrameMs !== null, 60000);
    loads.push(await page.evaluate(() => window.paleoviz.firstFrameMs));
    await page.close();
  }
  console.log(`web first_frame ms=${median(loads).toFixed(0)} (median of 3, script start to first frame, files over a local server)`);
  for (const [label, query] of [["page", ""], ["elements_0.99", "?elements=0.99,23.4,90"]]) {
    const { drawn, shown } = await firstFramesFromNavigation(server.url + query, 5);
    const list = (v) => v.map((x) => x.toFixed(0)).join(" ");
    console.log(`web first_frame_fresh ${label} drawn ms=${median(drawn).toFixed(0)} shown ms=${median(shown).toFixed(0)} ` +
                `(medians of 5: ${list(drawn)}; ${list(shown)}; from navigation, each in a fresh browser; target under 1000)`);
  }
  let raw = 0, gzip = 0;
  const offline = path.join(site, "paleoviz-offline.html");
  const walk = (dir) => {
    for (const e of fs.readdirSync(dir, { withFileTypes: true })) {
      const p = path.join(dir, e.name);
      if (e.isDirectory()) walk(p);
      else if (p !== offline) {
        const bytes = fs.readFileSync(p);
        raw += bytes.length;
        gzip += zlib.gzipSync(bytes, { level: 9 }).length;
      }
    }
  };
  walk(site);
  console.log(`web site bytes=${raw} gzip=${gzip}`);
  if (fs.existsSync(offline)) {
    const bytes = fs.readFileSync(offline);
    console.log(`web offline_page bytes=${bytes.length} gzip=${zlib.gzipSync(bytes, { level: 9 }).length}`);
  }
} finally {
  await browser.close();
  await server.close();
}
