// The editor extension without the editor: extension.js loaded with a small stand-in for the
// `vscode` module, the adapter it describes for launch and attach configurations checked and
// then really reached (an initialize request answered by corvane-run), its package.json's
// debugger declaration checked against itself, and the .vsix that `make vsix` builds opened.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const path = require('node:path');
const fs = require('node:fs');
const os = require('node:os');
const net = require('node:net');
const Module = require('node:module');
const { spawn, execFileSync } = require('node:child_process');

const bin = process.env.CORVANE_BIN;
const extensionDir = path.join(__dirname, '..', '..', 'editors', 'vscode');
const manifest = JSON.parse(fs.readFileSync(path.join(extensionDir, 'package.json'), 'utf8'));

// The parts of the editor's API the extension uses, recording what it is given.
const editor = {
  settings: {},
  activeLanguage: 'c',
  activeFile: '/work/game/well.c',
  errors: [],
  registered: [],
};
const vscodeStandIn = {
  DebugAdapterExecutable: class { constructor(command, args, options) { Object.assign(this, { command, args, options }); } },
  DebugAdapterServer: class { constructor(port, host) { Object.assign(this, { port, host }); } },
  workspace: { getConfiguration: (section) => ({ get: (key, fallback) => editor.settings[`${section}.${key}`] ?? fallback }) },
  window: {
    get activeTextEditor() {
      return editor.activeLanguage ? { document: { languageId: editor.activeLanguage, uri: { fsPath: editor.activeFile } } } : undefined;
    },
    showErrorMessage: (text) => editor.errors.push(text),
  },
  debug: {
    registerDebugAdapterDescriptorFactory: (type, factory) => { editor.registered.push(['factory', type]); editor.factory = factory; return { dispose() {} }; },
    registerDebugConfigurationProvider: (type, provider) => { editor.registered.push(['provider', type]); editor.provider = provider; return { dispose() {} }; },
  },
};
const load = Module._load;
Module._load = function (request, ...rest) {
  return request === 'vscode' ? vscodeStandIn : load.call(this, request, ...rest);
};
const extension = require(path.join(extensionDir, 'extension.js'));
extension.activate({ subscriptions: [] });

// A folder with programs named as the runner, one executable and one not.
function fakeTools() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'corvane-vscode-'));
  fs.mkdirSync(path.join(dir, 'tools'));
  fs.writeFileSync(path.join(dir, 'tools', 'corvane-run'), '#!/bin/sh\n', { mode: 0o755 });
  fs.writeFileSync(path.join(dir, 'corvane-run'), 'not a program\n', { mode: 0o644 });
  return dir;
}

// A message and its answer in the protocol's framing, over a stream pair.
function initialize(input, output) {
  const body = JSON.stringify({ seq: 1, type: 'request', command: 'initialize', arguments: { adapterID: 'corvane' } });
  return new Promise((resolve, reject) => {
    let buffer = Buffer.alloc(0);
    output.on('data', (chunk) => {
      buffer = Buffer.concat([buffer, chunk]);
      const end = buffer.indexOf('\r\n\r\n');
      const length = end < 0 ? NaN : Number(/Content-Length: *(\d+)/i.exec(buffer.subarray(0, end).toString())?.[1]);
      if (buffer.length >= end + 4 + length) resolve(JSON.parse(buffer.subarray(end + 4, end + 4 + length).toString()));
    });
    output.on('error', reject);
    input.write(`Content-Length: ${Buffer.byteLength(body)}\r\n\r\n${body}`);
  });
}

test('the adapter for launch and attach configurations', (t) => {
  const dir = fakeTools();
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  assert.deepStrictEqual(editor.registered, [['factory', 'corvane'], ['provider', 'corvane']]);
  const folder = { uri: { fsPath: dir } };
  const savedPath = process.env.PATH;
  t.after(() => { process.env.PATH = savedPath; });
  const onPath = path.join(dir, 'tools', 'corvane-run');
  // [configuration, setting, PATH, what the factory gives or the error it throws]
  const cases = [
    [{ request: 'launch', program: 'a.vrn' }, '', `${dir}:${dir}/tools`, { command: onPath, args: ['--dap'], options: { cwd: dir } }],
    [{ request: 'launch', program: 'a.vrn', cwd: '/elsewhere' }, '', `${dir}/tools`, { command: onPath, args: ['--dap'], options: { cwd: '/elsewhere' } }],
    [{ request: 'launch', program: 'a.vrn' }, 'tools/corvane-run', '', { command: onPath, args: ['--dap'], options: { cwd: dir } }],
    [{ request: 'launch', program: 'a.vrn', runnerPath: onPath }, 'nowhere', '', { command: onPath, args: ['--dap'], options: { cwd: dir } }],
    [{ request: 'launch', program: 'a.vrn' }, '', `${dir}`, /corvane-run was not found on PATH/],
    [{ request: 'launch', program: 'a.vrn' }, 'corvane-run', '', /is not a program that can be started/],
    [{ request: 'launch', program: 'a.vrn', runnerPath: path.join(dir, 'tools') }, '', '', /is not a program that can be started/],
    [{ request: 'attach', port: 4711 }, '', '', { port: 4711, host: '127.0.0.1' }],
    [{ request: 'attach', port: ' 4711 ' }, '', '', { port: 4711, host: '127.0.0.1' }],
    ...[0, 65536, -1, 47.5, '', 'abc', '0x10', null, true, undefined].map((port) => [{ request: 'attach', port }, '', '', /"port" is the port number/]),
  ];
  for (const [configuration, setting, searchPath, expected] of cases) {
    editor.settings['corvane.runnerPath'] = setting;
    process.env.PATH = searchPath;
    const make = () => ({ ...editor.factory.createDebugAdapterDescriptor({ configuration, workspaceFolder: folder }) });
    const label = JSON.stringify(configuration) + ' ' + setting;
    if (expected instanceof RegExp) assert.throws(make, expected, label);
    else assert.deepStrictEqual(make(), expected, label);
  }
});

test('the configuration F5 fills in', () => {
  // [configuration, the active editor's language, what the provider gives]
  const cases = [
    [{}, 'c', { type: 'corvane', request: 'launch', name: 'Debug well.c', program: '/work/game/well.vrn', stopOnEntry: false, args: [] }],
    [{}, 'corvane-asm', { type: 'corvane', request: 'launch', name: 'Debug well.c', program: '/work/game/well.vrn', stopOnEntry: false, args: [] }],
    [{}, 'plaintext', undefined],
    [{}, '', undefined],
    [{ type: 'corvane', request: 'launch', name: 'x' }, 'c', undefined],
    [{ type: 'corvane', request: 'launch', name: 'x', program: 'p.vrn' }, 'plaintext', { type: 'corvane', request: 'launch', name: 'x', program: 'p.vrn' }],
    [{ type: 'corvane', request: 'attach', name: 'x', port: 1 }, '', { type: 'corvane', request: 'attach', name: 'x', port: 1 }],
  ];
  for (const [configuration, language, expected] of cases) {
    editor.activeLanguage = language;
    editor.errors = [];
    const got = editor.provider.resolveDebugConfiguration(undefined, configuration);
    assert.deepStrictEqual(got, expected, JSON.stringify([configuration, language]));
    // A configuration refused is refused with a message.
    assert.strictEqual(editor.errors.length, expected ? 0 : 1);
  }
});

test('the declared debugger matches what the extension serves', () => {
  const debuggers = manifest.contributes.debuggers;
  assert.deepStrictEqual(debuggers.map((d) => d.type), ['corvane']);
  const [corvane] = debuggers;
  const declared = corvane.configurationAttributes;
  assert.deepStrictEqual(Object.keys(declared).sort(), ['attach', 'launch']);
  // Every configuration the extension offers names declared attributes and its required ones.
  const offered = [...corvane.initialConfigurations, ...corvane.configurationSnippets.map((s) => s.body)];
  assert.ok(offered.some((c) => c.request === 'launch') && offered.some((c) => c.request === 'attach'));
  for (const c of offered) {
    const attributes = declared[c.request];
    assert.ok(attributes, c.name);
    assert.strictEqual(c.type, 'corvane', c.name);
    for (const key of Object.keys(c)) if (!['type', 'request', 'name'].includes(key)) assert.ok(key in attributes.properties, `${c.name}: ${key}`);
    for (const key of attributes.required) assert.ok(key in c, `${c.name}: ${key}`);
  }
  // Breakpoints in C and in assembly: the language that claims the assembler's files.
  const assembly = manifest.contributes.languages.find((l) => l.extensions.includes('.s'));
  assert.ok(assembly);
  const languages = manifest.contributes.breakpoints.map((b) => b.language).sort();
  assert.deepStrictEqual(languages, ['c', assembly.id].sort());
  assert.deepStrictEqual([...corvane.languages].sort(), languages);
  assert.ok(fs.existsSync(path.join(extensionDir, assembly.configuration)));
  assert.ok(manifest.activationEvents.includes('onDebugResolve:corvane'));
  assert.strictEqual(path.resolve(extensionDir, manifest.main), path.join(extensionDir, 'extension.js'));
  assert.ok('corvane.runnerPath' in manifest.contributes.configuration.properties);
});

test('the described adapters answer', { skip: !bin && 'CORVANE_BIN is not set' }, async (t) => {
  const savedPath = process.env.PATH;
  t.after(() => { process.env.PATH = savedPath; });
  process.env.PATH = bin;
  editor.settings['corvane.runnerPath'] = '';
  // Launch: the program and arguments the factory names serve on standard input and output.
  const launch = editor.factory.createDebugAdapterDescriptor({ configuration: { request: 'launch', program: 'x.vrn' } });
  const runner = spawn(launch.command, launch.args, { ...launch.options, stdio: ['pipe', 'pipe', 'ignore'] });
  t.after(() => { runner.stdin.destroy(); runner.stdout.destroy(); runner.kill('SIGKILL'); });
  const answer = await initialize(runner.stdin, runner.stdout);
  assert.strictEqual(answer.success, true);
  assert.strictEqual(answer.body.supportsStepBack, true);

  // Attach: the address the factory names is where --dap-port listens.
  const port = await new Promise((resolve) => {
    const probe = net.createServer().listen(0, '127.0.0.1', () => {
      const p = probe.address().port;
      probe.close(() => resolve(p));
    });
  });
  const server = spawn(path.join(bin, 'corvane-run'), ['--dap-port', String(port)], { stdio: ['ignore', 'ignore', 'pipe'] });
  t.after(() => { server.stderr.destroy(); server.kill('SIGKILL'); });
  await new Promise((resolve) => server.stderr.once('data', resolve));  // it listens
  const attach = editor.factory.createDebugAdapterDescriptor({ configuration: { request: 'attach', port: String(port) } });
  const socket = net.connect(attach.port, attach.host);
  t.after(() => socket.destroy());
  assert.strictEqual((await initialize(socket, socket)).body.supportsStepBack, true);
});

// What `make vsix` runs, into a folder of this test's own; the packager's install is the build
// tree's (CORVANE_VSIX_STAGE), made once and kept while the lock file stays the same.
test('the .vsix holds the extension', { skip: !process.env.CORVANE_VSIX_STAGE && 'CORVANE_VSIX_STAGE is not set' }, (t) => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'corvane-vsix-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  const out = path.join(dir, 'corvane-debug.vsix');
  execFileSync(path.join(extensionDir, 'package.sh'), [out, process.env.CORVANE_VSIX_STAGE], { stdio: ['ignore', 'ignore', 'inherit'] });
  const files = execFileSync('unzip', ['-Z1', out]).toString().trim().split('\n').sort();
  assert.deepStrictEqual(files.filter((f) => f.startsWith('extension/')), [
    'extension/extension.js', 'extension/language-configuration.json', 'extension/package.json', 'extension/readme.md',
  ]);
  assert.ok(files.includes('extension.vsixmanifest'));
  const packed = JSON.parse(execFileSync('unzip', ['-p', out, 'extension/package.json']).toString());
  assert.deepStrictEqual(packed.contributes, manifest.contributes);
  assert.strictEqual(execFileSync('unzip', ['-p', out, 'extension/extension.js']).toString(),
    fs.readFileSync(path.join(extensionDir, 'extension.js'), 'utf8'));
});
