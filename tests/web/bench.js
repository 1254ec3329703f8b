// The browser's figures beside the native ones: opens the page's benchmark
// (?bench=1) in headless Chromium with a screen of WxH and prints its lines.
//
//     node tests/web/bench.js SITE_DIR [WxH]       (1920x1080)
//
// One thread: the page draws every mode on its own thread for the figures.
'use strict';
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const [site, size = '1920x1080'] = process.argv.slice(2);
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
  const page = await browser.newPage();
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setDeviceMetricsOverride', {width: w, height: h, deviceScaleFactor: 1, mobile: false,
    screenWidth: w, screenHeight: h});
  page.on('console', m => console.log(m.text()));
  await page.goto(`http://127.0.0.1:${server.address().port}/?bench=1`);
  await page.waitForFunction('Huemix.benchLines', {timeout: 600000, polling: 500});
  console.log('# ' + await browser.version());
  await browser.close();
  server.close();
  fs.rmSync(profile, {recursive: true, force: true});
})().catch(e => { console.error(e); process.exit(1); });
