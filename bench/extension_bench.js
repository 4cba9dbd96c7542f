#!/usr/bin/env node
// Times the browser extension on a page of 2,000 thumbnails in headless Chromium:
//   collect   the injection of collect.js and the collection of the page's links, as the
//             background runs it, plus the building of the add-url-list message;
//   send      the toolbar button's whole path, from the click to the host's reply
//             (vortalux-native-host with an empty program directory: it checks and accepts
//             the list; the engine's own part is timed by engine_bench, and the whole path to
//             the engine's window by selection_window_bench.js);
//   host      of that, the native-messaging exchange alone: the browser starts the host, sends
//             the list and reads the reply.
//   node bench/extension_bench.js --host build/bin/vortalux-native-host [--runs 20]
'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const support = require('../tests/browser/support/chromium.js');

const LinkCount = 2000;

async function main() {
    const host = support.option('--host', '');
    const runs = Number(support.option('--runs', '20'));
    if (!host || !fs.existsSync(host))
        throw new Error('--host must name the built vortalux-native-host');
    const { server, site } = await support.serveGallery(LinkCount);
    const gallery = `${site}/gallery.html`;

    const work = support.temporaryFolder('vortalux-extension-bench-');
    const profile = path.join(work, 'profile');
    const home = path.join(work, 'home');
    fs.mkdirSync(home);
    support.registerHost(profile, host);
    const { browser, extension, worker } = await support.launchWithExtension({
        profile, home, chromium: support.option('--chromium', support.DefaultChromium),
    });
    try {
        const [tab] = await browser.pages();
        await tab.goto(gallery, { waitUntil: 'load' });
        // The toolbar button grants the extension this tab, as a user's click does.
        await extension.triggerAction(tab);
        const [tabId] = await worker.evaluate(async () => (await chrome.tabs.query({ active: true })).map((t) => t.id));

        // The page's links and the message the background builds of them.
        await worker.evaluate(() => {
            globalThis.benchMessage = async (id) => {
                const page = await runInFrame(id, 0, () => ({
                    origin: document.URL,
                    links: globalThis.vortaluxCollect.collectPageLinks(document),
                }));
                return vortaluxMessages.addUrlListMessage(page.origin, page.links);
            };
        });
        const collect = [];
        const send = [];
        const exchange = [];
        for (let run = 0; run < runs; ++run) {
            const collected = await worker.evaluate(async (id) => {
                const start = performance.now();
                const message = await benchMessage(id);
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
                const message = await benchMessage(id);
                const start = performance.now();
                await chrome.runtime.sendNativeMessage(vortaluxMessages.HostName, message);
                return performance.now() - start;
            }, tabId));
        }
        console.log(`page of ${LinkCount} thumbnail links, Chromium headless, ${os.cpus().length} cores`);
        console.log(support.summary('collect', collect));
        console.log(support.summary('send', send));
        console.log(support.summary('host', exchange));
    } finally {
        await support.closeAll({ browser, server, work });
    }
}

support.runScript(main);
