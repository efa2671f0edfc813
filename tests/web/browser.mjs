// Drives the browser build in headless chromium: exact frames, a live run, and what the page costs.
//   node browser.mjs SITE exact OUTDIR CLOCK...   canvas screenshots of ?at=CLOCK as OUTDIR/at-CLOCK.png
//   node browser.mjs SITE live                     click, play, check sound and picture, Escape
//   node browser.mjs SITE whole                    click and play the whole demo to its closing card
//   node browser.mjs SITE weight                   bytes the page loads, gzipped as a server sends them
// The site is served by this script on a free loopback port, gzipped where the browser asks.
import { chromium } from 'playwright-core';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import zlib from 'node:zlib';

const [site, mode, ...rest] = process.argv.slice(2);
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
// Generous bounds for a machine under load: the page normally needs well under a second.
const patienceMs = 60000;
const sent = new Map(); // path -> bytes on the wire

function serve() {
  const server = http.createServer((req, res) => {
    const name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    const file = path.join(path.resolve(site), name === '/' ? 'index.html' : name);
    if (!file.startsWith(path.resolve(site)) || !fs.existsSync(file)) {
      res.writeHead(404);
      res.end();
      return;
    }
    let body = fs.readFileSync(file);
    const headers = { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' };
    if (/\bgzip\b/.test(req.headers['accept-encoding'] || '')) {
      body = zlib.gzipSync(body, { level: 9 });
      headers['Content-Encoding'] = 'gzip';
    }
    sent.set(name, body.length);
    res.writeHead(200, headers);
    res.end(body);
  });
  return new Promise(resolve => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function launch() {
  return chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--force-color-profile=srgb', '--autoplay-policy=no-user-gesture-required'],
  });
}

function fail(message) {
  console.error('FAIL: ' + message);
  process.exitCode = 1;
}

async function openPage(browser, url, errors) {
  const page = await browser.newPage({ viewport: { width: 1280, height: 960 }, deviceScaleFactor: 1 });
  page.on('console', m => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', e => errors.push(String(e)));
  await page.goto(url);
  return page;
}

// The page as a viewer first sees it: loaded, on its title card.
async function openTitle(base, browser, errors) {
  const page = await openPage(browser, `${base}/`, errors);
  await page.waitForFunction(() => window.quellbrand.state === 'title', null, { timeout: patienceMs });
  return page;
}

async function exact(base, browser) {
  const [out, ...clocks] = rest;
  fs.mkdirSync(out, { recursive: true });
  for (const clock of clocks) {
    const errors = [];
    const page = await openPage(browser, `${base}/?at=${clock}`, errors);
    await page.waitForFunction(() => document.title === 'ready', null, { timeout: patienceMs });
    const file = path.join(out, `at-${String(clock).padStart(4, '0')}.png`);
    await page.locator('#screen').screenshot({ path: file });
    const shown = await page.evaluate(() => window.quellbrand.renderedClock);
    console.log(`at ${clock}: frame at song clock ${shown} -> ${file}`);
    if (errors.length) fail(`console errors at ${clock}: ${errors.join(' | ')}`);
    await page.close();
  }
}

async function live(base, browser) {
  const errors = [];
  const page = await openTitle(base, browser, errors);
  if (!(await page.locator('#start').textContent()).includes('click to start'))
    fail('the title card does not say "click to start"');
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Performance.enable');
  await page.locator('#title').click();
  // The song clock moves, the sound runs and is fed, the picture is not black.
  await page.waitForFunction(() => {
    const q = window.quellbrand;
    const clock = q.songClock();
    const moved = q.firstClock !== undefined && clock !== q.firstClock && clock > 0;
    if (q.firstClock === undefined) q.firstClock = clock;
    return moved && q.audioRunning() && q.audioQueuedUntil() > 0 && q.firstPictureMs !== null;
  }, null, { timeout: patienceMs, polling: 50 });
  const started = await page.evaluate(() => ({
    firstPictureMs: window.quellbrand.firstPictureMs,
    clock: window.quellbrand.songClock(),
    sinceClick: performance.now() - window.quellbrand.clickedAt,
  }));
  console.log(`first picture ${started.firstPictureMs.toFixed(0)} ms after the click; ` +
    `song clock ${started.clock} and sound running ${started.sinceClick.toFixed(0)} ms after it`);
  // Let it play a while: the picture must show something, and the main thread's cost is measured.
  const metric = async () => Object.fromEntries(
    (await cdp.send('Performance.getMetrics')).metrics.map(m => [m.name, m.value]));
  const before = await metric();
  await page.waitForFunction(() => window.quellbrand.songClock() >= 40, null,
    { timeout: patienceMs, polling: 100 });
  const after = await metric();
  const busy = (after.TaskDuration - before.TaskDuration) / (after.Timestamp - before.Timestamp);
  console.log(`page main thread busy ${(busy * 100).toFixed(1)} % while playing`);
  const lit = await page.evaluate(() => {
    const c = document.getElementById('screen');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i] > 16) ++n;
    return n;
  });
  console.log(`lit pixels on the canvas: ${lit}`);
  if (lit < 1000) fail('the canvas is black');
  const state = await page.evaluate(() => window.quellbrand.state);
  if (state !== 'playing') fail(`state ${state} while the song plays`);
  await page.keyboard.press('Escape');
  await page.locator('#closing').waitFor({ state: 'visible', timeout: patienceMs });
  if (!(await page.locator('#again').textContent()).includes('play again'))
    fail('the closing card has no "play again"');
  // Play again starts the song from its beginning.
  await page.locator('#again').click();
  await page.waitForFunction(() => window.quellbrand.state === 'playing' &&
    window.quellbrand.songClock() < 100 && window.quellbrand.firstPictureMs !== null, null,
  { timeout: patienceMs, polling: 50 });
  // and its sound is fed again
  const queued = await page.evaluate(() => window.quellbrand.audioQueuedUntil());
  await page.waitForFunction(q => window.quellbrand.audioQueuedUntil() > q &&
    window.quellbrand.songClock() > 0, queued, { timeout: patienceMs, polling: 50 });
  if (errors.length) fail(`console errors: ${errors.join(' | ')}`);
  await page.close();
}

// Processor time of every process this script started (the browser's), in seconds.
function childrenCpuSeconds() {
  const parent = new Map(), cpu = new Map();
  for (const pid of fs.readdirSync('/proc').filter(n => /^\d+$/.test(n))) {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      parent.set(pid, fields[1]);
      cpu.set(pid, (Number(fields[11]) + Number(fields[12])) / 100);
    } catch { /* gone meanwhile */ }
  }
  let total = 0;
  for (const [pid, seconds] of cpu) {
    for (let p = parent.get(pid); p && p !== '0'; p = parent.get(p))
      if (p === String(process.pid)) { total += seconds; break; }
  }
  return total;
}

async function whole(base, browser) {
  const errors = [];
  const page = await openTitle(base, browser, errors);
  await page.evaluate(() => {
    window.quellbrand.shown = 0;
    const show = Module.qbShow;
    Module.qbShow = pixels => { ++window.quellbrand.shown; show(pixels); };
  });
  const began = Date.now();
  const cpuBefore = childrenCpuSeconds();
  await page.locator('#title').click();
  // the song lasts about three minutes; a loaded machine may stretch the page's timers
  await page.locator('#closing').waitFor({ state: 'visible', timeout: 10 * patienceMs });
  const seconds = (Date.now() - began) / 1000;
  const cpu = (childrenCpuSeconds() - cpuBefore) / seconds;
  console.log(`chromium's processes used ${(cpu * 100).toFixed(1)} % of one core while playing`);
  await page.waitForTimeout(1000);
  const end = await page.evaluate(() => ({ clock: window.quellbrand.endClock,
    later: window.quellbrand.songClock(), shown: window.quellbrand.shown }));
  console.log(`played to the end in ${seconds.toFixed(1)} s: song clock ${end.clock}, ` +
    `${end.shown} frames (${(end.shown / seconds).toFixed(1)} a second)`);
  if (end.clock <= 1840) fail(`the closing card came at song clock ${end.clock}, before the end`);
  if (end.later !== end.clock) fail(`the song played on after the end, to ${end.later}`);
  if (errors.length) fail(`console errors: ${errors.join(' | ')}`);
  await page.close();
}

async function weight(base, browser) {
  const errors = [];
  const page = await openTitle(base, browser, errors);
  let total = 0;
  for (const [name, bytes] of sent) {
    console.log(`${name}: ${bytes} bytes gzipped`);
    total += bytes;
  }
  console.log(`page weight ${total} bytes (${(total / 1048576).toFixed(2)} MiB) gzipped`);
  if (total > 1.5 * 1000 * 1000) fail(`page weight ${total} bytes is over 1.5 MB`);
  if (errors.length) fail(`console errors: ${errors.join(' | ')}`);
  await page.close();
}

const server = await serve();
const base = `http://127.0.0.1:${server.address().port}`;
const browser = await launch();
try {
  if (mode === 'exact') await exact(base, browser);
  else if (mode === 'live') await live(base, browser);
  else if (mode === 'whole') await whole(base, browser);
  else if (mode === 'weight') await weight(base, browser);
  else fail(`unknown mode ${mode}`);
} catch (e) {
  fail(String(e));
} finally {
  await browser.close();
  server.close();
}
