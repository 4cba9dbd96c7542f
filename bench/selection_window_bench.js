#!/usr/bin/env node
// Times "Send all links" on a page of 2,000 thumbnails over the whole path a user waits on: from
// the toolbar button's click in headless Chromium, through the extension, vortalux-native-host and
// the engine it starts, to the engine's selection window ("Select URL(s)") on the X display with
// its 2,000 rows. Every repetition is a cold start of the host and the engine, as a click is.
//   xvfb-run -a node bench/selection_window_bench.js --host build/bin/vortalux-native-host [--runs 12]
// The window is seen from outside through the X server: `xev` on the root window reports each
// top-level window as it is mapped, and the engine maps the window only once the list is filled
// (frmSelectURLs::FillList runs before the window is shown). The program needs no hook for it.
'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFile, spawn } = require('node:child_process');
const support = require('../tests/browser/support/chromium.js');

const LinkCount = 2000;
const RuleCount = 300;
const WindowTitle = 'Select URL(s)';
const WaitLimitMs = 30000;

const now = () => performance.timeOrigin + performance.now();

// A program directory as a user's may be: replace rules for many picture hosts, one rule for the
// gallery's viewer pages, and a default download-manager definition (never reached: the window is
// closed unanswered).
function makeHome(home) {
    fs.mkdirSync(path.join(home, 'Rules'), { recursive: true });
    fs.mkdirSync(path.join(home, 'Managers'));
    for (let n = 0; n < RuleCount - 1; ++n) {
        fs.writeFileSync(path.join(home, 'Rules', `host${n}.vtl`),
            `[Main]\r\nver=1\r\nActive=1\r\nIdent=^https?://host${n}\\.example/\r\nType=0\r\nReferer=3\r\n` +
            '[SR]\r\nnb=1\r\nsr1.1=_thumb\\.\r\nsr2.1=.\r\n');
    }
    fs.writeFileSync(path.join(home, 'Rules', 'Viewer.vtl'),
        '[Main]\r\nver=1\r\nActive=1\r\nIdent=^http://127\\.0\\.0\\.1:\\d+/viewer/\\d+\\.html$\r\nType=1\r\n' +
        'Referer=1\r\n\r\n[OS]\r\nnb=1\r\nregexp.1=<img id="full" src="/([^"]+)"\r\nresult.1=$SRV$1\r\nglobal.1=0\r\n');
    fs.writeFileSync(path.join(home, 'Managers', 'Wget.vtm'), '[Main]\r\nver=1\r\nDefault=1\r\n[SCRIPT]\r\n\r\n');
}

// Reports the moment each top-level window titled `title` is mapped on the display.
class MapWatcher {
    constructor(title) {
        this.title = title;
        this.waiting = null;
        this.pending = '';
        this.inMapNotify = false;
        this.xev = spawn('stdbuf', ['-oL', 'xev', '-root', '-event', 'substructure'], { stdio: ['ignore', 'pipe', 'inherit'] });
        this.xev.stdout.setEncoding('latin1');
        this.xev.stdout.on('data', (chunk) => this.read(chunk, now()));
    }

    // xev writes an event as a few lines; a MapNotify's second names the window mapped.
    read(chunk, at) {
        const lines = (this.pending + chunk).split('\n');
        this.pending = lines.pop();
        for (const line of lines) {
            const mapped = this.inMapNotify && /^\s+event 0x[0-9a-f]+, window (0x[0-9a-f]+)/.exec(line);
            if (mapped)
                this.check(mapped[1], at);
            this.inMapNotify = line.startsWith('MapNotify event');
        }
    }

    check(window, at) {
        execFile('xprop', ['-id', window, 'WM_NAME'], { encoding: 'latin1' }, (error, stdout) => {
            const name = /"(.*)"/.exec(stdout || '');
            if (name && name[1] === this.title && this.waiting) {
                this.waiting(at);
                this.waiting = null;
            } else if (name) {
                console.error(`a window "${name[1]}" appeared`);
            }
        });
    }

    // Resolves to the time of the next mapping of a window with the title.
    next() {
        return new Promise((resolve, reject) => {
            const timer = setTimeout(() => reject(new Error(`no "${this.title}" window within ${WaitLimitMs} ms`)), WaitLimitMs);
            this.waiting = (at) => {
                clearTimeout(timer);
                resolve(at);
            };
        });
    }

    close() {
        this.xev.kill();
    }
}

// Ends the engine's process (it waits on the unanswered window) and waits until it is gone.
async function closeEngine(home) {
    support.stopHostProcesses(home);
    const deadline = Date.now() + 10000;
    while (support.hostProcesses(home).length > 0) {
        if (Date.now() > deadline)
            throw new Error('the engine did not end');
        await support.sleep(20);
    }
}

async function main() {
    const host = support.option('--host', '');
    const runs = Number(support.option('--runs', '12'));
    if (!host || !fs.existsSync(host))
        throw new Error('--host must name the built vortalux-native-host');
    if (!process.env.DISPLAY)
        throw new Error('needs an X display: run it under xvfb-run -a');
    const { server, site } = await support.serveGallery(LinkCount);
    const work = support.temporaryFolder('vortalux-window-bench-');
    const profile = path.join(work, 'profile');
    const home = path.join(work, 'home');
    makeHome(home);
    support.registerHost(profile, host);
    const watcher = new MapWatcher(WindowTitle);
    const { browser, extension, worker } = await support.launchWithExtension({
        profile, home, display: 'keep', chromium: support.option('--chromium', support.DefaultChromium),
    });
    try {
        const [tab] = await browser.pages();
        await tab.goto(`${site}/gallery.html`, { waitUntil: 'load' });
        // The button's listener calls sendAllLinks by its global name: wrap it to learn each
        // click's reply.
        await worker.evaluate(() => {
            const send = sendAllLinks;
            globalThis.replies = [];
            globalThis.sendAllLinks = (target) => send(target).then((outcome) => (replies.push(outcome.reply), outcome));
        });
        await support.sleep(500);

        const times = [];
        let warmUp = 0;
        for (let run = 0; run <= runs; ++run) {
            const shown = watcher.next();
            const start = now();
            await extension.triggerAction(tab);
            const end = await shown;
            const reply = await worker.evaluate(async () => {
                while (replies.length === 0)
                    await new Promise((resolve) => setTimeout(resolve, 5));
                return replies.shift();
            });
            if (!reply || reply.ok !== true || reply.accepted !== LinkCount)
                throw new Error('the host did not accept the list: ' + JSON.stringify(reply));
            // The first click also brings the programs' files into the page cache: left out.
            if (run === 0)
                warmUp = end - start;
            else
                times.push(end - start);
            await closeEngine(home);
        }
        console.log(`page of ${LinkCount} thumbnail links, ${RuleCount} rules, Chromium headless, engine on ` +
            `${process.env.DISPLAY}, ${os.cpus().length} cores; first click (left out) ${warmUp.toFixed(1)} ms`);
        console.log(support.summary('click to window', times));
    } finally {
        watcher.close();
        support.stopHostProcesses(home);
        await support.closeAll({ browser, server, work });
    }
}

support.runScript(main);
