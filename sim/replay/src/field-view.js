// The 3D view: the field, the goals, the ball and every robot drawn part by
// part from the shapes and sizes in the page's header, seen by a camera that
// orbits (drag to turn, wheel to zoom, right-drag to pan) and can follow one
// robot. The field frame is used as it is: x along the field, z up.
import * as THREE from 'three';
import { OrbitControls } from 'three/examples/jsm/controls/OrbitControls.js';
import { GRASS, SELECTED, SKY, teamColour } from './colours.js';

const POST_RADIUS = 0.05;
const LINE_WIDTH = 0.05;
const CLICK_TOLERANCE_PX = 5;
const FOLLOW_DISTANCE = 2.2;  // metres behind the followed robot
const FOLLOW_HEIGHT = 1.2;

export class FieldView {
  constructor(container, data, onPick) {
    this.data = data;
    this.container = container;
    this.followed = null;
    this.selected = null;
    // Kept so that what is drawn can be read back (the browser test does).
    this.renderer = new THREE.WebGLRenderer({ antialias: true, preserveDrawingBuffer: true });
    this.renderer.setPixelRatio(window.devicePixelRatio);
    container.appendChild(this.renderer.domElement);

    this.scene = new THREE.Scene();
    this.scene.background = new THREE.Color(SKY);
    this.camera = new THREE.PerspectiveCamera(45, 1, 0.05, 200);
    this.camera.up.set(0, 0, 1);
    this.camera.position.set(0, -9.5, 10);
    this.camera.lookAt(0, -0.5, 0);
    this.controls = new OrbitControls(this.camera, this.renderer.domElement);
    this.controls.target.set(0, -0.5, 0);
    this.controls.maxPolarAngle = Math.PI / 2 - 0.05;
    this.controls.addEventListener('change', () => this.requestRender());

    addLights(this.scene);
    this.scene.add(buildField(data.header.field));
    this.ball = new THREE.Mesh(new THREE.SphereGeometry(data.header.field.ballRadius, 16, 12),
      new THREE.MeshLambertMaterial({ color: 0xffffff }));
    this.scene.add(this.ball);
    this.robotParts = new RobotParts(data.header.parts);
    this.robots = [];
    this.addRobots();
    this.ring = new THREE.Mesh(new THREE.RingGeometry(0.22, 0.28, 32),
      new THREE.MeshBasicMaterial({ color: SELECTED }));
    this.ring.visible = false;
    this.scene.add(this.ring);

    this.listenForClicks(onPick);
    new ResizeObserver(() => this.resize()).observe(container);
    this.resize();
  }

  // Robots that joined a live game since.
  addRobots() {
    for (let r = this.robots.length; r < this.data.robots.length; r++) {
      const robot = this.robotParts.build(this.data.robots[r], r);
      this.robots.push(robot);
      this.scene.add(robot.group);
    }
  }

  // Poses everything as in one frame of the replay.
  show(frame) {
    const data = this.data;
    this.addRobots();
    const ball = data.ball(frame);
    this.ball.position.set(ball.x, ball.y, ball.z);
    this.robots.forEach((robot, r) => {
      robot.group.visible = data.onField(frame, r);
      if (!robot.group.visible) return;
      robot.parts.forEach((mesh, p) => {
        const pose = data.partPose(frame, r, p);
        mesh.position.set(pose.x, pose.y, pose.z);
        mesh.quaternion.set(pose.qx, pose.qy, pose.qz, pose.qw).normalize();
      });
      const head = robot.parts[robot.headPart].position;
      robot.label.position.set(head.x, head.y, head.z + 0.2);
    });
    this.placeRing(frame);
    this.keepFollowing(frame);
    this.frame = frame;
    this.requestRender();
  }

  select(robot) {
    this.selected = robot;
    if (this.frame !== undefined) this.show(this.frame);
  }

  // Follows a robot (index) from behind, or lets the camera go (null).
  follow(robot) {
    this.followed = robot;
    if (robot === null || this.frame === undefined) return;
    const torso = this.data.torsoPose(this.frame, robot);
    const heading = this.data.heading(this.frame, robot) * Math.PI / 180;
    this.controls.target.set(torso.x, torso.y, torso.z);
    this.camera.position.set(torso.x - FOLLOW_DISTANCE * Math.cos(heading),
      torso.y - FOLLOW_DISTANCE * Math.sin(heading), torso.z + FOLLOW_HEIGHT);
    this.controls.update();
    this.show(this.frame);
  }

  // Where a robot's torso is on the page, in client pixels.
  screenPoint(robot) {
    const torso = this.robots[robot].parts[this.data.header.torso].position.clone().project(this.camera);
    const box = this.renderer.domElement.getBoundingClientRect();
    return { x: box.left + (torso.x + 1) / 2 * box.width, y: box.top + (1 - torso.y) / 2 * box.height };
  }

  placeRing(frame) {
    const shown = this.selected !== null && this.data.onField(frame, this.selected);
    this.ring.visible = shown;
    if (!shown) return;
    const torso = this.data.torsoPose(frame, this.selected);
    this.ring.position.set(torso.x, torso.y, 0.01);
  }

  // The camera keeps its offset from the followed robot's torso.
  keepFollowing(frame) {
    if (this.followed === null || !this.data.onField(frame, this.followed)) return;
    const torso = this.data.torsoPose(frame, this.followed);
    const shift = new THREE.Vector3(torso.x, torso.y, torso.z).sub(this.controls.target);
    this.controls.target.add(shift);
    this.camera.position.add(shift);
    this.controls.update();
  }

  // A click (a press and release without dragging) picks the robot under it.
  listenForClicks(onPick) {
    const canvas = this.renderer.domElement;
    let down = null;
    canvas.addEventListener('pointerdown', (event) => { down = { x: event.clientX, y: event.clientY }; });
    canvas.addEventListener('pointerup', (event) => {
      if (!down) return;
      const moved = Math.hypot(event.clientX - down.x, event.clientY - down.y);
      down = null;
      if (moved > CLICK_TOLERANCE_PX) return;
      const robot = this.robotAt(event.clientX, event.clientY);
      if (robot !== null) onPick(robot);
    });
  }

  robotAt(clientX, clientY) {
    const box = this.renderer.domElement.getBoundingClientRect();
    const pointer = new THREE.Vector2((clientX - box.left) / box.width * 2 - 1,
      1 - (clientY - box.top) / box.height * 2);
    const raycaster = new THREE.Raycaster();
    raycaster.setFromCamera(pointer, this.camera);
    const visible = this.robots.filter((robot) => robot.group.visible).map((robot) => robot.group);
    const hit = raycaster.intersectObjects(visible, true)[0];
    return hit ? hit.object.userData.robot : null;
  }

  resize() {
    const { clientWidth: width, clientHeight: height } = this.container;
    if (width === 0 || height === 0) return;
    this.renderer.setSize(width, height);
    this.camera.aspect = width / height;
    this.camera.updateProjectionMatrix();
    this.requestRender();
  }

  requestRender() {
    if (this.renderPending) return;
    this.renderPending = true;
    requestAnimationFrame(() => {
      this.renderPending = false;
      this.renderer.render(this.scene, this.camera);
    });
  }
}

function addLights(scene) {
  scene.add(new THREE.HemisphereLight(0xffffff, 0x445544, 2));
  const sun = new THREE.DirectionalLight(0xffffff, 1.5);
  sun.position.set(-3, -5, 10);
  scene.add(sun);
}

function buildField({ halfLength, halfWidth, goalHalfWidth, goalHeight, goalDepth, centreCircleRadius }) {
  const field = new THREE.Group();
  const margin = 4;  // metres of grass around the lines
  const grass = new THREE.Mesh(
    new THREE.PlaneGeometry(2 * (halfLength + margin), 2 * (halfWidth + margin)),
    new THREE.MeshLambertMaterial({ color: GRASS }));
  field.add(grass);
  const paint = new THREE.MeshBasicMaterial({ color: 0xffffff });
  const line = (x0, y0, x1, y1) => {
    const length = Math.hypot(x1 - x0, y1 - y0) + LINE_WIDTH;
    const strip = new THREE.Mesh(new THREE.PlaneGeometry(length, LINE_WIDTH), paint);
    strip.position.set((x0 + x1) / 2, (y0 + y1) / 2, 0.002);
    strip.rotation.z = Math.atan2(y1 - y0, x1 - x0);
    field.add(strip);
  };
  const rectangle = (x0, y0, x1, y1) => {
    line(x0, y0, x1, y0); line(x1, y0, x1, y1); line(x1, y1, x0, y1); line(x0, y1, x0, y0);
  };
  rectangle(-halfLength, -halfWidth, halfLength, halfWidth);
  line(0, -halfWidth, 0, halfWidth);
  const circle = new THREE.Mesh(new THREE.RingGeometry(centreCircleRadius - LINE_WIDTH / 2,
    centreCircleRadius + LINE_WIDTH / 2, 64), paint);
  circle.position.z = 0.002;
  field.add(circle);
  for (const side of [-1, 1]) {
    rectangle(side * halfLength, -goalHalfWidth, side * (halfLength + goalDepth), goalHalfWidth);
    field.add(buildGoal(side * halfLength, goalHalfWidth, goalHeight, goalDepth, side));
  }
  return field;
}

function buildGoal(x, halfWidth, height, depth, side) {
  const goal = new THREE.Group();
  const metal = new THREE.MeshLambertMaterial({ color: 0xf5f5f5 });
  for (const y of [-halfWidth, halfWidth]) {
    const post = new THREE.Mesh(new THREE.CylinderGeometry(POST_RADIUS, POST_RADIUS, height, 12), metal);
    post.rotation.x = Math.PI / 2;
    post.position.set(x, y, height / 2);
    goal.add(post);
  }
  const bar = new THREE.Mesh(new THREE.CylinderGeometry(POST_RADIUS, POST_RADIUS, 2 * halfWidth, 12), metal);
  bar.position.set(x, 0, height);
  goal.add(bar);
  const net = new THREE.Mesh(new THREE.BoxGeometry(depth, 2 * halfWidth, height),
    new THREE.MeshBasicMaterial({ color: 0xffffff, wireframe: true, transparent: true, opacity: 0.35 }));
  net.position.set(x + side * depth / 2, 0, height / 2);
  goal.add(net);
  return goal;
}

function partGeometry({ shape, size }) {
  const [x, , z] = size;
  switch (shape) {
    case 'sphere': return new THREE.SphereGeometry(x, 12, 8);
    // three.js builds capsules along y; the robot's run along z.
    case 'capsule': return new THREE.CapsuleGeometry(x, z, 4, 8).rotateX(Math.PI / 2);
    default: return new THREE.BoxGeometry(...size);
  }
}

function partColour(part, robot) {
  if (part.name === 'head') return '#eeeeee';
  if (part.name.endsWith('foot')) return '#37474f';
  if (part.shape === 'sphere') return '#616161';  // the small joint bodies
  return teamColour(robot);
}

// The meshes of a robot, its parts' shapes and materials shared by all.
class RobotParts {
  constructor(parts) {
    this.parts = parts;
    this.geometries = parts.map(partGeometry);
    this.materials = new Map();
    this.headPart = parts.findIndex((part) => part.name === 'head');
  }

  material(colour) {
    if (!this.materials.has(colour)) this.materials.set(colour, new THREE.MeshLambertMaterial({ color: colour }));
    return this.materials.get(colour);
  }

  build(robot, index) {
    const group = new THREE.Group();
    const meshes = this.parts.map((part, p) => {
      const mesh = new THREE.Mesh(this.geometries[p], this.material(partColour(part, robot)));
      mesh.userData.robot = index;
      group.add(mesh);
      return mesh;
    });
    const label = labelSprite(robot.label, teamColour(robot));
    label.userData.robot = index;
    group.add(label);
    return { group, parts: meshes, label, headPart: this.headPart };
  }
}

function labelSprite(text, colour) {
  const canvas = document.createElement('canvas');
  canvas.width = 128;
  canvas.height = 64;
  const context = canvas.getContext('2d');
  context.fillStyle = 'rgba(0, 0, 0, 0.55)';
  context.fillRect(0, 8, 128, 48);
  context.font = 'bold 40px sans-serif';
  context.textAlign = 'center';
  context.textBaseline = 'middle';
  context.fillStyle = colour;
  context.fillText(text, 64, 33);
  const texture = new THREE.CanvasTexture(canvas);
  texture.colorSpace = THREE.SRGBColorSpace;
  // The same size on the screen however far the robot is.
  const sprite = new THREE.Sprite(new THREE.SpriteMaterial({
    map: texture, depthTest: false, sizeAttenuation: false,
  }));
  sprite.scale.set(0.05, 0.025, 1);
  return sprite;
}
