#!/usr/bin/env python3
"""Mutation testing: apply each fault of mutants.txt to a scratch copy of a revision, rebuild
incrementally, run the core and widget tests, and report which faults the tests catch.

Run by hand, not in CI. See README.md beside this file."""

import argparse
import fcntl
import os
import re
import shutil
import signal
import subprocess
import sys
import tarfile
import io
import time
from dataclasses import dataclass, field

HERE = os.path.dirname(os.path.abspath(__file__))
LABELS = "^(core|widgets)$"  # smoke drives a real X server: too slow and not about src/ faults
RESULT_COLUMNS = ["id", "area", "status", "seconds", "tests", "functions", "detail"]


@dataclass
class Mutant:
    id: str
    area: str = ""
    file: str = ""
    models: str = ""
    history: str = ""
    snippet: list = field(default_factory=list)
    replacement: list = field(default_factory=list)


def parse_mutants(path):
    """Blocks separated by blank lines: 'key: value' lines, then '- ' snippet lines and '+ '
    replacement lines taken literally (no escapes, so C++ strings like "\\r\\n" read as written)."""
    mutants, cur = [], None
    with open(path, encoding="utf-8") as f:
        for n, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if line.startswith("#"):
                continue
            if not line.strip():
                cur = None
                continue
            if line.startswith("- ") or line == "-":
                if cur is None:
                    sys.exit(f"{path}:{n}: snippet line outside a mutant")
                cur.snippet.append(line[2:])
            elif line.startswith("+ ") or line == "+":
                if cur is None:
                    sys.exit(f"{path}:{n}: replacement line outside a mutant")
                cur.replacement.append(line[2:])
            else:
                key, sep, value = line.partition(":")
                if not sep:
                    sys.exit(f"{path}:{n}: expected 'key: value', '- snippet' or '+ replacement'")
                key, value = key.strip(), value.strip()
                if key == "id":
                    cur = Mutant(value)
                    mutants.append(cur)
                elif cur is None:
                    sys.exit(f"{path}:{n}: '{key}' before an id")
                elif key in ("area", "file", "models", "history"):
                    setattr(cur, key, value)
                else:
                    sys.exit(f"{path}:{n}: unknown key '{key}'")
    ids = set()
    for m in mutants:
        if m.id in ids:
            sys.exit(f"{path}: mutant id {m.id} twice")
        ids.add(m.id)
        if not (m.area and m.file and m.models and m.snippet):
            sys.exit(f"{path}: mutant {m.id} needs area, file, models and a snippet")
    return mutants


def run(cmd, **kw):
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, **kw)


def sync_tree(repo, rev, tree):
    """Make tree hold exactly rev's files, touching only the files that differ, so the next
    build recompiles only what changed between two revisions."""
    archive = subprocess.run(["git", "-C", repo, "archive", "--format=tar", rev],
                             stdout=subprocess.PIPE, check=True).stdout
    wanted = set()
    changed = 0
    with tarfile.open(fileobj=io.BytesIO(archive)) as tar:
        for member in tar.getmembers():
            target = os.path.join(tree, member.name)
            if member.isdir():
                os.makedirs(target, exist_ok=True)
                continue
            wanted.add(os.path.normpath(member.name))
            if member.issym():
                if os.path.islink(target) and os.readlink(target) == member.linkname:
                    continue
                if os.path.lexists(target):
                    os.remove(target)
                os.symlink(member.linkname, target)
                changed += 1
                continue
            data = tar.extractfile(member).read()
            try:
                with open(target, "rb") as f:
                    if f.read() == data:
                        continue
            except OSError:
                pass
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "wb") as f:
                f.write(data)
            os.chmod(target, member.mode & 0o777)
            changed += 1
    for dirpath, dirnames, filenames in os.walk(tree, topdown=False):
        for name in filenames:
            rel = os.path.normpath(os.path.relpath(os.path.join(dirpath, name), tree))
            if rel not in wanted:
                os.remove(os.path.join(dirpath, name))
                changed += 1
    return changed


def shorten_timeouts(build, seconds):
    """A hung mutant must not cost the tests' own generous timeouts: cap them in this build."""
    for dirpath, _, filenames in os.walk(build):
        if "CTestTestfile.cmake" in filenames:
            path = os.path.join(dirpath, "CTestTestfile.cmake")
            with open(path) as f:
                text = f.read()
            new = re.sub(r'TIMEOUT "\d+"', f'TIMEOUT "{seconds}"', text)
            if new != text:
                with open(path, "w") as f:
                    f.write(new)


def configure(tree, build):
    if os.path.exists(os.path.join(build, "CMakeCache.txt")):
        return
    gen = ["-G", "Ninja"] if shutil.which("ninja") else []
    linker = ["-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"] if shutil.which("ld.lld") else []
    # -O1 without debug information: quick to compile and link, still the optimiser's behaviour.
    r = run(["cmake", "-S", tree, "-B", build, *gen, "-DCMAKE_BUILD_TYPE=Mutation",
             "-DCMAKE_CXX_FLAGS_MUTATION=-O1", "-DQUILLORY_BENCH=OFF", *linker])
    if r.returncode != 0:
        print(r.stdout)
        sys.exit("configure failed")


def build(build_dir, jobs, timeout):
    try:
        r = run(["nice", "cmake", "--build", build_dir, "-j", str(jobs)], timeout=timeout)
    except subprocess.TimeoutExpired:
        return False, "build timed out"
    return r.returncode == 0, r.stdout


FAILED_LINE = re.compile(r"^\s*\d+\s+-\s+(\S+)\s+\((.+)\)\s*$")
QTEST_FAIL = re.compile(r"^FAIL!\s+:\s+\S+::(\S+?)\(")


def run_tests(build_dir, jobs, timeout, test_timeout, only=()):
    """Returns (failed tests {name: reason}, failed functions [test:function], seconds, log).
    With `only`, just those test programs."""
    shorten_timeouts(build_dir, test_timeout)
    start = time.monotonic()
    cmd = ["nice", "ctest", "-L", LABELS, "-j", str(jobs), "--output-on-failure"]
    if only:
        cmd += ["-R", "^(" + "|".join(re.escape(t) for t in only) + ")$"]
    # A session of its own, so a hung test program goes with ctest when the time is up.
    proc = subprocess.Popen(cmd, cwd=build_dir, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            text=True, start_new_session=True)
    try:
        out, _ = proc.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, _ = proc.communicate()
        return {"<whole run>": "Timeout"}, [], time.monotonic() - start, out
    seconds = time.monotonic() - start
    failed, functions, current = {}, [], None
    in_summary = False
    for line in out.splitlines():
        m = re.match(r"^\s*\d+/\d+ Test\s+#\d+: (\S+) \.+", line)
        if m:
            current = m.group(1)
        if line.startswith("The following tests FAILED"):
            in_summary = True
            continue
        if in_summary:
            m = FAILED_LINE.match(line)
            if m:
                failed[m.group(1)] = m.group(2)
        else:
            m = QTEST_FAIL.match(line)
            if m and current:
                fn = f"{current}:{m.group(1)}"
                if fn not in functions:
                    functions.append(fn)
    if proc.returncode != 0 and not failed:
        failed["<ctest>"] = f"exit {proc.returncode}"
    return failed, functions, seconds, out


def locate(tree, m):
    """The file's text when the snippet occurs exactly once, else None and why."""
    path = os.path.join(tree, m.file)
    if not os.path.exists(path):
        return None, f"no file {m.file}"
    with open(path, encoding="utf-8", newline="") as f:
        original = f.read()
    count = original.count("\n".join(m.snippet))
    if count != 1:
        return None, "snippet missing" if count == 0 else f"snippet found {count} times"
    return original, ""


def apply(tree, m):
    original, why = locate(tree, m)
    if original is None:
        return None, why
    snippet = "\n".join(m.snippet)
    with open(os.path.join(tree, m.file), "w", encoding="utf-8", newline="") as f:
        f.write(original.replace(snippet, "\n".join(m.replacement)))
    return original, ""


def restore(tree, m, original):
    with open(os.path.join(tree, m.file), "w", encoding="utf-8", newline="") as f:
        f.write(original)


def read_results(path):
    rows = {}
    with open(path, encoding="utf-8") as f:
        header = f.readline().rstrip("\n").split("\t")
        for line in f:
            if line.strip():
                row = dict(zip(header, line.rstrip("\n").split("\t")))
                rows[row["id"]] = row
    return rows


def is_killed(status):
    return status.startswith("killed")


def show(path, markdown):
    rows = read_results(path)
    if markdown:
        print("| id | area | status | tests that failed | test functions that failed |")
        print("|---|---|---|---|---|")
        for r in rows.values():
            print(f"| {r['id']} | {r['area']} | {r['status']} | {r['tests'].replace(',', ', ')} | "
                  f"{r.get('functions', '').replace(',', ', ')} |")
    else:
        for r in rows.values():
            print(f"{r['id']:<24} {r['area']:<10} {r['status']:<18} {r['tests'] or r.get('detail', '')}")
    killed = sum(1 for r in rows.values() if is_killed(r["status"]))
    print(f"\nmutation score: {killed}/{len(rows)}")


def compare(a_path, b_path, markdown):
    a, b = read_results(a_path), read_results(b_path)
    ids = list(a) + [i for i in b if i not in a]
    if markdown:
        print(f"| id | area | {os.path.basename(a_path)} | killed by | {os.path.basename(b_path)} | killed by |")
        print("|---|---|---|---|---|---|")
        for i in ids:
            ra, rb = a.get(i, {}), b.get(i, {})
            print(f"| {i} | {ra.get('area') or rb.get('area', '')} | {ra.get('status', '-')} | "
                  f"{ra.get('tests', '')} | {rb.get('status', '-')} | {rb.get('tests', '')} |")
        print()
    lost = [i for i in a if is_killed(a[i]["status"]) and not is_killed(b.get(i, {}).get("status", ""))]
    for label, rows in ((a_path, a), (b_path, b)):
        k = sum(1 for r in rows.values() if is_killed(r["status"]))
        print(f"{label}: mutation score: {k}/{len(rows)}")
    print(f"killed in {a_path} but not in {b_path}: {len(lost)}")
    for i in lost:
        rb = b.get(i, {})
        print(f"  {i}\t{a[i]['area']}\tnow {rb.get('status', 'not run')}\tkilled before by {a[i]['tests']}"
              f"\t{a[i].get('functions', '')}")
    return 1 if lost else 0


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--rev", default="HEAD", help="revision to test (default HEAD of --repo)")
    p.add_argument("--repo", default=None, help="git repository (default: the one around the current folder)")
    p.add_argument("--mutants", default=os.path.join(HERE, "mutants.txt"))
    p.add_argument("--work", default=os.environ.get("MUTATION_WORK", "/work/mutation-scratch"),
                   help="scratch folder: tree/ and build/ are kept between runs for incremental builds")
    p.add_argument("--only", default="", help="comma-separated mutant ids")
    p.add_argument("--area", default="", help="comma-separated areas")
    p.add_argument("-j", "--jobs", type=int, default=2, help="build and ctest jobs")
    p.add_argument("--results", default="", help="write a TSV of the results here")
    p.add_argument("--timeout", type=int, default=0,
                   help="seconds for one mutant's test run (default: 4 x the clean run, at least 120)")
    p.add_argument("--test-timeout", type=int, default=90, help="seconds for one test program")
    p.add_argument("--build-timeout", type=int, default=1800)
    p.add_argument("--quick-from", metavar="A.tsv",
                   help="run first only the tests that killed each mutant in run A; when they "
                        "still kill it, the rest is not run (faster; lists only those tests)")
    p.add_argument("--no-confirm", dest="confirm", action="store_false",
                   help="do not run failing tests a second time (by default a mutant counts as "
                        "killed only by tests that fail twice; once only: status 'flaky')")
    p.add_argument("--list", action="store_true", help="list the selected mutants and stop")
    p.add_argument("--check", action="store_true",
                   help="only check that each selected snippet occurs exactly once at --rev")
    p.add_argument("--compare", nargs=2, metavar=("A.tsv", "B.tsv"),
                   help="list the mutants killed in run A but not in run B")
    p.add_argument("--show", metavar="A.tsv", help="print the table of a results file")
    p.add_argument("--markdown", action="store_true",
                   help="with --show or --compare: Markdown tables (--compare: side by side)")
    args = p.parse_args()

    if args.compare:
        sys.exit(compare(*args.compare, args.markdown))
    if args.show:
        show(args.show, args.markdown)
        return

    mutants = parse_mutants(args.mutants)
    if args.only:
        wanted = [s.strip() for s in args.only.split(",") if s.strip()]
        unknown = [i for i in wanted if i not in {m.id for m in mutants}]
        if unknown:
            sys.exit(f"unknown mutant ids: {', '.join(unknown)}")
        mutants = [m for m in mutants if m.id in wanted]
    if args.area:
        areas = {a.strip() for a in args.area.split(",")}
        mutants = [m for m in mutants if m.area in areas]
    if args.list:
        for m in mutants:
            print(f"{m.id}\t{m.area}\t{m.file}\t{m.models}")
        return

    repo = args.repo or run(["git", "rev-parse", "--show-toplevel"]).stdout.strip()
    rev = run(["git", "-C", repo, "rev-parse", args.rev]).stdout.strip()
    if not re.fullmatch(r"[0-9a-f]{40}", rev):
        sys.exit(f"unknown revision {args.rev}")
    tree, build_dir = os.path.join(args.work, "tree"), os.path.join(args.work, "build")
    os.makedirs(tree, exist_ok=True)
    # Two runs in one scratch folder would build each other's mutants.
    lock = open(os.path.join(args.work, "lock"), "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        sys.exit(f"another run is using {args.work}; give this one another --work")
    changed = sync_tree(repo, rev, tree)
    print(f"revision {rev[:12]} in {tree} ({changed} files changed since the last run)", flush=True)

    if args.check:
        bad = 0
        for m in mutants:
            original, why = locate(tree, m)
            if original is None:
                bad += 1
                print(f"{m.id}\tnot applied: {why}")
        print(f"{len(mutants) - bad}/{len(mutants)} snippets apply")
        sys.exit(1 if bad else 0)

    configure(tree, build_dir)
    t0 = time.monotonic()
    ok, log = build(build_dir, args.jobs, args.build_timeout)
    if not ok:
        print(log[-5000:])
        sys.exit("the unmutated revision does not build")
    failed, _, clean_seconds, log = run_tests(build_dir, args.jobs, 3600, args.test_timeout)
    if failed:
        print(log[-5000:])
        sys.exit(f"the unmutated revision fails tests: {', '.join(failed)}")
    timeout = args.timeout or max(120, int(4 * clean_seconds))
    print(f"clean build and tests: {time.monotonic() - t0:.0f} s (tests {clean_seconds:.1f} s); "
          f"test timeout per mutant {timeout} s", flush=True)

    # Quick re-runs: first only the test programs that killed each mutant in an earlier run.
    killers = {}
    if args.quick_from:
        for i, r in read_results(args.quick_from).items():
            names = [t.split("[")[0] for t in r["tests"].split(",") if t and not t.startswith("<")]
            if is_killed(r["status"]) and names:
                killers[i] = names

    out = open(args.results, "w", encoding="utf-8") if args.results else None
    if out:
        out.write("\t".join(RESULT_COLUMNS) + "\n")
        out.flush()
    rows = []
    print(f"{'id':<22} {'area':<10} {'status':<18} {'s':>5}  tests", flush=True)
    for m in mutants:
        start = time.monotonic()
        tests, functions, detail, quick = {}, [], "", False
        original, why = apply(tree, m)
        if original is None:
            status, detail = "not-applied", why
        else:
            try:
                ok, log = build(build_dir, args.jobs, args.build_timeout)
                if not ok:
                    status = "build-failed"
                    errors = [l for l in log.splitlines() if "error" in l]
                    detail = (errors[0] if errors else log.splitlines()[-1:] or [""])[0][:200]
                else:
                    tests = {}
                    first = killers.get(m.id, [])
                    if first:
                        tests, functions, _, _ = run_tests(build_dir, args.jobs, timeout,
                                                           args.test_timeout, first)
                        quick = bool(tests)
                    if not tests:
                        tests, functions, _, _ = run_tests(build_dir, args.jobs, timeout,
                                                           args.test_timeout)
                    flaky = {}
                    if tests and args.confirm and "<whole run>" not in tests:
                        # A test that fails by chance (timing, load) must not pass for a kill:
                        # the failing programs run again and only those failing twice count.
                        again, _, _, _ = run_tests(build_dir, args.jobs, timeout,
                                                   args.test_timeout, list(tests))
                        flaky = {t: r for t, r in tests.items() if t not in again}
                        tests = {t: r for t, r in tests.items() if t in again}
                        functions = [f for f in functions if f.split(":")[0] in tests]
                        if flaky:
                            detail = "failed once, passed again: " + ",".join(flaky)
                    if not tests:
                        status = "flaky" if flaky else "survived"
                    elif any(r == "Timeout" for r in tests.values()):
                        status = "killed (timeout)"
                    else:
                        status = "killed"
            finally:
                restore(tree, m, original)
        seconds = time.monotonic() - start
        names = ",".join(f"{t}" if r == "Failed" else f"{t}[{r}]" for t, r in tests.items())
        if quick:
            detail = "; ".join(d for d in (detail, "only the tests that killed it before were run") if d)
        row = {"id": m.id, "area": m.area, "status": status, "seconds": f"{seconds:.0f}",
               "tests": names, "functions": ",".join(functions), "detail": detail.replace("\t", " ")}
        rows.append(row)
        print(f"{m.id:<22} {m.area:<10} {status:<18} {seconds:>5.0f}  {names or detail}", flush=True)
        if out:
            out.write("\t".join(row[c] for c in RESULT_COLUMNS) + "\n")
            out.flush()

    killed = sum(1 for r in rows if is_killed(r["status"]))
    timed = [float(r["seconds"]) for r in rows if r["status"] not in ("not-applied",)]
    if timed:
        print(f"time per mutant: {sum(timed) / len(timed):.0f} s on average, {max(timed):.0f} s at most")
    counts = {}
    for r in rows:
        counts[r["status"]] = counts.get(r["status"], 0) + 1
    print("; ".join(f"{k}: {v}" for k, v in sorted(counts.items())))
    print(f"mutation score: {killed}/{len(rows)}")
    # Leave the build matching the unmutated tree, so the next run starts from a clean state.
    if out:
        out.close()


if __name__ == "__main__":
    main()
