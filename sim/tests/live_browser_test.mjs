// The live page in a real browser (headless Chromium) while a real-time game
// of three agents is played: what it shows is checked against fieldsim's
// trace and result file once the game is over.
//
//   node live_browser_test.mjs FIELDSIM VEXA3D SOURCE_DIR OUTPUT_DIR
import assert from 'node:assert/strict';
import { mkdirSync, readFileSync, rmSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { after, before, test } from 'node:test';
import { setTimeout as sleep } from 'node:timers/promises';
import { expectShown, gameAt, readTrace, shown, startAgent, startFieldsim } from './browser_game.mjs';

const [fieldsim, agent, sourceDir, outputDir] = process.argv.slice(2).map((path) => resolve(path));
const { launchChromium, newViewerPage, openViewer } = await import(join(sourceDir, 'sim/replay/chromium.mjs'));

const CYCLES = 1500;  // 30 s
const resultFile = join(outputDir, 'result.json');
let sim;
let browser;
let page;  // opened before the game starts
const readings = [];  // what the page showed during the game
const problems = [];  // each page's console errors

async function open(url) {
  const opened = await openViewer(browser, url);
  problems.push(opened.problems);
  return opened.page;
}

async function read() {
  const reading = await shown(page);
  readings.push(reading);
  return reading;
}

before(async () => {
  rmSync(outputDir, { recursive: true, force: true });
  mkdirSync(outputDir, { recursive: true });
  sim = startFieldsim(fieldsim, ['--port', '0', '--live', '0', '--realtime', '--world', 'kinematic',
    '--agents', '3', '--cycles', String(CYCLES), '--trace', join(outputDir, 'trace.txt'),
    '--result', resultFile]);
  const port = (await sim.waitFor(/listening on 127\.0\.0\.1:(\d+)/))[1];
  const url = (await sim.waitFor(/live at (http:\S+)/))[1];
  browser = await launchChromium();
  // The page waits for the game before the players start, however long the
  // browser takes to start.
  const opened = await newViewerPage(browser);
  problems.push(opened.problems);
  page = opened.page;
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById('loading')?.textContent.startsWith('Waiting'));
  const game = { agent, sourceDir, outputDir, port };
  startAgent(game, 'VEXA3D', 2);
  await sim.waitFor(/\(VEXA3D \d+\) joined/);
  startAgent(game, 'VEXA3D', 3);
  startAgent(game, 'RIVALS', 1);
  await page.waitForFunction(() => window.replay?.ready === true);
});

after(async () => {
  await browser?.close();
});

// Two readings two seconds apart, timed by the page's own clock.
function cyclesPerSecond() {
  return page.evaluate(async () => {
    const reading = () => [Number(document.getElementById('cycle').textContent), performance.now()];
    const [from, start] = reading();
    await new Promise((resolve) => setTimeout(resolve, 2000));
    const [to, end] = reading();
    return { from, to, perSecond: (to - from) / ((end - start) / 1000) };
  });
}

test('during the game the page shows the newest cycle, about 50 more each second, marked live', async () => {
  await sleep(1500);
  const { from, to, perSecond } = await cyclesPerSecond();
  assert.ok(perSecond >= 30 && perSecond <= 70, `the shown cycle went from ${from} to ${to}: ${perSecond} a second`);
  assert.equal(await page.locator('#live').textContent(), '\u25cf live');
  const reading = await read();
  assert.equal(reading.robots, 3);
  await page.screenshot({ path: join(outputDir, 'live.png') });
});

test('paused, the page stays on its cycle; End takes it back to the newest', async () => {
  await page.locator('#play').click();
  const paused = await read();
  assert.equal(await page.locator('#live').textContent(), 'back to live');
  await sleep(500);
  assert.equal((await read()).cycle, paused.cycle);
  await page.keyboard.press('End');
  await page.waitForFunction((cycle) => Number(document.getElementById('cycle').textContent) > cycle + 20, paused.cycle);
  assert.equal(await page.locator('#live').textContent(), '\u25cf live');
  await read();
});

test('a page opened late holds the game from its first frame', async () => {
  const late = await open(sim.output().match(/live at (http:\S+)/)[1]);
  const [lateFirst, first] = await Promise.all([late, page].map((p) => p.evaluate(() => window.replay.data.cycle(0))));
  assert.equal(lateFirst, first);
  await late.close();
});

test('when the game is over the page says so, holds its end, and shows an early cycle again', async () => {
  assert.equal(await sim.ended, 0, sim.output());
  await page.waitForFunction(() => document.getElementById('game-state').textContent === 'game over');
  assert.equal(await page.locator('#live').isVisible(), false);
  const trace = readTrace(join(outputDir, 'trace.txt'));
  const result = JSON.parse(readFileSync(resultFile, 'utf8'));
  for (const reading of readings) assert.deepEqual(reading, gameAt(trace, result, reading.cycle));
  await page.keyboard.press('End');
  await expectShown(page, trace, result, CYCLES);
  await page.locator('#slider').fill('100');
  await expectShown(page, trace, result, 100);
});

test('no error reached the console', () => {
  assert.deepEqual(problems.flat(), []);
});
