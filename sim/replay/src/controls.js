// The bar under the views and the line above them: play and pause, steps,
// the time slider, the speeds and the robot followed; the cycle, time, play
// mode, score and number of robots, and, while the game is live, the live
// mark (a click on it shows the newest cycle again). Keyboard: space plays
// or pauses, the arrows step one frame (with Shift one second), Home and End
// jump to the ends (End to the newest cycle of a live game).
import { SPEEDS } from './playback.js';

export class Controls {
  constructor(root, data, playback, onFollow) {
    this.data = data;
    this.playback = playback;
    const $ = (selector) => root.querySelector(selector);
    this.elements = {
      play: $('#play'), slider: $('#slider'), follow: $('#follow'), cycle: $('#cycle'),
      time: $('#time'), mode: $('#mode'), score: $('#score'), robots: $('#robot-count'),
      live: $('#live'),
    };
    this.speedButtons = SPEEDS.map((speed) => {
      const button = document.createElement('button');
      button.textContent = `${speed}\u00d7`;
      button.dataset.speed = speed;
      $('#speeds').append(button);
      return button;
    });
    this.setUpSlider();
    this.setUpFollow(onFollow);
    this.elements.play.addEventListener('click', () => playback.toggle());
    this.elements.live.addEventListener('click', () => playback.goLive());
    $('#step-back').addEventListener('click', () => playback.step(-1));
    $('#step-forward').addEventListener('click', () => playback.step(1));
    for (const button of this.speedButtons) {
      button.addEventListener('click', () => playback.setSpeed(Number(button.dataset.speed)));
    }
    root.addEventListener('keydown', (event) => this.onKey(event));
    // A focused button would also take the space bar as a click.
    root.addEventListener('keyup', (event) => { if (event.key === ' ') event.preventDefault(); });
  }

  setUpSlider() {
    const slider = this.elements.slider;
    slider.step = 1;
    slider.addEventListener('input', () => this.playback.seekCycle(Number(slider.value)));
  }

  setUpFollow(onFollow) {
    const select = this.elements.follow;
    select.add(new Option('nobody', ''));
    select.addEventListener('change', () => {
      onFollow(select.value ? this.data.robotIndex(select.value) : null);
      select.blur();
    });
  }

  onKey(event) {
    if (event.target.tagName === 'SELECT' || event.altKey || event.ctrlKey || event.metaKey) return;
    const second = Math.max(1, Math.round(1 / this.data.cycleSeconds));
    const playback = this.playback;
    const actions = {
      ' ': () => playback.toggle(),
      ArrowLeft: () => (event.shiftKey ? playback.seekCycle(this.shownCycle() - second) : playback.step(-1)),
      ArrowRight: () => (event.shiftKey ? playback.seekCycle(this.shownCycle() + second) : playback.step(1)),
      Home: () => playback.step(-playback.frame),
      End: () => (playback.live ? playback.goLive() : playback.step(playback.lastFrame - playback.frame)),
    };
    const action = actions[event.key];
    if (!action) return;
    event.preventDefault();
    action();
  }

  shownCycle() { return this.data.cycle(this.playback.frame); }

  update(followed) {
    const { data, playback, elements } = this;
    const frame = playback.frame;
    elements.cycle.textContent = data.cycle(frame);
    elements.time.textContent = data.time(frame).toFixed(2);
    elements.mode.textContent = data.mode(frame);
    elements.score.textContent = data.scoreText(frame);
    elements.robots.textContent = data.robotsOnField(frame);
    // A live game's frames and robots grow.
    elements.slider.min = data.cycle(0);
    elements.slider.max = data.cycle(data.frameCount - 1);
    elements.slider.value = data.cycle(frame);
    for (let r = elements.follow.options.length - 1; r < data.robots.length; r++) {
      elements.follow.add(new Option(data.robots[r].label, data.robots[r].label));
    }
    elements.play.textContent = playback.playing || playback.atNewest ? 'Pause' : 'Play';
    elements.live.hidden = !playback.live;
    elements.live.textContent = playback.atNewest ? '\u25cf live' : 'back to live';
    elements.live.classList.toggle('active', playback.atNewest);
    for (const button of this.speedButtons) {
      button.classList.toggle('active', Number(button.dataset.speed) === playback.speed);
    }
    elements.follow.value = followed === null ? '' : data.robots[followed].label;
  }
}
