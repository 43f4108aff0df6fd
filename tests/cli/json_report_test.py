#!/usr/bin/env python3
"""unbank --json read by Python's own parser over a small collection: json_report_test.py UNBANK
MKBANK. The values expected are the demo bank's, as its builder lays it out, and those of the
damage done to copies of it here."""
import json
import os
import shutil
import subprocess
import sys
import tempfile

UNBANK, MKBANK = (os.path.abspath(program) for program in sys.argv[1:3])
failures = []


def expect(what, got, wanted):
    if got != wanted:
        failures.append(f"{what}: got {got!r}, expected {wanted!r}")


def run(*args):
    """The document and the exit status of unbank --json ARGS."""
    done = subprocess.run([UNBANK, "--json", *args], capture_output=True, check=False)
    return json.loads(done.stdout.decode("utf-8")), done.returncode


def slots(bank):
    return {slot["file"]: slot for slot in bank["slots"]}


os.chdir(tempfile.mkdtemp())
subprocess.run([MKBANK, "demo.zp4", "--demo"], check=True, stdout=subprocess.DEVNULL)
demo = open("demo.zp4", "rb").read()
# Its right channel cut by 20000 bytes: 875 of the last slot's 1500 right blocks stay.
cut = b"caf\xc3\xa9-\xff.zp4"  # a name with a non-ASCII character and a byte that is not UTF-8
with open(cut, "wb") as out:
    out.write(demo[:-20000])
# Mono slot 3's data start pointed below the file (its record's byte 6, at 0x80000 + 20 + 3 * 26).
poked = bytearray(demo)
poked[0x80000 + 20 + 3 * 26 + 6] = 0x05
open("poked.zp4", "wb").write(poked)
open("notes.zp4", "w").write("liner notes, not a bank\n")
banks = [cut, "poked.zp4", "notes.zp4"]

listing, status = run("-l", *banks)
expect("-l exit status", status, 3)
expect("-l mode", listing["mode"], "list")
expect("-l paths", [b["path"] for b in listing["banks"]], ["café-\ufffd.zp4", "poked.zp4", "notes.zp4"])
rows = slots(listing["banks"][0])
expect("-l files", list(rows), ["00.wav", "03.wav", "07.wav", "12.wav", "00s.wav", "05s.wav"])
expect("-l 03.wav", rows["03.wav"], {"file": "03.wav", "channels": "mono", "frames": 48000,
                                     "seconds": 1.5, "data_offset": 0x088CC0, "damage": None})
expect("-l 05s.wav channels", rows["05s.wav"]["channels"], "stereo")
expect("-l 05s.wav damage", rows["05s.wav"]["damage"], "data outside the file")
expect("-l poked 03.wav", slots(listing["banks"][1])["03.wav"]["damage"], "negative data offset")
expect("-l not a bank", listing["banks"][2], {"path": "notes.zp4", "status": {
    "code": 3, "text": "Not ZP-4 file"}, "slots": []})
expect("-l totals", listing["totals"], {"banks": 3, "banks_with_errors": 1})

test, status = run("-t", "-s", "00,05s,07s", cut)
expect("-t exit status", status, 1)  # the damage outweighs the missing slot
bank = test["banks"][0]
expect("-t status", bank["status"], {"code": 1, "text": "Read error"})
expect("-t missing", bank["missing_slots"], ["07s.wav"])
expect("-t read", [(s["file"], s["frames_readable"], s["whole"]) for s in bank["slots"]],
       [("00.wav", 32000, True), ("05s.wav", 28000, False)])
expect("-t totals", test["totals"], {"banks": 1, "read_whole": 1, "damaged": 1, "banks_with_errors": 1})

os.makedirs("rescue/poked")
open("rescue/poked/00.wav", "w").write("an earlier take\n")
extraction, status = run("-n", "-o", "rescue", "poked.zp4", cut, "notes.zp4")
expect("extraction exit status", status, 1)
expect("extraction mode", extraction["mode"], "extract")
bank = extraction["banks"][0]
expect("extraction folder", bank["folder"], "rescue/poked")
expect("extraction status", bank["status"], {"code": 1, "text": "Read error"})
expect("extraction outcomes", [(s["file"], s["outcome"], s["path"]) for s in bank["slots"]],
       [("00.wav", "skipped", "rescue/poked/00.wav"), ("03.wav", "failed", "rescue/poked/03.wav"),
        ("07.wav", "not reached", "rescue/poked/07.wav"), ("12.wav", "not reached", "rescue/poked/12.wav"),
        ("00s.wav", "not reached", "rescue/poked/00s.wav"), ("05s.wav", "not reached", "rescue/poked/05s.wav")])
expect("extraction of the cut bank", [s["outcome"] for s in extraction["banks"][1]["slots"]],
       ["written"] * 5 + ["failed"])
expect("extraction of no bank", extraction["banks"][2]["folder"], None)
expect("extraction totals", extraction["totals"],
       {"banks": 3, "written": 5, "skipped": 1, "failed": 2, "banks_with_errors": 3})
expect("extraction exit in the document", extraction["exit_status"], 1)

unmade, status = run("-o", "notes.zp4/o", "poked.zp4")  # a folder that cannot be made
expect("a bank not begun", (status, unmade["banks"][0]["folder"], unmade["banks"][0]["slots"][0]["path"]),
       (2, None, None))

# In every layout the report names each file it wrote where it is: a script opens what it names.
os.makedirs("coll/sub")
shutil.copy("demo.zp4", "coll/sub/x.zp4")
for folder, files, layout in (("demo", 6, ["demo.zp4"]), ("one", 6, ["-o", "one", "demo.zp4"]),
                              ("two", 12, ["-o", "two", "demo.zp4", "coll/sub/x.zp4"]),
                              ("walked", 6, ["-o", "walked", "coll"]),
                              ("flat", 12, ["--flat", "-o", "flat", "demo.zp4", "coll"])):
    report, status = run(*layout)
    named = {s["path"]: 44 + s["frames"] * (4 if s["channels"] == "stereo" else 2)
             for b in report["banks"] for s in b["slots"] if s["outcome"] == "written"}
    found = {os.path.join(top, name) for top, _, names in os.walk(folder) for name in names}
    expect(f"{folder}: files written", len(found), files)
    expect(f"{folder}: the files named", sorted(named), sorted(found))
    expect(f"{folder}: their sizes", [os.path.getsize(p) for p in named if p in found],
           [named[p] for p in named if p in found])

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
