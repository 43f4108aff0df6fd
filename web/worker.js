// The page's worker: runs the engine (createEngine, in front of this script) on the bank of each
// request, one request after another. A 'read' request gets the bank's rows and each slot's
// waveform peaks; a 'make' request gets the bank's WAV files again (or one slot's), each sent as
// soon as it is whole. Every request ends with an 'end' message carrying the job's code.
'use strict';

const JOB_READ_ERROR = 1;
const BANK = '/bank.zp4';

let id = 0; // the request being answered
let rows, damaged, peaks;

const engineReady = createEngine({
  onSlotRow: (name, stereo, frames, damage) => rows.push({ name, stereo, frames, damage }),
  onProgress: (current, total) => postMessage({ id, type: 'progress', current, total }),
  onDamagedSlot: (name) => damaged.push(name),
  onPeaks: (name, columns) => { peaks[name] = columns; },
  onFile: (name, wav) => postMessage({ id, type: 'file', name, wav }, [wav.buffer]),
});

// The engine reads the bank from its in-memory file system, which takes the bytes as they are.
function runOnBank(engine, request) {
  const call = (name, ...paths) =>
    engine.ccall(name, 'number', paths.map(() => 'string'), paths);
  if (request.type === 'make') return call('make_files', BANK, request.slot || '');
  const listed = call('list_bank', BANK);
  return listed === 0 ? call('read_bank', BANK) : listed;
}

async function handle(engine, request) {
  id = request.id;
  rows = [];
  damaged = [];
  peaks = {};
  const text = (code) => engine.ccall('status_text', 'string', ['number'], [code]);
  let bytes;
  try {
    bytes = new Uint8Array(await request.file.arrayBuffer());
  } catch (error) { // the browser cannot read the file (again): moved, changed or gone
    postMessage({ id, type: 'end', status: JOB_READ_ERROR,
                  text: text(JOB_READ_ERROR) + ': ' + error.message, rows, damaged, peaks });
    return;
  }
  engine.FS.writeFile(BANK, bytes, { canOwn: true });
  try {
    const status = runOnBank(engine, request);
    postMessage({ id, type: 'end', status, text: text(status), rows, damaged, peaks });
  } finally {
    engine.FS.unlink(BANK);
  }
}

let queue = engineReady;
onmessage = ({ data: request }) => {
  queue = queue.then((engine) => handle(engine, request).then(() => engine)).catch((error) => {
    // The engine is lost: the page starts a fresh worker.
    postMessage({ id: request.id, type: 'end', crashed: true, text: String(error) });
    return engineReady;
  });
};
