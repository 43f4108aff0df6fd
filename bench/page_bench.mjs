// The page in headless Chromium and Firefox ESR against the native unbank on the same machine:
// the largest bank listed and read by the page (every slot decoded, shown with its waveform,
// play and download controls) against unbank -l, then -y -q -o, in alternating rounds (goal:
// within 3 times the native time); then 30 copies of it read, saved into a folder that takes
// the files and drops them, and zipped, with the seconds, the peak memory of all the browser's
// processes (goal: under 1 GiB reading and saving) and how long Stop takes in a save.
//
//   node bench/page_bench.mjs PAGE.html NATIVE_BIN_FOLDER BANK.zp4 WORK_FOLDER    ROUNDS=n (5) BANKS=n (30)
import { execFileSync } from 'node:child_process';
import { linkSync, mkdirSync, rmSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { banksSettled, giveBanks, runTask, startBrowser } from '../web/tests/browser.mjs';

const [pagePath, bin, bankPath, workArg] = process.argv.slice(2);
const work = resolve(workArg);
const rounds = Number(process.env.ROUNDS || 5), count = Number(process.env.BANKS || 30);
const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];

function nativeRound() {
  rmSync(join(work, 'wav'), { recursive: true, force: true });
  const start = process.hrtime.bigint();
  execFileSync(join(bin, 'unbank'), ['-l', bankPath], { stdio: 'ignore' });
  execFileSync(join(bin, 'unbank'), ['-y', '-q', '-o', join(work, 'wav'), bankPath]);
  return Number(process.hrtime.bigint() - start) / 1e9;
}

// A folder that takes every file and keeps nothing, in place of the system's picker; and the
// moments the file input hands the page a bank and the page shows the first bank whole, timed by
// the page itself, since the driver's own calls take long in Firefox.
function pageHooks() {
  addEventListener('change', () => (window.handed = performance.now()), true);
  addEventListener('DOMContentLoaded', () => new MutationObserver(() => {
    if (!window.shown && document.querySelector('.bank[data-state="done"]'))
      window.shown = performance.now();
  }).observe(document.body, { subtree: true, attributeFilter: ['data-state'] }));
  const writable = { write: async () => {}, close: async () => {}, abort: async () => {} };
  const folder = { name: 'bench', getDirectoryHandle: async () => folder,
                   getFileHandle: async (name, { create } = {}) => {
                     if (!create) throw new DOMException(name, 'NotFoundError');
                     return { createWritable: async () => writable };
                   } };
  window.showDirectoryPicker = async () => folder;
}

async function bench(name, pageUrl, banks, native) {
  const { browser, download, measure, close } = await startBrowser(name, join(work, 'downloads'));
  try {
    const page = await browser.newPage();
    await page.evaluateOnNewDocument(pageHooks);
    // From handing the page the bank to every slot shown; the page is loaded afresh each round
    // and given the bank a second later, as a person opens it and then picks a file.
    const pageRound = async () => {
      await page.goto(pageUrl);
      await new Promise((done) => setTimeout(done, 1000));
      await giveBanks(page, [bankPath]);
      await banksSettled(page, 1, 120000);
      return page.evaluate(() => (window.shown - window.handed) / 1000);
    };
    await pageRound(); // the first run warms the browser's caches
    const inPage = [];
    for (let round = 0; round < rounds; ++round) {
      native.push(nativeRound());
      inPage.push(await pageRound());
    }
    await page.goto(pageUrl);
    const read = await measure(async () => {
      await giveBanks(page, banks);
      await banksSettled(page, banks.length, 600000);
    });
    let status;
    const saved = await measure(async () => (status = await runTask(page, '#save-folder')));
    const zipped = await measure(() => download(() => runTask(page, '#download-all')));
    await page.click('#save-folder');
    await new Promise((done) => setTimeout(done, 1000));
    const stop = await measure(() => runTask(page, '#stop'));
    return { name, page: median(inPage), read, saved, zipped, stop, status };
  } finally {
    await close();
  }
}

mkdirSync(join(work, 'banks'), { recursive: true });
mkdirSync(join(work, 'downloads'), { recursive: true });
const banks = Array.from({ length: count }, (_, i) => join(work, 'banks', `bank${i + 10}.zp4`));
for (const path of banks) linkSync(bankPath, path);
try {
  const native = [], results = [];
  for (const name of ['chromium', 'firefox'])
    results.push(await bench(name, pathToFileURL(resolve(pagePath)).href, banks, native));
  const n = median(native);
  console.log(`\nThe largest bank, median of ${native.length} rounds, page and native alternating\n`);
  console.log('| Run | Median wall time | Page / native (goal <= 3) |\n|---|---|---|');
  console.log(`| native \`unbank -l\` and \`unbank -y -q -o\` | ${n.toFixed(3)} s | |`);
  for (const { name, page } of results)
    console.log(`| the page in headless ${name}, listed and read | ${page.toFixed(3)} s | ${(page / n).toFixed(2)} |`);
  console.log(`\n${count} copies of it: seconds and peak memory of all the browser's processes ` +
              '(goal < 1 GiB reading and saving)\n');
  console.log('| Browser | Read | Saved into a folder | Zipped and downloaded | Stop in a save |');
  console.log('|---|---|---|---|---|');
  const cell = ({ seconds, peak }) => `${seconds.toFixed(1)} s, ${(peak / 2 ** 30).toFixed(2)} GiB`;
  for (const { name, read, saved, zipped, stop, status } of results)
    console.log(`| ${name} | ${cell(read)} | ${cell(saved)}: ${status} | ${cell(zipped)} | ` +
                `${(stop.seconds * 1000).toFixed(0)} ms |`);
} finally {
  rmSync(work, { recursive: true, force: true });
}
