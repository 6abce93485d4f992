// The debug server driven by the protocol's own client library through one whole session on a
// C program of two files: breakpoints in both (one with a condition, one with a hit count),
// stepping in, over and out, a table of expressions against values computed here, memory and
// disassembly, requests the server must refuse, and the fault it stops at with its backtrace.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const path = require('node:path');
const fs = require('node:fs');
const os = require('node:os');
const { execFileSync } = require('node:child_process');
const { DebugClient } = require('@vscode/debugadapter-testsupport');

const bin = process.env.CORVANE_BIN;
const programs = path.join(__dirname, 'programs');

// Compiles the program with -g in a folder of its own, so the debug information names its files.
function compile() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'corvane-dap-'));
  for (const f of ['main.c', 'list.c', 'list.h']) fs.copyFileSync(path.join(programs, f), path.join(dir, f));
  execFileSync(path.join(bin, 'vrncc'), ['-g', 'main.c', 'list.c', '-o', 'prog.vrn'], { cwd: dir });
  return dir;
}

// C on a 16-bit int: what the expressions below must come to.
const int16 = (v) => (v << 16) >> 16;

test('a whole session over a C program', async (t) => {
  const dir = compile();
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  const main = path.join(dir, 'main.c');
  const list = path.join(dir, 'list.c');
  const dc = new DebugClient(path.join(bin, 'corvane-run'), '--dap', 'corvane');
  dc.defaultTimeout = 10000;
  await dc.start();
  try {
    const init = await dc.initializeRequest({ adapterID: 'corvane', linesStartAt1: true, columnsStartAt1: true, pathFormat: 'path' });
    assert.ok(init.body.supportsConditionalBreakpoints);

    // A request before launch that needs a program is refused, and the session goes on.
    await assert.rejects(dc.stackTraceRequest({ threadId: 1 }));

    let bps;
    // The condition: the third time round the loop.
    const first = dc.assertStoppedLocation('breakpoint', { path: main, line: 20 });
    await Promise.all([
      dc.waitForEvent('initialized').then(async () => {
        bps = await Promise.all([
          dc.setBreakpointsRequest({ source: { path: main }, breakpoints: [{ line: 20, condition: 'i == 3' }] }),
          dc.setBreakpointsRequest({ source: { path: list }, breakpoints: [{ line: 20, hitCondition: '2' }] }),
        ]);
        await dc.setExceptionBreakpointsRequest({ filters: ['faults'] });
        await dc.configurationDoneRequest();
      }),
      dc.launch({ program: path.join(dir, 'prog.vrn') }),
    ]);
    assert.strictEqual(bps[0].body.breakpoints[0].verified, true);
    assert.strictEqual(bps[0].body.breakpoints[0].line, 20);

    await first;
    const value = async (expression, frameId) =>
      (await dc.evaluateRequest({ expression, frameId, context: 'watch' })).body.result;
    assert.strictEqual(await value('i'), '3');

    // Into push (list.c), over the malloc call, out again to the loop.
    await Promise.all([dc.stepInRequest({ threadId: 1 }), dc.assertStoppedLocation('step', { path: list, line: 9 })]);
    await Promise.all([dc.nextRequest({ threadId: 1 }), dc.assertStoppedLocation('step', { path: list, line: 10 })]);
    let st = await dc.stackTraceRequest({ threadId: 1 });
    assert.deepStrictEqual(st.body.stackFrames.map((f) => [f.name, f.line]), [['push', 10], ['main', 20]]);
    assert.strictEqual(await value('value'), '30');
    await Promise.all([dc.stepOutRequest({ threadId: 1 }), dc.assertStoppedLocation('step', { path: main })]);

    // The hit count: the second node that sum adds (the list is 30, 20, 10).
    await Promise.all([dc.continueRequest({ threadId: 1 }), dc.assertStoppedLocation('breakpoint', { path: list, line: 20 })]);
    st = await dc.stackTraceRequest({ threadId: 1 });
    assert.deepStrictEqual(st.body.stackFrames.map((f) => f.name), ['sum', 'main']);
    const big = 100000;
    const table = [
      ['head->value', '20'],
      ['total', '30'],
      ['head->next->value * 2 + 1', String(10 * 2 + 1)],
      ['(*head).value - total / 4', String(20 - Math.trunc(30 / 4))],
      ['sizeof(struct node)', '4'],
      ['sizeof head', '2'],
      ['sizeof big', '4'],
      ["'A' + 1", String('A'.charCodeAt(0) + 1)],
      ["'\\n'", '10'],
      ['(char)321', "65 'A'"],
      ['name', '"corvane"'],
      ['name[1]', "111 'o'"],
      ['bytes', '"\\001\\0\\377\\007"'],
      ['bytes,x', '{0x1, 0x0, 0xFF, 0x7}'],
      ['bytes[2]', "255 '\\377'"],
      ['bytes[2],d', '255'],
      ['big', String(big)],
      ['big / 3', String(Math.trunc(big / 3))],
      ['-big % 7', String(-(big % 7))],
      ['(unsigned int)-1', '65535'],
      ['1 << 15', String(int16(1 << 15))],
      ['30000 + 30000', String(int16(60000))],
      ['30000L + 30000', '60000'],
      ['total,x', '0x1E'],
      ['/x 255', '0xFF'],
      ['head == 0', '0'],
      ['!head || pushes == 3', '1'],
      ['pushes > 2 ? 7 : 8', '7'],
      ['~0 & 0xFF', '255'],
      ['$fp == $fp', '1'],
      ['*head', /^\{value = 20, next = 0x[0-9A-F]{4}\}$/],
    ];
    for (const [expression, expected] of table) {
      const got = await value(expression);
      if (expected instanceof RegExp) assert.match(got, expected, expression);
      else assert.strictEqual(got, expected, expression);
    }
    // The caller's frame sees its own variables.
    assert.strictEqual(await value('i', st.body.stackFrames[1].id), '4');
    const deep = '('.repeat(5000) + '1' + ')'.repeat(5000);
    for (const bad of ['1 +', 'nosuch', '1 / 0', 'head->nosuch', '*total', '(struct nosuch *)0', deep, '-'.repeat(5000) + '1']) {
      await assert.rejects(value(bad), undefined, bad);
    }

    // Variables: locals, a pointer expanded, and the memory behind it anywhere in 64 KiB.
    const scopes = await dc.scopesRequest({ frameId: st.body.stackFrames[0].id });
    assert.deepStrictEqual(scopes.body.scopes.map((s) => s.name), ['Locals', 'Globals', 'Registers', 'Operand Stack', 'Memory']);
    const locals = (await dc.variablesRequest({ variablesReference: scopes.body.scopes[0].variablesReference })).body.variables;
    assert.deepStrictEqual(locals.map((v) => v.name), ['head', 'total']);
    const node = (await dc.variablesRequest({ variablesReference: locals[0].variablesReference })).body.variables;
    const fields = (await dc.variablesRequest({ variablesReference: node[0].variablesReference })).body.variables;
    assert.deepStrictEqual(fields.map((v) => [v.name, v.value]).slice(0, 1), [['value', '20']]);
    const where = parseInt((await value('head,x')), 16);
    const mem = await dc.customRequest('readMemory', { memoryReference: '0x' + where.toString(16), count: 2 });
    assert.deepStrictEqual([...Buffer.from(mem.body.data, 'base64')], [20, 0]);
    const tail = await dc.customRequest('readMemory', { memoryReference: '0xFFFE', count: 4 });
    assert.strictEqual(tail.body.unreadableBytes, 2);
    const frame0 = st.body.stackFrames[0].instructionPointerReference;
    const dis = await dc.disassembleRequest({ memoryReference: frame0, instructionCount: 3 });
    assert.strictEqual(dis.body.instructions[0].address, frame0);
    assert.strictEqual(dis.body.instructions[0].instruction.split(' ')[0], 'LINE');

    // Requests the server cannot serve get an error response, and the session goes on.
    await assert.rejects(dc.customRequest('nosuchRequest'));
    await assert.rejects(dc.scopesRequest({ frameId: 99 }));
    await assert.rejects(dc.customRequest('readMemory', { memoryReference: 'here', count: 1 }));
    // Breakpoints and filters that cannot be had are answered as such, one answer each.
    const early = await dc.setBreakpointsRequest({ source: { path: list }, breakpoints: [{ line: 0 }, { line: -3 }] });
    assert.deepStrictEqual(early.body.breakpoints.map((b) => [b.verified, b.message]), [[false, 'lines are numbered from 1'], [false, 'lines are numbered from 1']]);
    const filters = await dc.setExceptionBreakpointsRequest({ filters: ['nosuch', 'faults'] });
    assert.deepStrictEqual(filters.body.breakpoints.map((b) => b.verified), [false, true]);

    // Clear the breakpoints and run into the fault: stopped there with its backtrace.
    await dc.setBreakpointsRequest({ source: { path: main }, breakpoints: [] });
    // A line without code moves to the next line that has some.
    const moved = await dc.setBreakpointsRequest({ source: { path: list }, breakpoints: [{ line: 2 }] });
    assert.strictEqual(moved.body.breakpoints[0].line, 9);
    await dc.setBreakpointsRequest({ source: { path: list }, breakpoints: [] });
    const stopped = dc.waitForEvent('stopped');
    await dc.continueRequest({ threadId: 1 });
    const fault = await stopped;
    assert.strictEqual(fault.body.reason, 'exception');
    assert.match(fault.body.text, /^DIV at 0x[0-9A-F]{6} divides by zero \(main\.c:11 in average\)$/);
    st = await dc.stackTraceRequest({ threadId: 1 });
    assert.deepStrictEqual(st.body.stackFrames.map((f) => [f.name, f.line]), [['average', 11], ['main', 23]]);
    assert.strictEqual(await value('n'), '0');
    assert.strictEqual(await value('total'), '60');

    const exited = dc.waitForEvent('exited');
    await dc.continueRequest({ threadId: 1 });
    assert.strictEqual((await exited).body.exitCode, 3);
  } finally {
    await dc.stop();
  }
});

// Breakpoints of the other kinds and changes made from the debugger: a function breakpoint with a
// hit count, a log point with expressions, a watchpoint on a node the program mallocs, and
// variables and memory set so that the program no longer faults.
test('function breakpoints, log points, watchpoints and writes', async (t) => {
  const dir = compile();
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  const list = path.join(dir, 'list.c');
  const dc = new DebugClient(path.join(bin, 'corvane-run'), '--dap', 'corvane');
  dc.defaultTimeout = 10000;
  await dc.start();
  const logged = [];
  dc.on('output', (e) => { if (e.body.category !== 'stderr') logged.push(e.body.output); });
  try {
    const init = await dc.initializeRequest({ adapterID: 'corvane' });
    assert.ok(init.body.supportsFunctionBreakpoints && init.body.supportsLogPoints && init.body.supportsDataBreakpoints);
    let fbps;
    // The second call of push stops at its first statement.
    const first = dc.assertStoppedLocation('function breakpoint', { path: list, line: 9 });
    await Promise.all([
      dc.waitForEvent('initialized').then(async () => {
        fbps = await dc.setFunctionBreakpointsRequest({ breakpoints: [{ name: 'push', hitCondition: '2' }, { name: 'nosuch' }, { name: 'sum', hitCondition: 'twice' }] });
        await dc.setBreakpointsRequest({ source: { path: list }, breakpoints: [{ line: 12, logMessage: 'node {n->value} after {pushes,x} {{ok}}' }] });
        await dc.setExceptionBreakpointsRequest({ filters: ['faults'] });
        await dc.configurationDoneRequest();
      }),
      dc.launch({ program: path.join(dir, 'prog.vrn'), args: ['--exit-status'] }),
    ]);
    assert.deepStrictEqual(fbps.body.breakpoints.map((b) => b.verified), [true, false, false]);
    await first;
    const frameId = (await dc.stackTraceRequest({ threadId: 1 })).body.stackFrames[0].id;
    const value = async (expression) => (await dc.evaluateRequest({ expression, frameId: 1, context: 'watch' })).body.result;
    assert.strictEqual(await value('value'), '20');
    // The log point of the first call printed, and did not stop.
    assert.deepStrictEqual(logged, ['node 10 after 0x1 {ok}\n']);

    // A watch on the node malloc has just returned: stops right after each of its fields is written.
    await Promise.all([dc.nextRequest({ threadId: 1 }), dc.assertStoppedLocation('step', { path: list, line: 10 })]);
    const info = await dc.customRequest('dataBreakpointInfo', { name: '*n', frameId });
    assert.deepStrictEqual(info.body.accessTypes, ['write']);
    const set = await dc.customRequest('setDataBreakpoints', { breakpoints: [{ dataId: info.body.dataId }, { dataId: '0xFFFF/2' }] });
    assert.deepStrictEqual(set.body.breakpoints.map((b) => b.verified), [true, false]);
    for (const check of ['n->value == 20', 'n->next == head']) {
      const stopped = dc.waitForEvent('stopped');
      await dc.continueRequest({ threadId: 1 });
      const ev = await stopped;
      assert.strictEqual(ev.body.reason, 'data breakpoint', check);
      assert.deepStrictEqual(ev.body.hitBreakpointIds, [set.body.breakpoints[0].id]);
      assert.strictEqual(await value(check), '1', check);
    }
    assert.strictEqual(logged.length, 2);
    await dc.customRequest('setDataBreakpoints', { breakpoints: [] });
    // Any range by address; what cannot be watched is refused with a reason.
    const byAddress = await dc.customRequest('dataBreakpointInfo', { name: '0x10', asAddress: true, bytes: 3 });
    assert.strictEqual(byAddress.body.dataId, '0x0010/3');
    for (const bad of [{ name: '0xFFFF', asAddress: true, bytes: 2 }, { name: 'nosuch', frameId }, { name: '1 + 2', frameId }]) {
      await assert.rejects(dc.customRequest('dataBreakpointInfo', bad), undefined, bad.name);
    }

    // setVariable on a global and memory written: the program then divides by 2, not by zero.
    const scopes = (await dc.scopesRequest({ frameId })).body.scopes;
    const globalsRef = scopes[1].variablesReference;
    const changed = await dc.customRequest('setVariable', { variablesReference: globalsRef, name: 'zero', value: '1 + 1' });
    assert.strictEqual(changed.body.value, '2');
    const locals = (await dc.variablesRequest({ variablesReference: scopes[0].variablesReference })).body.variables;
    const node = locals.find((v) => v.name === 'n');
    await dc.customRequest('setVariable', { variablesReference: (await dc.variablesRequest({ variablesReference: node.variablesReference })).body.variables[0].variablesReference, name: 'value', value: "'A'" });
    assert.strictEqual(await value('n->value'), '65');
    for (const [ref, name, v] of [[globalsRef, 'nosuch', '1'], [globalsRef, 'zero', '1 +'], [globalsRef, 'name', '1'], [node.variablesReference, '*', '0']]) {
      await assert.rejects(dc.customRequest('setVariable', { variablesReference: ref, name, value: v }), undefined, name);
    }
    const nameAt = (await dc.variablesRequest({ variablesReference: globalsRef })).body.variables.find((v) => v.name === 'name').memoryReference;
    const wrote = await dc.customRequest('writeMemory', { memoryReference: nameAt, data: Buffer.from('C').toString('base64') });
    assert.strictEqual(wrote.body.bytesWritten, 1);
    assert.strictEqual(await value('name'), '"Corvane"');
    const tail = Buffer.from([1, 2, 3]).toString('base64');
    await assert.rejects(dc.customRequest('writeMemory', { memoryReference: '0xFFFE', data: tail }));
    assert.strictEqual((await dc.customRequest('writeMemory', { memoryReference: '0xFFFE', data: tail, allowPartial: true })).body.bytesWritten, 2);
    await assert.rejects(dc.customRequest('writeMemory', { memoryReference: '0x10', data: 'not base64!' }));

    // The list now adds up to 10 + 65 + 30: main returns its average over 2, with no fault.
    const exited = dc.waitForEvent('exited');
    await dc.continueRequest({ threadId: 1 });
    assert.strictEqual((await exited).body.exitCode, (10 + 65 + 30) >> 1);
    assert.deepStrictEqual(logged.slice(1), ['node 20 after 0x2 {ok}\n', 'node 30 after 0x3 {ok}\n']);
  } finally {
    await dc.stop();
  }
});

// The same server on a port of 127.0.0.1: stopped on entry, stepped by instruction, an
// instruction breakpoint, a restart, and run to the end with no stop on faults.
test('a session over a port, at instruction level', async (t) => {
  const dir = compile();
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  const net = require('node:net');
  const { spawn } = require('node:child_process');
  const port = await new Promise((resolve) => {
    const probe = net.createServer().listen(0, '127.0.0.1', () => {
      const p = probe.address().port;
      probe.close(() => resolve(p));
    });
  });
  const server = spawn(path.join(bin, 'corvane-run'), ['--dap-port', String(port)], { stdio: ['ignore', 'ignore', 'pipe'] });
  const ended = new Promise((resolve) => server.on('exit', (code) => resolve(code)));
  await new Promise((resolve) => server.stderr.once('data', resolve));  // it listens
  const dc = new DebugClient('unused', 'unused', 'corvane');
  await dc.start(port);
  let detached = false;
  try {
    await dc.initializeRequest({ adapterID: 'corvane' });
    const entry = dc.waitForEvent('stopped');
    await Promise.all([
      dc.waitForEvent('initialized').then(async () => {
        await dc.setExceptionBreakpointsRequest({ filters: [] });
        await dc.configurationDoneRequest();
      }),
      dc.launchRequest({ program: path.join(dir, 'prog.vrn'), stopOnEntry: true }),
    ]);
    assert.strictEqual((await entry).body.reason, 'entry');
    const pcOf = async () => (await dc.stackTraceRequest({ threadId: 1 })).body.stackFrames[0].instructionPointerReference;
    const start = await pcOf();
    const dis = await dc.disassembleRequest({ memoryReference: start, instructionCount: 3 });
    const stepped = dc.waitForEvent('stopped');
    await dc.stepInRequest({ threadId: 1, granularity: 'instruction' });
    assert.strictEqual((await stepped).body.reason, 'step');
    assert.strictEqual(await pcOf(), dis.body.instructions[1].address);
    const third = dis.body.instructions[2].address;
    const bp = await dc.customRequest('setInstructionBreakpoints', { breakpoints: [{ instructionReference: third }, { instructionReference: '0x3' }] });
    assert.deepStrictEqual(bp.body.breakpoints.map((b) => b.verified), [true, false]);
    const hit = dc.waitForEvent('stopped');
    await dc.continueRequest({ threadId: 1 });
    assert.strictEqual((await hit).body.reason, 'instruction breakpoint');
    assert.strictEqual(await pcOf(), third);
    await dc.setFunctionBreakpointsRequest({ breakpoints: [{ name: 'push', hitCondition: '2' }] });
    // A restart runs the program again from its start, stopped on entry, with its breakpoints
    // and their hit counts from zero.
    for (const run of ['first', 'restarted']) {
      const inPush = dc.waitForEvent('stopped');
      await dc.continueRequest({ threadId: 1 });
      assert.strictEqual((await inPush).body.reason, 'function breakpoint', run);
      assert.strictEqual((await dc.evaluateRequest({ expression: 'value', frameId: 1 })).body.result, '20', run);
      if (run === 'restarted') break;
      const again = dc.waitForEvent('stopped');
      await dc.customRequest('restart');
      assert.strictEqual((await again).body.reason, 'entry');
      assert.strictEqual(await pcOf(), start);
      const rehit = dc.waitForEvent('stopped');
      await dc.continueRequest({ threadId: 1 });
      assert.strictEqual((await rehit).body.reason, 'instruction breakpoint');
      assert.strictEqual(await pcOf(), third);
    }
    // A client that leaves without ending the program lets it run on to its end (the fault).
    await dc.disconnectRequest({ terminateDebuggee: false });
    detached = true;
    assert.strictEqual(await ended, 3);
  } finally {
    if (detached) dc.stopAdapter();
    else await dc.stop();
  }
});

// Going back: a step back over a function call lands on the line that made it, not inside the
// function; the program runs forward again the same way; a reverse continue finds the last
// call of push; and from the fault a step back reaches the statement that divides.
test('reverse execution over a C program', async (t) => {
  const dir = compile();
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  const main = path.join(dir, 'main.c');
  const list = path.join(dir, 'list.c');
  const dc = new DebugClient(path.join(bin, 'corvane-run'), '--dap', 'corvane');
  dc.defaultTimeout = 10000;
  await dc.start();
  try {
    const init = await dc.initializeRequest({ adapterID: 'corvane' });
    assert.ok(init.body.supportsStepBack);
    const first = dc.assertStoppedLocation('breakpoint', { path: main, line: 22 });
    await Promise.all([
      dc.waitForEvent('initialized').then(async () => {
        await dc.setBreakpointsRequest({ source: { path: main }, breakpoints: [{ line: 22 }] });
        await dc.configurationDoneRequest();
      }),
      dc.launch({ program: path.join(dir, 'prog.vrn') }),
    ]);
    await first;
    const value = async (expression) => (await dc.evaluateRequest({ expression, frameId: 1 })).body.result;
    const frames = async () => (await dc.stackTraceRequest({ threadId: 1 })).body.stackFrames.map((f) => [f.name, f.line]);
    assert.strictEqual(await value('total'), '60');

    // Back over sum(head): main's line 21, before the call, with total not yet set.
    await Promise.all([dc.customRequest('stepBack', { threadId: 1 }), dc.assertStoppedLocation('step', { path: main, line: 21 })]);
    assert.deepStrictEqual(await frames(), [['main', 21]]);
    assert.notStrictEqual(await value('total'), '60');
    assert.strictEqual(await value('pushes'), '3');
    // Forward again over the same call, to the breakpoint it left: the same total.
    await Promise.all([dc.nextRequest({ threadId: 1 }), dc.assertStoppedLocation('breakpoint', { path: main, line: 22 })]);
    assert.strictEqual(await value('total'), '60');

    // Back to the last time push ran: its third call, with the value 30.
    await dc.setBreakpointsRequest({ source: { path: list }, breakpoints: [{ line: 11 }] });
    await Promise.all([dc.customRequest('reverseContinue', { threadId: 1 }), dc.assertStoppedLocation('breakpoint', { path: list, line: 11 })]);
    assert.deepStrictEqual((await frames()).map((f) => f[0]), ['push', 'main']);
    assert.strictEqual(await value('value'), '30');
    assert.strictEqual(await value('pushes'), '3');
    // By instruction: one instruction back, and the pushes made before it are still there.
    const pc = (await dc.stackTraceRequest({ threadId: 1 })).body.stackFrames[0].instructionPointerReference;
    await Promise.all([dc.customRequest('stepBack', { threadId: 1, granularity: 'instruction' }), dc.waitForEvent('stopped')]);
    const back = (await dc.stackTraceRequest({ threadId: 1 })).body.stackFrames[0].instructionPointerReference;
    assert.ok(parseInt(back, 16) < parseInt(pc, 16), `${back} before ${pc}`);

    // On to the fault, then back from it to the division's line.
    await dc.setBreakpointsRequest({ source: { path: list }, breakpoints: [] });
    await dc.setBreakpointsRequest({ source: { path: main }, breakpoints: [] });
    await Promise.all([dc.continueRequest({ threadId: 1 }), dc.assertStoppedLocation('exception', { path: main, line: 11 })]);
    await Promise.all([dc.customRequest('stepBack', { threadId: 1 }), dc.assertStoppedLocation('step', { path: main, line: 11 })]);
    assert.deepStrictEqual((await frames()).map((f) => f[0]), ['average', 'main']);
    assert.strictEqual(await value('n'), '0');
    assert.strictEqual(await value('total'), '60');
  } finally {
    await dc.stop();
  }
});

// An assembly program has no debug information (a `.dbg` beside it from another program is left
// out, with a message): its `.line` markers stand for its lines, so a breakpoint in the source
// stops at the marker of its line (or of the next line that has one),
// and the Operand Stack scope shows what the program pushed, from the top down. Then it spins:
// running, it answers no request that needs a stop; a pause stops it and terminate ends it.
test('an assembly program by its line markers', async (t) => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'corvane-dap-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  const source = path.join(dir, 'stack.s');
  fs.writeFileSync(source, [
    '; pushes two numbers with a marker after each, calls a function and spins',
    'main:   PUSH_W 1234',
    '        .line',
    '        PUSH_W -5',
    '',
    '        .line',
    '        SETSP 0x3000',
    '        CALL inner',
    'spin:   JMP spin',
    '.proc inner',
    '        .line',
    '        RET',
    '.endproc',
  ].join('\n') + '\n');
  execFileSync(path.join(bin, 'vrnasm'), ['stack.s'], { cwd: dir });
  const other = compile();
  t.after(() => fs.rmSync(other, { recursive: true, force: true }));
  fs.copyFileSync(path.join(other, 'prog.dbg'), path.join(dir, 'stack.dbg'));
  const dc = new DebugClient(path.join(bin, 'corvane-run'), '--dap', 'corvane');
  dc.defaultTimeout = 10000;
  await dc.start();
  const problems = [];
  dc.on('output', (e) => { if (e.body.category === 'stderr') problems.push(e.body.output); });
  try {
    await dc.initializeRequest({ adapterID: 'corvane' });
    let bps;
    const first = dc.waitForEvent('stopped');
    await Promise.all([
      dc.waitForEvent('initialized').then(async () => {
        bps = await dc.setBreakpointsRequest({ source: { path: source }, breakpoints: [{ line: 3 }, { line: 5 }, { line: 13 }] });
        await dc.configurationDoneRequest();
      }),
      dc.launch({ program: path.join(dir, 'stack.vrn') }),
    ]);
    // [verified, line]: a line without a marker moves to the next one that has it.
    assert.deepStrictEqual(bps.body.breakpoints.map((b) => [b.verified, b.line]), [[true, 3], [true, 6], [false, 13]]);
    assert.match(bps.body.breakpoints[2].message, /\.line/);
    assert.ok(problems.some((p) => /stack\.dbg: does not match the program image.*instruction level/.test(p)), problems.join(''));
    // A C source of a program without debug information still says how to get it.
    const c = await dc.setBreakpointsRequest({ source: { path: path.join(dir, 'other.c') }, breakpoints: [{ line: 1 }] });
    assert.match(c.body.breakpoints[0].message, /-g/);

    // [the stop's marker, the operand stack from its top]
    const stops = [['LINE 3', ['1234 (0x000004D2)']], ['LINE 6', ['-5 (0xFFFFFFFB)', '1234 (0x000004D2)']]];
    for (const [marker, stack] of stops) {
      if (marker !== 'LINE 3') {
        const next = dc.waitForEvent('stopped');
        await dc.continueRequest({ threadId: 1 });
        assert.strictEqual((await next).body.reason, 'breakpoint', marker);
      } else {
        assert.strictEqual((await first).body.reason, 'breakpoint');
      }
      const pc = (await dc.stackTraceRequest({ threadId: 1 })).body.stackFrames[0].instructionPointerReference;
      assert.strictEqual((await dc.disassembleRequest({ memoryReference: pc, instructionCount: 1 })).body.instructions[0].instruction, marker);
      const scope = (await dc.scopesRequest({ frameId: 1 })).body.scopes.find((s) => s.name === 'Operand Stack');
      const slots = (await dc.variablesRequest({ variablesReference: scope.variablesReference })).body.variables;
      assert.strictEqual(slots.length, 64, marker);
      assert.deepStrictEqual(slots.slice(0, stack.length).map((v) => v.value), stack, marker);
      assert.strictEqual(slots[0].name, 'top');
      // The slot's memory is the machine's: the top's bytes, little-endian.
      const mem = await dc.customRequest('readMemory', { memoryReference: slots[0].memoryReference, count: 4 });
      assert.strictEqual(Buffer.from(mem.body.data, 'base64').readInt32LE(0), parseInt(stack[0], 10), marker);
    }
    // Into the function's marker, and out again: the caller's instruction after the call.
    await dc.setBreakpointsRequest({ source: { path: source }, breakpoints: [{ line: 11 }] });
    await Promise.all([dc.continueRequest({ threadId: 1 }), dc.waitForEvent('stopped')]);
    const out = dc.waitForEvent('stopped');
    await dc.stepOutRequest({ threadId: 1 });
    assert.strictEqual((await out).body.reason, 'step');
    const after = (await dc.stackTraceRequest({ threadId: 1 })).body.stackFrames[0].instructionPointerReference;
    assert.match((await dc.disassembleRequest({ memoryReference: after, instructionCount: 1 })).body.instructions[0].instruction, /^JMP /);
    await dc.setBreakpointsRequest({ source: { path: source }, breakpoints: [] });
    await dc.continueRequest({ threadId: 1 });
    await assert.rejects(dc.customRequest('variables', { variablesReference: 1 }), /not stopped/);
    const paused = dc.waitForEvent('stopped');
    await dc.pauseRequest({ threadId: 1 });
    assert.strictEqual((await paused).body.reason, 'pause');
    assert.strictEqual((await dc.evaluateRequest({ expression: '$osp == 8', frameId: 1 })).body.result, '1');
    const ended = dc.waitForEvent('terminated');
    await dc.customRequest('terminate');
    await ended;
  } finally {
    await dc.stop();
  }
});

// An assembly program of two files, assembled with -g: the included file's marker comes first
// and has the same line number as the main file's, and each breakpoint stops only at its own
// file's marker. [file, line asked, line placed]; then the stops in order: [file, instruction
// after the marker].
test('assembly breakpoints in an included file and the file including it', async (t) => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'corvane-dap-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  const a = path.join(dir, 'a.s');
  const b = path.join(dir, 'b.s');
  fs.writeFileSync(a, ['; the main file', 'main:   SETSP 0x3000', '        JMP start', '.include "b.s"',
    'start:  CALL helper', '        .line', 'spin:   JMP spin'].join('\n') + '\n');
  fs.writeFileSync(b, ['; included before the main file\'s marker', '.proc helper', '        PUSH_W 7', '        NOP',
    '        NOP', '        .line', '        RET', '.endproc'].join('\n') + '\n');
  execFileSync(path.join(bin, 'vrnasm'), ['-g', 'a.s'], { cwd: dir });
  const dc = new DebugClient(path.join(bin, 'corvane-run'), '--dap', 'corvane');
  dc.defaultTimeout = 10000;
  await dc.start();
  try {
    await dc.initializeRequest({ adapterID: 'corvane' });
    const asked = [[a, 6, 6], [b, 3, 6], [path.join(dir, 'c.s'), 6, null]];
    let placed;
    const first = dc.waitForEvent('stopped');
    await Promise.all([
      dc.waitForEvent('initialized').then(async () => {
        placed = await Promise.all(asked.map(([file, line]) => dc.setBreakpointsRequest({ source: { path: file }, breakpoints: [{ line }] })));
        await dc.configurationDoneRequest();
      }),
      dc.launch({ program: path.join(dir, 'a.vrn') }),
    ]);
    const bps = placed.map((r) => r.body.breakpoints[0]);
    assert.deepStrictEqual(bps.map((bp, i) => [asked[i][0], asked[i][1], bp.verified ? bp.line : null]), asked);
    assert.match(bps[2].message, /no line marker of the program comes from this file/);
    const loaded = await dc.customRequest('loadedSources');
    assert.deepStrictEqual(loaded.body.sources.map((s) => s.path).sort(), [a, b]);
    const stops = [[bps[1].id, 'RET'], [bps[0].id, 'JMP']];
    for (const [id, after] of stops) {
      const stop = id === bps[1].id ? await first : await Promise.all([dc.waitForEvent('stopped'), dc.continueRequest({ threadId: 1 })]).then(([s]) => s);
      assert.deepStrictEqual(stop.body.hitBreakpointIds, [id]);
      const pc = (await dc.stackTraceRequest({ threadId: 1 })).body.stackFrames[0].instructionPointerReference;
      const code = (await dc.disassembleRequest({ memoryReference: pc, instructionCount: 2 })).body.instructions;
      assert.deepStrictEqual([code[0].instruction, code[1].instruction.split(' ')[0]], ['LINE 6', after]);
    }
    const ended = dc.waitForEvent('terminated');
    await dc.customRequest('terminate');
    await ended;
  } finally {
    await dc.stop();
  }
});

// Bytes that are no message: a header without a length, a body over the limit (1 MiB), a body that
// is not JSON. Each is reported on the console and skipped, and the request after them is served.
test('messages the server cannot read', async (t) => {
  const { spawn } = require('node:child_process');
  const server = spawn(path.join(bin, 'corvane-run'), ['--dap'], { stdio: ['pipe', 'pipe', 'ignore'] });
  // The pipes closed too, or they would keep the test's process alive.
  t.after(() => { server.stdin.destroy(); server.stdout.destroy(); server.kill('SIGKILL'); });
  const received = [];
  const answered = new Promise((resolve, reject) => {
    let buffer = Buffer.alloc(0);
    server.stdout.on('data', (chunk) => {
      buffer = Buffer.concat([buffer, chunk]);
      for (;;) {
        const end = buffer.indexOf('\r\n\r\n');
        if (end < 0) return;
        const length = Number(/Content-Length: *(\d+)/i.exec(buffer.subarray(0, end).toString())[1]);
        if (buffer.length < end + 4 + length) return;
        const message = JSON.parse(buffer.subarray(end + 4, end + 4 + length).toString());
        buffer = buffer.subarray(end + 4 + length);
        received.push(message);
        if (message.type === 'response') resolve(message);
      }
    });
    server.on('exit', () => reject(new Error('the server ended')));
  });
  const request = JSON.stringify({ seq: 7, type: 'request', command: 'initialize', arguments: { adapterID: 'corvane' } });
  const big = 'x'.repeat((1 << 20) + 1);
  server.stdin.write('Content-Size: 12\r\n\r\n');
  server.stdin.write(`Content-Length: ${big.length}\r\n\r\n${big}`);
  server.stdin.write('Content-Length: 5\r\n\r\nhello');
  server.stdin.write(`Content-Length: ${Buffer.byteLength(request)}\r\n\r\n${request}`);
  const response = await answered;
  assert.strictEqual(response.request_seq, 7);
  assert.strictEqual(response.success, true);
  const reports = received.filter((m) => m.event === 'output' && m.body.category === 'stderr');
  assert.strictEqual(reports.length, 3, JSON.stringify(reports));
});
