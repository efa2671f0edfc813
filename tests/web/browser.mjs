// Drives the browser build in headless chromium: exact frames, a live run, and what the page costs.
//   node browser.mjs SITE exact OUTDIR CLOCK...   canvas screenshots of ?at=CLOCK as OUTDIR/at-CLOCK.png
//   node browser.mjs SITE live                     click, play, check sound and picture, Escape
//   node browser.mjs SITE whole                    click and play the whole demo to its closing card
//   node browser.mjs SITE weight                   bytes the page loads, gzipped as a server sends them
//   node browser.mjs SITE pixels OUTDIR CLOCK      ?at=CLOCK&fit at device scale factors 1, 2, 2.625:
//                                                  the picture's scale and place in device pixels,
//                                                  and OUTDIR/dsf-F.png, the page in device pixels
//   node browser.mjs SITE phone                    a phone, both ways up: the picture fits; a touch
//                                                  starts sound and picture
// The site is served by this script on a free loopback port, gzipped where the browser asks.
import fs from 'node:fs';
import path from 'node:path';
import { devices, fail, launch, openPage, openTitle, patienceMs, serve } from './page.mjs';

const [site, mode, ...rest] = process.argv.slice(2);
const sent = new Map(); // path -> bytes on the wire

async function exact(base, browser) {
  const [out, ...clocks] = rest;
  fs.mkdirSync(out, { recursive: true });
  for (const clock of clocks) {
    const errors = [];
    const page = await openPage(browser, `${base}/?at=${clock}`, errors);
    await page.waitForFunction(() => document.title === 'ready', null, { timeout: patienceMs });
    const file = path.join(out, `at-${String(clock).padStart(4, '0')}.png`);
    await page.screenshot({ path: file, clip: { x: 0, y: 0, width: 320, height: 240 } });
    const shown = await page.evaluate(() => window.quellbrand.renderedClock);
    console.log(`at ${clock}: frame at song clock ${shown} -> ${file}`);
    if (errors.length) fail(`console errors at ${clock}: ${errors.join(' | ')}`);
    await page.close();
  }
}

// Canvas pixels brighter than near black.
function litPixels(page) {
  return page.evaluate(() => {
    const c = document.getElementById('screen');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i] > 16) ++n;
    return n;
  });
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
  const lit = await litPixels(page);
  console.log(`lit pixels on the canvas: ${lit}`);
  if (lit < 1000) fail('the canvas is black');
  const state = await page.evaluate(() => window.quellbrand.state);
  if (state !== 'playing') fail(`state ${state} while the song plays`);
  await suspendedAudio(page);
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

// The audio context suspended for two seconds, as a system that takes the sound device away does:
// the song clock goes on meanwhile (the picture follows the wall clock), and once it runs again
// the sound is fed again and the clock goes on.
async function suspendedAudio(page) {
  await page.evaluate(() => SDL.audioContext.suspend());
  const before = await page.evaluate(() => window.quellbrand.songClock());
  const queued = await page.evaluate(() => window.quellbrand.audioQueuedUntil());
  await page.waitForTimeout(2000);
  const during = await page.evaluate(() => ({
    clock: window.quellbrand.songClock(), running: window.quellbrand.audioRunning() }));
  // two seconds are about 13 rows of the song; a frozen picture shows none
  console.log(`audio context suspended: song clock ${before} -> ${during.clock} in 2 s`);
  if (during.running) fail('the audio context still runs after suspend()');
  if (during.clock - before < 5) fail('the song clock stood still while the audio context was suspended');
  await page.evaluate(() => SDL.audioContext.resume());
  await page.waitForFunction(([q, c]) => window.quellbrand.audioRunning() &&
    window.quellbrand.audioQueuedUntil() > q && window.quellbrand.songClock() > c,
  [queued, during.clock], { timeout: patienceMs, polling: 50 });
  console.log(`audio context running again: sound fed, song clock ${await page.evaluate(
    () => window.quellbrand.songClock())}`);
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

// The largest whole number of device pixels a picture pixel can take in this viewport.
function largestScale(viewport, ratio) {
  return Math.max(1, Math.floor(Math.min(Math.round(viewport.width * ratio) / 320,
    Math.round(viewport.height * ratio) / 240)));
}

// The canvas in device pixels, and where the picture is on it.
async function placeOnDevice(page) {
  return page.evaluate(() => {
    const c = document.getElementById('screen');
    const r = c.getBoundingClientRect();
    const d = window.devicePixelRatio;
    const q = window.quellbrand;
    return { width: r.width * d, height: r.height * d, across: c.width, down: c.height,
      scale: q.scale, left: q.left, top: q.top, ratio: d };
  });
}

function checkPlace(place, viewport, what) {
  const expected = largestScale(viewport, place.ratio);
  if (place.scale !== expected) fail(`${what}: scale ${place.scale}, ${expected} fits`);
  // a bitmap pixel a device pixel (an emulated phone's page may end inside one)
  if (Math.abs(place.width - place.across) > 0.5 || Math.abs(place.height - place.down) > 0.5)
    fail(`${what}: a ${place.across}x${place.down} canvas on ${place.width}x${place.height} device pixels`);
  if (place.left < 0 || place.top < 0 || place.left + 320 * place.scale > place.across ||
      place.top + 240 * place.scale > place.down)
    fail(`${what}: the picture does not fit the page`);
}

async function pixels(base, browser) {
  const [out, clock] = rest;
  fs.mkdirSync(out, { recursive: true });
  // whole device pixels at every factor tried
  const viewport = { width: 1000, height: 704 };
  for (const ratio of [1, 2, 2.625]) {
    const errors = [];
    const page = await openPage(browser, `${base}/?at=${clock}&fit`, errors,
      { viewport, deviceScaleFactor: ratio });
    await page.waitForFunction(() => document.title === 'ready', null, { timeout: patienceMs });
    const place = await placeOnDevice(page);
    checkPlace(place, viewport, `device scale factor ${ratio}`);
    const file = path.join(out, `dsf-${ratio}.png`);
    await page.screenshot({ path: file, scale: 'device' });
    // for the caller's comparison with the native frame scaled by whole pixels
    console.log(`place ${ratio} ${place.scale} ${place.left} ${place.top} ${file}`);
    if (errors.length) fail(`console errors at ${ratio}: ${errors.join(' | ')}`);
    await page.close();
  }
}

async function phone(base, browser) {
  for (const name of ['Pixel 7', 'Pixel 7 landscape']) {
    const errors = [];
    const device = devices[name];
    const page = await openTitle(base, browser, errors, '', device);
    checkPlace(await placeOnDevice(page), device.viewport, name);
    if (name.endsWith('landscape')) {
      await page.locator('#title').tap();
      await page.waitForFunction(() => {
        const q = window.quellbrand;
        return q.state === 'playing' && q.songClock() > 2 && q.audioRunning() &&
          q.audioQueuedUntil() > 0 && q.firstPictureMs !== null;
      }, null, { timeout: patienceMs, polling: 50 });
      const lit = await litPixels(page);
      if (lit < 1000) fail(`${name}: the canvas is black after the touch`);
      console.log(`${name}: a touch started sound and picture (${lit} lit pixels)`);
    }
    if (errors.length) fail(`${name}: console errors: ${errors.join(' | ')}`);
    await page.close();
  }
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

const server = await serve(site, sent);
const base = `http://127.0.0.1:${server.address().port}`;
const browser = await launch();
try {
  if (mode === 'exact') await exact(base, browser);
  else if (mode === 'live') await live(base, browser);
  else if (mode === 'whole') await whole(base, browser);
  else if (mode === 'weight') await weight(base, browser);
  else if (mode === 'pixels') await pixels(base, browser);
  else if (mode === 'phone') await phone(base, browser);
  else fail(`unknown mode ${mode}`);
} catch (e) {
  fail(String(e));
} finally {
  await browser.close();
  server.close();
}
