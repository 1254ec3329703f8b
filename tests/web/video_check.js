// What the video test and the video benchmark share: the site served on this machine,
// and a video of the page's loop recorded and decoded back in the page.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');

const TYPES = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm'};

// The site from a plain static host, on a free port of 127.0.0.1.
async function serveSite(site) {
  const server = http.createServer((req, res) => {
    const file = path.join(site, path.normalize(new URL(req.url, 'http://x').pathname.replace(/^\/$/, '/index.html')));
    fs.readFile(file, (err, data) => {
      res.writeHead(err ? 404 : 200, {'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream'});
      res.end(data);
    });
  }).listen(0, '127.0.0.1');
  await new Promise(r => server.on('listening', r));
  return {server, origin: `http://127.0.0.1:${server.address().port}`};
}

// Runs in the page: records the loop with these codecs, from the colours on the screen
// at the call, and decodes it back with the browser's VideoDecoder (Mediabunny reads
// the file). Each decoded frame's luma is compared with the exact frame of its tick:
// the Canvas's indices under the palette turned that many ticks on, the ring of
// colours 1..255 turned step x direction places a tick, converted by BT.601 in studio
// range as a video holds it. Returns the figures; no frame is kept.
async function recordAndDecode(codecs) {
  await Huemix.share('cancelVideo');  // huemix-share.js loaded, so that the call below starts at once
  if (typeof Mediabunny === 'undefined') {
    await new Promise((loaded, failed) => {
      const s = document.createElement('script');
      s.src = 'mediabunny.js';
      s.onload = loaded;
      s.onerror = failed;
      document.head.appendChild(s);
    });
  }
  const indices = Huemix.indices(), first = Huemix.palette(), width = _WebCanvasWidth();
  const values = _WebLinkValues() >> 2, places = ((HEAP32[values + 5] * HEAP32[values + 6]) % 255 + 255) % 255;
  const recipe = UTF8ToString(_WebLinkText(1));
  const started = performance.now();
  const made = await Huemix.saveVideo(codecs);
  const readyMs = performance.now() - started;
  if (!made.file) return {failed: made.failed || 'cancelled'};

  const luma = c => Math.round(16 + (65.481 * (c >> 16 & 255) + 128.553 * (c >> 8 & 255) + 24.966 * (c & 255)) / 255);
  const exactLuma = tick => {
    const table = new Uint8Array(256);
    for (let i = 0; i < 256; i++) table[i] = luma(i === 0 ? first[0] : first[1 + (i - 1 + tick * places) % 255]);
    return table;
  };
  const input = new Mediabunny.Input({source: new Mediabunny.BlobSource(made.file), formats: Mediabunny.ALL_FORMATS});
  const track = await input.getPrimaryVideoTrack();
  const tags = await input.getMetadataTags();
  const seconds = await input.computeDuration();
  const psnr = [], timestamps = [];
  let w = 0, h = 0, decodeError = null;
  const decoded = [];
  const decoder = new VideoDecoder({output: f => decoded.push(f), error: e => { decodeError = e; }});
  decoder.configure(await track.getDecoderConfig());
  const measure = frame => {
    const tick = psnr.length, table = exactLuma(tick);
    w = frame.visibleRect.width;
    h = frame.visibleRect.height;
    const buffer = new Uint8Array(frame.allocationSize());
    return frame.copyTo(buffer).then(layout => {
      let squares = 0;
      for (let y = 0; y < frame.visibleRect.height; y++) {
        const row = layout[0].offset + y * layout[0].stride;
        for (let x = 0; x < frame.visibleRect.width; x++) {
          const d = buffer[row + x] - table[indices[y * width + x]];
          squares += d * d;
        }
      }
      const mse = squares / (frame.visibleRect.width * frame.visibleRect.height);
      psnr.push(mse === 0 ? 99 : 10 * Math.log10(255 * 255 / mse));
      timestamps.push(frame.timestamp);
      frame.close();
    });
  };
  const sink = new Mediabunny.EncodedPacketSink(track);
  for await (const packet of sink.packets()) {
    decoder.decode(packet.toEncodedVideoChunk());
    while (decoded.length) await measure(decoded.shift());
  }
  await decoder.flush();
  while (decoded.length) await measure(decoded.shift());
  decoder.close();
  return {name: made.name, format: made.format, seamless: made.seamless, bytes: made.file.size, readyMs,
          codec: track.codec, width: w, height: h, seconds, comment: tags.comment, recipe,
          intervalMs: HEAP32[values + 4], frames: psnr.length, timestamps, psnr, decodeError: decodeError && String(decodeError)};
}

module.exports = {serveSite, recordAndDecode};
