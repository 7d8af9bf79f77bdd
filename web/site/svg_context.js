// A stand-in for a canvas's 2D context that writes SVG instead of pixels,
// for the few calls the map's drawing makes (rectangles, text, paths,
// images), so that the SVG for handouts is drawn by the same code as the
// screen: lines and text stay vectors, the colour field an embedded image.
const escape = (text) => String(text).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;");
const number = (x) => String(Math.round(x * 100) / 100);
const anchors = { left: "start", center: "middle", right: "end", start: "start", end: "end" };

export function svgContext(width, height) {
  const parts = [];
  let path = "";
  const g = {
    fillStyle: "#000", strokeStyle: "#000", lineWidth: 1, font: "10px sans-serif", textAlign: "left",
    imageSmoothingEnabled: true,
    fillRect(x, y, w, h) {
      parts.push(`<rect x="${number(x)}" y="${number(y)}" width="${number(w)}" height="${number(h)}" fill="${g.fillStyle}"/>`);
    },
    strokeRect(x, y, w, h) {
      parts.push(`<rect x="${number(x)}" y="${number(y)}" width="${number(w)}" height="${number(h)}" fill="none" ` +
                 `stroke="${g.strokeStyle}" stroke-width="${g.lineWidth}"/>`);
    },
    fillText(text, x, y) {
      const size = (/(\d+)px/.exec(g.font) || [0, 10])[1];
      parts.push(`<text x="${number(x)}" y="${number(y)}" fill="${g.fillStyle}" font-size="${size}" ` +
                 `font-family="sans-serif" text-anchor="${anchors[g.textAlign] || "start"}">${escape(text)}</text>`);
    },
    beginPath() { path = ""; },
    moveTo(x, y) { path += `M${number(x)} ${number(y)}`; },
    lineTo(x, y) { path += `L${number(x)} ${number(y)}`; },
    closePath() { path += "Z"; },
    stroke() {
      if (path !== "") parts.push(`<path d="${path}" fill="none" stroke="${g.strokeStyle}" stroke-width="${g.lineWidth}"/>`);
    },
    fill() { if (path !== "") parts.push(`<path d="${path}" fill="${g.fillStyle}"/>`); },
    drawImage(image, x, y, w, h) {
      parts.push(`<image x="${number(x)}" y="${number(y)}" width="${number(w)}" height="${number(h)}" ` +
                 `preserveAspectRatio="none" style="image-rendering:pixelated" href="${image.toDataURL("image/png")}"/>`);
    },
    svg() {
      return `<?xml version="1.0" encoding="UTF-8"?>\n<svg xmlns="http://www.w3.org/2000/svg" width="${width}" ` +
        `height="${height}" viewBox="0 0 ${width} ${height}">\n${parts.join("\n")}\n</svg>\n`;
    },
  };
  return g;
}
