// The live page's side of fieldsim's stream (sim/live_feed.h): server-sent
// events that bring the header, key frames, frames of changes and the end.
// EventSource connects again by itself when the connection breaks; the
// stream then starts again from the past it keeps, and the frames the page
// has already are passed over (ReplayData.readFrames).
import { ReplayData, fromBase64 } from './replay-data.js';

export function watchLive(path, { onFrames, onEnd, onConnection }) {
  const source = new EventSource(path);
  let data = null;
  source.addEventListener('header', (event) => {
    const header = JSON.parse(event.data);
    if (data) data.setHeader(header);
    else data = new ReplayData(header);
  });
  for (const [name, key] of [['key', true], ['delta', false]]) {
    source.addEventListener(name, (event) => {
      data.readFrames(fromBase64(event.data), key);
      onFrames(data);
    });
  }
  source.addEventListener('end', (event) => {
    source.close();
    onEnd(data, JSON.parse(event.data));
  });
  source.addEventListener('open', () => onConnection(true));
  source.addEventListener('error', () => onConnection(false));
}
