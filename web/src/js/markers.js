// The numbered markers. Numbers are positions: marker n is the n-th marker placed, and when a
// marker is deleted the ones above it move down by one, as the program renumbers its list.

export class Markers {
  /**
   * @param {L.Map} map
   * @param {{ added(n, latlng), dragged(n, latlng), deleted(n), role(n, kind) }} listener
   */
  constructor(map, listener) {
    this.map = map;
    this.listener = listener;
    this.items = [];
    this.visible = true;
    this.roles = { start: 0, end: 0 };
  }

  /** Marks the day's start and end (marker numbers; 0: none). */
  setRoles(start, end) {
    this.roles = { start, end };
    this.items.forEach((m, i) => this.decorate(m, i + 1));
  }

  get count() {
    return this.items.length;
  }

  latLng(number) {
    return this.items[number - 1]?.getLatLng() ?? null;
  }

  add(latlng) {
    const marker = L.marker(latlng, { draggable: true, autoPan: true, keyboard: false });
    this.items.push(marker);
    const number = this.items.length;
    this.decorate(marker, number);
    marker.on('dragend', () => this.listener.dragged(this.items.indexOf(marker) + 1, marker.getLatLng()));
    marker.on('contextmenu', (event) => {
      L.DomEvent.stop(event);
      this.remove(this.items.indexOf(marker) + 1);
    });
    marker.addTo(this.map);
    this.listener.added(number, marker.getLatLng());
    return number;
  }

  remove(number) {
    const marker = this.items[number - 1];
    if (!marker) return;
    marker.remove();
    this.items.splice(number - 1, 1);
    this.items.forEach((m, i) => { if (i >= number - 1) this.decorate(m, i + 1); });
    this.listener.deleted(number);
  }

  clear() {
    for (const marker of this.items) marker.remove();
    this.items = [];
  }

  setVisible(visible) {
    this.visible = visible;
    for (const marker of this.items) this.decorate(marker, this.items.indexOf(marker) + 1);
  }

  positions() {
    return this.items.map((m) => m.getLatLng());
  }

  decorate(marker, number) {
    const wide = number >= 100 ? ' wide' : '';
    const role = number === this.roles.start ? ' start' : number === this.roles.end ? ' end' : '';
    marker.setIcon(L.divIcon({
      className: this.visible ? '' : 'marker-hidden',
      html: `<div class="pin${wide}${role}"><span>${number}</span></div>`,
      iconSize: [30, 30], iconAnchor: [13, 34], popupAnchor: [0, -30],
    }));
    const content = document.createElement('div');
    content.textContent = `地点 ${number}`;
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'delete-button';
    button.textContent = 'この地点を削除';
    button.addEventListener('click', () => this.remove(this.items.indexOf(marker) + 1));
    content.append(document.createElement('br'), button);
    // The day's route: this stop as its start or its end.
    for (const [kind, caption] of [['start', '出発地にする'], ['end', '到着地にする']]) {
      const choose = document.createElement('button');
      choose.type = 'button';
      choose.className = `role-button ${kind}`;
      choose.textContent = caption;
      choose.addEventListener('click', () => {
        marker.closePopup();
        this.listener.role(this.items.indexOf(marker) + 1, kind);
      });
      content.append(document.createElement('br'), choose);
    }
    marker.unbindPopup();
    marker.bindPopup(content);
    marker.dragging?.[this.visible ? 'enable' : 'disable']();
  }
}
