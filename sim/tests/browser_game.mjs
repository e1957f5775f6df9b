// What the browser tests of the replay and live pages share: a game's
// agents, fieldsim's printed lines, its trace and result file, and what a
// page's top line shows.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { cpSync, mkdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';

// fieldsim with its standard output collected; `waitFor(pattern)` gives the
// first match once it is printed.
export function startFieldsim(fieldsim, args) {
  const sim = spawn(fieldsim, args, { stdio: ['ignore', 'pipe', 'inherit'] });
  let output = '';
  sim.stdout.on('data', (chunk) => { output += chunk; });
  const ended = new Promise((resolve) => sim.on('exit', resolve));
  const waitFor = async (pattern) => {
    while (!pattern.test(output)) {
      if (sim.exitCode !== null) throw new Error(`fieldsim ended early:\n${output}`);
      await sleep(20);
    }
    return output.match(pattern);
  };
  return { ended, waitFor, output: () => output };
}

// One player in its own folder under `outputDir`.
export function startAgent({ agent, sourceDir, outputDir, port }, team, number) {
  const dir = join(outputDir, `${team}-${number}`);
  mkdirSync(join(dir, '.logfiles'), { recursive: true });
  cpSync(join(sourceDir, 'formations.conf'), join(dir, 'formations.conf'));
  spawn(agent, ['-s', '127.0.0.1', '-p', port, '-t', team, '-n', String(number)], { cwd: dir, stdio: 'ignore' });
}

// cycle -> { mode, robots: { label: [x, y] } }
export function readTrace(file) {
  return new Map(readFileSync(file, 'utf8').trim().split('\n').map((line) => {
    const fields = line.split(' ');
    const robots = {};
    for (let i = 6; i + 3 < fields.length; i += 4) robots[fields[i]] = [Number(fields[i + 1]), Number(fields[i + 2])];
    return [Number(fields[1]), { mode: fields[2], robots }];
  }));
}

// The score at a cycle, "VEXA3D 0:0 RIVALS", from the goals of the result file.
export function scoreAt(result, cycle) {
  const goals = result.events.filter((event) => event.kind === 'goal' && event.cycle <= cycle);
  const count = (side) => goals.filter((goal) => goal.side === side).length;
  return `${result.teams.left} ${count('left')}:${count('right')} ${result.teams.right}`;
}

// What the page's top line shows, in the progress lines' form.
export async function shown(page) {
  const text = (id) => page.locator(`#${id}`).textContent();
  const score = (await text('score')).replace(' : ', ':');
  return { cycle: Number(await text('cycle')), mode: await text('mode'), score,
    robots: Number(await text('robot-count')) };
}

// What the game had at that cycle, by its trace and result file.
export function gameAt(trace, result, cycle) {
  const expected = trace.get(cycle);
  return { cycle, mode: expected.mode, score: scoreAt(result, cycle), robots: Object.keys(expected.robots).length };
}

export async function expectShown(page, trace, result, cycle) {
  assert.deepEqual(await shown(page), gameAt(trace, result, cycle));
}
