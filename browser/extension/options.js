// The options page tells whether the helper program answers this browser, and what to do if not.
'use strict';

const browserApi = typeof browser === 'object' && browser.runtime ? browser : chrome;

async function checkHost() {
    const status = document.getElementById('status');
    const text = document.getElementById('status-text');
    const help = document.getElementById('status-help');
    status.className = 'checking';
    let reply = null;
    let failure = null;
    try {
        reply = await browserApi.runtime.sendNativeMessage(vortaluxMessages.HostName, vortaluxMessages.versionMessage());
    } catch (error) {
        failure = error;
    }
    const problem = vortaluxMessages.replyProblem(reply, failure);
    if (problem) {
        status.className = 'missing';
        // The line below says what to run; the browser's own words help when it is something else.
        text.textContent = vortaluxMessages.isMissingHost(failure)
            ? 'The Vortalux helper program is not set up for this browser.'
            : problem;
        help.hidden = false;
        return;
    }
    status.className = 'installed';
    text.textContent = 'Vortalux ' + String(reply.version || '') + ' is installed and answers this browser.';
    help.hidden = true;
}

document.getElementById('check-again').addEventListener('click', checkHost);
checkHost();
