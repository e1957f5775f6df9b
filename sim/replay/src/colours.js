// Colours shared by the 3D view, the top view and the charts (the teams'
// are those of fieldsim's SVG picture).
export const TEAM_COLOURS = { left: '#64b5f6', right: '#ef5350' };
export const GRASS = '#2e7d32';
export const SKY = '#a9cce3';
export const SELECTED = '#ffd600';
export const FOOT_COLOURS = ['#1565c0', '#c62828'];  // left, right

export function teamColour(robot) {
  return TEAM_COLOURS[robot.side];
}
