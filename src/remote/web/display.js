// The fare display, live, on a <canvas>: the device's own picture
// (/display.png) for the cells and labels, and the stop-name strip moved here
// as the PC moves it. The strip's dots come from the device as one picture of
// the whole name (/strip.png); how it moves (its speed, the start wait, the
// phase and when it began) comes with every state. The page only moves what
// it was given, so a scrolling name costs the device nothing while it runs.
"use strict";

window.FerrotabDisplay = (() => {
  // Which part of the device a page shows.
  const PARTS = ["all", "fares", "strip"];

  function create(canvas, { part = "all", token = "" } = {}) {
    if (!PARTS.includes(part)) part = "all";
    const context = canvas.getContext("2d");
    const headers = token ? { Authorization: "Bearer " + token } : {};
    let layout = null;   // where the fares and the strip are in the picture
    let strip = null;    // how the strip moves (the state's display.strip)
    let picture = null;  // the device's last picture
    let name = null;     // the strip's canvas: { number, bitmap }
    // This page's clock less the device's: the smallest seen, as an answer
    // that waited on the way only makes it larger.
    let offset = Infinity;
    let shownTop = NaN;
    let pictureChanged = false;
    const onChange = [];

    function rectOfPart() {
      if (!layout) return null;
      if (part === "fares") return layout.fares;
      if (part === "strip") return layout.strip;
      return { x: 0, y: 0, width: layout.width, height: layout.height };
    }

    // One fetch of each kind at a time; asked for again meanwhile, it runs
    // once more after.
    function serial(fetchOne) {
      let running = false;
      let again = false;
      return async () => {
        if (running) { again = true; return; }
        running = true;
        try {
          do { again = false; await fetchOne(); } while (again);
        } catch (e) {
          // The device went away; the page's connection says so.
        } finally {
          running = false;
        }
      };
    }

    async function bitmapOf(path) {
      const r = await fetch(path, { headers, cache: "no-store" });
      if (!r.ok) return null;
      return createImageBitmap(await r.blob());
    }

    const fetchPicture = serial(async () => {
      const b = await bitmapOf("/display.png");
      if (!b) return;
      if (picture) picture.close();
      picture = b;
      pictureChanged = true;
    });

    const fetchName = serial(async () => {
      const wanted = strip && strip.canvas;
      const b = await bitmapOf("/strip.png");
      if (!b) return;
      if (name) name.bitmap.close();
      name = { number: wanted, bitmap: b };
      shownTop = NaN;
      // A newer name came while this one was on its way.
      if (strip && strip.canvas !== wanted) fetchName();
    });

    // Where the name's top stands in the strip now, in dots from the strip's
    // top, moved as the device moves it.
    function nameTop(now) {
      const s = strip;
      if (!s || !s.scrolls || s.phase === "still") return 0;
      const vh = s.viewportHeight;
      if (s.phase === "waiting") return vh;
      const step = (s.speed === 0 ? 1 : s.speed) / 200;
      // When the phase began, on this page's clock.
      const phaseStart = s.phaseSinceMs + offset;
      const passes = Math.floor(Math.max(0, now - phaseStart) * s.passesPerSecond / 1000);
      const top = Math.floor(vh - passes * step);
      // Gone one strip height past the top: the device waits below the strip
      // again and says so when it starts over.
      return top + s.canvasHeight <= -vh ? vh : top;
    }

    function fitCanvas() {
      const r = rectOfPart();
      if (!r) return;
      if (canvas.width !== r.width || canvas.height !== r.height) {
        canvas.width = r.width;
        canvas.height = r.height;
        for (const f of onChange) f(r);
      }
    }

    function draw(now) {
      const r = rectOfPart();
      if (r && picture) {
        const top = nameTop(now);
        if (pictureChanged || top !== shownTop) {
          fitCanvas();
          context.clearRect(0, 0, r.width, r.height);
          context.drawImage(picture, r.x, r.y, r.width, r.height, 0, 0, r.width, r.height);
          if (part !== "fares") drawStrip(r, top);
          pictureChanged = false;
          shownTop = top;
        }
      }
      requestAnimationFrame(draw);
    }

    function drawStrip(r, top) {
      const s = layout.strip;
      const x = s.x - r.x;
      const y = s.y - r.y;
      context.save();
      context.beginPath();
      context.rect(x, y, s.width, s.height);
      context.clip();
      context.fillStyle = strip.background;
      context.fillRect(x, y, s.width, s.height);
      if (name && name.number === strip.canvas) context.drawImage(name.bitmap, x, y + top);
      context.restore();
    }

    // Every state the device sends (an answer to /state or an event):
    // `repaint` asks for a new picture of the cells as well.
    function update(state, repaint) {
      if (!state || !state.display || !state.display.strip) return;
      const now = performance.now();
      if (typeof state.sentMs === "number") offset = Math.min(offset, now - state.sentMs);
      const before = strip;
      layout = state.display;
      strip = state.display.strip;
      if (!name || name.number !== strip.canvas) fetchName();
      if (repaint || !before) fetchPicture();
      shownTop = NaN;
    }

    requestAnimationFrame(draw);
    return {
      update,
      // Told the part's size in the device's pixels whenever it changes.
      onResize(f) { onChange.push(f); },
      // Where the name's top stood at a moment of the device's clock (to
      // compare with a picture the device took then).
      nameTopAt: (deviceMs) => nameTop(deviceMs + offset),
    };
  }

  return { create, PARTS };
})();
