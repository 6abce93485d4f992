// The programs' root directory in and out as a zip ("Export files", "Import files"), over the
// simulator's file system (Module.FS). Bundled into the site as files.js; page.js calls it
// through window.corvaneFiles.
import { unzipSync, zipSync } from 'fflate';

// An import is refused past these: the browser keeps the whole root in memory.
export const MAX_IMPORT_BYTES = 256 * 1024 * 1024;
export const MAX_IMPORT_FILES = 10000;

// Every file below `root`, folders as folders, names relative to `root`.
export function zipTree(FS, root) {
  const tree = {};
  const walk = (dir, into) => {
    for (const name of FS.readdir(dir)) {
      if (name === '.' || name === '..') continue;
      const path = dir + '/' + name;
      const mode = FS.stat(path).mode;
      if (FS.isDir(mode)) {
        into[name] = {};
        walk(path, into[name]);
      } else if (FS.isFile(mode)) {
        into[name] = FS.readFile(path);
      }
    }
  };
  walk(root, tree);
  return zipSync(tree, { level: 6 });
}

// A zip entry's name as parts of a path below the root; null when it would leave the root
// ("..") or names nothing. Names written on Windows may use backslashes.
export function entryParts(name) {
  const parts = name.replace(/\\/g, '/').split('/').filter((p) => p !== '' && p !== '.');
  if (parts.length === 0 || parts.some((p) => p === '..' || /^[A-Za-z]:$/.test(p))) return null;
  return parts;
}

// Writes the zip's files into `root` (a file of the same name is replaced; folders are made as
// needed). Returns the names written and those skipped (outside the root, or not writable);
// throws when `bytes` is no zip or holds more than the limits.
export function unzipInto(FS, root, bytes) {
  let total = 0;
  let count = 0;
  const files = unzipSync(bytes, {
    filter: (file) => {
      total += file.originalSize;
      count += 1;
      if (total > MAX_IMPORT_BYTES || count > MAX_IMPORT_FILES)
        throw new Error('the zip holds more than ' + MAX_IMPORT_FILES + ' files or ' +
                        MAX_IMPORT_BYTES / (1024 * 1024) + ' MiB');
      return true;
    },
  });
  const written = [];
  const skipped = [];
  for (const [name, data] of Object.entries(files)) {
    const parts = entryParts(name);
    if (!parts) {
      skipped.push(name);
      continue;
    }
    const path = root + '/' + parts.join('/');
    try {
      if (name.endsWith('/')) {
        FS.mkdirTree(path);
        continue;
      }
      if (parts.length > 1) FS.mkdirTree(root + '/' + parts.slice(0, -1).join('/'));
      FS.writeFile(path, data);
      written.push(parts.join('/'));
    } catch (e) {
      skipped.push(name);
    }
  }
  return { written, skipped };
}

window.corvaneFiles = { zipTree, unzipInto };
