// The page in headless Chromium and Firefox ESR against the native unbank on the same machine:
// the largest bank listed and read by the page (every slot decoded, shown with its waveform,
// play and download controls) against unbank -l, then -y -q -o, in alternating rounds (goal:
// within 3 times the native time); then 30 copies of it read, saved into a folder that takes
// the files and drops them, and zipped, with the seconds, the peak memory of all the browser's
// processes (goal: under 1 GiB reading and saving) and how long Stop takes in a save.
//
//   node bench.mjs PAGE.html NATIVE_BIN_FOLDER BANK.zp4 WORK_FOLDER    ROUNDS=n (5) BANKS=n (30)
import { execFileSync } from 'node:child_process';
import { linkSync, mkdirSync, rmSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { banksSettled, giveBanks, startBrowser } from './browser.mjs';

const [pagePath, bin, bankPath, workArg] = process.argv.slice(2);
const work = resolve(workArg);
const rounds = Number(process.env.ROUNDS || 5), count = Number(process.env.BANKS || 30);
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
const seconds = (start) => Number(process.hrtime.bigint() - start) / 1e9;

function nativeRound() {
  rmSync(join(work, 'wav'), { recursive: true, force: true });
  const start = process.hrtime.bigint();
  execFileSync(join(bin, 'unbank'), ['-l', bankPath], { stdio: 'ignore' });
  execFileSync(join(bin, 'unbank'), ['-y', '-q', '-o', join(work, 'wav'), bankPath]);
  return seconds(start);
}

// A folder that takes every file and keeps nothing, in place of the system's picker.
function droppingFolder() {
  const folder = { name: 'bench', getDirectoryHandle: async () => folder,
                   getFileHandle: async (name, { create } = {}) => {
                     if (!create) throw new DOMException(name, 'NotFoundError');
                     return { createWritable: async () => ({ write: async () => {},
                                                             close: async () => {},
                                                             abort: async () => {} }) };
                   } };
  window.showDirectoryPicker = async () => folder;
}

// Seconds and peak memory from pressing the button until the page's task has ended; with stop,
// Stop is pressed after that many seconds and the time after it is given too.
async function task(page, pss, button, stop) {
  let peak = pss();
  const timer = setInterval(() => (peak = Math.max(peak, pss())), 100);
  const start = process.hrtime.bigint();
  await page.click(button);
  let stopped = 0n;
  if (stop) {
    await new Promise((done) => setTimeout(done, stop * 1000));
    stopped = process.hrtime.bigint();
    await page.click('#stop');
  }
  await page.waitForFunction(() => document.getElementById('stop').hidden,
                             { timeout: 600000, polling: 20 });
  clearInterval(timer);
  return { time: seconds(stop ? stopped : start), peak: Math.max(peak, pss()) / 2 ** 30 };
}

async function bench(name, pageUrl, banks) {
  const { browser, download, pss, close } = await startBrowser(name, join(work, 'downloads'));
  try {
    const page = await browser.newPage();
    await page.evaluateOnNewDocument(droppingFolder);
    // From handing the page the bank to every slot shown; the page is loaded afresh each round.
    async function pageRound() {
      await page.goto(pageUrl);
      const start = process.hrtime.bigint();
      await giveBanks(page, [bankPath]);
      await banksSettled(page, 1, 120000);
      return seconds(start);
    }
    await pageRound(); // the first run warms the browser's caches
    const native = [], inPage = [];
    for (let round = 0; round < rounds; ++round) {
      native.push(nativeRound());
      inPage.push(await pageRound());
    }
    await page.goto(pageUrl);
    let peak = pss();
    const timer = setInterval(() => (peak = Math.max(peak, pss())), 100);
    const start = process.hrtime.bigint();
    await giveBanks(page, banks);
    await banksSettled(page, banks.length, 600000);
    clearInterval(timer);
    const read = { time: seconds(start), peak: Math.max(peak, pss()) / 2 ** 30 };
    const saved = await task(page, pss, '#save-folder');
    const status = await page.$eval('#status', (line) => line.textContent);
    const stop = await task(page, pss, '#save-folder', 1);
    const zipStart = process.hrtime.bigint();
    let zipped;
    await download(async () => (zipped = await task(page, pss, '#download-all')));
    zipped.time = seconds(zipStart);
    return { name, n: median(native), p: median(inPage), read, saved, status, stop, zipped };
  } finally {
    await close();
  }
}

mkdirSync(join(work, 'banks'), { recursive: true });
mkdirSync(join(work, 'downloads'), { recursive: true });
const banks = Array.from({ length: count }, (_, i) => join(work, 'banks', `bank${i + 10}.zp4`));
for (const path of banks) linkSync(bankPath, path);
const pageUrl = pathToFileURL(resolve(pagePath)).href;
try {
  const results = [];
  for (const name of ['chromium', 'firefox']) results.push(await bench(name, pageUrl, banks));
  console.log(`\nThe largest bank, median of ${rounds} alternating rounds\n`);
  console.log('| Run | Median wall time | Page / native (goal <= 3) |\n|---|---|---|');
  console.log(`| native \`unbank -l\` and \`unbank -y -q -o\` | ${results[0].n.toFixed(3)} s | |`);
  for (const { name, n, p } of results)
    console.log(`| the page in headless ${name}, listed and read | ${p.toFixed(3)} s | ${(p / n).toFixed(2)} |`);
  console.log(`\n${count} copies of it (peak memory: all the browser's processes, goal < 1 GiB)\n`);
  console.log('| Browser | Read | Saved into a folder | Zipped (and downloaded) | Stop in a save |');
  console.log('|---|---|---|---|---|');
  const cell = ({ time, peak }) => `${time.toFixed(1)} s, ${peak.toFixed(2)} GiB`;
  for (const { name, read, saved, zipped, stop } of results)
    console.log(`| ${name} | ${cell(read)} | ${cell(saved)} | ${cell(zipped)} | ` +
                `${(stop.time * 1000).toFixed(0)} ms |`);
  console.log('\n' + results.map(({ name, status }) => name + ': ' + status).join('\n'));
} finally {
  rmSync(work, { recursive: true, force: true });
}
