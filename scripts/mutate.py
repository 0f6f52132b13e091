#!/usr/bin/env python3
"""Regex mutants of the production code: list a fixed sample, or run it against a built tree.

  mutate.py list SRC > mutants.tsv     sample (seed 24) in proportion to each folder's size
  mutate.py run SRC BUILD mutants.tsv  apply each mutant, rebuild incrementally, run its folder's tests
  mutate.py compare BEFORE.tsv AFTER.tsv   mutants the first run's tests killed and the second's did not

A run also writes BUILD/mutants-killed.tsv: each mutant with every test (executable:Suite.Name) that
failed on it, so that the tests alone in killing some mutant can be told from the rest.
"""
import json, os, random, re, subprocess, sys, time

FOLDERS = ["metafile", "catalogue", "views", "codec", "audio", "export", "platform", "cli"]
TOTAL = int(os.environ.get("MUTANTS", "240"))
TIMEOUT = int(os.environ.get("MUTANT_TIMEOUT", "120"))
# Test executables that judge a mutant of each folder (under BUILD/tests/<dir>/).
TESTS = {
    "metafile": ["metafile/metafile_tests", "catalogue/catalogue_tests", "fuzz/fuzz_regression_tests"],
    "catalogue": ["catalogue/catalogue_tests", "metafile/metafile_tests", "views/views_tests",
                  "locate/locate_tests"],
    "views": ["views/views_tests", "app/app_tests"],
    "codec": ["codec/codec_unit_tests", "codec/codec_ffmpeg_tests", "acm/acm_unit_tests",
              "fuzz/fuzz_regression_tests"],
    "audio": ["audio/audio_unit_tests", "audio/audio_peer_tests", "playback/playback_thread_tests",
              "playback/playback_disk_tests", "fuzz/fuzz_regression_tests"],
    "export": ["export/export_unit_tests", "export/export_peer_tests", "export/export_cli_tests",
               "export/sound_file_tests"],
    "platform": ["platform/platform_thread_test", "platform/platform_waveout_test", "acm/acm_unit_tests",
                 "locate/locate_tests", "playback/playback_thread_tests", "metafile/metafile_tests"],
    "cli": ["cli/cli_tests", "playback/playback_cli_tests", "export/export_cli_tests",
            "packaging/packaging_tests"],
}
TOOLS = ["vantor", "vantor-mkset"]
# (name, pattern, replacement): spaced operators only, so templates and includes stay out.
OPS = [
    ("lt-le", r" < ", " <= "), ("le-lt", r" <= ", " < "), ("gt-ge", r" > ", " >= "),
    ("ge-gt", r" >= ", " > "), ("eq-ne", r" == ", " != "), ("ne-eq", r" != ", " == "),
    ("and-or", r" && ", " || "), ("or-and", r" \|\| ", " && "), ("plus-minus", r" \+ ", " - "),
    ("minus-plus", r" - ", " + "), ("true-false", r"\btrue\b", "false"),
    ("false-true", r"\bfalse\b", "true"), ("shl-shr", r" << ", " >> "), ("shr-shl", r" >> ", " << "),
    ("incr-decr", r"\+\+", "--"), ("not-drop", r"\(!", "("), ("one-zero", r"\b1\b", "0"),
]

def sources(src, folder):
    out = []
    for root, _, files in os.walk(os.path.join(src, folder)):
        out += [os.path.relpath(os.path.join(root, f), src) for f in files if f.endswith(".cpp")]
    return sorted(out)

def sites(src, path):
    found = []
    for no, line in enumerate(open(os.path.join(src, path), encoding="utf-8", errors="replace"), 1):
        s = line.strip()
        if not s or s.startswith(("#", "//", "*", "/*")) or "<<" in s and "std::" in s and "cout" in s:
            continue
        code = line.split("//")[0]
        if '"' in code:
            code = re.sub(r'"(\\.|[^"\\])*"', lambda m: "\0" * len(m.group()), code)
        for name, pat, _ in OPS:
            for k, m in enumerate(re.finditer(pat, code)):
                found.append((path, no, name, k, line.rstrip("\n")))
    return found

def listing(src):
    per = {f: [s for p in sources(src, f) for s in sites(src, p)] for f in FOLDERS}
    size = {f: sum(sum(1 for _ in open(os.path.join(src, p), errors="replace")) for p in sources(src, f))
            for f in FOLDERS}
    rng = random.Random(24)
    for f in FOLDERS:
        n = max(5, round(TOTAL * size[f] / sum(size.values())))
        for path, no, name, k, text in sorted(rng.sample(per[f], min(n, len(per[f])))):
            print(f"{f}\t{path}\t{no}\t{name}\t{k}\t{text}")

def apply(src, path, no, name, k, text=None):
    full = os.path.join(src, path)
    lines = open(full, encoding="utf-8", errors="surrogateescape").read().split("\n")
    pat, rep = next((p, r) for n, p, r in OPS if n == name)
    if text is not None and lines[no - 1] != text:
        # The code moved since the list was made: find the line by its text, nearest first.
        near = sorted((abs(i + 1 - no), i + 1) for i, l in enumerate(lines) if l == text)
        if not near:
            return full, None
        no = near[0][1]
    m = list(re.finditer(pat, lines[no - 1]))[k]
    old = lines[no - 1]
    lines[no - 1] = old[:m.start()] + rep + old[m.end():]
    return full, "\n".join(lines)

def run(src, build, listfile):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", SDL_AUDIODRIVER="dummy")
    def sh(cmd, cwd=None, timeout=None):
        try:
            return subprocess.run(cmd, cwd=cwd, env=env, timeout=timeout, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL).returncode
        except subprocess.TimeoutExpired:
            return -1
    def targets(folder):
        return [os.path.basename(t) for t in TESTS[folder]] + TOOLS
    def judge(folder):
        # Every test executable of the folder runs whole; the failed tests come from its JSON report.
        failed = []
        for t in TESTS[folder]:
            exe = os.path.join(build, "tests", t)
            report = os.path.join(build, "mutant-report.json")
            if os.path.exists(report):
                os.remove(report)
            if sh([exe, "--gtest_brief=1", "--gtest_output=json:" + report], cwd=os.path.dirname(exe),
                  timeout=TIMEOUT) == 0:
                continue
            names = []
            try:
                for suite in json.load(open(report))["testsuites"]:
                    names += [f"{t}:{suite['name']}.{c['name']}" for c in suite["testsuite"]
                              if c.get("failures")]
            except (OSError, ValueError, KeyError):
                pass
            failed += names or [f"{t}:(crashed or timed out)"]
        return failed
    # A test that fails or is missing before any mutant would count every mutant as killed: drop it.
    passes = {}
    for folder, tests in TESTS.items():
        for t in list(tests):
            exe = os.path.join(build, "tests", t)
            if t not in passes:
                passes[t] = os.path.exists(exe) and sh([exe, "--gtest_brief=1"], cwd=os.path.dirname(exe),
                                                        timeout=TIMEOUT) == 0
            if not passes[t]:
                print(f"not judging {folder} by {t}: it fails unmutated", flush=True)
                tests.remove(t)
    mutants = [l.rstrip("\n").split("\t", 5) for l in open(listfile) if l.strip()]
    stats = {f: dict(made=0, compiled=0, killed=0, survived=0) for f in FOLDERS}
    survivors = []
    t0 = time.time()
    matrix = open(os.path.join(build, "mutants-killed.tsv"), "w")
    for i, (folder, path, no, name, k, text) in enumerate(mutants, 1):
        full, mutated = apply(src, path, int(no), name, int(k), text)
        st = stats[folder]
        st["made"] += 1
        if mutated is None:
            print(f"[{i}/{len(mutants)}] {path}:{no} {name}#{k} gone: the line is no longer there", flush=True)
            matrix.write(f"{path}:{no}:{name}:{k}\tgone\n")
            continue
        original = open(full, encoding="utf-8", errors="surrogateescape").read()
        try:
            open(full, "w", encoding="utf-8", errors="surrogateescape").write(mutated)
            if sh(["ninja", "-C", build, "-j1"] + targets(folder)) != 0:
                verdict = "nocompile"
            else:
                st["compiled"] += 1
                killers = judge(folder)
                killer = killers[0].split(":")[0] if killers else None
                verdict = f"killed {killer} ({len(killers)} tests)" if killers else "survived"
                st["killed" if killers else "survived"] += 1
                if not killer:
                    survivors.append(f"{path}:{no} {name}#{k}: {text.strip()}")
        finally:
            open(full, "w", encoding="utf-8", errors="surrogateescape").write(original)
            os.utime(full, None)
        matrix.write(f"{path}:{no}:{name}:{k}\t{verdict.split()[0]}\t" +
                     (" ".join(killers) if verdict.startswith("killed") else "") + "\n")
        matrix.flush()
        print(f"[{i}/{len(mutants)} {time.time() - t0:.0f}s] {path}:{no} {name}#{k} {verdict}", flush=True)
    sh(["ninja", "-C", build, "-j1"])
    print(f"\n{'folder':10} made compiled killed survived")
    total = dict(made=0, compiled=0, killed=0, survived=0)
    for f in FOLDERS:
        s = stats[f]
        for key in total:
            total[key] += s[key]
        print(f"{f:10} {s['made']:4} {s['compiled']:8} {s['killed']:6} {s['survived']:8}")
    print(f"{'total':10} {total['made']:4} {total['compiled']:8} {total['killed']:6} {total['survived']:8}")
    print(f"time {time.time() - t0:.0f}s\nsurvivors:")
    for s in survivors:
        print("  " + s)

def compare(before, after):
    def load(p):
        return {f[0]: f[1:] for f in (l.rstrip("\n").split("\t") for l in open(p)) if f}
    b, a = load(before), load(after)
    lost = [m for m, v in b.items() if v[0] == "killed" and a.get(m, ["?"])[0] != "killed"]
    alone = {}
    for m, v in b.items():
        if v[0] == "killed" and len(v) > 1 and len(v[1].split()) == 1:
            alone.setdefault(v[1], []).append(m)
    print(f"killed before {sum(v[0] == 'killed' for v in b.values())}, "
          f"after {sum(v[0] == 'killed' for v in a.values())}; killed before and not after: {len(lost)}")
    for m in lost:
        print(f"  {m}  before by: {b[m][1] if len(b[m]) > 1 else ''}")
    print("tests alone in killing a mutant before:")
    for t, ms in sorted(alone.items()):
        print(f"  {t}: {' '.join(ms)}")

if __name__ == "__main__":
    if sys.argv[1] == "list":
        listing(sys.argv[2])
    elif sys.argv[1] == "compare":
        compare(sys.argv[2], sys.argv[3])
    else:
        run(sys.argv[2], sys.argv[3], sys.argv[4])
