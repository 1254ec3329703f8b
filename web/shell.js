// The page's side of Huemix, appended to Emscripten's loader. The same script runs on
// the page and in its worker: the page decodes the browser's events into the core's
// entry points (web_main.cpp) and shows the frames; the worker draws the slow
// pictures so that the page keeps cycling colours meanwhile.
var Huemix = {};

if (typeof ENVIRONMENT_IS_PTHREAD !== 'undefined' && ENVIRONMENT_IS_PTHREAD) {
  // A drawing thread of the threaded module: Emscripten's worker runs it.
} else if (typeof document === 'undefined') {
  // ---- the worker: one picture per message, from a random state ----
  var drawQueue = [];
  var drawReady = false;
  var drawAll = function() {
    while (drawReady && drawQueue.length) {
      var job = drawQueue.shift();
      var p = job.zoom ? _WebWorkerZoomFrame(job.state) : _WebWorkerDraw(job.width, job.height, job.mode, job.state);
      if (!p) {
        postMessage({ok: false, mode: job.mode});
        continue;
      }
      // Through the memory as it is now: in the module with threads another thread may
      // have grown it, which leaves HEAPU8 on the old buffer.
      var bytes = new Uint8Array(wasmMemory.buffer).slice(p, p + _WebCanvasWidth() * _WebCanvasHeight());
      postMessage({ok: true, bytes: bytes.buffer, state: _WebRandomState() >>> 0, mode: _WebCurrentMode(),
                   helperPieces: _WebHelperPieces()}, [bytes.buffer]);
    }
  };
  self.onmessage = function(e) { drawQueue.push(e.data); drawAll(); };
  Module.onRuntimeInitialized = function() { drawReady = true; drawAll(); };
} else {
  (function() {
    var KEY = {Escape: 0x1B, Enter: 0x0D, NumpadEnter: 0x0D, Space: 0x20, BracketLeft: 0xDB,
               BracketRight: 0xDD, Equal: 0xBB, Minus: 0xBD, NumpadAdd: 0x6B, NumpadSubtract: 0x6D,
               F1: 0x70, F11: 0x7A, F12: 0x7B};
    var PRESETS = ['RANDOM', 'FIRE', 'OCEAN', 'FOREST', 'GRAY', 'CGA', 'AMIGA', 'SUNSET', 'NEON', 'PASTEL', 'IBM'];
    var scriptUrl = document.currentScript ? document.currentScript.src : 'huemix.js';
    var canvas, context, worker = null;
    var queued = [];  // input that waits for the picture being drawn in the worker
    var downloads = {};
    var touch = null;

    // ---- the options in the address: every one checked, a bad one ignored ----
    var whole = function(lo, hi) {
      return function(v) { return /^[+-]?\d+$/.test(v) && +v >= lo && +v <= hi ? +v : undefined; };
    };
    var state = function(v) {
      var n = /^0x[0-9a-f]{1,8}$/i.test(v) || /^\d{1,10}$/.test(v) ? Number(v) : NaN;
      return n >= 1 && n <= 0xFFFFFFFF ? n : undefined;
    };
    var real = function(lo, hi) {
      return function(v) { return /^[+-]?(\d+\.?\d*|\.\d+)(e[+-]?\d+)?$/i.test(v) && +v >= lo && +v <= hi ? +v : undefined; };
    };
    var READERS = {
      mode: whole(0, 9), speed: whole(5, 500), windowed: whole(0, 1), seed: state, paletteseed: state,
      palette: function(v) { var i = PRESETS.indexOf(v.toUpperCase()); return i >= 0 ? i : undefined; },
      step: function(v) { return ['1', '2', '4', '8'].indexOf(v) >= 0 ? +v : undefined; },
      direction: function(v) { return v === '1' || v === '-1' ? +v : undefined; },
      paused: whole(0, 1), hue: real(-36000, 36000), saturation: real(0, 100), brightness: real(0, 100),
      bench: whole(1, 1), ticks: whole(0, 2147483647)
    };
    var DEFAULTS = {mode: 0, palette: -1, speed: 0, windowed: 0, seed: 0, paletteseed: 0, step: 1,
                    direction: 1, paused: 0, hue: 0, saturation: 1, brightness: 1, bench: 0, ticks: 0};
    Huemix.readOptions = function(search) {
      var o = Object.assign({}, DEFAULTS);
      new URLSearchParams(search).forEach(function(value, name) {
        var read = READERS[name];
        var v = read ? read(value) : undefined;
        if (v === undefined) {
          console.warn('Huemix: ' + (read ? 'bad value for ' : 'unknown option ') + name + '=' + value + ', ignored');
        } else {
          o[name] = v;
        }
      });
      return o;
    };

    // ---- showing the frame ----
    // The frame goes from the core's memory to a canvas of the page in one copy.
    var putFrame = function(target) {
      var p = _WebPresent();
      var w = canvas.width, h = canvas.height;
      target.putImageData(new ImageData(new Uint8ClampedArray(HEAPU8.buffer, p, w * h * 4), w, h), 0, 0);
    };
    // Where the browser allows it, the canvas belongs to a worker of its own that puts
    // the frames on it: the browser's own work with a whole canvas of pixels every
    // frame (its copy for the screen, 8 MB at 1920 x 1080, and far slower the first
    // time) is then done on that worker's thread, and the page's thread only composes
    // the frame and copies it into the one buffer that goes back and forth. Elsewhere,
    // or when that worker fails, the page puts the frames on a canvas itself.
    var display = null;
    var displayBuffer = null;   // here while the worker does not hold it
    var displayBehind = false;  // a frame came while the worker held the buffer
    var displayMain = function() {
      var target = null;
      onmessage = function(e) {
        if (e.data.canvas) {
          target = e.data.canvas.getContext('2d', {alpha: false});
          if (!target) throw new Error('no 2D context for the canvas');
          return;
        }
        target.putImageData(new ImageData(new Uint8ClampedArray(e.data.pixels), e.data.width, e.data.height), 0, 0);
        postMessage(e.data.pixels, [e.data.pixels]);
      };
    };
    var show = function() {
      if (!display) {
        putFrame(context);
        return;
      }
      if (!displayBuffer) {
        displayBehind = true;  // shown as soon as the buffer is back
        return;
      }
      var p = _WebPresent(), n = canvas.width * canvas.height * 4;
      new Uint8Array(displayBuffer).set(HEAPU8.subarray(p, p + n));
      display.postMessage({pixels: displayBuffer, width: canvas.width, height: canvas.height}, [displayBuffer]);
      displayBuffer = null;
      displayBehind = false;
    };
    // The worker failed: from now on the page shows the frames, on a new canvas in
    // place of the one the worker had.
    var showHere = function() {
      display.terminate();
      display = null;
      var fresh = document.createElement('canvas');
      fresh.id = canvas.id;
      fresh.width = canvas.width;
      fresh.height = canvas.height;
      fresh.style.cssText = canvas.style.cssText;
      canvas.replaceWith(fresh);
      canvas = fresh;
      listenToCanvas();
      context = canvas.getContext('2d', {alpha: false});
      show();
    };
    var startDisplay = function() {
      if (typeof OffscreenCanvas === 'undefined' || !canvas.transferControlToOffscreen) return false;
      var url = URL.createObjectURL(new Blob(['(' + displayMain + ')();'], {type: 'text/javascript'}));
      try {
        displayBuffer = new ArrayBuffer(canvas.width * canvas.height * 4);
        display = new Worker(url);
      } catch (e) {
        URL.revokeObjectURL(url);
        displayBuffer = null;
        return false;
      }
      var offscreen = canvas.transferControlToOffscreen();
      display.postMessage({canvas: offscreen}, [offscreen]);
      display.onmessage = function(e) {
        URL.revokeObjectURL(url);
        displayBuffer = e.data;
        if (displayBehind) show();
      };
      display.onerror = function(e) {
        e.preventDefault();
        URL.revokeObjectURL(url);
        console.log('Huemix: the page shows the frames itself: ' + e.message);
        showHere();
      };
      return true;
    };
    var place = {x: 0, y: 0, width: 0, height: 0};  // the picture's, in CSS pixels
    var fit = function() {
      var p = _WebFit(window.innerWidth, window.innerHeight) >> 2;
      place = {x: HEAP32[p], y: HEAP32[p + 1], width: HEAP32[p + 2], height: HEAP32[p + 3]};
      canvas.style.left = place.x + 'px';
      canvas.style.top = place.y + 'px';
      canvas.style.width = place.width + 'px';
      canvas.style.height = place.height + 'px';
      placeExtra();
    };

    // ---- the help screen's box (its link button) over none of the help's text ----
    // The places the help leaves bare (web_help.cpp), then the bars beside the
    // picture: the first that holds the box whole, with a few pixels clear around
    // it, or else the one that holds it largest, the box shrunk to fit.
    var EXTRA_CLEAR = 4;
    var placeExtra = function() {
      var box = document.getElementById('extra');
      if (box.hidden) return;
      box.style.left = box.style.top = '0';  // measured where the whole window is free
      box.style.transform = '';
      var w = box.offsetWidth, h = box.offsetHeight, k = place.width / canvas.width;
      var p = _WebHelpSpaces() >> 2, spaces = [];
      for (var i = 0; i < 4; i++, p += 4) {
        spaces.push([place.x + HEAP32[p] * k, place.y + HEAP32[p + 1] * k,
                     place.x + HEAP32[p + 2] * k, place.y + HEAP32[p + 3] * k]);
      }
      var right = place.x + place.width, bottom = place.y + place.height;
      spaces.push([0, 0, window.innerWidth, place.y], [0, bottom, window.innerWidth, window.innerHeight],
                  [0, 0, place.x, window.innerHeight], [right, 0, window.innerWidth, window.innerHeight]);
      var best = spaces[0], scale = -1;
      spaces.forEach(function(r) {
        var s = Math.min(1, (r[2] - r[0]) / (w + 2 * EXTRA_CLEAR), (r[3] - r[1]) / (h + 2 * EXTRA_CLEAR));
        if (s > scale) {
          best = r;
          scale = s;
        }
      });
      scale = Math.max(scale, 0);
      box.style.left = Math.round(best[0] + (best[2] - best[0] - w * scale) / 2) + 'px';
      box.style.top = Math.round(best[1] + (best[3] - best[1] - h * scale) / 2) + 'px';
      if (scale < 1) box.style.transform = 'scale(' + scale + ')';
    };
    // A hidden page asks for no frames at all (browsers also stop them in a hidden
    // tab); back in sight, the first frame turns the rotation once, from now, instead
    // of replaying the missed steps (web_main.cpp).
    var framesAsked = false;
    var frame = function(now) {
      framesAsked = false;
      if (document.hidden) return;
      Huemix.frames++;
      if (_WebFrame(now)) show();
      askFrame();
    };
    var askFrame = function() {
      if (framesAsked || document.hidden) return;
      framesAsked = true;
      requestAnimationFrame(frame);
    };
    Huemix.frames = 0;  // animation frames run, for the tests

    // ---- input: straight to the core, or after the picture being drawn ----
    var afterInput = function() {
      var help = _WebHelpShown() !== 0, box = document.getElementById('extra');
      if (box.hidden === help) {
        box.hidden = !help;
        placeExtra();
      }
    };
    var act = function(f) {
      if (_WebPending()) {
        queued.push(f);
        return;
      }
      f();
      afterInput();
    };
    Huemix.act = act;  // for share_hooks.js's keys and buttons
    var drainQueue = function() {
      while (queued.length && !_WebPending()) queued.shift()();
      afterInput();
    };

    // The program's virtual-key code of a key event, or 0. Letters follow the layout,
    // as the program's do; the digits are the main keyboard's.
    var keyCode = function(e) {
      if (e.key === '+') return KEY.Equal;
      if (e.key === '-') return KEY.Minus;
      if (KEY[e.code] !== undefined) return KEY[e.code];
      var m = /^Digit([1-9])$/.exec(e.code);
      if (m) return 0x30 + +m[1];
      if (/^[a-z]$/i.test(e.key)) return e.key.toUpperCase().charCodeAt(0);
      return 0;
    };
    var onKey = function(e) {
      var code = keyCode(e);
      // The browser keeps its own shortcuts; Ctrl+S is the program's.
      if (e.altKey || e.metaKey || (e.ctrlKey && code !== 0x53) || code === 0) return;
      e.preventDefault();
      if (code === 0x4C) {  // L: the link to this picture
        if (!e.repeat) act(Huemix.copyLink);
        return;
      }
      var ctrl = e.ctrlKey ? 1 : 0, shift = e.shiftKey ? 1 : 0;
      if (code === KEY.F11) {
        _WebKey(code, ctrl, shift);  // inside the key's own event: full screen needs it
        return;
      }
      act(function() { _WebKey(code, ctrl, shift); });
    };

    // A tap is a new picture, a swipe to the side the next or previous mode, a tap
    // with two fingers the help screen.
    var onTouchStart = function(e) {
      e.preventDefault();
      var t = e.touches[0];
      if (!touch) touch = {x: t.clientX, y: t.clientY, time: performance.now(), fingers: 0, dx: 0, dy: 0};
      touch.fingers = Math.max(touch.fingers, e.touches.length);
    };
    var onTouchMove = function(e) {
      e.preventDefault();
      if (!touch) return;
      touch.dx = e.touches[0].clientX - touch.x;
      touch.dy = e.touches[0].clientY - touch.y;
    };
    var onTouchEnd = function(e) {
      e.preventDefault();
      if (!touch || e.touches.length) return;
      var g = touch;
      touch = null;
      var moved = Math.hypot(g.dx, g.dy);
      if (Math.abs(g.dx) > 50 && Math.abs(g.dx) > 2 * Math.abs(g.dy)) {
        act(g.dx < 0 ? _WebRightButton : _WebPreviousMode);
      } else if (moved < 20 && performance.now() - g.time < 600) {
        act(g.fingers >= 2 ? function() { _WebKey(KEY.F1, 0, 0); } : _WebLeftButton);
      }
    };

    // The mouse and touch on the canvas (again on the one that replaces it).
    var listenToCanvas = function() {
      canvas.addEventListener('mousedown', function(e) {
        if (e.button === 0) act(_WebLeftButton);
        if (e.button === 2) act(_WebRightButton);
      });
      canvas.addEventListener('touchstart', onTouchStart, {passive: false});
      canvas.addEventListener('touchmove', onTouchMove, {passive: false});
      canvas.addEventListener('touchend', onTouchEnd, {passive: false});
    };

    // ---- the worker ----
    var jobs = [];  // sent to the worker and not answered yet
    var send = function(job) {
      jobs.push(job);
      worker.postMessage(job);
    };
    Huemix.drawInWorker = function(width, height, mode, randomState) {
      send({width: width, height: height, mode: mode, state: randomState >>> 0});
    };
    Huemix.zoomInWorker = function(randomState) {
      send({zoom: true, mode: 8, state: randomState >>> 0});
    };
    // Where the page is cross-origin isolated the worker takes the module with
    // WebAssembly threads, whose memory is shared; anywhere else the page's own.
    Huemix.threaded = typeof crossOriginIsolated !== 'undefined' && crossOriginIsolated === true &&
                      typeof SharedArrayBuffer === 'function';
    Huemix.helperPieces = 0;  // pieces of pictures drawn by the worker's helper threads
    var startWorker = function() {
      try {
        worker = new Worker(Huemix.threaded ? scriptUrl.replace(/huemix\.js$/, 'huemix-mt.js') : scriptUrl);
      } catch (e) {
        console.log('Huemix: no worker, every picture is drawn on the page: ' + e);
        return 0;
      }
      var answered = false;
      worker.onmessage = function(e) {
        var d = e.data;
        answered = true;
        jobs.shift();
        if (d.ok) {
          Huemix.helperPieces = d.helperPieces;
          HEAPU8.set(new Uint8Array(d.bytes), _WebCanvas());
          _WebPictureDrawn(d.state, d.mode);
        } else {
          _WebDrawHere(d.mode);
        }
        drainQueue();
      };
      worker.onerror = function(e) {
        e.preventDefault();
        if (Huemix.threaded && !answered) {
          // The module with threads could not start here: the one without takes its
          // jobs over, so the page keeps its worker.
          console.log('Huemix: no drawing threads, one thread draws: ' + e.message);
          worker.terminate();
          Huemix.threaded = false;
          if (startWorker()) {
            jobs.forEach(function(job) { worker.postMessage(job); });
            return;
          }
        }
        console.log('Huemix: the worker failed, pictures are drawn on the page: ' + e.message);
        jobs = [];
        _WebSetWorker(0);
        if (_WebPending()) _WebDrawHere(HEAP32[_WebLinkValues() >> 2]);
        drainQueue();
      };
      return 1;
    };

    // ---- the link to this picture and the snapshot ----
    Huemix.link = function() {
      var v = _WebLinkValues() >> 2, a = _WebLinkAdjustment() >> 3;
      var hex = function(n) { return '0x' + (n >>> 0).toString(16).toUpperCase(); };
      var q = 'mode=' + HEAPU32[v] + '&seed=' + hex(HEAPU32[v + 1]) + '&paletteseed=' + hex(HEAPU32[v + 2]) +
              '&palette=' + PRESETS[HEAPU32[v + 3]].toLowerCase() + '&speed=' + HEAPU32[v + 4] +
              '&step=' + HEAPU32[v + 5] + '&direction=' + HEAP32[v + 6] + '&paused=' + HEAPU32[v + 7];
      if (HEAPF64[a] !== 0 || HEAPF64[a + 1] !== 1 || HEAPF64[a + 2] !== 1) {
        q += '&hue=' + HEAPF64[a] + '&saturation=' + HEAPF64[a + 1] + '&brightness=' + HEAPF64[a + 2];
      }
      return location.origin + location.pathname + '?' + q;
    };
    Huemix.copyLink = function() {
      var url = Huemix.link();
      Huemix.lastLink = url;
      console.log('Huemix: link to this picture: ' + url);
      var note = document.getElementById('note');
      note.textContent = 'Link copied';
      setTimeout(function() { note.textContent = ''; }, 1500);
      if (navigator.clipboard) navigator.clipboard.writeText(url).catch(function() {});
    };
    Huemix.save = function(blob, name) {
      var a = document.createElement('a');
      a.href = URL.createObjectURL(blob);
      a.download = name;
      a.click();
      setTimeout(function() { URL.revokeObjectURL(a.href); }, 10000);
    };
    Huemix.download = function(name) {
      downloads[name] = true;
      // The encoder runs later, when the page's canvas may show another frame: it
      // gets a canvas of its own with the frame as last composed, and the recipe of
      // this moment.
      var still = document.createElement('canvas'), recipe = UTF8ToString(_WebLinkText(1));
      still.width = canvas.width;
      still.height = canvas.height;
      putFrame(still.getContext('2d', {alpha: false}));
      still.toBlob(function(blob) {
        Huemix.share('pngWithRecipe', blob, recipe).catch(function(e) {
          console.log('Huemix: the snapshot is saved without its recipe: ' + e.message);
          return blob;
        }).then(function(png) { Huemix.save(png, name); });
      }, 'image/png');
    };
    Huemix.downloaded = function(name) { return downloads[name] === true; };

    // ---- for tests and the curious: the core's buffers ----
    Huemix.indices = function() { var p = _WebCanvas(); return HEAPU8.slice(p, p + canvas.width * canvas.height); };
    Huemix.palette = function() { var p = _WebPalette() >> 2; return HEAPU32.slice(p, p + 256); };
    Huemix.frame = function() { var p = _WebFramePixels() >> 2; return HEAPU32.slice(p, p + canvas.width * canvas.height); };
    Huemix.busy = function() { return _WebPending() !== 0 || queued.length > 0; };
    Huemix.mode = function() { return _WebCurrentMode(); };
    Huemix.zoomFrames = function() { return _WebZoomFrames(); };
    Huemix.helpShown = function() { return _WebHelpShown() !== 0; };
    Huemix.framesShownBy = function() { return display ? 'worker' : 'page'; };
    // The code path of each user of the vector paths, in the order of KernelUser.
    Huemix.kernels = function() {
      var names = ['plain', 'sse2', 'avx2', 'avx512'], paths = [];
      for (var user = 0; user < 7; user++) paths.push(names[_WebKernelOf(user)]);
      return paths;
    };

    // ---- the benchmark: every mode drawn here, then the frame composed and shown ----
    var BENCH = ['splash', 'plasma', 'voronoi', 'phyllotaxis', 'string-art', 'reaction-diffusion', 'landscape',
                 'squares', 'mandelbrot-zoom', 'buddhabrot'];
    var BENCH_SPAN_MS = 20, BENCH_REPS_MAX = 200;
    var median = function(v) { v.sort(function(a, b) { return a - b; }); return v[v.length >> 1]; };
    Huemix.bench = function(seed) {
      var lines = [], size = canvas.width + 'x' + canvas.height, note = document.getElementById('note');
      var say = function(line) { lines.push(line); console.log(line); note.textContent = line; };
      say('first-picture ' + size + ' ' + Huemix.firstPictureMs.toFixed(1));
      return new Promise(function(done) {
        var mode = 0;
        var next = function() {
          if (mode < BENCH.length) {
            // Each figure is a median of five, each of those the time of enough
            // pictures in a row to last about 20 ms, divided by their number (the
            // clock may count in 0.1 ms), after one picture that finds that number.
            // Reaction-diffusion and the Buddhabrot: that one picture alone.
            var first = _WebBenchMode(mode, seed, 1), times = [first];
            if (mode !== 5 && mode !== 9) {
              var reps = Math.min(BENCH_REPS_MAX, Math.max(1, Math.ceil(BENCH_SPAN_MS / Math.max(first, 0.1))));
              times = [];
              for (var r = 0; r < 5; r++) times.push(_WebBenchMode(mode, seed, reps) / reps);
            }
            say(BENCH[mode] + ' ' + size + ' ' + median(times).toFixed(3));
            mode++;
            setTimeout(next, 0);
            return;
          }
          // Put on a canvas of the page's own, as where no worker shows the frames.
          var still = document.createElement('canvas');
          still.width = canvas.width;
          still.height = canvas.height;
          var stillContext = still.getContext('2d', {alpha: false}), frames = [];
          for (var i = 0; i < 50; i++) {
            var t0 = performance.now();
            _WebCompose();
            putFrame(stillContext);
            frames.push(performance.now() - t0);
          }
          say('compose-and-show ' + size + ' ' + median(frames).toFixed(3));
          done(lines);
        };
        setTimeout(next, 0);
      });
    };

    var start = function() {
      var o = Huemix.readOptions(location.search);
      var dpr = window.devicePixelRatio || 1;
      var width = Math.round(screen.width * dpr), height = Math.round(screen.height * dpr);
      _WebSetWorker(startWorker());
      canvas = document.getElementById('art');
      var rc = _WebStart(width, height, o.mode, o.palette, o.speed, o.windowed, o.seed, o.paletteseed, o.step,
                         o.direction, o.paused, o.hue, o.saturation, o.brightness);
      if (rc !== 0) {
        document.getElementById('note').textContent = 'Not enough memory for a ' + width + ' x ' + height + ' picture.';
        return;
      }
      if (o.ticks) _WebStartTicks(o.ticks);  // a recipe's, from an opened PNG
      canvas.width = _WebCanvasWidth();
      canvas.height = _WebCanvasHeight();
      listenToCanvas();
      if (!startDisplay()) context = canvas.getContext('2d', {alpha: false});
      fit();
      show();
      Huemix.firstPictureMs = performance.now();  // since the page was opened
      var touchScreen = navigator.maxTouchPoints > 0 || 'ontouchstart' in window;
      document.getElementById('gestures').hidden = !touchScreen;
      window.addEventListener('resize', fit);
      document.addEventListener('fullscreenchange', fit);
      document.addEventListener('keydown', onKey);
      document.addEventListener('contextmenu', function(e) { e.preventDefault(); });
      document.addEventListener('wheel', function(e) {
        e.preventDefault();
        if (e.deltaY !== 0) act(function() { _WebWheel(e.deltaY < 0 ? 120 : -120); });
      }, {passive: false});
      document.getElementById('link').addEventListener('click', function(e) {
        e.stopPropagation();
        act(Huemix.copyLink);
      });
      Huemix.started = true;
      if (new URLSearchParams(location.search).get('bench') === '1') {
        Huemix.bench(o.seed || 0x5EED1234).then(function(lines) { Huemix.benchLines = lines; });
        return;  // no cycling: the figures are the page's only work
      }
      document.addEventListener('visibilitychange', askFrame);
      askFrame();
    };
    Module.onRuntimeInitialized = start;
  })();
}
