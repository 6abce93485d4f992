// The page around the simulator: the canvas and its scaling, the keyboard and pointers, the
// browser's storage for the root directory, program images from the file picker, a drop, a link
// (?vrn=URL or #b64=...) or the demos, the root in and out as a zip, files the user saved handed
// over as downloads, and messages. The simulator itself (corvane.js/.wasm) decides everything
// the window shows; this script only carries things across. The playground (playground.html,
// <body data-page="playground">) shares it: there the simulator starts with no program and the
// playground opens what it compiles through window.corvanePage.
'use strict';

(function () {
  const ROOT = '/corvane';          // the programs' root directory, kept in IndexedDB
  const SITE = '/site';             // the font data file and the demos, fetched with the page
  const LINKS = '/links';           // programs that came from a link, for this visit only
  const params = new URLSearchParams(location.search);
  const canvas = document.getElementById('screen');
  const context = canvas.getContext('2d', { alpha: false });
  const messages = document.getElementById('messages');
  const picker = document.getElementById('pick');
  const demos = document.getElementById('demos');
  const exporter = document.getElementById('export');
  const importer = document.getElementById('import');
  const playground = document.body.dataset.page === 'playground';
  if (params.has('embed')) document.body.classList.add('embed');

  let sayHere = null;
  // What the tests (and anyone curious) can read: captures of the test hook, the console text,
  // the messages shown, the time of the first frame, how often the root was written.
  const hook = window.corvaneTest = {
    lcd: {}, console: '', messages: [], firstFrameMs: 0, started: false, ended: false,
    persisted: 0, storageProblem: '',
    frames: () => Module._corvane_frames(),
    menuChecked: (command) => Module._corvane_menu_checked(command) !== 0,
    instructions: () => Module._corvane_instructions(),
    running: () => Module._corvane_running() !== 0,
    menuOpen: () => Module._corvane_menu_open() !== 0,
    persistPending: () => persisting || persistAgain,
  };

  function say(text) {
    hook.messages.push(text);
    const item = document.createElement('div');
    item.className = 'message';
    const words = document.createElement('span');
    words.textContent = text;
    const close = document.createElement('button');
    close.textContent = '×';
    close.setAttribute('aria-label', '关闭');
    close.onclick = () => { item.remove(); canvas.focus(); };
    item.append(words, close);
    messages.append(item);
  }

  // The simulator's own messages (its message boxes: a program's fault, a failed check): the
  // playground shows them under the handheld, beside the program's console text.
  function simulatorSays(text) {
    if (sayHere && sayHere(text)) {
      hook.messages.push(text);
      return;
    }
    say(text);
  }

  // A file handed to the user: the browser saves it as a download named `name`.
  function download(name, bytes) {
    const types = { '.png': 'image/png', '.gif': 'image/gif', '.zip': 'application/zip' };
    const dot = name.lastIndexOf('.');
    const type = types[dot >= 0 ? name.slice(dot).toLowerCase() : ''] || 'application/octet-stream';
    const url = URL.createObjectURL(new Blob([bytes], { type }));
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    // The download has taken its copy by the time the page could need the memory back.
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  // --- the canvas ---
  let picture = null;  // the whole window image as RGBA
  let source = { left: 0, top: 0, width: canvas.width, height: canvas.height };

  // The canvas's pixels scaled to fill the stage: by the largest whole multiple (in device
  // pixels, so every window pixel is an even, crisp block) once at least two fit; below that
  // (a phone, a small window) by whatever fits, since one to one would leave most of it empty.
  function fit() {
    const stage = document.getElementById('stage');
    const ratio = window.devicePixelRatio || 1;
    const room = Math.min(stage.clientWidth * ratio / source.width,
                          stage.clientHeight * ratio / source.height);
    const scale = room >= 2 ? Math.floor(room) : room;
    canvas.style.width = (source.width * scale / ratio) + 'px';
    canvas.style.height = (source.height * scale / ratio) + 'px';
  }
  window.addEventListener('resize', fit);

  // --- full screen: the host's mode (its menu item, Alt+Enter) on the page ---
  // The page as a whole fills the screen (the bar hidden, the stage all of it), so the messages
  // still show over it. `wanted` is the host's mode: whatever ends the browser's full screen
  // otherwise (Esc, the browser's own controls, a refused request) turns the host's mode off.
  let fullscreenWanted = false;
  function fullscreenLeft() {
    if (hook.started) Module._corvane_fullscreen_left();
  }
  function setFullscreen(on) {
    fullscreenWanted = on;
    const active = !!document.fullscreenElement;
    if (on && !active) {
      const root = document.documentElement;
      // Asked for from the frame that carried out a key or a tap: still within the browser's
      // allowance for a user's gesture. A page in a frame without allow="fullscreen", or a
      // request with no gesture at all (a setting kept from the last visit), is refused.
      const refused = (e) => {
        if (!fullscreenWanted || document.fullscreenElement) return;
        fullscreenWanted = false;
        fullscreenLeft();
        const gesture = !navigator.userActivation || navigator.userActivation.hasBeenActive;
        if (gesture) say('浏览器不允许本页全屏' + (e && e.name ? ' (' + e.name + ')' : '') + '。');
      };
      try {
        const request = root.requestFullscreen ? root.requestFullscreen({ navigationUI: 'hide' })
          : Promise.reject(new Error('no Fullscreen API'));
        request.catch(refused);
      } catch (e) {
        refused(e);
      }
    } else if (!on && active) {
      document.exitFullscreen().catch(() => { /* already left */ });
    }
  }
  document.addEventListener('fullscreenchange', () => {
    const active = !!document.fullscreenElement;
    document.body.classList.toggle('fullscreen', active);
    fit();
    if (active && !fullscreenWanted) {
      document.exitFullscreen().catch(() => { /* already left */ });
    } else if (!active && fullscreenWanted) {
      fullscreenWanted = false;
      fullscreenLeft();
    }
  });

  // Pointer position on the canvas, in window-image pixels.
  function spot(e) {
    const r = canvas.getBoundingClientRect();
    return {
      x: source.left + Math.floor((e.clientX - r.left) * canvas.width / r.width),
      y: source.top + Math.floor((e.clientY - r.top) * canvas.height / r.height),
    };
  }

  // --- what the simulator calls (host/platform/web/page.cpp) ---
  let persisting = false;
  let persistAgain = false;
  // A write to the browser's storage ends in success, in an error, or in an aborted transaction:
  // a full disk or quota aborts the transaction as it commits, and the file system's sync then
  // never calls back (nor does it pass on a request's error). So the database's own events are
  // watched while a write is under way: IndexedDB raises a request's error and a transaction's
  // abort from the transaction to its database.
  function persist() {
    if (persisting) { persistAgain = true; return; }
    persisting = true;
    const databases = Object.values(Module.FS.filesystems.IDBFS.dbs || {});
    let settled = false;
    const failed = (e) => finish((e.target && e.target.error) ||
                                 new DOMException('The write was aborted.', 'AbortError'));
    function finish(error) {
      if (settled) return;
      settled = true;
      for (const db of databases) {
        db.removeEventListener('error', failed);
        db.removeEventListener('abort', failed);
      }
      persisting = false;
      if (error) storageProblem(error); else hook.persisted++;
      if (persistAgain) { persistAgain = false; persist(); }
    }
    for (const db of databases) {
      db.addEventListener('error', failed);
      db.addEventListener('abort', failed);
    }
    try {
      Module.FS.syncfs(false, finish);
    } catch (e) {
      finish(e);
    }
  }
  function storageProblem(error) {
    if (hook.storageProblem) return;  // said once; the files go on for this visit
    hook.storageProblem = String(error && (error.name || error.message) || error);
    say('浏览器存储不可用 (' + hook.storageProblem + '): 文件只保留到关闭本页为止。');
  }

  let audio = null;
  const page = {
    present(rgb, width, height, first, rows) {
      if (!picture || picture.width !== width || picture.height !== height)
        picture = new ImageData(width, height);
      const out = picture.data;
      for (let s = 0, d = first * width * 4; s < rgb.length; s += 3, d += 4) {
        out[d] = rgb[s]; out[d + 1] = rgb[s + 1]; out[d + 2] = rgb[s + 2]; out[d + 3] = 255;
      }
      context.putImageData(picture, -source.left, -source.top, 0, first, width, rows);
      if (!hook.firstFrameMs) hook.firstFrameMs = performance.now();
    },
    setSource(left, top, width, height) {
      source = { left, top, width, height };
      canvas.width = width;
      canvas.height = height;
      fit();
    },
    message: simulatorSays,
    fullscreen: setFullscreen,
    pickProgram() { picker.click(); },
    beep() {
      try {
        audio = audio || new AudioContext();
        const tone = audio.createOscillator();
        tone.frequency.value = 2000;
        tone.connect(audio.destination);
        tone.start();
        tone.stop(audio.currentTime + 0.05);
      } catch (e) { /* no audio: no beep, as on a desktop without a device */ }
    },
    persist,
    // A screenshot, recording or save state the user asked for, written in the root: handed
    // over as a download (the browser's storage is out of the user's reach).
    saved(path) {
      try {
        download(path.split('/').pop(), Module.FS.readFile(path));
      } catch (e) {
        say('无法下载 ' + path + ': ' + e);
      }
    },
    lcdCaptured(frame, bytes) { hook.lcd[frame] = Array.from(bytes); },
    consoleByte(byte) {
      hook.console += String.fromCharCode(byte);
      if (api.onConsole) api.onConsole(byte);
    },
    ended() {
      hook.ended = true;
      say('Corvane 已退出。重新载入本页即可再次启动。');
    },
  };

  // --- input ---
  // Keys typed into a field or an editor (the playground's) are the field's.
  function typing(e) {
    const t = e.target;
    return t && (t.tagName === 'INPUT' || t.tagName === 'SELECT' || t.tagName === 'TEXTAREA' ||
                 t.isContentEditable);
  }
  function keyEvent(down, e) {
    if (!hook.started || typing(e)) return;
    // The browser's own shortcuts stay the browser's; a release always reaches the simulator.
    if (down && (e.ctrlKey || e.metaKey)) return;
    const chars = [...e.key];
    const character = chars.length === 1 ? chars[0].codePointAt(0) : 0;
    if (Module.ccall('corvane_key', 'number', ['number', 'string', 'number', 'number'],
                     [down ? 1 : 0, e.code, character, e.altKey ? 1 : 0]))
      e.preventDefault();
  }
  window.addEventListener('keydown', (e) => keyEvent(true, e));
  window.addEventListener('keyup', (e) => keyEvent(false, e));
  window.addEventListener('blur', () => { if (hook.started) Module._corvane_blur(); });

  function pointer(phase, e) {
    if (!hook.started) return;
    const at = spot(e);
    Module._corvane_pointer(phase, e.pointerId, e.pointerType === 'mouse' ? 0 : 1, e.button,
                            at.x, at.y);
  }
  canvas.addEventListener('pointerdown', (e) => {
    e.preventDefault();
    canvas.focus();
    canvas.setPointerCapture(e.pointerId);
    pointer(0, e);
  });
  canvas.addEventListener('pointermove', (e) => pointer(1, e));
  canvas.addEventListener('pointerup', (e) => pointer(2, e));
  canvas.addEventListener('pointercancel', (e) => pointer(3, e));
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());

  document.addEventListener('visibilitychange', () => {
    if (hook.started) Module._corvane_hidden(document.hidden ? 1 : 0);
  });
  window.addEventListener('pagehide', () => { if (hook.started) Module._corvane_hidden(1); });
  window.addEventListener('pageshow', () => {
    if (hook.started && !document.hidden) Module._corvane_hidden(0);
  });

  // --- program images ---
  // A program from the user's disk is kept in the root's "programs" folder, so the recent list
  // still finds it after a reload.
  function fileName(name, fallback) {
    const base = String(name || '').split(/[\\/]/).pop().replace(/[^\w.\-\u0080-\uffff]/g, '_');
    return base && base !== '.' && base !== '..' ? base : fallback;
  }
  function openBytes(folder, name, bytes) {
    const FS = Module.FS;
    try { FS.mkdir(folder); } catch (e) { /* already there */ }
    const path = folder + '/' + name;
    FS.writeFile(path, bytes);
    return path;
  }
  async function openFile(file) {
    const bytes = new Uint8Array(await file.arrayBuffer());
    const path = openBytes(ROOT + '/programs', fileName(file.name, 'program.vrn'), bytes);
    persist();
    Module.ccall('corvane_open', null, ['string'], [path]);
    canvas.focus();
  }
  if (picker) picker.addEventListener('change', () => {
    if (picker.files.length && hook.started) openFile(picker.files[0]);
    picker.value = '';
  });
  document.addEventListener('dragover', (e) => {
    e.preventDefault();
    document.body.classList.add('dragging');
  });
  document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    document.body.classList.remove('dragging');
    const files = e.dataTransfer && e.dataTransfer.files;
    if (!files || !files.length) return;
    // The playground takes a C source into its editor; anything else is a program image.
    if (api.onSourceDropped && /\.[ch]$/i.test(files[0].name)) {
      api.onSourceDropped(files[0]);
      return;
    }
    if (hook.started) openFile(files[0]);
  });
  if (demos) demos.addEventListener('change', () => {
    if (demos.value && hook.started)
      Module.ccall('corvane_open', null, ['string'], [SITE + '/demos/' + demos.value + '.vrn']);
    demos.value = '';
    canvas.focus();
  });

  // --- the root as a zip: "Export files" and "Import files" ---
  // What the program's open streams still buffer is written out first, so the zip holds it.
  if (exporter) exporter.addEventListener('click', () => {
    if (!hook.started) return;
    Module._fflush(0);
    try {
      download('corvane-files.zip', window.corvaneFiles.zipTree(Module.FS, ROOT));
    } catch (e) {
      say('无法导出文件: ' + e.message);
    }
    canvas.focus();
  });
  // Imported files join the root (a file of the same name is replaced) and go to the browser's
  // storage at once.
  if (importer) importer.addEventListener('change', async () => {
    const file = importer.files[0];
    importer.value = '';
    if (!file || !hook.started) return;
    try {
      const result = window.corvaneFiles.unzipInto(Module.FS, ROOT,
                                                   new Uint8Array(await file.arrayBuffer()));
      persist();
      let text = '已导入 ' + result.written.length + ' 个文件。';
      if (result.skipped.length) text += ' 未导入: ' + result.skipped.join(', ');
      say(text);
    } catch (e) {
      say('无法导入 ' + file.name + ': ' + e.message);
    }
    canvas.focus();
  });

  // A program named by the page's address: ?vrn=URL (same origin, or a server that allows this
  // page to read it), or #b64=... with the image itself. Null when there is none or it failed
  // (the page says why and starts without it).
  async function linkedProgram() {
    if (playground) return null;  // the playground's fragment is its source, read by itself
    if (params.has('vrn')) {
      const url = params.get('vrn');
      let response;
      try {
        response = await fetch(url);
      } catch (e) {
        say('无法获取 ' + url + ': 网络错误, 或服务器不允许本页读取 (CORS)。');
        return null;
      }
      if (!response.ok) {
        say('无法获取 ' + url + ': HTTP ' + response.status + ' ' + response.statusText);
        return null;
      }
      const bytes = new Uint8Array(await response.arrayBuffer());
      const name = fileName(new URL(url, location.href).pathname, 'link.vrn');
      return openBytes(LINKS, name, bytes);
    }
    if (location.hash.startsWith('#b64=')) {
      let text = decodeURIComponent(location.hash.slice(5)).replace(/-/g, '+').replace(/_/g, '/');
      while (text.length % 4) text += '=';
      let binary;
      try {
        binary = atob(text);
      } catch (e) {
        say('链接中的程序已损坏 (#b64= 不是有效的 base64)。');
        return null;
      }
      const bytes = Uint8Array.from(binary, (c) => c.charCodeAt(0));
      return openBytes(LINKS, 'link.vrn', bytes);
    }
    return null;
  }

  // What another script of the page (the playground) may do: open a program image it made
  // (with its debug information, which names the source line of a fault), follow the console
  // text, take the simulator's messages, say something.
  let started;
  const api = window.corvanePage = {
    ready: new Promise((resolve) => { started = resolve; }),
    onConsole: null,
    onSourceDropped: null,
    set onMessage(f) { sayHere = f; },
    open(name, bytes, debugInfo) {
      const path = openBytes(LINKS, fileName(name, 'program.vrn'), bytes);
      const dbg = path.replace(/\.[^./]*$/, '') + '.dbg';
      if (debugInfo) {
        Module.FS.writeFile(dbg, debugInfo);
      } else {
        try { Module.FS.unlink(dbg); } catch (e) { /* none */ }
      }
      Module.ccall('corvane_open', null, ['string'], [path]);
    },
    focus() { canvas.focus(); },
    say,
  };

  // The test hook: virtual time with scripted keys and LCD captures, as corvane-run's.
  function hookArguments() {
    if (!params.has('virtual')) return [];
    const args = ['--virtual'];
    for (const name of ['ips', 'date', 'keys', 'lcd'])
      if (params.has(name)) args.push('--' + name, params.get(name));
    return args;
  }

  // Everything the file system must hold before the simulator starts.
  async function fetchSiteFiles() {
    const FS = Module.FS;
    FS.mkdir(SITE);
    FS.mkdir(SITE + '/demos');
    try {
      const font = await fetch('duzezi.dat');
      if (font.ok) FS.writeFile(SITE + '/duzezi.dat', new Uint8Array(await font.arrayBuffer()));
    } catch (e) { /* the simulator says that the font data file is missing */ }
    try {
      const list = await (await fetch('demos/index.json')).json();
      await Promise.all(list.map(async (name) => {
        const r = await fetch('demos/' + name + '.vrn');
        if (!r.ok) return;
        FS.writeFile(SITE + '/demos/' + name + '.vrn', new Uint8Array(await r.arrayBuffer()));
        const option = document.createElement('option');
        option.value = name;
        option.textContent = name;
        if (demos) demos.append(option);
      }));
    } catch (e) { /* no demos: the page still opens programs */ }
  }

  function mountRoot() {
    const FS = Module.FS;
    FS.mkdir(ROOT);
    FS.mount(FS.filesystems.IDBFS, {}, ROOT);
    return new Promise((resolve) => {
      try {
        FS.syncfs(true, (error) => { if (error) storageProblem(error); resolve(); });
      } catch (e) {
        storageProblem(e);
        resolve();
      }
    });
  }

  window.Module = {
    page,
    canvas,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    preRun: [() => {
      Module.addRunDependency('corvane-files');
      Promise.all([mountRoot(), fetchSiteFiles()])
        .then(() => Module.removeRunDependency('corvane-files'));
    }],
    onRuntimeInitialized: async () => {
      const linked = await linkedProgram();
      const image = linked || (playground || params.has('vrn') || location.hash.startsWith('#b64=')
        ? null : SITE + '/demos/showcase.vrn');
      const args = hookArguments();
      let exists = false;
      try { exists = image && Module.FS.analyzePath(image).exists; } catch (e) { /* none */ }
      if (exists) args.push('--image', image);
      hook.started = true;
      fit();
      Module.callMain(args);
      if (!playground) canvas.focus();
      started();
    },
  };
})();
