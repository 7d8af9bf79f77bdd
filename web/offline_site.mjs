// Makes the site's offline forms, run by the web build after the site is
// assembled:
//   node offline_site.mjs SITE-DIR VERSION
// - SITE/paleoviz-offline.html: the whole page in one file that works when
//   opened from disk (file://): the style inline, the page's ES modules as
//   data: addresses in an import map (a page opened from disk may not import
//   the files beside it),
//   the WebAssembly and the data files in base64, handed to the module as
//   its wasmBinary and to the page's fetch of data/ respectively;
// - SITE/index.html: preload hints for what the first frame needs;
// - SITE/sw.js: the service worker with the program's version and a hash of
//   the site's files in its cache name and the list of files it keeps, so
//   that any change to the site installs a fresh copy.
// Uses only Node's own modules.
import crypto from "node:crypto";
import fs from "node:fs";
import path from "node:path";

const [siteArg, version] = process.argv.slice(2);
if (!siteArg || !version) {
  console.error("usage: node offline_site.mjs SITE-DIR VERSION");
  process.exit(2);
}
const site = path.resolve(siteArg);
const offlineName = "paleoviz-offline.html";
const read = (name) => fs.readFileSync(path.join(site, name), "utf8");

// Every file of the site (relative, with /), the generated ones left out.
function siteFiles(dir = site) {
  const files = [];
  for (const e of fs.readdirSync(dir, { withFileTypes: true })) {
    const p = path.join(dir, e.name);
    if (e.isDirectory()) files.push(...siteFiles(p));
    else if (e.name !== offlineName && e.name !== "sw.js" && !e.name.startsWith(".")) files.push(path.relative(site, p));
  }
  return files.map((f) => f.split(path.sep).join("/")).sort();
}

const importPattern = /(^import\s[^;]*?from\s+|^import\s+)"\.\/([^"]+)"/gm;

// The modules page.js reaches, each with its own (relative) imports.
function reachedModules(entry) {
  const seen = new Set();
  const visit = (name) => {
    if (seen.has(name)) return;
    seen.add(name);
    for (const m of read(name).matchAll(importPattern)) visit(m[2]);
  };
  visit(entry);
  return [...seen];
}

// The page's modules as an import map of data: addresses, which a page
// opened from disk may import: each module's "./x.js" becomes the bare
// name paleoviz/x.js that the map resolves, so that the modules keep their
// own scopes and live bindings, cycles included.
function moduleImportMap(entry) {
  const imports = {};
  for (const name of reachedModules(entry)) {
    const text = read(name).replace(importPattern, (_, head, target) => `${head}"paleoviz/${target}"`);
    if (/\bimport\s*\(|import\.meta/.test(text)) throw new Error(`${name}: dynamic import or import.meta`);
    imports["paleoviz/" + name] = "data:text/javascript;base64," + Buffer.from(text).toString("base64");
  }
  return JSON.stringify({ imports });
}

// What runs before the module's script: the WebAssembly and the data files
// from base64; the page's fetch of data/... answered from them.
function prelude(dataFiles) {
  const wasm = fs.readFileSync(path.join(site, "paleoviz.wasm")).toString("base64");
  const data = Object.fromEntries(dataFiles.map((f) => [f, fs.readFileSync(path.join(site, f)).toString("base64")]));
  return `const offlineBytes = (b) => Uint8Array.from(atob(b), (c) => c.charCodeAt(0));
const offlineWasm = offlineBytes(${JSON.stringify(wasm)});
const offlineData = ${JSON.stringify(data)};
const networkFetch = window.fetch.bind(window);
window.fetch = (url, options) => {
  const name = String(url).replace(/^\\.\\//, "");
  if (Object.hasOwn(offlineData, name)) return Promise.resolve(new Response(offlineBytes(offlineData[name])));
  if (name.startsWith("data/")) return Promise.resolve(new Response("not in the offline page", { status: 404 }));
  return networkFetch(url, options);
};
`;
}

// </script> inside an inline script would end it early.
const inlineScript = (text) => text.replace(/<\/script/gi, "<\\/script");

function writeOfflinePage(files) {
  let html = read("index.html");
  const dataFiles = files.filter((f) => f.startsWith("data/"));
  const replace = (pattern, text) => {
    if (!pattern.test(html)) throw new Error(`index.html has no ${pattern}`);
    html = html.replace(pattern, () => text);
  };
  replace(/<link rel="stylesheet" href="page\.css">/, `<style>\n${read("page.css")}</style>`);
  // The module's factory is given the WebAssembly instead of fetching it.
  const factory = `${read("paleoviz.js")}\n;{ const made = createPaleoviz;
createPaleoviz = (config) => made({ ...config, wasmBinary: offlineWasm }); }\n`;
  replace(/<script src="paleoviz\.js"><\/script>/,
          `<script>\n${inlineScript(prelude(dataFiles) + factory)}</script>`);
  replace(/<script type="module" src="page\.js"><\/script>/,
          `<script type="importmap">${moduleImportMap("page.js")}</script>\n` +
          `<script type="module">import "paleoviz/page.js";</script>`);
  fs.writeFileSync(path.join(site, offlineName), html);
}

// The served page asks at once for everything its first frame needs: the
// modules page.js reaches (else found one import level at a time), the
// WebAssembly and the data files page.js reads before starting, which
// otherwise wait for the modules to run. Written into the site's copy of
// index.html; the one-file page is made from the page without them.
function addPreloads() {
  let html = read("index.html");
  const dataList = /const dataFiles = \[([^\]]*)\]/.exec(read("page.js"));
  const data = dataList === null ? [] : [...dataList[1].matchAll(/"([^"]+)"/g)].map((m) => "data/" + m[1]);
  const links = [...reachedModules("page.js").map((m) => `<link rel="modulepreload" href="${m}">`),
                 ...["paleoviz.wasm", ...data].map((f) => `<link rel="preload" href="${f}" as="fetch" crossorigin>`)];
  const at = html.indexOf("<link rel=\"stylesheet\"");
  if (at < 0 || html.includes("rel=\"modulepreload\"")) return;
  html = html.slice(0, at) + links.join("\n") + "\n" + html.slice(at);
  fs.writeFileSync(path.join(site, "index.html"), html);
}

// The worker's template with its cache's name and the files it keeps.
function writeServiceWorker(files) {
  const hash = crypto.createHash("sha256");
  for (const f of files) hash.update(f).update(fs.readFileSync(path.join(site, f)));
  const cacheName = `paleoviz-${version}-${hash.digest("hex").slice(0, 12)}`;
  const kept = ["./", ...files.filter((f) => f !== offlineName)];
  const text = read("sw.js")
    .replace(/"@CACHE_NAME@"|'@CACHE_NAME@'/, JSON.stringify(cacheName))
    .replace(/\[\s*"@SITE_FILES@"\s*\]/, JSON.stringify(kept));
  if (text.includes("@CACHE_NAME@") || text.includes("@SITE_FILES@")) throw new Error("sw.js: placeholders left");
  fs.writeFileSync(path.join(site, "sw.js"), text);
}

try {
  const files = siteFiles();
  writeOfflinePage(files);
  addPreloads();
  writeServiceWorker(files);
} catch (e) {
  console.error(`offline_site.mjs: ${e.message}`);
  process.exit(1);
}
