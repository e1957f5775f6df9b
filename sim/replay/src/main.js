// The replay page: reads the game from the page, or, live, from fieldsim's
// stream as it is played, builds the views and keeps them, the robot panel,
// the controls and the URL's fragment on the frame shown.
import { Controls } from './controls.js';
import { FieldView } from './field-view.js';
import { fragmentFor, readFragment } from './fragment.js';
import { watchLive } from './live.js';
import { Playback } from './playback.js';
import { loadReplay } from './replay-data.js';
import { RobotPanel } from './robot-panel.js';
import { TopView } from './top-view.js';

const FRAGMENT_EVERY_MS = 500;  // while playing, the fragment follows this often

class ReplayApp {
  constructor(data, live) {
    this.data = data;
    this.selected = null;
    this.followed = null;
    const pick = (robot) => this.select(robot);
    this.fieldView = new FieldView(document.getElementById('view3d'), data, pick);
    this.topView = new TopView(document.getElementById('top-view'), data, pick);
    this.panel = new RobotPanel(document.getElementById('robot-panel'), data, {
      onFollow: (robot) => this.follow(this.followed === robot ? null : robot),
      onClose: () => this.select(null),
    });
    this.playback = new Playback(data, () => this.show(), live);
    this.controls = new Controls(document, data, this.playback, (robot) => this.follow(robot));
    this.fragmentWritten = 0;
    window.addEventListener('hashchange', () => this.applyFragment());
    // The fragment the page was opened with is read before any is written.
    this.fragmentRead = false;
    this.show();
    this.applyFragment();
    this.fragmentRead = true;
    this.writeFragment();
  }

  show() {
    const frame = this.playback.frame;
    this.fieldView.show(frame);
    this.topView.draw(frame);
    this.panel.update(frame);
    this.controls.update(this.followed);
    this.writeFragment();
  }

  // Frames of a live game come in bursts: the views take them once per
  // animation frame.
  framesAdded() {
    if (this.updatePending) return;
    this.updatePending = true;
    requestAnimationFrame(() => {
      this.updatePending = false;
      this.playback.framesAdded();
    });
  }

  gameOver({ status, reason }) {
    this.playback.gameOver();
    showState(status === 'completed' ? 'game over' : `game over: ${reason || status}`);
    document.title = gameTitle(this.data, 'game over');
  }

  select(robot) {
    this.selected = robot;
    this.fieldView.select(robot);
    this.topView.select(robot);
    this.panel.show(robot, this.playback.frame);
    this.panel.setFollowing(robot !== null && robot === this.followed);
  }

  // Following a robot also picks it; null lets the camera go.
  follow(robot) {
    this.followed = robot;
    if (robot !== null) this.select(robot);
    this.panel.setFollowing(robot !== null && robot === this.selected);
    this.fieldView.follow(robot);
    this.show();
  }

  applyFragment() {
    const { cycle, follow } = readFragment(window.location.hash);
    const index = follow === null ? -1 : this.data.robotIndex(follow);
    const robot = index >= 0 ? index : null;
    if (robot !== this.followed) this.follow(robot);
    if (cycle !== null && cycle !== this.data.cycle(this.playback.frame)) this.playback.seekCycle(cycle);
  }

  writeFragment() {
    const now = performance.now();
    if (!this.fragmentRead) return;
    if (this.playback.playing && now - this.fragmentWritten < FRAGMENT_EVERY_MS) return;
    this.fragmentWritten = now;
    const label = this.followed === null ? null : this.data.robots[this.followed].label;
    const cycle = this.playback.atNewest ? null : this.data.cycle(this.playback.frame);
    const fragment = fragmentFor(cycle, label);
    if (fragment !== window.location.hash) history.replaceState(null, '', fragment);
  }
}

function gameTitle(data, what) {
  return `${data.scoreText(data.frameCount - 1, ':')}: ${what}`;
}

// A line beside the score: the game's end, or a lost connection.
function showState(text) {
  const state = document.getElementById('game-state');
  state.hidden = !text;
  state.textContent = text;
}

function showGame(data, live) {
  document.getElementById('loading').remove();
  const app = new ReplayApp(data, live);
  // What the page shows, for a reader such as the browser test.
  window.replay = { data, app, ready: true };
  return app;
}

async function startReplay(header) {
  const data = await loadReplay(header, document.getElementById('replay-data').textContent);
  performance.mark('replay-decoded');
  document.title = gameTitle(data, 'replay');
  showGame(data, false);
  performance.mark('replay-shown');
}

function startLive(path) {
  document.getElementById('loading').textContent = 'Waiting for the game to start\u2026';
  document.title = 'fieldsim: live';
  let app = null;
  watchLive(path, {
    onFrames: (data) => {
      app ??= showGame(data, true);
      app.framesAdded();
    },
    onEnd: (data, end) => {
      app ??= showGame(data, true);
      app.gameOver(end);
    },
    onConnection: (open) => showState(open ? '' : 'connection lost, trying again'),
  });
}

async function start() {
  const header = JSON.parse(document.getElementById('replay-header').textContent);
  if (header.live) startLive(header.live);
  else await startReplay(header);
}

start().catch((error) => {
  document.getElementById('loading').textContent = `This replay cannot be shown: ${error.message}`;
  console.error(error);
});
