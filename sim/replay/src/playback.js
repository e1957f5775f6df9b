// Which frame is shown, and playing the frames at 1, 4 or 16 times the
// game's own pace (one cycle every cycleSeconds) by the clock.
export const SPEEDS = [1, 4, 16];

export class Playback {
  constructor(data, onChange) {
    this.data = data;
    this.onChange = onChange;
    this.frame = 0;
    this.playing = false;
    this.speed = 1;
    this.tick = this.tick.bind(this);
  }

  get lastFrame() { return this.data.frameCount - 1; }

  seek(frame) {
    this.frame = Math.max(0, Math.min(this.lastFrame, Math.round(frame)));
    this.startClock();
    this.onChange();
  }

  seekCycle(cycle) { this.seek(this.data.frameAtCycle(cycle)); }

  step(frames) {
    this.playing = false;
    this.seek(this.frame + frames);
  }

  toggle() {
    if (this.playing) {
      this.playing = false;
    } else {
      if (this.frame === this.lastFrame) this.frame = 0;
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
    if (frame === this.lastFrame) this.playing = false;
    if (frame !== this.frame || !this.playing) {
      this.frame = frame;
      this.onChange();
    }
    if (this.playing) requestAnimationFrame(this.tick);
  }
}
