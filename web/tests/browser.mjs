// Debian's Chromium, headless, driven by puppeteer-core: no browser of its own is downloaded.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';

// Starts the browser with a fresh profile and nothing it would fetch on its own (updates,
// sync, field trials); downloads go to downloads. close() ends it and removes the profile.
export async function startBrowser(downloads) {
  const profile = mkdtempSync(join(tmpdir(), 'unbank-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-background-networking', '--disable-component-update',
           '--disable-sync', '--no-first-run', '--autoplay-policy=no-user-gesture-required'],
  });
  const session = await browser.target().createCDPSession();
  await session.send('Browser.setDownloadBehavior',
                     { behavior: 'allow', downloadPath: downloads, eventsEnabled: true });
  const finished = new Map(); // guid -> resolve
  const done = new Set();
  session.on('Browser.downloadProgress', ({ guid, state }) => {
    if (state !== 'completed' && state !== 'canceled') return;
    done.add(guid);
    finished.get(guid)?.(state);
  });
  // Resolves with the suggested file name once the download that action starts is complete.
  async function download(action) {
    const begun = new Promise((resolve) => session.once('Browser.downloadWillBegin', resolve));
    await action();
    const { guid, suggestedFilename } = await begun;
    const state = done.has(guid) ? 'completed'
                                 : await new Promise((resolve) => finished.set(guid, resolve));
    if (state !== 'completed') throw new Error('download of ' + suggestedFilename + ' ' + state);
    return suggestedFilename;
  }
  async function close() {
    await browser.close();
    rmSync(profile, { recursive: true, force: true });
  }
  return { browser, download, close };
}

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
    { timeout, polling: 50 }, count);
}
