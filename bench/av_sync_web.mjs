// Picture against sound in headless chromium: plays the page with ?trace, then writes every
// scheduled buffer (its first sample of the stream, its start on the audio context's output
// timeline) and every presented frame (its time on that timeline, its song clock), in ns.
//   node bench/av_sync_web.mjs SITE OUTDIR heard|mixed SECONDS QUEUE
// Prints the gaps in the sound: buffers that started later than the one before them ended.
import fs from 'node:fs';
import path from 'node:path';
import { fail, launch, openTitle, patienceMs, serve } from '../tests/web/page.mjs';

const [site, out, sync, seconds, queue] = process.argv.slice(2);
const server = await serve(site);
const base = `http://127.0.0.1:${server.address().port}`;
const browser = await launch();
try {
  const errors = [];
  const page = await openTitle(base, browser, errors, `?trace&sync=${sync}&queue=${queue}`);
  await page.locator('#title').click();
  await Promise.race([
    page.locator('#closing').waitFor({ state: 'visible', timeout: 10 * patienceMs }),
    page.waitForTimeout(Number(seconds) * 1000),
  ]);
  const trace = await page.evaluate(() => ({ ...Module.qbTrace, gaps: Module.qbAudioGaps,
    latency: SDL.audioContext.outputLatency, base: SDL.audioContext.baseLatency }));
  fs.mkdirSync(out, { recursive: true });
  const ns = s => Math.round(s * 1e9);
  fs.writeFileSync(path.join(out, 'buffers.txt'), trace.buffers.map(b => `${b[0]} ${ns(b[1])}\n`).join(''));
  fs.writeFileSync(path.join(out, 'trace.txt'), trace.frames.map(f => `${ns(f[0])} ${f[1]}\n`).join(''));
  console.log(`${trace.frames.length} frames, ${trace.buffers.length} buffers, ${trace.gaps} gaps ` +
    `in the sound (queue ${queue}; output latency ${trace.latency}, base latency ${trace.base})`);
  if (errors.length) fail(`console errors: ${errors.join(' | ')}`);
} catch (e) {
  fail(String(e));
} finally {
  await browser.close();
  server.close();
}
