// The phone's panel page in a real browser (Debian's headless Chromium)
// against the real program: the keypad sets a route, data forward moves the
// stop and the page follows, a key pressed elsewhere shows on the page, a
// wrong token changes nothing, the page outlives a restart of the program,
// and a newcomer's ride of the sample route from the page's QR code.
//
// Run by CTest; exits with 77 (skipped) only where Chromium cannot start.
import { after, before, describe, test } from "node:test";
import assert from "node:assert/strict";
import fs from "node:fs";
import path from "node:path";
import puppeteer from "puppeteer-core";
import jsQR from "jsqr";
import { Device, launchBrowser } from "./device.mjs";

const { browser, why } = await launchBrowser(puppeteer);
if (!browser) {
  console.log(`SKIP: Chromium cannot start here (${why})`);
  process.exit(77);
}

const shots = process.env.FERROTAB_SHOTS || ".";
const PHONE = { width: 360, height: 740, deviceScaleFactor: 2, isMobile: true, hasTouch: true };
const TABLET = { width: 1024, height: 768, deviceScaleFactor: 1, isMobile: true, hasTouch: true };
const WAIT = { timeout: 20000 };

async function openPage(url, viewport = PHONE) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  const errors = [];
  page.on("pageerror", (e) => errors.push(e.message));
  page.errors = errors;
  await page.goto(url);
  return page;
}

const text = (page, selector) => page.$eval(selector, (e) => e.textContent.trim());
const untilText = (page, selector, expected) =>
  page.waitForFunction(
    (s, t) => document.querySelector(s) && document.querySelector(s).textContent.trim() === t,
    WAIT, selector, expected);
const connected = (page) => page.waitForFunction(() => document.getElementById("status").hidden, WAIT);
const press = async (page, selector) => {
  await page.waitForFunction((s) => !document.querySelector(s).disabled, WAIT, selector);
  await page.tap(selector);
};
const keys = async (page, ...names) => {
  for (const k of names) {
    const before = await page.$eval("#entry-route", (e) => e.textContent + "|" + e.className) +
      await page.$eval("#entry-section", (e) => e.textContent + "|" + e.className);
    await press(page, `[data-key="${k}"]`);
    // Each key comes back from the device before the next is pressed.
    await page.waitForFunction(
      (b) => document.querySelector("#entry-route").textContent + "|" + document.querySelector("#entry-route").className +
        document.querySelector("#entry-section").textContent + "|" + document.querySelector("#entry-section").className !== b,
      WAIT, before);
  }
};
// A fingerprint of the picture the page shows now, from its pixels.
const pictureSeen = (page) =>
  page.$eval("#display", (c) =>
    c.getContext("2d").getImageData(0, 0, c.width, c.height).data.reduce((h, b) => (h * 31 + b) >>> 0, 7));

after(async () => { await browser.close(); });

describe("on this machine", () => {
  const device = new Device();
  before(async () => { await device.start(); });
  after(async () => { await device.dispose(); });

  test("the keypad sets the route on the device, and a refusal shows in the interface's words", async () => {
    const page = await openPage(device.pageUrl());
    await connected(page);
    await press(page, '[data-command="next"]');
    await untilText(page, "#message", "系統が設定されていません");

    await keys(page, "route", "1", "section", "1");
    assert.equal(await text(page, "#entry-route"), "1");
    assert.equal(await text(page, "#entry-section"), "1");
    assert.deepEqual(await page.$$eval(".lcd.target", (l) => l.map((e) => e.id)), ["entry-section"]);
    await press(page, '[data-key="reset"]');
    await untilText(page, "#stop", "桜川駅（北口）");

    const s = await device.state();
    assert.equal(s.routeSet, true);
    assert.equal(s.route, "1");
    assert.equal(s.section, 1);
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test("data forward moves the stop; the name and the picture follow", async () => {
    const page = await openPage(device.pageUrl());
    await untilText(page, "#stop", "桜川駅（北口）");
    await page.waitForFunction(() => !document.getElementById("display").hidden, WAIT);
    const before = await pictureSeen(page);
    await press(page, '[data-command="next"]');
    await untilText(page, "#stop", "本町");
    // The new fares reach the picture too.
    for (let waited = 0; (await pictureSeen(page)) === before; waited += 100) {
      assert.ok(waited < WAIT.timeout, "the picture stays the same");
      await new Promise((r) => setTimeout(r, 100));
    }
    assert.equal((await device.state()).stop.row, 2);
    assert.match(await text(page, "#route-set"), /2\/20/);
    await page.close();
  });

  test("what another client presses shows on the page", async () => {
    const page = await openPage(device.pageUrl());
    await connected(page);
    // The PC's keypad keys, through the panel's own key handler.
    await device.command("keypad", "key=route");
    await device.command("keypad", "key=4");
    await untilText(page, "#entry-route", "4");
    assert.deepEqual(await page.$$eval(".lcd.target", (l) => l.map((e) => e.id)), ["entry-route"]);
    // A script's data forward and switch.
    assert.equal(device.ctl(["next"]).exit, 0);
    await untilText(page, "#stop", (await device.state()).stop.name);
    assert.equal(device.ctl(["late", "on"]).exit, 0);
    await page.waitForFunction(() => document.getElementById("late").getAttribute("aria-checked") === "true", WAIT);
    assert.equal(device.ctl(["late", "off"]).exit, 0);
    await page.close();
  });

  test("the ride switch rides the route keyed in at a speed of the panel's menu, and stops it", async () => {
    const page = await openPage(device.pageUrl());
    await connected(page);
    await keys(page, "route", "1", "section", "1");
    await page.select("#ride-speed", "60");
    await press(page, "#ride");
    await page.waitForFunction(() => document.getElementById("ride").getAttribute("aria-checked") === "true", WAIT);
    const ride = (await device.state()).ride;
    assert.equal(ride.running, true);
    assert.equal(ride.route, "1");
    assert.equal(ride.speed, 60);
    await page.waitForFunction(() => /^次は /.test(document.getElementById("ride-next").textContent), WAIT);
    await press(page, "#ride");
    await page.waitForFunction(() => document.getElementById("ride").getAttribute("aria-checked") === "false", WAIT);
    assert.equal((await device.state()).ride.running, false);
    assert.equal(await text(page, "#ride-next"), "");
    await page.close();
  });

  test("a wrong or missing token says so and changes nothing", async () => {
    // What the panel holds (not when it was sent, nor the strip's motion).
    const held = async () => {
      const { sentMs, display, ...rest } = await device.state();
      return rest;
    };
    const before = await held();
    for (const token of ["x" + device.token.slice(1), ""]) {
      const page = await openPage(token ? device.pageUrl(token) : `http://127.0.0.1:${device.port}/`);
      await untilText(page, "#status", "接続できません（トークンが違います）");
      assert.equal(await page.$$eval("main button", (b) => b.every((x) => x.disabled)), true);
      // Even a press forced past the disabled keys sends nothing.
      await page.$$eval("main button", (b) => b.forEach((x) => { x.disabled = false; x.click(); }));
      // And a command the page sends with that token anyway, by HTTP and on
      // the socket, is refused by the program.
      const sent = await page.evaluate(async (token) => {
        const headers = token ? { Authorization: `Bearer ${token}` } : {};
        const http = (await fetch("/command/late?on=true", { method: "POST", headers })).status;
        const socket = await new Promise((resolve) => {
          const query = token ? `?token=${encodeURIComponent(token)}` : "";
          const ws = new WebSocket(`ws://${location.host}/ws${query}`);
          ws.onopen = () => ws.send(JSON.stringify({ id: 1, command: "late", args: { on: true } }));
          ws.onmessage = (m) => {
            const answer = JSON.parse(m.data);
            if (answer.id === 1) resolve(answer.ok ? "done" : answer.error.code);
          };
          ws.onclose = () => resolve("closed");
        });
        return { http, socket };
      }, token);
      assert.equal(sent.http, 401, `HTTP with token "${token}"`);
      assert.notEqual(sent.socket, "done", `socket with token "${token}"`);
      await new Promise((r) => setTimeout(r, 500));
      await page.close();
    }
    assert.deepEqual(await held(), before);
  });

  test("the page reconnects by itself after the program restarts, and says so meanwhile", async () => {
    const page = await openPage(device.pageUrl());
    await connected(page);
    const port = device.port;
    await device.stop();
    await page.waitForFunction(() => !document.getElementById("status").hidden, WAIT);
    assert.match(await text(page, "#status"), /再接続しています/);
    await device.start(["--control", "--control-port", String(port)]);
    await connected(page);
    // A fresh run: no route, and the page's keys work again.
    assert.equal(await text(page, "#route-set"), "系統未設定");
    await keys(page, "route", "1", "section", "3");
    await press(page, '[data-key="reset"]');
    await page.waitForFunction(() => /区間 3/.test(document.getElementById("route-set").textContent), WAIT);
    assert.equal((await device.state()).stop.row, 3);
    await page.close();
  });

  test("made for a hand at 360 px upright and 1024 px on its side", async () => {
    for (const [name, viewport] of [["phone-360x740", PHONE], ["tablet-1024x768", TABLET]]) {
      const page = await openPage(device.pageUrl(), viewport);
      await connected(page);
      await page.waitForFunction(() => document.getElementById("display").width > 0, WAIT);
      const layout = await page.evaluate(() => ({
        overflow: document.documentElement.scrollWidth - window.innerWidth,
        small: [...document.querySelectorAll("button")]
          .map((b) => ({ b: b.textContent.trim(), r: b.getBoundingClientRect() }))
          .filter((x) => x.r.width < 48 || x.r.height < 48).map((x) => x.b),
        unnamed: [...document.querySelectorAll("button")]
          .filter((b) => !(b.getAttribute("aria-label") || b.textContent).trim()).length,
      }));
      assert.equal(layout.overflow, 0, `${name}: no sideways scrolling`);
      assert.deepEqual(layout.small, [], `${name}: keys under 48 px`);
      assert.equal(layout.unnamed, 0);
      const file = path.join(shots, `web-${name}.png`);
      await page.screenshot({ path: file, fullPage: true });
      assert.ok(fs.statSync(file).size > 10000);
      await page.close();
    }
  });
});

// The QR code ferrotab-ctl prints (ink for dark modules when not on a
// terminal), read back as a phone's camera would.
function readQr(printed) {
  const lines = printed.split("\n").filter((l) => l.length > 0 && !l.startsWith("http"));
  const width = Math.max(...lines.map((l) => [...l].length));
  const height = lines.length * 2;
  const scale = 4;
  const data = new Uint8ClampedArray(width * scale * height * scale * 4).fill(255);
  lines.forEach((line, row) => {
    [...line].forEach((ch, x) => {
      const dark = [ch === "█" || ch === "▀", ch === "█" || ch === "▄"];
      for (let half = 0; half < 2; half++) {
        if (!dark[half]) continue;
        for (let dy = 0; dy < scale; dy++)
          for (let dx = 0; dx < scale; dx++) {
            const i = (((row * 2 + half) * scale + dy) * width * scale + x * scale + dx) * 4;
            data[i] = data[i + 1] = data[i + 2] = 0;
          }
      }
    });
  });
  const code = jsQR(data, width * scale, height * scale);
  return code ? code.data : null;
}

describe("a newcomer with the network opened", () => {
  const device = new Device({ sample: true });
  before(async () => { await device.start(["--control-listen", "0.0.0.0", "--control-port", "0"]); });
  after(async () => { await device.dispose(); });

  test("scans the QR code and rides the sample route from the page", { timeout: 180000 }, async () => {
    const qr = device.ctl(["qr"]);
    assert.equal(qr.exit, 0, qr.err);
    const url = readQr(qr.out);
    assert.equal(url, qr.out.trim().split("\n").pop(), "the code holds the address printed under it");
    assert.match(url, new RegExp(`^http://${device.pageHost.replace(/\./g, "\\.")}:${device.port}/#token=`));

    const page = await openPage(url);
    await connected(page);
    await keys(page, "route", "1", "section", "1");
    await press(page, '[data-key="reset"]');
    await untilText(page, "#stop", "桜川駅（北口）");
    const rows = (await device.state()).rows;
    for (let row = 2; row <= rows; row++) {
      await press(page, '[data-command="next"]');
      await page.waitForFunction((r) => document.getElementById("route-set").textContent.includes(`\u3000${r}/`), WAIT, row);
    }
    const end = await device.state();
    assert.equal(end.stop.row, rows);
    assert.equal(await text(page, "#stop"), end.stop.name);
    await press(page, '[data-command="next"]');
    await untilText(page, "#message", "最後の停留所です");
    await page.close();
  });
});
