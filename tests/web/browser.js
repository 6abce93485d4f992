// What the site's test files share: the test's own programs compiled by the native vrncc, the
// static server, headless Chromium, and pages opened in fresh browser contexts (each its own
// storage) with their console errors collected.
'use strict';

const path = require('node:path');
const fs = require('node:fs');
const os = require('node:os');
const { execFileSync } = require('node:child_process');
const puppeteer = require('puppeteer-core');
const { serve } = require('./server.js');

const site = process.env.CORVANE_SITE;
const bin = process.env.CORVANE_BIN;

// Starts the server over the site and a folder of `programs` (names in tests/web/programs)
// compiled into it, and the browser.
async function startSite(programs) {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'corvane-web-'));
  for (const name of programs) {
    execFileSync(path.join(bin, 'vrncc'), [path.join(__dirname, 'programs', name + '.c'),
      '-o', path.join(work, name + '.vrn')]);
  }
  const server = await serve(site, work);
  const browser = await puppeteer.launch({
    executablePath: process.env.CORVANE_CHROMIUM,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'],
  });
  return {
    work,
    browser,
    base: 'http://127.0.0.1:' + server.address().port + '/',
    async close() {
      await browser.close();
      server.close();
      fs.rmSync(work, { recursive: true, force: true });
    },
  };
}

// A page at `address` (relative to the site) in a fresh context, or in `options.context`;
// `options.downloads` names a folder for the context's downloads; `options.before(page)` runs
// before the page loads. Resolves once the simulator has started.
async function openPage(s, address, options = {}) {
  const context = options.context || await s.browser.createBrowserContext(
    options.downloads ? { downloadBehavior: { policy: 'allow', downloadPath: options.downloads } }
      : {});
  const page = await context.newPage();
  const errors = [];
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  if (options.before) await options.before(page);
  await page.goto(s.base + address);
  await page.waitForFunction(() => window.corvaneTest && window.corvaneTest.started);
  return { page, context, errors };
}

const waitConsole = (page, text, timeout = 20000) =>
  page.waitForFunction((t) => window.corvaneTest.console.includes(t), { timeout }, text);

const waitMessage = (page, text, timeout = 10000) =>
  page.waitForFunction((t) => window.corvaneTest.messages.some((m) => m.includes(t)),
                       { timeout }, text);

// The one file that lands in `folder` (a finished download, not Chromium's partial file).
async function downloaded(folder, timeout = 10000) {
  const until = Date.now() + timeout;
  for (;;) {
    const done = fs.readdirSync(folder).filter((f) => !f.endsWith('.crdownload'));
    if (done.length) return path.join(folder, done[0]);
    if (Date.now() > until) throw new Error('no download in ' + folder);
    await new Promise((r) => setTimeout(r, 50));
  }
}

module.exports = { startSite, openPage, waitConsole, waitMessage, downloaded };
