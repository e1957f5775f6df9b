// The URL's fragment holds the moment shown and the robot followed, so that
// a link can share them: #t=1200&follow=L2 (t is the cycle; none while a
// live page shows the newest cycle).
export function readFragment(hash) {
  const parameters = new URLSearchParams(hash.replace(/^#/, ''));
  const cycle = Number.parseInt(parameters.get('t') ?? '', 10);
  return {
    cycle: Number.isFinite(cycle) ? cycle : null,
    follow: parameters.get('follow'),
  };
}

export function fragmentFor(cycle, followLabel) {
  const parameters = new URLSearchParams();
  if (cycle !== null) parameters.set('t', cycle);
  if (followLabel) parameters.set('follow', followLabel);
  const text = parameters.toString();
  return text ? `#${text}` : '';
}
