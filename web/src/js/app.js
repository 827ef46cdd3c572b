// The map page: wires the program's elements (values it writes and reads, buttons it clicks)
// to the map, the markers, the route, geocoding and the server's node files.

import { TitleEvents } from './events.js';
import { Basemap, MAP_TYPES } from './basemap.js';
import { Markers } from './markers.js';
import { Route } from './route.js';

const config = window.RUNDEL_CONFIG ?? {};
const HOME = { center: [36.2, 138.25], zoom: 5 };
const $ = (id) => document.getElementById(id);
const value = (id) => $(id).value;
const set = (id, text) => { $(id).value = String(text); };
const fixed = (v) => Number(v).toFixed(6);

const events = new TitleEvents();
set('sesid', config.sesid ?? '');

const map = L.map('map', {
  center: HOME.center, zoom: HOME.zoom, minZoom: 0, maxZoom: 19,
  zoomControl: false, attributionControl: true, worldCopyJump: true,
});
map.attributionControl.setPrefix('');
map.attributionControl.addAttribution(
  'Natural Earth · GeoNames · &copy; OpenStreetMap contributors');
L.control.zoom({ position: 'topleft', zoomInTitle: '拡大', zoomOutTitle: '縮小' })
  .addTo(map);
L.control.scale({ imperial: false }).addTo(map);

const basemap = new Basemap(map, { tiles: config.tiles });

// The page's own map-type switch, mirrored by the program's panel.
const MapTypeControl = L.Control.extend({
  options: { position: 'topright' },
  onAdd() {
    const box = L.DomUtil.create('div', 'leaflet-bar maptype-control');
    const select = L.DomUtil.create('select', '', box);
    select.title = '地図の種類';
    for (const [type, caption] of [['normal', '地図'], ['satellite', '衛星写真'],
      ['normalsate', '地図+写真'], ['chikei', '地形']]) {
      const option = L.DomUtil.create('option', '', select);
      option.value = type;
      option.textContent = caption;
    }
    L.DomEvent.disableClickPropagation(box);
    select.addEventListener('change', () => setMapType(select.value));
    this.select = select;
    return box;
  },
});
const mapTypeControl = new MapTypeControl().addTo(map);

let lastDragged = null;
let lastGeocoded = null;
let foundSpot = null;

function notice(text) {
  const box = $('notice');
  box.textContent = text;
  box.classList.add('shown');
  clearTimeout(notice.timer);
  notice.timer = setTimeout(() => box.classList.remove('shown'), 2500);
}

function viewPoint() {
  const point = lastDragged ?? map.getCenter();
  set('ido_byo_10', fixed(point.lat));
  set('keido_byo_10', fixed(point.lng));
}

function updateCentre() {
  const centre = map.getCenter();
  set('mapido', fixed(centre.lat));
  set('mapkeido', fixed(centre.lng));
  set('mapzoomlevel', map.getZoom());
  if (!lastDragged) viewPoint();
}
map.on('moveend', updateCentre);

const markers = new Markers(map, {
  added(number, latlng) {
    events.emit('getnode', () => set('unitnode', `${number},${fixed(latlng.lat)},${fixed(latlng.lng)}`));
  },
  dragged(number, latlng) {
    lastDragged = latlng;
    events.emit('pointdragend', () => {
      set('dragnumber', number);
      set('ido_byo_10', fixed(latlng.lat));
      set('keido_byo_10', fixed(latlng.lng));
    });
  },
  deleted(number) {
    events.emit('delmarker', () => set('delnumber', number));
  },
  role(number, kind) {
    events.emit('markerrole', () => {
      set('rolenumber', number);
      set('rolekind', kind);
    });
  },
});
const route = new Route(map, Boolean(config.router));
if (config.router) {
  // Roads and drive times from an OpenStreetMap-based router.
  map.attributionControl.addAttribution(`経路: ${config.router} · &copy; OpenStreetMap contributors`);
}

map.on('click', (event) => markers.add(event.latlng));

function setMapType(type) {
  if (!basemap.setType(type)) return;
  if (MAP_TYPES.includes(type)) {
    set('maptype', type);
    if (mapTypeControl.select) mapTypeControl.select.value = type;
  }
}

async function geocode() {
  const address = value('realaddress');
  const multi = value('getaddressflag') === 'multi';
  let place = null;
  try {
    const response = await fetch(`/Rundel_SRV/geocode?q=${encodeURIComponent(address)}`);
    const answer = await response.json();
    if (response.ok && answer.found) place = answer;
  } catch (error) {
    console.warn('geocoding failed', error);
  }
  if (!place) {
    notice(`「${address}」が見つかりません`);
    events.emit(multi ? 'geocodenotfound_multi' : 'geocodenotfound_single');
    return;
  }
  lastGeocoded = L.latLng(place.lat, place.lng);
  if (multi) {
    // A list places its markers without moving the map to each: the program shows them all
    // once at the end, and tiles for every street on the way would only slow the import.
    events.emit('geocodefound_multi');
    return;
  }
  map.setView(lastGeocoded, place.zoom ?? 12);
  if (foundSpot) foundSpot.remove();
  foundSpot = L.circleMarker(lastGeocoded, { radius: 14, color: '#e0701f', weight: 2,
    fillOpacity: 0.15, interactive: false, className: 'found-spot' }).addTo(map);
  notice(place.label);
}

async function requestNodeData() {
  const failed = () => {
    set('tspconnectlist', 'no');
    events.emit('nodedatano');
  };
  try {
    const response = await fetch('/Rundel_SRV/nodedata', {
      method: 'POST',
      headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify({ sesid: value('sesid'),
        markers: markers.positions().map((p) => [p.lat, p.lng]) }),
    });
    if (!response.ok) {
      const answer = await response.json().catch(() => ({}));
      notice(`ノードデータを作れませんでした: ${answer.error ?? response.status}`);
      failed();
      return;
    }
    events.emit('nodedataok', () => set('sesid', config.sesid ?? value('sesid')));
  } catch (error) {
    notice('サーバーに接続できません');
    failed();
  }
}

function drawRoute() {
  const lists = route.draw(value('tspnodedata'), markers);
  if (!lists) {
    notice('経路を描けません');
    // The answer is "no": the program learns that the route it asked for will not come.
    events.emit('tspconnectlistok', () => set('tspconnectlist', 'no'));
    return;
  }
  map.fitBounds(L.latLngBounds(markers.positions()), { padding: [40, 40], maxZoom: 15, animate: false });
  events.emit('tspconnectlistok', () => {
    set('connectlistarray', lists.labels);
    set('coordlistarray', lists.coords);
    set('tspconnectlist', 'ok');
  });
}

function pan(dx, dy) {
  const size = map.getSize();
  map.panBy([dx * size.x / 3, dy * size.y / 3]);
}

const actions = {
  newgeocoding: geocode,
  getnodecoord() {
    const where = lastGeocoded ?? map.getCenter();
    lastGeocoded = null;
    markers.add(where);
  },
  // A stop whose coordinates are known ("latitude,longitude"): a marker there, no lookup.
  addnodecoord() {
    const [lat, lng] = value('nodecoord').split(',').map(Number);
    if (![lat, lng].every(Number.isFinite) || Math.abs(lat) > 90 || Math.abs(lng) > 180) {
      notice(`座標が正しくありません: ${value('nodecoord')}`);
      return;
    }
    markers.add(L.latLng(lat, lng));
  },
  requestnodedata: requestNodeData,
  drawtspnode: drawRoute,
  routeclear() {
    route.clear();
    markers.clear();
    lastDragged = null;
    if (foundSpot) foundSpot.remove();
    viewPoint();
  },
  hidemarker: () => markers.setVisible(false),
  showmarker: () => markers.setVisible(true),
  printpage: () => window.print(),
  getzoomlevel: () => set('mapzoomlevel', map.getZoom()),
  getmaptype: () => set('maptype', basemap.type),
  setzoomlevel() {
    const level = Number.parseInt(value('mapzoomlevel'), 10);
    if (Number.isFinite(level)) map.setZoom(Math.min(19, Math.max(0, level)), { animate: false });
  },
  controlhide: () => map.getContainer().classList.add('controls-hidden'),
  controlshow: () => map.getContainer().classList.remove('controls-hidden'),
  // Without animation, so that the zoom level reads back at once.
  zoominclick: () => map.zoomIn(1, { animate: false }),
  zoomoutclick: () => map.zoomOut(1, { animate: false }),
  sethomeposition: () => map.setView(HOME.center, HOME.zoom),
  mappanup: () => pan(0, -1),
  mappandown: () => pan(0, 1),
  mappanleft: () => pan(-1, 0),
  mappanright: () => pan(1, 0),
  mappanleftup: () => pan(-1, -1),
  mappanleftdown: () => pan(-1, 1),
  mappanrightup: () => pan(1, -1),
  mappanrightdown: () => pan(1, 1),
  mappancenter() {
    const points = markers.positions();
    if (points.length > 0) map.fitBounds(L.latLngBounds(points).pad(0.2), { maxZoom: 15 });
    else map.setView(HOME.center, HOME.zoom);
  },
  setmaptypenormal: () => setMapType('normal'),
  setmaptypesatellite: () => setMapType('satellite'),
  setmaptypenormalsate: () => setMapType('normalsate'),
  setmaptypechikei: () => setMapType('chikei'),
  setmaptypeearth: () => setMapType('earth'),
  // "start,end": the day's start and end markers (0: none).
  setmarkerroles() {
    const [start, end] = value('markerroles').split(',').map((v) => Number.parseInt(v, 10) || 0);
    markers.setRoles(start ?? 0, end ?? 0);
  },
};
for (const [id, action] of Object.entries(actions)) {
  $(id).addEventListener('click', () => { action(); });
}

// Ready: every element is in place and the first frame of the map is drawn.
await basemap.load();
updateCentre();
requestAnimationFrame(() => requestAnimationFrame(() => {
  document.documentElement.dataset.ready = '1';
  window.rundelReady = true;
  events.start();
  window.dispatchEvent(new CustomEvent('rundel-ready'));
}));
window.rundel = { events, markers, route, map, basemap };
