// The page's sharing, loaded the first time it is used (share_hooks.js): a video of one
// colour-cycling loop, made in a worker (huemix-video.js) while the page cycles on; the
// recipe in the page's PNGs; and a PNG opened by its recipe, as its link opens.
(function() {
  var SOFTWARE = 'Huemix @HUEMIX_VERSION@';
  var base = document.currentScript ? document.currentScript.src.replace(/[^/]*$/, '') : '';
  var note = document.getElementById('note');
  var noteTimer = 0;
  var say = function(text, ms) {
    note.textContent = text;
    clearTimeout(noteTimer);
    if (ms) noteTimer = setTimeout(function() { note.textContent = ''; }, ms);
  };

  // ---- the video of the loop ----
  // H.264 in MP4 where the browser encodes it, else VP9 or VP8 in WebM.
  var CODECS = ['avc', 'vp9', 'vp8'];
  var maker = null;  // the worker making the video
  var finish = null;
  Huemix.videoBusy = false;

  var stop = function(result) {
    if (maker) maker.terminate();
    maker = null;
    Huemix.videoBusy = false;
    finish(result);
  };
  // The loop from the colours on the screen now, at the rotation set now, over the
  // picture alone (the Canvas: no help, strip or hint). Resolves with what became of
  // it. The codecs may be given, for the tests; else the first this browser has.
  Huemix.saveVideo = function(codecs) {
    if (Huemix.videoBusy) return Promise.resolve({failed: 'a video is being made'});
    if (typeof VideoEncoder === 'undefined' || typeof VideoFrame === 'undefined') {
      say('This browser cannot make videos: it has no WebCodecs video encoder.', 5000);
      return Promise.resolve({failed: 'no WebCodecs'});
    }
    var p = _WebLoopPalettes();
    if (!p) {
      say('Not enough memory for a video.', 5000);
      return Promise.resolve({failed: 'no memory'});
    }
    var frames = _WebLoopTicks(), seamless = _WebLoopSeamless() !== 0;
    var palettes = HEAPU32.slice(p >> 2, (p >> 2) + 256 * frames);
    // Encoders take an even size: an odd last column or row is left out.
    var cw = _WebCanvasWidth(), width = cw & ~1, height = _WebCanvasHeight() & ~1;
    var indices = new Uint8Array(width * height), canvas = _WebCanvas();
    for (var y = 0; y < height; y++) indices.set(HEAPU8.subarray(canvas + y * cw, canvas + y * cw + width), y * width);
    var job = {width: width, height: height, indices: indices.buffer, palettes: palettes.buffer,
               intervalMs: HEAPU32[(_WebLinkValues() >> 2) + 4], recipe: UTF8ToString(_WebLinkText(1)),
               codecs: codecs || CODECS};
    var name = UTF8ToString(_WebSnapshotName()) || 'kvhuemix.png';
    var warning = seamless ? '' : ' The colours do not come back: this video will not loop seamlessly.';
    try {
      maker = new Worker(base + 'huemix-video.js');
    } catch (e) {
      say('The video could not be made: ' + e.message, 5000);
      return Promise.resolve({failed: String(e.message)});
    }
    Huemix.videoBusy = true;
    say('Video: starting (Esc cancels).' + warning);
    var format = '';
    return new Promise(function(resolve) {
      finish = resolve;
      maker.onmessage = function(e) {
        var d = e.data;
        if (d.container) {
          format = d.format;
        } else if (d.progress) {
          say('Video (' + format + '): ' + d.progress + ' of ' + d.frames + ' frames (Esc cancels).' + warning);
        } else if (d.failed) {
          say('The video could not be made: ' + d.failed, 5000);
          stop({failed: d.failed});
        } else if (d.file) {
          var file = new Blob([d.file], {type: d.mime});
          name = name.replace(/\.png$/, '.' + d.extension);
          Huemix.save(file, name);
          say('Video saved as ' + name + '.' + warning, 5000);
          stop({name: name, format: d.format, file: file, seamless: seamless});
        }
      };
      maker.onerror = function(e) {
        e.preventDefault();
        say('The video could not be made: ' + (e.message || 'its worker failed'), 5000);
        stop({failed: e.message || 'worker failed'});
      };
      maker.postMessage(job, [job.indices, job.palettes]);
    });
  };
  // Nothing is kept of a video not finished: the worker and all it made are gone.
  Huemix.cancelVideo = function() {
    if (!Huemix.videoBusy) return;
    say('Video cancelled.', 3000);
    stop({cancelled: true});
  };

  // ---- the recipe in a PNG: two tEXt chunks right after IHDR ----
  var CRC_TABLE = new Uint32Array(256);
  for (var n = 0; n < 256; n++) {
    var c = n;
    for (var k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320 ^ (c >>> 1) : c >>> 1;
    CRC_TABLE[n] = c >>> 0;
  }
  var crc32 = function(bytes) {
    var c = 0xFFFFFFFF;
    for (var i = 0; i < bytes.length; i++) c = CRC_TABLE[(c ^ bytes[i]) & 0xFF] ^ (c >>> 8);
    return (c ^ 0xFFFFFFFF) >>> 0;
  };
  var ascii = function(text) { return Uint8Array.from(text, function(ch) { return ch.charCodeAt(0) & 0xFF; }); };
  var textChunk = function(keyword, text) {
    var data = ascii(keyword + '\0' + text), chunk = new Uint8Array(12 + data.length), view = new DataView(chunk.buffer);
    view.setUint32(0, data.length);
    chunk.set(ascii('tEXt'), 4);
    chunk.set(data, 8);
    view.setUint32(8 + data.length, crc32(chunk.subarray(4, 8 + data.length)));
    return chunk;
  };
  var SIGNATURE = [0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A];
  var IHDR_END = 8 + 12 + 13;
  var latin1 = function(bytes, at, n) { return String.fromCharCode.apply(null, bytes.subarray(at, at + n)); };
  var chunkType = function(bytes, at) { return latin1(bytes, at, 4); };
  Huemix.pngWithRecipe = function(blob, recipe) {
    return blob.arrayBuffer().then(function(buffer) {
      var png = new Uint8Array(buffer);
      if (png.length < IHDR_END || SIGNATURE.some(function(b, i) { return png[i] !== b; }) || chunkType(png, 12) !== 'IHDR') {
        throw new Error('the browser gave no PNG');
      }
      return new Blob([png.subarray(0, IHDR_END), textChunk('Software', SOFTWARE), textChunk('Comment', recipe),
                       png.subarray(IHDR_END)], {type: 'image/png'});
    });
  };

  // ---- a PNG opened by its recipe ----
  // As the renderer reads one: the chunks before the picture data (at most 8 MiB of
  // them, those not wanted skipped unread) and the file's last 12 bytes, its IEND.
  var MOST_BEFORE_DATA = 8 << 20, MOST_CHUNKS = 10000;
  var IEND = [0, 0, 0, 0, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82];
  var read = function(file, from, to) {
    return file.slice(from, to).arrayBuffer().then(function(b) { return new Uint8Array(b); });
  };
  var refuse = function(why) { throw new Error(why); };
  // The Comment text's bytes, or an Error saying why there is none.
  Huemix.pngRecipe = async function(file) {
    var size = file.size, capacity = 511;  // the longest recipe (kRecipeCapacity less its zero)
    var head = await read(file, 0, 8);
    if (head.length < 8 || SIGNATURE.some(function(b, i) { return head[i] !== b; })) refuse('not a PNG file');
    var tail = await read(file, Math.max(8, size - 12), size);
    if (tail.length < 12 || IEND.some(function(b, i) { return tail[i] !== b; })) {
      refuse('the file is cut short (it does not end in an IEND chunk)');
    }
    for (var pos = 8, count = 0; count < MOST_CHUNKS; count++) {
      if (pos + 12 > size) refuse('the file ends before its picture data');
      var header = await read(file, pos, pos + 8), length = new DataView(header.buffer).getUint32(0), type = chunkType(header, 4);
      if (type === 'IDAT' || type === 'IEND') refuse('no recipe in it (no Comment text before the picture data)');
      if (length > 0x7FFFFFFF || pos + 12 + length > size) refuse('a damaged PNG file (a chunk runs past its end)');
      if (pos + 12 + length > MOST_BEFORE_DATA) refuse('more than 8 MiB before its picture data, too much for a recipe');
      if (type === 'tEXt' && length >= 8 && latin1(await read(file, pos + 8, pos + 16), 0, 8) === 'Comment\0') {
        if (length - 8 > capacity) refuse('its Comment is too long to be a recipe (' + (length - 8) + ' bytes)');
        var chunk = await read(file, pos + 4, pos + 12 + length);
        if (new DataView(chunk.buffer).getUint32(4 + length) !== crc32(chunk.subarray(0, 4 + length))) {
          refuse('a damaged PNG file (its Comment fails its check)');
        }
        var text = chunk.slice(4 + 8, 4 + length);
        if (text.indexOf(0) >= 0) refuse('a damaged PNG file (a zero byte in its Comment)');
        return text;
      }
      pos += 12 + length;
    }
    refuse('too many chunks before its picture data');
  };
  // The recipe read by the core's own reader, in a worker of the video module.
  var readRecipe = function(text) {
    return new Promise(function(resolve, reject) {
      var reader = new Worker(base + 'huemix-video.js');
      reader.onmessage = function(e) {
        reader.terminate();
        if (e.data.recipe) resolve(e.data.answer);
        else reject(new Error(e.data.answer || e.data.failed));
      };
      reader.onerror = function(e) {
        e.preventDefault();
        reader.terminate();
        reject(new Error('its recipe could not be read here'));
      };
      reader.postMessage({readRecipe: text.buffer}, [text.buffer]);
    });
  };
  // Opens the picture as its link does, at this screen's size; or says in a short note
  // why not, and the picture on the screen stays. Resolves with the reason, if any.
  Huemix.openPicture = function(file) {
    return Huemix.pngRecipe(file).then(readRecipe).then(function(parameters) {
      location.assign(location.pathname + '?' + parameters);
      return '';
    }, function(e) {
      say('Not opened: ' + e.message + '.', 6000);
      return e.message;
    });
  };
})();
