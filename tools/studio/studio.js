// Quillane Studio: opens a stick chosen in the folder chooser, keeps what check and plan read
// of it in the module's file system, and shows check's report, the timetable picture and the
// next announcements for the moment chosen. Every answer comes from the C++ of quillanectl.
'use strict';

// Each stick is a file system of its own below this directory, the module's working directory,
// so that its paths read as quillanectl's do when given the stick's name.
const c_SticksDir = '/sticks';
// Files read at once while a stick opens.
const c_ReadsAtOnce = 256;
// What a file being saved is called while it is written, beside the file it replaces.
const c_PartSuffix = '.quillane-part';
// The name of a stick made in the page, and of the .zip of a stick's changes.
const c_NewStickName = 'stick';
const c_ZipName = 'quillane-stick.zip';

// Every mount reports a device of its own, as on Linux: the stick's folder is then the top of
// its file system, where check looks for a schedule as the board does. (MEMFS gives every
// directory device 1.)
function giveEachMountItsDevice(FS) {
    const dirOps = FS.lookupPath('/').node.node_ops; // shared by every MEMFS directory
    const getattr = dirOps.getattr;
    const devices = new Map();
    dirOps.getattr = (node) => {
        const attr = getattr(node);
        if (!devices.has(node.mount))
            devices.set(node.mount, devices.size + 1);
        attr.dev = devices.get(node.mount);
        return attr;
    };
}

// The stick's files: every file as chosen, for saving it whole later, and in the module's file
// system what check and plan read of it: the schedule files whole, the first bytes of each
// recording (its header), and the folders they lie in.
class StickFiles {
    constructor(module, name) {
        this.FS = module.FS;
        this.headBytes = module.headBytes();
        this.name = name;
        this.files = new Map(); // path below the stick -> File or Blob
        this.changed = new Set(); // paths written in the page and not saved yet
        this.FS.mkdir(this.top);
        this.FS.mount(this.FS.filesystems.MEMFS, {}, this.top);
    }

    get top() {
        return c_SticksDir + '/' + this.name;
    }

    static isRecording(path) {
        return /\.wav$/i.test(path);
    }

    static isSchedule(path) {
        return /(^|\/)forvrex\.xml$/i.test(path);
    }

    // The bytes of a_File the checks read; null when they read none of it.
    async needed(path, file) {
        if (StickFiles.isRecording(path))
            return new Uint8Array(await file.slice(0, this.headBytes).arrayBuffer());
        if (StickFiles.isSchedule(path))
            return new Uint8Array(await file.arrayBuffer());
        return null;
    }

    // Adds or replaces the file at path (below the stick) with a_File, a File or a Blob, as a
    // change of the page's to be saved.
    async put(path, file) {
        this.store(path, file, await this.needed(path, file));
        this.changed.add(path);
    }

    // The changed files, recordings first and schedules last: a stick pulled while they are
    // saved never has a schedule naming a recording not written yet.
    changedPaths() {
        const rank = (path) => StickFiles.isSchedule(path) ? 2 : StickFiles.isRecording(path) ? 0 : 1;
        return [...this.changed].sort((one, other) => rank(one) - rank(other));
    }

    // The path below the stick of a path the module names (from its working directory).
    below(modulePath) {
        return modulePath.slice(this.name.length + 1);
    }

    // The recordings' names below a_Dir (a module path), as a timetable names them.
    recordingNames(dir) {
        const prefix = this.below(dir) + '/';
        return [...this.files.keys()].filter((path) => path.startsWith(prefix) &&
            StickFiles.isRecording(path)).map((path) => path.split('/').pop().slice(0, -4));
    }

    // As put, with the bytes needed of the file already read.
    store(path, file, bytes) {
        this.files.set(path, file);
        if (bytes === null)
            return;
        const parts = path.split('/');
        let dir = this.top;
        for (const part of parts.slice(0, -1)) {
            dir += '/' + part;
            if (!this.FS.analyzePath(dir).exists)
                this.FS.mkdir(dir);
        }
        this.FS.writeFile(this.top + '/' + path, bytes);
    }

    remove(path) {
        this.files.delete(path);
        if (this.FS.analyzePath(this.top + '/' + path).exists)
            this.FS.unlink(this.top + '/' + path);
    }

    // Takes the stick out of the file system.
    close() {
        this.FS.unmount(this.top);
        this.FS.rmdir(this.top);
    }
}

// The page: the controls, the stick, and what the checks say of it.
class Studio {
    constructor(module) {
        this.module = module;
        this.stick = null;
        this.shown = 0;
        this.element = (id) => document.getElementById(id);
        module.FS.mkdir(c_SticksDir);
        module.FS.chdir(c_SticksDir);
        giveEachMountItsDevice(module.FS);
        this.timetable = new TimetableEditor(this);
    }

    start() {
        this.element('stick').addEventListener('change', (event) =>
            this.open(event.target.files).catch((error) => this.failed(error)));
        this.element('moment').addEventListener('change', () => this.refresh());
        this.element('now').addEventListener('click', () => {
            this.setMoment(new Date());
            this.refresh();
        });
        this.element('new-stick').addEventListener('click', () =>
            this.newStick().catch((error) => this.failed(error)));
        this.element('recordings').addEventListener('change', (event) =>
            this.addRecordings(event.target.files).catch((error) => this.failed(error)));
        this.element('save').addEventListener('click', () =>
            this.saveToFolder().catch((error) => this.saveFailed(error)));
        this.element('save-zip').addEventListener('click', () =>
            this.saveZip().catch((error) => this.saveFailed(error)));
        // Recordings dropped anywhere on the page are added as if chosen.
        document.addEventListener('dragover', (event) => event.preventDefault());
        document.addEventListener('drop', (event) => {
            event.preventDefault();
            if (this.stick && event.dataTransfer.files.length)
                this.addRecordings(event.dataTransfer.files).catch((error) => this.failed(error));
        });
        this.timetable.start();
        this.setMoment(new Date());
        for (const id of ['stick', 'moment', 'now', 'new-stick'])
            this.element(id).disabled = false;
        this.element('save').hidden = !window.showDirectoryPicker;
        this.say('Choose a stick, or make a new one.');
        document.body.dataset.state = 'ready';
    }

    // A stick is open: it can be changed and saved.
    opened() {
        for (const id of ['recordings', 'replace', 'save', 'save-zip'])
            this.element(id).disabled = false;
        this.refresh();
        this.timetable.load();
    }

    setMoment(date) {
        const local = new Date(date.getTime() - date.getTimezoneOffset() * 60000);
        this.element('moment').value = local.toISOString().slice(0, 19);
    }

    // The moment chosen, in seconds since the epoch; now when the control is empty.
    moment() {
        const value = this.element('moment').value;
        const date = value ? new Date(value) : new Date();
        return Math.floor(date.getTime() / 1000);
    }

    // Reads the files of a chosen folder; its name is the first part of each file's path.
    async open(fileList) {
        const files = Array.from(fileList);
        document.body.dataset.state = 'reading';
        this.say(`Reading ${files.length} files…`);
        if (this.stick)
            this.stick.close();
        const name = files.length ? files[0].webkitRelativePath.split('/')[0] : 'stick';
        this.stick = new StickFiles(this.module, name || 'stick');
        // Read many at once, but stored in the order the browser lists them, which is the
        // order the checks then find them in: that of the stick's own folders where the browser
        // keeps it.
        for (let first = 0; first < files.length; first += c_ReadsAtOnce) {
            const batch = files.slice(first, first + c_ReadsAtOnce);
            const paths = batch.map((file) =>
                file.webkitRelativePath.split('/').slice(1).join('/'));
            const bytes =
                await Promise.all(batch.map((file, i) => this.stick.needed(paths[i], file)));
            batch.forEach((file, i) => this.stick.store(paths[i], file, bytes[i]));
        }
        this.opened();
    }

    // Puts a file onto the open stick (or replaces it) and checks again.
    async write(path, file) {
        await this.stick.put(path, file);
        this.refresh();
        this.timetable.load();
    }

    // The file the module last wrote at path, as a Blob.
    blobOf(path) {
        return new Blob([this.module.FS.readFile(path)]);
    }

    // A stick as init makes it: the starter schedule and the chime from init's own code, "the
    // time is" and the time sounds init spoke when the page was built.
    async newStick() {
        const packed = this.blobOf('/starter-sounds.gz').stream()
            .pipeThrough(new DecompressionStream('gzip'));
        const sounds = unpackSounds(new Uint8Array(await new Response(packed).arrayBuffer()));
        if (this.stick)
            this.stick.close();
        this.stick = new StickFiles(this.module, c_NewStickName);
        for (const [path, bytes] of sounds)
            await this.stick.put(path, new Blob([bytes]));
        const dir = this.module.starterDir;
        this.module.chime();
        await this.stick.put(`${dir}/chime.wav`, this.blobOf(this.module.recordingFile));
        await this.stick.put(`${dir}/forVrex.xml`,
            new Blob([this.module.starterSchedule(this.module.starterIntervalSecs)]));
        this.element('imported').textContent = '';
        this.opened();
    }

    // Converts audio files into recordings in the schedule directory, as import does.
    async addRecordings(fileList) {
        const files = Array.from(fileList);
        const out = this.element('imported');
        const dir = this.module.scheduleDir(this.stick.name);
        const clashes = JSON.parse(this.module.importClashes(JSON.stringify(
            files.map((file) => file.name))));
        out.textContent = !dir ? 'The stick has no schedule yet: make a new stick first.'
            : clashes.join('\n');
        if (!dir || clashes.length)
            return this.refresh();
        const force = this.element('replace').checked;
        const lines = [];
        for (const file of files) {
            this.say(`Converting ${file.name}…`);
            lines.push(await this.convert(dir, force, file));
            out.textContent = lines.join('\n');
        }
        this.refresh();
        this.timetable.load();
    }

    // One file, decoded and resampled by the browser, written by import's code; its line.
    async convert(dir, force, file) {
        const target = JSON.parse(this.module.importTarget(dir, force, file.name));
        if (target.refused)
            return target.refused;
        let sound;
        try {
            sound = await decode(file, this.module.recordingRate);
        } catch (error) {
            return this.module.notImported(file.name, `this browser cannot read it as audio ` +
                `(${error.message || error})`);
        }
        const line = this.module.convert(dir, force, file.name, target.target, sound.description,
            sound.samples);
        await this.stick.put(this.stick.below(target.target),
            this.blobOf(this.module.recordingFile));
        return line;
    }

    // Writes the changed files into a folder chosen in the browser's folder chooser.
    async saveToFolder() {
        const root = await window.showDirectoryPicker({ id: 'quillane-stick', mode: 'readwrite' });
        const paths = this.stick.changedPaths();
        for (const path of paths) {
            this.saved(`Writing ${path}…`);
            await writeBeside(root, path, this.stick.files.get(path));
        }
        this.stick.changed.clear();
        this.saved(paths.length ? `Saved ${paths.length} files onto ${root.name}: ` +
            `${paths.join(', ')}.` : 'Nothing has changed since the stick was opened or saved.');
    }

    // Offers the changed files as a .zip, to unpack onto the stick.
    async saveZip() {
        const paths = this.stick.changedPaths();
        const zip = await zipOf(paths.map((path) => [path, this.stick.files.get(path)]));
        const link = document.createElement('a');
        link.href = URL.createObjectURL(zip);
        link.download = c_ZipName;
        link.click();
        setTimeout(() => URL.revokeObjectURL(link.href), 60000);
        this.saved(`${c_ZipName} holds the ${paths.length} changed files: unpack it onto the ` +
            'top folder of the stick (its drive, such as E:\\), replacing the files there.');
    }

    saved(text) {
        this.element('saved').textContent = text;
    }

    saveFailed(error) {
        // Closing the folder chooser is no failure.
        this.saved(error.name === 'AbortError' ? 'Not saved.' : `Not saved: ${error.message}`);
    }

    // Runs check, plan and the picture again, for the stick as it is now.
    refresh() {
        if (!this.stick)
            return;
        const view = this.module.look(this.stick.name, this.moment());
        const report = this.element('report');
        report.textContent = view.report;
        report.dataset.verdict = view.status !== 0 ? 'not-usable'
            : view.strictStatus !== 0 ? 'changes-play' : 'usable';
        this.element('plan').textContent = view.plan;
        this.showPicture(view.picture);
        this.say(`${this.stick.files.size} files of ${this.stick.name} read; checked for ` +
                 `${new Date(this.moment() * 1000).toLocaleString()}.`);
        this.shown += 1;
        document.body.dataset.shown = String(this.shown);
        document.body.dataset.state = 'shown';
    }

    showPicture(svg) {
        const picture = this.element('picture');
        picture.replaceChildren();
        if (!svg)
            return;
        const parsed = new DOMParser().parseFromString(svg, 'image/svg+xml');
        picture.appendChild(document.importNode(parsed.documentElement, true));
    }

    say(text) {
        this.element('status').textContent = text;
    }

    failed(error) {
        this.say(`Something went wrong in the page: ${error}. Reload it to start again.`);
        document.body.dataset.state = 'failed';
    }
}

// The calendar's controls outside the records, and the timetable's fields they edit.
const c_CalendarFields = [['quiet', 'quiet'], ['lead-in', 'leadIn'], ['greeting', 'greeting']];

// The timetable of the open stick's schedule as a form: each change is written into the
// schedule by the C++ editor, which keeps the rest of the file, and checked at once.
class TimetableEditor {
    constructor(studio) {
        this.studio = studio;
        this.module = studio.module;
        this.element = studio.element;
        this.file = null; // the schedule file, as the module names it
        this.table = null;
    }

    start() {
        this.element('interval').addEventListener('change', () => this.changeInterval());
        for (const [id, field] of c_CalendarFields)
            this.element(id).addEventListener('change', () => {
                this.table[field] = this.element(id).value;
                this.write(id);
            });
        this.element('add-record').addEventListener('click', () => {
            this.table.rows.push({ source: -1, name: '', type: 'Custom', key: '1:00.0',
                finish: false, after: false, offset: 0, when: '' });
            this.write(`${this.table.rows.length}:name`);
        });
        const rows = this.element('records').tBodies[0];
        rows.addEventListener('change', (event) => this.changeCell(event.target));
        rows.addEventListener('click', (event) => this.action(event.target.closest('button')));
    }

    // Reads the schedule of the stick as it is now.
    load() {
        const stick = this.studio.stick;
        const dir = stick && this.module.scheduleDir(stick.name);
        this.file = dir ? `${dir}/forVrex.xml` : null;
        this.table = this.file ? JSON.parse(this.module.timetable(this.file)) : null;
        this.element('timetable-note').textContent = !stick ? 'Open a stick or make a new one ' +
            'to edit its timetable.' : !this.file ? 'The stick has no schedule: make a new stick.'
            : this.table.loads ? `The timetable of ${this.file}.` : `${this.file} does not load: ` +
            'give it an interval.';
        const names = stick && this.file ? stick.recordingNames(dir) : [];
        this.element('recording-names').replaceChildren(...names.map((name) =>
            Object.assign(document.createElement('option'), { value: name })));
        this.render();
    }

    render() {
        const focused = document.activeElement?.dataset?.cell;
        const table = this.table;
        this.element('interval').value = table ? table.interval : '';
        this.element('interval').disabled = !table;
        for (const [id, field] of c_CalendarFields) {
            this.element(id).value = table?.loads ? table[field] : '';
            this.element(id).disabled = !table?.loads;
        }
        this.element('add-record').disabled = !table?.loads;
        const rows = (table?.loads ? table.rows : []).map((row, i) => this.rowOf(row, i + 1));
        this.element('records').tBodies[0].replaceChildren(...rows);
        if (focused)
            document.querySelector(`[data-cell="${focused}"]`)?.focus();
    }

    rowOf(row, number) {
        const tr = document.createElement('tr');
        const cell = (field, label, attributes) => {
            const control = document.createElement(attributes.tag || 'input');
            delete attributes.tag;
            Object.assign(control, attributes);
            control.dataset.cell = `${number}:${field}`;
            control.setAttribute('aria-label', `${label}, record ${number}`);
            tr.insertCell().appendChild(control);
            return control;
        };
        cell('name', 'Name', { type: 'text', value: row.name }).setAttribute('list',
            'recording-names');
        const type = cell('type', 'Type', { tag: 'select' });
        for (const kind of new Set(['Custom', 'Timed', row.type]))
            type.add(new Option(kind, kind, false, kind === row.type));
        cell('key', 'Key', { type: 'text', value: row.key, placeholder: 'M:SS.T' });
        cell('finish', 'Finishes at key', { type: 'checkbox', checked: row.finish });
        cell('after', 'Joins the chain before', { type: 'checkbox', checked: row.after });
        cell('offset', 'Minute offset', { type: 'number', value: row.offset, step: 1 });
        cell('when', 'When', { type: 'text', value: row.when, placeholder: 'Mon-Fri' });
        const actions = tr.insertCell();
        for (const [action, text] of [['up', 'Move up'], ['down', 'Move down'],
            ['remove', 'Remove']]) {
            const button = Object.assign(document.createElement('button'),
                { type: 'button', textContent: text });
            button.dataset.cell = `${number}:${action}`;
            button.setAttribute('aria-label', `${text}, record ${number}`);
            actions.appendChild(button);
        }
        return tr;
    }

    changeCell(control) {
        const [number, field] = control.dataset.cell.split(':');
        const row = this.table.rows[number - 1];
        row[field] = control.type === 'checkbox' ? control.checked
            : field === 'offset' ? Math.trunc(Number(control.value)) || 0 : control.value;
        this.write(control.dataset.cell);
    }

    action(button) {
        if (!button)
            return;
        const [number, action] = button.dataset.cell.split(':');
        const rows = this.table.rows;
        const i = number - 1;
        const to = action === 'up' ? i - 1 : i + 1;
        if (action === 'remove')
            rows.splice(i, 1);
        else if (to >= 0 && to < rows.length)
            [rows[i], rows[to]] = [rows[to], rows[i]];
        this.write(`${Math.min(Math.max(to, 0), rows.length - 1) + 1}:${action}`);
    }

    // A new interval; the chain at the old interval's end may move with it.
    async changeInterval() {
        const value = this.element('interval').value.trim();
        const moved = JSON.parse(this.module.moveEndKeys(JSON.stringify(this.table), value));
        if (moved.moved > 0 && await this.askToMove(moved.moved, this.table.interval, value))
            this.table = moved.timetable;
        else
            this.table.interval = value;
        this.write('interval');
    }

    askToMove(count, from, to) {
        const dialog = this.element('move-keys');
        this.element('move-keys-text').textContent = `${count} record${count > 1 ? 's are' :
            ' is'} keyed at ${from}, the end of the old interval (the chain that ends it, such ` +
            `as the spoken time). Move ${count > 1 ? 'them' : 'it'} to ${to}, the end of the ` +
            'new one?';
        dialog.returnValue = '';
        dialog.showModal();
        return new Promise((resolve) => dialog.addEventListener('close',
            () => resolve(dialog.returnValue === 'move'), { once: true }));
    }

    // Writes the timetable into the schedule, then checks and shows it again.
    write(focus) {
        const why = this.module.writeTimetable(this.file, JSON.stringify(this.table));
        const stick = this.studio.stick;
        if (!why) {
            stick.store(stick.below(this.file), this.studio.blobOf(this.file),
                this.module.FS.readFile(this.file));
            stick.changed.add(stick.below(this.file));
        }
        this.studio.refresh();
        if (why)
            this.studio.say(`The timetable was not changed: ${why}`);
        this.load();
        document.querySelector(`[data-cell="${focus}"]`)?.focus();
    }
}

// The samples of an audio file, decoded and resampled to the board's rate by the browser and
// mixed to one channel, and what it was ("stereo MP3").
async function decode(file, rate) {
    const decoded = await new OfflineAudioContext(1, 1, rate)
        .decodeAudioData(await file.arrayBuffer());
    const mixer = new OfflineAudioContext(1, decoded.length, rate);
    const source = mixer.createBufferSource();
    source.buffer = decoded;
    source.connect(mixer.destination);
    source.start();
    const mono = await mixer.startRendering();
    const channels = decoded.numberOfChannels;
    const kind = (/\.([^./]+)$/.exec(file.name)?.[1] || 'audio').toUpperCase();
    return {
        samples: mono.getChannelData(0),
        description: `${channels === 1 ? 'mono' : channels === 2 ? 'stereo'
            : `${channels}-channel`} ${kind}`,
    };
}

// The files pack-sounds.cjs packed when the page was built: [path, bytes] for each.
function unpackSounds(packed) {
    const newline = packed.indexOf(10);
    const index = JSON.parse(new TextDecoder().decode(packed.subarray(0, newline)));
    const words = index.reduce((sum, [, size]) => sum + Math.ceil(size / 2), 0);
    let low = newline + 1;
    let high = low + words;
    return index.map(([path, size]) => {
        const bytes = new Uint8Array(size + 1);
        for (let at = 0, before = 0; at < size; at += 2) {
            before = (before + (packed[low++] | (packed[high++] << 8))) & 0xFFFF;
            bytes[at] = before & 0xFF;
            bytes[at + 1] = before >> 8;
        }
        return [path, bytes.subarray(0, size)];
    });
}

// Writes a_Blob to path below the folder root: first beside it under a name of its own, then
// renamed over it, so that the file holds either what it held or all of a_Blob. Where the
// browser cannot rename a file outside its own storage, the file is written in place by
// createWritable, which Chrome and Edge write into a file of their own beside it and rename over
// it when closed.
async function writeBeside(root, path, blob) {
    const parts = path.split('/');
    const name = parts.pop();
    let dir = root;
    for (const part of parts)
        dir = await dir.getDirectoryHandle(part, { create: true });
    const part = await dir.getFileHandle(name + c_PartSuffix, { create: true });
    await writeFile(part, blob);
    try {
        await part.move(name);
    } catch {
        await writeFile(await dir.getFileHandle(name, { create: true }), blob);
        await dir.removeEntry(name + c_PartSuffix);
    }
}

async function writeFile(handle, blob) {
    const writable = await handle.createWritable();
    await writable.write(blob);
    await writable.close();
}

const c_Crc32 = Array.from({ length: 256 }, (_, n) => {
    for (let k = 0; k < 8; k++)
        n = n & 1 ? 0xEDB88320 ^ (n >>> 1) : n >>> 1;
    return n >>> 0;
});

function crc32(bytes) {
    let crc = 0xFFFFFFFF;
    for (const byte of bytes)
        crc = c_Crc32[(crc ^ byte) & 0xFF] ^ (crc >>> 8);
    return (crc ^ 0xFFFFFFFF) >>> 0;
}

// A .zip of a_Files ([path, Blob] each), stored uncompressed (recordings hardly compress), with
// UTF-8 names and the time of now.
async function zipOf(files) {
    const now = new Date();
    const time = (now.getHours() << 11) | (now.getMinutes() << 5) | (now.getSeconds() >> 1);
    const date = ((now.getFullYear() - 1980) << 9) | ((now.getMonth() + 1) << 5) | now.getDate();
    const parts = [];
    const directory = [];
    let offset = 0;
    const record = (signature, fields, name) => {
        const head = new DataView(new ArrayBuffer(4 + fields.reduce((sum, [size]) => sum + size, 0)));
        head.setUint32(0, signature, true);
        let at = 4;
        for (const [size, value] of fields) {
            size === 2 ? head.setUint16(at, value, true) : head.setUint32(at, value, true);
            at += size;
        }
        return name ? [head, name] : [head];
    };
    for (const [path, blob] of files) {
        const bytes = new Uint8Array(await blob.arrayBuffer());
        const name = new TextEncoder().encode(path);
        const common = [[2, 20], [2, 0x0800], [2, 0], [2, time], [2, date], [4, crc32(bytes)],
            [4, bytes.length], [4, bytes.length], [2, name.length], [2, 0]];
        const local = record(0x04034B50, common, name);
        directory.push(...record(0x02014B50, [[2, 20], ...common, [2, 0], [2, 0], [2, 0],
            [4, 0], [4, offset]], name));
        parts.push(...local, bytes);
        offset += 30 + name.length + bytes.length;
    }
    const size = directory.reduce((sum, part) => sum + part.byteLength, 0);
    const end = record(0x06054B50, [[2, 0], [2, 0], [2, files.length], [2, files.length],
        [4, size], [4, offset], [2, 0]]);
    return new Blob([...parts, ...directory, ...end], { type: 'application/zip' });
}

function openAbout() {
    const about = document.getElementById('about');
    document.getElementById('about-open').addEventListener('click', () => about.showModal());
}

openAbout();
QuillaneStudioModule().then((module) => {
    window.quillaneStudio = new Studio(module);
    window.quillaneStudio.start();
}, (error) => {
    document.getElementById('status').textContent = `The checker could not start: ${error}`;
    document.body.dataset.state = 'failed';
});
