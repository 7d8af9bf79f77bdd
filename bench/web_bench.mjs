// The web build's figures in headless Chromium (software rendering,
// SwiftShader): frame times at mesh steps 8 and 2 (each frame waited for,
// as the native benchmark waits for glFinish) and the program's own share of
// them (the frame not waited for), frames per second of the
// running page, load to first frame, and the site's size raw and gzipped.
// Usage: node bench/web_bench.mjs SITE-DIR [frames]   (run by bench/run_web_bench.sh)
import fs from "node:fs";
import path from "node:path";
import zlib from "node:zlib";
import { serve, launch, open, waitFor } from "../web/tests/harness.mjs";

const site = path.resolve(process.argv[2] || "build-web/site");
const frames = Number(process.argv[3] || 50);
const median = (v) => { const s = [...v].sort((a, b) => a - b); return s[Math.floor(s.length / 2)]; };

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
    // one is, so that none is left drawing).
    const own = await page.evaluate((n) => {
      const m = window.paleovizModule, times = [];
      for (let i = 0; i < n + 3; ++i) {
        const t0 = performance.now();
        m._paleoviz_draw_frame();
        times.push(performance.now() - t0);
        m._paleoviz_draw_frame_waited();
      }
      return times.slice(3);
    }, frames);
    await page.close();
    // The running page: animation frames over five seconds.
    const live = await open(browser, `${server.url}?embed=1&step=${step}`);
    await waitFor(live.page, () => window.paleoviz.frames > 2, 60000);
    const f0 = await live.page.evaluate(() => window.paleoviz.frames);
    await new Promise((done) => setTimeout(done, 5000));
    const f1 = await live.page.evaluate(() => window.paleoviz.frames);
    await live.page.close();
    console.log(`web frame step=${step} ms=${median(ms).toFixed(3)} frames=${frames} fps_running=${((f1 - f0) / 5).toFixed(1)} own_ms=${median(own).toFixed(3)}`);
  }
  const loads = [];
  for (let i = 0; i < 3; ++i) {
    const { page } = await open(browser, `${server.url}?embed=1`);
    await waitFor(page, () => window.paleoviz.firstFrameMs !== null, 60000);
    loads.push(await page.evaluate(() => window.paleoviz.firstFrameMs));
    await page.close();
  }
  console.log(`web first_frame ms=${median(loads).toFixed(0)} (median of 3, script start to first frame, files over a local server)`);
  let raw = 0, gzip = 0;
  const walk = (dir) => {
    for (const e of fs.readdirSync(dir, { withFileTypes: true })) {
      const p = path.join(dir, e.name);
      if (e.isDirectory()) walk(p);
      else {
        const bytes = fs.readFileSync(p);
        raw += bytes.length;
        gzip += zlib.gzipSync(bytes, { level: 9 }).length;
      }
    }
  };
  walk(site);
  console.log(`web site bytes=${raw} gzip=${gzip}`);
} finally {
  await browser.close();
  await server.close();
}
