// The game's files in the browser: the origin private file system (OPFS)
// where the browser has it, IndexedDB otherwise. Both hold the same tree of
// directories and plain files, named by absolute paths with "/" between the
// names, as the game gives them ("/saves/abc.dat"); "/" is the root.
//
// OPFS is used from a worker (storage_worker.js), whose synchronous access
// handles write and read a save ten times faster than the page's own
// writable streams and file slices.
//
// A failure throws a StorageError whose words are those a desktop system
// would use ("No such file or directory"): the game shows them as it shows
// the system's own.

export class StorageError extends Error {}

export const kNotFound = 'No such file or directory';
export const kExists = 'File exists';
export const kNotDirectory = 'Not a directory';
export const kIsDirectory = 'Is a directory';

// The words for what the browser threw.
export function wordsOf(error) {
  if (error instanceof StorageError) return error.message;
  switch (error && error.name) {
    case 'NotFoundError': return kNotFound;
    case 'TypeMismatchError': return kNotDirectory;
    case 'QuotaExceededError': return 'No space left on device';
    case 'NoModificationAllowedError':
    case 'InvalidStateError': return 'Device or resource busy';
    case 'NotAllowedError':
    case 'SecurityError': return 'Permission denied';
    case 'TypeError':
    case 'InvalidCharacterError': return 'Invalid argument';
    default: return String((error && error.name) || error).replace(/[^\x20-\x7e]/g, '?');
  }
}

export function namesOf(path) {
  return path.split('/').filter((name) => name.length > 0);
}

export function parentAndName(path) {
  const names = namesOf(path);
  if (names.length === 0) throw new StorageError(kIsDirectory);
  return { parent: names.slice(0, -1), name: names[names.length - 1] };
}

// Written bytes are gathered into pieces of this size, each written in one
// go: few large writes are much faster than many small ones.
export const kWritePiece = 8 * 1024 * 1024;

// The bytes of a file being written, gathered into whole pieces.
class Pieces {
  constructor() {
    this.whole = [];
    this.piece = null;
    this.used = 0;
  }

  // Copies `bytes` (they may be a view of memory that changes next) and
  // tells whether a whole piece waits to be written.
  append(bytes) {
    for (let from = 0; from < bytes.length;) {
      if (this.piece === null) this.piece = new Uint8Array(kWritePiece);
      const taken = Math.min(bytes.length - from, kWritePiece - this.used);
      this.piece.set(bytes.subarray(from, from + taken), this.used);
      this.used += taken;
      from += taken;
      if (this.used === kWritePiece) this.finishPiece();
    }
    return this.whole.length > 0;
  }

  finishPiece() {
    if (this.used > 0) this.whole.push(this.piece.subarray(0, this.used));
    this.piece = null;
    this.used = 0;
  }

  // The whole pieces gathered so far, and with `all` the last one in part.
  take(all) {
    if (all) this.finishPiece();
    const pieces = this.whole;
    this.whole = [];
    return pieces;
  }
}

// --- OPFS, through the worker ---

class OpfsStorage {
  constructor(worker) {
    this.kind = 'OPFS';
    this.worker = worker;
    this.waiting = new Map();
    this.nextRequest = 1;
    worker.onmessage = ({ data }) => {
      const { resolve, reject } = this.waiting.get(data.request);
      this.waiting.delete(data.request);
      if ('words' in data) reject(new StorageError(data.words));
      else resolve(data.result);
    };
    // A worker that could not start answers nothing: every question fails.
    worker.onerror = (event) => {
      event.preventDefault();
      for (const { reject } of this.waiting.values()) reject(new StorageError('the storage worker failed'));
      this.waiting.clear();
    };
  }

  // Resolves with the worker's answer to `operation`; `transfer` lists the
  // buffers handed over with the arguments.
  ask(operation, args, transfer = []) {
    const request = this.nextRequest++;
    return new Promise((resolve, reject) => {
      this.waiting.set(request, { resolve, reject });
      this.worker.postMessage({ request, operation, args }, transfer);
    });
  }

  list(path) { return this.ask('list', [path]); }
  makeDirectories(path) { return this.ask('makeDirectories', [path]); }
  read(path) { return this.ask('file', [path]); }
  rename(from, to) { return this.ask('rename', [from, to]); }
  remove(path) { return this.ask('remove', [path]); }

  async openReader(path) {
    const { handle, size } = await this.ask('openReader', [path]);
    return {
      size,
      read: async (position, length) => new Uint8Array(await this.ask('read', [handle, position, length])),
      close: () => this.ask('close', [handle, false]).catch(() => {}),
    };
  }

  async createNew(path) {
    const handle = await this.ask('createNew', [path]);
    const pieces = new Pieces();
    const write = async (all) => {
      for (const piece of pieces.take(all)) await this.ask('write', [handle, piece.buffer, piece.length], [piece.buffer]);
    };
    return {
      append: (bytes) => pieces.append(bytes),
      flush: (all) => write(all),
      commit: async () => {
        await write(true);
        await this.ask('close', [handle, true]);
      },
      abandon: () => this.ask('close', [handle, false]).catch(() => {}),
    };
  }
}

// --- IndexedDB: one record per path, { directory: true } or { blob } ---

class IdbStorage {
  static open() {
    return new Promise((resolve, reject) => {
      const request = indexedDB.open('lanternvale', 1);
      request.onupgradeneeded = () => request.result.createObjectStore('files');
      request.onsuccess = () => resolve(new IdbStorage(request.result));
      request.onerror = () => reject(request.error);
    });
  }

  constructor(database) {
    this.kind = 'IndexedDB';
    this.database = database;
  }

  // Runs `work(store, give)` in one transaction and resolves with what it
  // gave once the transaction is on the disk.
  transaction(mode, work) {
    return new Promise((resolve, reject) => {
      const transaction = this.database.transaction('files', mode, { durability: 'strict' });
      let result;
      let failure = null;
      Promise.resolve(work(transaction.objectStore('files'), (value) => (result = value))).catch((error) => {
        failure = error;
        transaction.abort();
      });
      transaction.oncomplete = () => resolve(result);
      transaction.onabort = () => reject(failure || transaction.error);
    });
  }

  static get(store, key) {
    return new Promise((resolve, reject) => {
      const request = store.get(key);
      request.onsuccess = () => resolve(request.result);
      request.onerror = () => reject(request.error);
    });
  }

  static keyOf(names) {
    return '/' + names.join('/');
  }

  // Throws unless the directory `names` is there.
  static async checkDirectory(store, names) {
    if (names.length === 0) return;
    const record = await IdbStorage.get(store, IdbStorage.keyOf(names));
    if (!record) throw new StorageError(kNotFound);
    if (!record.directory) throw new StorageError(kNotDirectory);
  }

  async list(path) {
    const names = namesOf(path);
    const prefix = names.length === 0 ? '/' : IdbStorage.keyOf(names) + '/';
    return this.transaction('readonly', async (store, give) => {
      await IdbStorage.checkDirectory(store, names);
      const entries = [];
      await new Promise((resolve, reject) => {
        const request = store.openCursor(IDBKeyRange.bound(prefix, prefix + '\uffff'));
        request.onsuccess = () => {
          const cursor = request.result;
          if (!cursor) return resolve();
          const rest = cursor.key.slice(prefix.length);
          if (!rest.includes('/')) entries.push({ name: rest, directory: Boolean(cursor.value.directory) });
          cursor.continue();
        };
        request.onerror = () => reject(request.error);
      });
      give(entries);
    });
  }

  async makeDirectories(path) {
    const names = namesOf(path);
    await this.transaction('readwrite', async (store) => {
      for (let count = 1; count <= names.length; ++count) {
        const key = IdbStorage.keyOf(names.slice(0, count));
        const record = await IdbStorage.get(store, key);
        if (record && !record.directory) throw new StorageError(kNotDirectory);
        if (!record) store.put({ directory: true }, key);
      }
    });
  }

  async read(path) {
    const key = IdbStorage.keyOf(namesOf(path));
    return this.transaction('readonly', async (store, give) => {
      const record = await IdbStorage.get(store, key);
      if (!record) throw new StorageError(kNotFound);
      if (record.directory) throw new StorageError(kIsDirectory);
      give(record.blob);
    });
  }

  async openReader(path) {
    const blob = await this.read(path);
    return {
      size: blob.size,
      read: async (position, length) => new Uint8Array(await blob.slice(position, position + length).arrayBuffer()),
      close: () => {},
    };
  }

  // The name is taken at once with an empty file, as a desktop system makes
  // the file when it is created.
  async createNew(path) {
    const { parent, name } = parentAndName(path);
    const key = IdbStorage.keyOf([...parent, name]);
    await this.transaction('readwrite', async (store) => {
      await IdbStorage.checkDirectory(store, parent);
      if (await IdbStorage.get(store, key)) throw new StorageError(kExists);
      store.put({ blob: new Blob([]) }, key);
    });
    const pieces = new Pieces();
    // A Blob of each piece lets the browser keep the bytes out of the page's memory.
    let blobs = [];
    const keep = async (all) => {
      blobs.push(...pieces.take(all).map((piece) => new Blob([piece])));
    };
    return {
      append: (bytes) => pieces.append(bytes),
      flush: (all) => keep(all),
      commit: async () => {
        await keep(true);
        const blob = new Blob(blobs);
        blobs = [];
        await this.transaction('readwrite', (store) => store.put({ blob }, key));
      },
      abandon: () => {
        blobs = [];
      },
    };
  }

  async rename(from, to) {
    const source = IdbStorage.keyOf(namesOf(from));
    const target = IdbStorage.keyOf(namesOf(to));
    await this.transaction('readwrite', async (store) => {
      const record = await IdbStorage.get(store, source);
      if (!record) throw new StorageError(kNotFound);
      if (record.directory) throw new StorageError(kIsDirectory);
      store.put(record, target);
      store.delete(source);
    });
  }

  async remove(path) {
    const key = IdbStorage.keyOf(namesOf(path));
    await this.transaction('readwrite', async (store) => {
      const record = await IdbStorage.get(store, key);
      if (record && record.directory) throw new StorageError(kIsDirectory);
      if (record) store.delete(key);
    });
  }
}

// OPFS when the browser offers it with synchronous access in workers,
// otherwise IndexedDB. `prefer` ("IndexedDB") asks for IndexedDB anyway.
export async function openStorage(prefer = '') {
  if (prefer !== 'IndexedDB' && navigator.storage?.getDirectory) {
    const worker = new Worker(new URL('storage_worker.js', import.meta.url), { type: 'module' });
    try {
      const storage = new OpfsStorage(worker);
      await storage.ask('check', []);
      return storage;
    } catch (error) {
      // No synchronous access, or a private window that refuses OPFS.
      worker.terminate();
    }
  }
  return IdbStorage.open();
}
