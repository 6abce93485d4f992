// The editor's side of the `corvane` debugger. The debug server is the simulator itself: a launch
// starts `corvane-run --dap` and talks to it over its standard input and output; an attach
// connects to a server already listening on 127.0.0.1 (`corvane --dap-port N`,
// `corvane-run --dap-port N`). Everything else, the breakpoints, stepping and going back, is the
// server's: this file only finds it and fills in a configuration.
'use strict';

const vscode = require('vscode');
const fs = require('node:fs');
const path = require('node:path');

const TYPE = 'corvane';
const RUNNER = 'corvane-run';
// The debug server listens on this address only.
const HOST = '127.0.0.1';

// Whether `file` is a program this process may start.
function isProgram(file) {
  try {
    if (!fs.statSync(file).isFile()) return false;
    if (process.platform !== 'win32') fs.accessSync(file, fs.constants.X_OK);
    return true;
  } catch {
    return false;
  }
}

// The program `name` as the shell would find it on `searchPath`, with Windows' extensions where
// they apply; undefined when it is nowhere.
function findOnPath(name, searchPath, platform = process.platform, extensions = process.env.PATHEXT) {
  const endings = platform === 'win32' ? ['', ...(extensions || '.EXE;.CMD;.BAT').split(';').filter(Boolean)] : [''];
  const separator = platform === 'win32' ? ';' : ':';
  for (const folder of (searchPath || '').split(separator)) {
    if (!folder) continue;
    for (const ending of endings) {
      const candidate = path.join(folder, name + ending);
      if (isProgram(candidate)) return candidate;
    }
  }
  return undefined;
}

// The corvane-run to start for a launch: the configuration's own `runnerPath`, else the setting,
// else the one on PATH. A relative path is taken from `base` (the workspace folder). Throws with
// a message for the user when there is none.
function runnerFor(configuration, setting, base, searchPath) {
  const chosen = configuration.runnerPath || setting;
  if (chosen) {
    const full = path.isAbsolute(chosen) || !base ? chosen : path.join(base, chosen);
    if (!isProgram(full)) throw new Error(`${full} is not a program that can be started (the Corvane runner, ${RUNNER})`);
    return full;
  }
  const found = findOnPath(RUNNER, searchPath);
  if (!found) {
    throw new Error(`${RUNNER} was not found on PATH: install Corvane, or set "corvane.runnerPath" ` +
      'to the program (for a build tree: build/default/bin/corvane-run)');
  }
  return found;
}

// The port an attach configuration names (a number, or digits from an input variable), or a
// message for the user.
function portOf(configuration) {
  const raw = configuration.port;
  const port = typeof raw === 'number' ? raw : typeof raw === 'string' && /^\s*\d+\s*$/.test(raw) ? Number(raw) : NaN;
  if (!Number.isInteger(port) || port < 1 || port > 65535) {
    throw new Error('"port" is the port number the debug server listens on, 1 to 65535 ' +
      '(the N of --dap-port N)');
  }
  return port;
}

// How VS Code reaches the debug server of one session.
class AdapterFactory {
  createDebugAdapterDescriptor(session) {
    const configuration = session.configuration;
    if (configuration.request === 'attach') return new vscode.DebugAdapterServer(portOf(configuration), HOST);
    const folder = session.workspaceFolder ? session.workspaceFolder.uri.fsPath : undefined;
    const setting = vscode.workspace.getConfiguration('corvane', session.workspaceFolder).get('runnerPath', '');
    const runner = runnerFor(configuration, setting, folder, process.env.PATH);
    const cwd = configuration.cwd || folder;
    return new vscode.DebugAdapterExecutable(runner, ['--dap'], cwd ? { cwd } : {});
  }
}

// Fills in what F5 without a launch.json needs, and stops a launch without a program before it
// starts a server that could only refuse it.
class ConfigurationProvider {
  resolveDebugConfiguration(folder, configuration) {
    if (!configuration.type && !configuration.request && !configuration.name) {
      const editor = vscode.window.activeTextEditor;
      const language = editor ? editor.document.languageId : '';
      if (language !== 'c' && language !== 'corvane-asm') {
        vscode.window.showErrorMessage('Open a C or assembly file of the program to debug, or add a ' +
          'Corvane configuration to launch.json.');
        return undefined;
      }
      const file = editor.document.uri.fsPath;
      configuration = {
        type: TYPE,
        request: 'launch',
        name: 'Debug ' + path.basename(file),
        program: path.join(path.dirname(file), path.parse(file).name + '.vrn'),
        stopOnEntry: false,
        args: [],
      };
    }
    if (configuration.request === 'launch' && !configuration.program) {
      vscode.window.showErrorMessage('A Corvane launch needs "program": the program image (.vrn) to run.');
      return undefined;
    }
    return configuration;
  }
}

function activate(context) {
  context.subscriptions.push(
    vscode.debug.registerDebugAdapterDescriptorFactory(TYPE, new AdapterFactory()),
    vscode.debug.registerDebugConfigurationProvider(TYPE, new ConfigurationProvider()));
}

function deactivate() {}

module.exports = { activate, deactivate, findOnPath, runnerFor, portOf };
