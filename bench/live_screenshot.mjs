// A screenshot of the live page in headless Chromium: opens it before the
// game starts (printing "ready"), waits until the game has reached cycle
// 1500, opens player 11's panel and takes the picture.
//
//   node bench/live_screenshot.mjs SCREENSHOT.png http://127.0.0.1:PORT/
import { resolve } from 'node:path';
import { launchChromium, newViewerPage } from '../sim/replay/chromium.mjs';

const [screenshot, address] = [resolve(process.argv[2]), process.argv[3]];
const CYCLE = 1500;

const browser = await launchChromium();
const { page, problems } = await newViewerPage(browser);
await page.goto(address);
console.log('ready');
await page.waitForFunction((cycle) => Number(document.getElementById('cycle').textContent) >= cycle,
  CYCLE, { timeout: 0, polling: 100 });
const point = await page.evaluate(() => window.replay.app.fieldView.screenPoint(window.replay.data.robotIndex('L11')));
await page.mouse.click(point.x, point.y);
await page.evaluate(() => new Promise(requestAnimationFrame));
await page.screenshot({ path: screenshot });
if (problems.length) throw new Error(problems.join('\n'));
console.log(`screenshot: ${screenshot}`);
await browser.close();
