// Packs the sounds a new stick made in the studio page gets, at build time:
//   node pack-sounds.cjs OUT DIR PATH...
// writes OUT: the files DIR/PATH (every file below PATH where it is a folder) gzipped in a form
// that packs a third smaller than the files themselves: each file read as 16-bit words, each
// word less the one before it (speech changes little from one sample to the next), the low
// bytes of every file, then the high bytes. The first line is the index, [[PATH, bytes], ...]
// in JSON. unpackSounds in studio.js gives back the files byte for byte.
'use strict';
const { readFileSync, readdirSync, statSync, writeFileSync } = require('node:fs');
const { join } = require('node:path');
const { gzipSync } = require('node:zlib');

const [out, dir, ...paths] = process.argv.slice(2);
const below = (path) => statSync(join(dir, path)).isDirectory()
    ? readdirSync(join(dir, path)).sort().flatMap((name) => below(`${path}/${name}`)) : [path];
const files = paths.flatMap(below).map((path) => [path, readFileSync(join(dir, path))]);
const lows = [];
const highs = [];
for (const [, bytes] of files) {
    const words = Math.ceil(bytes.length / 2);
    const low = Buffer.alloc(words);
    const high = Buffer.alloc(words);
    let before = 0;
    for (let i = 0; i < words; i++) {
        const word = bytes[2 * i] | ((bytes[2 * i + 1] ?? 0) << 8);
        const change = (word - before) & 0xFFFF;
        low[i] = change & 0xFF;
        high[i] = change >> 8;
        before = word;
    }
    lows.push(low);
    highs.push(high);
}
const index = JSON.stringify(files.map(([path, bytes]) => [path, bytes.length]));
writeFileSync(out, gzipSync(Buffer.concat([Buffer.from(`${index}\n`), ...lows, ...highs]),
    { level: 9 }));
