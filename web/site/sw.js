// The page's service worker: after a first visit over http(s) the site
// keeps working without the network. Each file is asked of the network
// first, so that a site served afresh is always seen, and the copy kept
// answers when the network does not. The build writes the cache's name
// (the program's version and a hash of the site's files) and the files'
// list in place of the two marks below, so that a changed site installs
// anew and the old copy is dropped.
const cacheName = "@CACHE_NAME@";
const siteFiles = ["@SITE_FILES@"];

self.addEventListener("install", (event) => {
  // All or nothing: a copy missing a file would not work offline.
  event.waitUntil(caches.open(cacheName).then((cache) => cache.addAll(siteFiles)).then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys().then((names) =>
    Promise.all(names.filter((n) => n.startsWith("paleoviz-") && n !== cacheName).map((n) => caches.delete(n)))));
});

// The network's answer, kept when it is whole; else the copy kept.
async function answer(request) {
  const cache = await caches.open(cacheName);
  try {
    const response = await fetch(request);
    if (response.ok && response.status === 200) await cache.put(request, response.clone());
    return response;
  } catch (e) {
    const kept = await cache.match(request, { ignoreSearch: true });
    if (kept !== undefined) return kept;
    throw e;
  }
}

self.addEventListener("fetch", (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== "GET" || url.origin !== self.location.origin) return;
  event.respondWith(answer(event.request));
});
