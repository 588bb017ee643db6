// OPFS for the page (storage.js): each question comes as a message
// { request, operation, args } and is answered as { request, result }, or
// { request, words } when it failed. Files are written and read through
// synchronous access handles, which only a worker has.
import { StorageError, kExists, kIsDirectory, namesOf, parentAndName, wordsOf } from './storage.js';

const root = navigator.storage.getDirectory();
const handles = new Map();  // id -> { access, position }
let nextHandle = 1;

async function directory(names, create = false) {
  let at = await root;
  for (const name of names) at = await at.getDirectoryHandle(name, { create });
  return at;
}

async function isThere(parent, name) {
  for (const get of ['getFileHandle', 'getDirectoryHandle']) {
    try {
      await parent[get](name);
      return true;
    } catch (error) {
      if (error.name !== 'NotFoundError' && error.name !== 'TypeMismatchError') throw error;
    }
  }
  return false;
}

async function fileHandle(path) {
  const { parent, name } = parentAndName(path);
  const folder = await directory(parent);
  try {
    return await folder.getFileHandle(name);
  } catch (error) {
    throw error.name === 'TypeMismatchError' ? new StorageError(kIsDirectory) : error;
  }
}

function addHandle(access) {
  const id = nextHandle++;
  handles.set(id, { access, position: 0 });
  return id;
}

const operations = {
  check() {
    if (!('createSyncAccessHandle' in FileSystemFileHandle.prototype)) throw new StorageError('no synchronous access');
    return root.then(() => true);
  },

  async list(path) {
    const entries = [];
    for await (const [name, handle] of (await directory(namesOf(path))).entries()) {
      entries.push({ name, directory: handle.kind === 'directory' });
    }
    return entries;
  },

  async makeDirectories(path) {
    await directory(namesOf(path), true);
  },

  // The file as a File, for the page (a download, its size).
  async file(path) {
    return (await fileHandle(path)).getFile();
  },

  // Readers share the file where the browser lets them.
  async openReader(path) {
    const handle = await fileHandle(path);
    let access;
    try {
      access = await handle.createSyncAccessHandle({ mode: 'read-only' });
    } catch (error) {
      if (error.name !== 'TypeError' && error.name !== 'NotSupportedError') throw error;
      access = await handle.createSyncAccessHandle();
    }
    return { handle: addHandle(access), size: access.getSize() };
  },

  read(id, position, length) {
    const buffer = new Uint8Array(length);
    const got = handles.get(id).access.read(buffer, { at: position });
    return got === length ? buffer.buffer : buffer.slice(0, got).buffer;
  },

  async createNew(path) {
    const { parent, name } = parentAndName(path);
    const folder = await directory(parent);
    if (await isThere(folder, name)) throw new StorageError(kExists);
    const handle = await folder.getFileHandle(name, { create: true });
    return addHandle(await handle.createSyncAccessHandle());
  },

  write(id, buffer, length) {
    const file = handles.get(id);
    const bytes = new Uint8Array(buffer, 0, length);
    for (let done = 0; done < length;) {
      done += file.access.write(bytes.subarray(done), { at: file.position + done });
    }
    file.position += length;
  },

  // `written`: what was written is made to last first.
  close(id, written) {
    const file = handles.get(id);
    handles.delete(id);
    if (!file) return;
    if (written) file.access.flush();
    file.access.close();
  },

  // Moves the file at `from` to `to`, replacing whatever file is there.
  async rename(from, to) {
    const handle = await fileHandle(from);
    const target = parentAndName(to);
    const folder = await directory(target.parent);
    if (typeof handle.move === 'function') {
      await handle.move(folder, target.name);
      return;
    }
    // Without move(): the bytes are copied, then the file is removed.
    const source = await handle.createSyncAccessHandle();
    const copy = await (await folder.getFileHandle(target.name, { create: true })).createSyncAccessHandle();
    try {
      const bytes = new Uint8Array(source.getSize());
      source.read(bytes, { at: 0 });
      copy.truncate(0);
      copy.write(bytes, { at: 0 });
      copy.flush();
    } finally {
      source.close();
      copy.close();
    }
    await operations.remove(from);
  },

  async remove(path) {
    const { parent, name } = parentAndName(path);
    try {
      await (await directory(parent)).removeEntry(name);
    } catch (error) {
      if (error.name !== 'NotFoundError') throw error;
    }
  },
};

onmessage = async ({ data: { request, operation, args } }) => {
  try {
    const result = await operations[operation](...args);
    postMessage({ request, result }, result instanceof ArrayBuffer ? [result] : []);
  } catch (error) {
    postMessage({ request, words: wordsOf(error) });
  }
};
