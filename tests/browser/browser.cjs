// Headless Chromium as the browser tests and the benchmarks drive it: the system's own browser
// (nothing is downloaded), and Quillane Studio opened in it from a file.
'use strict';
const { chromium } = require('playwright-core');
const { pathToFileURL } = require('node:url');

const c_Chromium = process.env.QUILLANE_CHROMIUM || '/usr/bin/chromium';
// The time zone both the page and quillanectl read the moment in.
const c_TimeZone = 'UTC';

// Root needs --no-sandbox; the rest keep Chromium from reaching for the network on its own
// (updates, sync, metrics), so that every request seen comes from the page.
async function launch() {
    return chromium.launch({
        executablePath: c_Chromium,
        args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
            '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    });
}

// The page at a_Path (or an http: address) in a new tab, ready for a stick; every request made in its context (by
// any of its tabs) is kept in requests, the pages' own files among them.
async function openStudio(a_Browser, a_Path) {
    const context = await a_Browser.newContext({ timezoneId: c_TimeZone });
    const requests = [];
    const errors = [];
    context.on('request', (request) => requests.push(request.url()));
    context.on('page', (tab) => {
        tab.on('websocket', (socket) => requests.push(socket.url()));
        tab.on('pageerror', (error) => errors.push(error.message));
    });
    const page = await context.newPage();
    const started = performance.now();
    await page.goto(/^http:/.test(a_Path) ? a_Path : pathToFileURL(a_Path).href);
    await page.waitForSelector('body[data-state="ready"]');
    return { page, context, requests, errors, readyMs: performance.now() - started };
}

// Waits until the page has shown what it found after a_Action, and returns how long that took.
async function shown(a_Page, a_Action) {
    const before = Number(await a_Page.evaluate(() => document.body.dataset.shown || 0));
    const started = performance.now();
    await a_Action();
    await a_Page.waitForFunction((count) => Number(document.body.dataset.shown || 0) > count,
        before, { timeout: 120000 });
    return performance.now() - started;
}

// Opens the stick in a_Dir through the page's folder chooser.
function openStick(a_Page, a_Dir) {
    return shown(a_Page, () => a_Page.locator('#stick').setInputFiles(a_Dir));
}

// Sets the page's moment, "YYYY-MM-DDTHH:MM:SS" in c_TimeZone.
function setMoment(a_Page, a_Moment) {
    return shown(a_Page, () => a_Page.locator('#moment').fill(a_Moment));
}

module.exports = { c_TimeZone, launch, openStudio, shown, openStick, setMoment };
