// The largest bank, listed and extracted by the page in headless Chromium and by the native
// unbank (-l, then -y -q -o) on the same machine, in alternating rounds. Prints each median and
// their ratio (goal: the page within 3 times the native time).
//
//   node bench.mjs PAGE.html NATIVE_BIN_FOLDER BANK.zp4 WORK_FOLDER     ROUNDS=n (5)
import { execFileSync } from 'node:child_process';
import { mkdirSync, rmSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { banksSettled, giveBanks, startBrowser } from './browser.mjs';

const [pagePath, bin, bankPath, workArg] = process.argv.slice(2);
const work = resolve(workArg);
const rounds = Number(process.env.ROUNDS || 5);
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

// From handing the page the bank to every slot shown with its waveform, play and download
// controls; the page is loaded afresh before each round, outside the time.
async function pageRound(page) {
  await page.goto(pathToFileURL(resolve(pagePath)).href);
  const start = process.hrtime.bigint();
  await giveBanks(page, [bankPath]);
  await banksSettled(page, 1, 120000);
  const time = seconds(start);
  const state = await page.$eval('.bank', (section) => section.dataset.state);
  if (state !== 'done') throw new Error('the page ended the bank as ' + state);
  return time;
}

mkdirSync(work, { recursive: true });
const { browser, close } = await startBrowser(work);
try {
  const page = await browser.newPage();
  await pageRound(page); // the first run warms the browser's caches
  const native = [], inPage = [];
  for (let round = 0; round < rounds; ++round) {
    native.push(nativeRound());
    inPage.push(await pageRound(page));
  }
  const slots = await page.$$eval('.bank tbody tr', (rows) => rows.length);
  const n = median(native), p = median(inPage);
  console.log(`\n${slots} slots, median of ${rounds} alternating rounds\n`);
  console.log('| Run | Median wall time |\n|---|---|');
  console.log(`| native \`unbank -l\` and \`unbank -y -q -o\` | ${n.toFixed(3)} s |`);
  console.log(`| the page in headless Chromium, listed and extracted | ${p.toFixed(3)} s |\n`);
  console.log(`page / native: ${(p / n).toFixed(2)} (goal <= 3)`);
} finally {
  await close();
  rmSync(join(work, 'wav'), { recursive: true, force: true });
}
