// The page contract (web/contract.json) is the one list of the page's ids and title words:
// the page's HTML and scripts, and the program's calls, keep to it.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';

const web = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const repo = path.resolve(web, '..');
const contract = JSON.parse(fs.readFileSync(path.join(web, 'contract.json'), 'utf8'));
const sorted = (list) => [...new Set(list)].sort();

test('the page has exactly the elements of the contract', () => {
  const html = fs.readFileSync(path.join(web, 'src/index.html'), 'utf8');
  const ids = (tag) => [...html.matchAll(new RegExp(`<${tag}[^>]*id="([A-Za-z0-9_]+)"`, 'gu'))]
    .map((m) => m[1]);
  assert.deepEqual(sorted(ids('input')), sorted(contract.values));
  assert.deepEqual(sorted(ids('button')), sorted(contract.commands));
});

test('the page raises only the events of the contract, and each of them', () => {
  const scripts = fs.readdirSync(path.join(web, 'src/js'))
    .map((f) => fs.readFileSync(path.join(web, 'src/js', f), 'utf8')).join('\n');
  const words = [...scripts.matchAll(/\bemit\(([^)]*)\)/gu)]
    .flatMap((m) => [...m[1].matchAll(/'([a-z_]+)'/gu)].map((w) => w[1]));
  assert.deepEqual(sorted(words), sorted(contract.events));
});

/** The C++ sources under @p dir, with their text. */
function sources(dir, skip = ['build', 'node_modules', 'web', '.git', 'tests', 'bench']) {
  const found = [];
  for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
    const file = path.join(dir, entry.name);
    if (entry.isDirectory()) {
      if (!skip.includes(entry.name)) found.push(...sources(file, skip));
    } else if (/\.(cpp|h)$/u.test(entry.name)) {
      found.push({ file: path.relative(repo, file), text: fs.readFileSync(file, 'utf8') });
    }
  }
  return found;
}

// The events are an enum generated from the contract, and the typed page's switch over it
// handles every one (the compiler refuses a missing case); the channel under it writes, reads
// and clicks only elements of the contract.
test('the typed page sends only elements of the contract', () => {
  const elements = new Set([...contract.values, ...contract.commands]);
  const unknown = [];
  for (const { file, text } of sources(path.join(repo, 'bridge'))) {
    for (const m of text.matchAll(/\bchannel_\.(?:write|read|click)\(\s*QStringLiteral\("([^"]+)"\)/gu)) {
      if (!elements.has(m[1])) unknown.push(`${file}: ${m[1]}`);
    }
  }
  assert.deepEqual(unknown, []);
  const mappage = fs.readFileSync(path.join(repo, 'bridge/mappage.cpp'), 'utf8');
  const cases = [...mappage.matchAll(/case Event::([a-z_]+):/gu)].map((m) => m[1]);
  assert.deepEqual(sorted(cases), sorted(contract.events));
});

// Only bridge/ speaks the page's language: nowhere else in the program is an element id, a
// title word or the idle title spelled.
test('no page id or title word is spelled outside bridge/', () => {
  const words = new Set([...contract.values, ...contract.commands, ...contract.events, contract.idle]);
  const spelled = [];
  for (const folder of ['engine', 'session', 'editing', 'export', 'panels', 'chrome', 'widgets', 'shell', 'apps']) {
    for (const { file, text } of sources(path.join(repo, folder))) {
      for (const m of text.matchAll(/"([A-Za-z0-9_]+)"/gu)) {
        if (words.has(m[1])) spelled.push(`${file}: ${m[1]}`);
      }
    }
  }
  assert.deepEqual(spelled, []);
});
