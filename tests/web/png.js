// Reads the 8-bit PNGs the tests compare: palette pictures from huemix-render (the
// indices and the 256 colours) and RGB(A) pictures from the page's snapshot.
'use strict';
const zlib = require('zlib');

// The chunks of a PNG in file order, each {type, data}.
function pngChunks(bytes) {
  const list = [];
  for (let pos = 8; pos < bytes.length; pos += 12 + bytes.readUInt32BE(pos)) {
    const length = bytes.readUInt32BE(pos);
    list.push({type: bytes.toString('latin1', pos + 4, pos + 8), data: bytes.subarray(pos + 8, pos + 8 + length)});
  }
  return list;
}

function readPng(bytes) {
  let width = 0, height = 0, colourType = 0, palette = null;
  const idat = [];
  for (const {type, data} of pngChunks(bytes)) {
    if (type === 'IHDR') {
      width = data.readUInt32BE(0);
      height = data.readUInt32BE(4);
      if (data[8] !== 8 || data[12] !== 0) throw new Error('only 8-bit, non-interlaced pictures');
      colourType = data[9];
    } else if (type === 'PLTE') {
      palette = data;
    } else if (type === 'IDAT') {
      idat.push(data);
    }
  }
  const channels = {0: 1, 2: 3, 3: 1, 6: 4}[colourType];
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const out = Buffer.alloc(stride * height);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; x++) {
      const a = x >= channels ? out[y * stride + x - channels] : 0;
      const b = y > 0 ? out[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? out[(y - 1) * stride + x - channels] : 0;
      let v = line[x];
      if (filter === 1) v += a;
      else if (filter === 2) v += b;
      else if (filter === 3) v += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      out[y * stride + x] = v & 255;
    }
  }
  return {width, height, channels, pixels: out, palette};
}

module.exports = {readPng, pngChunks};
