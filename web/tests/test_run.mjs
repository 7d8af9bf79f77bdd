// The start every page test shares: the test's name and options from the
// command line, FAIL and SKIP reports, and the skip (exit 77, with the
// reason) when the site, puppeteer-core or Chromium is missing.
import fs from "node:fs";
import path from "node:path";

export const [name, ...rest] = process.argv.slice(2);
export const option = (flag) => { const i = rest.indexOf(flag); return i >= 0 ? rest[i + 1] : undefined; };
export const site = option("--site");

export function skip(reason) {
  console.log(`SKIP: ${reason}`);
  process.exit(77);
}
export function fail(message) {
  console.log(`FAIL: ${message}`);
  process.exitCode = 1;
}

// The harness module, once the site, the browser driver and Chromium are there.
export async function loadHarness() {
  if (!site || !fs.existsSync(path.join(site, "paleoviz.wasm")))
    skip(`no web build at ${site} (scripts/web.sh --build-only makes it; it needs Emscripten)`);
  let harness;
  try {
    harness = await import("./harness.mjs");
  } catch (e) {
    skip(`puppeteer-core is not installed (npm ci in web/tests): ${e.message}`);
  }
  if (!fs.existsSync(harness.chromiumPath)) skip(`no Chromium at ${harness.chromiumPath}`);
  return harness;
}

// Runs the test the command line names from a table of tests; an unknown
// name lists the table and exits with status 2.
export async function runTest(tests) {
  if (!(name in tests)) {
    console.log(`unknown test ${name}; tests: ${Object.keys(tests).join(", ")}`);
    process.exit(2);
  }
  try {
    await tests[name]();
  } catch (e) {
    fail(e.stack || String(e));
  }
}

// One page of the site at `query` in a fresh server and browser, handed to
// body(page, errors); errors the page logged then fail the test.
export async function withSitePage(harness, query, body) {
  const server = await harness.serve(path.resolve(site));
  const browser = await harness.launch();
  try {
    const { page, errors } = await harness.open(browser, server.url + query);
    await body(page, errors);
    if (errors.length > 0) fail(errors.join("\n"));
  } finally {
    await browser.close();
    await server.close();
  }
}
