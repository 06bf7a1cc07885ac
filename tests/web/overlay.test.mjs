// The overlay page in a real browser against the real program: its fares are
// the device's own pixels, outside the device it is transparent when asked,
// it follows a stop change at once, and its stop-name strip moves with the
// PC's: a long name scrolls within two dot rows of the PC window's strip at
// the same moments, a short one stands still.
//
// Run by CTest; exits with 77 (skipped) only where Chromium cannot start.
import { after, before, describe, test } from "node:test";
import assert from "node:assert/strict";
import puppeteer from "puppeteer-core";
import { Device, gotoRow, launchBrowser, longestNameRow, msToShow, stripNow } from "./device.mjs";

const { browser, why } = await launchBrowser(puppeteer);
if (!browser) {
  console.log(`SKIP: Chromium cannot start here (${why})`);
  process.exit(77);
}
const WAIT = { timeout: 20000 };

after(async () => { await browser.close(); });

const openOverlay = (device, query) => device.openOverlay(browser, query);
// A fingerprint of what the page draws now.
const stripPixels = (page) => page.$eval("#device", (c) =>
  c.getContext("2d").getImageData(0, 0, c.width, c.height).data.reduce((h, b) => (h * 31 + b) >>> 0, 7));

describe("the overlay", () => {
  const device = new Device();
  before(async () => {
    await device.start();
    assert.equal(device.ctl(["route", "1", "1"]).exit, 0);
  });
  after(async () => { await device.dispose(); });

  test("shows the device's own fares, transparent around it when asked, and follows a stop change", async () => {
    const page = await openOverlay(device, "?part=fares&background=transparent");
    const same = () => page.evaluate(async () => {
      const state = await (await fetch("/state", { cache: "no-store" })).json();
      const f = state.display.fares;
      const picture = await createImageBitmap(await (await fetch("/display.png", { cache: "no-store" })).blob());
      const c = new OffscreenCanvas(f.width, f.height);
      const g = c.getContext("2d");
      g.drawImage(picture, f.x, f.y, f.width, f.height, 0, 0, f.width, f.height);
      const want = g.getImageData(0, 0, f.width, f.height).data.join(",");
      const shown = document.getElementById("device");
      const got = shown.getContext("2d").getImageData(0, 0, shown.width, shown.height).data.join(",");
      return shown.width === f.width && shown.height === f.height && want === got;
    });
    for (let waited = 0; !(await same()); waited += 100) {
      assert.ok(waited < WAIT.timeout, "the page's fares are not the device's");
      await new Promise((r) => setTimeout(r, 100));
    }
    assert.equal(await page.evaluate(() => getComputedStyle(document.body).backgroundColor), "rgba(0, 0, 0, 0)");

    // A stop change, from the command sent to the page's pixels changing:
    // between two stops whose names stand still (a scrolling name's start
    // wait holds the device, the PC's panel as well).
    await gotoRow(device, 3);
    await new Promise((r) => setTimeout(r, 500));
    const ms = await msToShow(page, device.token, "/command/next");
    // Its time is measured by bench/overlay_watch.mjs; here, that it follows.
    assert.ok(ms < 2000, `the overlay took ${ms} ms to follow a stop change`);
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test("the whole device has transparent corners where the device is cut out", async () => {
    const page = await openOverlay(device, "?background=transparent&scale=1");
    await page.waitForFunction(() => {
      const c = document.getElementById("device");
      const g = c.getContext("2d");
      const mid = g.getImageData(c.width >> 1, c.height >> 1, 1, 1).data[3];
      return mid === 255 && g.getImageData(0, 0, 1, 1).data[3] === 0;
    }, WAIT);
    await page.close();
  });

  test("a long name scrolls with the PC's strip, a short one stands still", { timeout: 120000 }, async () => {
    const rows = (await device.state()).rows;
    await gotoRow(device, await longestNameRow(device));
    const page = await openOverlay(device, "?part=strip");
    let compared = 0;
    let worst = 0;
    let far = 0;
    const phases = new Set();
    const drawn = new Set();
    for (const end = Date.now() + 15000; Date.now() < end;) {
      const s = await stripNow(page);
      phases.add(s.phase);
      drawn.add(await stripPixels(page));
      if (s.blank) continue; // the start wait: nothing to place
      assert.ok(s.found.length > 0, "the PC's strip is not the name's canvas at any place");
      const off = Math.min(...s.found.map((t) => Math.abs(t - s.page)));
      worst = Math.max(worst, off);
      if (off > 2) far++;
      compared++;
      await new Promise((r) => setTimeout(r, 150));
    }
    console.log(`long name: ${compared} pictures compared, ${far} more than 2 dot rows from the PC, ` +
      `the farthest ${worst}`);
    assert.ok(phases.has("moving"), "the long name never scrolled");
    assert.ok(drawn.size >= 10, `the page drew only ${drawn.size} different strips`);
    assert.ok(compared >= 10);
    // A loaded machine may draw the PC's strip a few frames late (the page
    // keeps the device's clock all the same); a page that moved otherwise
    // would be off in most pictures.
    assert.ok(far <= compared / 4, `${far} of ${compared} pictures more than 2 dot rows apart`);
    assert.ok(worst <= 20, `the page's strip was ${worst} dot rows from the PC's`);

    // A short name stands at the top, on the PC and the page alike.
    for (let row = 1; row <= rows; row++)
      if (!(await gotoRow(device, row)).display.strip.scrolls) break;
    // Once the page has the new name's picture (a loaded machine may take a
    // while to fetch it), what it draws stays the same.
    let still = await stripPixels(page);
    for (let waited = 0; waited < WAIT.timeout; waited += 200) {
      await new Promise((r) => setTimeout(r, 200));
      const now = await stripPixels(page);
      if (now === still) break;
      still = now;
    }
    const a = await stripNow(page);
    await new Promise((r) => setTimeout(r, 1000));
    const b = await stripNow(page);
    assert.equal(await stripPixels(page), still);
    for (const s of [a, b]) {
      assert.equal(s.phase, "still");
      assert.equal(s.page, 0);
      assert.ok(s.found.includes(0));
    }
    assert.deepEqual(page.errors, []);
    await page.close();
  });
});
