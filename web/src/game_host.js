// The page's side of the game's platform (src/console/platform_web.cpp) and
// files (src/base/files_web.cpp): the module calls these methods as
// Module.host.*. Numbers and byte arrays cross over; text of any length is
// left as the reply, which the game takes next: a failure answers -1 and
// leaves its words there.

import { gbkOfText, textOfGbk } from './gbk.js';
import { kNotFound, wordsOf } from './storage.js';

const encoder = new TextEncoder();

// What a wait for input ended with (the same numbers as in platform_web.cpp).
const kInputCame = 0;
const kWaitTimedOut = 1;
const kTerminalResized = 2;

// What asking for a lock answers when it gives none (the same numbers as
// in files_web.cpp); a lock given is its id, above 0.
const kHeldElsewhere = -1;
const kLockFailed = -2;

// Bytes the game reads while it loads a save are fetched this many at a
// time: one wait for a large piece costs less than many small ones.
const kReadAhead = 8 * 1024 * 1024;

export class GameHost {
  // `terminal`: the xterm.js Terminal. `storage`: a promise of the storage
  // (storage.js), which the game needs only once it touches a file.
  // `programUrl`: the address of the module. `events`: the page's callbacks
  // onWaitingForPlayer(), onEnded(), onFilesChanged(), and for a screen
  // reader (--screen-reader) onScreenReader() at the start and
  // onAnnouncement(line) for each line it should say.
  constructor({ terminal, storage, programUrl, events }) {
    this.terminal = terminal;
    this.storage = storage;
    this.url = programUrl;
    this.events = events;
    this.input = [];  // { bytes, at }: one piece per key or paste
    this.wake = null;
    this.resized = false;
    this.replied = new Uint8Array(0);
    this.files = new Map();
    this.locks = new Map();
    this.nextId = 1;
  }

  // --- The terminal ---

  // What the terminal sends (a key's bytes, or a paste), as text.
  send(data) {
    this.input.push({ bytes: encoder.encode(data), at: performance.now() });
    this.wakeUp(kInputCame);
  }

  terminalResized() {
    this.resized = true;
    this.wakeUp(kTerminalResized);
  }

  wakeUp(reason) {
    const wake = this.wake;
    this.wake = null;
    if (wake) wake(reason);
  }

  inputSize() {
    return this.input.length > 0 ? this.input[0].bytes.length : 0;
  }

  takeInput(into) {
    into.set(this.input.shift().bytes);
  }

  inputClock() {
    const now = performance.now();
    return this.input.length > 0 ? Math.min(now, this.input[0].at) : now;
  }

  // Resolves with kInputCame, kWaitTimedOut or kTerminalResized; without a
  // limit (a negative time) it waits for input or a resize alone.
  waitForInput(timeoutMs) {
    if (this.input.length > 0) return Promise.resolve(kInputCame);
    if (this.resized) {
      this.resized = false;
      return Promise.resolve(kTerminalResized);
    }
    return new Promise((resolve) => {
      let timer = null;
      this.wake = (reason) => {
        clearTimeout(timer);
        if (reason === kTerminalResized) this.resized = false;
        resolve(reason);
      };
      if (timeoutMs >= 0) timer = setTimeout(() => this.wakeUp(kWaitTimedOut), timeoutMs);
    });
  }

  waitingForPlayer() {
    this.events.onWaitingForPlayer();
  }

  write(bytes) {
    this.terminal.write(bytes);
  }

  rows() {
    return this.terminal.rows;
  }

  columns() {
    return this.terminal.cols;
  }

  setTitle(title) {
    document.title = title;
  }

  programUrl() {
    return this.url;
  }

  gameEnded() {
    this.events.onEnded();
  }

  followScreenReader() {
    this.events.onScreenReader();
  }

  announce(line) {
    this.events.onAnnouncement(line);
  }

  // --- Replies, and the game's text encoding ---

  // Leaves `bytes` for the game to take; answers their number.
  reply(bytes) {
    this.replied = bytes;
    return bytes.length;
  }

  replySize() {
    return this.replied.length;
  }

  takeReply(into) {
    into.set(this.replied);
    this.replied = new Uint8Array(0);
  }

  textOfGbk(bytes) {
    return textOfGbk(bytes);
  }

  gbkOfText(text) {
    return gbkOfText(text);
  }

  // Runs an operation of the storage: its result, or -1 with the words of
  // its failure as the reply.
  async attempt(operation) {
    try {
      return await operation();
    } catch (error) {
      this.reply(encoder.encode(wordsOf(error)));
      return -1;
    }
  }

  addFile(file) {
    const id = this.nextId++;
    this.files.set(id, file);
    return id;
  }

  // --- Files ---

  openForReading(path) {
    return this.attempt(async () => {
      const reader = await (await this.storage).openReader(path);
      return this.addFile({ reader, position: 0, ahead: new Uint8Array(0), aheadAt: 0 });
    });
  }

  fileSize(id) {
    return this.files.get(id).reader.size;
  }

  // Copies from the bytes already fetched; -2 when they are not there.
  readFetched(id, into) {
    const file = this.files.get(id);
    const from = file.position - file.aheadAt;
    if (from < 0 || from >= file.ahead.length) return file.position >= file.reader.size ? 0 : -2;
    const piece = file.ahead.subarray(from, from + into.length);
    into.set(piece);
    file.position += piece.length;
    return piece.length;
  }

  // Fetches the bytes from the file's position on.
  fetch(id) {
    return this.attempt(async () => {
      const file = this.files.get(id);
      file.ahead = await file.reader.read(file.position, Math.min(kReadAhead, file.reader.size - file.position));
      file.aheadAt = file.position;
      return 0;
    });
  }

  createNew(path) {
    return this.attempt(async () => {
      const writer = await (await this.storage).createNew(path);
      return this.addFile({ writer });
    });
  }

  // True once enough bytes wait for flush(). `bytes` may be a view of the
  // module's memory: they are copied at once.
  append(id, bytes) {
    return this.files.get(id).writer.append(bytes);
  }

  // Hands the whole pieces written so far to the storage; with `all`, the
  // last piece too.
  flush(id, all) {
    return this.attempt(async () => {
      await this.files.get(id).writer.flush(all);
      return 0;
    });
  }

  close(id) {
    const file = this.files.get(id);
    this.files.delete(id);
    if (file.reader) {
      file.reader.close();
      return Promise.resolve(0);
    }
    return this.attempt(async () => {
      await file.writer.commit();
      this.events.onFilesChanged();
      return 0;
    });
  }

  // Closed without a word, whatever was written lost.
  abandon(id) {
    const file = this.files.get(id);
    this.files.delete(id);
    if (file && file.reader) file.reader.close();
    if (file && file.writer) file.writer.abandon();
  }

  makeDirectories(path) {
    return this.attempt(async () => {
      await (await this.storage).makeDirectories(path);
      return 0;
    });
  }

  rename(from, to, missingIsFine) {
    return this.attempt(async () => {
      try {
        await (await this.storage).rename(from, to);
      } catch (error) {
        if (!missingIsFine || wordsOf(error) !== kNotFound) throw error;
      }
      this.events.onFilesChanged();
      return 0;
    });
  }

  remove(path) {
    return this.attempt(async () => {
      await (await this.storage).remove(path);
      this.events.onFilesChanged();
      return 0;
    });
  }

  // The entries of a directory are the reply, each a letter ("f" for a
  // plain file, "d" for a directory), its name and a NUL.
  list(path) {
    return this.attempt(async () => {
      const entries = await (await this.storage).list(path);
      this.reply(encoder.encode(entries.map((entry) => (entry.directory ? 'd' : 'f') + entry.name + '\0').join('')));
      return entries.length;
    });
  }

  // --- Locks: one game per world across all the page's tabs ---

  // Resolves with the lock's id, kHeldElsewhere or kLockFailed.
  lock(name) {
    if (!navigator.locks) {
      this.reply(encoder.encode('the browser gives this page no locks (Web Locks need https or localhost)'));
      return Promise.resolve(kLockFailed);
    }
    return new Promise((resolve) => {
      navigator.locks
        .request('lanternvale:' + name, { ifAvailable: true }, (lock) => {
          if (!lock) {
            resolve(kHeldElsewhere);
            return undefined;
          }
          const id = this.nextId++;
          const held = new Promise((release) => this.locks.set(id, release));
          resolve(id);
          return held;
        })
        .catch((error) => {
          this.reply(encoder.encode(wordsOf(error)));
          resolve(kLockFailed);
        });
    });
  }

  unlock(id) {
    const release = this.locks.get(id);
    this.locks.delete(id);
    if (release) release();
  }

  // Whether this tab holds a world: leaving the page would lose its progress.
  holdsAWorld() {
    return this.locks.size > 0;
  }
}
