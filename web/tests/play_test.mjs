// The game in real browsers (make test-web): the menus in both languages, a
// new world from the seed "abc" whose save is the native build's byte for
// byte, a crafted save uploaded and played (walking, F3, a treasure, a
// fight), Escape saving, a reload that finds the world's progress kept, a
// second tab refused the world the first one plays, and the game for a
// screen reader, whose lines the page's live region says. Chromium keeps the
// saves in OPFS, Firefox in IndexedDB, so each storage is played through.
//
// Usage: node web/tests/play_test.mjs SITE FIXTURES [BROWSER...]
//   SITE      the static site (build/web)
//   FIXTURES  the directory web_fixture_saves wrote (its saves/ holds abc.dat
//             and crafted.dat)
//   BROWSER   chromium (the default) and/or firefox
import assert from 'node:assert/strict';
import { createHash } from 'node:crypto';
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { openGame, press, screenText, startBrowser, waitForText } from './browser.mjs';

const [site, fixtures, ...browsers] = process.argv.slice(2);
if (!site || !fixtures) {
  console.error('usage: node web/tests/play_test.mjs SITE FIXTURES [chromium] [firefox]');
  process.exit(2);
}

const kChineseMenu = '|1.开始游戏|2.游戏说明|3.退出游戏|';
const kEnglishMenu = '|1.Start   |2.Introduce|3.Exit   |';
const kChineseChoice = '输入0创建新存档';
const kEnglishChoice = 'Enter 0 to create a new archive';

const nativeSave = (name) => join(fixtures, 'saves', name);
const sha256 = (bytes) => createHash('sha256').update(bytes).digest('hex');

// Opens the listed save whose world is `world` from the playthrough's list.
async function openListed(page, world, label, choice) {
  const screen = await waitForText(page, [choice, label + world]);
  const worlds = screen.split('\n').filter((row) => row.startsWith(label)).map((row) => row.slice(label.length));
  const number = worlds.indexOf(world) + 1;
  assert.ok(number > 0, `${world} is not listed:\n${screen}`);
  await press(page, String(number), 'Enter');
}

// The save's bytes as the page's download button hands them over, checked
// against the native save: a real download where the browser is driven
// through CDP, the digest of the same file elsewhere.
async function checkDownload(page, browserName, name) {
  await page.select('#saves', name);
  const expected = readFileSync(nativeSave(name));
  if (browserName !== 'chromium') {
    const digest = await page.evaluate(async (file) => {
      const blob = await window.lanternvale.saveFile(file);
      const bytes = await crypto.subtle.digest('SHA-256', await blob.arrayBuffer());
      return [...new Uint8Array(bytes)].map((byte) => byte.toString(16).padStart(2, '0')).join('');
    }, name);
    assert.equal(digest, sha256(expected), `${name} in the browser differs from the native save`);
    return;
  }
  const folder = mkdtempSync(join(tmpdir(), 'lanternvale-download-'));
  try {
    const session = await page.createCDPSession();
    await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: folder });
    await page.click('#download');
    const file = join(folder, name);
    const deadline = Date.now() + 60000;
    while (!(existsSync(file) && statSync(file).size === expected.length && readdirSync(folder).length === 1)) {
      assert.ok(Date.now() < deadline, `no ${name} downloaded: ${readdirSync(folder)}`);
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
    assert.ok(readFileSync(file).equals(expected), `the downloaded ${name} differs from the native save`);
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

async function uploadSave(page, name) {
  const input = await page.$('#upload');
  await input.uploadFile(nativeSave(name));
  await page.waitForFunction((file) => document.getElementById('message').textContent.startsWith(file + ' uploaded'),
                             { timeout: 60000 }, name);
}

// The lines of the page's live region as a screen reader finds them: from
// the page's accessibility tree where the browser gives puppeteer one
// (Chromium), else from the page itself.
async function spokenLines(page, browserName) {
  if (browserName !== 'chromium') {
    return page.$$eval('#announcement p', (lines) => lines.map((line) => line.textContent));
  }
  const tree = await page.accessibility.snapshot({ interestingOnly: false });
  const find = (node) => (node.role === 'log' ? node : (node.children || []).map(find).find(Boolean));
  const texts = (node) => (node.role === 'StaticText' ? [node.name] : (node.children || []).flatMap(texts));
  const log = find(tree);
  return log ? texts(log) : [];
}

async function waitForSpoken(page, browserName, line) {
  const deadline = Date.now() + 20000;
  for (;;) {
    const lines = await spokenLines(page, browserName);
    if (lines.includes(line)) return;
    assert.ok(Date.now() < deadline, `the live region never said ${line}; it says ${JSON.stringify(lines)}`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

// Waits until the row of the terminal where the cursor is shows `line`.
async function waitForCursorRow(page, line) {
  const deadline = Date.now() + 20000;
  for (;;) {
    const [row, cursor] = await page.evaluate(() => {
      const buffer = window.lanternvale.terminal.buffer.active;
      // The game fills the row with blanks, which the terminal keeps as text.
      return [buffer.getLine(buffer.baseY + buffer.cursorY).translateToString().trimEnd(), [buffer.cursorY, buffer.cursorX]];
    });
    if (row === line) return;
    assert.ok(Date.now() < deadline, `the cursor (${cursor}) is on ${JSON.stringify(row)}, not ${line}:\n${await screenText(page)}`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

const kStorageOf = { chromium: 'OPFS', firefox: 'IndexedDB' };

async function play(browserName) {
  const run = await startBrowser(browserName, site);
  const query = `?storage=${kStorageOf[browserName]}`;
  try {
    const { page } = await openGame(run.browser, run.address, query);
    const storage = await page.evaluate(() => window.lanternvale.storage);
    assert.equal(storage, kStorageOf[browserName]);
    console.log(`${browserName}: the saves live in ${storage}`);

    // Both languages' menus.
    await waitForText(page, [kChineseMenu, '|      青灯万象录：寂静之河      |']);
    await press(page, '4');
    await waitForText(page, '|1.简体中文 2.English            |');
    await press(page, '2');
    await waitForText(page, kEnglishMenu);

    // A new world from the seed "abc", saved at once and again at Escape.
    await press(page, '1');
    await waitForText(page, ['There are no available archives.', kEnglishChoice]);
    await press(page, '0', 'Enter');
    await waitForText(page, 'Please enter the world name:');
    await press(page, 'abc', 'Enter');
    await waitForText(page, 'Please enter the seed:');
    await press(page, 'abc', 'Enter');
    await waitForText(page, ['+------------------------------------------+', 'YY'], 60000);
    await press(page, 'Escape');
    await waitForText(page, kEnglishMenu, 60000);
    await checkDownload(page, browserName, 'abc.dat');
    console.log(`${browserName}: the world "abc" is saved as the native build saves it`);

    // A Chinese name typed at the prompt: the file is named in UTF-8, its
    // first line holds the name's GBK bytes, and the rest is the world of
    // the same seed.
    await press(page, '1');
    await waitForText(page, kEnglishChoice);
    await press(page, '0', 'Enter');
    await waitForText(page, 'Please enter the world name:');
    await press(page, '青灯', 'Enter');
    await waitForText(page, 'Please enter the seed:');
    await press(page, 'abc', 'Enter');
    await waitForText(page, 'YY', 60000);
    await press(page, 'Escape');
    await waitForText(page, kEnglishMenu, 60000);
    const [head, restDigest] = await page.evaluate(async () => {
      const blob = await window.lanternvale.saveFile('青灯.dat');
      const digest = await crypto.subtle.digest('SHA-256', await blob.slice(5).arrayBuffer());
      return [[...new Uint8Array(await blob.slice(0, 5).arrayBuffer())],
              [...new Uint8Array(digest)].map((byte) => byte.toString(16).padStart(2, '0')).join('')];
    });
    assert.deepEqual(head, [0xc7, 0xe0, 0xb5, 0xc6, 0x0a], 'the first line of 青灯.dat');
    assert.equal(restDigest, sha256(readFileSync(nativeSave('abc.dat')).subarray(4)), 'the world in 青灯.dat');
    console.log(`${browserName}: a world named in Chinese is saved under its name, in GBK`);

    // A crafted save, uploaded, played in Chinese: the treasure below, F3,
    // the monster to the right of the start, then Escape.
    await uploadSave(page, 'crafted.dat');
    await press(page, '4');
    await waitForText(page, '1.简体中文 2.English');
    await press(page, '1');
    await waitForText(page, kChineseMenu);
    await press(page, '1');
    await openListed(page, 'crafted', '世界名：', kChineseChoice);
    await waitForText(page, 'YY', 60000);
    await press(page, 'ArrowDown');
    await waitForText(page, '你找到了一个宝物！效果：');
    await press(page, 'x', 'F3');  // any key ends the treasure's wait
    await waitForText(page, ['X:1 Y:0', '攻击力：30 防御力：5 血量：100']);
    await press(page, 'ArrowUp', 'ArrowRight');
    await waitForText(page, ['你遇到了了一个怪物！开始战斗！', '你对怪物造成了30点伤害！']);
    await waitForText(page, '怪物被你击杀了！');
    await waitForText(page, 'X:0 Y:1');
    await press(page, 'Escape');
    await waitForText(page, kChineseMenu, 60000);
    console.log(`${browserName}: walked, took the treasure, won the fight, saved at Escape`);

    // A reload: the world is listed again, with its progress.
    await page.reload();
    await page.waitForFunction(() => Boolean(window.lanternvale));
    await page.evaluate(() => window.lanternvale.ready);
    await waitForText(page, kChineseMenu);
    await press(page, '1');
    await openListed(page, 'crafted', '世界名：', kChineseChoice);
    await waitForText(page, 'YY', 60000);
    await press(page, 'F3');
    await waitForText(page, ['X:0 Y:1', '攻击力：30 防御力：5 血量：100']);
    console.log(`${browserName}: after a reload the world opens where it was left`);

    // A second tab is refused the world the first one plays, and gets it
    // once the first has left it.
    const second = (await openGame(run.browser, run.address, query)).page;
    await waitForText(second, kChineseMenu);
    await press(second, '1');
    await openListed(second, 'crafted', '世界名：', kChineseChoice);
    await waitForText(second, 'saves/crafted.dat正被另一个运行中的游戏使用');
    await press(second, 'x');
    await waitForText(second, kChineseMenu);
    await press(page, 'Escape');
    await waitForText(page, kChineseMenu, 60000);
    await press(second, '1');
    await openListed(second, 'crafted', '世界名：', kChineseChoice);
    await waitForText(second, 'YY', 60000);
    console.log(`${browserName}: a second tab is refused the world in play, and opens it once it is left`);

    // For a screen reader: a step from the slain monster to the start, told
    // on the row where the cursor waits and said by the page's live region.
    await press(second, 'Escape');
    await waitForText(second, kChineseMenu, 60000);
    const listener = (await openGame(run.browser, run.address, `${query}&arg=--screen-reader`)).page;
    await waitForText(listener, kChineseMenu);
    assert.equal(await listener.evaluate(() => window.lanternvale.terminal.options.screenReaderMode), true);
    await press(listener, '1');
    await openListed(listener, 'crafted', '世界名：', kChineseChoice);
    await waitForText(listener, 'YY', 60000);
    await press(listener, 'ArrowLeft');
    const told = 'X:0 Y:0。视野内空无一物。';
    await waitForSpoken(listener, browserName, told);
    await waitForCursorRow(listener, told);
    console.log(`${browserName}: for a screen reader a step is told on the screen and in the live region`);
  } catch (error) {
    error.message = `${browserName}: ${error.message}`;
    throw error;
  } finally {
    await run.close();
  }
}

for (const name of browsers.length > 0 ? browsers : ['chromium']) await play(name);
console.log('All browser scenarios passed.');
// puppeteer may keep a handle open a while after the browsers are gone.
process.exit(0);

