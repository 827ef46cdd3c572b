// The offline map: land, country borders and place names drawn from bundled data, in a colour
// scheme for each map type. With online tiles configured (fetched through the map server),
// the tiles lie over the offline land, so that a tile that cannot be had leaves the offline
// map showing, never a blank.

const escapeHtml = (text) => String(text).replace(/[&<>"']/gu,
  (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;' })[c]);

export const MAP_TYPES = ['normal', 'satellite', 'normalsate', 'chikei'];

const SCHEMES = {
  normal: { sea: '#aad3df', land: '#f2efe9', border: '#a39a8c', labels: true, dark: false, tiles: '' },
  satellite: { sea: '#0d2a4a', land: '#3d5a2f', border: null, labels: false, dark: true,
    tiles: 'saturate(0.7) brightness(0.75) contrast(1.1)' },
  normalsate: { sea: '#0d2a4a', land: '#4a6638', border: '#e0d9a8', labels: true, dark: true,
    tiles: 'saturate(0.7) brightness(0.8)' },
  chikei: { sea: '#b9d6e3', land: '#dfe8c5', border: '#8c8c7a', labels: true, dark: false,
    tiles: 'sepia(0.35) saturate(1.2)' },
  earth: { sea: '#0d2a4a', land: '#3f6b3a', border: '#9fb7c9', labels: false, dark: true,
    tiles: 'saturate(0.8) brightness(0.8)' },
};

/**
 * Rings that cross the 180th meridian jump from +180 to -180 and would be drawn as bands
 * across the world: their longitudes are made continuous instead (they may then pass 180).
 */
function unwrapRing(ring) {
  const out = [];
  let previous = null;
  for (const [lng, lat] of ring) {
    let x = lng;
    if (previous !== null) {
      while (x - previous > 180) x -= 360;
      while (x - previous < -180) x += 360;
    }
    out.push([x, lat]);
    previous = x;
  }
  return out;
}

/** A ring drawn along a pole only: in the Mercator map it would be a line along its edge. */
const atPole = (ring) => ring.every(([, lat]) => Math.abs(lat) > 89.9);

function unwrapPolygon(rings) {
  return rings.filter((ring) => !atPole(ring)).map(unwrapRing);
}

function unwrapGeometry(geometry) {
  if (geometry.type === 'Polygon') {
    return { type: 'Polygon', coordinates: unwrapPolygon(geometry.coordinates) };
  }
  if (geometry.type === 'MultiPolygon') {
    return { type: 'MultiPolygon',
      coordinates: geometry.coordinates.map(unwrapPolygon).filter((p) => p.length > 0) };
  }
  if (geometry.type === 'LineString') return { type: 'LineString', coordinates: unwrapRing(geometry.coordinates) };
  if (geometry.type === 'MultiLineString') {
    return { type: 'MultiLineString', coordinates: geometry.coordinates.map(unwrapRing) };
  }
  return geometry;
}

function shifted(geometry, offset) {
  const move = (c) => (typeof c[0] === 'number' ? [c[0] + offset, c[1]] : c.map(move));
  return { type: geometry.type, coordinates: move(geometry.coordinates) };
}

/** The shapes continuous across 180°, and copies one world to either side. */
function worldCopies(geojson) {
  const features = geojson.type === 'FeatureCollection' ? geojson.features : [geojson];
  const out = [];
  for (const feature of features) {
    const geometry = unwrapGeometry(feature.geometry ?? feature);
    for (const offset of [-360, 0, 360]) {
      out.push({ type: 'Feature', properties: {}, geometry: shifted(geometry, offset) });
    }
  }
  return { type: 'FeatureCollection', features: out };
}

export class Basemap {
  constructor(map, { tiles } = {}) {
    this.map = map;
    this.type = 'normal';
    this.scheme = 'normal';
    this.land = null;
    this.borders = null;
    this.labels = [];
    // The offline land lies under the tiles; names lie over both.
    map.createPane('basemap').style.zIndex = 150;
    this.renderer = L.canvas({ pane: 'basemap', padding: 0.5 });
    this.labelLayer = L.layerGroup().addTo(map);
    this.tiles = tiles ?? null;
    this.tileLayer = tiles
      ? L.tileLayer(this.tileUrl('normal'), {
        maxZoom: 19, maxNativeZoom: tiles.maxZoom ?? 18, attribution: tiles.attribution ?? '',
      }).addTo(map)
      : null;
    map.on('moveend', () => this.drawLabels());
  }

  tileUrl(type) {
    return this.tiles.url.replace('{type}', type);
  }

  /** True when the tiles of the current type carry place names of their own. */
  tilesNamed() {
    return Boolean(this.tileLayer && this.tiles.named?.[this.type]);
  }

  /** Loads the bundled map data; resolves when it is drawn (or could not be had). */
  async load() {
    const fetchJson = async (url) => {
      const response = await fetch(url);
      if (!response.ok) throw new Error(`${url}: ${response.status}`);
      return response.json();
    };
    try {
      const [land, countries, labels] = await Promise.all([
        fetchJson('/static/data/land-50m.json'),
        fetchJson('/static/data/countries-50m.json'),
        fetchJson('/static/data/labels.json'),
      ]);
      const renderer = this.renderer;
      this.land = L.geoJSON(worldCopies(topojson.feature(land, land.objects.land)), {
        renderer, interactive: false, style: () => this.landStyle(),
      }).addTo(this.map);
      const borders = topojson.mesh(countries, countries.objects.countries, (a, b) => a !== b);
      this.borders = L.geoJSON(worldCopies(borders), {
        renderer, interactive: false, style: () => this.borderStyle(),
      }).addTo(this.map);
      // Most important first, so that a name that would overlap yields to a higher one.
      this.labels = [...labels].sort((a, b) => a.z - b.z);
    } catch (error) {
      console.warn('offline map data unavailable', error);
    }
    this.apply();
    this.loadDetail(fetchJson);
  }

  /**
   * Finer coastlines for closer views, fetched once the map is up so that start-up does not
   * wait for them. Each island (and each world copy) is a layer of its own, on the map only
   * while it is near the view: a zoom reprojects every path on the map, and the whole world's
   * fine coastline took the better part of a second to reproject at every step.
   */
  async loadDetail(fetchJson) {
    if (!this.land) return;
    try {
      const land = await fetchJson('/static/data/land-10m.json');
      const renderer = this.renderer;
      this.detailParts = [];
      for (const feature of worldCopies(topojson.feature(land, land.objects.land)).features) {
        const { type, coordinates } = feature.geometry;
        const polygons = type === 'MultiPolygon' ? coordinates : type === 'Polygon' ? [coordinates] : [];
        for (const rings of polygons) {
          this.detailParts.push(L.polygon(rings.map((ring) => ring.map(([lng, lat]) => [lat, lng])),
            { renderer, interactive: false, ...this.landStyle() }));
        }
      }
      this.detail = L.featureGroup();
      this.map.on('zoomend moveend', () => this.chooseDetail());
      this.chooseDetail();
    } catch (error) {
      console.warn('detailed coastlines unavailable', error);
    }
  }

  chooseDetail() {
    const close = this.map.getZoom() >= 7;
    const [show, hide] = close ? [this.detail, this.land] : [this.land, this.detail];
    if (close) this.showNearbyDetail();
    if (hide && this.map.hasLayer(hide)) hide.remove();
    if (show && !this.map.hasLayer(show)) {
      show.addTo(this.map);
      show.bringToBack();
    }
  }

  /** The detailed islands near the view in the detail group, the others out of it. */
  showNearbyDetail() {
    const near = this.map.getBounds().pad(0.5);
    const style = this.landStyle();
    for (const part of this.detailParts) {
      const wanted = near.intersects(part.getBounds());
      if (wanted && !this.detail.hasLayer(part)) {
        part.setStyle(style);
        this.detail.addLayer(part);
        part.bringToBack();
      } else if (!wanted && this.detail.hasLayer(part)) {
        this.detail.removeLayer(part);
      }
    }
  }

  landStyle() {
    const s = SCHEMES[this.scheme];
    return { stroke: true, color: s.border ?? s.land, weight: 0.6, fill: true,
      fillColor: s.land, fillOpacity: 1, opacity: 1 };
  }

  borderStyle() {
    const s = SCHEMES[this.scheme];
    return { color: s.border ?? 'transparent', weight: 0.8, opacity: s.border ? 0.9 : 0,
      dashArray: '3 2', fill: false };
  }

  /** Switches to one of MAP_TYPES, or to the Earth view ("earth"), which keeps the type. */
  setType(type) {
    if (type === 'earth') {
      this.scheme = 'earth';
      this.map.setView([20, 135], 2);
    } else if (MAP_TYPES.includes(type)) {
      this.type = type;
      this.scheme = type;
      if (this.tileLayer) this.tileLayer.setUrl(this.tileUrl(type));
    } else {
      return false;
    }
    this.apply();
    return true;
  }

  apply() {
    const s = SCHEMES[this.scheme];
    const container = this.map.getContainer();
    container.style.setProperty('--sea', s.sea);
    container.classList.toggle('map-earth', this.scheme === 'earth');
    container.classList.toggle('dark-labels', s.dark);
    if (this.land) this.land.setStyle(this.landStyle());
    if (this.detail) this.detail.setStyle(this.landStyle());
    if (this.borders) this.borders.setStyle(this.borderStyle());
    // One picture for every type (OpenStreetMap, an address): tinted per type. Typed
    // sources (地理院タイル) have a picture of their own for each.
    const tinted = this.tileLayer && !this.tiles.typed;
    this.tileLayer?.getContainer()?.style.setProperty('filter', tinted ? s.tiles : '');
    this.drawLabels();
  }

  drawLabels() {
    this.labelLayer.clearLayers();
    const s = SCHEMES[this.scheme];
    if (!s.labels || this.tilesNamed()) return;
    const zoom = this.map.getZoom();
    const bounds = this.map.getBounds().pad(0.1);
    const placed = []; // pixel boxes of the names shown
    let shown = 0;
    for (const label of this.labels) {
      if (label.z > zoom) continue;
      // The world repeats sideways: a name is shown on whichever copy is in view.
      const lng = [label.o, label.o - 360, label.o + 360]
        .find((o) => bounds.contains([label.a, o]));
      if (lng === undefined) continue;
      const box = this.labelBox(label, lng);
      if (placed.some((other) => overlaps(box, other))) continue;
      placed.push(box);
      this.labelLayer.addLayer(L.marker([label.a, lng], {
        interactive: false, keyboard: false,
        icon: L.divIcon({ className: `place-label${label.z === 6 ? ' pref' : ''}`,
          html: escapeHtml(label.n), iconSize: null, iconAnchor: [0, 8] }),
      }));
      if (++shown >= 250) break;
    }
  }

  /** Where a name would be drawn, in pixels, from its text's estimated width. */
  labelBox(label, lng) {
    const at = this.map.latLngToContainerPoint([label.a, lng]);
    const size = label.z === 6 ? 13 : 11;
    let width = 0;
    for (const ch of label.n) width += ch.codePointAt(0) > 0x2e80 ? size : size * 0.6;
    return { left: at.x - 2, top: at.y - 9, right: at.x + width + 4, bottom: at.y + size - 6 };
  }
}

function overlaps(a, b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
