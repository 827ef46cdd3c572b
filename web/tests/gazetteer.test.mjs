// The offline gazetteer built from the data packages: every municipality of every prefecture
// is in it with coordinates of its own.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';

// Municipalities per prefecture (cities, towns, villages and Tokyo's special wards), counted by
// name: Hokkaido's 185 include two villages named 泊村, one name.
const MUNICIPALITIES = {
  北海道: 184, 青森県: 40, 岩手県: 33, 宮城県: 35, 秋田県: 25, 山形県: 35, 福島県: 59, 茨城県: 44,
  栃木県: 25, 群馬県: 35, 埼玉県: 63, 千葉県: 54, 東京都: 62, 神奈川県: 33, 新潟県: 30, 富山県: 15,
  石川県: 19, 福井県: 17, 山梨県: 27, 長野県: 77, 岐阜県: 42, 静岡県: 35, 愛知県: 54, 三重県: 29,
  滋賀県: 19, 京都府: 26, 大阪府: 43, 兵庫県: 41, 奈良県: 39, 和歌山県: 30, 鳥取県: 19, 島根県: 19,
  岡山県: 27, 広島県: 23, 山口県: 19, 徳島県: 24, 香川県: 17, 愛媛県: 20, 高知県: 34, 福岡県: 60,
  佐賀県: 20, 長崎県: 21, 熊本県: 45, 大分県: 18, 宮崎県: 26, 鹿児島県: 43, 沖縄県: 41,
};

function rows() {
  const file = path.join(process.env.RUNDEL_PROGRAM_DIR, 'mapdata/gazetteer.tsv');
  return fs.readFileSync(file, 'utf8').split('\n').filter((l) => l.startsWith('J\t'))
    .map((l) => l.split('\t'));
}

test('every prefecture has all its municipalities, each at a place of its own', () => {
  const places = new Map(); // label -> "lat,lng"
  for (const [, , lat, lng, weight, label] of rows()) {
    if (weight === '2') places.set(label, `${lat},${lng}`);
  }
  for (const [prefecture, count] of Object.entries(MUNICIPALITIES)) {
    const own = [...places.keys()].filter((label) => label.startsWith(prefecture));
    assert.equal(own.length, count, prefecture);
  }
  // None falls back on its prefecture's centre.
  const centres = new Set(rows().filter((r) => r[4] === '3').map((r) => `${r[2]},${r[3]}`));
  const atCentre = [...places].filter(([, where]) => centres.has(where)).map(([label]) => label);
  assert.deepEqual(atCentre, []);
});

test('the wards of the designated cities have places of their own', () => {
  const wards = rows().filter((r) => r[4] === '1');
  const cities = new Map(rows().filter((r) => r[4] === '2').map((r) => [r[5], `${r[2]},${r[3]}`]));
  const labels = new Set(wards.map((r) => r[5]));
  assert.equal(labels.size, 175);
  const distinct = new Set(wards.map((r) => `${r[2]},${r[3]}`));
  assert.ok(distinct.size > 160, `${distinct.size} distinct ward positions`);
  assert.ok(![...labels].some((label) => cities.has(label)), 'a ward labelled as its city');
});
