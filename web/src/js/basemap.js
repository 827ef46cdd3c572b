// The offline map: land, country borders and place names drawn from bundled data, in a colour
// scheme for each map type. With a tile address configured, tiles are drawn underneath.

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

export class Basemap {
  constructor(map, { tiles } = {}) {
    this.map = map;
    this.type = 'normal';
    this.scheme = 'normal';
    this.land = null;
    this.borders = null;
    this.labels = [];
    this.labelLayer = L.layerGroup().addTo(map);
    this.tileLayer = tiles
      ? L.tileLayer(tiles, { maxZoom: 19, attribution: '&copy; OpenStreetMap contributors' }).addTo(map)
      : null;
    map.on('moveend', () => this.drawLabels());
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
      const renderer = L.canvas({ padding: 0.5 });
      this.land = L.geoJSON(topojson.feature(land, land.objects.land), {
        renderer, interactive: false, style: () => this.landStyle(),
      }).addTo(this.map);
      this.borders = L.geoJSON(topojson.mesh(countries, countries.objects.countries, (a, b) => a !== b), {
        renderer, interactive: false, style: () => this.borderStyle(),
      }).addTo(this.map);
      this.labels = labels;
      if (this.tileLayer) {
        // Tiles carry their own land and names: the vector layers only fill gaps.
        this.land.setStyle({ fillOpacity: 0, opacity: 0 });
      }
    } catch (error) {
      console.warn('offline map data unavailable', error);
    }
    this.apply();
    this.loadDetail(fetchJson);
  }

  /**
   * Finer coastlines for closer views, fetched once the map is up so that start-up does not
   * wait for them.
   */
  async loadDetail(fetchJson) {
    if (!this.land || this.tileLayer) return;
    try {
      const land = await fetchJson('/static/data/land-10m.json');
      this.detail = L.geoJSON(topojson.feature(land, land.objects.land), {
        renderer: L.canvas({ padding: 0.5 }), interactive: false, style: () => this.landStyle(),
      });
      this.map.on('zoomend', () => this.chooseDetail());
      this.chooseDetail();
    } catch (error) {
      console.warn('detailed coastlines unavailable', error);
    }
  }

  chooseDetail() {
    const close = this.map.getZoom() >= 7;
    const [show, hide] = close ? [this.detail, this.land] : [this.land, this.detail];
    if (hide && this.map.hasLayer(hide)) hide.remove();
    if (show && !this.map.hasLayer(show)) {
      show.addTo(this.map);
      show.bringToBack();
    }
  }

  landStyle() {
    const s = SCHEMES[this.scheme];
    return { stroke: true, color: s.border ?? s.land, weight: 0.6, fill: true,
      fillColor: s.land, fillOpacity: this.tileLayer ? 0 : 1, opacity: this.tileLayer ? 0 : 1 };
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
    if (this.tileLayer) this.tileLayer.getContainer()?.style.setProperty('filter', s.tiles);
    this.drawLabels();
  }

  drawLabels() {
    this.labelLayer.clearLayers();
    const s = SCHEMES[this.scheme];
    if (!s.labels || this.tileLayer) return;
    const zoom = this.map.getZoom();
    const bounds = this.map.getBounds().pad(0.1);
    let shown = 0;
    for (const label of this.labels) {
      if (label.z > zoom || !bounds.contains([label.a, label.o])) continue;
      this.labelLayer.addLayer(L.marker([label.a, label.o], {
        interactive: false, keyboard: false,
        icon: L.divIcon({ className: `place-label${label.z === 6 ? ' pref' : ''}`,
          html: escapeHtml(label.n), iconSize: null, iconAnchor: [0, 8] }),
      }));
      if (++shown >= 250) break;
    }
  }
}
