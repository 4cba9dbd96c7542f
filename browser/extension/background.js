// The extension's background: the menus and the toolbar button, the collection of links in the
// page, and the messages to vortalux-native-host. Chromium runs it as a service worker, Firefox as
// an event page after collect.js and messages.js.
'use strict';

if (typeof importScripts === 'function' && typeof vortaluxMessages === 'undefined')
    importScripts('collect.js', 'messages.js');

const browserApi = typeof browser === 'object' && browser.runtime ? browser : chrome;

const MenuSendLink = 'vortalux-send-link';
const MenuSendAll = 'vortalux-send-all';
const MenuSendSelection = 'vortalux-send-selection';

function createMenus() {
    browserApi.contextMenus.removeAll(() => {
        browserApi.contextMenus.create({ id: MenuSendLink, title: 'Send link to Vortalux', contexts: ['link'] });
        browserApi.contextMenus.create({ id: MenuSendAll, title: 'Send all links to Vortalux', contexts: ['page', 'frame'] });
        browserApi.contextMenus.create({
            id: MenuSendSelection,
            title: 'Send selected links to Vortalux',
            contexts: ['selection'],
        });
    });
}

async function notify(message) {
    try {
        await browserApi.notifications.create({
            type: 'basic',
            iconUrl: browserApi.runtime.getURL('icons/vortalux-128.png'),
            title: 'Vortalux',
            message,
        });
    } catch (error) {
        // Nothing else can show it; the console is the last resort.
        console.error('Vortalux: ' + message, error);
    }
}

// Sends one message to the host and tells the user when it did not arrive or was refused.
async function sendToHost(message) {
    let reply = null;
    let failure = null;
    try {
        reply = await browserApi.runtime.sendNativeMessage(vortaluxMessages.HostName, message);
    } catch (error) {
        failure = error;
    }
    const problem = vortaluxMessages.replyProblem(reply, failure);
    if (problem)
        await notify(problem);
    return { message, reply, problem };
}

// Runs `collect` (a function of the page's document, from collect.js) in one frame of the tab;
// its result, or null when the browser does not let extensions into the page. Chromium can deliver
// the toolbar button's click before the tab access it grants has reached the page (seen in about
// one click in seven under load): a refusal for want of access is tried again a little later.
async function runInFrame(tabId, frameId, collect, args) {
    const target = { tabId, frameIds: [frameId || 0] };
    for (const wait of [50, 150, 400, null]) {
        try {
            await browserApi.scripting.executeScript({ target, files: ['collect.js'] });
            const results = await browserApi.scripting.executeScript({ target, func: collect, args: args || [] });
            return results && results.length ? results[0].result : null;
        } catch (error) {
            const message = String((error && error.message) || error);
            if (wait === null || !/permission|cannot access/i.test(message)) {
                console.warn('Vortalux: the page cannot be read: ' + message);
                return null;
            }
            await new Promise((resolve) => setTimeout(resolve, wait));
        }
    }
    return null;
}

// "Send all links to Vortalux" and the toolbar button: every link of the page and its frames of
// the same origin, the page's address first.
async function sendAllLinks(tab) {
    const page = await runInFrame(tab.id, 0, () => ({
        origin: document.URL,
        links: globalThis.vortaluxCollect.collectPageLinks(document),
    }));
    return sendPage(page, 'There are no http or https links on this page.');
}

// "Send selected links to Vortalux": the links the selection touches, in the frame it is in.
async function sendSelectedLinks(tab, frameId) {
    const page = await runInFrame(tab.id, frameId, () => ({
        origin: document.URL,
        links: globalThis.vortaluxCollect.collectSelectedLinks(document),
    }));
    return sendPage(page, 'The selection holds no http or https links.');
}

async function sendPage(page, noLinksText) {
    if (!page) {
        const problem = 'Vortalux cannot read the links of this page: the browser keeps extensions out of it.';
        await notify(problem);
        return { message: null, reply: null, problem };
    }
    if (page.links.length === 0) {
        await notify(noLinksText);
        return { message: null, reply: null, problem: noLinksText };
    }
    return sendToHost(vortaluxMessages.addUrlListMessage(page.origin, page.links));
}

// "Send link to Vortalux": the clicked link, described as the page shows it, the address of the
// document that holds it as the referer.
async function sendLink(info, tab) {
    const linkUrl = String(info.linkUrl || '');
    if (!vortaluxCollect.isWebAddress(linkUrl)) {
        const problem = 'Vortalux takes http and https links only.';
        await notify(problem);
        return { message: null, reply: null, problem };
    }
    const pictureUrl = info.srcUrl && info.mediaType === 'image' ? String(info.srcUrl) : '';
    let desc = await runInFrame(tab.id, info.frameId, (link, picture) =>
        globalThis.vortaluxCollect.describeClickedLink(document, link, picture), [linkUrl, pictureUrl]);
    if (typeof desc !== 'string' || !desc) {
        // The page is closed to extensions: what the menu itself knows.
        desc = vortaluxCollect.cleanText(info.linkText) || (pictureUrl ? vortaluxCollect.fileName(pictureUrl) : '');
    }
    const referer = info.frameUrl || info.pageUrl || (tab && tab.url) || '';
    return sendToHost(vortaluxMessages.addUrlMessage(linkUrl, desc, referer));
}

// The one entry of every menu item: the tests call it as the browser does.
function handleMenuClick(info, tab) {
    switch (info.menuItemId) {
    case MenuSendLink:
        return sendLink(info, tab);
    case MenuSendAll:
        return sendAllLinks(tab);
    case MenuSendSelection:
        return sendSelectedLinks(tab, info.frameId);
    default:
        return Promise.resolve(null);
    }
}

browserApi.runtime.onInstalled.addListener(createMenus);
browserApi.contextMenus.onClicked.addListener(handleMenuClick);
browserApi.action.onClicked.addListener((tab) => sendAllLinks(tab));
