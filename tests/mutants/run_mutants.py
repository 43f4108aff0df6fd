#!/usr/bin/env python3
"""Plants each fault of faults.txt in turn, rebuilds, runs the suite of the fault's layer and
restores the file; ends with 'K/N planted faults caught'. Arguments: words that pick the faults
whose heading holds one of them. The windows layer needs an X display (make mutants has one).
A fault of 'host+avx512f' is left out where the processor lacks the feature: its code never runs."""
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
PRESETS = {"host": "native", "windows": "win64", "arm64": "arm64", "web": "web"}
PROCESSOR = set(pathlib.Path("/proc/cpuinfo").read_text().split())  # its features' names


def read_faults():
    faults = []
    text = pathlib.Path(__file__).with_name("faults.txt").read_text()
    for number, line in enumerate(text.splitlines(), 1):
        if line[:1] in ("-", "+") and faults:
            faults[-1][line[0]].append(line[2:])
        elif line.strip() and not line.startswith("#"):
            layer, _, rest = line.partition(" ")
            layer, *features = layer.split("+")
            if layer not in PRESETS or ": " not in rest:
                sys.exit(f"faults.txt:{number}: not 'host|windows|arm64|web FILE: what goes wrong'")
            faults.append({"layer": layer, "path": rest.split(": ")[0], "heading": line,
                           "line": number, "lacking": set(features) - PROCESSOR, "-": [], "+": []})
    return faults


def run(*command):  # output to nowhere: Wine's lasting processes would hold a pipe open
    return subprocess.run(command, cwd=ROOT, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def caught(fault):
    """True when the suite fails with the fault in place, None when it cannot be planted."""
    source, preset = ROOT / fault["path"], PRESETS[fault["layer"]]
    original, find = source.read_text(), "\n".join(fault["-"])
    if not find or original.count(find) != 1:
        return None
    try:
        source.write_text(original.replace(find, "\n".join(fault["+"])))
        if not run("cmake", "--build", "--preset", preset, "-j2"):
            return None
        return not run("ctest", "--preset", preset, "-j2")
    finally:
        source.write_text(original)


def main(words):
    faults = [f for f in read_faults() if not words or any(w in f["heading"] for w in words)]
    presets = {PRESETS[f["layer"]] for f in faults}
    if "win64" in presets and not run("cmake/wine-session.sh", "start", "build/win64"):
        sys.exit("cmake/wine-session.sh could not start Wine")
    skipped = [f for f in faults if f["lacking"]]
    for fault in skipped:
        print(f"{'NOT RUN':12} {fault['heading']} (no {' '.join(sorted(fault['lacking']))} here)")
    faults = [f for f in faults if not f["lacking"]]
    results = []
    try:
        for fault in faults:
            results.append(caught(fault))
            verdict = {True: "caught", False: "MISSED",  # not found once, or it does not build
                       None: f"NOT PLANTED (faults.txt:{fault['line']})"}[results[-1]]
            print(f"{verdict:12} {fault['heading']}", flush=True)
    finally:
        if "win64" in presets:
            run("cmake/wine-session.sh", "stop", "build/win64")
        for preset in presets:
            run("cmake", "--build", "--preset", preset, "-j2")
    print(f"{results.count(True)}/{len(faults)} planted faults caught, {len(skipped)} not run here")
    return 1 if None in results else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
