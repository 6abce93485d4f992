// Files in and out of the page in headless Chromium: screenshots, recordings and save states
// arrive as downloads; "Export files" and "Import files" carry a program's file from one
// browser's storage to another's; refused or full storage is said once and the files last the
// visit.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const path = require('node:path');
const fs = require('node:fs');
const zlib = require('node:zlib');
const { startSite, openPage, waitConsole, waitMessage, downloaded } = require('./browser.js');

let s;
test.before(async () => { s = await startSite(['runs', 'echo']); });
test.after(async () => { if (s) await s.close(); });

const pause = (ms) => new Promise((r) => setTimeout(r, ms));
const folder = (name) => fs.mkdtempSync(path.join(s.work, name + '-'));

// Each case: the keys pressed while a program waits for a key, and the download they make.
const downloads = [
  { name: 'a screenshot (F12)', keys: ['F12'], file: /^corvane-\d{8}-\d{6}\.png$/,
    magic: Buffer.from([0x89, 0x50, 0x4e, 0x47]) },
  { name: 'a recording (F11, F11)', keys: ['F11', 'F11'], file: /^echo-\d+\.gif$/,
    magic: Buffer.from('GIF8') },
  { name: 'a save state (F7)', keys: ['F7'], file: /^echo\.1\.state$/,
    magic: Buffer.from('CORVSAVE') },
];

test('what the user saves arrives as a download', async (t) => {
  for (const c of downloads) {
    await t.test(c.name, async () => {
      const into = folder('downloads');
      const { page, context, errors } = await openPage(s, 'index.html?vrn=t/echo.vrn',
                                                       { downloads: into });
      await page.waitForFunction(() => window.corvaneTest.running());
      await page.focus('#screen');
      for (const key of c.keys) {
        await page.keyboard.press(key);
        await pause(300);
      }
      const file = await downloaded(into);
      assert.match(path.basename(file), c.file);
      assert.deepStrictEqual(fs.readFileSync(file).subarray(0, c.magic.length), c.magic);
      assert.deepStrictEqual(errors, []);
      await context.close();
    });
  }
});

test('Export files and Import files carry the root to another browser', async () => {
  const into = folder('export');
  const first = await openPage(s, 'index.html?vrn=t/runs.vrn', { downloads: into });
  await waitConsole(first.page, 'saved');
  await first.page.click('#export');
  const zip = await downloaded(into);
  assert.strictEqual(path.basename(zip), 'corvane-files.zip');
  await first.context.close();

  // A fresh browser's storage: the imported counter makes the program's run its second.
  const second = await openPage(s, 'index.html');
  const before = await second.page.evaluate(() => window.corvaneTest.persisted);
  const input = await second.page.$('#import');
  await input.uploadFile(zip);
  await waitMessage(second.page, '已导入');
  await second.page.waitForFunction((n) => window.corvaneTest.persisted > n &&
                                          !window.corvaneTest.persistPending(), {}, before);
  await second.page.goto(s.base + 'index.html?vrn=t/runs.vrn');
  await second.page.waitForFunction(() => window.corvaneTest && window.corvaneTest.started);
  await waitConsole(second.page, 'run 2');
  assert.deepStrictEqual(second.errors, []);
  await second.context.close();
});

test('an import that is no zip, or reaches out of the root, is refused', async () => {
  const { page, context } = await openPage(s, 'index.html');
  const notZip = path.join(s.work, 'not.zip');
  fs.writeFileSync(notZip, 'This is no zip.\n');
  await (await page.$('#import')).uploadFile(notZip);
  await waitMessage(page, '无法导入 not.zip');
  // A zip (stored, no compression) whose one entry climbs out of the root.
  const escape = path.join(s.work, 'escape.zip');
  fs.writeFileSync(escape, storedZip('../outside.txt', Buffer.from('out')));
  await (await page.$('#import')).uploadFile(escape);
  await waitMessage(page, '未导入: ../outside.txt');
  assert.strictEqual(await page.evaluate(() => Module.FS.analyzePath('/outside.txt').exists),
                     false);
  await context.close();
});

// Storage refused (a private window) or full (the site's quota): said once, and the program's
// files last the visit. A full storage aborts the write's transaction as it commits.
const refusals = [
  { name: 'refused', says: /SecurityError/,
    before: (p) => p.evaluateOnNewDocument(() => {
      IDBFactory.prototype.open = () => {
        throw new DOMException('The user denied permission to access the database.',
                               'SecurityError');
      };
    }) },
  { name: 'full', says: /QuotaExceededError/, fill: true,
    before: async (p) => {
      const cdp = await p.createCDPSession();
      await cdp.send('Storage.overrideQuotaForOrigin',
                     { origin: s.base.replace(/\/$/, ''), quotaSize: 256 * 1024 });
    } },
];

test('storage refused or full is said once and the files last the visit', async (t) => {
  for (const c of refusals) {
    await t.test(c.name, async () => {
      const { page, context } = await openPage(s, 'index.html?vrn=t/runs.vrn',
                                               { before: c.before });
      await waitConsole(page, 'run 1');
      // More than the quota holds, for the program's next write to carry to the storage.
      if (c.fill)
        await page.evaluate(() => Module.FS.writeFile('/corvane/big.dat', new Uint8Array(1 << 20)));
      await waitConsole(page, 'saved');
      // The program closed its file, so the page tried the storage again; hiding the page
      // tries once more.
      await page.waitForFunction(() => !window.corvaneTest.persistPending());
      await page.evaluate(() => Module._corvane_hidden(1));
      await page.waitForFunction(() => !window.corvaneTest.persistPending());
      const said = await page.evaluate(() =>
        window.corvaneTest.messages.filter((m) => m.includes('浏览器存储不可用')));
      assert.strictEqual(said.length, 1, said.join('\n'));
      assert.match(said[0], c.says);
      assert.deepStrictEqual(
        await page.evaluate(() => Array.from(Module.FS.readFile('/corvane/runs.dat'))), [1]);
      await context.close();
    });
  }
});

// A zip with one stored entry: local header, data, central directory, end record.
function storedZip(name, data) {
  const crc = zlib.crc32(data);
  const nameBytes = Buffer.from(name);
  const local = Buffer.alloc(30);
  local.writeUInt32LE(0x04034b50, 0);
  local.writeUInt16LE(20, 4);
  local.writeUInt32LE(crc, 14);
  local.writeUInt32LE(data.length, 18);
  local.writeUInt32LE(data.length, 22);
  local.writeUInt16LE(nameBytes.length, 26);
  const central = Buffer.alloc(46);
  central.writeUInt32LE(0x02014b50, 0);
  central.writeUInt16LE(20, 4);
  central.writeUInt16LE(20, 6);
  central.writeUInt32LE(crc, 16);
  central.writeUInt32LE(data.length, 20);
  central.writeUInt32LE(data.length, 24);
  central.writeUInt16LE(nameBytes.length, 28);
  const centralAt = local.length + nameBytes.length + data.length;
  const end = Buffer.alloc(22);
  end.writeUInt32LE(0x06054b50, 0);
  end.writeUInt16LE(1, 8);
  end.writeUInt16LE(1, 10);
  end.writeUInt32LE(central.length + nameBytes.length, 12);
  end.writeUInt32LE(centralAt, 16);
  return Buffer.concat([local, nameBytes, data, central, nameBytes, end]);
}
