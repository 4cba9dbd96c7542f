// The extension's link collection and messages over pages the tests build, under jsdom.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const { JSDOM } = require('jsdom');

const collect = require('../../browser/extension/collect.js');
const messages = require('../../browser/extension/messages.js');

function page(html, url = 'http://forum.test/thread/7') {
    return new JSDOM(html, { url }).window.document;
}

// A frame of the page whose content the test writes; about:blank shares the page's origin.
function fillFrame(doc, id, html) {
    doc.getElementById(id).contentDocument.body.innerHTML = html;
}

test('a page gives its web links in page order, same-origin frames at their place', () => {
    const doc = page(`
        <h1>Holiday <a href="/user/3">by ann</a></h1>
        <a href="http://img.test/v/1.html"><img src="http://img.test/t/1_t.jpg" alt=" Beach  at
            dusk "></a>
        <a href="http://img.test/v/2.html"><img src="http://img.test/t/2_t.jpg" title="Harbour"></a>
        <a href="http://img.test/v/3.html"><img src="http://img.test/t/3_t.jpg"></a>
        <a href="javascript:alert(1)">evil</a><a href="mailto:a@b.test">mail</a>
        <a href="data:text/html,x">data</a><a href="ftp://files.test/x">ftp</a><a name="anchor">no href</a>
        <iframe id="same"></iframe>
        <iframe id="other"></iframe>
        <map><area href="https://img.test/v/4.html" alt="Map part"></map>
        <a href="HTTPS://img.test/v/5.html" title="Fallback title"></a>
        <a href="http://img.test/v/6.html">Line\u0007one\u0000
            two\u2028three</a>`);
    fillFrame(doc, 'same', '<a href="http://img.test/v/f1.html">In the frame</a>');
    // A frame of another site: the browser gives its document to nobody but that site.
    const foreign = page('<a href="http://ads.test/click">Ad</a>', 'http://ads.test/frame');
    Object.defineProperty(doc.getElementById('other'), 'contentDocument', { get: () => foreign });

    assert.deepEqual(collect.collectPageLinks(doc), [
        { url: 'http://forum.test/user/3', desc: 'by ann' },
        { url: 'http://img.test/v/1.html', desc: 'Beach at dusk' },
        { url: 'http://img.test/v/2.html', desc: 'Harbour' },
        { url: 'http://img.test/v/3.html', desc: '' },
        { url: 'http://img.test/v/f1.html', desc: 'In the frame' },
        { url: 'https://img.test/v/4.html', desc: 'Map part' },
        { url: 'https://img.test/v/5.html', desc: 'Fallback title' },
        { url: 'http://img.test/v/6.html', desc: 'Line one two three' },
    ]);
});

test('frames that cannot be read, or nest without end, are left out without failing', () => {
    const doc = page('<a href="/a">a</a><iframe id="locked"></iframe><iframe id="loop"></iframe><a href="/b">b</a>');
    Object.defineProperty(doc.getElementById('locked'), 'contentDocument', {
        get: () => {
            throw new Error('SecurityError');
        },
    });
    // A frame whose document is the page itself: only a depth limit ends the walk.
    Object.defineProperty(doc.getElementById('loop'), 'contentDocument', { get: () => doc });
    const links = collect.collectPageLinks(doc);
    assert.equal(links[0].url, 'http://forum.test/a');
    assert.equal(links.at(-1).url, 'http://forum.test/b');
    assert.ok(links.length > 2 && links.length < 100, `${links.length} links`);
});

test('a description is cut at its limit', () => {
    const doc = page(`<a href="/long">${'word '.repeat(1000)}</a>`);
    const [link] = collect.collectPageLinks(doc);
    assert.equal(link.desc.length, 1024);
    assert.ok(link.desc.startsWith('word word'));
});

test('the selection gives only the links it touches, in page order', () => {
    const doc = page(`
        <p id="before"><a href="/0">zero</a></p>
        <p id="from">From <a href="/1">one</a> <a href="javascript:void(0)">js</a>
            <a href="/2"><img src="/t/2.jpg" alt="two"></a></p>
        <p id="to"><a href="/3">three</a> to</p>
        <p><a href="/4">four</a></p>`);
    const range = doc.createRange();
    // From inside the first paragraph's text to the middle of the third link's text.
    range.setStart(doc.getElementById('from').firstChild, 2);
    range.setEnd(doc.querySelector('a[href="/3"]').firstChild, 2);
    doc.getSelection().addRange(range);
    assert.deepEqual(collect.collectSelectedLinks(doc), [
        { url: 'http://forum.test/1', desc: 'one' },
        { url: 'http://forum.test/2', desc: 'two' },
        { url: 'http://forum.test/3', desc: 'three' },
    ]);

    doc.getSelection().collapse(doc.getElementById('to'), 0);
    assert.deepEqual(collect.collectSelectedLinks(doc), []);
    doc.getSelection().removeAllRanges();
    assert.deepEqual(collect.collectSelectedLinks(doc), []);
});

test('the clicked link is described by its text, its picture, or the picture file name', () => {
    const doc = page(`
        <a href="http://img.test/v/1.html">Sunset</a>
        <a href="http://img.test/v/1.html"><img src="http://img.test/t/sunset_t.jpg" alt="Sunset picture"></a>
        <a href="http://img.test/v/2.html"><img src="http://img.test/t/my%20cat_t.jpg"></a>`);
    const cases = [
        // [link, picture, expected]
        ['http://img.test/v/1.html', '', 'Sunset'],
        ['http://img.test/v/1.html', 'http://img.test/t/sunset_t.jpg', 'Sunset picture'],
        ['http://img.test/v/2.html', 'http://img.test/t/my%20cat_t.jpg', 'my cat_t.jpg'],
        // The page changed since the click: the picture's file name still says something.
        ['http://img.test/v/9.html', 'http://img.test/t/gone.jpg?s=1', 'gone.jpg'],
        ['http://img.test/v/9.html', '', ''],
    ];
    for (const [link, picture, expected] of cases)
        assert.equal(collect.describeClickedLink(doc, link, picture), expected, `${link} ${picture}`);
});

test('2,000 thumbnails come out complete and in page order', () => {
    let html = '';
    for (let i = 0; i < 2000; ++i)
        html += `<a href="http://img.test/v/${i}.html"><img src="/t/${i}_t.jpg" alt="Picture ${i}"></a>\n`;
    const links = collect.collectPageLinks(page(html));
    assert.equal(links.length, 2000);
    links.forEach((link, i) => {
        assert.equal(link.url, `http://img.test/v/${i}.html`);
        assert.equal(link.desc, `Picture ${i}`);
    });
});

test('a page that is no web page gives no referer or origin; links carry url and desc only', () => {
    assert.deepEqual(messages.addUrlMessage('http://img.test/a', undefined, 'file:///home/ann/page.html'), {
        cmd: 'add-url',
        url: 'http://img.test/a',
        desc: '',
        referer: '',
    });
    assert.deepEqual(
        messages.addUrlListMessage('https://forum.test/t', [{ url: 'http://img.test/a', desc: 'A', extra: 1 }, { url: 'http://img.test/b' }]),
        {
            cmd: 'add-url-list',
            origin: 'https://forum.test/t',
            links: [
                { url: 'http://img.test/a', desc: 'A' },
                { url: 'http://img.test/b', desc: '' },
            ],
        });
    assert.equal(messages.addUrlListMessage('about:blank', []).origin, '');
});

test('every failure of the host is told to the user, with what to do', () => {
    const install = 'The Vortalux helper program is not set up for this browser. Run "vortalux browser install" in a terminal, then try again.';
    const cases = [
        // [reply, error, expected]
        [undefined, new Error('Specified native messaging host not found.'), install],
        [undefined, new Error('No such native application org.vortalux.native_host'), install],
        [undefined, new Error('Access to the specified native messaging host is forbidden.'), install],
        [undefined, new Error('Native host has exited.'), install],
        [undefined, new Error('Error when communicating with the native messaging host.'),
            'Vortalux could not be reached (Error when communicating with the native messaging host.). Run "vortalux browser install" in a terminal to set it up again.'],
        [undefined, undefined, 'Vortalux gave no answer. Run "vortalux browser install" in a terminal to set it up again.'],
        [{ ok: false, error: '"url" is not an http or https address' }, undefined,
            'Vortalux refused the links: "url" is not an http or https address.'],
        [{ ok: 'true' }, undefined, 'Vortalux refused the links: no reason given.'],
        [{ ok: true, accepted: 2, refused: 0 }, undefined, null],
    ];
    for (const [reply, error, expected] of cases)
        assert.equal(messages.replyProblem(reply, error), expected, String(error && error.message));
});
