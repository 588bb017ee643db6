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
      for (const piece of pieces.take(all)) {
        await this.ask('write', [handle, piece.buffer, piece.length], [piece.buffer]);
      }
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

// --- IndexedDB ---
//
// The store "names" maps each path to { directory: true } or, for a file, to
// { contents } (a key of the store "contents", which holds the file's bytes
// as one Blob). A rename moves the name alone: the browser would copy a Blob
// put under another key.

class IdbStorage {
  static open() {
    return new Promise((resolve, reject) => {
      const request = indexedDB.open('lanternvale', 1);
      request.onupgradeneeded = () => {
        request.result.createObjectStore('names');
        request.result.createObjectStore('contents', { autoIncrement: true });
      };
      request.onsuccess = () => resolve(new IdbStorage(request.result));
      request.onerror = () => reject(request.error);
    });
  }

  constructor(database) {
    this.kind = 'IndexedDB';
    this.database = database;
  }

  // Runs `work(names, contents, give)` in one transaction and resolves with
  // what it gave once the transaction is on the disk.
  transaction(mode, work) {
    return new Promise((resolve, reject) => {
      const transaction = this.database.transaction(['names', 'contents'], mode, { durability: 'strict' });
      let result;
      let failure = null;
      const stores = [transaction.objectStore('names'), transaction.objectStore('contents')];
      Promise.resolve(work(...stores, (value) => (result = value))).catch((error) => {
        failure = error;
        transaction.abort();
      });
      transaction.oncomplete = () => resolve(result);
      transaction.onabort = () => reject(failure || transaction.error);
    });
  }

  static request(request) {
    return new Promise((resolve, reject) => {
      request.onsuccess = () => resolve(request.result);
      request.onerror = () => reject(request.error);
    });
  }

  static keyOf(names) {
    return '/' + names.join('/');
  }

  // Throws unless the directory `names` is there.
  static async checkDirectory(names, store) {
    if (names.length === 0) return;
    const record = await IdbStorage.request(store.get(IdbStorage.keyOf(names)));
    if (!record) throw new StorageError(kNotFound);
    if (!record.directory) throw new StorageError(kNotDirectory);
  }

  // The record of the file at `key`.
  static async fileAt(key, names) {
    const record = await IdbStorage.request(names.get(key));
    if (!record) throw new StorageError(kNotFound);
    if (record.directory) throw new StorageError(kIsDirectory);
    return record;
  }

  async list(path) {
    const names = namesOf(path);
    const prefix = names.length === 0 ? '/' : IdbStorage.keyOf(names) + '/';
    return this.transaction('readonly', async (store, contents, give) => {
      await IdbStorage.checkDirectory(names, store);
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
        const record = await IdbStorage.request(store.get(key));
        if (record && !record.directory) throw new StorageError(kNotDirectory);
        if (!record) store.put({ directory: true }, key);
      }
    });
  }

  async read(path) {
    const key = IdbStorage.keyOf(namesOf(path));
    return this.transaction('readonly', async (names, contents, give) => {
      const record = await IdbStorage.fileAt(key, names);
      give(await IdbStorage.request(contents.get(record.contents)));
    });
  }

  // The whole file is fetched at the first read: one read of a Blob costs
  // less than several of its slices.
  async openReader(path) {
    const blob = await this.read(path);
    let bytes = null;
    return {
      size: blob.size,
      read: async (position, length) => {
        bytes = bytes || new Uint8Array(await blob.arrayBuffer());
        return bytes.subarray(position, position + length);
      },
      close: () => {
        bytes = null;
      },
    };
  }

  // The name is taken at once with an empty file, as a desktop system makes
  // the file when it is created.
  async createNew(path) {
    const { parent, name } = parentAndName(path);
    const key = IdbStorage.keyOf([...parent, name]);
    const id = await this.transaction('readwrite', async (names, contents, give) => {
      await IdbStorage.checkDirectory(parent, names);
      if (await IdbStorage.request(names.get(key))) throw new StorageError(kExists);
      const id = await IdbStorage.request(contents.add(new Blob([])));
      names.put({ contents: id }, key);
      give(id);
    });
    const pieces = new Pieces();
    // Kept as they are until the file is closed: one Blob made of them all
    // at once is stored faster than anything made piece by piece.
    let written = [];
    return {
      append: (bytes) => pieces.append(bytes),
      flush: async (all) => {
        written.push(...pieces.take(all));
      },
      commit: async () => {
        written.push(...pieces.take(true));
        const blob = new Blob(written);
        written = [];
        await this.transaction('readwrite', (names, contents) => contents.put(blob, id));
      },
      abandon: () => {
        written = [];
      },
    };
  }

  // Moves the name `from` to `to`; the file that had the name `to` is gone.
  async rename(from, to) {
    const source = IdbStorage.keyOf(namesOf(from));
    const target = IdbStorage.keyOf(namesOf(to));
    await this.transaction('readwrite', async (names, contents) => {
      const record = await IdbStorage.fileAt(source, names);
      const replaced = await IdbStorage.request(names.get(target));
      if (replaced && replaced.directory) throw new StorageError(kIsDirectory);
      if (replaced && replaced.contents !== record.contents) contents.delete(replaced.contents);
      names.put(record, target);
      names.delete(source);
    });
  }

  async remove(path) {
    const key = IdbStorage.keyOf(namesOf(path));
    await this.transaction('readwrite', async (names, contents) => {
      const record = await IdbStorage.request(names.get(key));
      if (!record) return;
      if (record.directory) throw new StorageError(kIsDirectory);
      contents.delete(record.contents);
      names.delete(key);
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
