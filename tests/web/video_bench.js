// The page's video of a loop, timed: is it ready before the loop would have played
// once (255 ticks at the page's interval)? Opens the page with a screen of WxH in each
// mode given, records the loop in each format this browser encodes, decodes it back
// and prints one line each: mode, format, size, time to the file, the loop's own time,
// and the luma PSNR against the exact frames (mean, worst frame).
//
//     node tests/web/video_bench.js SITE_DIR [WxH] [MODES]     (1920x1080, 1,4,9)
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');
const {serveSite, recordAndDecode} = require('./video_check.js');

const [site, size = '1920x1080', modes = '1,4,9'] = process.argv.slice(2);
const [w, h] = size.split('x').map(Number);

(async () => {
  const {server, origin} = await serveSite(site);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'huemix-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true, userDataDir: profile,
    protocolTimeout: 600000, args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
                                    '--disable-component-update', '--disable-sync', '--no-first-run']});
  console.log('mode format size_MB ready_s loop_s psnr_y_mean psnr_y_worst');
  for (const mode of modes.split(',')) {
    for (const codec of ['avc', 'vp9', 'vp8']) {
      const page = await browser.newPage();
      const cdp = await page.createCDPSession();
      await cdp.send('Emulation.setDeviceMetricsOverride', {width: w, height: h, deviceScaleFactor: 1, mobile: false,
        screenWidth: w, screenHeight: h});
      await page.goto(`${origin}/?mode=${mode}&seed=1`);
      await page.waitForFunction('Huemix.started && !Huemix.busy()', {timeout: 600000});
      const r = await page.evaluate(recordAndDecode, [codec]);
      if (r.failed) {
        console.log(`${mode} ${codec} - (${r.failed})`);
      } else {
        const mean = r.psnr.reduce((a, b) => a + b, 0) / r.psnr.length;
        console.log(`${mode} ${r.format} ${(r.bytes / 1e6).toFixed(1)} ${(r.readyMs / 1000).toFixed(2)} ` +
                    `${(r.frames * r.intervalMs / 1000).toFixed(2)} ${mean.toFixed(1)} ${Math.min(...r.psnr).toFixed(1)}`);
      }
      await page.close();
    }
  }
  console.log(`# ${size}, ${await browser.version()}`);
  await browser.close();
  server.close();
  fs.rmSync(profile, {recursive: true, force: true});
})().catch(e => { console.error(e); process.exit(1); });
