// Quillane Studio's figures in headless Chromium, against their targets: the page loaded to
// ready, a stick of 1,000 recordings opened, and a schedule of 10,000 records checked, planned
// and drawn again for a new moment. Exits 1 when a figure misses its target.
// node bench/studio-bench.cjs PAGE, with NODE_PATH leading to playwright-core (scripts/bench).
'use strict';
const { linkSync, mkdirSync, mkdtempSync, rmSync, writeFileSync } = require('node:fs');
const { tmpdir } = require('node:os');
const { join } = require('node:path');
const { launch, openStick, openStudio, setMoment } =
    require('../tests/browser/browser.cjs');
const { record, wav } = require('../tests/browser/sticks.cjs');

const c_Page = process.argv[2];
const c_Rounds = 5;

function median(a_Values) {
    const sorted = [...a_Values].sort((a, b) => a - b);
    return sorted[Math.floor(sorted.length / 2)];
}

function verdict(a_Met) {
    return a_Met ? 'met' : 'MISSED';
}

// A stick below a_Root: a_Recordings recordings of half a second in ten directories (links of
// one file, so that any number costs one file's space), and a schedule of a_Records records,
// chains of ten spread over an hour, naming the recordings in turn.
function makeStick(a_Root, a_Recordings, a_Records) {
    const dir = join(a_Root, 'USB', 'announcer');
    mkdirSync(dir, { recursive: true });
    const one = join(a_Root, 'one.wav');
    writeFileSync(one, wav({ seconds: 0.5 }));
    for (let i = 0; i < a_Recordings; ++i) {
        const sub = join(dir, `part${i % 10}`);
        mkdirSync(sub, { recursive: true });
        linkSync(one, join(sub, `msg${i}.wav`));
    }
    let records = '';
    for (let i = 0; i < a_Records; ++i) {
        const tenths = Math.floor(i / 10) * Math.floor(36000 / Math.ceil(a_Records / 10));
        const key = `${Math.floor(tenths / 600)}:${String(Math.floor(tenths / 10) % 60)
            .padStart(2, '0')}.${tenths % 10}`;
        records += record(`msg${i % a_Recordings}`, 'Custom', key, 0, i % 10 ? 1 : 0);
    }
    writeFileSync(join(dir, 'forVrex.xml'), '<?xml version="1.0"?>\n<Schedule>\n' +
        `  <m_Frequency>60:00</m_Frequency>\n  <Records>\n${records}  </Records>\n</Schedule>\n`);
    return join(a_Root, 'USB');
}

// The page loaded, its checker started, in a fresh tab each round.
async function pageLoad(a_Browser) {
    const times = [];
    for (let round = 0; round < c_Rounds; ++round) {
        const studio = await openStudio(a_Browser, c_Page);
        times.push(studio.readyMs);
        await studio.context.close();
    }
    const ms = median(times);
    console.log(`page load to ready: median ${ms.toFixed(0)} ms of ${c_Rounds} ` +
        `(target <= 1000 ms: ${verdict(ms <= 1000)})`);
    return ms <= 1000;
}

// From choosing the stick to its report, picture and plan shown.
async function openThousand(a_Browser, a_Work) {
    const stick = makeStick(join(a_Work, 'thousand'), 1000, 20);
    const studio = await openStudio(a_Browser, c_Page);
    const times = [];
    for (let round = 0; round < c_Rounds; ++round)
        times.push(await openStick(studio.page, stick));
    const report = await studio.page.locator('#report').textContent();
    await studio.context.close();
    const ms = median(times);
    const met = ms <= 2000 && report.includes('Recordings: 0 time sounds, 1000 announcements');
    console.log(`a stick of 1,000 recordings opened and shown: median ${ms.toFixed(0)} ms of ` +
        `${c_Rounds} (target <= 2000 ms: ${verdict(met)})`);
    return met;
}

// Check, plan and the picture again for a new moment, the stick already open.
async function checkTenThousand(a_Browser, a_Work) {
    const stick = makeStick(join(a_Work, 'records'), 100, 10000);
    const studio = await openStudio(a_Browser, c_Page);
    await openStick(studio.page, stick);
    const times = [];
    for (let round = 0; round < c_Rounds; ++round)
        times.push(await setMoment(studio.page, `2026-03-14T1${round}:31:05`));
    const report = await studio.page.locator('#report').textContent();
    await studio.context.close();
    const ms = median(times);
    const met = ms <= 2000 && report.includes('Interval: 60:00');
    console.log(`a schedule of 10,000 records checked, planned and drawn for a new moment: ` +
        `median ${ms.toFixed(0)} ms of ${c_Rounds} (target <= 2000 ms: ${verdict(met)})`);
    return met;
}

async function main() {
    const work = mkdtempSync(join(tmpdir(), 'quillane-studio-bench-'));
    const browser = await launch();
    try {
        const met = [await pageLoad(browser), await openThousand(browser, work),
            await checkTenThousand(browser, work)];
        process.exitCode = met.every(Boolean) ? 0 : 1;
    } finally {
        await browser.close();
        rmSync(work, { recursive: true, force: true });
    }
}

main().catch((error) => {
    console.error(error);
    process.exitCode = 1;
});
