// Quillane Studio making and changing sticks in headless Chromium: a new stick with recordings
// converted from an MP3 and an OGG, its timetable edited and saved into a folder and as a .zip,
// judged by quillanectl; a schedule's comments kept; import's refusals; no request made.
// QUILLANECTL, QUILLANE_STUDIO_PAGE and NODE_PATH as for studio.test.cjs.
'use strict';
const { after, before, test } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync, spawnSync } = require('node:child_process');
const { mkdirSync, mkdtempSync, readFileSync, readdirSync, statSync, writeFileSync } =
    require('node:fs');
const http = require('node:http');
const { tmpdir } = require('node:os');
const { dirname, join } = require('node:path');
const { pathToFileURL } = require('node:url');
const { launch, openStick, openStudio, shown } = require('./browser.cjs');
const { Sticks, wav } = require('./sticks.cjs');

const c_Ctl = process.env.QUILLANECTL;
const c_Page = process.env.QUILLANE_STUDIO_PAGE;

let sticks;
let browser;
let server;
const studios = [];

// A browser may write into a folder of its own only for a page it got over the network: the page
// served from this machine's loopback, where the save writes into that folder.
function serve() {
    server = http.createServer((request, response) => {
        response.setHeader('Content-Type', 'text/html');
        response.end(readFileSync(c_Page));
    });
    return new Promise((resolve) => server.listen(0, '127.0.0.1', () =>
        resolve(`http://127.0.0.1:${server.address().port}/`)));
}

async function open(a_Url) {
    const studio = await openStudio(browser, a_Url);
    studios.push(studio);
    return studio.page;
}

const audioPath = (a_Name) => join(sticks.root, 'audio', a_Name);
// An audio file of 1.5 s of a tone, of the kind a_Name ends in, made with sox.
function audio(a_Name) {
    const path = audioPath(a_Name);
    mkdirSync(dirname(path), { recursive: true });
    execFileSync('sox', ['-n', '-r', '44100', '-c', '2', path, 'synth', '1.5', 'sine', '440']);
    return path;
}

// Drops a_Files on the page as a file manager does.
async function drop(a_Page, a_Files) {
    const cdp = await a_Page.context().newCDPSession(a_Page);
    const data = { items: [], files: a_Files, dragOperationsMask: 1 };
    for (const type of ['dragEnter', 'dragOver', 'drop'])
        await cdp.send('Input.dispatchDragEvent', { type, x: 10, y: 10, data });
}

const button = (a_Page, a_Name) => a_Page.getByRole('button', { name: a_Name, exact: true });
const field = (a_Page, a_Label) => a_Page.getByLabel(a_Label, { exact: true });

// Types a_Value into the field and leaves it, as a person does; resolves once checked again.
function enter(a_Page, a_Label, a_Value) {
    return shown(a_Page, async () => {
        await field(a_Page, a_Label).fill(a_Value);
        await field(a_Page, a_Label).press('Tab');
    });
}

// Every file below a_Dir: path -> bytes.
function filesOf(a_Dir) {
    return new Map(readdirSync(a_Dir, { recursive: true }).sort()
        .filter((path) => statSync(join(a_Dir, path)).isFile())
        .map((path) => [path, readFileSync(join(a_Dir, path))]));
}

// The .zip the page offers, unpacked into a new directory.
async function savedAsZip(a_Page) {
    const dir = mkdtempSync(join(sticks.root, 'zip-'));
    const download = a_Page.waitForEvent('download');
    await button(a_Page, 'Save as .zip').click();
    await (await download).saveAs(`${dir}.zip`);
    execFileSync('cmake', ['-E', 'tar', 'xf', `${dir}.zip`], { cwd: dir });
    return dir;
}

// What Save writes, into a folder of the browser's own storage given by the folder chooser
// (which headless Chromium cannot show), copied out into a new directory.
async function savedIntoFolder(a_Page) {
    const dir = mkdtempSync(join(sticks.root, 'folder-'));
    await a_Page.evaluate(() => {
        window.showDirectoryPicker = async () => navigator.storage.getDirectory();
    });
    await button(a_Page, 'Save').click();
    await a_Page.waitForFunction(() => /^Saved /.test(document.getElementById('saved').textContent));
    const files = await a_Page.evaluate(async () => {
        const found = [];
        const walk = async (folder, prefix) => {
            for await (const [name, entry] of folder.entries()) {
                if (entry.kind === 'directory')
                    await walk(entry, `${prefix}${name}/`);
                else
                    found.push([prefix + name, await new Promise((resolve) => {
                        const reader = new FileReader();
                        reader.onload = () => resolve(reader.result.split(',')[1]);
                        entry.getFile().then((file) => reader.readAsDataURL(file));
                    })]);
            }
        };
        await walk(await navigator.storage.getDirectory(), '');
        return found;
    });
    for (const [path, base64] of files) {
        mkdirSync(dirname(join(dir, path)), { recursive: true });
        writeFileSync(join(dir, path), Buffer.from(base64, 'base64'));
    }
    return dir;
}

// Rate, channels, bits and seconds of a recording the page wrote.
function format(a_Bytes) {
    return [a_Bytes.readUInt32LE(24), a_Bytes.readUInt16LE(22), a_Bytes.readUInt16LE(34),
        a_Bytes.readUInt32LE(40) / 2 / a_Bytes.readUInt32LE(24)];
}

function run(a_Args, a_Cwd) {
    return spawnSync(c_Ctl, a_Args, { cwd: a_Cwd, encoding: 'utf8' });
}

before(async () => {
    assert.ok(c_Ctl && c_Page, 'QUILLANECTL and QUILLANE_STUDIO_PAGE name what is tested');
    sticks = new Sticks(mkdtempSync(join(tmpdir(), 'quillane-making-')), c_Ctl);
    browser = await launch();
});

after(async () => {
    await browser?.close();
    server?.close();
    sticks?.remove();
});

test('a new stick with two converted recordings and a new interval, saved, passes check',
    async () => {
        const page = await open(await serve());
        await shown(page, () => button(page, 'New stick').click());
        await shown(page, () => drop(page, [audio('platform.mp3')]));
        await shown(page, () => field(page, 'Add recordings').setInputFiles(audio('exit.ogg')));
        assert.match(await page.locator('#imported').textContent(),
            /^exit {2}1\.5 s {2}stereo OGG → 22050 Hz mono$/);
        for (const [name, key] of [['platform', '1:30.0'], ['exit', '2:30.0']]) {
            await shown(page, () => button(page, 'Add record').click());
            const row = await page.locator('#records tbody tr').count();
            await enter(page, `Name, record ${row}`, name);
            await enter(page, `Key, record ${row}`, key);
        }
        // The interval by keyboard alone: Enter commits it, Enter moves the time chain along.
        await field(page, 'Interval').fill('10:00');
        await field(page, 'Interval').press('Enter');
        await shown(page, () => page.locator('#move-keys button:focus').press('Enter'));
        assert.equal(await page.locator('#report').getAttribute('data-verdict'), 'usable',
            await page.locator('#report').textContent());
        const rows = await page.locator('#records tbody tr').evaluateAll((trs) => trs.map(
            (tr) => [...tr.querySelectorAll('input, select')].map((c) => c.type === 'checkbox'
                ? c.checked : c.value)));
        const zip = await savedAsZip(page);
        assert.deepEqual(filesOf(await savedIntoFolder(page)), filesOf(zip));
        const recordings = filesOf(join(zip, 'announcer'));
        // An MP3 holds whole frames, beyond the tone made: its length is what sox reads of it.
        for (const source of ['platform.mp3', 'exit.ogg']) {
            const name = source.replace(/\.\w+$/, '.wav');
            const [rate, channels, bits, seconds] = format(recordings.get(name));
            assert.deepEqual([rate, channels, bits], [22050, 1, 16], name);
            const length = Number(execFileSync('sox', ['--i', '-D', audioPath(source)]));
            assert.ok(Math.abs(seconds - length) <= 0.010, `${name}: ${seconds} s of ${length}`);
        }
        // The chime, "the time is" and the time sounds are those init makes, byte for byte.
        const init = join(mkdtempSync(join(sticks.root, 'init-')), 'stick');
        run(['init', init]);
        for (const [path, bytes] of filesOf(join(init, 'announcer')))
            assert.ok(path === 'forVrex.xml' || bytes.equals(recordings.get(path)), path);
        const check = run(['check', '--strict', '.'], zip);
        assert.equal(check.status, 0, check.stdout);
        // plan's lines name each chain the table starts, at its key, and no other.
        const planned = new Set(run(['plan', '.'], zip).stdout.trim().split('\n')
            .map((line) => line.split('\t')).map(([, key, files]) => `${key} ${files.split(' ')[0]}`));
        const secs = (key) => key.split(':').reduce((sum, part) => sum * 60 + Number(part));
        const chains = rows.filter((row) => !row[4]).map(([name, , key]) => `${secs(key)} ${name}`);
        assert.deepEqual([...planned].sort(), chains.sort());
    });

test('a schedule edited in the page keeps its comments and an element the page does not know',
    async () => {
        const stick = sticks.make('kept', (s) => s.edit('<Records>',
            '<!-- kept --><Colour>blue</Colour>\n  <Records>'));
        const schedule = readFileSync(join(stick, 'announcer/forVrex.xml'), 'utf8');
        const page = await open(c_Page);
        await openStick(page, stick);
        await enter(page, 'Key, record 1', '0:45.0');
        const saved = readFileSync(join(await savedAsZip(page), 'announcer/forVrex.xml'), 'utf8');
        assert.equal(saved, schedule.replace('<m_TimingTime>0:30.0<', '<m_TimingTime>0:45.0<'));
    });

test('a recording of a name the stick has in a subdirectory is refused as import refuses it',
    async () => {
        const stick = sticks.make('taken', (s) => s.write('announcer/sub/Gong.WAV', wav()));
        const mp3 = join(dirname(stick), 'gong.mp3');
        writeFileSync(mp3, readFileSync(audio('gong.mp3')));
        const page = await open(c_Page);
        await openStick(page, stick);
        await shown(page, () => drop(page, [mp3]));
        const refused = run(['import', 'gong.mp3', 'USB/announcer'], dirname(stick));
        assert.equal(refused.status, 1);
        assert.match(refused.stderr, /already holds USB\/announcer\/sub\/Gong\.WAV/);
        assert.equal(`${await page.locator('#imported').textContent()}\n`, refused.stderr);
    });

test('no request leaves the page', () => {
    for (const studio of studios) {
        const own = [pathToFileURL(c_Page).href, studio.page.url()];
        assert.deepEqual(studio.requests.filter((url) => !own.includes(url)), []);
        assert.deepEqual(studio.errors, []);
    }
});
