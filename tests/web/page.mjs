// Shared by the browser tests and benchmarks: the site served on a free loopback port (gzipped
// where the browser asks), Debian's chromium, and the page opened on its title card.
import { chromium } from 'playwright-core';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import zlib from 'node:zlib';

export { devices } from 'playwright-core';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
// Generous bounds for a machine under load: the page normally needs well under a second.
export const patienceMs = 60000;

// sent: path -> bytes on the wire, filled as the page loads
export function serve(site, sent = new Map()) {
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

export function launch() {
  return chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--force-color-profile=srgb', '--autoplay-policy=no-user-gesture-required'],
  });
}

export function fail(message) {
  console.error('FAIL: ' + message);
  process.exitCode = 1;
}

// device: the context's viewport, scale factor, touch (a desktop window by default)
export async function openPage(browser, url, errors,
  device = { viewport: { width: 1280, height: 960 }, deviceScaleFactor: 1 }) {
  const page = await browser.newPage(device);
  page.on('console', m => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', e => errors.push(String(e)));
  await page.goto(url);
  return page;
}

// The page as a viewer first sees it: loaded, on its title card.
export async function openTitle(base, browser, errors, query = '', device = undefined) {
  const page = await openPage(browser, `${base}/${query}`, errors, device);
  await page.waitForFunction(() => window.quellbrand.state === 'title', null, { timeout: patienceMs });
  return page;
}
