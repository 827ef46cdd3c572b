// The drawn round trip: a closed line through the markers in route order, with a direction
// mark halfway along each leg. With a road router, each leg then follows its road (a leg
// without one stays a dashed straight line).

const STYLE = { color: '#1f4fd1', weight: 3, opacity: 0.85 };

export class Route {
  /** @param {boolean} roads whether the map server has a router to ask for the roads */
  constructor(map, roads = false) {
    this.map = map;
    this.roads = roads;
    this.layer = L.layerGroup().addTo(map);
    this.legs = [];
    this.paths = [];
    this.drawing = 0;
    map.on('zoomend', () => this.redrawArrows());
  }

  /**
   * Draws the route text (node numbers separated by "/", closed by the first node again).
   * @returns {{labels: string, coords: string} | null} the page's leg lists, or null when the
   *   text names a marker that does not exist
   */
  draw(text, markers) {
    const numbers = String(text).split('/').map((s) => s.trim()).filter((s) => s !== '');
    if (numbers.length < 2) return null;
    const points = [];
    for (const s of numbers) {
      if (!/^\d+$/u.test(s)) return null;
      const latlng = markers.latLng(Number(s));
      if (!latlng) return null;
      points.push({ number: Number(s), latlng });
    }
    this.clear();
    this.legs = [];
    for (let i = 0; i + 1 < points.length; ++i) this.legs.push([points[i], points[i + 1]]);
    this.paths = this.legs.map(([a, b]) => [a.latlng, b.latlng]);
    this.line = L.polyline(points.map((p) => p.latlng), STYLE).addTo(this.layer);
    this.redrawArrows();
    if (this.roads) this.followRoads(points, ++this.drawing);
    const fixed = (v) => v.toFixed(6);
    return {
      labels: this.legs.map(([a, b]) => `${a.number}→${b.number}/`).join(''),
      coords: this.legs.map(([a, b]) =>
        `${fixed(a.latlng.lat)},${fixed(a.latlng.lng)},${fixed(b.latlng.lat)},${fixed(b.latlng.lng)}/`).join(''),
    };
  }

  /** Asks the map server for each leg's road and draws the legs along them. */
  async followRoads(points, drawing) {
    let answer = null;
    try {
      const response = await fetch('/router/legs', {
        method: 'POST', headers: { 'Content-Type': 'application/json' },
        body: JSON.stringify({ stops: points.map((p) => [p.latlng.lat, p.latlng.lng]) }),
      });
      answer = response.ok ? await response.json() : null;
    } catch (error) {
      console.warn('no roads for the route', error);
    }
    if (drawing !== this.drawing || !answer?.legs) return; // a newer route, or no roads
    this.line?.remove();
    this.roadLines = [];
    answer.legs.forEach((leg, i) => {
      const road = leg?.path?.length >= 2;
      this.paths[i] = road ? leg.path.map(([lat, lng]) => L.latLng(lat, lng)) : this.paths[i];
      this.roadLines.push(L.polyline(this.paths[i], road ? STYLE
        : { ...STYLE, dashArray: '6 6', className: 'straight-leg' }).addTo(this.layer));
    });
    this.redrawArrows();
    document.documentElement.dataset.roads = String(answer.legs.filter((l) => l?.path).length);
  }

  redrawArrows() {
    if (this.arrows) this.arrows.remove();
    this.arrows = L.layerGroup().addTo(this.layer);
    for (const path of this.paths) {
      // Halfway along the leg's drawn line, pointing the way it runs there.
      const pixels = path.map((p) => this.map.latLngToLayerPoint(p));
      if (pixels.length < 2 || pixels[0].distanceTo(pixels[pixels.length - 1]) < 18) continue;
      const [pa, pb] = halfway(pixels);
      const angle = (Math.atan2(pb.y - pa.y, pb.x - pa.x) * 180) / Math.PI + 90;
      const middle = this.map.layerPointToLatLng(pa.add(pb).divideBy(2));
      L.marker(middle, {
        interactive: false, keyboard: false,
        icon: L.divIcon({ className: '', iconSize: [14, 13], iconAnchor: [7, 7],
          html: `<div class="arrow" style="transform: rotate(${angle.toFixed(1)}deg)"></div>` }),
      }).addTo(this.arrows);
    }
  }

  clear() {
    this.layer.clearLayers();
    this.arrows = null;
    this.legs = [];
    this.paths = [];
    this.line = null;
    ++this.drawing;
    delete document.documentElement.dataset.roads;
  }
}

/** The segment of a line of pixels where half its length is reached. */
function halfway(pixels) {
  let total = 0;
  for (let i = 1; i < pixels.length; ++i) total += pixels[i - 1].distanceTo(pixels[i]);
  let walked = 0;
  for (let i = 1; i < pixels.length; ++i) {
    walked += pixels[i - 1].distanceTo(pixels[i]);
    if (walked >= total / 2) return [pixels[i - 1], pixels[i]];
  }
  return [pixels[0], pixels[pixels.length - 1]];
}
