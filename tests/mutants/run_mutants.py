#!/usr/bin/env python3
"""Plants each fault of faults.txt in turn, rebuilds, runs the suite of the fault's layer and
restores the file; ends with 'K/N planted faults caught'.

    run_mutants.py [--list] [WORD...]   only the faults whose heading holds one of the words

A fault is a heading 'LAYER FILE: what goes wrong', then '-' lines with the exact text to
replace (found once in FILE) and '+' lines with its replacement. LAYER is 'host' (the native
build and its suite) or 'windows' (the win64 build and its suite under Wine, which needs an X
display: run it inside xvfb-run, as make mutants does).
"""
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
FAULTS = pathlib.Path(__file__).with_name("faults.txt")
PRESETS = {"host": "native", "windows": "win64"}


def read_faults():
    faults = []
    for number, line in enumerate(FAULTS.read_text().splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        if line[0] in "-+" and faults:
            faults[-1][line[0]].append(line[2:])
            continue
        layer, rest = line.split(" ", 1)
        if layer not in PRESETS or ": " not in rest:
            sys.exit(f"faults.txt:{number}: not 'host|windows FILE: what goes wrong'")
        path, what = rest.split(": ", 1)
        faults.append({"layer": layer, "path": path, "what": what, "line": number, "-": [], "+": []})
    return faults


def run(*command):
    return subprocess.run(command, cwd=ROOT, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def build(preset):
    return run("cmake", "--build", "--preset", preset, "-j2")


def caught(fault):
    """True when the suite fails with the fault in place, None when it cannot be planted."""
    source = ROOT / fault["path"]
    original = source.read_text()
    find, replace = "\n".join(fault["-"]), "\n".join(fault["+"])
    if not find or original.count(find) != 1:
        return None
    preset = PRESETS[fault["layer"]]
    try:
        source.write_text(original.replace(find, replace))
        if not build(preset):
            return None
        return not run("ctest", "--preset", preset, "-j2")
    finally:
        source.write_text(original)


def main(arguments):
    words = [a for a in arguments if a != "--list"]
    faults = [f for f in read_faults()
              if not words or any(w in f"{f['layer']} {f['path']}: {f['what']}" for w in words)]
    if "--list" in arguments:
        for f in faults:
            print(f"{f['layer']:8} {f['path']}: {f['what']}")
        return 0
    presets = {PRESETS[f["layer"]] for f in faults}
    if "win64" in presets and not run("cmake/wine-session.sh", "start", "build/win64"):
        sys.exit("cmake/wine-session.sh could not start Wine")
    count, unplanted = 0, []
    try:
        for f in faults:
            result = caught(f)
            verdict = {True: "caught", False: "MISSED", None: "NOT PLANTED"}[result]
            print(f"{verdict:12} {f['layer']:8} {f['path']}: {f['what']}", flush=True)
            count += result is True
            unplanted += [f] if result is None else []
    finally:
        if "win64" in presets:
            run("cmake/wine-session.sh", "stop", "build/win64")
        for preset in presets:
            build(preset)
    for f in unplanted:
        print(f"faults.txt:{f['line']}: its text is not found once in the file, or it does not build")
    print(f"{count}/{len(faults)} planted faults caught")
    return 1 if unplanted else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
