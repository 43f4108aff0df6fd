// The page in headless Chromium or Firefox ESR, opened from disk, against the native unbank on
// the same banks, in one page load: the rows of a known, a cut and a false bank; a save into a
// stand-in folder with the overwrite question and a refusal; the zip byte for byte; a slot
// played; 30 full banks read and saved with the browser's memory held under 1 GiB; a save
// stopped in the middle of a bank; no request leaving the page.
//
//   node page_test.mjs chromium|firefox PAGE.html NATIVE_BIN_FOLDER WORK_FOLDER
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { linkSync, mkdirSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { join, relative, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { banksSettled, giveBanks, runTask, startBrowser } from './browser.mjs';

const [browserName, pagePath, bin, workArg] = process.argv.slice(2);
const work = resolve(workArg);
const SECONDS = 1000, FULL_BANKS = 30, MEMORY_BOUND = 2 ** 30;

rmSync(work, { recursive: true, force: true });
for (const folder of ['downloads', 'zip', 'full']) mkdirSync(join(work, folder), { recursive: true });
const bank = (name) => join(work, name);

// The known bank; the same cut short inside its last slot's data, with mono slot 3's data start
// (bytes 6 to 8 of its record) also moved below the file, so that a damaged slot has readable
// ones after it; a file that is no bank; and a full bank, 100 slots of a noisy tone filling the
// address space, in copies.
const MONO_DIRECTORY = 0x80000 + 20, MONO_RECORD = 26, FULL_FRAMES = 4954 * 32;
execFileSync(join(bin, 'mkbank'), [bank('demo.zp4'), '--demo'], { stdio: 'ignore' });
const demoBytes = readFileSync(bank('demo.zp4'));
const cutBytes = Buffer.from(demoBytes.subarray(0, demoBytes.length - 4000));
cutBytes.fill(0, MONO_DIRECTORY + 3 * MONO_RECORD + 6, MONO_DIRECTORY + 3 * MONO_RECORD + 9);
writeFileSync(bank('cut.zp4'), cutBytes);
writeFileSync(bank('notes.zp4'), 'not a bank at all\n'.repeat(100));
const tone = Buffer.alloc(44 + 2 * FULL_FRAMES); // 16-bit mono at 32000 Hz
tone.write('RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\0\x7d\0\0\0\xfa\0\0\x02\0\x10\0data', 'latin1');
tone.writeUInt32LE(2 * FULL_FRAMES, 40);
for (let i = 0, seed = 1; i < FULL_FRAMES; ++i, seed = (seed * 1103515245 + 12345) >>> 0)
  tone.writeInt16LE(Math.round(9000 * Math.sin(i / 30) + (seed >>> 22) - 512), 44 + 2 * i);
writeFileSync(bank('full/tone.wav'), tone);
execFileSync(join(bin, 'mkbank'), [bank('full.zp4'), ...Array.from({ length: 100 }, (_, slot) =>
  ['--mono', `${slot}=${bank('full/tone.wav')}`]).flat()], { stdio: 'ignore' });
const fullBanks = Array.from({ length: FULL_BANKS }, (_, i) => bank(`full/f${i + 10}.zp4`));
fullBanks.forEach((path) => linkSync(bank('full.zp4'), path));
const banks = ['demo.zp4', 'cut.zp4', 'notes.zp4'].map(bank);

// What the native program makes of them: its files (-k: the cut bank's readable slots) and its
// slot tables.
spawnSync(join(bin, 'unbank'), ['-k', '-q', '-o', bank('native'), ...banks, bank('full.zp4')]);
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
const native = files(bank('native'));
const digest = (bytes) => createHash('sha256').update(bytes).digest('hex');
const nativeDigest = (path) => digest(native[path.replace(/^f\d+\//, 'full/')]);

// A folder handed to the page in place of the system's picker. It keeps each file whole, as its
// digest, on close only; the test sets the files that exist (as 'old'), a file whose writing is
// refused as on a full disk, one at whose writing Stop is pressed, and the questions' answers.
function standInFolder() {
  const digest = async (bytes) => [...new Uint8Array(await crypto.subtle.digest('SHA-256', bytes))]
    .map((byte) => byte.toString(16).padStart(2, '0')).join('');
  window.test = { saved: new Map(), refuse: '', stopAt: '', answers: [], asked: [] };
  const folder = (path) => ({
    name: 'chosen',
    getDirectoryHandle: async (name) => folder(path + name + '/'),
    getFileHandle: async (name, { create } = {}) => {
      if (!create && !test.saved.has(path + name)) throw new DOMException(name, 'NotFoundError');
      return { createWritable: async () => {
        let bytes = null;
        return {
          write: async (data) => {
            if (path + name === test.refuse) throw new DOMException('full', 'QuotaExceededError');
            if (path + name === test.stopAt) document.getElementById('stop').click();
            bytes = data;
          },
          close: async () => test.saved.set(path + name, await digest(bytes)),
          abort: async () => {},
        };
      } };
    },
  });
  window.showDirectoryPicker = async () => folder('');
  addEventListener('DOMContentLoaded', () => new MutationObserver(() => {
    const question = document.getElementById('question');
    if (!question.open) return;
    test.asked.push(document.getElementById('question-text').textContent);
    question.querySelector(`button[value="${test.answers.shift() || 'yes'}"]`).click();
  }).observe(document.getElementById('question'), { attributes: true }));
}

// Saves into a fresh stand-in folder holding the files given ('old'), with the browser's memory
// sampled as it goes; returns what the folder holds, the questions, the page's words and the peak.
async function saveIntoFolder(page, settings) {
  await page.evaluate((given) => Object.assign(test, given, {
    saved: new Map(given.saved.map((path) => [path, 'old'])) }),
  { saved: [], refuse: '', stopAt: '', answers: [], asked: [], ...settings });
  let status;
  const { peak } = await measure(async () => (status = await runTask(page, '#save-folder')));
  return { ...await page.evaluate(() => ({ saved: Object.fromEntries(test.saved), asked: test.asked })),
           status, peak };
}

const { browser, download, measure, close } = await startBrowser(browserName, join(work, 'downloads'));
const watchdog = setTimeout(() => {
  console.error('page test: no result after 300 s');
  close().finally(() => process.exit(1));
}, 300 * SECONDS);

try {
  const page = await browser.newPage();
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  await page.evaluateOnNewDocument(standInFolder);
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
      wave: tr.querySelector('.wave path')?.getAttribute('d'),
    })),
  })));
  const [demo, cut, notes] = shown;
  const rowsOnly = (rows) => rows.map(({ saves, wave, ...row }) => row);
  assert.deepEqual(rowsOnly(demo.rows), nativeRows(bank('demo.zp4')), 'rows of the known bank');
  assert.equal(demo.state, 'done');
  assert.deepEqual(rowsOnly(cut.rows), nativeRows(bank('cut.zp4')), 'rows of the cut bank');
  assert.ok(cut.rows.filter((row) => row.damage).length === 2 &&
            demo.rows.concat(cut.rows).every((row) => row.saves === (row.damage ? 0 : 1)),
            'a file is offered for every slot but the damaged ones, which are marked');
  assert.equal(cut.state, 'damaged');
  // Each waveform line is as tall as the loudest sample of its 120th of the native file.
  for (const { name, wave } of demo.rows) {
    const wav = native['demo/' + name], channels = wav.readUInt16LE(22);
    const frames = (wav.length - 44) / 2 / channels, per = Math.max(1, Math.ceil(frames / 120));
    const heights = [...wave.matchAll(/v([\d.]+)/g)].map(([, height]) => Number(height) / 28);
    heights.forEach((height, column) => {
      let loudest = 1 / 28; // the shortest line the page draws
      for (let i = column * per * channels; i < Math.min(frames, (column + 1) * per) * channels; ++i)
        loudest = Math.max(loudest, Math.abs(wav.readInt16LE(44 + 2 * i)) / 32768);
      assert.ok(Math.abs(height - loudest) < 0.01, `${name}: column ${column}`);
    });
  }
  assert.deepEqual(notes, { state: 'failed', errors: ['Not ZP-4 file'], rows: [] });

  // Two files exist: No to the first, Yes to All to the second, which holds for the next bank.
  // A refused file ends the save in words, with nothing written after it.
  const asked = await saveIntoFolder(page, { saved: ['demo/00.wav', 'demo/03.wav', 'cut/00.wav'],
                                             answers: ['no', 'all'], refuse: 'cut/12.wav' });
  assert.deepEqual(asked.asked, ['demo/00.wav already exists. Overwrite?',
                                 'demo/03.wav already exists. Overwrite?']);
  const written = Object.keys(native).filter((path) => /^demo|^cut\/0\d\.wav/.test(path));
  assert.deepEqual(asked.saved, Object.fromEntries(written.map((path) =>
    [path, path === 'demo/00.wav' ? 'old' : nativeDigest(path)])), 'the stand-in folder');
  assert.match(asked.status, /^Write error at cut\/12\.wav: there is no space left.*7 files saved/);

  // The zip: a folder per bank, the damaged slots left out, every file the native one.
  const zipName = await download(() => page.click('#download-all'));
  execFileSync('python3', ['-m', 'zipfile', '-e', join(work, 'downloads', zipName), bank('zip')]);
  const zipped = files(bank('zip'));
  assert.deepEqual(Object.keys(zipped).sort(), Object.keys(native).filter((path) =>
    !/^full/.test(path)).sort(), 'the zip');
  for (const path of Object.keys(zipped)) assert.ok(zipped[path].equals(native[path]), path);

  // A slot, made again, plays for its frames at 32000 a second.
  const stereo = demo.rows.find((row) => row.kind === 'stereo');
  await page.click(`.bank:first-of-type tr[data-slot="${stereo.name}"] .play button`);
  const duration = await page.$eval('#player', (player) => new Promise((done, fail) => {
    const check = () => (player.paused ? fail(new Error('not playing')) : done(player.duration));
    if (player.readyState >= 1 && !player.paused) check();
    else player.addEventListener('playing', check, { once: true });
    player.addEventListener('error', () => fail(new Error('player: ' + player.error.message)));
  }));
  assert.ok(Math.abs(duration - Number(stereo.frames) / 32000) < 1e-4, `played ${duration} s`);

  // The full banks read, then all banks saved, the browser's memory under the bound throughout.
  const { peak: reading } = await measure(async () => {
    await giveBanks(page, fullBanks);
    await banksSettled(page, banks.length + FULL_BANKS, 240 * SECONDS);
  });
  const all = await saveIntoFolder(page, {});
  const gib = (bytes) => (bytes / 2 ** 30).toFixed(2) + ' GiB';
  assert.ok(reading < MEMORY_BOUND && all.peak < MEMORY_BOUND,
            `memory: ${gib(reading)} reading, ${gib(all.peak)} saving`);
  const everyFile = Object.keys(native).filter((path) => !/^full/.test(path))
    .concat(...fullBanks.map((_, i) => Object.keys(native).filter((path) => /^full/.test(path))
      .map((path) => path.replace(/^full/, 'f' + (i + 10)))));
  assert.deepEqual(Object.keys(all.saved).sort(), everyFile.sort(), 'the files of every bank');
  for (const path of everyFile) assert.equal(all.saved[path], nativeDigest(path), path);

  // Stop while a file of the second full bank is written: the files before it stay, whole.
  const stopped = await saveIntoFolder(page, { stopAt: 'f11/05.wav' });
  const before = everyFile.filter((path) => !/^f/.test(path) || /^f10|^f11\/0[0-4]/.test(path));
  assert.deepEqual(Object.keys(stopped.saved).sort(), before.sort(), 'the files saved before Stop');
  assert.match(stopped.status, new RegExp(`^Stopped\\. ${before.length} files saved`));

  assert.deepEqual(errors, [], 'errors in the page');
  const away = requests.filter((url) => url !== pageUrl && !/^(blob|data):/.test(url));
  assert.deepEqual(away, [], 'requests that left the page');
  console.log(`page test in ${browserName}: ${Object.keys(zipped).length} files zipped and ` +
              `${everyFile.length} saved as the native ones; memory ${gib(reading)} reading ` +
              `${FULL_BANKS} full banks, ${gib(all.peak)} saving them; passed`);
} finally {
  clearTimeout(watchdog);
  await close();
}
