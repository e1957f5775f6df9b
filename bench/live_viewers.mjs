// Watches a live game as many pages at once: one connection that asks for
// the stream and never reads, then PAGES - 1 streams that read everything.
// Prints "ready" once every reading stream has been accepted (so that the
// game can start), and when the game is over what the pages received.
//
//   node bench/live_viewers.mjs PAGES http://127.0.0.1:PORT/
import net from 'node:net';

const [pages, address] = [Number(process.argv[2]), new URL(process.argv[3])];
const REQUEST = `GET /stream HTTP/1.1\r\nHost: ${address.host}\r\n\r\n`;
const median = (values) => values.sort((a, b) => a - b)[values.length >> 1];

function connect() {
  return net.connect(Number(address.port), address.hostname, function sendRequest() { this.write(REQUEST); });
}

// Frames counted by their event lines, a line split between two chunks included.
function readStream(onAccepted) {
  return new Promise((resolve) => {
    const stream = { bytes: 0, frames: 0, keys: 0, ended: false, status: '' };
    let tail = '';
    const socket = connect();
    socket.setEncoding('latin1');
    socket.on('data', (chunk) => {
      if (!stream.status) {
        stream.status = chunk.slice(0, chunk.indexOf('\r\n'));
        onAccepted(stream.status);
      }
      stream.bytes += chunk.length;
      const text = tail + chunk;
      stream.keys += text.split('event: key\n').length - 1;
      stream.frames += text.split(/event: (key|delta)\n/).length - 1 >> 1;
      stream.ended ||= text.includes('event: end\n');
      tail = text.slice(-16);
    });
    socket.on('close', () => resolve(stream));
  });
}

const neverReads = connect();
neverReads.pause();
let accepted = 0;
const refused = [];
const streams = await new Promise((resolve) => {
  const all = [];
  for (let i = 1; i < pages; i++) {
    all.push(readStream((status) => {
      if (!status.includes(' 200 ')) refused.push(status);
      if (++accepted === pages - 1) console.log('ready');
    }));
  }
  resolve(Promise.all(all));
});
neverReads.destroy();
console.log(`${streams.length} reading pages (and one that never read): a median of `
  + `${median(streams.map((s) => s.frames))} frames (${median(streams.map((s) => s.keys))} key frames), `
  + `${(median(streams.map((s) => s.bytes)) / 1e6).toFixed(1)} MB each; `
  + `${streams.filter((s) => s.ended).length} saw the end; refused: ${refused.length ? refused.join(', ') : 'none'}`);
