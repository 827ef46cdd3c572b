// Starts the real map server and Debian's Chromium for page tests, and speaks the page's
// title protocol the way the desktop program does.

import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

const programDir = process.env.RUNDEL_PROGRAM_DIR;

export async function startServer() {
  if (!programDir) throw new Error('RUNDEL_PROGRAM_DIR must name the staged program folder');
  const dataDir = fs.mkdtempSync(path.join(os.tmpdir(), 'rundel-page-'));
  const child = spawn(path.join(programDir, 'rundel-mapserver'), ['--port', '0', '--data-dir', dataDir],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  const base = await new Promise((resolve, reject) => {
    let text = '';
    child.stdout.on('data', (chunk) => {
      text += chunk;
      const match = /listening on (http:\/\/[^/]+)/u.exec(text);
      if (match) resolve(match[1]);
    });
    child.on('exit', (code) => reject(new Error(`rundel-mapserver exited with ${code}`)));
  });
  return {
    base,
    dataDir,
    async stop() {
      child.kill('SIGTERM');
      await new Promise((resolve) => child.once('exit', resolve));
      fs.rmSync(dataDir, { recursive: true, force: true });
    },
  };
}

export async function launchBrowser() {
  return chromium.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
      '--no-first-run'],
  });
}

/** Opens the map page at the main window's browser size and waits until it is ready. */
export async function openPage(browser, base) {
  const page = await browser.newPage({ viewport: { width: 537, height: 569 } });
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(error.message));
  await page.goto(`${base}/Rundel_SRV/Rundel_SRV.php`);
  await page.waitForFunction(() => window.rundelReady === true && document.title === 'tsp');
  return page;
}

/**
 * Waits for the next title event, reads the named elements as the program would, then puts
 * the title back to "tsp".
 */
export async function nextEvent(page, ids = [], timeout = 5000) {
  await page.waitForFunction(() => document.title !== 'tsp', null, { timeout });
  return page.evaluate((names) => {
    const event = { word: document.title };
    for (const id of names) event[id] = document.getElementById(id).value;
    document.title = 'tsp';
    return event;
  }, ids);
}

/** Writes element values, as the program's Write does. */
export function write(page, values) {
  return page.evaluate((pairs) => {
    for (const [id, value] of Object.entries(pairs)) document.getElementById(id).value = value;
  }, values);
}

export function click(page, id) {
  return page.evaluate((target) => document.getElementById(target).click(), id);
}

export function read(page, id) {
  return page.evaluate((target) => document.getElementById(target).value, id);
}

/** No event is waiting or showing. */
export function quiet(page) {
  return page.evaluate(() => document.title === 'tsp' && window.rundel.events.pending === 0);
}
