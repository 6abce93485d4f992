// The C playground: a CodeMirror editor beside the running handheld. Compile & Run (the button,
// or Ctrl+Enter anywhere on the page) compiles the editor's text with vrncc in WebAssembly
// (vrncc.js, createVrncc) and opens the image in the simulator (page.js, window.corvanePage);
// the compiler's errors and warnings mark their lines and are listed under the editor; the
// program's console text shows under the handheld. The source is kept in the browser
// (localStorage) and travels in a link's fragment (#c=...).
import { basicSetup, EditorView } from 'codemirror';
import { cpp } from '@codemirror/lang-cpp';
import { lintGutter, setDiagnostics } from '@codemirror/lint';
import { editorDiagnostics, parseDiagnostics } from './diagnostics.js';
import { packSource, unpackSource } from './share.js';

const STORE_KEY = 'corvane.playground.source';
const SOURCE = 'main.c';  // in the compiler's /playground, as the messages name it
const IMAGE = 'main.vrn';
const DEBUG_INFO = 'main.dbg';  // beside the image: a failed check names its line
const CHECK_KEY = 'corvane.playground.check';
const LINK_PREFIX = '#c=';
// The console text kept under the handheld: the last this many bytes.
const CONSOLE_KEEP = 64 * 1024;

const STARTER = `#include <stdio.h>

int main(void) {
    printf("Hello!\\n");
    getchar();
    return 0;
}
`;

const page = window.corvanePage;
const el = (id) => document.getElementById(id);
const examples = el('examples');
const problems = el('problems');
const consoleView = el('console');
const linkField = el('link');
const outcome = el('outcome');
const checked = el('checked');

// What the tests read: compilations so far, the last one's outcome and messages.
const hook = window.corvanePlayground = { compiled: 0, ok: false, problems: [] };
let view = null;
hook.source = () => view.state.doc.toString();

// --- the source: a link, else what the browser kept, else a greeting ---
function storedSource() {
  try {
    return localStorage.getItem(STORE_KEY);
  } catch (e) {
    return null;  // storage refused: the source lasts for this visit
  }
}
function keepSource(text) {
  try {
    localStorage.setItem(STORE_KEY, text);
  } catch (e) { /* see storedSource */ }
}

const saved = storedSource();
let initial = saved !== null ? saved : STARTER;
let fromLink = false;
if (location.hash.startsWith(LINK_PREFIX)) {
  try {
    initial = unpackSource(location.hash.slice(LINK_PREFIX.length));
    fromLink = true;
  } catch (e) {
    initial = '';
    page.say('链接中的程序已损坏, 无法还原 (' + e.message + '): 练习场从空白开始。');
  }
  // The link has been read: from now on the address is the page's own, and a reload shows what
  // the editor holds then.
  history.replaceState(null, '', location.pathname + location.search);
}

let storeTimer = 0;
view = new EditorView({
  doc: initial,
  extensions: [
    basicSetup,
    cpp(),
    lintGutter(),
    EditorView.updateListener.of((update) => {
      if (!update.docChanged) return;
      clearTimeout(storeTimer);
      storeTimer = setTimeout(() => keepSource(view.state.doc.toString()), 300);
    }),
  ],
  parent: el('editor'),
});
if (fromLink) keepSource(initial);

// Replaces the editor's text as one change, so Ctrl+Z brings the previous text back.
function replaceSource(text) {
  view.dispatch({ changes: { from: 0, to: view.state.doc.length, insert: text } });
  keepSource(text);
}
hook.setSource = replaceSource;

// The checked mode (vrncc -g -fcheck): on unless the user turned it off here before.
try {
  checked.checked = localStorage.getItem(CHECK_KEY) !== '0';
} catch (e) { /* storage refused: on */ }
checked.addEventListener('change', () => {
  try {
    localStorage.setItem(CHECK_KEY, checked.checked ? '1' : '0');
  } catch (e) { /* see storedSource */ }
});

// --- the compiler ---
const compiler = window.createVrncc().then((vrncc) => {
  vrncc.FS.mkdir('/playground');
  vrncc.FS.chdir('/playground');
  const names = vrncc.FS.readdir('/examples').filter((n) => n.endsWith('.c')).sort();
  for (const name of names) {
    const option = document.createElement('option');
    option.value = name;
    option.textContent = name;
    examples.append(option);
  }
  return vrncc;
});
// A source the link replaced stays within reach in the list of examples.
if (fromLink && saved !== null && saved !== initial) {
  const option = document.createElement('option');
  option.value = '#saved';
  option.textContent = '之前保存的程序';
  examples.append(option);
}
examples.addEventListener('change', async () => {
  const choice = examples.value;
  examples.value = '';
  if (!choice) return;
  if (choice === '#saved') {
    replaceSource(saved);
  } else {
    const vrncc = await compiler;
    replaceSource(vrncc.FS.readFile('/examples/' + choice, { encoding: 'utf8' }));
  }
  page.say('已载入 ' + (choice === '#saved' ? '之前保存的程序' : choice) +
           '。Ctrl+Z 可恢复编辑器原来的内容。');
  view.focus();
});

// A C source dropped on the page goes into the editor (as one change: Ctrl+Z brings the text
// back); the page opens anything else as a program image.
page.onSourceDropped = async (file) => {
  replaceSource(await file.text());
  page.say('已载入 ' + file.name + '。Ctrl+Z 可恢复编辑器原来的内容。');
  view.focus();
};

// --- messages ---
function showProblems(found) {
  hook.problems = found;
  problems.replaceChildren();
  const words = { error: '错误', warning: '警告', info: '' };
  for (const d of found) {
    const item = document.createElement('li');
    item.className = d.severity;
    const place = d.file === SOURCE ? '第 ' + d.line + ' 行: ' :
      d.file ? d.file + ':' + d.line + ': ' : '';
    item.textContent = place + (words[d.severity] ? words[d.severity] + ': ' : '') + d.message;
    if (d.file === SOURCE && d.line >= 1 && d.line <= view.state.doc.lines) {
      item.classList.add('placed');
      item.addEventListener('click', () => {
        const line = view.state.doc.line(d.line);
        view.dispatch({ selection: { anchor: line.from }, scrollIntoView: true });
        view.focus();
      });
    }
    problems.append(item);
  }
  view.dispatch(setDiagnostics(view.state, editorDiagnostics(found, SOURCE, view.state.doc)));
}

// --- the console text under the handheld (GB2312, as the program writes it) ---
let consoleBytes = [];
let consoleShown = true;
const decoder = new TextDecoder('gb18030');
page.onConsole = (byte) => {
  consoleBytes.push(byte);
  if (consoleBytes.length > 2 * CONSOLE_KEEP) consoleBytes = consoleBytes.slice(-CONSOLE_KEEP);
  if (!consoleShown) return;
  consoleShown = false;
  requestAnimationFrame(() => {
    consoleShown = true;
    consoleView.textContent = decoder.decode(Uint8Array.from(consoleBytes.slice(-CONSOLE_KEEP)));
    consoleView.scrollTop = consoleView.scrollHeight;
  });
};

// --- how the program ended: a fault or a failed check, with its source line, under the
// handheld (the simulator's message boxes come here, not over the page) ---
function showOutcome(text) {
  outcome.textContent = text;
  outcome.hidden = !text;
}
page.onMessage = (text) => {
  showOutcome(text);
  return true;
};

// --- Compile & Run ---
let busy = false;
async function compileAndRun() {
  if (busy) return;
  busy = true;
  try {
    const text = view.state.doc.toString();
    keepSource(text);
    const vrncc = await compiler;
    vrncc.FS.writeFile(SOURCE, text);
    const ok = vrncc.ccall('vrncc_compile', 'number', ['string', 'string', 'number'],
                           [SOURCE, IMAGE, checked.checked ? 1 : 0]) === 1;
    const found = parseDiagnostics(vrncc.ccall('vrncc_diagnostics', 'string', [], []));
    hook.compiled += 1;
    hook.ok = ok;
    showProblems(found);
    if (!ok) return;
    await page.ready;
    consoleBytes = [];
    consoleView.textContent = '';
    showOutcome('');
    page.open(IMAGE, vrncc.FS.readFile(IMAGE),
              checked.checked ? vrncc.FS.readFile(DEBUG_INFO) : null);
    page.focus();
  } catch (e) {
    page.say('无法编译: ' + e);
  } finally {
    busy = false;
  }
}
el('run').addEventListener('click', compileAndRun);
// Ctrl+Enter (Cmd+Enter) wherever the focus is: taken before the editor's own binding.
window.addEventListener('keydown', (e) => {
  if (e.key !== 'Enter' || !(e.ctrlKey || e.metaKey)) return;
  e.preventDefault();
  e.stopPropagation();
  compileAndRun();
}, true);

// --- sharing ---
el('share').addEventListener('click', async () => {
  const link = location.origin + location.pathname + LINK_PREFIX +
    packSource(view.state.doc.toString());
  linkField.value = link;
  linkField.hidden = false;
  linkField.select();
  try {
    await navigator.clipboard.writeText(link);
    page.say('链接已复制到剪贴板。');
  } catch (e) {
    page.say('请从上方的输入框复制链接。');
  }
});
