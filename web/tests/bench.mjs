// The figures of the game in a browser (make bench-web), measured in
// headless Chromium; nothing here passes or fails.
//
// Usage: node web/tests/bench.mjs SITE NATIVE_NEW_WORLD_MS
//   SITE                the static site (build/web)
//   NATIVE_NEW_WORLD_MS what the native build took to generate and save the
//                       world "abc" (web_fixture_saves prints it)
import { readFileSync, readdirSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { openGame, press, startBrowser, waitForText } from './browser.mjs';

const [site, nativeMs] = process.argv.slice(2);
if (!site || !nativeMs) {
  console.error('usage: node web/tests/bench.mjs SITE NATIVE_NEW_WORLD_MS');
  process.exit(2);
}

const kLoads = 7;
const kKeys = 41;
const kIdleMs = 5000;

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const kib = (bytes) => (bytes / 1024).toFixed(0) + ' KiB';

function report(figure, value, goal) {
  console.log(`${figure.padEnd(52)} ${String(value).padEnd(28)} ${goal}`);
}

// What a visitor downloads, gzipped as a server would send it.
function sizes() {
  const files = readdirSync(site);
  const gzippedSize = (name) => gzipSync(readFileSync(join(site, name)), { level: 9 }).length;
  const gzipped = (test) => files.filter(test).reduce((sum, name) => sum + gzippedSize(name), 0);
  const wasm = gzipped((name) => name.endsWith('.wasm'));
  const scripts = gzipped((name) => name.endsWith('.js') || name.endsWith('.mjs'));
  const page = gzipped((name) => name.endsWith('.html') || name.endsWith('.css'));
  return { wasm, scripts, page, total: wasm + scripts + page };
}

// From the start of the navigation to the game waiting for its first key,
// in the page's own clock; the first load is the one with nothing cached.
async function startUp(browser, address) {
  const times = [];
  for (let load = 0; load < kLoads; ++load) {
    const { page } = await openGame(browser, address);
    times.push(await page.evaluate(() => window.lanternvale.ready.then(() => performance.now())));
    await page.close();
  }
  return { first: times[0], median: median(times.slice(1)) };
}

// Marks, in the page, when a key was sent and when the terminal next drew.
function watchKeysAndFrames(page) {
  return page.evaluate(() => {
    const terminal = window.lanternvale.terminal;
    window.benchMarks = { keys: [], frames: [], mapShownAt: 0 };
    terminal.onData(() => window.benchMarks.keys.push(performance.now()));
    terminal.onRender(() => window.benchMarks.frames.push(performance.now()));
    terminal.onWriteParsed(() => {
      const buffer = terminal.buffer.active;
      const middle = buffer.getLine(buffer.viewportY + 11);
      if (!window.benchMarks.mapShownAt && middle && middle.translateToString(true).includes('YY')) {
        window.benchMarks.mapShownAt = performance.now();
      }
    });
  });
}

// From Enter on the seed prompt to the map on the screen: the world is
// generated and saved in between.
async function newWorld(page, name) {
  await press(page, '1');
  await waitForText(page, '输入0创建新存档');
  await press(page, '0', 'Enter', name, 'Enter');
  await waitForText(page, '请输入种子');
  await watchKeysAndFrames(page);
  await press(page, 'abc', 'Enter');
  await waitForText(page, 'YY', 120000);
  return page.evaluate(() => window.benchMarks.mapShownAt - window.benchMarks.keys.at(-1));
}

// Each arrow key, one at a time: from the key to the terminal drawing its frame.
async function keyToFrame(page) {
  await watchKeysAndFrames(page);
  const delays = [];
  for (let key = 0; key < kKeys; ++key) {
    await press(page, key % 2 === 0 ? 'ArrowRight' : 'ArrowLeft');
    await new Promise((resolve) => setTimeout(resolve, 150));
    delays.push(await page.evaluate(() => {
      const { keys, frames } = window.benchMarks;
      const key = keys.at(-1);
      const frame = frames.find((time) => time >= key);
      return frame === undefined ? NaN : frame - key;
    }));
  }
  return median(delays);
}

// The page's processor time while the map waits for a key.
async function idle(page) {
  const session = await page.createCDPSession();
  await session.send('Performance.enable');
  const metric = async (name) => {
    const { metrics } = await session.send('Performance.getMetrics');
    return metrics.find((entry) => entry.name === name).value;
  };
  const before = { task: await metric('TaskDuration'), script: await metric('ScriptDuration') };
  await new Promise((resolve) => setTimeout(resolve, kIdleMs));
  const after = { task: await metric('TaskDuration'), script: await metric('ScriptDuration') };
  return {
    task: ((after.task - before.task) * 1000) / (kIdleMs / 1000),
    script: ((after.script - before.script) * 1000) / (kIdleMs / 1000),
  };
}

const size = sizes();
const run = await startBrowser('chromium', site);
try {
  const start = await startUp(run.browser, run.address);
  const { page } = await openGame(run.browser, run.address);
  const opfsMs = await newWorld(page, 'bench');
  const frameMs = await keyToFrame(page);
  const idleCpu = await idle(page);
  await press(page, 'Escape');
  await waitForText(page, '1.开始游戏', 60000);
  const idb = (await openGame(run.browser, run.address, '?storage=IndexedDB')).page;
  const idbMs = await newWorld(idb, 'bench');

  console.log(`${'Figure'.padEnd(52)} ${'Measured'.padEnd(28)} Goal`);
  const againstNative = (ms) => `${ms.toFixed(0)} ms / ${nativeMs} ms = ${(ms / nativeMs).toFixed(1)}x`;
  report('page load to the first menu (median; first load)',
         `${start.median.toFixed(0)} ms; ${start.first.toFixed(0)} ms`, 'at most 2000 ms');
  report('wasm + JavaScript + page, gzipped',
         `${kib(size.total)} (${kib(size.wasm)} + ${kib(size.scripts)} + ${kib(size.page)})`, 'at most 1536 KiB');
  report(`key to frame drawn (median of ${kKeys} arrows)`, `${frameMs.toFixed(1)} ms`, 'at most 16 ms');
  report('idle on the map: processor time (all; script)',
         `${idleCpu.task.toFixed(2)}; ${idleCpu.script.toFixed(2)} ms/s`, 'none');
  report('new world generated and saved, OPFS / native', againstNative(opfsMs), 'at most 3x');
  report('the same with IndexedDB / native', againstNative(idbMs), 'at most 3x');
} finally {
  await run.close();
}
process.exit(0);
