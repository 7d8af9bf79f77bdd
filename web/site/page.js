// The page around the window: reads the address's parameters, loads the
// data files into the module, starts the window's program, and keeps the
// readout, the colour bar and the chart in step with it.
"use strict";

(function () {
  const params = new URLSearchParams(location.search);
  const embed = params.get("embed") === "1";
  const still = params.get("still") === "1";
  if (embed) document.body.classList.add("embed");

  const notice = document.getElementById("notice");
  const problems = [];
  const printed = [];
  // What the page and tests can read.
  const state = { frames: 0, firstFrameMs: null, stopped: false, status: null, printed, problems,
                  time_kyr: null, map: null, mapMs: null };
  window.paleoviz = state;
  const notes = [];  // what the page says about the address besides refusals

  function show(text, info, link) {
    notice.hidden = false;
    notice.className = info ? "info" : "";
    notice.textContent = text;
    if (link) {
      const a = document.createElement("a");
      a.href = location.href;
      a.textContent = link;
      notice.append(" ", a);
    }
  }

  // The window's start time: the native --time takes kyr on the time axis,
  // negative in the past, as the address does.
  function nativeTimeArguments(kyr) {
    return ["--time", String(kyr)];
  }

  // The window's options from the address; bad values are reported and left out.
  function programArguments() {
    const args = [];
    const whole = (text) => /^[+-]?\d+$/.test(text);
    if (params.has("time")) {
      const t = params.get("time");
      if (whole(t) && Number(t) <= 0) args.push(...nativeTimeArguments(Number(t)));
      else problems.push(`time=${t}: give a whole number of thousands of years, 0 or negative (time=-21 is 21,000 years ago)`);
    }
    if (params.has("step")) {
      const s = params.get("step");
      if (["2", "4", "6", "8", "10"].includes(s)) args.push("--step", s);
      else problems.push(`step=${s}: the globe mesh step is 2, 4, 6, 8 or 10`);
    }
    if (params.has("spin")) {
      const d = params.get("spin");
      if (whole(d) && Math.abs(Number(d)) < 1e9) args.push("--spin", String(Number(d)));
      else problems.push(`spin=${d}: give the globes' spin in whole degrees`);
    }
    if (params.has("elements")) {
      const text = params.get("elements");
      const v = text.split(",").map((x) => (/^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/.test(x.trim()) ? Number(x) : NaN));
      if (v.length === 3 && v[0] >= 0 && v[0] < 1 && v[1] >= 0 && v[1] <= 90 && Number.isFinite(v[2]))
        args.push("--elements", v.join(","));
      else problems.push(`elements=${text}: give E,OBL,VARPI: e from 0 to below 1, obliquity 0 to 90°, ϖ in degrees`);
    }
    if (params.has("caps")) {
      const c = params.get("caps");
      if (c === "value" || c === "grey") args.push("--caps", c);
      else problems.push(`caps=${c}: the caps are coloured by "value" or left "grey"`);
    }
    if (still) args.push("--still");
    return args;
  }
  const capsByValue = params.get("caps") === "value";
  // map=0: the page without the map (slow devices, the benchmark's baseline).
  const showMap = params.get("map") !== "0";
  if (!showMap) document.getElementById("map-section").hidden = true;

  // The latitude and day the readout and chart follow, and the map's mode.
  const pick = { lat: 65, kind: "lon", day: 90 };
  function readPick() {
    const num = (k, lo, hi) => {
      if (!params.has(k)) return null;
      const v = Number(params.get(k));
      if (params.get(k).trim() !== "" && Number.isFinite(v) && v >= lo && v <= hi) return v;
      problems.push(`${k}=${params.get(k)}: give a number from ${lo} to ${hi}`);
      return null;
    };
    const lat = num("lat", -90, 90), lon = num("lon", 0, 360), day = num("day", 0, 366);
    if (lat !== null) pick.lat = lat;
    if (lon !== null) { pick.kind = "lon"; pick.day = lon; }
    if (day !== null) { pick.kind = "day"; pick.day = day; }
    const ref = params.get("ref");
    if (ref !== null && !(/^-?\d+$/.test(ref) && Number(ref) <= 0))
      problems.push(`ref=${ref}: give the reference time in whole kyr, 0 or negative`);
  }
  readPick();
  const mapMode = { x: "lon", anomaly: params.get("anomaly") === "1", sides: false,
                    ref: /^-?\d+$/.test(params.get("ref") || "") ? Math.min(0, Number(params.get("ref"))) : 0, pinned: null };

  const args = programArguments();
  if (problems.length > 0) show("Ignored: " + problems.join("; "), true);
  const requestedTime = /^-?\d+$/.test(params.get("time") || "") ? Number(params.get("time")) : null;

  const dataFiles = ["partetopo", "orbit95b", "logo.rgba"];
  const fetchData = Promise.all(dataFiles.map((name) =>
    fetch("data/" + name).then((r) => (r.ok ? r.arrayBuffer() : null), () => null)));

  let module = null;
  let shownTime = null;
  let pointer = 0;  // 750 doubles, shared by the readout and the chart
  const startedAt = performance.now();

  function onFrame(n) {
    state.frames = n;
    if (n === 1) state.firstFrameMs = performance.now() - startedAt;
    updateReadout();
  }

  // The program ends through exit(): Escape (status 0) or a data file it
  // cannot use. The frame loop stops and the page says why.
  function onExit(exitStatus) {
    if (state.status !== null) return;
    if (module !== null && module.pauseMainLoop) module.pauseMainLoop();
    // The runtime ends without a status of its own once a still's one frame
    // has paused the loop: that is the still's normal end, not a failure,
    // and embedded stills show no notice over the picture.
    const status = typeof exitStatus === "number" ? exitStatus : 0;
    if (still && state.stopped && status === 0) return;
    state.stopped = true;
    state.status = status;
    if (status === 0) {
      show("The picture has stopped (Escape).", true, "Start again");
    } else {
      const lines = printed.filter((l) => l.trim() !== "");
      show(`The program stopped (status ${status & 255}):\n${lines.join("\n")}`, false, "Try again");
    }
  }

  const config = {
    canvas: document.getElementById("canvas"),
    print: (line) => { printed.push(line); },
    printErr: (line) => { printed.push(line); },
    onExit,
    quit: (status, toThrow) => { onExit(status); throw toThrow; },
    paleovizFrame: onFrame,
    paleovizStopped: () => { state.stopped = true; },
    locateFile: (path) => path,
  };

  document.getElementById("canvas").addEventListener("contextmenu", (e) => e.preventDefault());

  Promise.all([createPaleoviz(config), fetchData]).then(([m, buffers]) => {
    module = m;
    window.paleovizModule = m;
    // The window reads its files from its working folder, as natively.
    m.FS.mkdir("/data");
    buffers.forEach((b, i) => { if (b !== null) m.FS.writeFile("/data/" + dataFiles[i], new Uint8Array(b)); });
    m.FS.chdir("/data");
    pointer = m._malloc(8 * 750);
    mapBuffers.values = m._malloc(8 * mapLats * mapCols);
    mapBuffers.lon = m._malloc(8 * mapCols);
    drawColourBar();
    try {
      m.callMain(args);
    } catch (e) {
      if (e !== "unwind" && !(e && e.name === "ExitStatus")) throw e;
    }
  });

  // --- the readout ----------------------------------------------------------
  const fixed = (x, n) => (Number.isFinite(x) ? x.toFixed(n) : "–");
  let current = null;  // {t, e, varpi, obl, held, shows: [e, p, o]}
  let timeNoted = false;
  function pickLongitude(c) {
    return pick.kind === "lon" ? pick.day : module._paleoviz_longitude_of_day(pick.day, c.e, c.varpi, c.obl);
  }
  function updateReadout() {
    if (module === null || module._paleoviz_current(pointer, pick.lat) === 0) return;
    const v = Array.from(module.HEAPF64.subarray(pointer / 8, pointer / 8 + 12));
    state.time_kyr = v[0];
    if (embed) return;
    const key = v.join(" ") + " " + pick.lat + pick.kind + pick.day + JSON.stringify(mapMode) + (lr04 === null);
    if (key === shownTime) return;
    shownTime = key;
    const t = v[0];
    current = { t, e: v[1], varpi: v[2], obl: v[3], held: v[8] === 1, shows: [v[9], v[10], v[11]] };
    noteClampedTime(t);
    const held = (k) => (current.shows[k] ? (current.held ? " (set by hand)" : "") : " (held at the reference value)");
    document.getElementById("now-time").textContent =
      (t === 0 ? "the present" : `${-t} kyr ago (${t} kyr on the axis)`) + (current.held ? "; the orbit is set by hand" : "");
    document.getElementById("now-e").textContent = fixed(v[1], 5) + held(0);
    document.getElementById("now-varpi").textContent = fixed(v[2], 1) + "°" + held(1);
    document.getElementById("now-obl").textContent = fixed(v[3], 3) + "°" + held(2);
    document.getElementById("hypothetical").hidden = !current.held;
    const latText = `${Math.abs(pick.lat)}°${pick.lat < 0 ? "S" : "N"}`;
    document.getElementById("q-caption").textContent = `Daily-mean sunlight at ${latText}, top of the atmosphere`;
    for (let s = 0; s < 4; ++s)
      document.getElementById("q-" + s).textContent = fixed(v[4 + s], 1) + " W/m²";
    const lambda = pickLongitude(current);
    document.getElementById("q-pick-name").textContent = pick.kind === "lon"
      ? `True longitude ${pick.day}°` : `Calendar day ${pick.day} (true longitude ${fixed(lambda, 1)}°)`;
    document.getElementById("q-pick").textContent =
      fixed(module._paleoviz_daily(pick.lat, lambda, current.e, current.varpi, current.obl), 1) + " W/m²";
    syncSliders();
    drawChart(t);
    scheduleMap();
  }

  // The map follows a change at once unless it was redrawn very lately:
  // changes that come every frame (the time running by itself, a slider
  // dragged) redraw it at most once in mapCostShare times its cost, so that
  // the picture keeps its frame rate; the last change is always drawn.
  const mapCostShare = 15, mapMinInterval = 100;  // ms
  let lastMapAt = -Infinity, mapTimer = null;
  function scheduleMap() {
    if (!showMap || mapTimer !== null) return;
    const interval = Math.max(mapMinInterval, mapCostShare * (state.mapMs || 0));
    const wait = lastMapAt + interval - performance.now();
    if (wait <= 0) { lastMapAt = performance.now(); drawMap(); return; }
    mapTimer = setTimeout(() => { mapTimer = null; lastMapAt = performance.now(); drawMap(); }, wait);
  }

  // A time= beyond the series is clamped as the keys clamp; the page says so.
  function noteClampedTime(t) {
    if (timeNoted || requestedTime === null || still) return;
    timeNoted = true;
    if (requestedTime < t) {
      notes.push(`time=${requestedTime} lies beyond the series: shown at ${t} kyr, its oldest record`);
      show((problems.length > 0 ? "Ignored: " + problems.join("; ") + "\n" : "") + notes.join("\n"), true);
    }
  }

  // --- the colour bar -------------------------------------------------------
  const solarConstant = 1365;
  const paletteSize = 192;
  const bandWidth = 1.3 * solarConstant / (paletteSize * Math.PI);
  // Painted with the first chart, once the scene has its palettes.
  function drawColourBar() {
    state.colourBarPending = true;
  }

  function paintColourBar() {
    const floats = module._malloc(4 * paletteSize * 6);
    const ok = module._paleoviz_palettes(floats) !== 0;
    const p = module.HEAPF32.subarray(floats / 4, floats / 4 + paletteSize * 6);
    const copy = Float32Array.from(p);
    module._free(floats);
    if (!ok) return false;
    const canvas = document.getElementById("colour-bar");
    const g = canvas.getContext("2d");
    const w = canvas.width / paletteSize;
    const rgb = (row, k) => {
      const o = (row * paletteSize + k) * 3;
      return `rgb(${Math.round(copy[o] * 255)},${Math.round(copy[o + 1] * 255)},${Math.round(copy[o + 2] * 255)})`;
    };
    g.fillStyle = "#000";
    g.fillRect(0, 0, canvas.width, canvas.height);
    for (let k = 1; k < paletteSize; ++k) {
      g.fillStyle = rgb(0, k);
      g.fillRect(k * w, 0, w + 0.5, 18);
      g.fillStyle = rgb(1, k);
      g.fillRect(k * w, 18, w + 0.5, 18);
    }
    g.fillStyle = "#ddd";
    g.font = "12px sans-serif";
    g.textAlign = "center";
    for (let q = 0; q <= 500; q += 100) {
      const x = (q / bandWidth) * w;
      g.fillRect(x, 36, 1, 6);
      g.fillText(String(q), Math.max(10, x), 56);
    }
    g.textAlign = "right";
    g.fillText("W/m²", canvas.width - 2, 56);
    document.getElementById("grey-swatch").style.background = rgb(1, 0);
    if (capsByValue)
      document.getElementById("caps-key").textContent = "Polar caps coloured by their sunlight (caps=value): " +
        "polar day by its value, polar night as grey, no sunlight.";
    state.palette = copy;
    return true;
  }

  // --- the chart ------------------------------------------------------------
  let lr04 = null;
  fetch("data/lr04-stack.txt").then((r) => (r.ok ? r.text() : "")).then((text) => {
    lr04 = text.split(/\r?\n/).filter((l) => /^\d/.test(l)).map((l) => l.split(/\s+/).map(Number))
      .filter((row) => row.length >= 2 && Number.isFinite(row[0]) && Number.isFinite(row[1]));
    shownTime = null;
  }, () => { lr04 = []; });

  let chartShown = null;
  function drawChart(t) {
    if (state.colourBarPending && paintColourBar()) state.colourBarPending = false;
    const first = module._paleoviz_window_insolation(pointer, pick.lat, pick.day, pick.kind === "day" ? 1 : 0);
    const q = Array.from(module.HEAPF64.subarray(pointer / 8, pointer / 8 + 750));
    const canvas = document.getElementById("chart");
    const g = canvas.getContext("2d");
    const W = canvas.width, H = canvas.height, left = 44, right = W - 8;
    const x = (kyr) => left + ((kyr - first) / 749) * (right - left);
    g.fillStyle = "#000";
    g.fillRect(0, 0, W, H);
    g.font = "12px sans-serif";
    const range = (values, step) => {
      const finite = values.map(([, v]) => v).filter(Number.isFinite);
      if (finite.length === 0) return [0, step];
      const lo = Math.floor(Math.min(...finite) / step) * step, hi = Math.ceil(Math.max(...finite) / step) * step;
      return hi > lo ? [lo, hi] : [lo, lo + step];
    };
    const plot = (values, top, bottom, lo, hi, colour, label, invert) => {
      const y = (v) => (invert ? top + ((v - lo) / (hi - lo)) * (bottom - top) : bottom - ((v - lo) / (hi - lo)) * (bottom - top));
      g.strokeStyle = colour;
      g.lineWidth = 1.5;
      g.beginPath();
      let on = false;
      for (const [k, v] of values) {
        if (!Number.isFinite(v)) { on = false; continue; }
        if (on) g.lineTo(x(k), y(v)); else g.moveTo(x(k), y(v));
        on = true;
      }
      g.stroke();
      g.fillStyle = colour;
      g.textAlign = "right";
      g.fillText(String(hi), left - 4, invert ? bottom : top + 10);
      g.fillText(String(lo), left - 4, invert ? top + 10 : bottom);
      g.textAlign = "left";
      g.fillText(label, left + 4, top + 12);
    };
    const points = q.map((v, i) => [first + i, v]);
    const [qlo, qhi] = range(points, 20);
    const latText = `${Math.abs(pick.lat)}°${pick.lat < 0 ? "S" : "N"}`;
    const dayText = pick.kind === "lon" ? `λ = ${pick.day}°` : `day ${pick.day}`;
    plot(points, 10, 135, qlo, qhi, "#f84", `${latText}, ${dayText}: insolation (W/m²)`, false);
    chartShown = { first, points, lr04: [] };
    state.chart = { lat: pick.lat, kind: pick.kind, day: pick.day, first, values: q };
    if (lr04 !== null) {
      const rows = lr04.map(([age, d]) => [-age, d]).filter(([k]) => k >= first && k <= first + 749);
      // The axis takes its range from the data shown, so older, lighter
      // values stay inside their area.
      const [dlo, dhi] = range(rows, 0.2);
      plot(rows.reverse(), 160, 270, Number(dlo.toFixed(1)), Number(dhi.toFixed(1)), "#6cf", "LR04 benthic δ¹⁸O (‰)", true);
      chartShown.lr04 = rows;
    }
    g.fillStyle = "#aaa";
    g.textAlign = "center";
    for (let k = Math.ceil(first / 100) * 100; k <= first + 749; k += 100) {
      g.fillRect(x(k), 272, 1, 5);
      g.fillText(String(k), x(k), 292);
    }
    g.textAlign = "right";
    g.fillText("kyr", W - 2, 292);
    g.fillStyle = "#888";
    g.fillRect(Math.round(x(t)), 4, 1, 268);
  }

  // --- saving the picture ---------------------------------------------------
  document.getElementById("save").addEventListener("click", () => {
    document.getElementById("canvas").toBlob((blob) => {
      const a = document.createElement("a");
      a.href = URL.createObjectURL(blob);
      const v = module !== null && module._paleoviz_current(pointer) ? module.HEAPF64[pointer / 8] : 0;
      a.download = `paleoviz${v === 0 ? "-0" : v}kyr.png`;
      a.click();
      setTimeout(() => URL.revokeObjectURL(a.href), 1000);
    }, "image/png");
  });
  // --- the latitude x season map -------------------------------------------
  // Every value comes from the module's insolation library; the page only
  // subtracts, colours and draws.
  const mapLats = 181, mapCols = 360;
  const mapBuffers = { values: 0, lon: 0, small: 0 };
  const contourStep = 50;  // W/m^2
  const mapLatitudes = Array.from({ length: mapLats }, (_, i) => -90 + i);
  let refCache = { key: null, map: null };
  let mapLayout = null;  // where the panels lie, for the pointer

  function computeMap(el) {
    module._paleoviz_map(mapBuffers.values, mapBuffers.lon, mapLats, mapCols,
                         mapMode.x === "months" ? 1 : 0, el.e, el.varpi, el.obl);
    const v0 = mapBuffers.values / 8, l0 = mapBuffers.lon / 8;
    return { values: Float64Array.from(module.HEAPF64.subarray(v0, v0 + mapLats * mapCols)),
             lon: Float64Array.from(module.HEAPF64.subarray(l0, l0 + mapCols)) };
  }

  // The reference: the state pinned, else the series at ref= (today by default).
  function referenceElements() {
    if (mapMode.pinned !== null) return mapMode.pinned;
    if (mapBuffers.small === 0) mapBuffers.small = module._malloc(8 * 3);
    const t = module._paleoviz_series_at(mapMode.ref, mapBuffers.small);
    const v = module.HEAPF64.subarray(mapBuffers.small / 8, mapBuffers.small / 8 + 3);
    return { e: v[0], varpi: v[1], obl: v[2], label: t };
  }

  function referenceMap(el) {
    const key = JSON.stringify([el, mapMode.x]);
    if (refCache.key !== key) refCache = { key, map: computeMap(el) };
    return refCache.map;
  }

  const sequentialTop = 600;  // W/m^2 at the top of the sequential key
  function sequentialColour(v) {
    const p = state.palette;
    if (!p || !Number.isFinite(v)) return [0, 0, 0];
    const k = Math.min(paletteSize - 1, Math.max(1, Math.floor(v / bandWidth)));
    return [p[k * 3] * 255, p[k * 3 + 1] * 255, p[k * 3 + 2] * 255];
  }
  // Blue below zero, red above, white at zero, symmetric about it.
  function divergingColour(v, limit) {
    const a = Math.max(-1, Math.min(1, v / limit));
    const end = a < 0 ? [33, 102, 172] : [178, 24, 43];
    const w = Math.abs(a);
    return [255 + (end[0] - 255) * w, 255 + (end[1] - 255) * w, 255 + (end[2] - 255) * w];
  }

  function paintPanel(g, values, colour, x0, y0, w, h) {
    const img = new ImageData(mapCols, mapLats);
    for (let i = 0; i < mapLats; ++i) {
      const row = (mapLats - 1 - i) * mapCols;  // north at the top
      for (let j = 0; j < mapCols; ++j) {
        const c = colour(values[i * mapCols + j]);
        const o = (row + j) * 4;
        img.data[o] = c[0]; img.data[o + 1] = c[1]; img.data[o + 2] = c[2]; img.data[o + 3] = 255;
      }
    }
    const off = document.createElement("canvas");
    off.width = mapCols;
    off.height = mapLats;
    off.getContext("2d").putImageData(img, 0, 0);
    g.imageSmoothingEnabled = false;
    g.drawImage(off, x0, y0, w, h);
    drawContours(g, values, x0, y0, w, h);
    g.strokeStyle = "#888";
    g.strokeRect(x0 + 0.5, y0 + 0.5, w, h);
  }

  // Marching squares: the lines where the values cross each multiple of
  // contourStep (the zero of an anomaly excepted: it is the white).
  function drawContours(g, values, x0, y0, w, h) {
    const X = (j) => x0 + (j / mapCols) * w, Y = (i) => y0 + h - (i / (mapLats - 1)) * h;
    g.strokeStyle = "rgba(0,0,0,0.55)";
    g.lineWidth = 0.8;
    g.beginPath();
    for (let i = 0; i + 1 < mapLats; ++i) {
      for (let j = 0; j < mapCols; ++j) {
        const jn = (j + 1) % mapCols;  // the year closes on itself
        const a = values[i * mapCols + j], b = values[i * mapCols + jn];
        const c = values[(i + 1) * mapCols + jn], d = values[(i + 1) * mapCols + j];
        const lo = Math.min(a, b, c, d), hi = Math.max(a, b, c, d);
        for (let L = Math.ceil(lo / contourStep) * contourStep; L <= hi; L += contourStep) {
          if (L === 0 && lo < 0) continue;
          const pts = [];
          const edge = (p, q, xp, yp, xq, yq) => {
            if ((p < L) === (q < L)) return;
            const f = (L - p) / (q - p);
            pts.push([xp + (xq - xp) * f, yp + (yq - yp) * f]);
          };
          edge(a, b, X(j), Y(i), X(j + 1), Y(i));
          edge(b, c, X(j + 1), Y(i), X(j + 1), Y(i + 1));
          edge(c, d, X(j + 1), Y(i + 1), X(j), Y(i + 1));
          edge(d, a, X(j), Y(i + 1), X(j), Y(i));
          for (let k = 0; k + 1 < pts.length; k += 2) {
            g.moveTo(pts[k][0], pts[k][1]);
            g.lineTo(pts[k + 1][0], pts[k + 1][1]);
          }
        }
      }
    }
    g.stroke();
  }

  const monthLetters = "JFMAMJJASOND";
  const monthDays = [0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334];
  function drawMapAxes(g, x0, y0, w, h, title, latitudes) {
    g.fillStyle = "#ccc";
    g.font = "11px sans-serif";
    g.textAlign = "right";
    if (latitudes)
      for (const lat of [-90, -45, 0, 45, 90]) g.fillText(String(lat), x0 - 3, y0 + h - ((lat + 90) / 180) * h + 4);
    g.textAlign = "center";
    if (mapMode.x === "lon") {
      for (let l = 0; l <= 360; l += 90) g.fillText(String(l), x0 + (l / 360) * w, y0 + h + 13);
    } else {
      monthDays.forEach((d, m) => g.fillText(monthLetters[m], x0 + ((d + 15) / 365) * w, y0 + h + 13));
    }
    g.fillText(title, x0 + w / 2, y0 - 5);
  }

  function drawKey(g, x0, y0, h, colour, lo, hi, step, label) {
    for (let y = 0; y < h; ++y) {
      const c = colour(hi - ((hi - lo) * y) / h);
      g.fillStyle = `rgb(${c[0] | 0},${c[1] | 0},${c[2] | 0})`;
      g.fillRect(x0, y0 + y, 12, 1);
    }
    g.fillStyle = "#ccc";
    g.textAlign = "left";
    g.font = "11px sans-serif";
    for (let v = Math.ceil(lo / step) * step; v <= hi + 1e-9; v += step)
      g.fillText(String(Math.round(v)), x0 + 15, y0 + h - ((v - lo) / (hi - lo)) * h + 4);
    g.fillText(label, x0 - 4, y0 + h + 26);
  }

  function stateLabel(el) {
    if (typeof el.label === "number") return el.label === 0 ? "today" : `${el.label} kyr`;
    return `e ${el.e.toFixed(4)}, ε ${el.obl.toFixed(2)}°, ϖ ${el.varpi.toFixed(1)}°`;
  }

  // The maps the mode asks for: now, and for an anomaly the reference and
  // the difference, with the symmetric limit of the diverging scale.
  function mapData() {
    const nowEl = { e: current.e, varpi: current.varpi, obl: current.obl,
                    label: current.held ? { e: current.e, obl: current.obl, varpi: current.varpi } : current.t };
    const now = computeMap(nowEl);
    const refEl = referenceElements();
    const anomaly = mapMode.anomaly || mapMode.sides;
    const ref = anomaly ? referenceMap(refEl) : null;
    const diff = anomaly ? now.values.map((v, i) => v - ref.values[i]) : null;
    let limit = 10;
    if (anomaly) for (const v of diff) limit = Math.max(limit, Math.abs(v));
    return { nowEl, now, refEl, anomaly, ref, diff, limit: Math.ceil(limit / 10) * 10 };
  }

  function paintMap(m) {
    const canvas = document.getElementById("map");
    const g = canvas.getContext("2d");
    g.fillStyle = "#000";
    g.fillRect(0, 0, canvas.width, canvas.height);
    const left = 30, top = 18, keyW = 58, h = canvas.height - top - 50;
    const seq = sequentialColour, div = (v) => divergingColour(v, m.limit);
    const panels = mapMode.sides
      ? [[m.ref.values, seq, "reference: " + stateLabel(m.refEl)], [m.now.values, seq, "now"], [m.diff, div, "difference"]]
      : [[m.anomaly ? m.diff : m.now.values, m.anomaly ? div : seq,
          m.anomaly ? `now minus ${stateLabel(m.refEl)}` : "now: " + stateLabel(m.nowEl)]];
    const gap = 8, w = (canvas.width - left - keyW - gap * (panels.length - 1)) / panels.length;
    mapLayout = { left, top, w, h, gap, panels: panels.length, now: m.now.values, ref: m.ref && m.ref.values,
                  diff: m.diff, lon: m.now.lon };
    panels.forEach(([values, colour, title], k) => {
      const x0 = left + k * (w + gap);
      paintPanel(g, values, colour, x0, top, w, h);
      drawMapAxes(g, x0, top, w, h, title, k === 0);
    });
    // The key: W/m² for a map of values, ΔW/m² for an anomaly; side by side
    // both, one above the other.
    const keyX = canvas.width - keyW + 6, half = h / 2 - 12;
    if (mapMode.sides) {
      drawKey(g, keyX, top, half, seq, 0, sequentialTop, 200, "");
      drawKey(g, keyX, top + h - half, half, div, -m.limit, m.limit, m.limit, "ΔW/m²");
    } else if (m.anomaly) {
      drawKey(g, keyX, top, h, div, -m.limit, m.limit, m.limit / 2, "ΔW/m²");
    } else {
      drawKey(g, keyX, top, h, seq, 0, sequentialTop, 100, "W/m²");
    }
    g.fillStyle = "#aaa";
    g.textAlign = "center";
    g.fillText(mapMode.x === "lon" ? "true longitude (°), 0 = March equinox, 90 = June solstice" : "calendar month",
               left + (canvas.width - left - keyW) / 2, canvas.height - 22);
    g.textAlign = "left";
    g.fillText("latitude (°) · contours every 50 W/m²", 2, canvas.height - 6);
  }

  function drawMap() {
    if (current === null || mapBuffers.values === 0) return;
    const started = performance.now();
    const m = mapData();
    paintMap(m);
    const rows = (values) => mapLatitudes.map((_, i) => Array.from(values.subarray(i * mapCols, (i + 1) * mapCols)));
    state.map = { lat: mapLatitudes.slice(), lon: Array.from(m.now.lon), values: rows(m.anomaly ? m.diff : m.now.values),
                  anomaly: m.anomaly, reference: m.refEl.label, x: mapMode.x,
                  shown: { time_kyr: current.t, e: current.e, obl: current.obl, varpi: current.varpi } };
    state.mapMs = performance.now() - started;
  }

  function mapPointAt(event) {
    if (mapLayout === null) return null;
    const canvas = document.getElementById("map");
    const r = canvas.getBoundingClientRect();
    const x = ((event.clientX - r.left) / r.width) * canvas.width, y = ((event.clientY - r.top) / r.height) * canvas.height;
    const L = mapLayout;
    const k = Math.floor((x - L.left) / (L.w + L.gap));
    const fx = (x - L.left - k * (L.w + L.gap)) / L.w, fy = (y - L.top) / L.h;
    if (k < 0 || k >= L.panels || fx < 0 || fx >= 1 || fy < 0 || fy > 1) return null;
    const j = Math.min(mapCols - 1, Math.floor(fx * mapCols)), i = Math.round((1 - fy) * (mapLats - 1));
    return { i, j };
  }

  document.getElementById("map").addEventListener("mousemove", (event) => {
    const p = mapPointAt(event);
    const out = document.getElementById("map-hover");
    if (p === null) { out.textContent = "Point at the map for its values."; return; }
    const L = mapLayout, n = p.i * mapCols + p.j;
    const lat = mapLatitudes[p.i];
    const day = mapMode.x === "months" ? `, day ${fixed(1 + (365.2422 * p.j) / mapCols, 0)}` : "";
    let text = `${Math.abs(lat)}°${lat < 0 ? "S" : "N"}, true longitude ${fixed(L.lon[p.j], 1)}°${day}: ${fixed(L.now[n], 1)} W/m²`;
    if (L.diff !== null) text += `; reference ${fixed(L.ref[n], 1)} W/m²; anomaly ${L.diff[n] >= 0 ? "+" : ""}${fixed(L.diff[n], 1)} W/m²`;
    out.textContent = text;
  });

  document.getElementById("chart").addEventListener("mousemove", (event) => {
    if (chartShown === null) return;
    const canvas = event.target, r = canvas.getBoundingClientRect();
    const x = ((event.clientX - r.left) / r.width) * canvas.width;
    const k = Math.round(chartShown.first + ((x - 44) / (canvas.width - 8 - 44)) * 749);
    const q = chartShown.points.find(([t]) => t === k);
    const d = chartShown.lr04.find(([t]) => Math.abs(t - k) <= 2);
    let anomaly = "";
    if (q !== undefined && current !== null) {
      // Against the map's reference, at the chosen latitude and day.
      const r = referenceElements();
      const lambda = pick.kind === "lon" ? pick.day : module._paleoviz_longitude_of_day(pick.day, r.e, r.varpi, r.obl);
      const d0 = q[1] - module._paleoviz_daily(pick.lat, lambda, r.e, r.varpi, r.obl);
      anomaly = `; anomaly ${d0 >= 0 ? "+" : ""}${fixed(d0, 1)} W/m² against ${stateLabel(r)}`;
    }
    document.getElementById("chart-hover").textContent = q === undefined ? "" :
      `${k} kyr: ${fixed(q[1], 1)} W/m²${anomaly}` + (d ? `; LR04 δ¹⁸O ${d[1]} ‰` : "");
  });

  // --- the map's controls ---------------------------------------------------
  const byId = (id) => document.getElementById(id);
  byId("map-anomaly").checked = mapMode.anomaly;
  byId("map-x").addEventListener("change", (e) => { mapMode.x = e.target.value; shownTime = null; });
  byId("map-anomaly").addEventListener("change", (e) => { mapMode.anomaly = e.target.checked; shownTime = null; });
  byId("map-sides").addEventListener("change", (e) => { mapMode.sides = e.target.checked; shownTime = null; });
  byId("map-pin").addEventListener("click", () => {
    if (current === null) return;
    mapMode.pinned = { e: current.e, varpi: current.varpi, obl: current.obl,
                       label: current.held ? { e: current.e, obl: current.obl, varpi: current.varpi } : current.t };
    mapMode.anomaly = true;
    byId("map-anomaly").checked = true;
    byId("map-pin").textContent = "Pin (pinned: " + stateLabel(mapMode.pinned) + ")";
    shownTime = null;
  });

  function download(blob, name) {
    const a = document.createElement("a");
    a.href = URL.createObjectURL(blob);
    a.download = name;
    a.click();
    setTimeout(() => URL.revokeObjectURL(a.href), 1000);
  }
  const fileTime = () => (current === null || current.held ? "elements" : `${current.t === 0 ? "-0" : current.t}kyr`);

  function mapCsv() {
    const m = state.map, c = current;
    const what = c.held ? `elements: e ${c.e}, obliquity ${c.obl} degrees, varpi ${c.varpi} degrees (set by hand, not from the series)`
                        : `time_kyr: ${c.t} (e ${c.e}, obliquity ${c.obl} degrees, varpi ${c.varpi} degrees)`;
    const lines = [
      "# paleoviz map: daily-mean top-of-atmosphere insolation by latitude and true longitude",
      "# units: W m-2" + (m.anomaly ? " (anomaly: the state shown minus the reference)" : ""),
      "# solar_constant: 1365 W m-2",
      "# orbit: " + solutionName,
      "# " + what,
      m.anomaly ? "# reference: " + (typeof m.reference === "number" ? `time_kyr ${m.reference}` : JSON.stringify(m.reference)) : "# reference: none",
      "# time_convention: thousands of years (kyr) from the present, negative in the past",
      "# perihelion_convention: varpi is the longitude of perihelion from the moving March equinox, heliocentric; the true anomaly is lambda - varpi - 180 degrees",
      "# true_longitude: lambda in degrees from the March equinox: 0 March equinox, 90 June solstice, 180 September equinox, 270 December solstice" +
        (m.x === "months" ? "; the columns are calendar days 1 + 365.2422 j / 360 (March equinox on day 80) at these true longitudes" : ""),
      "# rows: latitude in degrees north; columns: true longitude in degrees",
      "lat," + m.lon.map((l) => l.toFixed(4)).join(","),
      ...m.values.map((row, i) => m.lat[i] + "," + row.map((v) => v.toFixed(4)).join(",")),
    ];
    return lines.join("\n") + "\n";
  }
  byId("map-csv").addEventListener("click", () => {
    if (state.map === null) return;
    download(new Blob([mapCsv()], { type: "text/csv" }), `paleoviz-map-${fileTime()}.csv`);
  });
  byId("map-png").addEventListener("click", () => {
    byId("map").toBlob((blob) => download(blob, `paleoviz-map-${fileTime()}.png`), "image/png");
  });
  state.mapCsv = () => mapCsv();

  let solutionName = "the window's orbital series file orbit95b";
  fetchData.then((buffers) => {
    if (buffers[1] === null) return;
    const head = new TextDecoder().decode(new Uint8Array(buffers[1], 0, Math.min(400, buffers[1].byteLength)));
    solutionName = head.split(/\r?\n|\r/)[0] + " (orbit95b, as the window reads it)";
  });

  // --- the orbit set by hand -------------------------------------------------
  const wrap360 = (v) => ((v % 360) + 360) % 360;
  function syncSliders() {
    const active = document.activeElement;
    const set = (id, v) => { if (active !== byId(id)) byId(id).value = v; };
    set("set-e", current.e);
    set("set-obl", current.obl);
    set("set-obl-typed", current.obl.toFixed(2));
    set("set-varpi", wrap360(current.varpi));
    byId("set-e-out").textContent = current.e.toFixed(4);
    byId("set-varpi-out").textContent = wrap360(current.varpi).toFixed(0) + "°";
    if (active !== byId("time-slider")) byId("time-slider").value = current.t;
    byId("time-slider-out").textContent = String(current.t);
  }
  function holdFromControls(obl) {
    if (module === null || current === null) return;
    const e = Number(byId("set-e").value), varpi = Number(byId("set-varpi").value);
    module._paleoviz_hold(1, e, varpi, obl);
    updateReadout();
  }
  byId("set-e").addEventListener("input", () => holdFromControls(current ? current.obl : 23.5));
  byId("set-varpi").addEventListener("input", () => holdFromControls(current ? current.obl : 23.5));
  byId("set-obl").addEventListener("input", (e) => holdFromControls(Number(e.target.value)));
  byId("set-obl-typed").addEventListener("change", (e) => {
    const v = Number(e.target.value);
    if (e.target.value.trim() === "" || !(v >= 0 && v <= 90)) { e.target.value = current ? current.obl.toFixed(2) : ""; return; }
    holdFromControls(v);
  });
  byId("back-to-series").addEventListener("click", () => {
    if (module !== null) module._paleoviz_hold(0, 0, 0, 0);
    updateReadout();
  });

  // --- the latitude and day ---------------------------------------------------
  byId("pick-lat").value = pick.lat;
  byId("pick-kind").value = pick.kind;
  byId("pick-day").value = pick.day;
  byId("pick-lat").addEventListener("change", (e) => {
    const v = Number(e.target.value);
    if (e.target.value.trim() !== "" && v >= -90 && v <= 90) pick.lat = v; else e.target.value = pick.lat;
  });
  byId("pick-kind").addEventListener("change", (e) => { pick.kind = e.target.value; });
  byId("pick-day").addEventListener("change", (e) => {
    const v = Number(e.target.value);
    if (e.target.value.trim() !== "" && v >= 0 && v <= (pick.kind === "lon" ? 360 : 366)) pick.day = v; else e.target.value = pick.day;
  });

  // --- on-screen keys and the time slider (phones) -----------------------------
  for (const b of document.querySelectorAll("#key-buttons button")) {
    b.addEventListener("click", () => {
      if (module !== null && !state.stopped) module._paleoviz_key(b.dataset.key.charCodeAt(0));
      updateReadout();
    });
  }
  byId("time-slider").addEventListener("input", (e) => {
    if (module !== null && !state.stopped) module._paleoviz_set_time(Number(e.target.value));
    updateReadout();
  });
})();
