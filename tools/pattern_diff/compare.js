#!/usr/bin/env node
// Compares the pattern layer with node's RegExp over generated patterns and inputs.
//   node tools/pattern_diff/compare.js [--runner build/bin-tools/pattern_diff] [--cases N]
//       [--seed S] [--show N]
// Strings are Latin-1, one character a byte. Where the dialect departs from ECMAScript by design,
// node's pattern is written to match it: "." is [^\n] (node's also refuses CR), "\s" is
// [\t\n\v\f\r ] (node's takes 0xA0 too). A repetition keeps a group's last successful value where
// ECMAScript clears it at every iteration: a group inside a repetition that node reports as not
// taking part is not compared, and a case with a back reference to such a group is skipped.
'use strict';
const { execFileSync } = require('child_process');
const path = require('path');

function option(name, fallback) {
    const at = process.argv.indexOf(name);
    return at >= 0 && at + 1 < process.argv.length ? process.argv[at + 1] : fallback;
}
const runner = option('--runner', path.join(__dirname, '..', '..', 'build', 'bin-tools', 'pattern_diff'));
const caseCount = Number(option('--cases', '20000'));
let seed = Number(option('--seed', '1')) >>> 0;
const show = Number(option('--show', '20'));

function random() {
    // xorshift32: the same cases for the same seed.
    seed ^= seed << 13;
    seed >>>= 0;
    seed ^= seed >>> 17;
    seed ^= seed << 5;
    seed >>>= 0;
    return seed / 4294967296;
}
const pick = (items) => items[Math.floor(random() * items.length)];
const chance = (p) => random() < p;

const quantifiers = [
    [0, Infinity, '*'], [1, Infinity, '+'], [0, 1, '?'], [0, 1, '{0,1}'], [1, 2, '{1,2}'],
    [2, 2, '{2}'], [0, Infinity, '{0,}'], [2, 3, '{2,3}'], [1, Infinity, '{1,}'], [0, 0, '{0}'],
];

// A pattern as a tree: sequences of terms, a term being an atom and maybe a quantifier.
function makeAlternation(depth) {
    const branches = [];
    const count = depth > 0 && chance(0.3) ? 2 + Math.floor(random() * 2) : 1;
    for (let b = 0; b < count; ++b)
        branches.push(makeSequence(depth));
    return branches;
}

function makeSequence(depth) {
    const terms = [];
    const length = Math.floor(random() * 4);
    for (let i = 0; i < length; ++i)
        terms.push(makeTerm(depth));
    return terms;
}

function makeTerm(depth) {
    const roll = random();
    let atom;
    if (roll < 0.3)
        atom = { kind: 'char', text: pick(['a', 'b', 'c', ' ']) };
    else if (roll < 0.4)
        atom = { kind: 'escape', text: pick(['\\d', '\\w', '\\s', '\\S', '\\W', '\\D', '.']) };
    else if (roll < 0.45)
        atom = { kind: 'class', text: pick(['[ab]', '[^a]', '[a-c]', '[\\d ]', '[^\\w]', '[]', '[^]']) };
    else if (roll < 0.55)
        atom = { kind: 'assertion', text: pick(['^', '$', '\\b', '\\B']) };
    else if (roll < 0.62)
        atom = { kind: 'reference' };
    else if (depth < 3)
        atom = {
            kind: 'group',
            opener: pick(['(', '(', '(', '(?:', '(?:', '(?=', '(?!']),
            body: makeAlternation(depth + 1),
        };
    else
        atom = { kind: 'char', text: pick(['a', 'b']) };
    const term = { atom };
    if (atom.kind !== 'assertion' && chance(0.45)) {
        const [min, max, text] = pick(quantifiers);
        term.quantifier = { min, max, text: text + (chance(0.3) ? '?' : '') };
    }
    return term;
}

// Numbers the groups, picks the groups of the back references, and writes both patterns.
function render(tree) {
    const groups = []; // per group: inside a repetition that may run more than once
    const references = [];
    const number = (branches, looping) => {
        for (const sequence of branches)
            for (const term of sequence) {
                const repeats = looping || (term.quantifier !== undefined && term.quantifier.max > 1);
                if (term.atom.kind === 'group') {
                    if (term.atom.opener === '(') {
                        groups.push(repeats);
                        term.atom.number = groups.length;
                    }
                    number(term.atom.body, repeats);
                } else if (term.atom.kind === 'reference') {
                    references.push(term.atom);
                }
            }
    };
    number(tree, false);
    for (const reference of references)
        reference.number = groups.length > 0 ? 1 + Math.floor(random() * groups.length) : 0;

    const write = (branches, forNode) =>
        branches.map((sequence) => sequence.map((term) => writeTerm(term, forNode)).join('')).join('|');
    const writeTerm = (term, forNode) => {
        const atom = term.atom;
        let text;
        if (atom.kind === 'group')
            text = atom.opener + write(atom.body, forNode) + ')';
        else if (atom.kind === 'reference')
            text = atom.number > 0 ? '\\' + atom.number : '(?:)';
        else if (forNode && atom.text === '.')
            text = '[^\\n]';
        else if (forNode && atom.text === '\\s')
            text = '[\\t\\n\\v\\f\\r ]';
        else if (forNode && atom.text === '\\S')
            text = '[^\\t\\n\\v\\f\\r ]';
        else
            text = atom.text;
        return text + (term.quantifier ? term.quantifier.text : '');
    };
    const skipped = references.some((reference) => reference.number > 0 && groups[reference.number - 1]);
    return { ours: write(tree, false), node: write(tree, true), repeated: groups, skipped };
}

const inputAlphabet = ['a', 'b', 'c', ' ', '1', '\n', '\t', '\r', '\xa0', '\xe9', '.'];
function makeInput() {
    let text = '';
    for (let i = Math.floor(random() * 8); i > 0; --i)
        text += pick(inputAlphabet);
    return text;
}

function hex(text) {
    let out = '';
    for (let i = 0; i < text.length; ++i)
        out += text.charCodeAt(i).toString(16).padStart(2, '0');
    return out;
}

function describe(match) {
    let out = match.index + ',' + match[0].length;
    for (let k = 1; k < match.length; ++k)
        out += match[k] === undefined ? ',u' : ',' + match.indices[k][0] + ':' + match[k].length;
    return out;
}

function runNode(pattern, input) {
    let first;
    try {
        first = new RegExp(pattern, 'd');
    } catch (error) {
        return 'invalid';
    }
    const found = first.exec(input);
    const all = [];
    const every = new RegExp(pattern, 'dg');
    for (let match; (match = every.exec(input)) !== null;) {
        all.push(describe(match));
        if (match[0].length === 0)
            every.lastIndex = match.index + 1;
    }
    return (found ? describe(found) : 'none') + ';' + (all.length ? all.join('|') : 'none');
}

// Whether our result and node's agree. A group inside a repetition that node reports as not taking
// part may keep a value from an earlier iteration with us: only the groups node reports are compared.
function agree(ours, theirs, repeated) {
    if (ours === theirs)
        return true;
    if (ours === 'invalid' || ours === 'limit' || theirs === 'invalid')
        return false;
    const lists = (result) => result.split(';').map((list) => (list === 'none' ? [] : list.split('|')));
    const [ourFirst, ourAll] = lists(ours);
    const [theirFirst, theirAll] = lists(theirs);
    const sameMatches = (a, b) =>
        a.length === b.length &&
        a.every((match, m) => {
            const x = match.split(',');
            const y = b[m].split(',');
            return x.length === y.length && x.every((field, i) => field === y[i] || (i >= 2 && repeated[i - 2] && y[i] === 'u'));
        });
    return sameMatches(ourFirst, theirFirst) && sameMatches(ourAll, theirAll);
}

const cases = [];
while (cases.length < caseCount) {
    const tree = makeAlternation(0);
    const patterns = render(tree);
    for (let i = 0; i < 4 && cases.length < caseCount; ++i)
        cases.push({ ...patterns, input: makeInput() });
}
const output = execFileSync(runner, {
    input: cases.map((c) => hex(c.ours) + ' ' + hex(c.input)).join('\n') + '\n',
    maxBuffer: 1 << 28,
})
    .toString('latin1')
    .split('\n');

const tally = { agree: 0, disagree: 0, skipped: 0, limit: 0 };
const shown = [];
cases.forEach((c, i) => {
    if (c.skipped) {
        ++tally.skipped;
        return;
    }
    const ours = output[i];
    if (ours === 'limit') {
        ++tally.limit;
        return;
    }
    const theirs = runNode(c.node, c.input);
    if (agree(ours, theirs, c.repeated)) {
        ++tally.agree;
        return;
    }
    ++tally.disagree;
    if (shown.length < show)
        shown.push({ pattern: c.ours, input: c.input, ours, node: theirs });
});
for (const d of shown)
    console.log(JSON.stringify(d));
console.log(
    `${cases.length} cases: ${tally.agree} agree, ${tally.disagree} disagree, ` +
        `${tally.skipped} skipped (reference into a repetition), ${tally.limit} hit the match limit`);
process.exitCode = tally.disagree === 0 ? 0 : 1;
