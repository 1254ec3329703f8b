// Drives the browser build in headless Chromium: every mode's picture against
// huemix-render's, the colour cycling, keys, touch, the snapshot, resizing, the
// address's options, the link, and the page's main thread while every mode draws.
//
//     node tests/web/test_page.js SITE_DIR HUEMIX_RENDER OUT_DIR
//
// Screenshots of every mode go to OUT_DIR. Exits 1 on the first failed check.
'use strict';
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const {execFileSync} = require('child_process');
const puppeteer = require('puppeteer-core');
const {readPng} = require('./png.js');
const {mainThreadTasks, median, REFERENCE_MS, MOST_WORK_MS} = require('./main_thread.js');

const [site, render, out] = process.argv.slice(2);
const TYPES = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm'};
const W = 640, H = 400, SEED = 0x5EED1234;
const ISOLATION = {'Cross-Origin-Opener-Policy': 'same-origin', 'Cross-Origin-Embedder-Policy': 'require-corp'};
const PALETTES = ['amiga', 'fire', 'pastel', 'neon', 'ocean', 'forest', 'sunset', 'cga', 'amiga', 'fire'];
let failed = 0;

function check(ok, what) {
  console.log((ok ? 'ok   ' : 'FAIL ') + what);
  if (!ok) failed++;
}
const sleep = ms => new Promise(r => setTimeout(r, ms));
const sameBytes = (a, b) => a.length === b.length && Buffer.compare(Buffer.from(a), Buffer.from(b)) === 0;

// huemix-render's picture: the indices and the palette as 0x00RRGGBB.
function reference(args) {
  const file = path.join(os.tmpdir(), `huemix-web-ref-${process.pid}.png`);
  execFileSync(render, [...args, '--size', `${W}x${H}`, '--threads', '1', '-o', file]);
  const png = readPng(fs.readFileSync(file));
  fs.unlinkSync(file);
  const palette = [];
  for (let i = 0; i < 256; i++) palette.push(png.palette.readUIntBE(i * 3, 3));
  return {indices: png.pixels, palette};
}


async function main() {
  // The site as a plain static host serves it, and under /isolated/ with the headers
  // that make the page cross-origin isolated (scripts/web.sh --isolated); under
  // /isolated-broken/ too, but with a threaded module that fails as it starts.
  const server = http.createServer((req, res) => {
    let url = new URL(req.url, 'http://x').pathname;
    const prefix = (/^\/isolated(-broken)?\//.exec(url) || [''])[0];
    const isolated = prefix !== '';
    url = url.slice(Math.max(prefix.length - 1, 0));
    const name = path.join(site, path.normalize(url === '/' ? '/index.html' : url));
    fs.readFile(name, (err, data) => {
      if (err) { res.writeHead(404); res.end(); return; }
      if (prefix === '/isolated-broken/' && url === '/huemix-mt.js') data = 'throw new Error("no threads here");';
      const headers = {'Content-Type': TYPES[path.extname(name)] || 'application/octet-stream'};
      if (isolated) Object.assign(headers, ISOLATION);
      res.writeHead(200, headers);
      res.end(data);
    });
  }).listen(0, '127.0.0.1');
  await new Promise(r => server.on('listening', r));
  const origin = `http://127.0.0.1:${server.address().port}`;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'huemix-chromium-'));
  const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'huemix-downloads-'));
  fs.mkdirSync(out, {recursive: true});
  const browser = await puppeteer.launch({
    // No viewport of puppeteer's own: it would replace each page's (open's) while a
    // screenshot is taken.
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true, userDataDir: profile, defaultViewport: null,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
           '--disable-sync', '--no-first-run']});
  const problems = [];
  const warnings = [];

  // A page whose screen and window are w x h CSS pixels at this pixel ratio, whose
  // browser reports this many logical processors (0: the machine's), and where this
  // script runs before the page's own.
  async function open(query, w = W, h = H, ratio = 1, processors = 0, before = '') {
    const page = await browser.newPage();
    page.on('console', m => {
      if (m.type() === 'error') problems.push('console error: ' + m.text());
      if (m.type() === 'warn') warnings.push(m.text());
    });
    page.on('pageerror', e => problems.push('page error: ' + e.message));
    page.on('request', r => {
      if (!r.url().startsWith(origin + '/') && !r.url().startsWith(`blob:${origin}/`)) problems.push('foreign request: ' + r.url());
    });
    page.on('requestfailed', r => problems.push('failed request: ' + r.url()));
    page.cdp = await page.createCDPSession();
    await page.cdp.send('Emulation.setDeviceMetricsOverride', {width: w, height: h, deviceScaleFactor: ratio,
      mobile: false, screenWidth: w, screenHeight: h});
    if (processors) await page.cdp.send('Emulation.setHardwareConcurrencyOverride', {hardwareConcurrency: processors});
    if (before) await page.evaluateOnNewDocument(before);
    await page.goto(`${origin}/${query}`);
    await page.waitForFunction('Huemix.started && !Huemix.busy()', {timeout: 60000});
    return page;
  }
  const settle = page => page.waitForFunction('!Huemix.busy()', {timeout: 60000});
  const picture = page => page.evaluate(() => ({indices: Array.from(Huemix.indices()),
    palette: Array.from(Huemix.palette()), mode: Huemix.mode(), zoom: Huemix.zoomFrames()}));

  const files = ['index.html', 'huemix.js', 'huemix.wasm', 'huemix-mt.js', 'huemix-mt.wasm', 'huemix-mt.worker.js'];
  const bytes = files.reduce((sum, f) => sum + fs.statSync(path.join(site, f)).size, 0);
  check(bytes <= 400 * 1024, `the site is ${files.join(', ')}: ${bytes} bytes, at most 400 KB`);

  // ---- every mode, the splash included, against huemix-render, on the 128-bit paths ----
  for (let mode = 0; mode <= 9; mode++) {
    const page = await open(`?mode=${mode}&seed=${SEED}&palette=${PALETTES[mode]}&paused=1`);
    if (mode === 0) {
      const paths = await page.evaluate(() => Huemix.kernels());
      check(paths.every(p => p === 'sse2'), `every vector path is the 128-bit one: ${paths}`);
      check(!await page.evaluate(() => Huemix.threaded), 'from a plain host the worker draws on one thread');
    }
    const got = await picture(page);
    const want = reference(['--seed', String(SEED), '--mode', String(mode), '--palette', PALETTES[mode],
                            '--zoom-frames', String(got.zoom)]);
    check(got.mode === mode && sameBytes(got.indices, want.indices) && sameBytes(got.palette, want.palette),
          `mode ${mode}: indices and palette equal huemix-render's`);
    await page.screenshot({path: path.join(out, `mode-${mode}.png`), clip: {x: 0, y: 0, width: W, height: H}});
    await page.close();
  }

  // ---- cross-origin isolated: the worker draws with WebAssembly threads, the same
  // pictures. Four processors reported, so that there are helpers on any machine; the
  // modes that hand their rows to the drawing threads. The helpers wake while the
  // worker's first picture is drawn: in the slowest, reaction-diffusion, they surely
  // take part ----
  for (const mode of [1, 2, 5, 8, 9]) {
    const page = await open(`isolated/?mode=${mode}&seed=${SEED}&palette=${PALETTES[mode]}&paused=1`,
                            W, H, 1, 4);
    const got = await picture(page);
    const want = reference(['--seed', String(SEED), '--mode', String(mode), '--palette', PALETTES[mode],
                            '--zoom-frames', String(got.zoom)]);
    const threads = await page.evaluate(() => ({isolated: crossOriginIsolated, threaded: Huemix.threaded,
                                                 helperPieces: Huemix.helperPieces}));
    const slow = mode === 5;
    check(threads.isolated && threads.threaded && (threads.helperPieces > 0 || !slow) && got.mode === mode &&
          sameBytes(got.indices, want.indices) && sameBytes(got.palette, want.palette),
          `isolated, mode ${mode} drawn ${slow ? 'on several threads ' : ''}equals huemix-render's: ` +
          JSON.stringify(threads));
    await page.close();
  }

  // ---- where the threaded module cannot start, the worker without threads draws ----
  {
    const page = await open(`isolated-broken/?mode=5&seed=${SEED}&palette=${PALETTES[5]}&paused=1`);
    const got = await picture(page);
    const want = reference(['--seed', String(SEED), '--mode', '5', '--palette', PALETTES[5]]);
    check(!await page.evaluate(() => Huemix.threaded) && sameBytes(got.indices, want.indices),
          'a threaded module that fails to start gives way to the one without threads');
    await page.close();
  }

  // ---- the screen shows the composed frame, put there by the worker that holds the
  // canvas, by the page where no worker can, and by the page once that worker failed ----
  const SHOWN_BY = [
    ['worker', 'the worker', ''],
    ['page', 'the page without OffscreenCanvas', 'delete HTMLCanvasElement.prototype.transferControlToOffscreen;'],
    ['page', 'the page after the worker failed', `{
      const RealWorker = Worker;
      window.Worker = function(url, options) {
        const broken = URL.createObjectURL(new Blob(['throw new Error("no canvas here");']));
        return new RealWorker(String(url).startsWith('blob:') ? broken : url, options);
      };
    }`]];
  for (const [by, how, before] of SHOWN_BY) {
    const page = await open(`?mode=7&seed=5&paused=1`, W, H, 1, 0, before);
    let same = false;
    for (let i = 0; i < 100 && !same; i++) {  // until the first second's hint has gone
      await sleep(100);
      const frame = await page.evaluate(() => Array.from(Huemix.frame()));
      const png = readPng(await page.screenshot({clip: {x: 0, y: 0, width: W, height: H}}));
      same = frame.every((p, k) => (p & 0xFFFFFF) ===
        (png.pixels[k * png.channels] << 16 | png.pixels[k * png.channels + 1] << 8 | png.pixels[k * png.channels + 2]));
    }
    check(same && await page.evaluate(() => Huemix.framesShownBy()) === by, `the screen shows the frame, put by ${how}`);
    await page.close();
  }

  // ---- cycling, pause, keys, touch, snapshot, resize ----
  let page = await open(`?mode=2&seed=7&speed=20`);
  const a = await picture(page), frameA = await page.evaluate(() => Array.from(Huemix.frame()));
  await sleep(300);
  const b = await picture(page), frameB = await page.evaluate(() => Array.from(Huemix.frame()));
  check(sameBytes(a.indices, b.indices) && !sameBytes(a.palette, b.palette) && !sameBytes(frameA, frameB),
        'the palette rotates over a still picture');
  await page.keyboard.press('Space');
  const c = await picture(page);
  await sleep(300);
  check(sameBytes(c.palette, (await picture(page)).palette), 'Space pauses the rotation');
  await page.keyboard.press('Digit7');
  await settle(page);
  await page.keyboard.press('F1');
  check((await picture(page)).mode === 7 && await page.evaluate(() => Huemix.helpShown() &&
        !document.getElementById('extra').hidden), '7 draws squares, F1 shows the help and its link button');
  await page.keyboard.press('Escape');
  check(!await page.evaluate(() => Huemix.helpShown()), 'Esc hides the help');
  const beforeTap = await picture(page);
  await page.touchscreen.tap(100, 100);
  await settle(page);
  const afterTap = await picture(page);
  check(afterTap.mode === 7 && !sameBytes(beforeTap.indices, afterTap.indices), 'a tap draws a new picture');
  await page.cdp.send('Browser.setDownloadBehavior', {behavior: 'allow', downloadPath: downloads});
  const shown = await page.evaluate(() => {
    document.dispatchEvent(new KeyboardEvent('keydown', {key: 'F12', code: 'F12'}));
    return Array.from(Huemix.frame());
  });
  let file;
  for (let i = 0; i < 100 && !file; i++) {
    await sleep(100);
    file = fs.readdirSync(downloads).find(f => /^kvhuemix_\d{8}_\d{6}\.png$/.test(f));
  }
  let sameAsFrame = false;
  if (file) {
    const png = readPng(fs.readFileSync(path.join(downloads, file)));
    sameAsFrame = png.width === W && png.height === H && shown.every((p, i) =>
      (p & 0xFFFFFF) === (png.pixels[i * png.channels] << 16 | png.pixels[i * png.channels + 1] << 8 | png.pixels[i * png.channels + 2]));
  }
  check(sameAsFrame, `F12 downloads the composed frame as ${file}`);

  await page.cdp.send('Input.dispatchTouchEvent', {type: 'touchStart', touchPoints: [{x: 400, y: 200}]});
  await page.cdp.send('Input.dispatchTouchEvent', {type: 'touchMove', touchPoints: [{x: 200, y: 210}]});
  await page.cdp.send('Input.dispatchTouchEvent', {type: 'touchEnd', touchPoints: []});
  await settle(page);
  check((await picture(page)).mode === 8, 'a swipe to the left is the next mode');

  await page.cdp.send('Emulation.setDeviceMetricsOverride', {width: 500, height: 500, deviceScaleFactor: 1,
    mobile: false, screenWidth: W, screenHeight: H});
  await sleep(200);
  const box = await page.evaluate(() => document.getElementById('art').getBoundingClientRect().toJSON());
  check(box.left === 0 && box.width === 500 && box.height === 312 && box.top === 94,
        `a 500 x 500 window shows the whole picture with bars: ${JSON.stringify(box)}`);
  await page.screenshot({path: path.join(out, 'resized.png'), clip: {x: 0, y: 0, width: 500, height: 500}});
  await page.close();

  // ---- a hidden page runs no frame; back in sight it turns the colours once, not in a
  // burst. Hidden as the page sees it: the headless browser's own tab stays visible ----
  page = await open('?mode=7&seed=5&speed=20');
  const looks = () => ({frames: Huemix.frames, palette: Array.from(Huemix.palette())});
  const hidden = await page.evaluate(async () => {
    Object.defineProperty(document, 'hidden', {value: true, configurable: true});
    Object.defineProperty(document, 'visibilityState', {value: 'hidden', configurable: true});
    document.dispatchEvent(new Event('visibilitychange'));
    await new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)));  // a frame asked before
    return {frames: Huemix.frames, palette: Array.from(Huemix.palette())};
  });
  await sleep(1000);
  const still = await page.evaluate(`(${looks})()`);
  const back = await page.evaluate(async () => {
    delete document.hidden;
    delete document.visibilityState;
    document.dispatchEvent(new Event('visibilitychange'));
    await new Promise(r => requestAnimationFrame(r));  // runs after the page's own first frame
    return {frames: Huemix.frames, palette: Array.from(Huemix.palette())};
  });
  // Places the ring of colours 1..255 turned from a to b, or -1.
  const turned = (a, b) => [...Array(255).keys()].findIndex(k => a.every((c, i) => !i || b[i] === a[1 + (k + i - 1) % 255]));
  check(still.frames === hidden.frames && turned(hidden.palette, still.palette) === 0 &&
        back.frames === hidden.frames + 1 && turned(hidden.palette, back.palette) === 1,
        `hidden for 1 s the page runs no frame; back, it turns once, not 50 times: ${hidden.frames} ${still.frames} ` +
        `${back.frames} frames, turned ${turned(hidden.palette, back.palette)}`);

  // ---- F11 asks for full screen inside the key's own event; a two-finger tap is help ----
  await page.evaluate(() => {
    const request = Element.prototype.requestFullscreen;
    window.fullScreenAsks = [];
    Element.prototype.requestFullscreen = function() {
      fullScreenAsks.push(navigator.userActivation.isActive);
      return request.apply(this, arguments);
    };
  });
  await page.keyboard.press('F11');
  check(JSON.stringify(await page.evaluate(() => fullScreenAsks)) === '[true]', 'F11 asks for full screen as the user');
  const beforeTwo = await picture(page);
  await page.cdp.send('Input.dispatchTouchEvent', {type: 'touchStart', touchPoints: [{x: 200, y: 200, id: 0}]});
  await page.cdp.send('Input.dispatchTouchEvent', {type: 'touchStart',
    touchPoints: [{x: 200, y: 200, id: 0}, {x: 260, y: 210, id: 1}]});
  await page.cdp.send('Input.dispatchTouchEvent', {type: 'touchEnd', touchPoints: [{x: 200, y: 200, id: 0}]});
  await page.cdp.send('Input.dispatchTouchEvent', {type: 'touchEnd', touchPoints: []});
  await settle(page);
  check(await page.evaluate(() => Huemix.helpShown()) && sameBytes(beforeTwo.indices, (await picture(page)).indices),
        'a two-finger tap shows the help screen over the same picture');
  await page.close();

  // ---- the address: bad options are ignored; high-DPI canvas ----
  const before = warnings.length;
  page = await open('?mode=12&palette=nope&speed=abc&seed=-1&step=3&colour=red', 320, 200, 2);
  const link = await page.evaluate(() => Huemix.link());
  check(warnings.length - before === 6 && /speed=50&step=1&direction=1&paused=0/.test(link) &&
        await page.evaluate(() => Huemix.mode() === 0 && Huemix.indices().length === 640 * 400),
        'bad options give the defaults, each with a message; the Canvas has device pixels');
  await page.close();

  // ---- the link (L) reproduces the picture, its palette and its settings ----
  page = await open(`?mode=3&seed=99&palette=random&paused=1`);
  for (const key of ['Enter', 'Digit6', 'KeyH', 'KeyV', 'BracketRight', 'KeyR']) {
    await page.keyboard.press(key);
    await settle(page);
  }
  await page.keyboard.press('KeyL');
  const original = await picture(page);
  const url = await page.evaluate(() => Huemix.lastLink);
  await page.close();
  page = await open(url.slice(origin.length + 1));
  const copy = await picture(page);
  check(copy.mode === 6 && sameBytes(original.indices, copy.indices) && sameBytes(original.palette, copy.palette) &&
        await page.evaluate(() => Huemix.link()) === url, `the link reproduces the picture: ${url}`);
  await page.close();

  // ---- the help screen's box with the link button covers none of the help's text: on
  // screens of several sizes, the last in a smaller window, with bars, and a touch
  // screen's gestures in the box too. Text is whatever is not the help's background,
  // the colour of its top left corner ----
  const HELP_SIZES = [[800, 600], [1920, 1080], [480, 320], [600, 1000], [1920, 1080, 700, 900, 'touch']];
  const TOUCH = "Object.defineProperty(Navigator.prototype, 'maxTouchPoints', {get: () => 5});";
  for (const [sw, sh, ww = sw, wh = sh, touch] of HELP_SIZES) {
    page = await open('?mode=7&seed=5&paused=1', sw, sh, 1, 0, touch ? TOUCH : '');
    await page.cdp.send('Emulation.setDeviceMetricsOverride', {width: ww, height: wh, deviceScaleFactor: 1,
      mobile: false, screenWidth: sw, screenHeight: sh});
    await page.waitForFunction(`innerWidth === ${ww} && innerHeight === ${wh}`);
    await page.keyboard.press('F1');
    await page.waitForFunction('Huemix.helpShown()');
    const seen = await page.evaluate(() => {
      const art = document.getElementById('art'), shown = art.getBoundingClientRect();
      const box = document.getElementById('extra').getBoundingClientRect();
      const frame = Huemix.frame(), k = art.width / shown.width;
      const x0 = Math.max(0, Math.floor((box.left - shown.left) * k)), x1 = Math.min(art.width, Math.ceil((box.right - shown.left) * k));
      const y0 = Math.max(0, Math.floor((box.top - shown.top) * k)), y1 = Math.min(art.height, Math.ceil((box.bottom - shown.top) * k));
      let covered = 0;
      for (let y = y0; y < y1; y++) for (let x = x0; x < x1; x++) covered += frame[y * art.width + x] !== frame[0];
      return {covered, text: frame.filter(p => p !== frame[0]).length, button: document.getElementById('link').getBoundingClientRect().height,
              inside: box.left >= 0 && box.top >= 0 && box.right <= innerWidth && box.bottom <= innerHeight,
              box: [box.left, box.top, box.width, box.height].map(Math.round)};
    });
    check(seen.text > 0 && seen.covered === 0 && seen.inside && seen.button >= 8,
          `on a ${sw} x ${sh} ${touch ? 'touch ' : ''}screen${ww !== sw ? `, in a ${ww} x ${wh} window` : ''}, ` +
          `the help's link box covers no text: ${JSON.stringify(seen)}`);
    if (sw === 800) await page.screenshot({path: path.join(out, 'help-800x600.png'), clip: {x: 0, y: 0, width: sw, height: sh}});
    await page.close();
  }

  // ---- the page stays responsive while every mode draws, at 1920 x 1080, from a plain
  // host and isolated (every processor drawing), and a key pressed meanwhile is kept.
  // Every task of the page's main thread counts by the processor time it worked, all
  // read from one trace: a busy machine stretches a task's time on the clock while it
  // waits for a processor, not its work. On our machines no task may work over 50 ms;
  // a slower machine gets a proportionally larger allowance. A fixed reference task
  // (twenty byte-order passes over the whole frame, the kind of work the page's frames
  // do) runs on the same thread after every mode, and the allowance is 50 ms times its
  // median over REFERENCE_MS, its time on our machines (main_thread.js) ----
  for (const where of ['', 'isolated/']) {
    page = await open(`${where}?seed=3`, 1920, 1080);
    await page.tracing.start({categories: ['disabled-by-default-devtools.timeline', 'blink.user_timing']});
    await page.evaluate(() => performance.mark('huemix-watch'));
    const reference = () => page.evaluate(() => {
      performance.mark('huemix-reference');
      for (let i = 0; i < 20; i++) _WebPresent();
    });
    for (const key of ['Digit1', 'Digit2', 'Digit3', 'Digit4', 'Digit5', 'Digit6', 'Digit7', 'Digit8', 'Digit9']) {
      await page.keyboard.press(key);
      if (key === 'Digit9') await page.keyboard.press('Digit4');  // while the Buddhabrot draws
      await settle(page);
      await sleep(key === 'Digit8' ? 600 : 50);  // a few zoom frames
      await reference();
    }
    await page.evaluate(() => performance.mark('huemix-watched'));
    const {tasks, references} = mainThreadTasks(JSON.parse(Buffer.from(await page.tracing.stop()).toString()));
    const allowed = MOST_WORK_MS * Math.max(1, median(references) / REFERENCE_MS);
    const worst = [...tasks].sort((a, b) => b.ms - a.ms).slice(0, 3);
    check(references.length === 9 && tasks.length > 0 && worst[0].ms <= allowed,
          `${where ? 'isolated: ' : ''}no task of the page works over ${allowed.toFixed(1)} ms while every mode ` +
          `draws (reference ${references.length ? median(references).toFixed(1) : '?'} ms): ${tasks.length} tasks, ` +
          `the longest ${worst.map(t => `${t.ms.toFixed(1)} ms at ${t.at.toFixed(0)} ms`).join(', ')}`);
    check(await page.evaluate(() => Huemix.mode()) === 4, 'the key pressed while a picture was drawn is kept');
    await page.close();
  }

  check(problems.length === 0, 'no console error, page error or foreign request' +
        (problems.length ? ': ' + problems.join('; ') : ''));
  await browser.close();
  server.close();
  fs.rmSync(profile, {recursive: true, force: true});
  fs.rmSync(downloads, {recursive: true, force: true});
  console.log(failed ? `${failed} web check(s) FAILED` : 'All web checks passed.');
  process.exit(failed ? 1 : 0);
}

main().catch(e => { console.error(e); process.exit(1); });
