// The page: takes banks from a drop or the file input and has its workers read each one, shows
// its slot table and waveforms, and has them make a bank's WAV files again whenever they are
// played, downloaded, zipped or saved into a folder. It keeps what it shows (the rows, the
// peaks, the File it was handed), never the WAV files, so a collection of any size fits.
'use strict';

const SAMPLE_RATE = 32000;
const JOB_DONE = 0;
const JOB_READ_ERROR = 1;
const JOB_EMPTY = 5;

const player = document.getElementById('player');
const banksView = document.getElementById('banks');
const saveFolder = document.getElementById('save-folder');
const downloadAll = document.getElementById('download-all');
const stopButton = document.getElementById('stop');
const taskProgress = document.getElementById('task-progress');
const statusLine = document.getElementById('status');
const question = document.getElementById('question');

const banks = []; // in the order given: name, File, folder, section, rows, state
const folders = new Set();
let reading = 0; // banks handed to the workers and not read yet
let task = null; // the save or zip under way: { stopped, writable }
let playing = null; // the button of the slot being played

// Why a browser refused, in words; the DOMException's own message otherwise.
const REFUSALS = {
  NotAllowedError: 'the browser was not allowed to write there',
  QuotaExceededError: 'there is no space left (the disk or the browser\'s quota is full)',
  NoModificationAllowedError: 'the file is in use or cannot be changed',
  TypeMismatchError: 'a folder or file of that name is in the way',
  NotFoundError: 'the folder is gone',
  NotReadableError: 'the file cannot be read (moved, changed or removed)',
  InvalidStateError: 'the folder changed while it was written',
  SecurityError: 'the browser refused it',
};
const inWords = (error) => REFUSALS[error.name] || error.message || String(error);

class Stopped extends Error {}
class WriteRefused extends Error {}

function element(tag, properties, ...children) {
  const node = Object.assign(document.createElement(tag), properties);
  node.append(...children);
  return node;
}

function showStatus(text, failed = false) {
  statusLine.textContent = text;
  statusLine.classList.toggle('error', failed);
}

// ---- The workers: each answers one request at a time; Stop ends them and starts fresh ones.
// Two, where the computer has two cores, read a bank in two parts.

const workerUrl = URL.createObjectURL(
  new Blob([document.getElementById('worker-source').textContent], { type: 'text/javascript' }));
const workers = Array.from({ length: Math.min(2, navigator.hardwareConcurrency || 1) },
                           () => ({ worker: null, request: null }));
const waiting = []; // requests not sent yet, the user's own (a slot played) first
let nextRequest = 0;

// A request is { message, onMessage, resolve, reject }.
function startWorker(place) {
  const worker = place.worker = new Worker(workerUrl);
  worker.onmessage = ({ data }) => {
    const request = place.request;
    if (!request || data.id !== request.message.id) return;
    if (data.type !== 'end') {
      request.onMessage(data);
      return;
    }
    place.request = null;
    if (data.crashed) { // the engine is lost with this request; a fresh one takes the next
      worker.terminate();
      place.worker = null;
      request.reject(new Error('the decoder stopped: ' + data.text));
    } else {
      request.resolve(data);
    }
    sendNext();
  };
  // A browser that cannot start a worker, or loses it, fails what was asked of them.
  worker.onerror = (event) => {
    event.preventDefault();
    endWorkers(new Error('this browser cannot run the decoder: ' + (event.message || 'no reason given')));
  };
}

function sendNext() {
  for (const place of workers) {
    if (place.request || waiting.length === 0) continue;
    if (!place.worker) startWorker(place);
    place.request = waiting.shift();
    place.worker.postMessage(place.request.message);
  }
}

// Asks the worker to read or make a bank; onMessage takes its progress and files. Resolves with
// its 'end' message.
function ask(message, onMessage, urgent = false) {
  return new Promise((resolve, reject) => {
    const request = { message: { id: nextRequest++, ...message }, onMessage, resolve, reject };
    if (urgent) waiting.unshift(request);
    else waiting.push(request);
    sendNext();
  });
}

// Ends the workers at once: every request under way or waiting fails with reason.
function endWorkers(reason) {
  const dropped = [];
  for (const place of workers) {
    if (place.worker) place.worker.terminate();
    if (place.request) dropped.push(place.request);
    place.worker = place.request = null;
  }
  for (const request of dropped.concat(waiting.splice(0))) request.reject(reason);
}

// Tells the worker making files for request id to make the next one (more) or none, handing
// back the last file's memory (buffer) when the page is done with it.
function answerMaker(id, more, buffer) {
  const place = workers.find((each) => each.request && each.request.message.id === id);
  if (place) place.worker.postMessage({ type: 'next', id, more, buffer }, buffer ? [buffer] : []);
}

// The bank's WAV files made again by the worker, one at a time (one slot's when slot is given):
// the worker makes the next when the loop asks for it, and with giveBack it gets the memory of
// the last one back then. A bank that cannot be made ends with an error in its words; damaged
// slots are left out, as unbank -k leaves them.
async function* bankFiles(bank, { slot = '', urgent = false, giveBack = false } = {}) {
  const id = nextRequest++;
  let arrived = null, ended = false, wake = () => {};
  const end = ask({ id, type: 'make', file: bank.file, slot }, (message) => {
    if (message.type === 'file') arrived = message;
    wake();
  }, urgent);
  end.then(() => {}, () => {}).then(() => {
    ended = true;
    wake();
  });
  let more = false;
  try {
    for (;;) {
      while (!arrived && !ended) await new Promise((resolve) => (wake = resolve));
      if (!arrived) break;
      const file = arrived;
      arrived = null;
      yield file;
      answerMaker(id, true, giveBack ? file.wav.buffer : null);
    }
    more = true;
  } finally {
    if (!more) answerMaker(id, false, null);
  }
  const { status, text, damaged } = await end;
  if (status !== JOB_DONE && !(status === JOB_READ_ERROR && damaged.length > 0))
    throw new Error(bank.name + ': ' + text);
}

// ---- The banks and their sections.

// The folder of a bank's files in a zip or a chosen folder, as unbank -o DIR names it for
// several banks: the bank's name without .zp4 (NAME_wav without that ending), below the
// subfolders of a dropped folder. A second bank of that name gets a number rather than mixing
// its files with the first.
function bankFolder(subfolders, fileName) {
  const stem = /.\.zp4$/i.test(fileName) ? fileName.slice(0, -4) : fileName + '_wav';
  let folder = subfolders + stem;
  for (let n = 2; folders.has(folder); ++n) folder = subfolders + stem + '-' + n;
  folders.add(folder);
  return folder;
}

function addBank(file, subfolders) {
  const heading = element('h2', { textContent: subfolders + file.name });
  const progress = element('progress', { max: 1, value: 0 });
  progress.setAttribute('aria-label', 'Decoding ' + file.name);
  const view = element('section', { className: 'bank' }, heading, progress);
  view.dataset.state = 'working';
  view.setAttribute('aria-label', file.name);
  banksView.append(view);
  const bank = { name: file.name, file, folder: bankFolder(subfolders, file.name), view, progress,
                 rows: new Map(), files: 0 };
  banks.push(bank);
  readBank(bank);
}

// Each worker reads its part of the bank: the rows are the first part's, the peaks and damaged
// slots those of all, and the first failure is the bank's.
async function readBank(bank) {
  ++reading;
  updateControls();
  try {
    const shown = workers.map(() => ({ current: 0, total: 0 }));
    const parts = await Promise.all(workers.map((_, part) =>
      ask({ type: 'read', file: bank.file, part, parts: workers.length }, (progress) => {
        shown[part] = progress;
        bank.progress.max = shown.reduce((sum, each) => sum + each.total, 0);
        bank.progress.value = shown.reduce((sum, each) => sum + each.current, 0);
      })));
    const failed = parts.find((part) => part.status !== JOB_DONE && part.status !== JOB_EMPTY);
    const read = { ...parts[0], ...failed, rows: parts[0].rows,
                   status: failed ? failed.status : JOB_DONE,
                   peaks: Object.assign({}, ...parts.map((part) => part.peaks)),
                   damaged: parts.flatMap((part) => part.damaged) };
    if (parts[0].rows.length === 0) showError(bank, parts[0].text);
    else showBank(bank, read);
  } catch (error) {
    if (error instanceof Stopped) showError(bank, 'Not read: stopped', 'stopped');
    else showError(bank, error.message);
  } finally {
    --reading;
    updateControls();
    const notRead = banks.filter((each) => each.view.dataset.state === 'stopped').length;
    if (reading === 0 && bank.view.dataset.state === 'stopped')
      showStatus('Stopped: ' + (banks.length - notRead) + ' of ' + plural(banks.length, 'bank') +
                 ' read, ' + notRead + ' not read.');
  }
}

function showError(bank, text, state = 'failed') {
  bank.view.dataset.state = state;
  bank.progress.remove();
  bank.view.append(element('p', { className: 'error', textContent: text }));
  showStatus(bank.name + ': ' + text, state === 'failed');
}

// A slot's waveform as a line per column of peaks: a small picture that costs no bitmap of its
// own, as thousands of canvases would.
function drawWave(peaks, label) {
  const SVG = 'http://www.w3.org/2000/svg';
  const picture = document.createElementNS(SVG, 'svg');
  picture.setAttribute('viewBox', '0 0 ' + peaks.length + ' 28');
  picture.setAttribute('preserveAspectRatio', 'none');
  picture.setAttribute('role', 'img');
  picture.setAttribute('aria-label', 'Waveform of ' + label);
  let lines = '';
  for (let x = 0; x < peaks.length; ++x) {
    const half = Math.max(0.5, peaks[x] * 14);
    lines += 'M' + (x + 0.5) + ' ' + (14 - half).toFixed(1) + 'v' + (2 * half).toFixed(1);
  }
  const path = document.createElementNS(SVG, 'path');
  path.setAttribute('d', lines);
  picture.append(path);
  return picture;
}

function smallButton(text, label, onClick) {
  const button = element('button', { type: 'button', className: 'small', textContent: text });
  button.setAttribute('aria-label', label);
  button.addEventListener('click', onClick);
  return button;
}

// The slot table, as unbank -l gives it, with each readable slot's waveform, Play and Download.
function showBank(bank, { rows, peaks, damaged, status, text }) {
  bank.progress.remove();
  const head = element('tr', {}, ...['File', 'Channels', 'Frames', 'Seconds', 'Damage',
                                     'Waveform', 'Play', 'Download']
    .map((title) => element('th', { scope: 'col', textContent: title,
                                    className: /Frames|Seconds/.test(title) ? 'number' : '' })));
  const body = element('tbody');
  for (const row of rows) {
    const damage = row.damage ? 'damaged: ' + row.damage
                              : damaged.includes(row.name) ? 'damaged: cannot be read whole' : '';
    const cells = [
      element('td', { className: 'name', textContent: row.name }),
      element('td', { className: 'kind', textContent: row.stereo ? 'stereo' : 'mono' }),
      element('td', { className: 'frames', textContent: String(row.frames) }),
      element('td', { className: 'seconds', textContent: (row.frames / SAMPLE_RATE).toFixed(3) }),
      element('td', { className: 'damage', textContent: damage }),
      element('td', { className: 'wave' }),
      element('td', { className: 'play' }),
      element('td', { className: 'save' }),
    ];
    const tr = element('tr', {}, ...cells);
    tr.dataset.slot = row.name;
    if (peaks[row.name]) {
      cells[5].append(drawWave(peaks[row.name], row.name));
      cells[6].append(playButton(bank, row.name));
      cells[7].append(smallButton('Download', 'Download ' + row.name,
                                  () => downloadSlot(bank, row.name)));
      ++bank.files;
    } else {
      tr.classList.add('damaged');
    }
    body.append(tr);
  }
  if (status !== JOB_DONE) {
    const left = damaged.length ? ': damaged slots are left out' : '';
    bank.view.append(element('p', { className: 'error', textContent: text + left }));
  }
  if (bank.files > 0) {
    const stem = bank.folder.slice(bank.folder.lastIndexOf('/') + 1);
    bank.zipButton = smallButton('Download .zip', 'Download ' + bank.name + ' as ' + stem + '.zip',
                                 () => zipTask([bank], stem + '.zip', stem + '/'));
    bank.view.append(element('p', {}, bank.zipButton));
  }
  bank.view.append(element('div', { className: 'table-frame' },
                           element('table', {}, element('thead', {}, head), body)));
  bank.view.dataset.state = status === JOB_DONE ? 'done' : 'damaged';
  showStatus(bank.name + ': ' + bank.files + ' of ' + rows.length + ' slots read');
}

function updateControls() {
  const busy = task !== null || reading > 0;
  const none = !banks.some((bank) => bank.files > 0);
  saveFolder.disabled = downloadAll.disabled = busy || none;
  for (const bank of banks) if (bank.zipButton) bank.zipButton.disabled = busy;
  stopButton.hidden = !busy;
  taskProgress.hidden = task === null;
}

// ---- One slot: made again when it is played or downloaded.

async function slotBlob(bank, name) {
  for await (const file of bankFiles(bank, { slot: name, urgent: true }))
    return new Blob([file.wav], { type: 'audio/wav' });
  throw new Error(bank.name + ': ' + name + ' cannot be read whole');
}

function hand(blob, name) {
  const url = URL.createObjectURL(blob);
  const link = element('a', { href: url, download: name });
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

async function downloadSlot(bank, name) {
  try {
    hand(await slotBlob(bank, name), name);
  } catch (error) {
    showStatus(error instanceof Stopped ? name + ': stopped' : error.message, true);
  }
}

function playButton(bank, name) {
  const button = smallButton('Play', 'Play ' + name, async () => {
    const again = playing === button;
    stopPlaying();
    if (again) return;
    playing = button;
    button.textContent = 'Stop';
    button.setAttribute('aria-label', 'Stop ' + name);
    try {
      const blob = await slotBlob(bank, name);
      if (playing !== button) return;
      player.src = URL.createObjectURL(blob);
      await player.play();
    } catch (error) {
      if (playing === button) stopPlaying();
      if (!(error instanceof Stopped)) showStatus(error.message, true);
    }
  });
  button.dataset.name = name;
  return button;
}

function stopPlaying() {
  if (!playing) return;
  player.pause();
  URL.revokeObjectURL(player.src);
  player.removeAttribute('src');
  playing.textContent = 'Play';
  playing.setAttribute('aria-label', 'Play ' + playing.dataset.name);
  playing = null;
}
player.addEventListener('ended', stopPlaying);

// ---- Saving and zipping: one task at a time, each with Stop.

// Runs work(task), which returns the words for what it did and whether a bank was left out; a
// failure or Stop is shown with what was done before it (task.done).
async function runTask(work, total) {
  task = { stopped: false, writable: null, done: () => '' };
  taskProgress.max = total;
  taskProgress.value = 0;
  updateControls();
  try {
    const { text, failed } = await work(task);
    showStatus(text, failed);
  } catch (error) {
    const done = task.done();
    if (task.stopped) showStatus('Stopped. ' + done);
    else showStatus(error.message + '. ' + done, true);
  } finally {
    task = null;
    updateControls();
  }
}

stopButton.addEventListener('click', () => {
  if (task) {
    task.stopped = true;
    if (task.writable) task.writable.abort().catch(() => {});
  }
  endWorkers(new Stopped());
  workers.forEach(startWorker);
});

function readableBanks() {
  return banks.filter((bank) => bank.files > 0);
}

function countFiles(list) {
  return list.reduce((sum, bank) => sum + bank.files, 0);
}

const plural = (count, word) => count + ' ' + word + (count === 1 ? '' : 's');

// The zip, made as it is read: a bank's files are made when the zip reaches them and dropped
// once they are in it. A bank that cannot be read again is left out, and the page says so.
function zipTask(list, zipName, prefix) {
  runTask(async (job) => {
    let files = 0;
    const missing = [];
    job.done = () => 'No zip was made.';
    async function* entries() {
      for (const bank of list) {
        try {
          for await (const file of bankFiles(bank)) {
            yield { name: (prefix ?? bank.folder + '/') + file.name, input: file.wav };
            taskProgress.value = ++files;
          }
        } catch (error) {
          if (job.stopped || error instanceof Stopped) throw error;
          missing.push(error.message);
        }
      }
    }
    const blob = await new Response(clientZip.makeZip(entries())).blob();
    if (job.stopped) throw new Stopped();
    hand(blob, zipName);
    const left = missing.length ? ' Left out: ' + missing.join('; ') + '.' : '';
    return { failed: missing.length > 0,
             text: zipName + ': ' + plural(files, 'file') + ' (' + (blob.size / 1e6).toFixed(1) +
                   ' MB) handed to the browser\'s downloads.' + left };
  }, countFiles(list));
}

downloadAll.addEventListener('click', () => zipTask(readableBanks(), 'unbank-wav.zip'));

// The overwrite question of the programs; Esc skips the file, as the window's prompt does.
function askOverwrite(path) {
  document.getElementById('question-text').textContent = path + ' already exists. Overwrite?';
  question.returnValue = '';
  question.showModal();
  return new Promise((resolve) => question.addEventListener('close',
                                                           () => resolve(question.returnValue),
                                                           { once: true }));
}

async function folderHandle(root, path) {
  let folder = root;
  for (const name of path.split('/')) folder = await folder.getDirectoryHandle(name, { create: true });
  return folder;
}

async function exists(folder, name) {
  try {
    await folder.getFileHandle(name);
    return true;
  } catch (error) {
    if (error.name === 'NotFoundError') return false;
    throw error;
  }
}

// createWritable writes beside the file and puts it in place on close: a file is whole or as it
// was. Stop aborts the writing, and nothing of it stays.
async function writeWhole(folder, name, bytes, job) {
  const writable = await (await folder.getFileHandle(name, { create: true })).createWritable();
  job.writable = writable;
  try {
    await writable.write(bytes);
    if (job.stopped) throw new Stopped();
    await writable.close();
  } catch (error) {
    await writable.abort().catch(() => {});
    throw error;
  } finally {
    job.writable = null;
  }
}

// Every bank's files into its own subfolder of the chosen folder, one bank after another, with
// the programs' overwrite question. A refusal ends the save there, as the programs end.
async function saveInto(root, list, job) {
  let saved = 0, kept = 0, yesToAll = false;
  const missing = [];
  job.done = () => plural(saved, 'file') + ' saved into “' + root.name + '”' +
                   (kept ? ', ' + kept + ' kept as they were' : '') + '.';
  for (const bank of list) {
    let folder;
    try {
      for await (const file of bankFiles(bank, { giveBack: true })) {
        const path = bank.folder + '/' + file.name;
        try {
          folder = folder || await folderHandle(root, bank.folder);
          let answer = 'yes';
          if (!yesToAll && await exists(folder, file.name)) answer = await askOverwrite(path);
          if (answer === 'cancel') throw new Stopped();
          yesToAll = yesToAll || answer === 'all';
          if (answer === 'yes' || answer === 'all') {
            await writeWhole(folder, file.name, file.wav, job);
            ++saved;
          } else {
            ++kept;
          }
        } catch (error) {
          if (error instanceof Stopped || job.stopped) throw error;
          throw new WriteRefused('Write error at ' + path + ': ' + inWords(error) +
                                 '; the save stopped there');
        }
        taskProgress.value = saved + kept;
      }
    } catch (error) {
      if (error instanceof Stopped || error instanceof WriteRefused || job.stopped) throw error;
      missing.push(error.message);
    }
  }
  const left = missing.length ? ' Not saved: ' + missing.join('; ') + '.' : '';
  return { text: 'Saved: ' + job.done() + left, failed: missing.length > 0 };
}

if (window.showDirectoryPicker) saveFolder.hidden = false;
saveFolder.addEventListener('click', async () => {
  let root;
  try {
    root = await window.showDirectoryPicker({ id: 'unbank', mode: 'readwrite' });
  } catch (error) {
    if (error.name !== 'AbortError') showStatus('No folder: ' + inWords(error), true);
    return;
  }
  const list = readableBanks();
  runTask((job) => saveInto(root, list, job), countFiles(list));
});

// ---- Taking banks. The workers start once the page has loaded, so that the engine is ready
// when a bank comes.

addEventListener('load', () => workers.forEach((place) => place.worker || startWorker(place)));

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
