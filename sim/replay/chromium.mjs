// Headless Chromium, Debian's package, driven by playwright-core: the
// browser of the replay page's test and of its opening-time benchmark.
// Playwright downloads no browser here and gives each launch a fresh
// profile; the flags keep Chromium off the network (closed here: its
// background connections would be refused and reported) and let it draw
// WebGL in software.
import { existsSync } from 'node:fs';
import { chromium } from 'playwright-core';

export const CHROMIUM = process.env.CHROMIUM ?? '/usr/bin/chromium';

const FLAGS = [
  '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
];

export async function launchChromium() {
  if (!existsSync(CHROMIUM)) {
    throw new Error(`no browser at ${CHROMIUM}: scripts/deps.sh installs Debian's chromium`);
  }
  return chromium.launch({ executablePath: CHROMIUM, headless: true, args: FLAGS });
}

// Opens a replay page and waits until it shows the game.
export async function openReplay(browser, file, fragment = '') {
  return openViewer(browser, `file://${file}${fragment}`);
}

// Opens the viewer at a URL (a replay page, or fieldsim's live page) and
// waits until it shows a game; `problems` collects the console's errors.
export async function openViewer(browser, url) {
  const { page, problems } = await newViewerPage(browser);
  await page.goto(url);
  await page.waitForFunction(() => window.replay?.ready === true, null, { timeout: 120000 });
  return { page, problems };
}

// A page of the viewer's size whose console errors are kept in `problems`.
export async function newViewerPage(browser) {
  const page = await browser.newPage({ viewport: { width: 1400, height: 800 } });
  const problems = [];
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push(message.text());
  });
  page.on('pageerror', (error) => problems.push(error.message));
  return { page, problems };
}
