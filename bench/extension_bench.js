#!/usr/bin/env node
// Times the browser extension on a page of 2,000 thumbnails in headless Chromium:
//   collect   the injection of collect.js and the collection of the page's links, as the
//             background runs it, plus the building of the add-url-list message;
//   send      the toolbar button's whole path, from the click to the host's reply
//             (vortalux-native-host with an empty program directory: it checks and accepts
//             the list; the engine's own part is timed by engine_bench);
//   host      of that, the native-messaging exchange alone: the browser starts the host, sends
//             the list and reads the reply.
//   node bench/extension_bench.js --host build/bin/vortalux-native-host [--runs 20]
'use strict';

const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const ExtensionDir = path.resolve(__dirname, '../browser/extension');
const ExtensionId = 'pmecckbmogajcjgcnjgoapjoigjchane';
const LinkCount = 2000;

function option(name, fallback) {
    const at = process.argv.indexOf(name);
    return at >= 0 && at + 1 < process.argv.length ? process.argv[at + 1] : fallback;
}

function thumbnailPage() {
    let html = '<!DOCTYPE html><title>Gallery</title><h1>2,000 pictures</h1>\n';
    for (let i = 0; i < LinkCount; ++i)
        html += `<a href="/viewer/${i}.html"><img src="/thumbs/${i}_t.png" alt="Picture ${i}" width="8" height="8"></a>\n`;
    return html;
}

function summary(name, times) {
    const sorted = [...times].sort((a, b) => a - b);
    const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
    return `${name.padEnd(8)} runs ${sorted.length}  median ${at(0.5).toFixed(1)} ms  ` +
        `p90 ${at(0.9).toFixed(1)} ms  min ${sorted[0].toFixed(1)} ms  max ${sorted.at(-1).toFixed(1)} ms`;
}

async function main() {
    const host = option('--host', '');
    const runs = Number(option('--runs', '20'));
    if (!host || !fs.existsSync(host))
        throw new Error('--host must name the built vortalux-native-host');
    const page = thumbnailPage();
    const server = http.createServer((request, response) => {
        response.writeHead(200, { 'Content-Type': request.url === '/gallery.html' ? 'text/html' : 'image/png' });
        response.end(request.url === '/gallery.html' ? page : '');
    });
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    const gallery = `http://127.0.0.1:${server.address().port}/gallery.html`;

    const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vortalux-extension-bench-'));
    const profile = path.join(work, 'profile');
    const home = path.join(work, 'home');
    fs.mkdirSync(home);
    fs.mkdirSync(path.join(profile, 'NativeMessagingHosts'), { recursive: true });
    fs.writeFileSync(path.join(profile, 'NativeMessagingHosts', 'org.vortalux.native_host.json'), JSON.stringify({
        name: 'org.vortalux.native_host',
        description: 'Vortalux',
        path: path.resolve(host),
        type: 'stdio',
        allowed_origins: [`chrome-extension://${ExtensionId}/`],
    }));
    const env = { ...process.env, VORTALUX_HOME: home };
    for (const name of ['DISPLAY', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORM'])
        delete env[name];
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
        const workerTarget = await browser.waitForTarget(
            (target) => target.type() === 'service_worker' && target.url().startsWith(`chrome-extension://${ExtensionId}/`));
        const worker = await workerTarget.worker();
        const [tab] = await browser.pages();
        await tab.goto(gallery, { waitUntil: 'load' });
        // The toolbar button grants the extension this tab, as a user's click does.
        await (await browser.extensions()).get(ExtensionId).triggerAction(tab);
        const [tabId] = await worker.evaluate(async () => (await chrome.tabs.query({ active: true })).map((t) => t.id));

        const collect = [];
        const send = [];
        const exchange = [];
        for (let run = 0; run < runs; ++run) {
            const collected = await worker.evaluate(async (id) => {
                const start = performance.now();
                const page = await runInFrame(id, 0, () => ({
                    origin: document.URL,
                    links: globalThis.vortaluxCollect.collectPageLinks(document),
                }));
                const message = vortaluxMessages.addUrlListMessage(page.origin, page.links);
                const bytes = JSON.stringify(message).length;
                return { ms: performance.now() - start, links: message.links.length, bytes };
            }, tabId);
            if (collected.links !== LinkCount)
                throw new Error(`collected ${collected.links} links, not ${LinkCount}`);
            collect.push(collected.ms);

            const sent = await worker.evaluate(async (id) => {
                const start = performance.now();
                const outcome = await sendAllLinks({ id });
                return { ms: performance.now() - start, reply: outcome.reply };
            }, tabId);
            if (!sent.reply || sent.reply.ok !== true || sent.reply.accepted !== LinkCount)
                throw new Error('the host did not accept the list: ' + JSON.stringify(sent.reply));
            send.push(sent.ms);

            exchange.push(await worker.evaluate(async (id) => {
                const page = await runInFrame(id, 0, () => ({
                    origin: document.URL,
                    links: globalThis.vortaluxCollect.collectPageLinks(document),
                }));
                const message = vortaluxMessages.addUrlListMessage(page.origin, page.links);
                const start = performance.now();
                await chrome.runtime.sendNativeMessage(vortaluxMessages.HostName, message);
                return performance.now() - start;
            }, tabId));
        }
        console.log(`page of ${LinkCount} thumbnail links, Chromium headless, ${os.cpus().length} cores`);
        console.log(summary('collect', collect));
        console.log(summary('send', send));
        console.log(summary('host', exchange));
    } finally {
        await browser.close();
        server.close();
        fs.rmSync(work, { recursive: true, force: true });
    }
}

main().catch((error) => {
    console.error(error);
    process.exit(1);
});
