// The browser's figures beside the native ones: opens the page's benchmark
// (?bench=1) in headless Chromium with a screen of WxH and prints its lines.
//
//     node tests/web/bench.js SITE_DIR [WxH] [RUNS]       (1920x1080, 1)
//
// One thread: the page draws every mode on its own thread for the figures. With
// RUNS above 1 the page is opened that many times and each figure is the lowest of
// its runs: on a shared machine other work only ever adds time.
'use strict';
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const [site, size = '1920x1080', runs = '1'] = process.argv.slice(2);
const [w, h] = size.split('x').map(Number);
const TYPES = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm'};

(async () => {
  const server = http.createServer((req, res) => {
    const file = path.join(site, new URL(req.url, 'http://x').pathname.replace(/^\/$/, '/index.html'));
    fs.readFile(file, (err, data) => {
      res.writeHead(err ? 404 : 200, {'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream'});
      res.end(data);
    });
  }).listen(0, '127.0.0.1');
  await new Promise(r => server.on('listening', r));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'huemix-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true, userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
           '--disable-sync', '--no-first-run']});
  const lowest = new Map();
  for (let run = 0; run < Number(runs); run++) {
    const page = await browser.newPage();
    const cdp = await page.createCDPSession();
    await cdp.send('Emulation.setDeviceMetricsOverride', {width: w, height: h, deviceScaleFactor: 1, mobile: false,
      screenWidth: w, screenHeight: h});
    if (runs === '1') page.on('console', m => console.log(m.text()));
    await page.goto(`http://127.0.0.1:${server.address().port}/?bench=1`);
    await page.waitForFunction('Huemix.benchLines', {timeout: 600000, polling: 500});
    for (const line of await page.evaluate(() => Huemix.benchLines)) {
      const [name, , ms] = line.split(' ');
      lowest.set(name, Math.min(Number(ms), lowest.has(name) ? lowest.get(name) : Infinity));
    }
    await page.close();
  }
  if (runs !== '1') for (const [name, ms] of lowest) console.log(`${name} ${size} ${ms.toFixed(3)}`);
  console.log('# ' + await browser.version() + (runs !== '1' ? `, lowest of ${runs} runs` : ''));
  await browser.close();
  server.close();
  fs.rmSync(profile, {recursive: true, force: true});
})().catch(e => { console.error(e); process.exit(1); });
