// The messages the extension sends to vortalux-native-host, and what it makes of the replies.
// Plain functions, so the background, the options page and the tests share them.
'use strict';

(function (root) {
    const HostName = 'org.vortalux.native_host';
    const InstallCommand = 'vortalux browser install';

    function webAddressOrEmpty(address) {
        const text = String(address || '');
        return /^https?:\/\//i.test(text) ? text : '';
    }

    // One link for the engine's single-link window. The referer is the page's address when it is
    // a web page; a local file or a browser page is no referer a site would accept.
    function addUrlMessage(url, desc, referer) {
        return { cmd: 'add-url', url: String(url), desc: String(desc || ''), referer: webAddressOrEmpty(referer) };
    }

    // The links of a page for the engine's list window; `origin` becomes its origin page.
    function addUrlListMessage(origin, links) {
        const out = new Array(links.length);
        for (let i = 0; i < links.length; ++i)
            out[i] = { url: String(links[i].url), desc: String(links[i].desc || '') };
        return { cmd: 'add-url-list', origin: webAddressOrEmpty(origin), links: out };
    }

    function versionMessage() {
        return { cmd: 'version' };
    }

    // The browsers say in their own words that no host of that name is registered, or that the
    // registered program could not be started or spoke no protocol.
    function isMissingHost(error) {
        const text = String((error && error.message) || error || '');
        return /not found|no such native application|forbidden|failed to start|native host has exited|access to the specified native messaging host/i.test(
            text);
    }

    // What the user should be told after a send, or null when the host took it. A host that
    // cannot be reached is one the user has to install; a refusal carries the host's reason.
    function replyProblem(reply, error) {
        if (error) {
            if (isMissingHost(error))
                return 'The Vortalux helper program is not set up for this browser. Run "' + InstallCommand
                    + '" in a terminal, then try again.';
            return 'Vortalux could not be reached (' + String(error.message || error) + '). Run "'
                + InstallCommand + '" in a terminal to set it up again.';
        }
        if (!reply || typeof reply !== 'object')
            return 'Vortalux gave no answer. Run "' + InstallCommand + '" in a terminal to set it up again.';
        if (reply.ok !== true)
            return 'Vortalux refused the links: ' + String(reply.error || 'no reason given') + '.';
        return null;
    }

    const api = { HostName, InstallCommand, addUrlMessage, addUrlListMessage, versionMessage, isMissingHost, replyProblem };
    if (typeof module === 'object' && module.exports)
        module.exports = api;
    else
        root.vortaluxMessages = api;
})(typeof globalThis === 'object' ? globalThis : this);
