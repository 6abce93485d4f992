// The C playground in headless Chromium: a program compiles and runs (its console text shows
// under the handheld), an error and a warning mark their lines, a failed check of the checked
// mode names its line under the handheld, a shared link brings the source back (and the browser
// keeps it over a reload), a dropped C source goes into the editor, an example compiles and
// runs, and a damaged link opens an empty playground with a message.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const zlib = require('node:zlib');
const { startSite, openPage, waitConsole, waitMessage } = require('./browser.js');

let s;
test.before(async () => { s = await startSite([]); });
test.after(async () => { if (s) await s.close(); });

async function openPlayground(address = 'playground.html', options = {}) {
  const opened = await openPage(s, address, options);
  await opened.page.waitForFunction(() => window.corvanePlayground &&
    document.querySelectorAll('#examples option').length > 1, { timeout: 20000 });
  return opened;
}

const lines = (...l) => l.join('\n') + '\n';

// Each case: the source, how it is compiled (the key or the button), whether an image comes
// out, what its console shows, and the (line, severity) of each mark in the editor.
const cases = [
  { name: 'a program runs (Ctrl+Enter)', key: true, ok: true, console: 'sum=5',
    source: lines('#include <stdio.h>', '', 'int main(void) {',
                  '    printf("sum=%d\\n", 2 + 3);', '    getchar();', '    return 0;', '}'),
    marks: [] },
  { name: 'an error is marked on its line', ok: false,
    source: lines('#include <stdio.h>', '', 'int main(void) {', '    nowhere = 3;',
                  '    return 0;', '}'),
    marks: [[4, 'error']] },
  { name: 'a warning is marked and the program runs', ok: true, console: '中文 ok',
    source: lines('#include <stdio.h>', '', 'int main(void) {', '    int unused;',
                  '    printf("中文 ok\\n");', '    getchar();', '    return 0;', '}'),
    marks: [[4, 'warning']] },
  // The checked mode, on by default: a failed check ends the program and its message, with the
  // source line, shows under the handheld; turned off, the same program goes on.
  { name: 'a failed check names its line under the handheld', ok: true,
    outcome: /null pointer write at 0x[0-9A-F]+ \(main\.c:6 in main\)/,
    source: lines('#include <stdio.h>', '', 'int main(void) {', '    int *p = 0;',
                  '    printf("before\\n");', '    *p = 1;', '    printf("went on\\n");',
                  '    getchar();', '    return 0;', '}'),
    console: 'before', marks: [] },
  { name: 'the checked mode turned off', ok: true, check: false, console: 'went on',
    source: lines('#include <stdio.h>', '', 'int main(void) {', '    int *p = 0;',
                  '    *p = 1;', '    printf("went on\\n");', '    getchar();', '    return 0;', '}'),
    marks: [] },
];

test('the playground compiles, runs and marks lines', async (t) => {
  for (const c of cases) {
    await t.test(c.name, async () => {
      const { page, context, errors } = await openPlayground();
      await page.evaluate((text) => window.corvanePlayground.setSource(text), c.source);
      if (c.check === false) await page.click('#checked');
      if (c.key) {
        await page.click('.cm-content');
        await page.keyboard.down('Control');
        await page.keyboard.press('Enter');
        await page.keyboard.up('Control');
      } else {
        await page.click('#run');
      }
      await page.waitForFunction(() => window.corvanePlayground.compiled === 1);
      const result = await page.evaluate(() => ({
        ok: window.corvanePlayground.ok,
        source: window.corvanePlayground.source(),
        // The line of each marked range, and the gutter's markers.
        marks: [...document.querySelectorAll('.cm-content .cm-line')].flatMap((line, i) =>
          ['error', 'warning'].filter((k) => line.querySelector('.cm-lintRange-' + k))
            .map((k) => [i + 1, k])),
        gutter: document.querySelectorAll('.cm-lint-marker').length,
        listed: [...document.querySelectorAll('#problems li')].map((li) => li.textContent),
      }));
      // The key compiled the text as it was: Ctrl+Enter added no line to it.
      assert.strictEqual(result.source, c.source);
      assert.strictEqual(result.ok, c.ok);
      assert.deepStrictEqual(result.marks, c.marks);
      assert.strictEqual(result.gutter, c.marks.length);
      assert.strictEqual(result.listed.length, c.marks.length, result.listed.join('\n'));
      for (const [line] of c.marks)
        assert.ok(result.listed.some((l) => l.startsWith('第 ' + line + ' 行')), result.listed[0]);
      if (c.console) {
        await page.waitForFunction((text) =>
          document.getElementById('console').textContent.includes(text), { timeout: 20000 },
          c.console);
      } else {
        assert.strictEqual(await page.evaluate(() => window.corvaneTest.running()), false);
      }
      if (c.outcome) {
        await page.waitForFunction(() => !document.getElementById('outcome').hidden,
                                   { timeout: 20000 });
        assert.match(await page.$eval('#outcome', (e) => e.textContent), c.outcome);
        // Shown there, not over the page.
        assert.strictEqual(await page.$$eval('#messages .message', (m) => m.length), 0);
      }
      assert.deepStrictEqual(errors, []);
      await context.close();
    });
  }
});

test('a shared link brings the source back', async () => {
  const source = lines('#include <stdio.h>', '/* 分享 */', 'int main(void) {',
                       '    printf("shared\\n");', '    getchar();', '    return 0;', '}');
  const first = await openPlayground();
  await first.page.evaluate((text) => window.corvanePlayground.setSource(text), source);
  await first.page.click('#share');
  const link = await first.page.$eval('#link', (e) => e.value);
  await first.context.close();
  assert.match(link, /playground\.html#c=[A-Za-z0-9_-]+$/);

  const second = await openPlayground(link.slice(s.base.length));
  assert.strictEqual(await second.page.evaluate(() => window.corvanePlayground.source()), source);
  await second.page.click('#run');
  await waitConsole(second.page, 'shared');
  // The address no longer carries the link: a reload shows what the editor holds, kept in the
  // browser.
  assert.strictEqual(await second.page.evaluate(() => location.hash), '');
  await second.page.reload();
  await second.page.waitForFunction(() => window.corvanePlayground &&
    document.querySelectorAll('#examples option').length > 1, { timeout: 20000 });
  assert.strictEqual(await second.page.evaluate(() => window.corvanePlayground.source()), source);
  // A C source dropped on the page goes into the editor.
  await second.page.evaluate(() => {
    const files = new DataTransfer();
    files.items.add(new File(['int main(void) { return 0; }\n'], 'dropped.c'));
    document.dispatchEvent(new DragEvent('drop', { dataTransfer: files, cancelable: true }));
  });
  await second.page.waitForFunction(() =>
    window.corvanePlayground.source() === 'int main(void) { return 0; }\n');
  // An example (a demo's C source, with the headers the demos share) compiles and runs.
  await second.page.select('#examples', 'snake.c');
  await second.page.waitForFunction(() => window.corvanePlayground.source().includes('snake'));
  await second.page.click('#run');
  await second.page.waitForFunction(() => window.corvanePlayground.compiled === 1 &&
    window.corvanePlayground.ok && window.corvaneTest.running(), { timeout: 20000 });
  assert.deepStrictEqual(second.errors, []);
  await second.context.close();
});

test('a damaged link opens an empty playground with a message', async (t) => {
  const deflated = (bytes) => zlib.deflateRawSync(bytes).toString('base64url');
  const cases = [
    { name: 'not base64url', fragment: '@@not*base64@@' },
    { name: 'not deflated', fragment: Buffer.from('plain text').toString('base64url') },
    { name: 'cut short', fragment: deflated(Buffer.from('int main(void) { return 0; }')).slice(0, 12) },
    { name: 'not UTF-8', fragment: deflated(Buffer.from([0xd6, 0xd0, 0xff])) },
    // Two megabytes of one letter deflate to a couple of kilobytes: refused past a megabyte.
    { name: 'too long once inflated', fragment: deflated(Buffer.alloc(2 << 20, 0x61)) },
  ];
  for (const c of cases) {
    await t.test(c.name, async () => {
      const { page, context, errors } = await openPlayground('playground.html#c=' + c.fragment);
      await waitMessage(page, '链接中的程序已损坏');
      assert.strictEqual(await page.evaluate(() => window.corvanePlayground.source()), '');
      assert.deepStrictEqual(errors, []);
      await context.close();
    });
  }
});
