// The page: the terminal, the game module in it, and the saves kept in the
// browser, with their download and upload.
//
// For tests and tools: window.lanternvale.terminal is the xterm.js Terminal
// (read the screen from terminal.buffer.active); window.lanternvale.ready
// resolves once the game waits for its first key (its first menu is on the
// screen), or has ended; window.lanternvale.ended resolves when it ends;
// window.lanternvale.storage names where the saves are ("OPFS" or
// "IndexedDB") and window.lanternvale.saveFile("abc.dat") gives a save's
// bytes as a Blob, as the download button does.
// The page's address passes arguments to the program: each "arg" of the
// query is one, in order (index.html?arg=--color=16); "storage=IndexedDB"
// keeps the saves in IndexedDB even where OPFS is there (the tests play
// through both).

import { Terminal } from './xterm.mjs';
import { FitAddon } from './addon-fit.mjs';
import createLanternvale from './lanternvale.js';
import { GameHost } from './game_host.js';
import { openStorage, wordsOf } from './storage.js';

// Where the game keeps its worlds, from the root of the storage.
const kSaveDirectory = '/saves';
const kSaveExtension = '.dat';
// A file name the desktop systems take, with room for the hidden files the
// game keeps beside it (".NAME.lock" is the longest).
const kLongestUploadName = 255 - '..lock'.length;

// What the terminal sends for the keys of the touch buttons, as xterm.js does.
// L and S, shown for a screen reader (--screen-reader), say again what is
// around and read the statistics.
const kTouchKeys = {
  up: '\x1b[A', down: '\x1b[B', right: '\x1b[C', left: '\x1b[D', f3: '\x1bOR', escape: '\x1b', look: 'l', status: 's',
};

// The whole map wants 44 columns: a narrow screen gets a smaller font first.
const kMapColumns = 44;
const kLargestFont = 16;
const kSmallestFont = 10;

const element = (id) => document.getElementById(id);

function mebibytes(bytes) {
  return (bytes / (1024 * 1024)).toFixed(1) + ' MiB';
}

function say(text) {
  element('message').textContent = text;
}

function makeTerminal() {
  const terminal = new Terminal({
    fontSize: kLargestFont,
    // Latin text in a monospace font; the Chinese from a CJK font, two cells wide.
    fontFamily: '"DejaVu Sans Mono", "Noto Sans Mono CJK SC", "Noto Sans CJK SC", "Source Han Sans SC", ' +
      '"Sarasa Mono SC", "Microsoft YaHei", "PingFang SC", monospace',
    // "\n" starts a new line, as a terminal's output processing makes it.
    convertEol: true,
    cursorBlink: false,
    scrollback: 1000,
    theme: { background: '#000000', foreground: '#c0c0c0' },
  });
  const fit = new FitAddon();
  terminal.loadAddon(fit);
  terminal.open(element('terminal'));
  const fitToPage = () => {
    terminal.options.fontSize = kLargestFont;
    fit.fit();
    while (terminal.cols < kMapColumns && terminal.options.fontSize > kSmallestFont) {
      terminal.options.fontSize -= 1;
      fit.fit();
    }
  };
  fitToPage();
  new ResizeObserver(fitToPage).observe(element('terminal'));
  terminal.focus();
  return terminal;
}

// For a screen reader (--screen-reader): xterm.js keeps the screen's rows
// where the reader can go through them, and reads out what is written; the
// lines the game says for the listener go to the page's own live region. On
// the map xterm.js would read out every cell a step redraws, as rows of
// symbols, so its live region is kept quiet from a line of the game until
// the next key.
function followScreenReader(terminal) {
  terminal.options.screenReaderMode = true;
  for (const button of document.querySelectorAll('#touch-keys [hidden]')) button.hidden = false;
  terminal.onData(() => {
    element('announcement').replaceChildren();
    for (const region of terminal.element.querySelectorAll('.live-region')) region.setAttribute('aria-live', 'assertive');
  });
}

function announce(terminal, line) {
  for (const region of terminal.element.querySelectorAll('.live-region')) region.setAttribute('aria-live', 'off');
  const said = document.createElement('p');
  said.textContent = line;
  element('announcement').append(said);
}

// The names of the saves in saves/, and the room everything there takes.
async function savesIn(storage) {
  let entries = [];
  try {
    entries = await storage.list(kSaveDirectory);
  } catch (error) {
    return { names: [], bytes: 0 };  // no world saved yet
  }
  let bytes = 0;
  const names = [];
  for (const entry of entries) {
    if (entry.directory) continue;
    try {
      bytes += (await storage.read(kSaveDirectory + '/' + entry.name)).size;
    } catch (error) {
      continue;  // gone meanwhile
    }
    if (entry.name.endsWith(kSaveExtension) && !entry.name.startsWith('.')) names.push(entry.name);
  }
  return { names: names.sort(), bytes };
}

async function showSaves(storage) {
  const { names, bytes } = await savesIn(storage);
  const choice = element('saves');
  const chosen = choice.value;
  choice.replaceChildren(...names.map((name) => new Option(name, name)));
  if (names.includes(chosen)) choice.value = chosen;
  element('download').disabled = names.length === 0;
  const worlds = names.length === 1 ? '1 world' : names.length + ' worlds';
  element('room').textContent = `${worlds} taking ${mebibytes(bytes)}`;
}

async function download(storage) {
  const name = element('saves').value;
  if (!name) return;
  const blob = await storage.read(kSaveDirectory + '/' + name);
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

// An uploaded save goes where the game's own saves go, the way the game
// writes one: under the world's lock, through its temporary file, the file
// it replaces kept as the backup.
async function upload(storage, file) {
  const name = file.name;
  if (!name.endsWith(kSaveExtension) || name.startsWith('.')) {
    say(`${name} is no save: a save's name ends in ${kSaveExtension}.`);
    return;
  }
  if (new TextEncoder().encode(name).length > kLongestUploadName) {
    say(`${name}: the name is too long for a file name.`);
    return;
  }
  const path = (hidden) => `${kSaveDirectory}/${hidden ? '.' : ''}${name}${hidden || ''}`;
  // Without Web Locks (a page not served from a secure origin) the game
  // plays without its lock too.
  const locked = navigator.locks
    ? (work) => navigator.locks.request('lanternvale:' + path('.lock'), { ifAvailable: true }, work)
    : (work) => work(true);
  const done = await locked(async (lock) => {
    if (!lock) return false;
    await storage.makeDirectories(kSaveDirectory);
    await storage.remove(path('.tmp'));
    const writer = await storage.createNew(path('.tmp'));
    const reader = file.stream().getReader();
    for (let piece = await reader.read(); !piece.done; piece = await reader.read()) {
      if (writer.append(piece.value)) await writer.flush(false);
    }
    await writer.commit();
    await storage.rename(path(''), path('.bak')).catch(() => {});
    await storage.rename(path('.tmp'), path(''));
    return true;
  });
  say(done ? `${name} uploaded: choose it in the game's list of worlds.`
           : `${name} is open in a game in this browser: leave it there (Esc) first.`);
}

function connectTouchKeys(terminal) {
  for (const button of document.querySelectorAll('#touch-keys button')) {
    button.addEventListener('click', () => {
      terminal.input(kTouchKeys[button.dataset.key], true);
      terminal.focus();
    });
  }
}

async function main() {
  const terminal = makeTerminal();
  let resolveReady;
  let resolveEnded;
  const ready = new Promise((resolve) => (resolveReady = resolve));
  const ended = new Promise((resolve) => (resolveEnded = resolve));
  const query = new URLSearchParams(location.search);
  const programArguments = query.getAll('arg');
  window.lanternvale = { terminal, ready, ended, arguments: programArguments };

  // The game starts while the storage opens: it needs it only for its saves.
  const opening = openStorage(query.get('storage') || '');
  const host = new GameHost({
    terminal,
    storage: opening,
    programUrl: new URL('lanternvale.wasm', import.meta.url).href,
    events: {
      onWaitingForPlayer: () => resolveReady(),
      onEnded: () => resolveEnded(),
      onFilesChanged: () => opening.then(showSaves),
      onScreenReader: () => followScreenReader(terminal),
      onAnnouncement: (line) => announce(terminal, line),
    },
  });
  // Keys typed before the game runs wait for it (Tab held at the start
  // opens the developer mode, as in a terminal).
  terminal.onData((data) => host.send(data));
  terminal.onResize(() => host.terminalResized());
  connectTouchKeys(terminal);
  addEventListener('beforeunload', (event) => {
    if (host.holdsAWorld()) event.preventDefault();  // its progress since the last Esc would be lost
  });
  ended.then(() => {
    resolveReady();
    say('The game has ended; reload the page to play again.');
  });
  opening.then((storage) => connectSaves(storage), (error) => say(`No storage for the saves: ${wordsOf(error)}`));

  const toTerminal = (line) => terminal.write(line + '\r\n');
  await createLanternvale({
    host,
    arguments: programArguments,
    print: toTerminal,
    printErr: toTerminal,
    // What a terminal tells the programs in it: it shows 24-bit colour.
    preRun: [(module) => Object.assign(module.ENV, { TERM: 'xterm-256color', COLORTERM: 'truecolor' })],
    onExit: () => resolveEnded(),
  });
}

// The line below the terminal: where the saves are, their room, and the
// download and upload of a save.
function connectSaves(storage) {
  window.lanternvale.storage = storage.kind;
  window.lanternvale.saveFile = (name) => storage.read(kSaveDirectory + '/' + name);
  element('storage-kind').textContent = storage.kind;
  if (navigator.storage && navigator.storage.persist) {
    navigator.storage.persist().then((kept) => {
      element('storage-kind').textContent = `${storage.kind}, ${kept ? 'kept' : 'may be cleared'} by the browser`;
    });
  }
  showSaves(storage);
  // The keys go back to the game once a button has done its work.
  const terminal = window.lanternvale.terminal;
  element('download').addEventListener('click', () => {
    download(storage).catch((error) => say(wordsOf(error)));
    terminal.focus();
  });
  element('upload').addEventListener('change', (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    terminal.focus();
    if (file) upload(storage, file).then(() => showSaves(storage), (error) => say(`${file.name}: ${wordsOf(error)}`));
  });
}

main().catch((error) => {
  say(`The game could not start: ${error}`);
  throw error;
});
