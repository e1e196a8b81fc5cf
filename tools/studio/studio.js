// Quillane Studio: opens a stick chosen in the folder chooser, keeps what check and plan read
// of it in the module's file system, and shows check's report, the timetable picture and the
// next announcements for the moment chosen. Every answer comes from the C++ of quillanectl.
'use strict';

// Each stick is a file system of its own below this directory, the module's working directory,
// so that its paths read as quillanectl's do when given the stick's name.
const c_SticksDir = '/sticks';
// Files read at once while a stick opens.
const c_ReadsAtOnce = 256;

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

    // Adds or replaces the file at path (below the stick) with a_File, a File or a Blob.
    async put(path, file) {
        this.store(path, file, await this.needed(path, file));
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
    }

    start() {
        this.element('stick').addEventListener('change', (event) =>
            this.open(event.target.files).catch((error) => this.failed(error)));
        this.element('moment').addEventListener('change', () => this.refresh());
        this.element('now').addEventListener('click', () => {
            this.setMoment(new Date());
            this.refresh();
        });
        this.setMoment(new Date());
        for (const id of ['stick', 'moment', 'now'])
            this.element(id).disabled = false;
        this.say('Choose a stick.');
        document.body.dataset.state = 'ready';
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
        this.refresh();
    }

    // Puts a file onto the open stick (or replaces it) and checks again.
    async write(path, file) {
        await this.stick.put(path, file);
        this.refresh();
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
