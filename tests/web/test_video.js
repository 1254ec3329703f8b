// Drives the page's sharing in headless Chromium: a video of the loop in each format
// the browser encodes, decoded back against the page's exact frames; W with its
// progress and Esc, the page cycling and responsive meanwhile; a video that fails;
// the recipe in F12's PNG, drawn again by huemix-render and opened by the page; and a
// table of bad files, each refused with a note while the picture stays.
//
//     node tests/web/test_video.js SITE_DIR HUEMIX_RENDER
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const {execFileSync} = require('child_process');
const puppeteer = require('puppeteer-core');
const {readPng, pngChunks: chunks} = require('./png.js');
const {serveSite, recordAndDecode} = require('./video_check.js');
const {mainThreadTasks, median, REFERENCE_MS, MOST_WORK_MS} = require('./main_thread.js');

const [site, render] = process.argv.slice(2);
const W = 640, H = 400, TICKS = 255;
const VERSION = /^project\(Huemix VERSION ([0-9.]+)/m.exec(fs.readFileSync(path.join(__dirname, '../../CMakeLists.txt'), 'utf8'))[1];
const LAZY = /\/(huemix-share\.js|huemix-video\.(js|wasm)|mediabunny\.js)$/;
let failed = 0;
function check(ok, what) {
  console.log((ok ? 'ok   ' : 'FAIL ') + what);
  if (!ok) failed++;
}
const sleep = ms => new Promise(r => setTimeout(r, ms));

// ---- PNG chunks, to make the bad files from a good one ----
const CRC = Array.from({length: 256}, (_, n) => {
  for (let k = 0; k < 8; k++) n = n & 1 ? 0xEDB88320 ^ (n >>> 1) : n >>> 1;
  return n >>> 0;
});
const crc32 = bytes => (bytes.reduce((c, b) => CRC[(c ^ b) & 255] ^ (c >>> 8), 0xFFFFFFFF) ^ 0xFFFFFFFF) >>> 0;
function chunk(type, data) {
  const out = Buffer.alloc(12 + data.length);
  out.writeUInt32BE(data.length, 0);
  out.write(type, 4, 'latin1');
  data.copy(out, 8);
  out.writeUInt32BE(crc32(out.subarray(4, 8 + data.length)), 8 + data.length);
  return out;
}
const pngOf = list => Buffer.concat([Buffer.from([0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A]),
                                     ...list.map(c => c.raw || chunk(c.type, c.data))]);
const texts = png => Object.fromEntries(chunks(png).filter(c => c.type === 'tEXt')
  .map(c => c.data.toString('latin1').split('\0')));
// The page's PNG with its Comment text replaced.
const withComment = (png, text) => pngOf(chunks(png).map(c =>
  c.type === 'tEXt' && c.data.toString('latin1').startsWith('Comment\0') ? {type: 'tEXt', data: Buffer.from('Comment\0' + text, 'latin1')} : c));
// Places the ring of colours 1..255 turned from a to b, or -1.
const turned = (a, b) => [...Array(255).keys()].findIndex(k => a.every((c, i) => !i || b[i] === a[1 + (k + i - 1) % 255]));

async function main() {
  const {server, origin} = await serveSite(site);
  const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'huemix-video-downloads-'));
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'huemix-video-files-'));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'huemix-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true, userDataDir: profile,
    defaultViewport: null, protocolTimeout: 600000,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
           '--disable-sync', '--no-first-run']});
  const problems = [];
  const requested = [];
  async function open(query, w = W, h = H, before = '') {
    const page = await browser.newPage();
    page.on('pageerror', e => problems.push('page error: ' + e.message));
    page.on('console', m => { if (m.type() === 'error') problems.push('console error: ' + m.text()); });
    page.on('request', r => requested.push(r.url()));
    page.cdp = await page.createCDPSession();
    await page.cdp.send('Emulation.setDeviceMetricsOverride', {width: w, height: h, deviceScaleFactor: 1, mobile: false,
      screenWidth: w, screenHeight: h});
    await page.cdp.send('Browser.setDownloadBehavior', {behavior: 'allow', downloadPath: downloads});
    if (before) await page.evaluateOnNewDocument(before);
    await page.goto(`${origin}/${query}`);
    await page.waitForFunction('Huemix.started && !Huemix.busy()', {timeout: 60000});
    return page;
  }
  const files = pattern => fs.readdirSync(downloads).filter(f => pattern.test(f) && !f.endsWith('.crdownload'));
  const VIDEO = /^kvhuemix_\d{8}_\d{6}\.(mp4|webm)$/;
  const note = page => page.evaluate(() => document.getElementById('note').textContent);
  const clearDownloads = () => fs.readdirSync(downloads).forEach(f => fs.unlinkSync(path.join(downloads, f)));
  async function downloaded(pattern) {
    for (let i = 0; i < 600; i++) {
      const found = files(pattern);
      if (found.length) return found[0];
      await sleep(100);
    }
    return null;
  }

  // ---- a first visit fetches none of what a video or an opened PNG loads ----
  let page = await open('?mode=1&seed=2');
  await page.evaluate(() => new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r))));
  check(!requested.some(u => LAZY.test(u)), `a first visit fetches ${requested.length} files, none of the video's`);
  await page.close();

  // ---- each format the browser encodes: 255 frames at the interval, each frame's luma
  // against the exact frame of its tick, the seam, the recipe in the comment tag. In
  // mode 8 the zoom goes on on the screen while the video's frames stand still ----
  const FORMATS = [['avc', 'mp4', '?mode=4&seed=5&palette=neon&speed=40&step=2'],
                   ['vp9', 'webm', '?mode=9&seed=5&palette=fire&speed=50&direction=-1'],
                   ['vp8', 'webm', '?mode=8&seed=5&palette=amiga&speed=60&step=8']];
  let offered = 0;
  for (const [codec, extension, query] of FORMATS) {
    clearDownloads();
    page = await open(query);
    const zoomBefore = await page.evaluate(() => Huemix.zoomFrames());
    const r = await page.evaluate(recordAndDecode, [codec]);
    if (r.failed && /encodes none/.test(r.failed)) {
      console.log(`skip ${codec}: ${r.failed}`);
      await page.close();
      continue;
    }
    offered++;
    if (r.failed) {
      check(false, `${codec}: ${r.failed}`);
      await page.close();
      continue;
    }
    const interval = r.intervalMs * 1000, worst = r.psnr ? Math.min(...r.psnr) : 0;
    check(r.format === codec && r.width === W && r.height === H && r.frames === TICKS && !r.decodeError &&
          r.timestamps.every((t, k) => t === k * interval) && Math.abs(r.seconds - TICKS * interval / 1e6) < 1e-3,
          `${codec}: ${r.frames} frames of ${r.width} x ${r.height}, ${r.intervalMs} ms apart, ${r.seconds} s`);
    check(worst >= 35, `${codec}: every frame's luma within 35 dB of the exact frame of its tick: worst ` +
          `${worst.toFixed(1)} dB at frame ${r.psnr.indexOf(worst)}, mean ${(r.psnr.reduce((a, b) => a + b, 0) / r.frames).toFixed(1)} dB`);
    check(r.seamless && r.psnr[0] >= 35 && r.psnr[TICKS - 1] >= 35,
          `${codec}: seamless: the first frame has the colours of the call and the last those one tick before them`);
    check(r.comment === r.recipe && /&size=640x400$/.test(r.comment), `${codec}: its comment tag is the recipe ${r.comment}`);
    const file = await downloaded(VIDEO);
    check(file && file.endsWith('.' + extension) && file === r.name && fs.statSync(path.join(downloads, file)).size === r.bytes,
          `${codec}: downloaded as ${file}, ${r.bytes} bytes`);
    if (codec === 'vp8') {
      check(await page.evaluate(() => Huemix.mode()) === 8 && await page.evaluate(() => Huemix.zoomFrames()) > zoomBefore,
            'mode 8: the zoom went on on the screen while the video held its frame');
    }
    await page.close();
  }
  check(offered > 0, `the browser encodes ${offered} of the formats`);

  // ---- W at 1280 x 720: progress shown, colours cycling and no task over the main
  // thread's allowance while it is made; then the file ----
  clearDownloads();
  page = await open('?mode=1&seed=9', 1280, 720);
  await page.tracing.start({categories: ['disabled-by-default-devtools.timeline', 'blink.user_timing']});
  await page.evaluate(() => performance.mark('huemix-watch'));
  const before = await page.evaluate(() => ({frames: Huemix.frames, palette: Array.from(Huemix.palette())}));
  await page.keyboard.press('KeyW');
  const progress = [];
  let file = null;
  for (let i = 0; i < 600 && !file; i++) {
    await page.evaluate(() => {
      performance.mark('huemix-reference');
      for (let k = 0; k < 20; k++) _WebPresent();
    });
    progress.push(await note(page));
    await sleep(100);
    file = files(VIDEO)[0];
  }
  await page.evaluate(() => performance.mark('huemix-watched'));
  const {tasks, references} = mainThreadTasks(JSON.parse(Buffer.from(await page.tracing.stop()).toString()));
  const allowed = MOST_WORK_MS * Math.max(1, median(references) / REFERENCE_MS);
  const longest = Math.max(...tasks.map(t => t.ms));
  const after = await page.evaluate(() => ({frames: Huemix.frames, palette: Array.from(Huemix.palette())}));
  check(file && progress.some(t => / of 255 frames \(Esc cancels\)/.test(t)),
        `W saves ${file}, its progress shown: "${progress.find(t => /frames/.test(t))}"`);
  check(after.frames > before.frames && turned(before.palette, after.palette) > 0 && tasks.length > 0 && longest <= allowed,
        `the colours cycle on while it is made, no task working over ${allowed.toFixed(1)} ms: the longest ${longest.toFixed(1)} ms`);

  // ---- Esc cancels and leaves nothing: after it, only the next video's file comes ----
  clearDownloads();
  await page.keyboard.press('KeyW');
  await page.waitForFunction(() => / of 255 frames/.test(document.getElementById('note').textContent), {timeout: 60000});
  const shown = await page.evaluate(() => Array.from(Huemix.indices()));
  await page.keyboard.press('Escape');
  const cancelled = await page.evaluate(() => ({note: document.getElementById('note').textContent, busy: Huemix.videoBusy}));
  await page.keyboard.press('KeyW');
  file = await downloaded(VIDEO);
  const same = (await page.evaluate(() => Array.from(Huemix.indices()))).every((v, i) => v === shown[i]);
  check(cancelled.note === 'Video cancelled.' && !cancelled.busy && same && files(VIDEO).length === 1 && file,
        `Esc cancels (the picture kept), and only the next video is saved: ${files(/./)}`);
  await page.close();

  // ---- a hue drift: the colours never come back; the video holds 255 ticks and says so ----
  page = await open('?mode=2&seed=3&hue=10');
  const drift = await page.evaluate(async () => {
    const made = await Huemix.share('saveVideo', ['vp9', 'vp8', 'avc']);
    return {seamless: made.seamless, note: document.getElementById('note').textContent, bytes: made.file && made.file.size};
  });
  check(drift.bytes > 0 && drift.seamless === false && /will not loop seamlessly/.test(drift.note),
        `a hue drift: "${drift.note}"`);
  await page.close();

  // ---- a browser without WebCodecs, and a video module that fails: a note, no file,
  // the page goes on ----
  const FAILURES = [
    ['no WebCodecs', 'delete window.VideoEncoder; delete window.VideoFrame;', /cannot make videos/],
    ['a video worker that fails', `{
      const RealWorker = Worker;
      window.Worker = function(url, options) {
        const broken = URL.createObjectURL(new Blob(['throw new Error("no video here");']));
        return new RealWorker(/huemix-video/.test(String(url)) ? broken : url, options);
      };
    }`, /could not be made/]];
  for (const [what, before, says] of FAILURES) {
    clearDownloads();
    page = await open('?mode=7&seed=4', W, H, before);
    await page.keyboard.press('KeyW');
    await page.waitForFunction(`/${says.source}/.test(document.getElementById('note').textContent)`, {timeout: 60000});
    const frames = await page.evaluate(() => Huemix.frames);
    await page.evaluate(() => new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r))));
    check(files(/./).length === 0 && await page.evaluate(() => Huemix.frames) > frames && !await page.evaluate(() => Huemix.videoBusy),
          `${what}: "${await note(page)}", no file, the page goes on`);
    await page.close();
  }

  // ---- F12's PNG holds Software and the recipe; huemix-render draws it again, and the
  // page opens it, to the same indices and palette: while cycling, and paused with the
  // colours adjusted ----
  let good = null;
  for (const query of ['?mode=3&seed=99&palette=ocean&speed=20&step=4', '?mode=6&seed=4&paused=1&hue=30&saturation=0.5']) {
    clearDownloads();
    page = await open(query);
    const snap = await page.evaluate(() => {
      document.dispatchEvent(new KeyboardEvent('keydown', {key: 'F12', code: 'F12'}));
      return {indices: Array.from(Huemix.indices()), palette: Array.from(Huemix.palette()),
              recipe: UTF8ToString(_WebLinkText(1))};
    });
    const name = await downloaded(/^kvhuemix_\d{8}_\d{6}\.png$/);
    const png = fs.readFileSync(path.join(downloads, name));
    const tags = texts(png), order = chunks(png).map(c => c.type).slice(0, 3).join(',');
    check(tags.Software === `Huemix ${VERSION}` && tags.Comment === snap.recipe && order === 'IHDR,tEXt,tEXt',
          `F12's PNG holds, after IHDR, Software "${tags.Software}" and the recipe ${tags.Comment}`);
    const again = path.join(work, 'again.png');
    execFileSync(render, ['--recipe', path.join(downloads, name), '--threads', '1', '-o', again]);
    const drawn = readPng(fs.readFileSync(again));
    const palette = [...Array(256).keys()].map(i => drawn.palette.readUIntBE(i * 3, 3));
    check(drawn.pixels.every((v, i) => v === snap.indices[i]) && palette.every((c, i) => c === snap.palette[i]),
          `huemix-render --recipe draws the page's indices and palette again`);
    const url = page.url();
    const navigation = page.waitForNavigation();
    await (await page.$('#picture')).uploadFile(path.join(downloads, name));
    await navigation;
    await page.waitForFunction('Huemix.started && !Huemix.busy()', {timeout: 60000});
    const opened = await page.evaluate(() => ({indices: Array.from(Huemix.indices()), palette: Array.from(Huemix.palette()),
                                                recipe: UTF8ToString(_WebLinkText(1))}));
    // The opened page may have turned on since: by its ticks beyond the recipe's.
    const ticks = r => +((/&ticks=(\d+)/.exec(r) || [0, 0])[1]);
    const step = +/&step=(\d)/.exec(snap.recipe)[1] * +/&direction=(-?1)/.exec(snap.recipe)[1];
    const since = (((ticks(opened.recipe) - ticks(snap.recipe)) * step) % 255 + 255) % 255;
    check(page.url() !== url && opened.indices.every((v, i) => v === snap.indices[i]) &&
          turned(snap.palette, opened.palette) === since,
          `the page opens its PNG to the same indices and palette (turned on by ${since} places since): ${page.url().slice(origin.length)}`);
    good = good || png;
    await page.close();
  }

  // ---- bad files, chosen and dropped: each a note, the picture kept, nothing opened ----
  const sparse = path.join(work, 'huge.png');
  fs.writeFileSync(sparse, Buffer.concat([good.subarray(0, 33), Buffer.from([0x7F, 0xFF, 0, 0]), Buffer.from('huGe')]));
  fs.truncateSync(sparse, 3 * 2 ** 30);
  fs.appendFileSync(sparse, chunk('IEND', Buffer.alloc(0)));
  const recipe = texts(good).Comment;
  // The values are the core's to refuse, as the renderer's (its unit tests try each
  // kind); here one stands for them all.
  const BAD = [
    ['not a PNG', Buffer.from('mode=1&seed=1\n'), /not a PNG file/],
    ['a PNG without a recipe', pngOf(chunks(good).filter(c => c.type !== 'tEXt')), /no recipe in it/],
    ['a bad value', withComment(good, recipe.replace(/^mode=\d/, 'mode=12')), /mode '12'/],
    ['a Comment too long', withComment(good, recipe + '&'.repeat(600)), /too long/],
    ['a damaged Comment', (() => { const b = Buffer.from(good); b[b.indexOf('Comment') + 10] ^= 1; return b; })(), /fails its check/],
    ['a file cut short', good.subarray(0, good.length >> 1), /cut short/],
    ['a 3 GB file', sparse, /more than 8 MiB before its picture data/]];
  page = await open('?mode=5&seed=8&paused=1');
  const kept = await page.evaluate(() => ({url: location.href, indices: Array.from(Huemix.indices())}));
  // A dropped file and a chosen one go to the same reader: the first rows try both.
  for (const [row, [what, content, says]] of BAD.entries()) {
    const file = typeof content === 'string' ? content : path.join(work, 'bad.png');
    if (typeof content !== 'string') fs.writeFileSync(file, content);
    for (const how of row < 2 ? ['chosen', 'dropped'] : ['chosen']) {
      await page.evaluate(() => { document.getElementById('note').textContent = ''; });
      if (how === 'chosen') {
        await (await page.$('#picture')).uploadFile(file);
      } else {
        await page.evaluate(bytes => {
          const data = new DataTransfer();
          data.items.add(new File([new Uint8Array(bytes)], 'bad.png', {type: 'image/png'}));
          document.dispatchEvent(new DragEvent('drop', {dataTransfer: data, bubbles: true, cancelable: true}));
        }, Array.from(content));
      }
      await page.waitForFunction(() => document.getElementById('note').textContent.startsWith('Not opened'), {timeout: 60000});
      const now = await page.evaluate(() => ({url: location.href, indices: Array.from(Huemix.indices()),
                                               note: document.getElementById('note').textContent}));
      check(says.test(now.note) && now.url === kept.url && now.indices.every((v, i) => v === kept.indices[i]),
            `${what}, ${how}: "${now.note}", the picture kept`);
    }
  }
  await page.close();

  check(problems.length === 0, 'no console error or page error' + (problems.length ? ': ' + problems.join('; ') : ''));
  await browser.close();
  server.close();
  for (const dir of [downloads, work, profile]) fs.rmSync(dir, {recursive: true, force: true});
  console.log(failed ? `${failed} video check(s) FAILED` : 'All video checks passed.');
  process.exit(failed ? 1 : 0);
}

main().catch(e => { console.error(e); process.exit(1); });
