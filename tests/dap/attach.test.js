// Clients that come to a simulator already running a program, over --dap-port: corvane-run given
// its program, and the desktop window on a virtual X server. Each attaches, stops at a
// breakpoint, steps and reads variables, and leaves the program running; the next one attaches
// again (or launches another program into the window) and ends it.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const path = require('node:path');
const fs = require('node:fs');
const os = require('node:os');
const net = require('node:net');
const { execFileSync, spawn, spawnSync } = require('node:child_process');
const { DebugClient } = require('@vscode/debugadapter-testsupport');

const bin = process.env.CORVANE_BIN;
const programs = path.join(__dirname, 'programs');

function compile(dir, sources, image) {
  for (const f of sources) fs.copyFileSync(path.join(programs, f), path.join(dir, f));
  execFileSync(path.join(bin, 'vrncc'), ['-g', ...sources.filter((f) => f.endsWith('.c')), '-o', image], { cwd: dir });
  return path.join(dir, image);
}

function freePort() {
  return new Promise((resolve) => {
    const probe = net.createServer().listen(0, '127.0.0.1', () => {
      const p = probe.address().port;
      probe.close(() => resolve(p));
    });
  });
}

// Resolves with the process's exit code; `running()` says whether it has not ended yet.
function watch(child) {
  let code = null;
  const ended = new Promise((resolve) => child.on('exit', (c, signal) => resolve((code = c ?? signal))));
  return { ended, running: () => code === null };
}

// Resolves once the child has said on stderr that it listens.
function listening(child) {
  return new Promise((resolve, reject) => {
    let text = '';
    child.stderr.on('data', (d) => {
      text += d;
      if (/debug server listening on 127\.0\.0\.1:\d+/.test(text)) resolve();
    });
    child.on('exit', (c) => reject(new Error(`ended (${c}) before listening: ${text}`)));
  });
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// A client attached to the running spin program: stopped at the line that stores ticks, a step,
// the variables of the stop, and the stores since: ticks follows i.
async function attachAndLook(port, spinC) {
  const dc = new DebugClient('unused', 'unused', 'corvane');
  dc.defaultTimeout = 20000;
  await dc.start(port);
  await dc.initializeRequest({ adapterID: 'corvane' });
  const stop = dc.assertStoppedLocation('breakpoint', { path: spinC, line: 11 });
  await Promise.all([
    dc.waitForEvent('initialized').then(async () => {
      const bp = await dc.setBreakpointsRequest({ source: { path: spinC }, breakpoints: [{ line: 11 }] });
      assert.strictEqual(bp.body.breakpoints[0].verified, true);
      await dc.configurationDoneRequest();
    }),
    dc.attachRequest({}),
  ]);
  await stop;
  const value = async (e) => Number((await dc.evaluateRequest({ expression: e, frameId: 1 })).body.result);
  const i = await value('i');
  assert.strictEqual(await value('ticks'), i - 1);
  await Promise.all([dc.nextRequest({ threadId: 1 }), dc.assertStoppedLocation('step', { path: spinC, line: 12 })]);
  assert.strictEqual(await value('ticks'), i);
  const scopes = await dc.scopesRequest({ frameId: 1 });
  const locals = await dc.variablesRequest({ variablesReference: scopes.body.scopes[0].variablesReference });
  assert.deepStrictEqual(locals.body.variables.map((v) => [v.name, Number(v.value)]), [['i', i]]);
  await dc.setBreakpointsRequest({ source: { path: spinC }, breakpoints: [] });
  return { dc, i };
}

test('attach to a running corvane-run, leave it running, attach again and end it', async (t) => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'corvane-attach-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  const image = compile(dir, ['spin.c'], 'spin.vrn');
  const spinC = path.join(dir, 'spin.c');
  const port = await freePort();
  const runner = spawn(path.join(bin, 'corvane-run'), ['--dap-port', String(port), '--max-instructions', '100000000000', image],
    { stdio: ['ignore', 'ignore', 'pipe'] });
  const state = watch(runner);
  // SIGTERM: the runner ends as interrupted, removing its temporary root.
  t.after(async () => state.running() && runner.kill('SIGTERM') && (await state.ended));
  await listening(runner);

  const first = await attachAndLook(port, spinC);
  await first.dc.disconnectRequest({});  // attached: the program runs on by default
  first.dc.stopAdapter();
  await sleep(300);
  assert.ok(state.running(), 'the program ended with its client');

  const second = await attachAndLook(port, spinC);
  assert.ok(second.i !== first.i, 'the program stood still between the clients');
  const exited = second.dc.waitForEvent('terminated');
  await second.dc.terminateRequest({});
  await exited;
  second.dc.stopAdapter();
  assert.strictEqual(await state.ended, 0);
});

test('a launch to a runner that runs its program already is refused', async (t) => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'corvane-attach-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  const image = compile(dir, ['spin.c'], 'spin.vrn');
  const port = await freePort();
  const runner = spawn(path.join(bin, 'corvane-run'), ['--dap-port', String(port), '--max-instructions', '100000000000', image],
    { stdio: ['ignore', 'ignore', 'pipe'] });
  const state = watch(runner);
  // SIGTERM: the runner ends as interrupted, removing its temporary root.
  t.after(async () => state.running() && runner.kill('SIGTERM') && (await state.ended));
  await listening(runner);
  const dc = new DebugClient('unused', 'unused', 'corvane');
  await dc.start(port);
  await dc.initializeRequest({ adapterID: 'corvane' });
  await assert.rejects(dc.launchRequest({ program: image }), /attach to it/);
  dc.stopAdapter();
  await sleep(200);
  assert.ok(state.running(), 'a refused launch ended the program');
});

// Xvfb on a display of its own, told by -displayfd.
async function startX(t) {
  const x = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  const state = watch(x);
  t.after(() => state.running() && x.kill('SIGTERM'));
  const display = await new Promise((resolve, reject) => {
    let text = '';
    x.stdio[3].on('data', (d) => {
      text += d;
      if (text.includes('\n')) resolve(':' + text.trim());
    });
    x.on('exit', () => reject(new Error('Xvfb did not start')));
  });
  return display;
}

const haveX = spawnSync('sh', ['-c', 'command -v Xvfb && command -v xdotool']).status === 0;

test('the desktop window as a debug server', { skip: !haveX && 'Xvfb or xdotool missing' }, async (t) => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'corvane-attach-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  const image = compile(dir, ['spin.c'], 'spin.vrn');
  const prog = compile(dir, ['main.c', 'list.c', 'list.h'], 'prog.vrn');
  const spinC = path.join(dir, 'spin.c');
  const root = path.join(dir, 'root');
  fs.mkdirSync(root);
  fs.copyFileSync(path.join(bin, 'duzezi.dat'), path.join(root, 'duzezi.dat'));
  const display = await startX(t);
  const port = await freePort();
  const env = { ...process.env, DISPLAY: display, CORVANE_HOME: root, CORVANE_NO_MESSAGE_BOXES: '1', CORVANE_VIRTUAL_CLOCK: '1' };
  const app = spawn(path.join(bin, 'corvane'), ['--dap-port', String(port), image], { env, stdio: ['ignore', 'ignore', 'pipe'] });
  const state = watch(app);
  t.after(() => state.running() && app.kill('SIGKILL'));
  await listening(app);

  const first = await attachAndLook(port, spinC);
  // Held at the stop, the window still answers: F12 saves what it shows.
  const shots = path.join(root, 'screenshots');
  const wid = execFileSync('xdotool', ['search', '--sync', '--onlyvisible', '--name', '^Corvane$'], { env }).toString().trim().split('\n')[0];
  execFileSync('xdotool', ['key', '--window', wid, 'F12'], { env });
  for (let n = 0; n < 100 && !(fs.existsSync(shots) && fs.readdirSync(shots).length); n++) await sleep(100);
  assert.ok(fs.existsSync(shots) && fs.readdirSync(shots).length === 1, 'no screenshot while held at the stop');
  await first.dc.disconnectRequest({});
  first.dc.stopAdapter();
  await sleep(300);
  assert.ok(state.running(), 'the window ended with its client');

  // The next client launches another program into the window, stopped on entry, and ends it.
  const dc = new DebugClient('unused', 'unused', 'corvane');
  dc.defaultTimeout = 20000;
  await dc.start(port);
  await dc.initializeRequest({ adapterID: 'corvane' });
  const entry = dc.waitForEvent('stopped');
  await Promise.all([
    dc.waitForEvent('initialized').then(() => dc.configurationDoneRequest()),
    dc.launchRequest({ program: prog, stopOnEntry: true }),
  ]);
  assert.strictEqual((await entry).body.reason, 'entry');
  const fault = dc.waitForEvent('stopped');
  await dc.continueRequest({ threadId: 1 });
  assert.strictEqual((await fault).body.reason, 'exception');
  const st = await dc.stackTraceRequest({ threadId: 1 });
  assert.deepStrictEqual(st.body.stackFrames.map((f) => f.name), ['average', 'main']);
  const terminated = dc.waitForEvent('terminated');
  await dc.terminateRequest({});
  await terminated;
  dc.stopAdapter();
  assert.strictEqual(await state.ended, 0);
});
