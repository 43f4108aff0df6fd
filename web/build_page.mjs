// Puts the page together as one file: the style, the engine's script (its WebAssembly inside)
// with the worker's script, the zip library and the page's script, all inline.
//
//   node build_page.mjs ENGINE.js CLIENT_ZIP.js VERSION OUT.html
import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const [engine, clientZip, version, out] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const source = (name) => readFileSync(join(here, name), 'utf8');

// Inside a script element the HTML parser looks only for these; none may occur in what is put
// there, or the page would end early.
function inline(name, text) {
  if (/<\/script|<!--/i.test(text)) throw new Error(name + ' cannot be put inside a script element');
  return text;
}

// The zip library is a module that ends in one export statement; the page's classic script
// takes its exports as the properties of one constant instead.
function moduleAsConstant(name, text) {
  const exported = /export\s*\{([^}]*)\}\s*;?\s*$/.exec(text);
  if (!exported) throw new Error(name + ' does not end in an export statement');
  const properties = exported[1].split(',').map((item) => {
    const [local, outside = local] = item.trim().split(/\s+as\s+/);
    return outside + ': ' + local;
  });
  return `const ${name} = (() => {\n${text.slice(0, exported.index)}\n` +
         `return { ${properties.join(', ')} };\n})();`;
}

const parts = {
  '/*STYLE*/': source('page.css'),
  '/*WORKER*/': inline('the worker', readFileSync(engine, 'utf8') + '\n' + source('worker.js')),
  '/*SCRIPT*/': inline('the page script', moduleAsConstant('clientZip', readFileSync(clientZip, 'utf8')) +
                       '\n' + source('page.js')),
};
let page = source('page.html').replace('<small>VERSION</small>', `<small>${version}</small>`);
for (const [marker, text] of Object.entries(parts)) page = page.replace(marker, () => text);
writeFileSync(out, page);
