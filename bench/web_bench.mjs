// What the browser benchmarks share: the build's programs for the device
// (argument 1, default build/), puppeteer-core and the device harness from
// the browser tests' folder, and Debian's headless Chromium started.
import path from "node:path";
import { createRequire } from "node:module";
import { fileURLToPath } from "node:url";

const here = path.dirname(fileURLToPath(import.meta.url));
const web = path.join(here, "..", "tests", "web");
const build = path.resolve(process.argv[2] || path.join(here, "..", "build"));
process.env.FERROTAB_PROGRAM ||= path.join(build, "src/app/ferrotab");
process.env.FERROTAB_CTL ||= path.join(build, "tools/ferrotab-ctl");
process.env.FERROTAB_SAMPLE ||= path.join(build, "data/sample");

const require = createRequire(path.join(web, "package.json"));
const puppeteer = (await import(require.resolve("puppeteer-core"))).default;
export const device = await import(path.join(web, "device.mjs"));

const started = await device.launchBrowser(puppeteer);
if (!started.browser) {
  console.error(`Chromium cannot start here: ${started.why}`);
  process.exit(1);
}
export const browser = started.browser;
