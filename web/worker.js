// One of the page's workers: runs the engine (createEngine, in front of this script) on the bank
// of each request, one request after another. A 'read' request gets the bank's rows and the
// waveform peaks of the slots of its part, reading only the bytes they lie in; a 'make' request
// gets the bank's WAV files again (or one slot's), one file at a time: the next is made when the
// page says 'next', handing back the last one's memory when it is done with it. Every request
// ends with an 'end' message carrying the job's code.
//
// The bank and the files go through the same few buffers again and again, so that a collection
// leaves no trail of garbage for the browser to collect.
'use strict';

const JOB_DONE = 0;
const JOB_READ_ERROR = 1;
const JOB_CANCELLED = 6;
const BANK = '/bank.zp4';

let id = 0; // the request being answered
let rows, damaged, peaks, made;
let bankBuffer = new ArrayBuffer(0); // the bank as far as it is read, in its own place
let span = [0, 0]; // the bytes a part of a bank lies in
let spare = null; // a file's buffer the page handed back
let next = () => {}; // takes the page's 'next': whether to make more

const engineReady = createEngine({
  onSlotRow: (name, stereo, frames, damage) => rows.push({ name, stereo, frames, damage }),
  onProgress: (current, total) => postMessage({ id, type: 'progress', current, total }),
  onDamagedSlot: (name) => damaged.push(name),
  onPeaks: (name, columns) => { peaks[name] = columns; },
  onSpan: (from, to) => { span = [from, to]; },
  onFile: (name, bytes) => {
    const buffer = spare && spare.byteLength >= bytes.length ? spare : new ArrayBuffer(bytes.length);
    spare = null;
    const wav = new Uint8Array(buffer, 0, bytes.length);
    wav.set(bytes);
    postMessage({ id, type: 'file', name, wav }, [buffer]);
    made = true;
  },
});

class Unreadable extends Error {}

// Reads bytes from to to of the file into the same place of bankBuffer, which the stream hands
// back after each piece (the last, empty read takes a byte of room behind to).
async function readInto(file, from, to) {
  try {
    const reader = file.slice(from, to).stream().getReader({ mode: 'byob' });
    for (let at = from; ;) {
      const { value, done } = await reader.read(new Uint8Array(bankBuffer, at, to - at || 1));
      bankBuffer = value.buffer;
      if (done) return;
      at += value.length;
    }
  } catch (error) { // moved, changed or removed since it was chosen, or no longer allowed
    throw new Unreadable('the browser cannot read the file again (' + error.message + ')');
  }
}

const call = (engine, name, ...values) => engine.ccall(
  name, 'number', values.map((value) => (typeof value === 'string' ? 'string' : 'number')), values);

// One slot at a time, each file sent before the next is made. A damaged slot is left out, as
// unbank -k leaves it; any other failure ends the bank.
async function makeFiles(engine, slot) {
  const listed = call(engine, 'list_bank', BANK);
  if (listed !== JOB_DONE) return listed;
  for (const name of slot ? [slot] : rows.map((row) => row.name)) {
    made = false;
    const status = call(engine, 'make_file', BANK, name);
    if (made && !(await new Promise((resolve) => (next = resolve)))) return JOB_CANCELLED;
    if (status !== JOB_DONE && status !== JOB_READ_ERROR) return status;
  }
  return damaged.length ? JOB_READ_ERROR : JOB_DONE;
}

// A read lists the bank from its directory alone, then reads only the bytes its part lies in
// and decodes that part; a make reads the whole file.
async function runOnBank(engine, { type, file, slot, part, parts }) {
  const size = file.size;
  const bank = () => engine.FS.writeFile(BANK, new Uint8Array(bankBuffer, 0, size), { canOwn: true });
  if (bankBuffer.byteLength <= size) bankBuffer = new ArrayBuffer(size + 1);
  await readInto(file, 0, type === 'make' ? size : Math.min(size, call(engine, 'directory_end')));
  bank();
  if (type === 'make') return makeFiles(engine, slot);
  const listed = call(engine, 'list_bank', BANK);
  if (listed !== JOB_DONE) return listed;
  call(engine, 'part_span', BANK, part, parts);
  engine.FS.unlink(BANK);
  await readInto(file, ...span);
  bank();
  return call(engine, 'read_bank', BANK, part, parts);
}

async function handle(engine, request) {
  id = request.id;
  rows = [];
  damaged = [];
  peaks = {};
  const text = (code) => engine.ccall('status_text', 'string', ['number'], [code]);
  let status;
  try {
    status = await runOnBank(engine, request);
  } catch (error) {
    if (!(error instanceof Unreadable)) throw error;
    postMessage({ id, type: 'end', status: JOB_READ_ERROR,
                  text: text(JOB_READ_ERROR) + ': ' + error.message, rows: [], damaged, peaks });
    return;
  } finally {
    if (engine.FS.analyzePath(BANK).exists) engine.FS.unlink(BANK);
  }
  if (request.type === 'make') rows = [];
  postMessage({ id, type: 'end', status, text: text(status), rows, damaged, peaks });
}

let queue = engineReady.then((engine) => {
  engine.ccall('warm_up', null, [], []);
  return engine;
});
onmessage = ({ data }) => {
  if (data.type === 'next') {
    if (data.id !== id) return;
    spare = data.buffer || spare;
    next(data.more);
    return;
  }
  queue = queue.then((engine) => handle(engine, data).then(() => engine)).catch((error) => {
    // The engine is lost: the page starts a fresh worker.
    postMessage({ id: data.id, type: 'end', crashed: true, text: String(error) });
    return engineReady;
  });
};
