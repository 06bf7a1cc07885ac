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
