// The interpreter's speed in the browser against native, on the same counting loop
// (bench/count/count.s), in the same invocation: instructions per second of wall-clock time,
// native by corvane-run in real time (once before the page's run, once after), in the page from
// the bench's first look at the running program to its end, and from the program's first tick
// to its last (the page yields to the browser for its painting and input, as it always does).
// Then what an idle page costs, and the time to the first frame of the player and of the
// playground (and to the playground's compiler being ready), each page loaded three times in a
// fresh browser context (nothing cached). Where the page's time goes: every tick (at a frame, or
// between frames while the program computes) is timed with the instructions it ran, which
// separates the interpreter's rate inside the ticks (by quarter of the run: WebAssembly starts
// in the browser's quick compiler) from the share of the time the ticks hold, and the frames the
// browser showed meanwhile. When the web build's run_rate.js is there (cmake --build --preset
// web --target run_rate), the interpreter alone on the same loop under node, and natively (the
// default build's run_rate).
// usage: NODE_PATH=build/web/node/node_modules node tests/web/bench.js <site> <native bin> [rounds]
'use strict';

const path = require('node:path');
const fs = require('node:fs');
const os = require('node:os');
const { execFileSync } = require('node:child_process');
const puppeteer = require('puppeteer-core');
const { serve } = require('./server.js');

async function measure(work) {
  const [site, bin, rounds = '300'] = process.argv.slice(2);
  const image = path.join(work, 'count.vrn');
  execFileSync(path.join(bin, 'vrnasm'), [path.join(__dirname, '../../bench/count/count.s'),
    '-D', 'ROUNDS=' + rounds, '-o', image]);

  // Natively once before the page's run and once after it: on a shared machine the load moves,
  // and the two show how far.
  let instructions = 0;
  const native = () => {
    const start = process.hrtime.bigint();
    const stats = execFileSync(path.join(bin, 'corvane-run'),
      [image, '--realtime', '--stats', '--max-instructions', '100000000000'], { encoding: 'utf8' });
    instructions = Number(/instructions=(\d+)/.exec(stats)[1]);
    return Number(process.hrtime.bigint() - start) / 1e9;
  };
  const nativeS = [native()];

  const server = await serve(path.resolve(site), work);
  const browser = await puppeteer.launch({
    executablePath: process.env.CORVANE_CHROMIUM || '/usr/bin/chromium',
    headless: true, args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'],
  });
  const page = await browser.newPage();
  // Each tick timed, with the instructions the program ran in it: the frames' callbacks, and
  // the ticks the page runs between frames while a program computes (posted messages). And the
  // frames the browser shows, to see that it still paints while the program computes.
  await page.evaluateOnNewDocument(() => {
    const request = window.requestAnimationFrame.bind(window);
    window.benchTicks = [];
    window.benchFrames = [];
    // Counted only once the simulator has started: before, the hook has nothing to ask, and a
    // throw here would lose the callback (puppeteer's own waits poll in frame callbacks).
    const count = () => {
      const test = window.corvaneTest;
      return test && test.started ? test.instructions() : 0;
    };
    const timed = (callback) => (arg) => {
      const n0 = count();
      const t0 = performance.now();
      callback(arg);
      window.benchTicks.push([t0, performance.now(), count() - n0]);
    };
    window.requestAnimationFrame = (callback) => request(timed(callback));
    const listen = window.addEventListener.bind(window);
    window.addEventListener = (type, handler, ...rest) =>
      listen(type, type === 'message' ? timed(handler) : handler, ...rest);
    // Until the run has been measured: an idle page asks for no frames.
    const frameShown = () => {
      window.benchFrames.push(performance.now());
      if (!window.benchFramesDone) request(frameShown);
    };
    request(frameShown);
  });
  await page.goto(`http://127.0.0.1:${server.address().port}/index.html?vrn=t/count.vrn`,
                  { timeout: 120000 });
  await page.waitForFunction(() => window.corvaneTest && window.corvaneTest.started);
  const web = await page.evaluate(() => new Promise((resolve) => {
    // The program may have run for a while before the first look: only the instructions
    // counted from that look on are taken.
    let t0 = 0;
    let n0 = 0;
    const poll = () => {
      const running = window.corvaneTest.running();
      if (running && !t0) {
        t0 = performance.now();
        n0 = window.corvaneTest.instructions();
      }
      if (!running && t0) {
        resolve({ t0, s: (performance.now() - t0) / 1000,
                   n: window.corvaneTest.instructions() - n0 });
        return;
      }
      setTimeout(poll, 5);
    };
    poll();
  }));
  nativeS.push(native());
  const ticks = (await page.evaluate(() => window.benchTicks)).filter(([, , n]) => n > 0);
  const shown = (await page.evaluate(() => {
    window.benchFramesDone = true;
    return window.benchFrames;
  })).filter((t) => t >= web.t0 && t <= web.t0 + web.s * 1000);
  const longestGap = shown.reduce((gap, t, i) => (i ? Math.max(gap, t - shown[i - 1]) : 0), 0);
  // Idle: the program has ended; what the page's main thread still does in five seconds.
  const busy = async () => (await page.metrics()).TaskDuration;
  const idleFrom = await busy();
  await new Promise((r) => setTimeout(r, 5000));
  const idleMs = (await busy() - idleFrom) * 1000 / 5;

  // From the start of navigation, in the page's own clock.
  const firstFrames = {};
  for (const [name, ready] of [['index.html', null],
    ['playground.html', () => document.querySelectorAll('#examples option').length > 1]]) {
    firstFrames[name] = [];
    for (let i = 0; i < 3; ++i) {
      const context = await browser.createBrowserContext();
      const p = await context.newPage();
      await p.goto(`http://127.0.0.1:${server.address().port}/${name}`);
      await p.waitForFunction(() => window.corvaneTest && window.corvaneTest.firstFrameMs > 0,
                              { timeout: 60000 });
      let readyMs = 0;
      if (ready) {
        await p.waitForFunction(ready, { timeout: 60000 });
        readyMs = await p.evaluate(() => performance.now());
      }
      firstFrames[name].push([await p.evaluate(() => window.corvaneTest.firstFrameMs), readyMs]);
      await context.close();
    }
  }
  await browser.close();
  server.close();

  const nativeIps = nativeS.map((secs) => instructions / secs);
  const webIps = web.n / web.s;
  console.log(`native:  ${instructions} instructions in ` +
              `${nativeS.map((secs) => secs.toFixed(2)).join(' s before the page, ')} s after: ` +
              `${nativeIps.map((ips) => (ips / 1e6).toFixed(1)).join(', ')} M/s`);
  console.log(`browser: ${web.n} instructions in ${web.s.toFixed(2)} s: ` +
              `${(webIps / 1e6).toFixed(1)} M/s (` +
              `${nativeIps.map((ips) => (100 * webIps / ips).toFixed(0)).join('%, ')}% of native)`);
  // The whole run as a user sees it, the first tick included (the program's start, and the
  // browser compiling the run loop when it is first called): what native's figure also holds.
  if (ticks.length) {
    const wholeN = ticks.reduce((sum, [, , n]) => sum + n, 0);
    const wholeS = (ticks[ticks.length - 1][1] - ticks[0][0]) / 1000;
    const wholeIps = wholeN / wholeS;
    console.log(`  from its first tick to its last: ${wholeN} instructions in ` +
                `${wholeS.toFixed(2)} s: ${(wholeIps / 1e6).toFixed(1)} M/s (` +
                `${nativeIps.map((ips) => (100 * wholeIps / ips).toFixed(0)).join('%, ')}% of native)`);
  }
  const inTicks = (part) => {
    const ms = part.reduce((sum, [a, b]) => sum + b - a, 0);
    return part.reduce((sum, [, , n]) => sum + n, 0) / ms / 1e3;
  };
  const quarter = Math.max(1, Math.floor(ticks.length / 4));
  const quarters = [0, 1, 2, 3].map((q) => ticks.slice(q * quarter, (q + 1) * quarter))
    .filter((part) => part.length > 0);
  const tickMs = ticks.reduce((sum, [a, b]) => sum + b - a, 0);
  const spanMs = ticks.length ? ticks[ticks.length - 1][1] - ticks[0][0] : 0;
  console.log(`  ${ticks.length} ticks ran it, ${(100 * tickMs / spanMs).toFixed(0)}% of the ` +
              `time from the first to the last; inside them ${inTicks(ticks).toFixed(0)} M/s, ` +
              `by quarter ${quarters.map((part) => inTicks(part).toFixed(0)).join(', ')} M/s`);
  console.log(`  the browser showed ${shown.length} frames in the run, the longest gap ` +
              `${longestGap.toFixed(1)} ms`);
  const nodeRate = path.join(site, '../bin/run_rate.js');
  const nativeRate = path.join(bin, '../bench/run_rate');
  if (fs.existsSync(nodeRate) && fs.existsSync(nativeRate)) {
    const rate = (command, args) => /best ([0-9.]+) M\/s/.exec(
      execFileSync(command, args, { encoding: 'utf8' }))[1];
    // The host's slice, and the largest batch the page's real-time loop runs.
    for (const slice of ['4096', '262144']) {
      const nativeM = rate(nativeRate, [image, slice, '5']);
      const wasmM = rate(process.execPath, [nodeRate, image, slice, '5']);
      console.log(`interpreter alone, slices of ${slice}: native ${nativeM} M/s, ` +
                  `node ${wasmM} M/s (${(100 * wasmM / nativeM).toFixed(0)}%)`);
    }
  }
  console.log(`idle page: ${idleMs.toFixed(1)} ms of main-thread work a second`);
  for (const [name, runs] of Object.entries(firstFrames)) {
    console.log(`${name}: first frame ${runs.map(([f]) => f.toFixed(0)).join(', ')} ms` +
                (runs[0][1] ? `; compiler ready ${runs.map(([, r]) => r.toFixed(0)).join(', ')} ms`
                  : ''));
  }
}

// The work folder goes whatever happens.
async function main() {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'corvane-web-bench-'));
  try {
    await measure(work);
  } finally {
    fs.rmSync(work, { recursive: true, force: true });
  }
}

main().catch((e) => { console.error(e); process.exit(1); });
