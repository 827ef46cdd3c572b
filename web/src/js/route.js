// The drawn round trip: a closed line through the markers in route order, with a direction
// mark halfway along each leg.

export class Route {
  constructor(map) {
    this.map = map;
    this.layer = L.layerGroup().addTo(map);
    this.legs = [];
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
    L.polyline(points.map((p) => p.latlng), { color: '#1f4fd1', weight: 3, opacity: 0.85 })
      .addTo(this.layer);
    this.redrawArrows();
    const fixed = (v) => v.toFixed(6);
    return {
      labels: this.legs.map(([a, b]) => `${a.number}→${b.number}/`).join(''),
      coords: this.legs.map(([a, b]) =>
        `${fixed(a.latlng.lat)},${fixed(a.latlng.lng)},${fixed(b.latlng.lat)},${fixed(b.latlng.lng)}/`).join(''),
    };
  }

  redrawArrows() {
    if (this.arrows) this.arrows.remove();
    this.arrows = L.layerGroup().addTo(this.layer);
    for (const [a, b] of this.legs) {
      const pa = this.map.latLngToLayerPoint(a.latlng);
      const pb = this.map.latLngToLayerPoint(b.latlng);
      if (pa.distanceTo(pb) < 18) continue;
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
  }
}
