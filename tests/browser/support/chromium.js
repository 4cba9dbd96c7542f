// What the end-to-end test, the benchmarks and the screenshot tour share to run the extension in
// Debian's Chromium: a loopback site, a profile whose NativeMessagingHosts name the host, and the
// browser started with the unpacked extension and its service worker running.
'use strict';

const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const puppeteer = require('puppeteer-core');

const ExtensionDir = path.resolve(__dirname, '../../../browser/extension');
// The ID `vortalux browser install` allows: fixed by the key in the manifest.
const ExtensionId = 'pmecckbmogajcjgcnjgoapjoigjchane';
const HostName = 'org.vortalux.native_host';
const DefaultChromium = '/usr/bin/chromium';

// The value after `name` on the command line, or `fallback`.
function option(name, fallback) {
    const at = process.argv.indexOf(name);
    return at >= 0 && at + 1 < process.argv.length ? process.argv[at + 1] : fallback;
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// A fresh folder below the system's temporary one; the caller removes it.
function temporaryFolder(prefix) {
    return fs.mkdtempSync(path.join(os.tmpdir(), prefix));
}

// An HTTP server on 127.0.0.1 at a free port, answering with `handler`.
function serveLoopback(handler) {
    const server = http.createServer(handler);
    return new Promise((resolve) => {
        server.listen(0, '127.0.0.1', () => resolve({ server, site: `http://127.0.0.1:${server.address().port}` }));
    });
}

// A gallery of `count` thumbnails, each linking to its viewer page /viewer/N.html.
function thumbnailGallery(count) {
    let html = `<!DOCTYPE html><title>Gallery</title><h1>${count} pictures</h1>\n`;
    for (let i = 0; i < count; ++i)
        html += `<a href="/viewer/${i}.html"><img src="/thumbs/${i}_t.png" alt="Picture ${i}" width="8" height="8"></a>\n`;
    return html;
}

// Serves the gallery at /gallery.html, and an empty picture for anything else.
function serveGallery(count) {
    const page = thumbnailGallery(count);
    return serveLoopback((request, response) => {
        response.writeHead(200, { 'Content-Type': request.url === '/gallery.html' ? 'text/html' : 'image/png' });
        response.end(request.url === '/gallery.html' ? page : '');
    });
}

// Registers `host` for the profile as `vortalux browser install` would, without touching a home.
function registerHost(profile, host) {
    const folder = path.join(profile, 'NativeMessagingHosts');
    fs.mkdirSync(folder, { recursive: true });
    fs.writeFileSync(path.join(folder, `${HostName}.json`), JSON.stringify({
        name: HostName,
        description: 'Vortalux',
        path: path.resolve(host),
        type: 'stdio',
        allowed_origins: [`chrome-extension://${ExtensionId}/`],
    }));
}

// Starts headless Chromium on `profile` with the extension loaded and its service worker up. The
// browser's environment, which the host inherits, sets the program directory to `home`, or none
// when it is not given (a user's browser, where the registration has to say it); the display
// variables are cleared unless `display` is 'keep' (the engine then runs without windows,
// as `--batch` does). Resolves to { browser, extension, worker }.
async function launchWithExtension({ profile, home, display = 'clear', chromium = DefaultChromium, protocolTimeout }) {
    const env = { ...process.env, VORTALUX_HOME: home };
    if (home === undefined)
        delete env.VORTALUX_HOME;
    for (const name of display === 'keep' ? ['WAYLAND_DISPLAY', 'QT_QPA_PLATFORM'] : ['DISPLAY', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORM'])
        delete env[name];
    const browser = await puppeteer.launch({
        executablePath: chromium,
        headless: true,
        pipe: true,
        enableExtensions: true,
        userDataDir: profile,
        env,
        args: ['--no-sandbox', '--no-first-run', '--disable-gpu'],
        ...(protocolTimeout ? { protocolTimeout } : {}),
    });
    try {
        // Loaded as chrome://extensions loads an unpacked folder; its key gives the fixed ID.
        const id = await browser.installExtension(ExtensionDir);
        if (id !== ExtensionId)
            throw new Error(`the extension got the ID ${id}, not its fixed ${ExtensionId}`);
        const workerTarget = await browser.waitForTarget((target) =>
            target.type() === 'service_worker' && target.url() === `chrome-extension://${ExtensionId}/background.js`);
        return { browser, extension: (await browser.extensions()).get(ExtensionId), worker: await workerTarget.worker() };
    } catch (error) {
        await browser.close();
        throw error;
    }
}

// The IDs of the running vortalux-native-host processes whose program directory is `home`: the
// engine's process outlives the browser's connection.
function hostProcesses(home) {
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

function stopHostProcesses(home) {
    for (const pid of hostProcesses(home)) {
        try {
            process.kill(pid, 'SIGTERM');
        } catch (error) {
            // Already gone.
        }
    }
}

// The names of the top-level windows on the X display of the environment.
function windowNames() {
    try {
        return execFileSync('xwininfo', ['-root', '-tree'], { encoding: 'latin1' }).split('\n')
            .filter((line) => /^\s+0x[0-9a-f]+ "/.test(line)).map((line) => /"(.*)"/.exec(line)[1]);
    } catch (error) {
        return [];
    }
}

// Closes what a run opened, whichever of them it got to: the browser, the loopback site and the
// temporary folder.
async function closeAll({ browser, server, work }) {
    if (browser)
        await browser.close();
    if (server)
        server.close();
    if (work)
        fs.rmSync(work, { recursive: true, force: true });
}

// Runs a script's async main; a failure is printed and ends the process with status 1.
function runScript(main) {
    main().catch((error) => {
        console.error(error);
        process.exit(1);
    });
}

// One line of figures for a benchmark's repetitions, in milliseconds.
function summary(name, times) {
    const sorted = [...times].sort((a, b) => a - b);
    const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
    return `${name.padEnd(8)} runs ${sorted.length}  median ${at(0.5).toFixed(1)} ms  ` +
        `p90 ${at(0.9).toFixed(1)} ms  min ${sorted[0].toFixed(1)} ms  max ${sorted.at(-1).toFixed(1)} ms`;
}

module.exports = {
    closeAll,
    DefaultChromium,
    ExtensionDir,
    ExtensionId,
    HostName,
    hostProcesses,
    launchWithExtension,
    option,
    registerHost,
    runScript,
    serveGallery,
    serveLoopback,
    sleep,
    stopHostProcesses,
    summary,
    temporaryFolder,
    windowNames,
};
