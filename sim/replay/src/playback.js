// Which frame is shown, and playing the frames at 1, 4 or 16 times the
// game's own pace (one cycle every cycleSeconds) by the clock. While a game
// is live, the newest frame is shown as frames come (atNewest) until the
// viewer pauses, steps or seeks, and again after goLive.
export const SPEEDS = [1, 4, 16];

export class Playback {
  constructor(data, onChange, live = false) {
    this.data = data;
    this.onChange = onChange;
    this.frame = 0;
    this.playing = false;
    this.speed = 1;
    this.live = live;
    this.atNewest = live;
    this.tick = this.tick.bind(this);
    if (live) this.frame = this.lastFrame;
  }

  get lastFrame() { return this.data.frameCount - 1; }

  goLive() {
    this.playing = false;
    this.atNewest = true;
    this.framesAdded();
  }

  framesAdded() {
    if (this.atNewest) this.frame = this.lastFrame;
    this.onChange();
  }

  gameOver() {
    this.live = false;
    this.atNewest = false;
    this.onChange();
  }

  seek(frame) {
    this.atNewest = false;
    this.frame = Math.max(0, Math.min(this.lastFrame, Math.round(frame)));
    this.startClock();
    this.onChange();
  }

  seekCycle(cycle) { this.seek(this.data.frameAtCycle(cycle)); }

  step(frames) {
    this.playing = false;
    this.seek(this.frame + frames);
  }

  // Pauses the live game where it is, too.
  toggle() {
    if (this.playing || this.atNewest) {
      this.playing = false;
      this.atNewest = false;
    } else {
      if (this.frame === this.lastFrame && !this.live) this.frame = 0;
      this.playing = true;
      this.startClock();
      requestAnimationFrame(this.tick);
    }
    this.onChange();
  }

  setSpeed(speed) {
    this.speed = speed;
    this.startClock();
    this.onChange();
  }

  startClock() {
    this.startTime = performance.now();
    this.startCycle = this.data.cycle(this.frame);
  }

  tick(now) {
    if (!this.playing) return;
    const elapsed = Math.max(0, now - this.startTime) / 1000;
    const cycle = this.startCycle + elapsed * this.speed / this.data.cycleSeconds;
    const frame = this.data.frameAtCycle(cycle);
    if (frame === this.lastFrame) {
      this.playing = false;
      this.atNewest = this.live;  // played up to the game as it is played
    }
    if (frame !== this.frame || !this.playing) {
      this.frame = frame;
      this.onChange();
    }
    if (this.playing) requestAnimationFrame(this.tick);
  }
}
