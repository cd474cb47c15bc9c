'use strict';
// Shows the marks named in this page's own query: lat<n>, lon<n>, alt<n> (n = 0, 1, ...) and tiles,
// the tile address template, and t_<name>, the page's texts in the operator's language (English when
// absent). Every value is handled as text; nothing from the query becomes markup.
// With "deferred" in the query the marks come later, from the program: varnelMap.start(query), the
// query in the same form, for more marks than an address can carry.
(function () {
  const defaultTiles = 'https://tile.openstreetmap.org/{z}/{x}/{y}.png';
  const numberText = /^[+-]?(\d+(\.\d*)?|\.\d+)$/;
  // Read by the program's tests and useful when debugging the page.
  const state = window.varnelMap = { ready: false, placed: 0, notPlaced: 0, tilesLoaded: 0, tileErrors: 0 };

  const own = new URLSearchParams(window.location.search);
  const english = {
    mark: 'Mark %1', lat: 'Latitude', lon: 'Longitude', alt: 'Altitude',
    noTiles: 'No map tiles could be loaded; the marks are shown on a latitude/longitude grid.',
    noLibrary: 'The map library (Debian package libjs-leaflet) could not be loaded; the marks are listed below.',
    notPlaced: 'Not placed (not a valid latitude or longitude)', label: 'Map of the marks'
  };
  const text = name => own.get('t_' + name) || english[name];

  function readQuery(search) {
    // One pass into a map: looking each name up in the parameters is linear, too slow for 100,000 marks.
    const params = new Map();
    for (const [name, value] of new URLSearchParams(search)) {
      if (!params.has(name))
        params.set(name, value);
    }
    const marks = [];
    for (let i = 0; params.has('lat' + i) || params.has('lon' + i); ++i) {
      marks.push({ index: i, lat: params.get('lat' + i) || '', lon: params.get('lon' + i) || '',
                   alt: params.get('alt' + i) || '' });
    }
    return { marks: marks, tiles: own.has('tiles') ? own.get('tiles') : defaultTiles };
  }

  function coordinate(text, limit) {
    if (!numberText.test(text))
      return null;
    const value = Number(text);
    return Math.abs(value) <= limit ? value : null;
  }

  function textBlock(lines, className) {
    const block = document.createElement('div');
    if (className)
      block.className = className;
    for (const line of lines) {
      const row = document.createElement('div');
      row.textContent = line;
      block.appendChild(row);
    }
    return block;
  }

  // Numbered from 1, as the program's list numbers them.
  function number(mark) {
    return String(mark.index + 1);
  }

  function describe(mark) {
    return [text('mark').replace('%1', number(mark)), text('lat') + ': ' + mark.lat, text('lon') + ': ' + mark.lon,
            text('alt') + ': ' + mark.alt];
  }

  function showStatus(text) {
    const status = document.getElementById('status');
    status.textContent = text;
    status.hidden = !text;
  }

  function listNotPlaced(marks) {
    const list = document.getElementById('notPlacedList');
    for (const mark of marks) {
      const item = document.createElement('li');
      item.className = 'varnel-not-placed';
      item.textContent = describe(mark).join('  ');
      list.appendChild(item);
    }
    document.getElementById('notPlaced').hidden = marks.length === 0;
    state.notPlaced = marks.length;
  }

  // A latitude/longitude grid for when there are no tiles: about six lines across the view.
  const gridSteps = [30, 10, 5, 2, 1, 0.5, 0.2, 0.1, 0.05, 0.02, 0.01, 0.005, 0.002, 0.001,
                     0.0005, 0.0002, 0.0001, 0.00005, 0.00002, 0.00001];
  function drawGrid(map, layer) {
    layer.clearLayers();
    const b = map.getBounds();
    const south = Math.max(b.getSouth(), -90), north = Math.min(b.getNorth(), 90);
    const west = b.getWest(), east = b.getEast();
    const span = Math.max(north - south, east - west) / 6;
    const step = gridSteps.find(s => s <= span) || gridSteps[gridSteps.length - 1];
    const digits = Math.max(0, Math.ceil(-Math.log10(step) - 1e-9));
    // Latitudes along the left edge above their line, longitudes along the top right of theirs.
    const label = (value, at, anchor) => {
      const text = document.createElement('span');
      text.textContent = value.toFixed(digits) + '\u00b0';
      L.marker(at, { interactive: false, keyboard: false, pane: 'gridLabels',
                     icon: L.divIcon({ className: 'varnel-grid-label', html: text, iconSize: null,
                                       iconAnchor: anchor }) })
        .addTo(layer);
    };
    const style = { color: '#8a96a3', weight: 1, opacity: 0.6, interactive: false };
    for (let lat = Math.ceil(south / step) * step; lat <= north; lat += step) {
      L.polyline([[lat, west], [lat, east]], style).addTo(layer);
      label(lat, [lat, west], [-4, 15]);
    }
    for (let lon = Math.ceil(west / step) * step; lon <= east; lon += step) {
      L.polyline([[south, lon], [north, lon]], style).addTo(layer);
      label(lon, [north, lon], [-4, -4]);
    }
  }

  function addTiles(map, template, grid) {
    const noTiles = text('noTiles');
    if (!template) {
      showStatus(noTiles);
      return;
    }
    const options = { maxZoom: 19 };
    if (template === defaultTiles)
      options.attribution = '&copy; OpenStreetMap contributors';
    const tiles = L.tileLayer(template, options);
    tiles.on('tileload', () => {
      if (state.tilesLoaded++ === 0) {
        map.removeLayer(grid);
        showStatus('');
      }
    });
    tiles.on('tileerror', () => {
      if (state.tileErrors++ === 0 && state.tilesLoaded === 0)
        showStatus(noTiles);
    });
    tiles.addTo(map);
    // A service that never answers (no route, DNS hanging) gives no error for a long time.
    setTimeout(() => { if (state.tilesLoaded === 0) showStatus(noTiles); }, 8000);
  }

  function start(search) {
    if (state.started)
      return;
    state.started = true;
    const query = readQuery(search);
    if (typeof L === 'undefined') {
      showStatus(text('noLibrary'));
      listNotPlaced(query.marks);
      state.ready = true;
      return;
    }
    // Many marks draw as circles on one canvas: a picture element each would not keep up.
    const many = query.marks.length > 2000;
    const map = L.map('map', { zoomSnap: 0.5, zoomControl: false, preferCanvas: many });
    L.control.zoom({ position: 'topright' }).addTo(map);
    map.createPane('gridLabels');
    L.control.scale({ imperial: false }).addTo(map);

    const placed = [], notPlaced = [];
    // Gathered off the map and added at once: one redraw, not one per mark.
    const markers = L.featureGroup();
    for (const mark of query.marks) {
      const lat = coordinate(mark.lat, 90), lon = coordinate(mark.lon, 180);
      if (lat === null || lon === null) {
        notPlaced.push(mark);
        continue;
      }
      // The number stands on the marker itself; the tooltip is the only other text (no title as well,
      // which the browser would show as a second one).
      const label = document.createElement('span');
      label.textContent = number(mark);
      const marker = many ? L.circleMarker([lat, lon], { radius: 5 })
        : L.marker([lat, lon], { icon: L.divIcon({ className: 'varnel-mark', html: label, iconSize: null,
                                                   iconAnchor: [0, 0] }) });
      // The marker's element exists once the map has a view: named for screen readers then.
      marker.on('add', () => {
        const element = marker.getElement && marker.getElement();
        if (element)
          element.setAttribute('aria-label', describe(mark).join(', '));
      });
      // Built when first shown, and as text: a string here would be taken as markup.
      marker.bindTooltip(() => textBlock(describe(mark)), { className: 'varnel-tooltip' }).addTo(markers);
      placed.push([lat, lon]);
    }
    markers.addTo(map);
    state.placed = placed.length;
    listNotPlaced(notPlaced);

    if (placed.length === 1)
      map.setView(placed[0], 15);
    else if (placed.length > 1)
      map.fitBounds(placed, { padding: [40, 40], maxZoom: 17 });
    else
      map.setView([0, 0], 1);

    const grid = L.layerGroup().addTo(map);
    drawGrid(map, grid);
    map.on('moveend', () => { if (map.hasLayer(grid)) drawGrid(map, grid); });
    state.ready = true;
    // Tiles only after the page has loaded, so an unreachable tile service never holds up the page.
    if (document.readyState === 'complete')
      setTimeout(() => addTiles(map, query.tiles, grid), 0);
    else
      window.addEventListener('load', () => setTimeout(() => addTiles(map, query.tiles, grid), 0));
  }

  document.title = text('label');
  document.getElementById('map').setAttribute('aria-label', text('label'));
  document.getElementById('notPlacedTitle').textContent = text('notPlaced');

  state.start = start;
  if (!own.has('deferred'))
    start(window.location.search);
})();
