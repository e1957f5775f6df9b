// Opens an experiment's report page in headless Chromium and prints what a
// reader sees, as JSON: each scenario's heading with the size of the table
// under it as laid out on the page (0 when hidden), the plots drawn, and the
// errors of the console and of the page's scripts.
//
//   node open_report.mjs REPORT.html
import { resolve } from 'node:path';
import { launchChromium } from '../../sim/replay/chromium.mjs';

const file = resolve(process.argv[2]);
const browser = await launchChromium();
try {
  const page = await browser.newPage({ viewport: { width: 1400, height: 900 } });
  const problems = [];
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push(message.text());
  });
  page.on('pageerror', (error) => problems.push(error.message));
  await page.goto(`file://${file}`, { waitUntil: 'load' });
  const shown = await page.evaluate(() => ({
    scenarios: [...document.querySelectorAll('h2')].map((heading) => {
      let table = heading.nextElementSibling;
      while (table && table.tagName !== 'TABLE') table = table.nextElementSibling;
      const box = table ? table.getBoundingClientRect() : { width: 0, height: 0 };
      return {
        name: heading.textContent,
        rows: table ? table.rows.length : 0,
        area: box.width * box.height,
        header: table ? [...table.rows[0].cells].map((cell) => cell.textContent) : [],
      };
    }),
    plots: [...document.querySelectorAll('figure svg')]
      .filter((svg) => svg.getBoundingClientRect().height > 0).length,
  }));
  console.log(JSON.stringify({ ...shown, problems }));
} finally {
  await browser.close();
}
