// Debian's Chromium or Firefox ESR, headless, driven by puppeteer-core (Firefox through WebDriver
// BiDi): no browser of its own is downloaded.
import { mkdtempSync, readdirSync, readFileSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';

// Starts the browser with a fresh profile and nothing it would fetch on its own (updates, sync,
// field trials); downloads go to downloads. download(action) resolves with the name of the file
// that action downloads, once it is complete; measure(action) with its seconds and the peak
// memory of all the browser's processes; close() ends it and removes the profile.
export async function startBrowser(name, downloads) {
  const profile = mkdtempSync(join(tmpdir(), 'unbank-' + name + '-'));
  const browser = await puppeteer.launch(name === 'firefox' ? {
    browser: 'firefox',
    executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
    headless: true,
    userDataDir: profile,
    extraPrefsFirefox: { 'browser.download.folderList': 2, 'browser.download.dir': downloads,
                         'browser.download.useDownloadDir': true, 'media.autoplay.default': 0 },
  } : {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-background-networking', '--disable-component-update',
           '--disable-sync', '--no-first-run', '--autoplay-policy=no-user-gesture-required'],
    downloadBehavior: { policy: 'allow', downloadPath: downloads },
  });
  // Both browsers write a download under another name first (Firefox with an empty file under
  // the final one): a new file alone, not empty and no longer growing, is complete.
  async function download(action) {
    const before = new Set(readdirSync(downloads));
    await action();
    for (let waited = 0, last = -1; waited < 120000; waited += 100) {
      const names = readdirSync(downloads).filter((file) => !before.has(file));
      const size = names.length === 1 && !/\.(part|crdownload)$/.test(names[0]) &&
                   statSync(join(downloads, names[0])).size;
      if (size && size === last) return names[0];
      last = size;
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
    throw new Error('no download after 120 s');
  }
  // The sum of the Pss lines over the browser's process and its descendants.
  function memory() {
    const children = new Map(), all = [String(browser.process().pid)];
    for (const pid of readdirSync('/proc').filter((entry) => /^\d+$/.test(entry))) {
      const parent = read(`/proc/${pid}/stat`).replace(/^.*\) \S+ (\d+).*$/s, '$1');
      children.set(parent, [...(children.get(parent) || []), pid]);
    }
    for (let i = 0; i < all.length; ++i) all.push(...(children.get(all[i]) || []));
    return all.reduce((sum, pid) => sum + 1024 * (/Pss:\s+(\d+)/.exec(
      read(`/proc/${pid}/smaps_rollup`))?.[1] || 0), 0);
  }
  async function measure(action) {
    let peak = memory();
    const timer = setInterval(() => (peak = Math.max(peak, memory())), 100);
    const start = process.hrtime.bigint();
    try {
      await action();
    } finally {
      clearInterval(timer);
    }
    return { seconds: Number(process.hrtime.bigint() - start) / 1e9, peak: Math.max(peak, memory()) };
  }
  async function close() {
    await browser.close();
    rmSync(profile, { recursive: true, force: true });
  }
  return { browser, download, measure, close };
}

// A process that ends while it is looked at reads as nothing.
const read = (path) => { try { return readFileSync(path, 'utf8'); } catch { return ''; } };

// Hands the page the files through its file input.
export async function giveBanks(page, paths) {
  const input = await page.$('#bank-input');
  await input.uploadFile(...paths);
}

// Waits until every bank section has its result.
export async function banksSettled(page, count, timeout) {
  await page.waitForFunction(
    (n) => document.querySelectorAll('.bank').length === n &&
           !document.querySelector('.bank[data-state="working"]'),
    { timeout, polling: 'mutation' }, count);
}

// Presses the button of a save or a zip and waits until the page has said how it ended.
export async function runTask(page, button) {
  await page.$eval('#status', (status) => (status.textContent = ''));
  await page.click(button);
  await page.waitForFunction(() => document.getElementById('stop').hidden &&
                             document.getElementById('status').textContent,
                             { timeout: 600000, polling: 'mutation' });
  return page.$eval('#status', (status) => status.textContent);
}
