// Sticks for the browser tests and the benchmarks, made in a temporary directory: the clean
// stick quillanectl init makes, and copies of it with one trap each.
'use strict';
const { execFileSync } = require('node:child_process');
const { cpSync, mkdirSync, readFileSync, renameSync, rmSync, writeFileSync } = require('node:fs');
const { dirname, join } = require('node:path');

// The bytes of a WAV file: a_Seconds of silence in the format given, with a_Before between
// RIFF and the format chunk and a_Between between the format and the data.
function wav({ channels = 1, rate = 22050, bits = 16, tag = 1, seconds = 1,
    before = Buffer.alloc(0), between = Buffer.alloc(0) } = {}) {
    const frame = channels * bits / 8;
    const data = Buffer.alloc(Math.round(rate * seconds) * frame);
    const format = Buffer.alloc(24);
    format.write('fmt ', 0);
    format.writeUInt32LE(16, 4);
    format.writeUInt16LE(tag, 8);
    format.writeUInt16LE(channels, 10);
    format.writeUInt32LE(rate, 12);
    format.writeUInt32LE(rate * frame, 16);
    format.writeUInt16LE(frame, 20);
    format.writeUInt16LE(bits, 22);
    const dataHead = Buffer.alloc(8);
    dataHead.write('data', 0);
    dataHead.writeUInt32LE(data.length, 4);
    const body = Buffer.concat([Buffer.from('WAVE'), before, format, between, dataHead, data]);
    const riff = Buffer.alloc(8);
    riff.write('RIFF', 0);
    riff.writeUInt32LE(body.length, 4);
    return Buffer.concat([riff, body]);
}

// A chunk of a_Size bytes named a_Id.
function chunk(a_Id, a_Size) {
    const head = Buffer.alloc(8);
    head.write(a_Id, 0);
    head.writeUInt32LE(a_Size, 4);
    return Buffer.concat([head, Buffer.alloc(a_Size + (a_Size & 1), 0x20)]);
}

// One record of the schedule, every element written.
function record(a_Name, a_Type, a_Key, a_Finish = 0, a_After = 0) {
    return `    <Record>\n      <m_Name>${a_Name}</m_Name> <Type>${a_Type}</Type> ` +
        `<m_TimingTime>${a_Key}</m_TimingTime>\n      <m_FinishAtTime>${a_Finish}` +
        `</m_FinishAtTime> <m_AfterMsg>${a_After}</m_AfterMsg> <m_OffsetTime>0</m_OffsetTime>\n` +
        '    </Record>\n';
}

// Sticks below a_Root, each a directory named USB inside a directory of its own.
class Sticks {
    constructor(a_Root, a_Ctl) {
        this.root = a_Root;
        this.ctl = a_Ctl;
        this.base = join(a_Root, 'base', 'USB');
        mkdirSync(dirname(this.base), { recursive: true });
        execFileSync(a_Ctl, ['init', this.base], { stdio: 'pipe' });
    }

    // A copy of the clean stick named a_Name, changed by a_Trap(stick directory).
    make(a_Name, a_Trap) {
        const stick = join(this.root, a_Name, 'USB');
        cpSync(this.base, stick, { recursive: true });
        a_Trap(new Stick(stick));
        return stick;
    }

    remove() {
        rmSync(this.root, { recursive: true, force: true });
    }
}

// Changes to one stick, by paths below its top.
class Stick {
    constructor(a_Dir) {
        this.dir = a_Dir;
    }

    path(a_Rel) {
        return join(this.dir, a_Rel);
    }

    write(a_Rel, a_Bytes) {
        mkdirSync(dirname(this.path(a_Rel)), { recursive: true });
        writeFileSync(this.path(a_Rel), a_Bytes);
    }

    move(a_From, a_To) {
        mkdirSync(dirname(this.path(a_To)), { recursive: true });
        renameSync(this.path(a_From), this.path(a_To));
    }

    copy(a_From, a_To) {
        cpSync(this.path(a_From), this.path(a_To), { recursive: true });
    }

    // Replaces a_From by a_To in the schedule announcer/forVrex.xml.
    edit(a_From, a_To) {
        const schedule = readFileSync(this.path('announcer/forVrex.xml'), 'utf8');
        if (!schedule.includes(a_From))
            throw new Error(`the schedule holds no ${a_From}`);
        this.write('announcer/forVrex.xml', schedule.replace(a_From, a_To));
    }
}

module.exports = { wav, chunk, record, Sticks, Stick };
