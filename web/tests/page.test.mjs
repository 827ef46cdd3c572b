import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import fs from 'node:fs';
import path from 'node:path';
import { basemapColour, click, launchBrowser, nextEvent, openPage, quiet, read, startServer,
  startTileProvider, write } from './harness.mjs';

const contract = JSON.parse(fs.readFileSync(new URL('../contract.json', import.meta.url), 'utf8'));
const ELEMENT_IDS = [...contract.values, ...contract.commands];

let server;
let browser;
before(async () => {
  server = await startServer();
  browser = await launchBrowser();
});
after(async () => {
  await browser?.close();
  await server?.stop();
});

/** Adds markers through map clicks fired within one frame. */
function addMarkers(page, points) {
  return page.evaluate((latlngs) => {
    for (const [lat, lng] of latlngs) window.rundel.map.fire('click', { latlng: L.latLng(lat, lng) });
  }, points);
}

const FIVE = [[35.70, 139.70], [35.72, 139.78], [35.66, 139.80], [35.62, 139.74], [35.66, 139.66]];

describe('map page contract', () => {
  test('every element the program uses is there, and the page starts idle', async () => {
    const page = await openPage(browser, server.base);
    const missing = await page.evaluate((ids) => ids.filter((id) => !document.getElementById(id)), ELEMENT_IDS);
    assert.deepEqual(missing, []);
    assert.match(await read(page, 'sesid'), /^[0-9a-f]{16}$/u);
    assert.equal(await page.evaluate(() => document.documentElement.dataset.ready), '1');
    assert.ok(await quiet(page));
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test('a five-marker route: node file, drawing and both leg lists', async () => {
    const page = await openPage(browser, server.base);
    await addMarkers(page, FIVE);
    for (let i = 0; i < 5; ++i) await nextEvent(page);
    await write(page, { tspconnectlist: '' });
    await click(page, 'requestnodedata');
    const ok = await nextEvent(page, ['sesid']);
    assert.equal(ok.word, 'nodedataok');
    const file = await fetch(`${server.base}/Rundel_SRV/tsp_node_data/${ok.sesid}_nodedata.tsp`);
    assert.equal(file.status, 200);
    const text = await file.text();
    assert.match(text, /NODE_COORD_SECTION\r\n1 [\d.]+ [\d.]+\r\n/u);
    assert.equal(text.split('\r\n').filter((l) => /^\d+ /u.test(l)).length, 5);

    await write(page, { tspnodedata: '1/2/5/4/3/1' });
    await click(page, 'drawtspnode');
    const drawn = await nextEvent(page, ['tspconnectlist', 'connectlistarray', 'coordlistarray']);
    assert.equal(drawn.word, 'tspconnectlistok');
    assert.equal(drawn.tspconnectlist, 'ok');
    assert.equal(drawn.connectlistarray, '1→2/2→5/5→4/4→3/3→1/');
    const legs = drawn.coordlistarray.split('/');
    assert.equal(legs.length, 6);
    assert.equal(legs[5], '');
    assert.equal(legs[0], '35.700000,139.700000,35.720000,139.780000');
    assert.equal(legs[4], '35.660000,139.800000,35.700000,139.700000');
    await page.screenshot({ path: path.join(process.env.RUNDEL_SHOT_DIR ?? '/tmp', 'rundel-page-route.png') });

    await write(page, { tspconnectlist: '', tspnodedata: '1/9/1' });
    await click(page, 'drawtspnode');
    const refused = await nextEvent(page, ['tspconnectlist']);
    assert.deepEqual(refused, { word: 'tspconnectlistok', tspconnectlist: 'no' },
      'a route through a missing marker is answered "no"');

    // A failed node-data request says so and ends the route wait as well.
    await write(page, { tspconnectlist: '', sesid: 'ffffffffffffffff' });
    await click(page, 'requestnodedata');
    assert.equal((await nextEvent(page)).word, 'nodedatano');
    assert.equal(await read(page, 'tspconnectlist'), 'no');
    await page.close();
  });

  test('markers added in one frame arrive in order; dragged and deleted ones report their numbers', async () => {
    const page = await openPage(browser, server.base);
    await addMarkers(page, FIVE.slice(0, 3));
    const events = [];
    for (let i = 0; i < 3; ++i) events.push(await nextEvent(page, ['unitnode']));
    assert.deepEqual(events, [
      { word: 'getnode', unitnode: '1,35.700000,139.700000' },
      { word: 'getnode', unitnode: '2,35.720000,139.780000' },
      { word: 'getnode', unitnode: '3,35.660000,139.800000' }]);
    await page.waitForTimeout(300);
    assert.ok(await quiet(page), 'no fourth event');
    await page.evaluate(() => {
      const marker = window.rundel.markers.items[1];
      marker.setLatLng([35.5, 139.5]);
      marker.fire('dragend');
    });
    const drag = await nextEvent(page, ['dragnumber', 'ido_byo_10', 'keido_byo_10']);
    assert.deepEqual(drag, { word: 'pointdragend', dragnumber: '2', ido_byo_10: '35.500000',
      keido_byo_10: '139.500000' });
    await page.evaluate(() => window.rundel.markers.items[0].fire('contextmenu', { originalEvent: new MouseEvent('contextmenu') }));
    const deleted = await nextEvent(page, ['delnumber']);
    assert.deepEqual(deleted, { word: 'delmarker', delnumber: '1' });
    assert.deepEqual(await page.evaluate(() => [...document.querySelectorAll('.pin span')].map((s) => s.textContent)), ['1', '2']);
    await page.evaluate(() => window.rundel.map.fire('click', { latlng: L.latLng(35.8, 139.9) }));
    assert.equal((await nextEvent(page, ['unitnode'])).unitnode, '3,35.800000,139.900000');
    await click(page, 'routeclear');
    assert.equal(await page.evaluate(() => window.rundel.markers.count), 0);
    await page.close();
  });

  test("the day's start and end: chosen from a marker's pop-up, shown apart", async () => {
    const page = await openPage(browser, server.base);
    await addMarkers(page, FIVE.slice(0, 3));
    for (let i = 0; i < 3; ++i) await nextEvent(page);
    await page.evaluate(() => window.rundel.markers.items[1].openPopup());
    await page.click('.leaflet-popup .role-button.start');
    assert.deepEqual(await nextEvent(page, ['rolenumber', 'rolekind']),
      { word: 'markerrole', rolenumber: '2', rolekind: 'start' });
    await write(page, { markerroles: '2,3' });
    await click(page, 'setmarkerroles');
    assert.deepEqual(await page.evaluate(() => [...document.querySelectorAll('.pin')]
      .map((p) => p.className)), ['pin', 'pin start', 'pin end']);
    await page.close();
  });

  test('geocoding in both modes, and a node at the found place', async () => {
    const page = await openPage(browser, server.base);
    for (const address of ['東京都千代田区', '大阪市北区', '札幌市', 'Paris']) {
      await write(page, { getaddressflag: 'multi', realaddress: address });
      await click(page, 'newgeocoding');
      assert.equal((await nextEvent(page)).word, 'geocodefound_multi', address);
    }
    assert.equal(await page.evaluate(() => window.rundel.map.getZoom()), 5,
      'a list lookup leaves the map where it is');
    await click(page, 'getnodecoord');
    const node = await nextEvent(page, ['unitnode']);
    assert.equal(node.word, 'getnode');
    assert.match(node.unitnode, /^1,48\.85\d+,2\.34\d+$/u);
    await write(page, { nodecoord: '35.6812,139.7671' });
    await click(page, 'addnodecoord');
    const located = await nextEvent(page, ['unitnode']);
    assert.equal(located.word, 'getnode');
    assert.equal(located.unitnode, '2,35.681200,139.767100');
    await write(page, { getaddressflag: 'multi', realaddress: '存在しない架空の地名' });
    await click(page, 'newgeocoding');
    assert.equal((await nextEvent(page)).word, 'geocodenotfound_multi');
    await write(page, { getaddressflag: 'single', realaddress: '存在しない架空の地名' });
    await click(page, 'newgeocoding');
    assert.equal((await nextEvent(page)).word, 'geocodenotfound_single');
    await write(page, { getaddressflag: 'single', realaddress: '札幌市' });
    await click(page, 'newgeocoding');
    await page.waitForFunction(() => Math.abs(Number(document.getElementById('mapido').value) - 43.06) < 0.05);
    assert.ok(await quiet(page), 'a single address found raises no event');
    await page.close();
  });

  test('zoom, map types, panning, home position, controls, markers and printing', async () => {
    const page = await openPage(browser, server.base);
    await write(page, { mapzoomlevel: '7' });
    await click(page, 'setzoomlevel');
    await click(page, 'getzoomlevel');
    assert.equal(await read(page, 'mapzoomlevel'), '7');
    await click(page, 'zoominclick');
    await page.waitForFunction(() => window.rundel.map.getZoom() === 8);
    await write(page, { mapzoomlevel: '40' });
    await click(page, 'setzoomlevel');
    await page.waitForFunction(() => window.rundel.map.getZoom() === 19);

    for (const type of ['satellite', 'normalsate', 'chikei', 'normal']) {
      await click(page, `setmaptype${type}`);
      await click(page, 'getmaptype');
      assert.equal(await read(page, 'maptype'), type);
    }
    await click(page, 'setmaptypesatellite');
    await click(page, 'setmaptypeearth');
    await click(page, 'getmaptype');
    assert.equal(await read(page, 'maptype'), 'satellite', 'the Earth view keeps the map type word');

    await click(page, 'sethomeposition');
    await page.waitForFunction(() => window.rundel.map.getZoom() === 5);
    await page.waitForTimeout(400);
    assert.ok(Math.abs(Number(await read(page, 'mapido')) - 36.2) < 0.01);
    assert.ok(Math.abs(Number(await read(page, 'mapkeido')) - 138.25) < 0.01);
    const before = Number(await read(page, 'mapkeido'));
    await click(page, 'mappanright');
    await page.waitForFunction((x) => Number(document.getElementById('mapkeido').value) > x + 1, before);

    await click(page, 'controlhide');
    assert.equal(await page.evaluate(() => getComputedStyle(document.querySelector('.leaflet-control-zoom')).display), 'none');
    await click(page, 'controlshow');
    assert.notEqual(await page.evaluate(() => getComputedStyle(document.querySelector('.leaflet-control-zoom')).display), 'none');

    await addMarkers(page, [[36, 138]]);
    await nextEvent(page);
    await click(page, 'hidemarker');
    assert.equal(await page.evaluate(() => document.querySelector('.marker-hidden') !== null), true);
    await click(page, 'showmarker');
    assert.equal(await page.evaluate(() => document.querySelector('.marker-hidden') === null), true);

    await page.evaluate(() => { window.printed = 0; window.print = () => { window.printed += 1; }; });
    await click(page, 'printpage');
    assert.equal(await page.evaluate(() => window.printed), 1);
    assert.deepEqual(page.errors, []);
    await page.close();
  });
});

describe('the offline map and online tiles', () => {
  const LAND = [0xf2, 0xef, 0xe9];
  const SEA_OR_CLEAR = (c) => c.every((v) => v === 0) || (c[0] < 0xc0 && c[2] > 0xc0);

  test('no band crosses the world at zoom 0, and the world repeats sideways', async () => {
    const page = await openPage(browser, server.base);
    await page.evaluate(() => window.rundel.map.setView([0, 0], 0, { animate: false }));
    await page.waitForTimeout(300);
    // Fiji (16.5° S) and Chukotka (65° to 71° N) cross 180°: no band may run through the
    // open sea at their latitudes.
    for (const [lat, lng] of [[-16.5, -110], [-16.5, 70], [-16.5, -20], [65.05, -5], [68.99, -5],
      [71.53, -160], [0, -120]]) {
      const colour = await basemapColour(page, [lat, lng]);
      assert.ok(SEA_OR_CLEAR(colour), `land drawn at ${lat},${lng}: ${colour}`);
    }
    // Looking west from 160° W, Japan lies at 220.5° W: the copy of the world there is drawn.
    await page.evaluate(() => window.rundel.map.setView([36, -160], 2, { animate: false }));
    await page.waitForTimeout(300);
    assert.deepEqual(await basemapColour(page, [36.5, 139.5 - 360]), LAND);
    await page.close();
  });

  test('place names do not overlap at zoom 9 over Tokyo', async () => {
    const page = await openPage(browser, server.base);
    await page.evaluate(() => window.rundel.map.setView([35.68, 139.76], 9, { animate: false }));
    await page.waitForTimeout(300);
    const boxes = await page.evaluate(() => [...document.querySelectorAll('.place-label')]
      .map((e) => e.getBoundingClientRect().toJSON()));
    assert.ok(boxes.length >= 5, `only ${boxes.length} names`);
    for (let i = 0; i < boxes.length; ++i) {
      for (let j = i + 1; j < boxes.length; ++j) {
        const [a, b] = [boxes[i], boxes[j]];
        const apart = a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
        assert.ok(apart, `names ${i} and ${j} overlap`);
      }
    }
    await page.close();
  });

  test('tiles come through the map server, per map type, under the markers', async () => {
    const provider = await startTileProvider([200, 30, 30]);
    const tiled = await startServer(['--tiles', `gsi=${provider.base}`]);
    try {
      const page = await openPage(browser, tiled.base);
      await page.waitForFunction(() => [...document.querySelectorAll('img.leaflet-tile')]
        .some((img) => img.complete && img.naturalWidth === 256 && img.src.includes('/tiles/normal/')));
      assert.ok(provider.asked.some((p) => /^\/xyz\/std\/\d+\/\d+\/\d+\.png$/u.test(p)), provider.asked.join());
      assert.match(await page.evaluate(() => document.querySelector('.leaflet-control-attribution').textContent),
        /地理院タイル/u);
      await click(page, 'setmaptypesatellite');
      await page.waitForFunction(() => [...document.querySelectorAll('img.leaflet-tile')]
        .some((img) => img.complete && img.src.includes('/tiles/satellite/')));
      assert.ok(provider.asked.some((p) => p.startsWith('/xyz/seamlessphoto/')));
      await page.close();
    } finally {
      await tiled.stop();
      await provider.stop();
    }
  });

  test('a tile source that cannot be reached leaves the offline map', async () => {
    const broken = await startServer(['--tiles', 'gsi=http://127.0.0.1:1']);
    try {
      const page = await openPage(browser, broken.base);
      await page.evaluate(() => window.rundel.map.setView([36.2, 138.25], 6, { animate: false }));
      await page.waitForTimeout(500);
      assert.deepEqual(await basemapColour(page, [36.5, 138.5]), LAND);
      assert.deepEqual(page.errors, []);
      await page.close();
    } finally {
      await broken.stop();
    }
  });
});
