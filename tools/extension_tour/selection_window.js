#!/usr/bin/env node
// Sends a page of thumbnails from headless Chromium through the extension and the host to the
// engine on the X display of the environment (scripts/screenshots runs it under Xvfb), and saves
// a picture of the engine's selection window as it opens on the desktop.
//   node tools/extension_tour/selection_window.js OUT.png --cli build/bin/vortalux
'use strict';

const fs = require('node:fs');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const support = require('../../tests/browser/support/chromium.js');

async function main() {
    const out = process.argv[2];
    const cli = support.option('--cli', '');
    if (!out || !cli || !process.env.DISPLAY)
        throw new Error('usage: DISPLAY=... selection_window.js OUT.png --cli build/bin/vortalux');
    let page = '<!DOCTYPE html><title>Holiday pictures</title><h1>Holiday pictures</h1>\n';
    const names = ['Beach at dusk', 'Harbour', 'Old town', 'Lighthouse', 'Market', 'Sunset'];
    names.forEach((name, i) => {
        page += `<a href="/viewer.php?id=${i + 1}"><img src="/thumbs/${i + 1}_t.png" alt="${name}"></a>\n`;
    });
    const { server, site } = await support.serveLoopback((request, response) => response.end(request.url === '/thread.html' ? page : ''));
    const thread = `${site}/thread.html`;

    const work = support.temporaryFolder('vortalux-extension-tour-');
    const home = path.join(work, 'home');
    const user = path.join(work, 'user');
    const profile = path.join(user, '.config', 'chromium');
    fs.mkdirSync(profile, { recursive: true });
    // The shipped rules and definitions, as a user has them.
    for (const folder of ['Rules', 'Managers'])
        fs.cpSync(path.resolve(__dirname, '../../data', folder), path.join(home, folder), { recursive: true });
    execFileSync(cli, ['browser', 'install', '--chromium'], { env: { ...process.env, HOME: user } });

    const { browser, extension } = await support.launchWithExtension({
        profile, home, display: 'keep', chromium: support.option('--chromium', support.DefaultChromium),
    });
    try {
        const [tab] = await browser.pages();
        await tab.goto(thread, { waitUntil: 'load' });
        await extension.triggerAction(tab);
        const deadline = Date.now() + 20000;
        while (!support.windowNames().some((name) => /Vortalux|Select/i.test(name)) && Date.now() < deadline)
            await support.sleep(100);
        // Let the window draw its list.
        await support.sleep(1500);
        execFileSync('import', ['-window', 'root', '-trim', '+repage', out]);
        console.log(out);
    } finally {
        support.stopHostProcesses(home);
        await support.closeAll({ browser, server, work });
    }
}

support.runScript(main);
