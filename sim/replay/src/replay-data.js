// The game as fieldsim sends it: a JSON header and a stream of 16-bit
// words written as varints (described in sim/replay.h), which the replay
// page holds gzipped and base64-encoded, and the live page gets a frame at a
// time (sim/live_feed.h). Where each value sits in the stream, and its
// scale, the header says (its layout and scale). Decoding turns each robot
// record's changes back into values; the accessors below give them in
// metres, newtons and unit quaternions.

export async function loadReplay(header, base64) {
  const data = new ReplayData(header);
  data.readFrames(await gunzip(fromBase64(base64)), false);
  if (data.frameCount !== header.frames) {
    throw new Error(`the replay data holds ${data.frameCount} frames, its header says ${header.frames}`);
  }
  return data;
}

export function fromBase64(base64) {
  const text = atob(base64.trim());
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
  return bytes;
}

async function gunzip(packed) {
  const stream = new Blob([packed]).stream().pipeThrough(new DecompressionStream('gzip'));
  const reader = stream.getReader();
  const chunks = [];
  let length = 0;
  for (let read = await reader.read(); !read.done; read = await reader.read()) {
    chunks.push(read.value);
    length += read.value.length;
  }
  const bytes = new Uint8Array(length);
  let at = 0;
  for (const chunk of chunks) {
    bytes.set(chunk, at);
    at += chunk.length;
  }
  return bytes;
}

// Per frame: its cycle, time, play mode, score and ball, and one record of
// recordWords values per slot (a robot, in the header's order).
const COLUMNS = {
  cycles: [Int32Array, 1], times: [Float64Array, 1], modes: [Uint8Array, 1],
  scores: [Int16Array, 2], balls: [Float32Array, 3],
};

export class ReplayData {
  constructor(header) {
    this.setHeader(header);
    this.cycleSeconds = header.cycleSeconds;
    this.scale = header.scale;
    this.layout = header.layout.record;
    this.flags = header.layout.flags;
    this.frameWords = header.layout.frame;
    this.recordWords = this.layout.words;
    this.slots = header.slots;
    this.last = new Int16Array(this.slots * this.recordWords);
    this.frameCount = 0;
    this.capacity = 0;
    this.grow(Math.max(1, header.frames));
  }

  // The teams and robots; the live stream sends them again when they change.
  setHeader(header) {
    this.header = header;
    this.robots = header.robots.map((robot) => ({
      ...robot,
      team: header.teams[robot.side === 'left' ? 0 : 1],
    }));
  }

  grow(capacity) {
    for (const [name, [Type, width]] of Object.entries(COLUMNS)) {
      const column = new Type(capacity * width);
      if (this[name]) column.set(this[name]);
      this[name] = column;
    }
    const records = new Int16Array(capacity * this.slots * this.recordWords);
    if (this.records) records.set(this.records);
    this.records = records;
    this.capacity = capacity;
  }

  // Reads frames to the end of `bytes`. A key frame's records hold values,
  // the others each value's change since the frame before. A frame whose
  // cycle the data has already (a stream that began again) only keeps the
  // values current.
  readFrames(bytes, key) {
    const words = new WordReader(bytes);
    const size = this.recordWords;
    const head = {};
    while (!words.atEnd()) {
      for (const name of this.frameWords) head[name] = words.next();
      if (key) this.last.fill(0);
      const changed = head.robots * size;
      for (let k = 0; k < changed; k++) this.last[k] += words.next();
      const cycle = unsigned32(head.cycleLow, head.cycleHigh);
      if (this.frameCount > 0 && cycle <= this.cycles[this.frameCount - 1]) continue;
      if (this.frameCount === this.capacity) this.grow(2 * this.capacity);
      const f = this.frameCount++;
      this.cycles[f] = cycle;
      this.times[f] = unsigned32(head.timeLow, head.timeHigh) / this.scale.time;
      this.modes[f] = head.mode;
      this.scores[2 * f] = head.leftScore;
      this.scores[2 * f + 1] = head.rightScore;
      [head.ballX, head.ballY, head.ballZ].forEach((word, k) => {
        this.balls[3 * f + k] = word / this.scale.position;
      });
      this.records.set(this.last, f * this.slots * size);
    }
  }

  // The last frame at or before `cycle` (the first frame before the game's start).
  frameAtCycle(cycle) {
    let low = 0;
    let high = this.frameCount - 1;
    while (low < high) {
      const middle = (low + high + 1) >> 1;
      if (this.cycles[middle] <= cycle) low = middle;
      else high = middle - 1;
    }
    return low;
  }

  cycle(frame) { return this.cycles[frame]; }
  time(frame) { return this.times[frame]; }
  mode(frame) { return this.header.modes[this.modes[frame]] ?? '?'; }
  score(frame) { return [this.scores[2 * frame], this.scores[2 * frame + 1]]; }

  // "VEXA3D 1 : 0 RIVALS"; a side no team took has no name ("VEXA3D 0 : 0").
  scoreText(frame, separator = ' : ') {
    const [left, right] = this.score(frame);
    const [leftTeam, rightTeam] = this.header.teams;
    return [leftTeam, `${left}${separator}${right}`, rightTeam].filter(Boolean).join(' ');
  }

  ball(frame) {
    const at = 3 * frame;
    return { x: this.balls[at], y: this.balls[at + 1], z: this.balls[at + 2] };
  }

  robotIndex(label) { return this.robots.findIndex((robot) => robot.label === label); }

  record(frame, robot) { return (frame * this.slots + robot) * this.recordWords; }

  flag(frame, robot, bit) {
    return (this.records[this.record(frame, robot) + this.layout.flags] & bit) !== 0;
  }
  onField(frame, robot) { return this.flag(frame, robot, this.flags.onField); }
  fallen(frame, robot) { return this.flag(frame, robot, this.flags.fallen); }

  robotsOnField(frame) {
    let count = 0;
    for (let r = 0; r < this.robots.length; r++) if (this.onField(frame, r)) count++;
    return count;
  }

  torsoHeight(frame, robot) {
    return this.records[this.record(frame, robot) + this.layout.torsoHeight] / this.scale.position;
  }

  footForces(frame, robot) {
    const at = this.record(frame, robot);
    return [this.layout.leftFootForce, this.layout.rightFootForce]
      .map((word) => this.records[at + word] / this.scale.force);
  }

  // Position (metres) and orientation (unit quaternion) of one part.
  partPose(frame, robot, part) {
    const at = this.record(frame, robot) + this.layout.firstPart + this.layout.partWords * part;
    const turn = at + this.layout.orientation;
    const r = this.records;
    const p = this.scale.position;
    const q = this.scale.quaternion;
    return {
      x: r[at] / p, y: r[at + 1] / p, z: r[at + 2] / p,
      qw: r[turn] / q, qx: r[turn + 1] / q, qy: r[turn + 2] / q, qz: r[turn + 3] / q,
    };
  }

  torsoPose(frame, robot) { return this.partPose(frame, robot, this.header.torso); }

  // Where the robot looks on the ground: its torso's forward (model +y),
  // degrees anticlockwise from the field's x axis.
  heading(frame, robot) {
    const { qw, qx, qy, qz } = this.torsoPose(frame, robot);
    return Math.atan2(1 - 2 * (qx * qx + qz * qz), 2 * (qx * qy - qw * qz)) * 180 / Math.PI;
  }
}

// The stream's 16-bit words, each a zigzag varint: 7 bits a byte, low bits
// first, the sign in the lowest bit.
class WordReader {
  constructor(bytes) {
    this.bytes = bytes;
    this.at = 0;
  }

  next() {
    let value = 0;
    let shift = 0;
    let byte;
    do {
      byte = this.bytes[this.at++];
      value |= (byte & 0x7f) << shift;
      shift += 7;
    } while (byte & 0x80);
    return (value >>> 1) ^ -(value & 1);
  }

  atEnd() { return this.at === this.bytes.length; }
}

function unsigned32(low, high) {
  return (low & 0xffff) + (high & 0xffff) * 65536;
}
