#!/usr/bin/env node
// Sends a page of thumbnails from headless Chromium through the extension and the host to the
// engine on the X display of the environment (scripts/screenshots runs it under Xvfb), and saves
// a picture of the engine's selection window as it opens on the desktop.
//   node tools/extension_tour/selection_window.js OUT.png --cli build/bin/vortalux
'use strict';

const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const puppeteer = require('puppeteer-core');

const ExtensionDir = path.resolve(__dirname, '../../browser/extension');
const ExtensionId = 'pmecckbmogajcjgcnjgoapjoigjchane';

function option(name, fallback) {
    const at = process.argv.indexOf(name);
    return at >= 0 && at + 1 < process.argv.length ? process.argv[at + 1] : fallback;
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The engine's processes of this tour: started by the host for our program directory.
function engineProcesses(home) {
    const found = [];
    for (const entry of fs.readdirSync('/proc')) {
        if (!/^\d+$/.test(entry))
            continue;
        try {
            const environment = fs.readFileSync(`/proc/${entry}/environ`, 'latin1').split('\0');
            if (environment.includes(`VORTALUX_HOME=${home}`) && fs.readlinkSync(`/proc/${entry}/exe`).endsWith('/vortalux-native-host'))
                found.push(Number(entry));
        } catch (error) {
            // Gone meanwhile, or not ours to read.
        }
    }
    return found;
}

function engineWindowShown() {
    try {
        return /Vortalux|Select/i.test(execFileSync('xwininfo', ['-root', '-tree'], { encoding: 'latin1' })
            .split('\n').filter((line) => /^\s+0x[0-9a-f]+ "/.test(line) && !/has no name/.test(line)).join('\n'));
    } catch (error) {
        return false;
    }
}

async function main() {
    const out = process.argv[2];
    const cli = option('--cli', '');
    if (!out || !cli || !process.env.DISPLAY)
        throw new Error('usage: DISPLAY=... selection_window.js OUT.png --cli build/bin/vortalux');
    let page = '<!DOCTYPE html><title>Holiday pictures</title><h1>Holiday pictures</h1>\n';
    const names = ['Beach at dusk', 'Harbour', 'Old town', 'Lighthouse', 'Market', 'Sunset'];
    names.forEach((name, i) => {
        page += `<a href="/viewer.php?id=${i + 1}"><img src="/thumbs/${i + 1}_t.png" alt="${name}"></a>\n`;
    });
    const server = http.createServer((request, response) => response.end(request.url === '/thread.html' ? page : ''));
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    const thread = `http://127.0.0.1:${server.address().port}/thread.html`;

    const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vortalux-extension-tour-'));
    const home = path.join(work, 'home');
    const user = path.join(work, 'user');
    const profile = path.join(user, '.config', 'chromium');
    fs.mkdirSync(profile, { recursive: true });
    // The shipped rules and definitions, as a user has them.
    for (const folder of ['Rules', 'Managers'])
        fs.cpSync(path.resolve(__dirname, '../../data', folder), path.join(home, folder), { recursive: true });
    execFileSync(cli, ['browser', 'install', '--chromium'], { env: { ...process.env, HOME: user } });

    const env = { ...process.env, VORTALUX_HOME: home };
    delete env.QT_QPA_PLATFORM;
    delete env.WAYLAND_DISPLAY;
    const browser = await puppeteer.launch({
        executablePath: option('--chromium', '/usr/bin/chromium'),
        headless: true,
        pipe: true,
        enableExtensions: true,
        userDataDir: profile,
        env,
        args: ['--no-sandbox', '--no-first-run', '--disable-gpu'],
    });
    try {
        if (await browser.installExtension(ExtensionDir) !== ExtensionId)
            throw new Error('the extension did not get its fixed ID');
        const [tab] = await browser.pages();
        await tab.goto(thread, { waitUntil: 'load' });
        await (await browser.extensions()).get(ExtensionId).triggerAction(tab);
        const deadline = Date.now() + 20000;
        while (!engineWindowShown() && Date.now() < deadline)
            await sleep(100);
        // Let the window draw its list.
        await sleep(1500);
        execFileSync('import', ['-window', 'root', '-trim', '+repage', out]);
        console.log(out);
    } finally {
        for (const pid of engineProcesses(home)) {
            try {
                process.kill(pid, 'SIGTERM');
            } catch (error) {
                // Already gone.
            }
        }
        await browser.close();
        server.close();
        fs.rmSync(work, { recursive: true, force: true });
    }
}

main().catch((error) => {
    console.error(error);
    process.exit(1);
});
