// Quillane Studio in headless Chromium, against quillanectl: for every stick of the table the
// page's report is what quillanectl check prints, its next announcements what plan prints and
// its picture what plan --svg draws, for the same moment; and no request leaves the page.
// QUILLANECTL names quillanectl as installed with the page, QUILLANE_STUDIO_PAGE the page;
// NODE_PATH leads to playwright-core (scripts/test installs it from package-lock.json).
'use strict';
const { after, before, test } = require('node:test');
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const { mkdtempSync, readFileSync, rmSync } = require('node:fs');
const { tmpdir } = require('node:os');
const { dirname, join } = require('node:path');
const { pathToFileURL } = require('node:url');
const { c_TimeZone, launch, openStick, openStudio, setMoment, shown } = require('./browser.cjs');
const { Sticks, chunk, record, wav } = require('./sticks.cjs');

const c_Ctl = process.env.QUILLANECTL;
const c_Page = process.env.QUILLANE_STUDIO_PAGE;
// The moment set in the page, and the one quillanectl is made to see (libfaketime).
const c_Moment = '2026-03-14T14:31:05';
const c_FakeTime = '2026-03-14 14:31:05';
// A stick mounted as a file system of its own, as on a PC: only then does check know the top.
const c_CanMount = spawnSync('unshare', ['-m', '--propagation', 'private', 'true']).status === 0;

// Each stick: a name, what to change on the clean stick, the kinds check must find (so that
// each trap is known to be sprung), and whether it needs mounting.
const c_Cases = [
    ['clean', () => {}, []],
    ['stereo recordings, one named with a line break', (s) => {
        s.write('announcer/welcome.wav', wav({ channels: 2, rate: 44100 }));
        s.write('announcer/two\nlines.wav', wav({ channels: 2 }));
    }, ['refused', 'refused']],
    // A short chunk leaves the format within what the page keeps of a recording, a long one
    // beyond what check reads.
    ['chunks before the format', (s) => {
        s.write('announcer/junk.wav', wav({ channels: 2, before: chunk('JUNK', 27) }));
        s.write('announcer/sub/Ansage-Zürich.wav',
            wav({ bits: 24, rate: 48000, before: chunk('bext', 602) }));
    }, ['refused', 'refused']],
    ['list chunk and empty file', (s) => {
        s.write('announcer/l.wav', wav({ between: chunk('LIST', 26) }));
        s.write('announcer/e.WAV', '');
    }, ['refused', 'refused']],
    ['other kinds of recording named .wav', (s) => {
        s.write('announcer/flac.wav', Buffer.concat([Buffer.from('fLaC'), Buffer.alloc(60)]));
        s.write('announcer/mp3.wav', Buffer.concat([Buffer.from('ID3\x04'), Buffer.alloc(60)]));
        s.write('announcer/float.wav', wav({ tag: 3, bits: 32 }));
        s.write('announcer/adpcm.wav', wav({ tag: 0x11 }));
    }, ['refused', 'refused', 'refused', 'refused']],
    // Which of two recordings of one name is played follows the order of the stick's folders,
    // which the page knows only as the browser lists them.
    ['silent and replaced', (s) => {
        s.write('announcer/gong.wav', wav({ seconds: 0 }));
        s.copy('announcer/chime.wav', 'announcer/old/chime.wav');
    }, ['zero-length', 'replaced'],
    { swappable: ['USB/announcer/chime.wav', 'USB/announcer/old/chime.wav'] }],
    ['missing announcement', (s) => s.edit('  </Records>',
        record('welcome', 'Custom', '2:00.0') + '  </Records>'), ['missing-announcement']],
    ['misspelled element', (s) => s.edit('<m_TimingTime>0:30.0</m_TimingTime>',
        '<m_TimingTme>0:30.0</m_TimingTme>'),
    ['unknown-element', 'missing-element', 'replaced-chain']],
    ['schedule that does not load', (s) => s.edit('<m_Frequency>5:00</m_Frequency>', ''), []],
    // The page cannot see the order of directories on the stick, only the browser's: which of
    // the two it names first may differ from the board's.
    ['two schedule directories', (s) => s.copy('announcer', 'zz-old'),
        ['several-schedule-dirs'], { swappable: ['USB/announcer', 'USB/zz-old'] }],
    ['schedule in another letter case', (s) => s.move('announcer/forVrex.xml',
        'announcer/forvrex.xml'), ['schedule-name-case']],
    ['missing time sounds', (s) => s.move('announcer/times/cdnum35.wav',
        'announcer/cdnum35.txt'), ['needed-time-sounds-missing']],
    ['schedule at the top', (s) => s.move('announcer/forVrex.xml', 'forVrex.xml'),
        ['schedule-at-top'], { mounted: true }],
];

let sticks;
let browser;
let studio;

// quillanectl a_Args run from the directory holding the stick, which it is given as USB, at the
// fixed moment; inside a private mount namespace on a copy mounted at a_Mount when given.
function ctl(a_Stick, a_Args, a_Mount, a_FakeTime = c_FakeTime) {
    const command = ['faketime', a_FakeTime, c_Ctl, ...a_Args];
    const env = { ...process.env, TZ: c_TimeZone };
    const script = 'mkdir -p "$1/USB" && mount -t tmpfs quillane-test "$1/USB" && ' +
        'cp -a "$2/." "$1/USB/" && cd "$1" && shift 2 && exec "$@"';
    const run = a_Mount
        ? spawnSync('unshare', ['-m', '--propagation', 'private', 'sh', '-c', script, 'sh',
            a_Mount, a_Stick, ...command], { env })
        : spawnSync(command[0], command.slice(1), { cwd: dirname(a_Stick), env });
    // 1 is check's answer for an unusable stick; anything else means it did not run.
    assert.ok(run.status === 0 || run.status === 1, `${command.join(' ')}: ${run.error || ''}` +
        run.stderr);
    return run;
}

function kinds(a_Report) {
    return [...a_Report.matchAll(/^  ([a-z-]+): /gm)].map((found) => found[1]);
}

before(async () => {
    assert.ok(c_Ctl && c_Page, 'QUILLANECTL and QUILLANE_STUDIO_PAGE name what is tested');
    sticks = new Sticks(mkdtempSync(join(tmpdir(), 'quillane-browser-')), c_Ctl);
    browser = await launch();
    // The page as init put it on the clean stick, not the one it was copied from.
    studio = await openStudio(browser, join(sticks.base, 'quillane-studio.html'));
    await studio.page.locator('#moment').fill(c_Moment);
});

after(async () => {
    await browser?.close();
    sticks?.remove();
});

test('init puts the page on the stick', () => {
    assert.deepEqual(readFileSync(join(sticks.base, 'quillane-studio.html')),
        readFileSync(c_Page));
});

// What quillanectl says of the stick (given as USB from its parent) at a_FakeTime: check's report
// and verdict, plan's lines and its picture.
function quillanectl(a_Stick, a_FakeTime, a_Mount) {
    const run = (args) => ctl(a_Stick, args, a_Mount, a_FakeTime);
    const check = run(['check', 'USB']);
    const strict = run(['check', '--strict', 'USB']);
    const svg = join(dirname(a_Stick), 'timetable.svg');
    rmSync(svg, { force: true });
    const plan = run(['plan', 'USB', '--svg', svg]);
    return {
        report: check.stdout.toString(),
        verdict: check.status !== 0 ? 'not-usable'
            : strict.status !== 0 ? 'changes-play' : 'usable',
        plan: plan.stdout.toString() + plan.stderr.toString(),
        picture: plan.status === 0 ? readFileSync(svg, 'utf8') : '',
    };
}

// a_Report with each run of findings sorted: check lists them in the order it finds the files,
// the order the stick's folders list them in, which the page knows only as the browser lists
// them.
function inAnyOrder(a_Report) {
    const lines = [];
    let findings = [];
    for (const line of `${a_Report}\n`.split('\n')) {
        if (/^  [a-z-]+: /.test(line))
            findings.push(line);
        else if (findings.length && line.startsWith('    '))
            findings[findings.length - 1] += `\n${line}`;
        else {
            lines.push(...findings.sort(), line);
            findings = [];
        }
    }
    return lines.join('\n');
}

// The page shows what a_Expected holds; a_Swappable: two paths it may name the other way round.
async function agree(a_Page, a_Expected, a_Swappable = []) {
    const report = inAnyOrder(await a_Page.locator('#report').textContent());
    const [one, other] = a_Swappable;
    const swapped = one && inAnyOrder(a_Expected.report.replaceAll(one, '\0')
        .replaceAll(other, one).replaceAll('\0', other));
    assert.equal(report === swapped ? swapped : inAnyOrder(a_Expected.report), report);
    assert.equal(await a_Page.locator('#report').getAttribute('data-verdict'),
        a_Expected.verdict);
    assert.equal(await a_Page.locator('#plan').textContent(), a_Expected.plan);
    // The same picture: both parsed as SVG and written out again.
    const [shown, drawn] = await a_Page.evaluate((text) => {
        const serialize = (node) => node ? new XMLSerializer().serializeToString(node) : '';
        const parsed = text && new DOMParser().parseFromString(text, 'image/svg+xml');
        return [serialize(document.querySelector('#picture svg')),
            parsed ? serialize(parsed.documentElement) : ''];
    }, a_Expected.picture);
    assert.equal(shown, drawn);
}

test('the moment is now when the page opens', async () => {
    const page = await studio.context.newPage();
    await page.goto(pathToFileURL(c_Page).href);
    await page.waitForSelector('body[data-state="ready"]');
    const shown = Date.parse(await page.locator('#moment').inputValue() + 'Z');
    assert.ok(Math.abs(Date.now() - shown) < 60000, `${shown} is not now`);
    await page.close();
});

for (const [name, trap, expected, options = {}] of c_Cases) {
    test(`the page and quillanectl agree on a stick with ${name}`,
        { skip: options.mounted && !c_CanMount && 'no private mount namespace (needs root)' },
        async () => {
            const stick = sticks.make(name, trap);
            const mount = options.mounted && join(dirname(stick), 'mnt');
            const expectedNow = quillanectl(stick, c_FakeTime, mount);
            assert.deepEqual(kinds(expectedNow.report), expected, expectedNow.report);
            await openStick(studio.page, stick);
            await agree(studio.page, expectedNow, options.swappable);
        });
}

// Another moment, in another hour, redraws: the announce time, the picture and the lines move.
test('changing the moment checks and draws the stick again', async () => {
    const stick = sticks.make('moments', () => {});
    await openStick(studio.page, stick);
    await setMoment(studio.page, '2026-03-14T09:07:30');
    await agree(studio.page, quillanectl(stick, '2026-03-14 09:07:30'));
    await setMoment(studio.page, c_Moment);
    await agree(studio.page, quillanectl(stick, c_FakeTime));
});

// A file written into the open stick (as the editor and the converter will) is checked at once.
test('a file written into the page is checked at once', async () => {
    const changes = (s) => {
        s.edit('  </Records>', record('welcome', 'Custom', '2:00.0') + '  </Records>');
        s.write('announcer/welcome.wav', wav({ channels: 2, rate: 44100 }));
    };
    const changed = sticks.make('written-expected', changes);
    const expected = quillanectl(changed, c_FakeTime);
    await openStick(studio.page, sticks.make('written', () => {}));
    const files = ['announcer/forVrex.xml', 'announcer/welcome.wav'].map((path) =>
        [path, readFileSync(join(changed, path)).toString('base64')]);
    await shown(studio.page, () => studio.page.evaluate(async (a_Files) => {
        for (const [path, base64] of a_Files) {
            const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
            await window.quillaneStudio.write(path, new Blob([bytes]));
        }
    }, files));
    await agree(studio.page, expected);
});

test('no request leaves the page', () => {
    const own = [join(sticks.base, 'quillane-studio.html'), c_Page].map((path) =>
        pathToFileURL(path).href);
    assert.deepEqual(studio.requests.filter((url) => !own.includes(url)), []);
    assert.deepEqual(studio.errors, []);
});
