// The page's worker: runs the engine (createEngine, in front of this script) on each bank it is
// handed, one after another, and sends back the slot table, the progress and the WAV files.
'use strict';

const PEAK_COLUMNS = 120;
const WAV_HEADER_BYTES = 44;
const JOB_READ_ERROR = 1;

let rows = [];
let damaged = [];
let bankId = 0;

const engineReady = createEngine({
  onSlotRow: (name, stereo, frames, damage) => rows.push({ name, stereo, frames, damage }),
  onProgress: (current, total) => postMessage({ id: bankId, type: 'progress', current, total }),
  onDamagedSlot: (name) => damaged.push(name),
});

// The loudest sample at each column of the waveform picture, 0 to 1, both channels together.
function peaks(wav) {
  const samples = new Int16Array(wav.buffer, wav.byteOffset + WAV_HEADER_BYTES,
                                 (wav.byteLength - WAV_HEADER_BYTES) >> 1);
  const out = new Float32Array(PEAK_COLUMNS);
  const per = Math.max(1, Math.ceil(samples.length / PEAK_COLUMNS));
  for (let column = 0, from = 0; from < samples.length; ++column, from += per) {
    const to = Math.min(from + per, samples.length);
    let low = 0, high = 0;
    for (let i = from; i < to; ++i) {
      const sample = samples[i];
      if (sample > high) high = sample;
      else if (sample < low) low = sample;
    }
    out[column] = Math.max(high, -low) / 32768;
  }
  return out;
}

function removeTree(FS, path) {
  for (const name of FS.readdir(path)) {
    if (name !== '.' && name !== '..') FS.unlink(path + '/' + name);
  }
  FS.rmdir(path);
}

function handle(engine, { id, bytes }) {
  const { FS } = engine;
  bankId = id;
  rows = [];
  damaged = [];
  const text = (code) => engine.ccall('status_text', 'string', ['number'], [code]);
  if (!bytes) { // the browser could not read the file
    postMessage({ id, type: 'rows', status: JOB_READ_ERROR, text: text(JOB_READ_ERROR), rows });
    return;
  }
  const bank = '/bank' + id + '.zp4';
  const folder = '/wav' + id;
  FS.writeFile(bank, new Uint8Array(bytes));
  const listed = engine.ccall('list_bank', 'number', ['string'], [bank]);
  postMessage({ id, type: 'rows', status: listed, text: text(listed), rows });
  if (listed !== 0) {
    FS.unlink(bank);
    return;
  }
  FS.mkdir(folder);
  const status = engine.ccall('extract_bank', 'number', ['string', 'string'], [bank, folder]);
  const files = [];
  for (const row of rows) {
    const path = folder + '/' + row.name;
    if (!FS.analyzePath(path).exists) continue;
    const wav = FS.readFile(path);
    files.push({ name: row.name, wav, peaks: peaks(wav) });
  }
  removeTree(FS, folder);
  FS.unlink(bank);
  postMessage({ id, type: 'done', status, text: text(status), damaged, files },
              files.map((file) => file.wav.buffer));
}

let queue = engineReady;
onmessage = (event) => {
  queue = queue.then((engine) => {
    try {
      handle(engine, event.data);
    } catch (error) {
      postMessage({ id: event.data.id, type: 'crash', text: String(error) });
    }
    return engine;
  });
};
