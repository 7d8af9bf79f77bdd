// What the web tests share: a small HTTP server for the site, headless
// Debian Chromium driven by puppeteer-core, pictures read from the canvas.
import http from "node:http";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import puppeteer from "puppeteer-core";

export const chromiumPath = process.env.PALEOVIZ_CHROMIUM || "/usr/bin/chromium";
// CTest counts this exit status as a skipped test.
export const skipStatus = 77;

const types = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm",
                ".txt": "text/plain" };

// Serves the folder on 127.0.0.1 at a free port; files listed in `hidden`
// answer 404 as if absent.
export function serve(folder, hidden = []) {
  const server = http.createServer((req, res) => {
    const name = decodeURIComponent(new URL(req.url, "http://x").pathname);
    const file = path.join(folder, name === "/" ? "index.html" : name);
    if (!file.startsWith(folder) || hidden.includes(name.replace(/^\//, "")) || !fs.existsSync(file) ||
        fs.statSync(file).isDirectory()) {
      res.writeHead(404);
      res.end("not found");
      return;
    }
    res.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
    fs.createReadStream(file).pipe(res);
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve({
    url: `http://127.0.0.1:${server.address().port}/`,
    // The browser's kept-alive connections closed too: a server stopped
    // under a page stands for the network gone.
    close: () => new Promise((done) => { server.close(done); server.closeAllConnections(); }),
  })));
}

// Headless Chromium with software rendering and a fresh profile, never a
// downloaded browser.
export async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "paleoviz-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: chromiumPath,
    headless: true,
    userDataDir: profile,
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           "--window-size=1200,900"],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => { await close(); fs.rmSync(profile, { recursive: true, force: true }); };
  return browser;
}

// Opens the page and collects console errors and page errors.
export async function open(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1200, height: 900 });
  const errors = [];
  page.on("console", (m) => { if (m.type() === "error") errors.push("console: " + m.text()); });
  page.on("pageerror", (e) => errors.push("page: " + e.message));
  await page.goto(url, { waitUntil: "load" });
  return { page, errors };
}

export async function waitFor(page, predicate, timeout = 20000, ...args) {
  await page.waitForFunction(predicate, { timeout, polling: 50 }, ...args);
}

// The canvas's pixels as RGB bytes, top row first.
export async function canvasPixels(page) {
  const data = await page.evaluate(() => {
    const c = document.getElementById("canvas");
    const copy = document.createElement("canvas");
    copy.width = c.width;
    copy.height = c.height;
    const g = copy.getContext("2d");
    g.drawImage(c, 0, 0);
    const rgba = g.getImageData(0, 0, c.width, c.height).data;
    let s = "";
    for (let i = 0; i < rgba.length; i += 4) s += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
    return { width: c.width, height: c.height, rgb: btoa(s) };
  });
  return { width: data.width, height: data.height, rgb: Buffer.from(data.rgb, "base64") };
}

// The native window in a private Xvfb server, driven with xdotool and
// captured with ImageMagick's import, as the window tests do.
export async function startNativeWindow(program, args) {
  const { spawn, execFileSync } = await import("node:child_process");
  const xvfb = spawn("Xvfb", ["-displayfd", "3", "-screen", "0", "1600x1200x24", "-nolisten", "tcp"],
                     { stdio: ["ignore", "ignore", "ignore", "pipe"] });
  const display = await new Promise((resolve, reject) => {
    let text = "";
    xvfb.stdio[3].on("data", (d) => { text += d; if (text.includes("\n")) resolve(":" + text.trim()); });
    xvfb.on("exit", () => reject(new Error("Xvfb did not start")));
  });
  const env = { ...process.env, DISPLAY: display };
  const child = spawn(program, args, { env, stdio: "ignore" });
  const tool = (argv, input) => execFileSync(argv[0], argv.slice(1), { env, maxBuffer: 16 << 20, input, timeout: 20000 });
  const window = tool(["xdotool", "search", "--sync", "--onlyvisible", "--name", "Paleoclimatology Visualization"])
    .toString().trim().split("\n")[0];
  // Without a window manager nothing gives the window the focus.
  tool(["xdotool", "windowfocus", "--sync", window]);
  return {
    keys: (keys) => tool(["xdotool", "key", "--delay", "60", ...keys]),
    click: (x, y) => tool(["xdotool", "mousemove", "--window", window, String(x), String(y), "click", "1"]),
    capture: () => tool(["import", "-window", window, "-depth", "8", "rgb:-"]),
    close: () => { child.kill(); xvfb.kill(); },
  };
}
