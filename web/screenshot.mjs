// The picture of the page in the README: the demo bank loaded, at a desktop's width; with
// --phone, at a phone's.
//
//   node web/screenshot.mjs PAGE.html BANK.zp4 OUT.png [--phone]
import { resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { banksSettled, giveBanks, startBrowser } from './tests/browser.mjs';

const [pagePath, bankPath, out, phone] = process.argv.slice(2);
const { browser, close } = await startBrowser('chromium', resolve('.'));
try {
  const page = await browser.newPage();
  await page.setViewport(phone ? { width: 390, height: 844, deviceScaleFactor: 2 }
                               : { width: 960, height: 640 });
  await page.goto(pathToFileURL(resolve(pagePath)).href);
  await giveBanks(page, [resolve(bankPath)]);
  await banksSettled(page, 1, 60000);
  await page.focus('tr[data-slot="03.wav"] .play button'); // the keyboard's focus ring shows
  await page.screenshot({ path: out, fullPage: true });
} finally {
  await close();
}
