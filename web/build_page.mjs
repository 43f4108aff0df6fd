// Puts the page together as one file: the style, the engine's script (its WebAssembly inside)
// with the worker's script, the zip library and the page's script, all inline.
//
//   node build_page.mjs ENGINE.js FFLATE.js VERSION OUT.html
import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const [engine, fflate, version, out] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const source = (name) => readFileSync(join(here, name), 'utf8');

// Inside a script element the HTML parser looks only for these; none may occur in what is put
// there, or the page would end early.
function inline(name, text) {
  if (/<\/script|<!--/i.test(text)) throw new Error(name + ' cannot be put inside a script element');
  return text;
}

const parts = {
  '/*STYLE*/': source('page.css'),
  '/*WORKER*/': inline('the worker', readFileSync(engine, 'utf8') + '\n' + source('worker.js')),
  '/*SCRIPT*/': inline('the page script', readFileSync(fflate, 'utf8') + '\n' + source('page.js')),
};
let page = source('page.html').replace('<small>VERSION</small>', `<small>${version}</small>`);
for (const [marker, text] of Object.entries(parts)) page = page.replace(marker, () => text);
writeFileSync(out, page);
