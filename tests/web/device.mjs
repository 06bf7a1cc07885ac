// The real program for the browser tests and the benchmark: started in a
// folder of its own as a newcomer would start it (offscreen, sound to SDL's
// dummy output), found through its announcement in the runtime folder, and
// driven besides by ferrotab-ctl and plain HTTP.
import { spawn, spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";

const need = (name) => {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set (the build's CTest sets it)`);
  return value;
};

export const program = () => need("FERROTAB_PROGRAM");
export const ctlTool = () => need("FERROTAB_CTL");
export const sampleFolder = () => need("FERROTAB_SAMPLE");

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

export class Device {
  // `sample`: the sample device (its settings: sounds, the sample folder);
  // otherwise the plain program as model LED-84 with the sample route's
  // files beside it and the factory settings (no sounds).
  constructor({ sample = false } = {}) {
    this.folder = fs.mkdtempSync(path.join(os.tmpdir(), "ferrotab-web-"));
    this.runtime = fs.mkdtempSync(path.join(os.tmpdir(), "ferrotab-web-run-"));
    fs.chmodSync(this.runtime, 0o700);
    const from = sampleFolder();
    this.model = sample ? "ferrotab-sample" : "LED-84";
    const files = ["1.hy3", "1tp.csv", "1tt.csv"];
    if (sample) files.push("ferrotab-sample.in4");
    for (const f of files) fs.copyFileSync(path.join(from, f), path.join(this.folder, f));
    fs.symlinkSync(program(), path.join(this.folder, this.model));
    this.env = {
      ...process.env,
      XDG_RUNTIME_DIR: this.runtime,
      QT_QPA_PLATFORM: "offscreen",
      SDL_AUDIODRIVER: "dummy",
    };
    delete this.env.FERROTAB_CONTROL;
    this.child = null;
    this.log = "";
  }

  // Starts the program with `args`; resolves once its interface listens.
  async start(args = ["--control", "--control-port", "0"]) {
    this.child = spawn(path.join(this.folder, this.model), args, {
      cwd: this.folder,
      env: this.env,
      stdio: ["ignore", "ignore", "pipe"],
    });
    // A running device announces itself as <runtime>/ferrotab/<pid>.json.
    const announcement = path.join(this.runtime, "ferrotab", `${this.child.pid}.json`);
    this.child.stderr.on("data", (d) => { this.log += d; });
    const exited = new Promise((r) => this.child.once("exit", r));
    this.exited = exited;
    for (let waited = 0; waited < 30000; waited += 50) {
      let a = null;
      try {
        a = JSON.parse(fs.readFileSync(announcement, "utf8"));
      } catch (e) {
        // Not there yet, or being written.
      }
      if (a) {
        this.port = a.port;
        this.host = a.host;
        this.pageHost = a.pageHost || a.host;
        this.token = this.ctl(["token"]).out.trim();
        return this;
      }
      if (this.child.exitCode !== null) break;
      await sleep(50);
    }
    throw new Error(`the program did not start its interface:\n${this.log}`);
  }

  // Ends it as the desktop's log-out would (SIGTERM: the quit sequence).
  async stop() {
    if (!this.child || this.child.exitCode !== null) return;
    this.child.kill("SIGTERM");
    const done = await Promise.race([this.exited.then(() => true), sleep(15000).then(() => false)]);
    if (!done) {
      this.child.kill("SIGKILL");
      await this.exited;
    }
  }

  async dispose() {
    await this.stop();
    fs.rmSync(this.folder, { recursive: true, force: true });
    fs.rmSync(this.runtime, { recursive: true, force: true });
  }

  ctl(args) {
    const r = spawnSync(ctlTool(), args, { env: this.env, encoding: "utf8", timeout: 60000 });
    return { exit: r.status, out: r.stdout, err: r.stderr };
  }

  // The page on this machine, with the token.
  pageUrl(token = this.token) {
    return `http://127.0.0.1:${this.port}/#token=${token}`;
  }

  // The overlay page in `browser`, on this machine (no token), drawn;
  // `prepare` has the page before it loads.
  async openOverlay(browser, query = "", prepare = async () => {}) {
    const page = await browser.newPage();
    await prepare(page);
    await page.setViewport({ width: 400, height: 900 });
    const errors = [];
    page.on("pageerror", (e) => errors.push(e.message));
    page.errors = errors;
    await page.goto(`http://127.0.0.1:${this.port}/overlay${query}`);
    await page.waitForFunction(() => document.getElementById("device").width > 0, { timeout: 20000 });
    return page;
  }

  async state() {
    const r = await fetch(`http://127.0.0.1:${this.port}/state`, {
      headers: { Authorization: `Bearer ${this.token}` },
    });
    return r.json();
  }

  // A command as a second control client would send it.
  async command(name, query = "") {
    const r = await fetch(`http://127.0.0.1:${this.port}/command/${name}${query ? "?" + query : ""}`, {
      method: "POST",
      headers: { Authorization: `Bearer ${this.token}` },
    });
    return r.json();
  }
}

// In the page: the strip as the device drew it in a picture it took (fetched
// now), the moment it was taken, and where the page's strip stood then.
export const stripNow = (page) => page.evaluate(async () => {
  const bytes = new Uint8Array(await (await fetch("/display.png", { cache: "no-store" })).arrayBuffer());
  // The picture's tEXt chunk "takenMs".
  let taken = NaN;
  for (let at = 8; at + 8 <= bytes.length;) {
    const length = new DataView(bytes.buffer).getUint32(at);
    const chunk = new TextDecoder("latin1").decode(bytes.subarray(at + 4, at + 8 + length));
    if (chunk.startsWith("tEXttakenMs\0")) taken = Number(chunk.slice(12));
    at += 12 + length;
  }
  const state = await (await fetch("/state", { cache: "no-store" })).json();
  const s = state.display.strip;
  const picture = await createImageBitmap(new Blob([bytes]));
  const name = await createImageBitmap(await (await fetch("/strip.png", { cache: "no-store" })).blob());
  const rows = (image, top, height) => {
    const c = new OffscreenCanvas(s.width, height);
    const g = c.getContext("2d");
    g.drawImage(image, s.x, top, s.width, height, 0, 0, s.width, height);
    const d = g.getImageData(0, 0, s.width, height).data;
    const out = [];
    for (let y = 0; y < height; y++) out.push(d.slice(y * s.width * 4, (y + 1) * s.width * 4).join(","));
    return out;
  };
  const seen = rows(picture, s.y, s.height);
  // The canvas laid on the strip's ground at every top it can stand at: the
  // one that gives the pixels seen is where the PC's strip stood.
  const c = new OffscreenCanvas(s.width, s.height);
  const g = c.getContext("2d");
  const found = [];
  for (let top = -s.canvasHeight - s.viewportHeight; top <= s.viewportHeight; top++) {
    g.fillStyle = s.background;
    g.fillRect(0, 0, s.width, s.height);
    g.drawImage(name, 0, top);
    const d = g.getImageData(0, 0, s.width, s.height).data;
    let same = true;
    for (let y = 0; same && y < s.height; y++)
      same = d.slice(y * s.width * 4, (y + 1) * s.width * 4).join(",") === seen[y];
    if (same) found.push(top);
  }
  const blank = seen.every((r) => r === seen[0]);
  return { taken, blank, found, page: window.ferrotabDisplay.nameTopAt(taken), phase: s.phase };
});

// In an overlay page: from a command sent (its path and query, with the
// token) to the page's picture changing, in ms.
export const msToShow = (page, token, command) => page.evaluate(async (token, command) => {
  const shown = document.getElementById("device");
  const pixels = () => new Uint32Array(shown.getContext("2d").getImageData(0, 0, shown.width, shown.height).data.buffer);
  const before = pixels();
  const same = (a) => a.length === before.length && a.every((v, i) => v === before[i]);
  const t0 = performance.now();
  await fetch(command, { method: "POST", headers: { Authorization: `Bearer ${token}` } });
  while (same(pixels()) && performance.now() - t0 < 5000) await new Promise((r) => requestAnimationFrame(r));
  return performance.now() - t0;
}, token, command);

// Straight to a stop; the state once the strip shows its name.
export async function gotoRow(device, row) {
  const before = (await device.state()).display.strip.canvas;
  await device.command("goto", `row=${row}`);
  for (let waited = 0; ; waited += 20) {
    const s = await device.state();
    if (s.display.strip.canvas !== before) return s;
    if (waited > 20000) throw new Error(`the strip never showed row ${row}`);
    await sleep(20);
  }
}

// The row of the route set whose stop name is the longest (its strip's
// canvas the tallest).
export async function longestNameRow(device) {
  const rows = (await device.state()).rows;
  let longest = { row: 1, height: 0 };
  for (let row = 1; row <= rows; row++) {
    const h = (await gotoRow(device, row)).display.strip.canvasHeight;
    if (h > longest.height) longest = { row, height: h };
  }
  return longest.row;
}

// Debian's Chromium, headless; null (with the reason) where it cannot start.
export async function launchBrowser(puppeteer) {
  const executablePath = process.env.CHROMIUM || "/usr/bin/chromium";
  try {
    return {
      browser: await puppeteer.launch({
        executablePath,
        headless: true,
        // Tests run as root, where Chromium's sandbox cannot start.
        args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--lang=ja"],
        timeout: 30000,
      }),
    };
  } catch (e) {
    return { browser: null, why: String(e && e.message ? e.message : e) };
  }
}
