// How long a replay page takes to open in headless Chromium: from the start
// of the navigation until the page shows the game (its "replay-shown" mark),
// and as the caller waits for it; the median of five openings. Saves a
// screenshot of the game at cycle 1500 with player 11's panel open.
//
//   node bench/replay_open.mjs REPLAY.html SCREENSHOT.png
import { resolve } from 'node:path';
import { launchChromium, openReplay } from '../sim/replay/chromium.mjs';

const [file, screenshot] = process.argv.slice(2).map((path) => resolve(path));
const OPENINGS = 5;
const median = (values) => values.sort((a, b) => a - b)[values.length >> 1];

const browser = await launchChromium();
const shown = [];
const waited = [];
for (let i = 0; i < OPENINGS; i++) {
  const start = performance.now();
  const { page, problems } = await openReplay(browser, file);
  waited.push(performance.now() - start);
  shown.push(await page.evaluate(() => performance.getEntriesByName('replay-shown')[0].startTime));
  if (problems.length) throw new Error(problems.join('\n'));
  await page.close();
}
console.log(`opening ${file}: shown ${median(shown).toFixed(0)} ms after the navigation started, `
  + `${median(waited).toFixed(0)} ms as the caller waits (medians of ${OPENINGS})`);

const { page } = await openReplay(browser, file, '#t=1500');
const point = await page.evaluate(() => window.replay.app.fieldView.screenPoint(window.replay.data.robotIndex('L11')));
await page.mouse.click(point.x, point.y);
await page.evaluate(() => new Promise(requestAnimationFrame));
await page.screenshot({ path: screenshot });
console.log(`screenshot: ${screenshot}`);
await browser.close();
