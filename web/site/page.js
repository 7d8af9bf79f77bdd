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
  const state = { frames: 0, firstFrameMs: null, stopped: false, status: null, printed, problems };
  window.paleoviz = state;

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
    if (still) args.push("--still");
    return args;
  }

  const args = programArguments();
  if (problems.length > 0) show("Ignored: " + problems.join("; "), true);

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
  function onExit(status) {
    if (state.status !== null) return;
    if (module !== null && module.pauseMainLoop) module.pauseMainLoop();
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
    drawColourBar();
    try {
      m.callMain(args);
    } catch (e) {
      if (e !== "unwind" && !(e && e.name === "ExitStatus")) throw e;
    }
  });

  // --- the readout ----------------------------------------------------------
  const fixed = (x, n) => (Number.isFinite(x) ? x.toFixed(n) : "–");
  function updateReadout() {
    if (embed || module === null || module._paleoviz_current(pointer) === 0) return;
    const v = module.HEAPF64.subarray(pointer / 8, pointer / 8 + 8);
    const key = Array.from(v).join(" ");
    if (key === shownTime) return;
    shownTime = key;
    const t = v[0];
    document.getElementById("now-time").textContent =
      t === 0 ? "the present" : `${-t} kyr ago (${t} kyr on the axis)`;
    document.getElementById("now-e").textContent = fixed(v[1], 5);
    document.getElementById("now-varpi").textContent = fixed(v[2], 1) + "°";
    document.getElementById("now-obl").textContent = fixed(v[3], 3) + "°";
    for (let s = 0; s < 4; ++s)
      document.getElementById("q-" + s).textContent = fixed(v[4 + s], 1) + " W/m²";
    drawChart(t);
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
    return true;
  }

  // --- the chart ------------------------------------------------------------
  let lr04 = null;
  fetch("data/lr04-stack.txt").then((r) => (r.ok ? r.text() : "")).then((text) => {
    lr04 = text.split(/\r?\n/).filter((l) => /^\d/.test(l)).map((l) => l.split(/\s+/).map(Number))
      .filter((row) => row.length >= 2 && Number.isFinite(row[0]) && Number.isFinite(row[1]));
    shownTime = null;
  }, () => { lr04 = []; });

  function drawChart(t) {
    if (state.colourBarPending && paintColourBar()) state.colourBarPending = false;
    const first = module._paleoviz_june65_window(pointer);
    const q = Array.from(module.HEAPF64.subarray(pointer / 8, pointer / 8 + 750));
    const canvas = document.getElementById("chart");
    const g = canvas.getContext("2d");
    const W = canvas.width, H = canvas.height, left = 44, right = W - 8;
    const x = (kyr) => left + ((kyr - first) / 749) * (right - left);
    g.fillStyle = "#000";
    g.fillRect(0, 0, W, H);
    g.font = "12px sans-serif";
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
    plot(q.map((v, i) => [first + i, v]), 10, 135, 400, 560, "#f84", "65°N June insolation (W/m²)", false);
    if (lr04 !== null) {
      const rows = lr04.map(([age, d]) => [-age, d]).filter(([k]) => k >= first && k <= first + 749);
      plot(rows.reverse(), 160, 270, 3, 5.2, "#6cf", "LR04 benthic δ¹⁸O (‰)", true);
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
      a.download = `paleoviz${v === 0 ? "" : v}kyr.png`;
      a.click();
      setTimeout(() => URL.revokeObjectURL(a.href), 1000);
    }, "image/png");
  });
})();
