// The field seen from above: each robot as a disc in its team's colour with
// its number, a stroke along its heading (none while it lies fallen) and the
// trail of the last seconds; the ball as a white dot. A click on a robot
// picks it.
import { GRASS, SELECTED, teamColour } from './colours.js';

const MARGIN = 0.8;  // metres of grass shown around the lines
const ROBOT_RADIUS = 0.17;
const HEADING_LENGTH = 0.35;
const TRAIL_SECONDS = 10;
const TRAIL_POINTS = 120;
const TRAIL_BREAK = 1;  // metres between two points: a beam, not a walk
const PICK_RADIUS = 0.35;

export class TopView {
  constructor(canvas, data, onPick) {
    this.canvas = canvas;
    this.data = data;
    this.field = data.header.field;
    this.selected = null;
    this.frame = 0;
    canvas.addEventListener('click', (event) => {
      const robot = this.robotAt(event.offsetX, event.offsetY);
      if (robot !== null) onPick(robot);
    });
    new ResizeObserver(() => this.draw(this.frame)).observe(canvas);
  }

  select(robot) {
    this.selected = robot;
    this.draw(this.frame);
  }

  draw(frame) {
    this.frame = frame;
    const context = this.prepare();
    if (!context) return;
    this.drawField(context);
    this.data.robots.forEach((robot, r) => {
      if (this.data.onField(frame, r)) this.drawTrail(context, frame, r);
    });
    this.data.robots.forEach((robot, r) => {
      if (this.data.onField(frame, r)) this.drawRobot(context, frame, r);
    });
    const ball = this.data.ball(frame);
    context.fillStyle = '#ffffff';
    context.strokeStyle = '#000000';
    context.lineWidth = 1;
    context.beginPath();
    context.arc(...this.toCanvas(ball.x, ball.y), 4, 0, 2 * Math.PI);
    context.fill();
    context.stroke();
  }

  // Sizes the canvas to its box and sets the scale (pixels per metre).
  prepare() {
    const width = this.canvas.clientWidth;
    if (width === 0) return null;
    const ratio = window.devicePixelRatio || 1;
    this.scale = width / (2 * (this.field.halfLength + MARGIN));
    const height = Math.round(2 * (this.field.halfWidth + MARGIN) * this.scale);
    this.canvas.style.height = `${height}px`;
    this.canvas.width = Math.round(width * ratio);
    this.canvas.height = Math.round(height * ratio);
    const context = this.canvas.getContext('2d');
    context.setTransform(ratio, 0, 0, ratio, 0, 0);
    return context;
  }

  toCanvas(x, y) {
    return [(x + this.field.halfLength + MARGIN) * this.scale, (this.field.halfWidth + MARGIN - y) * this.scale];
  }

  robotAt(canvasX, canvasY) {
    const x = canvasX / this.scale - this.field.halfLength - MARGIN;
    const y = this.field.halfWidth + MARGIN - canvasY / this.scale;
    let best = null;
    let bestDistance = PICK_RADIUS;
    this.data.robots.forEach((robot, r) => {
      if (!this.data.onField(this.frame, r)) return;
      const torso = this.data.torsoPose(this.frame, r);
      const distance = Math.hypot(torso.x - x, torso.y - y);
      if (distance < bestDistance) [best, bestDistance] = [r, distance];
    });
    return best;
  }

  drawField(context) {
    const { halfLength: l, halfWidth: w, goalHalfWidth: g, goalDepth, centreCircleRadius } = this.field;
    context.fillStyle = GRASS;
    context.fillRect(0, 0, this.canvas.width, this.canvas.height);
    context.strokeStyle = '#ffffff';
    context.lineWidth = 1.5;
    const box = (x0, y0, x1, y1) => {
      const [left, top] = this.toCanvas(Math.min(x0, x1), Math.max(y0, y1));
      context.strokeRect(left, top, Math.abs(x1 - x0) * this.scale, Math.abs(y1 - y0) * this.scale);
    };
    box(-l, -w, l, w);
    box(-l - goalDepth, -g, -l, g);
    box(l, -g, l + goalDepth, g);
    context.beginPath();
    context.moveTo(...this.toCanvas(0, w));
    context.lineTo(...this.toCanvas(0, -w));
    context.moveTo(...this.toCanvas(centreCircleRadius, 0));
    context.arc(...this.toCanvas(0, 0), centreCircleRadius * this.scale, 0, 2 * Math.PI);
    context.stroke();
  }

  drawTrail(context, frame, r) {
    const data = this.data;
    const first = data.frameAtCycle(data.cycle(frame) - TRAIL_SECONDS / data.cycleSeconds);
    const stride = Math.max(1, Math.floor((frame - first) / TRAIL_POINTS));
    context.strokeStyle = teamColour(data.robots[r]);
    context.globalAlpha = 0.55;
    context.lineWidth = 1.5;
    const frames = [];
    for (let f = first; f < frame; f += stride) frames.push(f);
    frames.push(frame);
    context.beginPath();
    let last = null;
    for (const f of frames) {
      if (!data.onField(f, r)) {
        last = null;
        continue;
      }
      const torso = data.torsoPose(f, r);
      const jumped = last && Math.hypot(torso.x - last.x, torso.y - last.y) > TRAIL_BREAK;
      if (last && !jumped) context.lineTo(...this.toCanvas(torso.x, torso.y));
      else context.moveTo(...this.toCanvas(torso.x, torso.y));
      last = torso;
    }
    context.stroke();
    context.globalAlpha = 1;
  }

  drawRobot(context, frame, r) {
    const data = this.data;
    const robot = data.robots[r];
    const torso = data.torsoPose(frame, r);
    const [x, y] = this.toCanvas(torso.x, torso.y);
    const radius = ROBOT_RADIUS * this.scale;
    const fallen = data.fallen(frame, r);
    if (!fallen) {
      const heading = data.heading(frame, r) * Math.PI / 180;
      context.strokeStyle = '#000000';
      context.lineWidth = 2;
      context.beginPath();
      context.moveTo(x, y);
      context.lineTo(x + HEADING_LENGTH * this.scale * Math.cos(heading),
        y - HEADING_LENGTH * this.scale * Math.sin(heading));
      context.stroke();
    }
    context.fillStyle = fallen ? '#9e9e9e' : teamColour(robot);
    context.strokeStyle = r === this.selected ? SELECTED : '#000000';
    context.lineWidth = r === this.selected ? 3 : 1;
    context.beginPath();
    context.arc(x, y, radius, 0, 2 * Math.PI);
    context.fill();
    context.stroke();
    context.fillStyle = '#000000';
    context.font = `bold ${Math.max(9, Math.round(radius * 1.1))}px sans-serif`;
    context.textAlign = 'center';
    context.textBaseline = 'middle';
    context.fillText(String(robot.number), x, y + 0.5);
  }
}
