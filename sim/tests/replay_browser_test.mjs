// The replay page in a real browser (headless Chromium): a short game of
// three agents (the left team's player 2 knocked over at cycle 150, a ball
// near the right goal) is written by fieldsim, and its page is checked
// against fieldsim's own trace and result file.
//
//   node replay_browser_test.mjs FIELDSIM VEXA3D SOURCE_DIR OUTPUT_DIR
import assert from 'node:assert/strict';
import { mkdirSync, readFileSync, rmSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { after, before, test } from 'node:test';
import { expectShown as expectShownIn, readTrace, startAgent as startAgentOf, startFieldsim } from './browser_game.mjs';

const [fieldsim, agent, sourceDir, outputDir] = process.argv.slice(2).map((path) => resolve(path));
const { launchChromium, openReplay } = await import(join(sourceDir, 'sim/replay/chromium.mjs'));

const CYCLES = 3999;  // odd: the last cycle gets a frame of its own
const KNOCKED = 150;
const replayFile = join(outputDir, 'replay.html');
const resultFile = join(outputDir, 'result.json');
let trace;  // cycle -> { mode, robots: { label: [x, y] } }
let result;  // the game's result file
let browser;
const problems = [];

async function playGame() {
  rmSync(outputDir, { recursive: true, force: true });
  mkdirSync(outputDir, { recursive: true });
  const sim = startFieldsim(fieldsim, ['--port', '0', '--agents', '3', '--cycles', String(CYCLES),
    '--ball', '4.5,0', '--knock', `2@${KNOCKED}`, '--trace', join(outputDir, 'trace.txt'),
    '--replay', replayFile, '--result', resultFile]);
  const port = (await sim.waitFor(/listening on 127\.0\.0\.1:(\d+)/))[1];
  const startAgent = (team, number) => startAgentOf({ agent, sourceDir, outputDir, port }, team, number);
  // The first team to register plays on the left, where the knock is.
  startAgent('VEXA3D', 11);
  startAgent('VEXA3D', 2);
  await sim.waitFor(/\(VEXA3D \d+\) joined/);
  startAgent('RIVALS', 1);
  assert.equal(await sim.ended, 0, sim.output());
}

const expectShown = (page, cycle) => expectShownIn(page, trace, result, cycle);

async function open(fragment) {
  const opened = await openReplay(browser, replayFile, fragment);
  problems.push(...opened.problems);
  return opened.page;
}

// A field of the robot panel: title, team or state.
const panelField = (page, name) => page.locator(`#robot-panel [data-field="${name}"]`).textContent();

before(async () => {
  await playGame();
  trace = readTrace(join(outputDir, 'trace.txt'));
  result = JSON.parse(readFileSync(resultFile, 'utf8'));
  browser = await launchChromium();
});

after(async () => {
  await browser?.close();
});

test('the page shows the cycle, play mode, score and robots of the game at the start and after seeking', async () => {
  const page = await open('');
  await expectShown(page, 2);  // the first cycle recorded: every second one is
  await page.locator('#slider').fill('1000');
  await expectShown(page, 1000);
  // The first cycle with a frame (every second one has) from the first goal
  // on, or the last one.
  const goal = result.events.find((event) => event.kind === 'goal')?.cycle ?? CYCLES;
  const later = Math.min(CYCLES, goal + goal % 2);
  await page.evaluate((cycle) => { window.location.hash = `#t=${cycle}`; }, later);
  await page.waitForFunction((cycle) => document.getElementById('cycle').textContent === String(cycle), later);
  await expectShown(page, later);
  await page.keyboard.press('End');
  await expectShown(page, CYCLES);
});

test('a shared moment opens with its cycle and the robot followed, drawn where the trace has it', async () => {
  const cycle = KNOCKED + 50;
  const page = await open(`#t=${cycle}&follow=L2`);
  await expectShown(page, cycle);
  assert.equal(await panelField(page, 'title'), 'L2');
  assert.equal(await panelField(page, 'team'), 'VEXA3D 2');
  assert.equal(await panelField(page, 'state'), 'fallen');
  assert.equal(await page.locator('#follow').inputValue(), 'L2');
  const torso = await page.evaluate(() => {
    const { data, app } = window.replay;
    return data.torsoPose(app.playback.frame, data.robotIndex('L2'));
  });
  const [x, y] = trace.get(cycle).robots.L2;
  assert.ok(Math.abs(torso.x - x) < 0.002 && Math.abs(torso.y - y) < 0.002,
    `L2's torso at (${torso.x}, ${torso.y}), the trace has (${x}, ${y})`);
  await page.keyboard.press('Shift+ArrowLeft');  // one second back, the cycle before the knock
  await expectShown(page, cycle - 50);
  assert.equal(await panelField(page, 'state'), 'standing');
});

test('the 3D view is drawn, and clicking a robot in it shows that robot\'s panel', async () => {
  const page = await open('#t=1000');
  await page.evaluate(() => new Promise(requestAnimationFrame));
  const drawn = await page.evaluate(() => {
    const canvas = document.querySelector('#view3d canvas');
    const context = Object.assign(document.createElement('canvas'), { width: canvas.width, height: canvas.height }).getContext('2d');
    context.drawImage(canvas, 0, 0);
    const pixels = context.getImageData(0, 0, canvas.width, canvas.height).data;
    let other = 0;  // pixels that are not the sky behind the field, a9cce3
    for (let i = 0; i < pixels.length; i += 4) {
      if (Math.abs(pixels[i] - 0xa9) + Math.abs(pixels[i + 1] - 0xcc) + Math.abs(pixels[i + 2] - 0xe3) > 30) other++;
    }
    return other / (pixels.length / 4);
  });
  assert.ok(drawn > 0.3, `only ${(100 * drawn).toFixed(1)} % of the 3D view differs from the sky`);
  const point = await page.evaluate(() => window.replay.app.fieldView.screenPoint(window.replay.data.robotIndex('R1')));
  await page.mouse.click(point.x, point.y);
  assert.equal(await page.locator('#robot-panel').isVisible(), true);
  assert.equal(await panelField(page, 'title'), 'R1');
  assert.equal(await panelField(page, 'team'), 'RIVALS 1');
  await page.screenshot({ path: join(outputDir, 'replay.png') });
});

test('no error reached the console', () => {
  assert.deepEqual(problems, []);
});
