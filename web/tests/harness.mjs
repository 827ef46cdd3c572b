// Starts the real map server and Debian's Chromium for page tests, and speaks the page's
// title protocol the way the desktop program does.

import { spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { chromium } from 'playwright-core';

const programDir = process.env.RUNDEL_PROGRAM_DIR;

export async function startServer(extraArgs = []) {
  if (!programDir) throw new Error('RUNDEL_PROGRAM_DIR must name the staged program folder');
  const dataDir = fs.mkdtempSync(path.join(os.tmpdir(), 'rundel-page-'));
  const child = spawn(path.join(programDir, 'rundel-mapserver'),
    ['--port', '0', '--data-dir', dataDir, ...extraArgs], { stdio: ['ignore', 'pipe', 'inherit'] });
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

/** A PNG of one colour, as tile providers send. */
export function solidPng(width, height, [r, g, b]) {
  const crcTable = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
  });
  const crc = (bytes) => {
    let c = 0xffffffff;
    for (const byte of bytes) c = crcTable[(c ^ byte) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
  };
  const chunk = (type, data) => {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(data.length, 0);
    head.write(type, 4, 'ascii');
    const tail = Buffer.alloc(4);
    tail.writeUInt32BE(crc(Buffer.concat([head.subarray(4), data])), 0);
    return Buffer.concat([head, data, tail]);
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 2, 0, 0, 0], 8);
  const row = Buffer.concat([Buffer.from([0]), Buffer.alloc(width * 3).fill(Buffer.from([r, g, b]))]);
  const pixels = zlib.deflateSync(Buffer.concat(Array.from({ length: height }, () => row)));
  return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', header), chunk('IDAT', pixels), chunk('IEND', Buffer.alloc(0))]);
}

/** A loopback stand-in for a tile provider: every tile one colour; the paths asked are kept. */
export async function startTileProvider(colour) {
  const asked = [];
  const tile = solidPng(256, 256, colour);
  const server = http.createServer((request, response) => {
    asked.push(request.url);
    response.writeHead(200, { 'Content-Type': 'image/png' });
    response.end(tile);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    base: `http://127.0.0.1:${server.address().port}`,
    asked,
    stop: () => new Promise((resolve) => server.close(resolve)),
  };
}

/** The colour the offline map drew at a place, read from its canvas. */
export function basemapColour(page, latlng) {
  return page.evaluate(([lat, lng]) => {
    const map = window.rundel.map;
    const canvas = map.getPane('basemap').querySelector('canvas');
    const at = map.latLngToContainerPoint([lat, lng]);
    const origin = map.containerPointToLayerPoint([0, 0]);
    const offset = L.DomUtil.getPosition(canvas);
    const ratio = canvas.width / canvas.getBoundingClientRect().width;
    const x = Math.round((at.x + origin.x - offset.x) * ratio);
    const y = Math.round((at.y + origin.y - offset.y) * ratio);
    return Array.from(canvas.getContext('2d').getImageData(x, y, 1, 1).data.slice(0, 3));
  }, latlng);
}
