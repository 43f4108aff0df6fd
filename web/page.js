// The page: takes banks from a drop or the file input, hands each to the worker, shows its slot
// table as it comes back, plays and downloads its WAV files, and zips them all.
'use strict';

const SAMPLE_RATE = 32000;
const JOB_DONE = 0;

const worker = new Worker(URL.createObjectURL(
  new Blob([document.getElementById('worker-source').textContent], { type: 'text/javascript' })));
const player = document.getElementById('player');
const banksView = document.getElementById('banks');
const downloadAll = document.getElementById('download-all');
const announce = document.getElementById('announce');

const banks = new Map(); // id -> its name, zip folder, section, progress bar, rows, files
const folders = new Set();
let nextId = 0;
let playing = null; // the button of the slot being played

function element(tag, properties, ...children) {
  const node = Object.assign(document.createElement(tag), properties);
  node.append(...children);
  return node;
}

// The folder of the zip that holds a bank's files, as unbank -o DIR names it for several banks:
// the bank's name without .zp4 (NAME_wav without that ending), below the subfolders of a dropped
// folder. A second bank of that name gets a number rather than mixing its files with the first.
function zipFolder(subfolders, fileName) {
  const stem = /.\.zp4$/i.test(fileName) ? fileName.slice(0, -4) : fileName + '_wav';
  let folder = subfolders + stem;
  for (let n = 2; folders.has(folder); ++n) folder = subfolders + stem + '-' + n;
  folders.add(folder);
  return folder;
}

function addBank(file, subfolders) {
  const id = nextId++;
  const heading = element('h2', { textContent: subfolders + file.name });
  const progress = element('progress', { max: 1, value: 0 });
  progress.setAttribute('aria-label', 'Decoding ' + file.name);
  const view = element('section', { className: 'bank' }, heading, progress);
  view.dataset.state = 'working';
  view.setAttribute('aria-label', file.name);
  banksView.append(view);
  banks.set(id, { name: file.name, folder: zipFolder(subfolders, file.name), view, progress,
                  files: new Map(), urls: new Map(), rows: new Map() });
  file.arrayBuffer().then(
    (bytes) => worker.postMessage({ id, bytes }, [bytes]),
    () => worker.postMessage({ id, bytes: null }));
}

function showError(bank, text) {
  bank.view.dataset.state = 'failed';
  bank.progress.remove();
  bank.view.append(element('p', { className: 'error', textContent: text }));
  announce.textContent = bank.name + ': ' + text;
}

function showRows(bank, rows) {
  const head = element('tr', {}, ...['File', 'Channels', 'Frames', 'Seconds', 'Damage',
                                     'Waveform', 'Play', 'Download']
    .map((title) => element('th', { scope: 'col', textContent: title,
                                    className: /Frames|Seconds/.test(title) ? 'number' : '' })));
  const body = element('tbody');
  for (const row of rows) {
    const cells = {
      name: element('td', { className: 'name', textContent: row.name }),
      kind: element('td', { className: 'kind', textContent: row.stereo ? 'stereo' : 'mono' }),
      frames: element('td', { className: 'frames', textContent: String(row.frames) }),
      seconds: element('td', { className: 'seconds',
                               textContent: (row.frames / SAMPLE_RATE).toFixed(3) }),
      damage: element('td', { className: 'damage',
                              textContent: row.damage ? 'damaged: ' + row.damage : '' }),
      wave: element('td', { className: 'wave' }),
      play: element('td', { className: 'play' }),
      save: element('td', { className: 'save' }),
    };
    const tr = element('tr', {}, ...Object.values(cells));
    tr.dataset.slot = row.name;
    body.append(tr);
    bank.rows.set(row.name, { row, cells, tr });
  }
  const table = element('table', {}, element('thead', {}, head), body);
  bank.view.append(element('div', { className: 'table-frame' }, table));
}

function drawWave(peaks, label, colour) {
  const canvas = element('canvas', { width: peaks.length, height: 28 });
  canvas.setAttribute('role', 'img');
  canvas.setAttribute('aria-label', 'Waveform of ' + label);
  const context = canvas.getContext('2d');
  context.fillStyle = colour;
  for (let x = 0; x < peaks.length; ++x) {
    const half = Math.max(0.5, peaks[x] * 14);
    context.fillRect(x, 14 - half, 1, 2 * half);
  }
  return canvas;
}

// A slot's file as a blob: address, made the first time it is played or saved: handing every
// file to the browser as a blob up front took longer than decoding the bank.
function fileUrl(bank, name) {
  if (!bank.urls.has(name))
    bank.urls.set(name, URL.createObjectURL(new Blob([bank.files.get(name)], { type: 'audio/wav' })));
  return bank.urls.get(name);
}

function save(url, name) {
  const link = element('a', { href: url, download: name });
  document.body.append(link);
  link.click();
  link.remove();
}

function playButton(bank, name) {
  const button = element('button', { type: 'button', className: 'small', textContent: 'Play' });
  button.setAttribute('aria-label', 'Play ' + name);
  button.addEventListener('click', () => {
    const again = playing === button;
    if (playing) stopPlaying();
    if (again) return;
    playing = button;
    button.textContent = 'Stop';
    button.setAttribute('aria-label', 'Stop ' + name);
    player.src = fileUrl(bank, name);
    player.play().catch(stopPlaying);
  });
  button.dataset.name = name;
  return button;
}

function stopPlaying() {
  if (!playing) return;
  player.pause();
  playing.textContent = 'Play';
  playing.setAttribute('aria-label', 'Play ' + playing.dataset.name);
  playing = null;
}
player.addEventListener('ended', stopPlaying);

function showFiles(bank, message) {
  bank.progress.remove();
  const colour = getComputedStyle(document.documentElement).getPropertyValue('--accent');
  for (const file of message.files) {
    const { cells } = bank.rows.get(file.name);
    bank.files.set(file.name, file.wav);
    cells.wave.append(drawWave(file.peaks, file.name, colour));
    cells.play.append(playButton(bank, file.name));
    const download = element('button', { type: 'button', className: 'small',
                                         textContent: 'Download' });
    download.setAttribute('aria-label', 'Download ' + file.name);
    download.addEventListener('click', () => save(fileUrl(bank, file.name), file.name));
    cells.save.append(download);
  }
  for (const name of message.damaged) {
    const { cells, tr } = bank.rows.get(name);
    tr.classList.add('damaged');
    if (!cells.damage.textContent) cells.damage.textContent = 'damaged: cannot be read whole';
  }
  const count = message.files.length;
  if (message.status !== JOB_DONE) {
    const left = message.damaged.length ? ': damaged slots are left out' : '';
    bank.view.insertBefore(element('p', { className: 'error', textContent: message.text + left }),
                           bank.view.querySelector('.table-frame'));
  }
  bank.view.dataset.state = message.status === JOB_DONE ? 'done' : 'damaged';
  announce.textContent = bank.name + ': ' + count + ' of ' + bank.rows.size + ' slots extracted';
  downloadAll.disabled = ![...banks.values()].some((each) => each.files.size > 0);
}

worker.onmessage = ({ data: message }) => {
  const bank = banks.get(message.id);
  if (message.type === 'progress') {
    bank.progress.max = message.total;
    bank.progress.value = message.current;
  } else if (message.type === 'rows') {
    if (message.status !== JOB_DONE) showError(bank, message.text);
    else showRows(bank, message.rows);
  } else if (message.type === 'done') {
    showFiles(bank, message);
  } else {
    showError(bank, message.text);
  }
};

// A browser that cannot start the worker (or loses it) says so at every bank still waiting.
worker.onerror = () => {
  for (const bank of banks.values())
    if (bank.view.dataset.state === 'working') showError(bank, 'This browser cannot run the decoder');
};

downloadAll.addEventListener('click', () => {
  const tree = {};
  for (const bank of banks.values()) {
    if (bank.files.size === 0) continue;
    let folder = tree;
    for (const part of bank.folder.split('/')) folder = folder[part] = folder[part] || {};
    for (const [name, wav] of bank.files) folder[name] = wav;
  }
  // WAV files hardly compress; storing them keeps the zip quick to make.
  const zip = fflate.zipSync(tree, { level: 0 });
  const url = URL.createObjectURL(new Blob([zip], { type: 'application/zip' }));
  save(url, 'unbank-wav.zip');
  setTimeout(() => URL.revokeObjectURL(url), 60000);
});

document.getElementById('bank-input').addEventListener('change', (event) => {
  for (const file of event.target.files) addBank(file, '');
  event.target.value = '';
});

// A dropped folder gives the banks in it and its subfolders, in name order; a dropped file is
// taken whatever its name, as unbank takes one named on its command line.
function entryFile(entry) {
  return new Promise((resolve, reject) => entry.file(resolve, reject));
}

async function folderEntries(folder) {
  const reader = folder.createReader();
  const all = [];
  for (;;) {
    const some = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
    if (some.length === 0) return all.sort((a, b) => (a.name < b.name ? -1 : a.name > b.name));
    all.push(...some);
  }
}

async function takeFolder(folder, subfolders) {
  for (const entry of await folderEntries(folder)) {
    if (entry.isDirectory) await takeFolder(entry, subfolders + entry.name + '/');
    else if (/.\.zp4$/i.test(entry.name)) addBank(await entryFile(entry), subfolders);
  }
}

document.addEventListener('dragover', (event) => {
  event.preventDefault();
  document.body.classList.add('dragging');
});
document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
document.addEventListener('drop', async (event) => {
  event.preventDefault();
  document.body.classList.remove('dragging');
  // The drop's items are gone after the first wait: take them all first.
  const dropped = [...event.dataTransfer.items]
    .filter((item) => item.kind === 'file')
    .map((item) => ({ entry: item.webkitGetAsEntry(), file: item.getAsFile() }));
  for (const { entry, file } of dropped) {
    if (entry && entry.isDirectory) await takeFolder(entry, '');
    else if (file) addBank(file, '');
  }
});
