// What the browser tests and the benchmark share: the site served here, a
// browser driven through puppeteer-core (Debian's Chromium or Firefox ESR,
// nothing downloaded), and the game's screen read from the page's terminal
// (window.lanternvale.terminal), never from pixels.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { serve } from '../serve.mjs';

export const kBrowsers = {
  chromium: {
    executablePath: '/usr/bin/chromium',
    // Without these, Chromium keeps trying to reach Google's servers.
    args: ['--headless', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--no-default-browser-check'],
  },
  firefox: { executablePath: '/usr/bin/firefox-esr', browser: 'firefox', args: ['--headless'] },
};

// Serves `site`, starts the browser `name` with a profile of its own, and
// gives what the tests need; close() ends all of it.
export async function startBrowser(name, site) {
  const { server, address } = await serve(site);
  const profile = mkdtempSync(join(tmpdir(), `lanternvale-${name}-`));
  const options = kBrowsers[name];
  const args = [...options.args];
  // As root Chromium refuses its sandbox.
  if (name === 'chromium' && process.getuid && process.getuid() === 0) args.push('--no-sandbox');
  const browser = await puppeteer.launch({
    executablePath: options.executablePath,
    browser: options.browser,
    headless: true,
    args,
    userDataDir: profile,
    protocolTimeout: 120000,
  });
  return {
    browser,
    address,
    profile,
    async close() {
      await browser.close().catch(() => {});
      server.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

// A page of the game at `address` (with `query`), once the game is ready.
export async function openGame(browser, address, query = '') {
  const page = await browser.newPage();
  // What goes wrong in the page is worth seeing beside a failure.
  page.on('pageerror', (error) => console.error(`page error: ${error.message}`));
  page.on('console', (message) => {
    const type = message.type();
    if (type === 'error' || type === 'warn') console.error(`page ${type}: ${message.text()}`);
  });
  await page.setViewport({ width: 1024, height: 800 });
  const loaded = Date.now();
  await page.goto(address + query);
  await page.waitForFunction(() => Boolean(window.lanternvale), { timeout: 30000 });
  await page.evaluate(() => window.lanternvale.ready);
  return { page, readyAfterMs: Date.now() - loaded };
}

// The screen's rows as text, trailing blanks cut (a wide character once).
export function screenRows(page) {
  return page.evaluate(() => {
    const buffer = window.lanternvale.terminal.buffer.active;
    const rows = [];
    for (let row = 0; row < window.lanternvale.terminal.rows; ++row) {
      rows.push(buffer.getLine(buffer.viewportY + row).translateToString(true));
    }
    return rows;
  });
}

export async function screenText(page) {
  return (await screenRows(page)).join('\n');
}

// Waits until the screen shows every text of `texts`; fails saying what it showed.
export async function waitForText(page, texts, timeoutMs = 20000) {
  const wanted = Array.isArray(texts) ? texts : [texts];
  const deadline = Date.now() + timeoutMs;
  for (;;) {
    const screen = await screenText(page);
    if (wanted.every((text) => screen.includes(text))) return screen;
    if (Date.now() > deadline) {
      throw new Error(`the screen never showed ${JSON.stringify(wanted)}; it shows:\n${screen}`);
    }
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

// Keys as the keyboard gives them: named keys ("ArrowDown", "F3", "Escape",
// "Enter") pressed, anything else typed.
export async function press(page, ...keys) {
  for (const key of keys) {
    if (/^(Arrow|F\d|Escape|Enter|Tab|Backspace)/.test(key)) await page.keyboard.press(key);
    else await page.keyboard.type(key);
  }
}
