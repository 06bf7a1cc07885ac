// What an overlay page watching the fare display costs the program, and how
// closely it follows it: the program's CPU (utime + stime from /proc) while
// the sample route's longest stop name scrolls, with no overlay, one and four
// (each in its own tab of Debian's headless Chromium); the bytes a page
// receives per second meanwhile; how far the page's strip stands from the
// PC window's at the same moments over a watch; and from a stop change sent
// to the page showing it (one overlay open).
//
//   node bench/overlay_watch.mjs [BUILD_DIR] [SECONDS]   (after scripts/setup and scripts/build)
//
// Goals: CPU with an overlay within 1 % of a core of without, under 50 KB/s
// while the name scrolls, the strip within 2 dot rows, a stop change shown
// within 100 ms.
import fs from "node:fs";
import { browser, device as harness } from "./web_bench.mjs";

const seconds = Number(process.argv[3] || 30);
const { Device, gotoRow, longestNameRow, msToShow, stripNow } = harness;

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const ticksPerSecond = 100; // Linux's USER_HZ
const cpuSeconds = (pid) => {
  const stat = fs.readFileSync(`/proc/${pid}/stat`, "utf8");
  const fields = stat.slice(stat.lastIndexOf(")") + 2).split(" ");
  return (Number(fields[11]) + Number(fields[12])) / ticksPerSecond;
};
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

const device = new Device();
try {
  await device.start();
  if (device.ctl(["route", "1", "1"]).exit !== 0) throw new Error("the sample route cannot be set");
  const longest = await longestNameRow(device);
  await gotoRow(device, longest);
  const pid = device.child.pid;

  // The program's share of a core over the watch, and the bytes each page
  // received meanwhile.
  const pages = [];
  async function watch(label) {
    for (const p of pages) p.bytes = 0;
    await sleep(3000);
    for (const p of pages) p.bytes = 0;
    const cpu0 = cpuSeconds(pid);
    const t0 = performance.now();
    await sleep(seconds * 1000);
    const wall = (performance.now() - t0) / 1000;
    const share = (100 * (cpuSeconds(pid) - cpu0)) / wall;
    const rates = pages.map((p) => p.bytes / wall / 1024);
    console.log(`${label}: program CPU ${share.toFixed(2)} % of a core` +
      (rates.length ? `, each page received ${rates.map((r) => r.toFixed(2)).join(" / ")} KB/s` : ""));
    return share;
  }
  async function addOverlay(query = "") {
    const entry = { page: null, bytes: 0 };
    entry.page = await device.openOverlay(browser, query, async (page) => {
      const cdp = await page.createCDPSession();
      await cdp.send("Network.enable");
      cdp.on("Network.dataReceived", (e) => { entry.bytes += e.encodedDataLength; });
      cdp.on("Network.webSocketFrameReceived", (e) => { entry.bytes += e.response.payloadData.length; });
    });
    pages.push(entry);
  }

  const none = await watch("no overlay");
  await addOverlay();
  const one = await watch("one overlay");
  // The strip, picture against page, over the watch.
  const page = pages[0].page;
  // A tab in the background draws no frames.
  await page.bringToFront();
  const offs = [];
  for (const end = Date.now() + seconds * 1000; Date.now() < end;) {
    const s = await stripNow(page);
    if (!s.blank && s.found.length) offs.push(Math.min(...s.found.map((t) => Math.abs(t - s.page))));
    if (!s.blank && !s.found.length) offs.push(Infinity);
    await sleep(100);
  }
  console.log(`strip: ${offs.length} pictures over ${seconds} s, page to PC median ${median(offs)} ` +
    `and at most ${Math.max(...offs)} dot rows`);

  // Stop changes between names that stand still (a scrolling name's start
  // wait holds the device itself before the next change).
  const still = [];
  const rows = (await device.state()).rows;
  for (let row = 1; row <= rows; row++) if (!(await gotoRow(device, row)).display.strip.scrolls) still.push(row);
  await gotoRow(device, still[0]);
  const times = [];
  for (let i = 0; i < 20; i++) {
    const row = still[(i + 1) % still.length];
    times.push(await msToShow(page, device.token, `/command/goto?row=${row}`));
    await sleep(300);
  }
  console.log(`stop change to the page showing it: median ${median(times).toFixed(0)} ms, ` +
    `at most ${Math.max(...times).toFixed(0)} ms over ${times.length}`);

  // Back to the long name for the four.
  await gotoRow(device, longest);
  for (let i = 0; i < 3; i++) await addOverlay();
  const four = await watch("four overlays");
  console.log(`CPU added: one overlay ${(one - none).toFixed(2)} %, four ${(four - none).toFixed(2)} % of a core`);

} finally {
  await browser.close();
  await device.dispose();
}
