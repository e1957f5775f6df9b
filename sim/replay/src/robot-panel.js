// The panel of the robot picked: its team, number and state, and a chart of
// its torso height and the forces under its feet in the seconds around the
// cycle shown.
import { FOOT_COLOURS, teamColour } from './colours.js';

const CHART_SECONDS = 10;  // the cycle shown sits in the middle
const HEIGHT_RANGE = 0.5;  // metres, top of the height chart
const GAP = 8;  // pixels between the two charts

export class RobotPanel {
  constructor(element, data, { onFollow, onClose }) {
    this.element = element;
    this.data = data;
    this.robot = null;
    this.fields = {};
    for (const name of ['title', 'team', 'state', 'height', 'forces']) {
      this.fields[name] = element.querySelector(`[data-field="${name}"]`);
    }
    this.chart = element.querySelector('canvas');
    this.followButton = element.querySelector('[data-action="follow"]');
    this.followButton.addEventListener('click', () => onFollow(this.robot));
    element.querySelector('[data-action="close"]').addEventListener('click', onClose);
  }

  show(robot, frame) {
    this.robot = robot;
    this.element.hidden = robot === null;
    if (robot === null) return;
    this.forceRange = this.largestForce(robot);
    this.update(frame);
  }

  setFollowing(following) {
    this.followButton.textContent = following ? 'Stop following' : 'Follow';
  }

  update(frame) {
    if (this.robot === null) return;
    const data = this.data;
    const robot = data.robots[this.robot];
    this.fields.title.textContent = robot.label;
    this.fields.title.style.color = teamColour(robot);
    this.fields.team.textContent = `${robot.team || robot.side} ${robot.number}`;
    this.fields.state.textContent = !data.onField(frame, this.robot) ? 'off the field'
      : data.fallen(frame, this.robot) ? 'fallen' : 'standing';
    this.fields.height.textContent = data.torsoHeight(frame, this.robot).toFixed(3);
    const [left, right] = data.footForces(frame, this.robot);
    this.fields.forces.textContent = `${left.toFixed(1)} / ${right.toFixed(1)}`;
    this.drawChart(frame);
  }

  largestForce(robot) {
    let largest = 10;
    for (let f = 0; f < this.data.frameCount; f++) {
      largest = Math.max(largest, ...this.data.footForces(f, robot));
    }
    return largest * 1.1;
  }

  drawChart(frame) {
    const canvas = this.chart;
    const ratio = window.devicePixelRatio || 1;
    const width = canvas.clientWidth;
    const height = canvas.clientHeight;
    canvas.width = Math.round(width * ratio);
    canvas.height = Math.round(height * ratio);
    const context = canvas.getContext('2d');
    context.setTransform(ratio, 0, 0, ratio, 0, 0);
    context.clearRect(0, 0, width, height);
    const data = this.data;
    const middle = data.time(frame);
    const from = data.frameAtCycle(data.cycle(frame) - CHART_SECONDS / 2 / data.cycleSeconds);
    const to = data.frameAtCycle(data.cycle(frame) + CHART_SECONDS / 2 / data.cycleSeconds);
    const x = (f) => (data.time(f) - middle + CHART_SECONDS / 2) / CHART_SECONDS * width;
    const half = (height - GAP) / 2;
    const plot = (top, range, colour, value) => {
      context.strokeStyle = colour;
      context.lineWidth = 1.5;
      context.beginPath();
      for (let f = from; f <= to; f++) {
        const y = top + half * (1 - Math.min(1, value(f) / range));
        if (f === from) context.moveTo(x(f), y);
        else context.lineTo(x(f), y);
      }
      context.stroke();
    };
    this.frameChart(context, 0, width, half, `torso height (0 to ${HEIGHT_RANGE} m)`);
    this.frameChart(context, half + GAP, width, half, `foot forces (0 to ${this.forceRange.toFixed(0)} N)`);
    plot(0, HEIGHT_RANGE, '#212121', (f) => data.torsoHeight(f, this.robot));
    FOOT_COLOURS.forEach((colour, foot) => {
      plot(half + GAP, this.forceRange, colour, (f) => data.footForces(f, this.robot)[foot]);
    });
    context.strokeStyle = '#ff6f00';
    context.beginPath();
    context.moveTo(width / 2, 0);
    context.lineTo(width / 2, height);
    context.stroke();
  }

  frameChart(context, top, width, height, title) {
    context.fillStyle = '#f5f5f5';
    context.fillRect(0, top, width, height);
    context.fillStyle = '#616161';
    context.font = '10px sans-serif';
    context.textAlign = 'left';
    context.textBaseline = 'top';
    context.fillText(title, 4, top + 2);
  }
}
