// The overhead panel in a browser: draws the station's pictures on a canvas,
// turns mouse and touch into the station's pointer, and reconnects by itself.
'use strict';
(function () {
  const canvas = document.getElementById('panel');
  const context = canvas.getContext('2d');
  const view = document.getElementById('view');
  const link = document.getElementById('link');
  const role = document.getElementById('role');
  const message = document.getElementById('message');
  const loginForm = document.getElementById('login');
  const tokenField = document.getElementById('token');

  // What a test or a curious operator can read: window.tarnel.
  const state = { connected: false, operate: false, frames: 0, refused: 0, lastNotice: null, controls: [] };
  window.tarnel = state;

  // The view: picture pixel p is shown at offset + p * scale (CSS pixels).
  let scale = 1, offsetX = 0, offsetY = 0, fitted = true;
  function applyView() {
    canvas.style.transform = 'translate(' + offsetX + 'px,' + offsetY + 'px) scale(' + scale + ')';
  }
  function fit() {
    const w = view.clientWidth, h = view.clientHeight;
    scale = Math.min(w / canvas.width, h / canvas.height);
    offsetX = (w - canvas.width * scale) / 2;
    offsetY = (h - canvas.height * scale) / 2;
    fitted = true;
    applyView();
  }
  function zoomAt(factor, cx, cy) {
    const next = Math.max(0.1, Math.min(8, scale * factor));
    offsetX = cx - (cx - offsetX) * next / scale;
    offsetY = cy - (cy - offsetY) * next / scale;
    scale = next;
    fitted = false;
    applyView();
  }
  function toPicture(clientX, clientY) {
    const r = view.getBoundingClientRect();
    return { x: Math.floor((clientX - r.left - offsetX) / scale), y: Math.floor((clientY - r.top - offsetY) / scale) };
  }
  function local(clientX, clientY) {
    const r = view.getBoundingClientRect();
    return { x: clientX - r.left, y: clientY - r.top };
  }
  // A cover or plate lies over the button it guards: it is found first.
  function controlAt(p) {
    let found = null;
    for (const c of state.controls) {
      if (p.x >= c.x && p.x < c.x + c.w && p.y >= c.y && p.y < c.y + c.h && (!found || c.c)) found = c;
    }
    return found;
  }
  function notice(text) {
    message.textContent = text || '';
  }

  // The connection.
  let socket = null, retry = 1000;
  function connect() {
    const scheme = location.protocol === 'https:' ? 'wss://' : 'ws://';
    socket = new WebSocket(scheme + location.host + '/ws');
    socket.binaryType = 'arraybuffer';
    socket.onopen = function () {
      state.connected = true;
      retry = 1000;
      link.textContent = 'connected';
      link.className = 'up';
    };
    socket.onclose = function () {
      state.connected = false;
      link.textContent = 'reconnecting';
      link.className = 'down';
      setTimeout(connect, retry);
      retry = Math.min(retry * 2, 8000);
    };
    socket.onmessage = function (event) {
      if (typeof event.data === 'string') onNotice(JSON.parse(event.data));
      else queueFrame(event.data);
    };
  }
  function send(text) {
    if (socket && socket.readyState === WebSocket.OPEN) socket.send(text);
  }
  function onNotice(n) {
    state.lastNotice = n;
    if (n.type === 'hello') {
      state.operate = n.operate;
      role.textContent = n.operate ? 'operating' : 'watching';
      role.className = n.operate ? 'operate' : 'watch';
      loginForm.style.display = n.operate ? 'none' : '';
      notice('');
    } else if (n.type === 'refused') {
      state.refused++;
      notice('Refused: ' + n.reason);
    }
  }

  // Frames: 'F', flags, count, then per picture x, y, w, h (16-bit) and
  // the PNG length (32-bit), then the PNGs. Drawn strictly in order.
  let drawing = Promise.resolve();
  function queueFrame(buffer) {
    drawing = drawing.then(function () { return drawFrame(buffer); }).catch(function (e) { notice('Bad picture: ' + e); });
  }
  async function drawFrame(buffer) {
    const bytes = new DataView(buffer);
    if (bytes.byteLength < 4 || bytes.getUint8(0) !== 70) return;
    const count = bytes.getUint16(2, true);
    let offset = 4 + count * 12;
    const jobs = [];
    for (let i = 0; i < count; i++) {
      const e = 4 + i * 12;
      const x = bytes.getUint16(e, true), y = bytes.getUint16(e + 2, true), size = bytes.getUint32(e + 8, true);
      const blob = new Blob([new Uint8Array(buffer, offset, size)], { type: 'image/png' });
      offset += size;
      jobs.push(createImageBitmap(blob).then(function (image) { return { image: image, x: x, y: y }; }));
    }
    const pictures = await Promise.all(jobs);
    for (const p of pictures) {
      context.drawImage(p.image, p.x, p.y);
      p.image.close();
    }
    state.frames++;
  }

  // Operating token: presented once, answered with a session cookie.
  loginForm.addEventListener('submit', function (event) {
    event.preventDefault();
    fetch('/login', { method: 'POST', headers: { 'Content-Type': 'application/x-www-form-urlencoded' },
                      body: 'token=' + encodeURIComponent(tokenField.value), credentials: 'same-origin' })
      .then(function (response) {
        tokenField.value = '';
        if (response.ok) {
          notice('');
          if (socket) socket.close();  // reconnects with the session
        } else {
          return response.text().then(function (text) { notice('Token refused: ' + text.trim()); });
        }
      });
  });

  // Pointer input. Mouse: the left button presses what is under it, a drag
  // from off a control pans, the right button is the right button, the wheel
  // zooms. Touch: a tap clicks, a press held holds the left button, a long
  // press on a cover or two fingers tapped are the right button, one finger
  // dragged from off a control pans, two fingers pinch to zoom.
  const kSecondFingerMs = 120, kLongPressMs = 500, kTwoFingerTapMs = 400;
  const pointers = new Map();
  let gesture = null;

  function press(kind, p) { send(kind + ' ' + p.x + ' ' + p.y); }
  function inside(p) { return p.x >= 0 && p.y >= 0 && p.x < canvas.width && p.y < canvas.height; }
  function clampPoint(p) {
    return { x: Math.max(0, Math.min(canvas.width - 1, p.x)), y: Math.max(0, Math.min(canvas.height - 1, p.y)) };
  }

  view.addEventListener('contextmenu', function (e) { e.preventDefault(); });
  view.addEventListener('wheel', function (e) {
    e.preventDefault();
    const l = local(e.clientX, e.clientY);
    zoomAt(e.deltaY < 0 ? 1.15 : 1 / 1.15, l.x, l.y);
  }, { passive: false });

  view.addEventListener('pointerdown', function (e) {
    view.setPointerCapture(e.pointerId);
    pointers.set(e.pointerId, { x: e.clientX, y: e.clientY, startX: e.clientX, startY: e.clientY });
    const p = toPicture(e.clientX, e.clientY);
    if (e.pointerType === 'mouse') {
      if (e.button === 2 && inside(p)) { gesture = { kind: 'right' }; press('rdown', p); }
      else if (e.button === 0 && inside(p) && controlAt(p)) { gesture = { kind: 'hold', last: p }; press('down', p); }
      else if (e.button === 0) gesture = { kind: 'pan' };
      return;
    }
    if (pointers.size === 2 && gesture && (gesture.kind === 'pending' || gesture.kind === 'pan' || gesture.kind === 'cover')) {
      clearTimeout(gesture.timer);
      const [a, b] = Array.from(pointers.values());
      gesture = { kind: 'two', start: Date.now(), distance: Math.hypot(a.x - b.x, a.y - b.y), moved: false, scale: scale };
      return;
    }
    if (pointers.size !== 1) return;
    const control = inside(p) ? controlAt(p) : null;
    if (!control) { gesture = { kind: 'pan' }; return; }
    if (control.c) {
      // A cover: a tap clicks it, a long press is the right button.
      gesture = { kind: 'cover', point: p };
      gesture.timer = setTimeout(function () {
        if (gesture && gesture.kind === 'cover') { press('rdown', p); press('rup', p); gesture = { kind: 'done' }; }
      }, kLongPressMs);
      return;
    }
    // Wait briefly for a second finger before pressing.
    gesture = { kind: 'pending', point: p };
    gesture.timer = setTimeout(function () {
      if (gesture && gesture.kind === 'pending') { press('down', p); gesture = { kind: 'hold', last: p }; }
    }, kSecondFingerMs);
  });

  view.addEventListener('pointermove', function (e) {
    const known = pointers.get(e.pointerId);
    if (!known) return;
    const dx = e.clientX - known.x, dy = e.clientY - known.y;
    known.x = e.clientX;
    known.y = e.clientY;
    if (!gesture) return;
    if (gesture.kind === 'pan') {
      offsetX += dx;
      offsetY += dy;
      fitted = false;
      applyView();
    } else if (gesture.kind === 'hold') {
      const p = clampPoint(toPicture(e.clientX, e.clientY));
      if (p.x !== gesture.last.x || p.y !== gesture.last.y) { gesture.last = p; press('move', p); }
    } else if (gesture.kind === 'two' && pointers.size === 2) {
      const [a, b] = Array.from(pointers.values());
      const distance = Math.hypot(a.x - b.x, a.y - b.y);
      if (Math.abs(distance - gesture.distance) > 12) gesture.moved = true;
      if (gesture.moved && gesture.distance > 0) {
        const mid = local((a.x + b.x) / 2, (a.y + b.y) / 2);
        zoomAt(gesture.scale * distance / gesture.distance / scale, mid.x, mid.y);
      }
    } else if ((gesture.kind === 'cover' || gesture.kind === 'pending') &&
               Math.hypot(e.clientX - known.startX, e.clientY - known.startY) > 10) {
      // A finger that slides before pressing pans instead.
      clearTimeout(gesture.timer);
      gesture = { kind: 'pan' };
    }
  });

  function release(e) {
    const known = pointers.get(e.pointerId);
    if (!known) return;
    pointers.delete(e.pointerId);
    if (!gesture) return;
    const p = clampPoint(toPicture(e.clientX, e.clientY));
    if (gesture.kind === 'right') { press('rup', p); gesture = null; return; }
    if (gesture.kind === 'hold') { press('up', gesture.last); gesture = null; return; }
    if (gesture.kind === 'pending' || gesture.kind === 'cover') {
      clearTimeout(gesture.timer);
      press('down', gesture.point);
      press('up', gesture.point);
      gesture = null;
      return;
    }
    if (gesture.kind === 'two') {
      if (pointers.size === 1) {
        // The first finger up: a two-finger tap is the right button at the midpoint.
        const other = Array.from(pointers.values())[0];
        if (!gesture.moved && Date.now() - gesture.start < kTwoFingerTapMs) {
          const mid = clampPoint(toPicture((other.x + e.clientX) / 2, (other.y + e.clientY) / 2));
          press('rdown', mid);
          press('rup', mid);
        }
        gesture = { kind: 'done' };
      }
      return;
    }
    if (pointers.size === 0) gesture = null;
  }
  view.addEventListener('pointerup', release);
  view.addEventListener('pointercancel', release);
  document.getElementById('fit').addEventListener('click', fit);
  window.addEventListener('resize', function () { if (fitted) fit(); });

  fetch('/controls.json').then(function (r) { return r.json(); }).then(function (list) { state.controls = list; });
  fit();
  connect();
})();
