#!/usr/bin/env node
// Extracts every entry of a RAR archive with the reference unrar (node-unrar-js, unrar compiled
// to WebAssembly) and prints one line per entry, in archive order:
//
//   name<TAB>size<TAB>crc32|dir|-<TAB>status<TAB>created-as
//
// status is "ok" when unrar extracted the entry and verified its checksum, otherwise unrar's
// error name (ERAR_BAD_DATA, ERAR_BAD_PASSWORD, ...); crc32 is then "-". Control characters in
// names are printed as \xNN. created-as is the name unrar gave the file it wrote (it
// rewrites unsafe names), or "-". A last line "# end<TAB>ok" or "# end<TAB><error>" says how reading
// the headers ended. Verified files are written under <destdir> by name, unless the name would
// leave <destdir> or the file system refuses it (then the status gets ",not-written").
//
// usage: node unrar-extract.js <archive> <destdir> [password]
// Exit status: 0 when every entry and the end were ok, 1 otherwise, 2 on bad usage. unrar
// sometimes reports an error after extracting everything correctly: compare bytes, not exits.
'use strict';
const fs = require('fs');
const path = require('path');
const unrar = require('node-unrar-js');
const { DataFile } = require('node-unrar-js/dist/js/ExtractorData.helper');

const CRC_TABLE = (() => {
  const t = new Uint32Array(256);
  for (let i = 0; i < 256; i++) {
    let c = i;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    t[i] = c >>> 0;
  }
  return t;
})();

function crc32(bytes) {
  let c = 0xffffffff;
  for (let i = 0; i < bytes.length; i++) c = CRC_TABLE[(c ^ bytes[i]) & 0xff] ^ (c >>> 8);
  return ((c ^ 0xffffffff) >>> 0).toString(16).padStart(8, '0');
}

function printable(name) {
  return name.replace(/[\x00-\x1f\x7f]/g, (ch) => '\\x' + ch.charCodeAt(0).toString(16).padStart(2, '0'));
}

// The path under destDir for an entry name, or null when the name is absolute, has a drive or
// stream colon, or a "." / ".." component.
function safeTarget(destDir, name) {
  const parts = name.split(/[\\/]/);
  if (parts.length === 0 || parts[0] === '') return null;
  for (const p of parts) {
    if (p === '' || p === '.' || p === '..' || p.includes(':') || p.includes('\0')) return null;
  }
  return path.join(destDir, ...parts);
}

// False when the file system refuses the name (too long, say).
function writeEntry(target, isDirectory, bytes) {
  try {
    if (isDirectory) {
      fs.mkdirSync(target, { recursive: true });
    } else {
      fs.mkdirSync(path.dirname(target), { recursive: true });
      fs.writeFileSync(target, bytes);
    }
    return true;
  } catch (e) {
    return false;
  }
}

async function main() {
  const [archivePath, destDir, password] = process.argv.slice(2);
  if (!archivePath || !destDir) {
    process.stderr.write('usage: node unrar-extract.js <archive> <destdir> [password]\n');
    process.exit(2);
  }
  const data = Uint8Array.from(fs.readFileSync(archivePath)).buffer;
  fs.mkdirSync(destDir, { recursive: true });

  let allOk = true;
  let endStatus = 'ok';
  let next = 0;  // index of the first entry not reported yet
  // An error ends unrar's pass; open again and go on after the entry that failed.
  for (;;) {
    let index = 0;
    let current = null;  // header of the entry unrar is on
    let createdAs = '-';  // the name unrar created the current file under
    try {
      const extractor = await unrar.createExtractorFromData({ data, password: password || undefined });
      // The in-memory extractor files data under the name unrar created, then looks it up by the
      // header's name; these differ for names unrar rewrites. Keep one slot for the current file.
      const SLOT = '*current*';
      const create = extractor.create.bind(extractor);
      extractor.create = (filename) => {
        createdAs = filename;
        return create(filename);
      };
      extractor.getExtractedFileName = () => SLOT;
      const start = next;
      const { files } = extractor.extract({
        files: (header) => {
          current = header;
          createdAs = '-';
          extractor.dataFiles[SLOT] = { file: new DataFile(), fd: -1 };
          return index++ >= start;
        },
      });
      for (const file of files) {
        report(file.fileHeader, file.extraction, 'ok', createdAs);
        next++;
      }
      break;
    } catch (e) {
      const reason = (e && e.reason) || String(e);
      if (e && e.file !== undefined && index > next) {
        // The entry being extracted failed; its header was read, so go on after it.
        report(current, undefined, reason, createdAs);
        next++;
        continue;
      }
      endStatus = reason;
      break;
    }
  }
  process.stdout.write(`# end\t${endStatus}\n`);
  process.exit(allOk && endStatus === 'ok' ? 0 : 1);

  function report(header, extraction, status, created) {
    let size = header.unpSize;
    let crc = '-';
    let written = true;
    if (status === 'ok') {
      const target = safeTarget(destDir, header.name);
      const bytes = extraction || new Uint8Array(0);
      if (header.flags.directory) {
        crc = 'dir';
      } else {
        size = bytes.length;
        crc = crc32(bytes);
      }
      written = target !== null && writeEntry(target, header.flags.directory, bytes);
    } else {
      allOk = false;
    }
    process.stdout.write(`${printable(header.name)}\t${size}\t${crc}\t${status}${written ? '' : ',not-written'}` +
      `\t${printable(created)}\n`);
  }
}

main().catch((e) => {
  process.stderr.write(`unrar-extract: ${e && e.stack ? e.stack : e}\n`);
  process.exit(1);
});
