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

test('the program handles exactly the events of the contract', () => {
  const dispatcher = fs.readFileSync(path.join(repo, 'bridge/pageeventdispatcher.cpp'), 'utf8');
  const handled = [...dispatcher.matchAll(/title == QLatin1String\("([^"]+)"\)/gu)].map((m) => m[1]);
  assert.deepEqual(sorted(handled), sorted([...contract.events, contract.idle]));
});

// The program's own sources; its tests use a fake page that refuses other ids by itself.
test('the program writes, reads and clicks only elements of the contract', () => {
  const elements = new Set([...contract.values, ...contract.commands]);
  const unknown = [];
  const walk = (dir) => {
    for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
      const file = path.join(dir, entry.name);
      if (entry.isDirectory()) {
        if (!['build', 'node_modules', 'web', '.git', 'tests', 'bench'].includes(entry.name)) walk(file);
      } else if (/\.(cpp|h)$/u.test(entry.name)) {
        const text = fs.readFileSync(file, 'utf8');
        for (const m of text.matchAll(/\b(?:page_?|page\(\))[.>-]+(?:write|read|click)\(\s*QStringLiteral\("([^"]+)"\)/gu)) {
          if (!elements.has(m[1])) unknown.push(`${path.relative(repo, file)}: ${m[1]}`);
        }
      }
    }
  };
  walk(repo);
  assert.deepEqual(unknown, []);
});
