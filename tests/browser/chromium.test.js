// The extension in Debian's Chromium, headless, with the real vortalux-native-host registered by
// `vortalux browser install` for a test user and a download-manager definition that records what
// reaches it. A loopback server plays a forum thread of thumbnails that link to viewer pages.
//   VORTALUX_CLI          the vortalux program of the build (the host is beside it)
//   VORTALUX_CHROMIUM     the browser (default /usr/bin/chromium)
//   VORTALUX_SCREENSHOT_DIR  when set, the options page is saved there as a picture
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { closeAll, DefaultChromium, ExtensionId, launchWithExtension, serveLoopback, temporaryFolder } = require('./support/chromium.js');

const Cli = process.env.VORTALUX_CLI;
const Chromium = process.env.VORTALUX_CHROMIUM || DefaultChromium;

// The thread: three thumbnails, a same-origin frame with a fourth, and links the extension
// leaves out. Each viewer page shows its full-size picture.
function startSite() {
    const pages = {
        '/forum/thread.html': `<!DOCTYPE html><title>Thread</title>
            <p>Holiday pictures, <b>select from here</b></p>
            <a href="/viewer/1.html"><img src="/thumbs/1_t.png" alt="Beach"></a>
            <a href="/viewer/2.html"><img src="/thumbs/2_t.png" title="Harbour"></a>
            <a href="javascript:alert(1)">script</a> <a href="mailto:ann@forum.test">mail</a>
            <a href="data:text/html,x">data</a>
            <iframe src="/forum/frame.html"></iframe>
            <a href="/viewer/3.html"><img src="/thumbs/3_t.png"></a>`,
        '/forum/frame.html': '<!DOCTYPE html><a href="/viewer/4.html">Sunset in the frame</a>',
    };
    return serveLoopback((request, response) => {
        const viewer = /^\/viewer\/(\d+)\.html$/.exec(request.url);
        const body = viewer ? `<html><body><img id="full" src="/full/${viewer[1]}.png"></body></html>` : pages[request.url];
        if (body === undefined && !request.url.startsWith('/thumbs/')) {
            response.writeHead(404).end();
            return;
        }
        response.writeHead(200, { 'Content-Type': body === undefined ? 'image/png' : 'text/html' });
        response.end(body || '');
    });
}

// A program directory of our own: a rule for the viewer pages (referer: the page the links came
// from) and a default definition that appends each call to calls.txt.
function makeHome(dir) {
    fs.mkdirSync(path.join(dir, 'Rules'));
    fs.mkdirSync(path.join(dir, 'Managers'));
    fs.writeFileSync(path.join(dir, 'Rules', 'Viewer.vtl'), [
        '[Main]', 'ver=1', 'Active=1', 'Ident=^http://127\\.0\\.0\\.1:\\d+/viewer/\\d+\\.html$', 'Type=1', 'Referer=1', '',
        '[OS]', 'nb=1', 'regexp.1=<img id="full" src="/([^"]+)"', 'result.1=$SRV$1', 'global.1=0', '',
    ].join('\r\n'));
    const calls = path.join(dir, 'calls.txt');
    fs.writeFileSync(path.join(dir, 'Managers', 'Recorder.vtm'), [
        '[Main]', 'ver=1', 'Default=1', '[SCRIPT]', '',
        'Sub Record(text)',
        '    Dim file',
        `    Set file = CreateObject("Scripting.FileSystemObject").OpenTextFile("${calls}", 8, True)`,
        '    file.Write text & vbLf',
        '    file.Close',
        'End Sub',
        'Sub AddLink(referer, url, name)',
        '    Record "AddLink|" & referer & "|" & url & "|" & name',
        'End Sub',
        'Sub AddList(referer, list)',
        '    Record "AddList|" & referer & "|" & Join(list, "|")',
        'End Sub', '',
    ].join('\r\n'));
    return calls;
}

// The host's engine runs in a process of its own that outlives the connection: wait for the
// definition to have written `lines` calls.
async function recordedCalls(file, lines) {
    const deadline = Date.now() + 60000;
    for (;;) {
        const text = fs.existsSync(file) ? fs.readFileSync(file, 'utf8') : '';
        if (text.split('\n').length > lines || Date.now() > deadline)
            return text;
        await new Promise((resolve) => setTimeout(resolve, 50));
    }
}

async function screenshot(page, name) {
    if (process.env.VORTALUX_SCREENSHOT_DIR)
        await page.screenshot({ path: path.join(process.env.VORTALUX_SCREENSHOT_DIR, name) });
}

test('Chromium sends a page and a link through the host to the download manager', async (t) => {
    assert.ok(Cli && fs.existsSync(Cli), `VORTALUX_CLI names no program: ${Cli}`);
    const work = temporaryFolder('vortalux-chromium-');
    // The program directory reaches the host through what `vortalux browser install` registers, not
    // through the browser's environment; its name needs quoting in the launcher.
    const home = path.join(work, "Ann's home");
    // The test user's home; Chromium's profile is where it would be for them.
    const userHome = path.join(work, 'user');
    const profile = path.join(userHome, '.config', 'chromium');
    fs.mkdirSync(home);
    fs.mkdirSync(profile, { recursive: true });
    const calls = makeHome(home);
    const { server, site } = await startSite();

    // Without a display the engine runs as `--batch` does: every link is sent, no window waits.
    const { browser, extension, worker } = await launchWithExtension({ profile, chromium: Chromium, protocolTimeout: 60000 });
    t.after(() => closeAll({ browser, server, work }));

    // What the background logs (why a page could not be read) explains a failure.
    worker.on('console', (entry) => console.error('extension: ' + entry.text()));

    // Before the host is registered, the user is told what to do.
    const unregistered = await worker.evaluate(() => sendToHost(vortaluxMessages.versionMessage()));
    assert.equal(unregistered.problem,
        'The Vortalux helper program is not set up for this browser. Run "vortalux browser install" in a terminal, then try again.');

    // The options page says the same.
    const options = await browser.newPage();
    await options.setViewport({ width: 760, height: 560 });
    await options.goto(`chrome-extension://${ExtensionId}/options.html`);
    await options.waitForSelector('#status.missing');
    assert.equal(await options.$eval('#status-text', (e) => e.textContent),
        'The Vortalux helper program is not set up for this browser.');
    assert.equal(await options.$eval('#status-help', (e) => e.hidden), false);
    await screenshot(options, 'extension-options-missing.png');
    await options.close();

    // The user follows the advice; the browser reads the registration at the next message.
    const installEnv = { ...process.env, HOME: userHome, VORTALUX_HOME: home };
    delete installEnv.XDG_DATA_HOME;
    execFileSync(Cli, ['browser', 'install', '--chromium'], { env: installEnv });

    // The options page's tab is gone; the user's click is on this one, in front.
    const [page] = await browser.pages();
    await page.bringToFront();
    const thread = `${site}/forum/thread.html`;
    await page.goto(thread, { waitUntil: 'load' });

    // The toolbar button: every link of the page, the frame's at its place, the others left out.
    // The button's listener calls sendAllLinks by its global name: wrap it to learn how the click
    // ended.
    await worker.evaluate(() => {
        const send = sendAllLinks;
        globalThis.buttonOutcome = new Promise((resolve) => {
            globalThis.sendAllLinks = (tab) => send(tab).then((outcome) => (resolve(outcome), outcome));
        });
    });
    await extension.triggerAction(page);
    const buttonOutcome = await worker.evaluate(() => globalThis.buttonOutcome);
    assert.deepEqual({ reply: buttonOutcome.reply, problem: buttonOutcome.problem },
        { reply: { ok: true, accepted: 4, refused: 0 }, problem: null });
    const afterList = await recordedCalls(calls, 1);
    assert.equal(afterList,
        `AddList|${thread}|${site}/full/1.png|1.png|${site}/full/2.png|2.png|${site}/full/4.png|4.png|${site}/full/3.png|3.png\n`);

    // "Send link to Vortalux" on the second thumbnail, as the menu calls it.
    const [tabId] = await worker.evaluate(async () => (await chrome.tabs.query({ active: true })).map((tab) => tab.id));
    const linkOutcome = await worker.evaluate((info, tab) => handleMenuClick(info, tab), {
        menuItemId: 'vortalux-send-link',
        linkUrl: `${site}/viewer/2.html`,
        srcUrl: `${site}/thumbs/2_t.png`,
        mediaType: 'image',
        pageUrl: thread,
        frameId: 0,
    }, { id: tabId });
    assert.deepEqual(linkOutcome, {
        message: { cmd: 'add-url', url: `${site}/viewer/2.html`, desc: 'Harbour', referer: thread },
        reply: { ok: true },
        problem: null,
    });
    assert.equal(await recordedCalls(calls, 2), afterList + `AddLink|${thread}|${site}/full/2.png|2.png\n`);

    // "Send selected links to Vortalux": from the paragraph to the second thumbnail.
    await page.evaluate(() => {
        const range = document.createRange();
        range.setStart(document.querySelector('b').firstChild, 3);
        range.setEndAfter(document.querySelector('a[href="/viewer/2.html"]'));
        document.getSelection().addRange(range);
    });
    const selectionOutcome = await worker.evaluate((info, tab) => handleMenuClick(info, tab),
        { menuItemId: 'vortalux-send-selection', pageUrl: thread, frameId: 0 }, { id: tabId });
    assert.deepEqual(selectionOutcome.reply, { ok: true, accepted: 2, refused: 0 });
    assert.equal(await recordedCalls(calls, 3),
        afterList + `AddLink|${thread}|${site}/full/2.png|2.png\n` + `AddList|${thread}|${site}/full/1.png|1.png|${site}/full/2.png|2.png\n`);
    const afterSelection = await recordedCalls(calls, 3);

    // On another site the click's tab access is gone: the page cannot be read, and "Send link"
    // still goes out, described by what the menu knows (the picture's file name).
    const otherSite = site.replace('127.0.0.1', 'localhost');
    await page.goto(`${otherSite}/forum/frame.html`, { waitUntil: 'load' });
    const blindOutcome = await worker.evaluate((info, tab) => handleMenuClick(info, tab), {
        menuItemId: 'vortalux-send-link',
        linkUrl: `${otherSite}/viewer/4.html`,
        srcUrl: `${otherSite}/thumbs/my%20cat_t.png`,
        mediaType: 'image',
        pageUrl: `${otherSite}/forum/frame.html`,
        frameId: 0,
    }, { id: tabId });
    assert.deepEqual(blindOutcome.message,
        { cmd: 'add-url', url: `${otherSite}/viewer/4.html`, desc: 'my cat_t.png', referer: `${otherSite}/forum/frame.html` });
    // No rule knows that site: the link goes to the definition as it is.
    assert.equal(await recordedCalls(calls, 4),
        afterSelection + `AddLink|${otherSite}/forum/frame.html|${otherSite}/viewer/4.html|4.html\n`);

    // The options page, now that the host is there.
    const optionsAgain = await browser.newPage();
    await optionsAgain.setViewport({ width: 760, height: 560 });
    await optionsAgain.goto(`chrome-extension://${ExtensionId}/options.html`);
    await optionsAgain.waitForSelector('#status.installed');
    assert.match(await optionsAgain.$eval('#status-text', (e) => e.textContent),
        /^Vortalux \d+\.\d+\.\d+ is installed and answers this browser\.$/);
    await screenshot(optionsAgain, 'extension-options.png');
});
