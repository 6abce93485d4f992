// The web site in headless Chromium: it loads cleanly and runs the showcase, and a hidden tab
// runs no frames; a computing program leaves the browser its frames; in the test hook's virtual
// time its LCD is corvane-run's, frame for frame, on a table of demos and C programs; a
// program's file outlives a reload; keys and taps (several fingers at once, each key drawn
// pressed) reach a waiting program, a long press opens the menu; a program's Beep is a Web Audio
// tone when the setting is on; full screen follows the menu's item both ways; bad links and
// files are reported and the page goes on.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const path = require('node:path');
const fs = require('node:fs');
const os = require('node:os');
const { execFileSync, spawnSync } = require('node:child_process');
const puppeteer = require('puppeteer-core');
const { serve } = require('./server.js');

const site = process.env.CORVANE_SITE;
const bin = process.env.CORVANE_BIN;
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'corvane-web-'));
let server;
let browser;
let base;

// The test's own programs, compiled by the native vrncc, and a file that is no program.
function prepare() {
  for (const name of ['runs', 'echo', 'beeps']) {
    execFileSync(path.join(bin, 'vrncc'), [path.join(__dirname, 'programs', name + '.c'),
      '-o', path.join(work, name + '.vrn')]);
  }
  fs.writeFileSync(path.join(work, 'not-a-program.vrn'), 'This is a text file, not a program.\n');
  // The benchmarks' counting loop, long enough to compute through the whole test.
  execFileSync(path.join(bin, 'vrnasm'), [path.join(__dirname, '../../bench/count/count.s'),
    '-D', 'ROUNDS=1000000', '-o', path.join(work, 'count.vrn')]);
}

test.before(async () => {
  prepare();
  server = await serve(site, work);
  base = 'http://127.0.0.1:' + server.address().port + '/';
  browser = await puppeteer.launch({
    executablePath: process.env.CORVANE_CHROMIUM,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage', '--autoplay-policy=no-user-gesture-required'],
  });
});

test.after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
  fs.rmSync(work, { recursive: true, force: true });
});

// A page in a fresh browser context (its own storage), with what it says collected.
async function open(query, options = {}) {
  const context = options.context || await browser.createBrowserContext();
  const page = await context.newPage();
  if (options.viewport) await page.setViewport(options.viewport);
  const errors = [];
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  await page.goto(base + 'index.html' + query);
  await page.waitForFunction(() => window.corvaneTest && window.corvaneTest.started);
  return { page, context, errors };
}

const hook = (page, f, ...args) => page.evaluate(f, ...args);
async function waitConsole(page, text, timeout = 20000) {
  await page.waitForFunction((t) => window.corvaneTest.console.includes(t), { timeout }, text);
}

test('the page loads without errors and runs the showcase', async () => {
  const { page, context, errors } = await open('');
  await page.waitForFunction(() => window.corvaneTest.running() &&
                                   window.corvaneTest.frames() > 30, { timeout: 20000 });
  const firstFrameMs = await hook(page, () => window.corvaneTest.firstFrameMs);
  console.log(`# time to first frame: ${firstFrameMs.toFixed(0)} ms`);
  // A hidden tab runs no frames until it is shown again.
  const setHidden = (hidden) => page.evaluate((h) => {
    Object.defineProperty(document, 'hidden', { value: h, configurable: true });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
  await setHidden(true);
  const hiddenAt = await hook(page, () => window.corvaneTest.frames());
  await new Promise((r) => setTimeout(r, 300));
  assert.strictEqual(await hook(page, () => window.corvaneTest.frames()), hiddenAt);
  await setHidden(false);
  await page.waitForFunction((n) => window.corvaneTest.frames() > n + 5, {}, hiddenAt);
  assert.deepStrictEqual(errors, []);
  assert.deepStrictEqual(await hook(page, () => window.corvaneTest.messages), []);
  await context.close();
});

// While a program computes, the page runs it between the browser's frames too (not only once a
// frame), and the browser must still show its frames: at least half the display's 60 a second.
test('a computing program leaves the browser its frames', async () => {
  const { page, context, errors } = await open('?vrn=t/count.vrn');
  await page.waitForFunction(() => window.corvaneTest.running() &&
                                   window.corvaneTest.instructions() > 0, { timeout: 20000 });
  const seen = await hook(page, () => new Promise((resolve) => {
    const n0 = window.corvaneTest.instructions();
    const t0 = performance.now();
    let frames = 0;
    const frame = () => {
      ++frames;
      if (performance.now() - t0 < 1000) {
        requestAnimationFrame(frame);
      } else {
        resolve({ frames, n: window.corvaneTest.instructions() - n0,
                  running: window.corvaneTest.running() });
      }
    };
    requestAnimationFrame(frame);
  }));
  console.log(`# frames shown in a second of computing: ${seen.frames}`);
  assert.ok(seen.frames >= 30, `only ${seen.frames} frames in a second`);
  assert.ok(seen.running && seen.n > 0, 'the program went on computing');
  assert.deepStrictEqual(errors, []);
  await context.close();
});

// Each run: the program, the keys (corvane-run's --keys) and the frames whose LCD is compared.
const runs = [
  { name: 'showcase menu', vrn: 'demos/showcase.vrn', keys: '20:down 30:down 40:enter 90:esc',
    frames: [10, 60, 120] },
  { name: 'snake', vrn: 'demos/snake.vrn', keys: '20:enter 50:left 80:up 110:right',
    frames: [60, 150] },
  { name: 'clock on the runner\'s date', vrn: 'demos/clock.vrn', keys: '', frames: [30, 130] },
  { name: 'key tester', vrn: 'demos/keys.vrn', keys: '10:a 20:7 30:del 40:f1 50:+shift 60:-shift',
    frames: [25, 70] },
  { name: 'C program on the console', vrn: 't/echo.vrn', keys: '5:q 9:enter 13:space',
    frames: [20] },
];

test('the LCD is corvane-run\'s, frame for frame', async (t) => {
  for (const run of runs) {
    await t.test(run.name, async () => {
      const image = run.vrn.startsWith('t/') ? path.join(work, run.vrn.slice(2))
        : path.join(site, run.vrn);
      const last = Math.max(...run.frames);
      const args = [image, '--max-frames', String(last)];
      if (run.keys) args.push('--keys', run.keys);
      for (const f of run.frames) args.push('--lcd', `${f}:${path.join(work, `lcd-${f}.pbm`)}`);
      // The run ends at the frame limit, which corvane-run's status says; the captures count.
      const native = spawnSync(path.join(bin, 'corvane-run'), args, { encoding: 'utf8' });
      assert.match(native.stderr, /stopped at the frame limit|^$/, native.stderr);

      const query = new URLSearchParams({ virtual: '1', vrn: run.vrn, lcd: run.frames.join(',') });
      if (run.keys) query.set('keys', run.keys);
      const { page, context, errors } = await open('?' + query.toString());
      await page.waitForFunction((n) => Object.keys(window.corvaneTest.lcd).length === n,
                                 { timeout: 60000 }, run.frames.length);
      const lcd = await hook(page, () => window.corvaneTest.lcd);
      for (const f of run.frames) {
        const pbm = fs.readFileSync(path.join(work, `lcd-${f}.pbm`));
        const expected = Array.from(pbm.subarray(pbm.length - 1600));
        assert.ok(expected.some((b) => b !== 0), `frame ${f}: the runner's LCD is blank`);
        const differing = expected.filter((b, i) => b !== lcd[f][i]).length;
        assert.strictEqual(differing, 0, `frame ${f}: ${differing} of 1600 LCD bytes differ`);
      }
      assert.deepStrictEqual(errors, []);
      await context.close();
    });
  }
});

test('a file a program wrote is there after a reload', async () => {
  const { page, context } = await open('?vrn=t/runs.vrn');
  await waitConsole(page, 'run 1');
  // What the start of the program wrote has gone; the file is written three seconds later.
  await page.waitForFunction(() => !window.corvaneTest.persistPending());
  const before = await hook(page, () => window.corvaneTest.persisted);
  await waitConsole(page, 'saved');
  // Written to the browser's storage because the program closed the file (nothing else happened
  // since the program started).
  await page.waitForFunction((n) => window.corvaneTest.persisted > n &&
                                    !window.corvaneTest.persistPending(), {}, before);
  await page.reload();
  await page.waitForFunction(() => window.corvaneTest && window.corvaneTest.started);
  await waitConsole(page, 'run 2');
  await context.close();
});

// The Beep setting in vorn.ini, kept in the browser's storage like the rest of the root, makes
// each of a program's Beep calls a tone: the page's oscillators are counted as they start.
test('a program\'s Beep is a tone when the setting is on', async () => {
  const { page, context } = await open('');
  await page.evaluate(() => new Promise((resolve, reject) => {
    Module.FS.writeFile('/corvane/vorn.ini', '[Corvane]\r\nBeep=1\r\n');
    Module.FS.syncfs(false, (error) => (error ? reject(error) : resolve()));
  }));
  await page.evaluateOnNewDocument(() => {
    window.tonesStarted = 0;
    const create = AudioContext.prototype.createOscillator;
    AudioContext.prototype.createOscillator = function () {
      const tone = create.call(this);
      const start = tone.start;
      tone.start = function (...args) {
        window.tonesStarted++;
        return start.apply(this, args);
      };
      return tone;
    };
  });
  await page.goto(base + 'index.html?vrn=t/beeps.vrn');
  await page.waitForFunction(() => window.corvaneTest && window.corvaneTest.started);
  await waitConsole(page, 'beeped');
  assert.strictEqual(await page.evaluate(() => window.tonesStarted), 2);
  await context.close();
});

// The centre of a window-image pixel, in the page's CSS pixels.
async function where(page, x, y) {
  return page.evaluate((wx, wy) => {
    const c = document.getElementById('screen');
    const r = c.getBoundingClientRect();
    return { x: r.left + (wx + 0.5) * r.width / c.width, y: r.top + (wy + 0.5) * r.height / c.height };
  }, x, y);
}
// Grid key (row, column) of the face: its centre.
const gridKey = (row, column) => [16 + 42 * column + 16, 441 + 35 * row + 13];
// The canvas's pixels inside grid key (row, column), as one string: a key drawn pressed differs.
const keyPicture = (page, row, column) => page.evaluate(([x, y]) => {
  const c = document.getElementById('screen');
  return c.getContext('2d').getImageData(x - 12, y - 9, 24, 18).data.join(',');
}, gridKey(row, column));
const waitKeyPicture = (page, row, column, picture, same) => page.waitForFunction(
  ([x, y], p, want) => {
    const c = document.getElementById('screen');
    return (c.getContext('2d').getImageData(x - 12, y - 9, 24, 18).data.join(',') === p) === want;
  }, { timeout: 5000 }, gridKey(row, column), picture, same);

test('keys and taps on a phone reach a waiting program', async () => {
  const { page, context } = await open('?vrn=t/echo.vrn', {
    viewport: { width: 412, height: 915, deviceScaleFactor: 2, isMobile: true, hasTouch: true },
  });
  await page.waitForFunction(() => window.corvaneTest.running());
  // `text` is what the program must print next; a pattern's source where a held key may repeat.
  const expectNext = async (action, text, pattern = false) => {
    const before = await hook(page, () => window.corvaneTest.console.length);
    await action();
    await page.waitForFunction(
      (n, t, p) => {
        const seen = window.corvaneTest.console.slice(n);
        return p ? new RegExp(t).test(seen) : seen.includes(t);
      },
      { timeout: 5000 }, before, text, pattern);
  };
  // Typed keys: letters, the digit row (7 is "t"), Enter.
  await expectNext(() => page.keyboard.press('KeyA'), '[97]');
  await expectNext(() => page.keyboard.press('Digit7'), '[116]');
  await expectNext(() => page.keyboard.press('Enter'), '[13]');

  // A tap on the painted Q key.
  const q = await where(page, ...gridKey(0, 0));
  await expectNext(() => page.touchscreen.tap(q.x, q.y), '[113]');

  // Two fingers: A held, then S pressed while A still is; both arrive, and both keys are drawn
  // pressed until the fingers let go.
  const cdp = await page.createCDPSession();
  const a = await where(page, ...gridKey(1, 0));
  const s = await where(page, ...gridKey(1, 1));
  const one = { x: a.x, y: a.y, id: 1 };
  const two = { x: s.x, y: s.y, id: 2 };
  const pause = (ms) => new Promise((r) => setTimeout(r, ms));
  const aUp = await keyPicture(page, 1, 0);
  const sUp = await keyPicture(page, 1, 1);
  await expectNext(async () => {
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [one] });
    await pause(150);
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [one, two] });
    await waitKeyPicture(page, 1, 1, sUp, false);
    await waitKeyPicture(page, 1, 0, aUp, false);
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  }, '\\[97\\](\\[97\\])*\\[115\\]', true); // A may repeat if a busy machine stretches the pause
  await waitKeyPicture(page, 1, 1, sUp, true);
  await waitKeyPicture(page, 1, 0, aUp, true);

  // A long press on the body opens the menu; Esc closes it.
  const body = await where(page, 217, 350);
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ ...body, id: 3 }] });
  await page.waitForFunction(() => window.corvaneTest.menuOpen(), { timeout: 3000 });
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => !window.corvaneTest.menuOpen(), { timeout: 3000 });
  await context.close();
});

// Full screen is the host's mode (its menu item, Alt+Enter) carried out by the page; whatever
// else ends the browser's full screen (Esc, its own controls, a refused request) takes the item's
// tick with it. The program sees neither Alt+Enter's Enter nor anything else of it.
test('full screen follows the menu\'s item both ways', async () => {
  const { page, context, errors } = await open('?vrn=t/echo.vrn');
  await page.waitForFunction(() => window.corvaneTest.running());
  const kFullscreen = 40085;
  const expectState = (full) => page.waitForFunction((id, want) =>
    !!document.fullscreenElement === want && window.corvaneTest.menuChecked(id) === want,
  { timeout: 5000 }, kFullscreen, full);
  const altEnter = async () => {
    await page.keyboard.down('Alt');
    await page.keyboard.press('Enter');
    await page.keyboard.up('Alt');
  };
  await page.focus('#screen');

  // Refused (a frame without allow="fullscreen"): said, and the tick goes back.
  await page.evaluate(() => {
    window.grant = Element.prototype.requestFullscreen;
    Element.prototype.requestFullscreen = () =>
      Promise.reject(new DOMException('Permissions check failed', 'TypeError'));
  });
  await altEnter();
  await page.waitForFunction(() => window.corvaneTest.messages.some((m) => m.includes('全屏')),
                             { timeout: 5000 });
  await expectState(false);
  await page.evaluate(() => { Element.prototype.requestFullscreen = window.grant; });

  await altEnter();
  await expectState(true);
  // The stage is the whole screen: the canvas fills it one way.
  const fill = await page.evaluate(() => {
    const r = document.getElementById('screen').getBoundingClientRect();
    return { w: r.width, h: r.height, vw: innerWidth, vh: innerHeight };
  });
  assert.ok(Math.abs(fill.w - fill.vw) <= 1 || Math.abs(fill.h - fill.vh) <= 1, JSON.stringify(fill));
  // The browser's own way out.
  await page.evaluate(() => document.exitFullscreen());
  await expectState(false);
  // Alt+Enter in and out.
  await altEnter();
  await expectState(true);
  await altEnter();
  await expectState(false);

  await page.keyboard.press('KeyB');
  await waitConsole(page, '[98]');
  assert.ok(!(await hook(page, () => window.corvaneTest.console)).includes('[13]'));
  assert.deepStrictEqual(errors, []);
  await context.close();
});

test('bad links and files are reported and the page goes on', async (t) => {
  const cases = [
    { name: 'a file that is no program', query: '?vrn=t/not-a-program.vrn', says: '不是有效的VRN文件!' },
    { name: 'a missing file', query: '?vrn=t/missing.vrn', says: 'HTTP 404' },
    { name: 'a server that cannot be reached', query: '?vrn=http://127.0.0.1:9/x.vrn', says: 'CORS' },
    { name: 'a damaged fragment', query: '#b64=@@not*base64@@', says: 'base64' },
  ];
  for (const c of cases) {
    await t.test(c.name, async () => {
      const { page, context } = await open(c.query);
      await page.waitForFunction((text) => window.corvaneTest.messages.some((m) => m.includes(text)),
                                 { timeout: 10000 }, c.says);
      // Still usable: a demo from the list runs.
      await page.select('#demos', 'keys');
      await page.waitForFunction(() => window.corvaneTest.running(), { timeout: 10000 });
      await context.close();
    });
  }
  await t.test('a program from the file picker runs, a dropped file that is none is refused',
               async () => {
    const { page, context } = await open('?vrn=t/missing.vrn');
    await (await page.$('#pick')).uploadFile(path.join(work, 'echo.vrn'));
    await page.waitForFunction(() => window.corvaneTest.running(), { timeout: 10000 });
    await page.keyboard.press('KeyB');
    await waitConsole(page, '[98]');
    await page.evaluate((text) => {
      const files = new DataTransfer();
      files.items.add(new File([text], 'dropped.vrn'));
      document.dispatchEvent(new DragEvent('drop', { dataTransfer: files, cancelable: true }));
    }, 'not a program');
    await page.waitForFunction(() => window.corvaneTest.messages.some((m) =>
      m.includes('不是有效的VRN文件!')), { timeout: 10000 });
    await context.close();
  });
  await t.test('a program in the fragment runs', async () => {
    const b64 = fs.readFileSync(path.join(work, 'echo.vrn')).toString('base64url');
    const { page, context } = await open('#b64=' + b64);
    await page.waitForFunction(() => window.corvaneTest.running(), { timeout: 10000 });
    await page.keyboard.press('KeyB');
    await waitConsole(page, '[98]');
    await context.close();
  });
});
