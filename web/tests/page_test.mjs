// The page in headless Chromium, opened from disk, against the native unbank on the same banks:
// the rows of a known bank, its zip and one row's download byte for byte, a cut bank, a file
// that is not a bank, a slot played, and no request leaving the page.
//
//   node page_test.mjs PAGE.html NATIVE_BIN_FOLDER WORK_FOLDER
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { mkdirSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { join, relative, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { banksSettled, giveBanks, startBrowser } from './browser.mjs';

const [pagePath, bin, workArg] = process.argv.slice(2);
const work = resolve(workArg);
const SECONDS = 1000;

rmSync(work, { recursive: true, force: true });
for (const folder of ['downloads', 'zip', 'native']) mkdirSync(join(work, folder), { recursive: true });
const bank = (name) => join(work, name);

// The known bank; the same cut short inside its last slot's data, with mono slot 3's data start
// (bytes 6 to 8 of its record) also moved below the file, so that a damaged slot has readable
// ones after it; and a file that is no bank.
const MONO_DIRECTORY = 0x80000 + 20, MONO_RECORD = 26;
execFileSync(join(bin, 'mkbank'), [bank('demo.zp4'), '--demo'], { stdio: 'ignore' });
const demoBytes = readFileSync(bank('demo.zp4'));
const cutBytes = Buffer.from(demoBytes.subarray(0, demoBytes.length - 4000));
cutBytes.fill(0, MONO_DIRECTORY + 3 * MONO_RECORD + 6, MONO_DIRECTORY + 3 * MONO_RECORD + 9);
writeFileSync(bank('cut.zp4'), cutBytes);
writeFileSync(bank('notes.zp4'), 'not a bank at all\n'.repeat(100));
const banks = ['demo.zp4', 'cut.zp4', 'notes.zp4'].map(bank);

// What the native program makes of them: its files (-k: the cut bank's readable slots) and its
// slot tables.
spawnSync(join(bin, 'unbank'), ['-k', '-q', '-o', join(work, 'native'), ...banks]);
function nativeRows(path) {
  const text = execFileSync(join(bin, 'unbank'), ['-l', path], { encoding: 'utf8' });
  return text.trim().split('\n').map((line) => {
    const [, name, kind, frames, seconds, damage] =
      line.match(/^(\S+)\s+(mono|stereo)\s+(\d+) frames\s+([\d.]+) s.*?(?:damaged: (.*))?$/);
    return { name, kind, frames, seconds, damage: damage ? 'damaged: ' + damage : '' };
  });
}

function files(folder) {
  const found = {};
  const walk = (at) => {
    for (const name of readdirSync(at)) {
      const path = join(at, name);
      if (statSync(path).isDirectory()) walk(path);
      else found[relative(folder, path)] = readFileSync(path);
    }
  };
  walk(folder);
  return found;
}

function sameFiles(actual, expected, what) {
  assert.deepEqual(Object.keys(actual).sort(), Object.keys(expected).sort(), what + ': names');
  for (const name of Object.keys(expected))
    assert.ok(actual[name].equals(expected[name]), what + ': ' + name + ' differs');
}

const { browser, download, close } = await startBrowser(join(work, 'downloads'));
const watchdog = setTimeout(() => {
  console.error('page test: no result after 240 s');
  close().finally(() => process.exit(1));
}, 240 * SECONDS);

try {
  const page = await browser.newPage();
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  const pageUrl = pathToFileURL(resolve(pagePath)).href;
  await page.goto(pageUrl);
  await giveBanks(page, banks);
  await banksSettled(page, banks.length, 60 * SECONDS);

  const shown = await page.$$eval('.bank', (sections) => sections.map((section) => ({
    state: section.dataset.state,
    errors: [...section.querySelectorAll('.error')].map((p) => p.textContent),
    rows: [...section.querySelectorAll('tbody tr')].map((tr) => ({
      name: tr.querySelector('.name').textContent,
      kind: tr.querySelector('.kind').textContent,
      frames: tr.querySelector('.frames').textContent,
      seconds: tr.querySelector('.seconds').textContent,
      damage: tr.querySelector('.damage').textContent,
      saves: tr.querySelectorAll('.save button').length,
    })),
  })));
  const [demo, cut, notes] = shown;
  const rowsOnly = (rows) => rows.map(({ saves, ...row }) => row);
  assert.deepEqual(rowsOnly(demo.rows), nativeRows(bank('demo.zp4')), 'rows of the known bank');
  assert.equal(demo.state, 'done');
  assert.deepEqual(rowsOnly(cut.rows), nativeRows(bank('cut.zp4')), 'rows of the cut bank');
  const damaged = cut.rows.filter((row) => row.damage);
  assert.ok(damaged.length === 2 && damaged.every((row) => row.saves === 0),
            'the cut bank marks its damaged slots and offers no file for them');
  assert.equal(cut.state, 'damaged');
  assert.deepEqual(notes, { state: 'failed', errors: ['Not ZP-4 file'], rows: [] });

  // The zip: a folder per bank, the damaged slots left out, every file the native one.
  const zipName = await download(() => page.click('#download-all'));
  execFileSync('python3', ['-m', 'zipfile', '-e', join(work, 'downloads', zipName),
                           join(work, 'zip')]);
  sameFiles(files(join(work, 'zip')), files(join(work, 'native')), 'the zip');

  // One slot's file from its row.
  const stereo = demo.rows.find((row) => row.kind === 'stereo');
  const rowLink = `.bank:first-of-type tr[data-slot="${stereo.name}"] .save button`;
  const saved = await download(() => page.click(rowLink));
  assert.equal(saved, stereo.name);
  assert.ok(readFileSync(join(work, 'downloads', saved))
              .equals(readFileSync(join(work, 'native', 'demo', stereo.name))), 'a row download');

  // A slot plays for its frames at 32000 frames a second.
  await page.click(`.bank:first-of-type tr[data-slot="${stereo.name}"] .play button`);
  const duration = await page.$eval('#player', (player) => new Promise((done, fail) => {
    const check = () => (player.paused ? fail(new Error('not playing')) : done(player.duration));
    if (player.readyState >= 1 && !player.paused) check();
    else player.addEventListener('playing', check, { once: true });
    player.addEventListener('error', () => fail(new Error('player: ' + player.error.message)));
  }));
  assert.ok(Math.abs(duration - Number(stereo.frames) / 32000) < 1e-4,
            `played for ${duration} s, not ${stereo.frames} / 32000`);

  assert.deepEqual(errors, [], 'errors in the page');
  const away = requests.filter((url) => url !== pageUrl && !/^(blob|data):/.test(url));
  assert.deepEqual(away, [], 'requests that left the page');
  console.log(`page test: ${shown.length} banks, ${Object.keys(files(join(work, 'zip'))).length}`
              + ' files in the zip as the native ones, a row download, a slot played: passed');
} finally {
  clearTimeout(watchdog);
  await close();
}
