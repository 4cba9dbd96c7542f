// The links of a page, as the user sees them: pure functions over a DOM document. The background
// injects this file into the page (its isolated world) and then calls one of them; the tests run
// the same functions under jsdom.
'use strict';

(function (root) {
    // A description longer than this is cut: an anchor wrapping a whole article is still one link.
    const MaxDescriptionLength = 1024;

    function isWebAddress(address) {
        return /^https?:\/\//i.test(address);
    }

    // Whitespace runs become one blank and control characters go, so that nothing of the page's
    // markup reaches a window line or a definition script's argument as anything but text.
    function cleanText(text) {
        const clean = String(text || '')
            .replace(/[\u0000-\u001f\u007f-\u009f\u2028\u2029\s]+/g, ' ')
            .trim();
        return clean.length > MaxDescriptionLength ? clean.slice(0, MaxDescriptionLength) : clean;
    }

    function fileName(address) {
        try {
            const path = new URL(address).pathname;
            const name = path.slice(path.lastIndexOf('/') + 1);
            return cleanText(decodeURIComponent(name));
        } catch (error) {
            return '';
        }
    }

    function linkAddress(element) {
        // The resolved address, as the browser would follow it; an area or anchor without href
        // is no link.
        if (!element.hasAttribute('href'))
            return '';
        return String(element.href || '');
    }

    // The link's text; for a link that wraps a picture and shows no text, the picture's alt or
    // title, then the link's own title.
    function describeLink(element) {
        const text = cleanText(element.textContent);
        if (text)
            return text;
        if (element.localName === 'area')
            return cleanText(element.getAttribute('alt') || element.getAttribute('title'));
        for (const picture of element.querySelectorAll('img')) {
            const alt = cleanText(picture.getAttribute('alt'));
            if (alt)
                return alt;
            const title = cleanText(picture.getAttribute('title'));
            if (title)
                return title;
        }
        return cleanText(element.getAttribute('title'));
    }

    // The document of a frame when it is readable and of the page's origin; null otherwise.
    function sameOriginFrameDocument(frame, doc) {
        let frameDoc = null;
        try {
            frameDoc = frame.contentDocument;
        } catch (error) {
            return null;
        }
        if (!frameDoc || !frameDoc.documentElement)
            return null;
        let origin = '';
        try {
            origin = frameDoc.location ? frameDoc.location.origin : '';
        } catch (error) {
            return null;
        }
        // about:blank and srcdoc frames share the page's origin but report "null".
        if (origin && origin !== 'null' && origin !== doc.location.origin)
            return null;
        return frameDoc;
    }

    // Every link element of the document in page order, the links of its same-origin frames at
    // the frame's place. `accept` decides which link elements count.
    function walk(doc, accept, out, depth) {
        // Nested frames deeper than this are a page trying to make us loop.
        if (depth > 8)
            return;
        for (const element of doc.querySelectorAll('a[href], area[href], iframe, frame')) {
            if (element.localName === 'iframe' || element.localName === 'frame') {
                const frameDoc = sameOriginFrameDocument(element, doc);
                if (frameDoc)
                    walk(frameDoc, accept, out, depth + 1);
                continue;
            }
            if (!accept(element))
                continue;
            const url = linkAddress(element);
            if (isWebAddress(url))
                out.push({ url, desc: describeLink(element) });
        }
    }

    // Every http and https link of the page in page order, with its description.
    function collectPageLinks(doc) {
        const links = [];
        walk(doc, () => true, links, 0);
        return links;
    }

    // The http and https links the document's selection touches, in page order. A link only
    // partly selected counts: selecting from the middle of one caption to another is how people
    // pick a run of thumbnails.
    function collectSelectedLinks(doc) {
        const selection = doc.getSelection ? doc.getSelection() : null;
        if (!selection || selection.rangeCount === 0 || selection.isCollapsed)
            return [];
        const ranges = [];
        for (let i = 0; i < selection.rangeCount; ++i)
            ranges.push(selection.getRangeAt(i));
        const links = [];
        const accept = (element) => ranges.some((range) => range.intersectsNode(element));
        for (const element of doc.querySelectorAll('a[href], area[href]')) {
            if (!accept(element))
                continue;
            const url = linkAddress(element);
            if (isWebAddress(url))
                links.push({ url, desc: describeLink(element) });
        }
        return links;
    }

    // The description of the link the user right-clicked: the first link to `linkUrl`, preferring
    // one that wraps the picture `pictureUrl` when that is given. When the page holds no such link
    // (it changed since the click) the picture's file name stands in.
    function describeClickedLink(doc, linkUrl, pictureUrl) {
        let first = null;
        for (const element of doc.querySelectorAll('a[href], area[href]')) {
            if (linkAddress(element) !== linkUrl)
                continue;
            if (pictureUrl) {
                for (const picture of element.querySelectorAll('img')) {
                    if (picture.src === pictureUrl)
                        return describeLink(element) || fileName(pictureUrl);
                }
            }
            if (!first)
                first = element;
        }
        const desc = first ? describeLink(first) : '';
        return desc || (pictureUrl ? fileName(pictureUrl) : '');
    }

    const api = {
        MaxDescriptionLength,
        isWebAddress,
        cleanText,
        fileName,
        collectPageLinks,
        collectSelectedLinks,
        describeClickedLink,
    };
    if (typeof module === 'object' && module.exports)
        module.exports = api;
    else
        root.vortaluxCollect = api;
})(typeof globalThis === 'object' ? globalThis : this);
