// The picture sweep: the core compiled to WebAssembly (its C library's sin, cos and
// log are musl's) against huemix-render (glibc's), picture by picture, indices and
// palette, over many seeds and sizes in the modes that take sines and logarithms.
//
//     node tests/web/libm_sweep.js SWEEP_JS HUEMIX_RENDER [SIZE:SEEDS ...] [--modes 1,3,4,9]
//
// SWEEP_JS is build/web/tests/huemix_picture_sweep.js. Prints one line per size and
// mode, and every picture that differs; exits 1 if any does.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const {execFileSync} = require('child_process');
const {readPng} = require('./png.js');

const args = process.argv.slice(2);
const [sweepJs, render] = args;
let modes = [1, 3, 4, 9];
const plan = [];
for (let i = 2; i < args.length; i++) {
  if (args[i] === '--modes') modes = args[++i].split(',').map(Number);
  else plan.push(args[i].split(':').map((v, k) => k ? Number(v) : v));
}
if (!plan.length) plan.push(['320x200', 100], ['640x400', 100], ['1920x1080', 12]);
const NAMES = ['splash', 'plasma', 'voronoi', 'phyllotaxis', 'string art', 'reaction-diffusion', 'landscape',
               'squares', 'Mandelbrot zoom', 'Buddhabrot'];

const core = require(path.resolve(sweepJs));
const file = path.join(os.tmpdir(), `huemix-sweep-${process.pid}.png`);
let differing = 0;
const started = Date.now();
for (const [size, seeds] of plan) {
  const [w, h] = size.split('x').map(Number);
  for (const mode of modes) {
    let same = 0;
    for (let i = 1; i <= seeds; i++) {
      const seed = Math.imul(i, 0x9E3779B1) >>> 0 || 1;  // spread over the whole range
      const p = core._SweepPicture(w, h, mode, seed);
      const indices = core.HEAPU8.subarray(p, p + w * h);
      const q = core._SweepPalette() >> 2;
      const palette = core.HEAPU32.subarray(q, q + 256);
      execFileSync(render, ['--size', size, '--mode', String(mode), '--seed', String(seed), '--threads', '1',
                            '-o', file]);
      const want = readPng(fs.readFileSync(file));
      let pixels = 0, first = -1;
      for (let k = 0; k < w * h; k++) {
        if (indices[k] !== want.pixels[k]) {
          pixels++;
          if (first < 0) first = k;
        }
      }
      let colours = 0;
      for (let k = 0; k < 256; k++) colours += palette[k] !== want.palette.readUIntBE(k * 3, 3);
      if (p && !pixels && !colours) {
        same++;
        continue;
      }
      differing++;
      console.log(`DIFFERS ${size} mode ${mode} seed 0x${seed.toString(16)}: ${p ? pixels : 'no picture'} pixels` +
                  (first >= 0 ? ` (first at ${first % w},${Math.floor(first / w)})` : '') + `, ${colours} colours`);
    }
    console.log(`${size} ${NAMES[mode]}: ${same} of ${seeds} pictures equal huemix-render's`);
  }
}
fs.rmSync(file, {force: true});
console.log(`${differing} picture(s) differ; ${((Date.now() - started) / 1000).toFixed(0)} s`);
process.exit(differing ? 1 : 0);
