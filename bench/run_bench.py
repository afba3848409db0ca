#!/usr/bin/python3
"""Times velloran-dedupe against common line-deduplicating one-liners.

Usage: bench/run_bench.py [--driver PATH] [--runs N] [--quick] [--only TEXT]
           [--bounded GB] [--data DIR]
           [--driver32 PATH [--driver64 PATH] [--runner CMD] [--runner64 CMD]]

Generates deterministic corpora into bench/out/ (kept between runs), checks
every program's output against a simple reference, then times each program
(best of N runs, wall clock) with its peak memory (maximum resident set
size, as /usr/bin/time -v reports it), and prints each time as a ratio to
the driver's, followed by the targets and whether they are met. Needs mawk,
gawk, perl and coreutils sort.

With --bounded, it also builds a file of about GB gigabytes in DIR (2M
lines with about half repeats, copied with a different prefix per copy) and
times the driver's bounded path (a budget of 256 MiB from 1.5 GB on, else an
eighth of the file) against `LC_ALL=C sort -u -S <budget>`, checking its
output against the in-memory path's. With --driver32, it also times a 32-bit
driver against its 64-bit twin on a file of --twin-gb gigabytes, both
started through --runner (wine for the Windows programs; --runner64, when
given, starts the 64-bit twin instead), and checks that they write the
same. It ends with the three ratios: in memory against perl, bounded
against sort, 32-bit against 64-bit.
"""

import argparse
import contextlib
import os
import random
import re
import shutil
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
OUT = HERE / "out"
GENERATOR_VERSION = 2

WORDS = (b"alpha bravo charlie delta echo foxtrot golf hotel india juliett kilo lima "
         b"mike november oscar papa quebec romeo sierra tango uniform victor whiskey "
         b"xray yankee zulu north south east west red green blue amber violet").split()


# ---------------------------------------------------------------- corpora

def record(rng, number):
    """One distinct line of about 43 bytes; `number` makes it unique."""
    return b"%09d,%s,%s,%s,%08x,%04d" % (number, rng.choice(WORDS), rng.choice(WORDS),
                                        rng.choice(WORDS), rng.getrandbits(32),
                                        rng.randrange(10000))


def with_repeats(rng, lines, make_value):
    """`lines` lines, about half of them repeats of an earlier line; new lines
    come from make_value(number of distinct lines so far)."""
    values = []
    out = []
    for _ in range(lines):
        if values and rng.random() < 0.5:
            out.append(values[rng.randrange(len(values))])
        else:
            value = make_value(len(values))
            values.append(value)
            out.append(value)
    return out


def half_repeats(rng, lines):
    """`lines` lines, about half of them repeats of an earlier line."""
    return with_repeats(rng, lines, lambda number: record(rng, number))


def distinct(rng, lines):
    order = list(range(lines))
    rng.shuffle(order)
    return [record(rng, n) for n in order]


def few_values(rng, lines, value_count):
    values = [record(rng, n) + b"," + rng.choice(WORDS) for n in range(value_count)]
    return [values[rng.randrange(value_count)] for _ in range(lines)]


def long_lines(rng, lines):
    """Lines of 1 to 4 KB, about half of them repeats."""
    blob = bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz ,.;0123456789ABCDEF")
                 for _ in range(1 << 16))

    def slice_of_blob(number):
        length = rng.randrange(1024, 4097)
        start = rng.randrange(len(blob) - length)
        return (b"%08d " % number) + blob[start:start + length - 9]

    return with_repeats(rng, lines, slice_of_blob)


def debian_text(limit_bytes):
    """Text files that ship with Debian, whole files in a fixed order."""
    roots = [Path("/usr/share/common-licenses"), Path("/usr/share/doc"),
             Path("/usr/share/perl/5.36"), Path("/usr/lib/python3.11"), Path("/usr/include")]
    suffixes = {"", ".txt", ".pod", ".pm", ".py", ".h", ".hpp", ".md", ".rst"}
    chunks = []
    total = 0
    for root in roots:
        if not root.is_dir():
            continue
        for path in sorted(root.rglob("*")):
            if total >= limit_bytes:
                break
            if path.is_symlink() or not path.is_file() or path.suffix not in suffixes:
                continue
            data = path.read_bytes()
            if b"\0" in data or data.startswith((b"\xef\xbb\xbf", b"\xff\xfe", b"\xfe\xff")):
                continue
            if data and not data.endswith(b"\n"):
                data += b"\n"
            chunks.append(data)
            total += len(data)
    return b"".join(chunks)


def write_corpus(name, make):
    path = OUT / f"{name}.v{GENERATOR_VERSION}.txt"
    if not path.exists():
        print(f"generating {path.name} ...", flush=True)
        data = make()
        if isinstance(data, list):
            data = b"\n".join(data) + b"\n"
        tmp = path.with_suffix(".part")
        tmp.write_bytes(data)
        tmp.rename(path)
    return path


def corpora(quick):
    scale = 10 if quick else 1
    rng = lambda seed: random.Random(seed)
    main = {
        "2M half repeats": write_corpus(
            f"half_{2_000_000 // scale}", lambda: half_repeats(rng(1), 2_000_000 // scale)),
        "2M distinct": write_corpus(
            f"distinct_{2_000_000 // scale}", lambda: distinct(rng(2), 2_000_000 // scale)),
        "5M of 1,000 values": write_corpus(
            f"values_{5_000_000 // scale}", lambda: few_values(rng(3), 5_000_000 // scale, 1000)),
        "200k lines 1-4 KB": write_corpus(
            f"long_{200_000 // scale}", lambda: long_lines(rng(4), 200_000 // scale)),
        "Debian text": write_corpus(
            f"debian_{100 // scale}MB", lambda: debian_text((100 << 20) // scale)),
    }
    scaling = {}
    for lines in (500_000, 1_000_000, 2_000_000, 4_000_000, 8_000_000):
        lines //= scale
        scaling[lines] = write_corpus(f"half_{lines}", lambda n=lines: half_repeats(rng(1), n))
    return main, scaling


# ---------------------------------------------------------------- references

def peer_lines(data):
    lines = data.split(b"\n")
    if lines and lines[-1] == b"":
        lines.pop()
    return lines


def reference_first_occurrences(data):
    seen = set()
    out = []
    for line in peer_lines(data):
        if line not in seen:
            seen.add(line)
            out.append(line + b"\n")
    return b"".join(out)


def reference_sorted(data):
    return b"".join(line + b"\n" for line in sorted(set(peer_lines(data))))


def reference_driver(data):
    """The driver's rules: CR LF, LF, lone CR end lines; empty lines dropped;
    repeats dropped; a lone space written empty; CR LF after each line.
    None when the file holds no repeat (nothing is written)."""
    items = re.split(rb"\r\n|\n|\r", data)
    if data.endswith((b"\n", b"\r")) or not data:
        items.pop()
    seen = set()
    out = []
    found = False
    for item in items:
        if not item:
            continue
        if item in seen:
            found = True
            continue
        seen.add(item)
        out.append((b"" if item == b" " else item) + b"\r\n")
    return b"".join(out) if found else None


# ---------------------------------------------------------------- running

PYTHON_PEER = ("import sys; "
               "sys.stdout.buffer.writelines(dict.fromkeys(sys.stdin.buffer))")


def programs(driver):
    """name, argv (with {IN}/{OUT} for file arguments, else stdin/stdout), env, reference"""
    c_locale = dict(os.environ, LC_ALL="C")
    return [
        ("velloran-dedupe", [str(driver), "{IN}", "{OUT}"], None, reference_driver),
        ("mawk", ["mawk", "!s[$0]++"], None, reference_first_occurrences),
        ("gawk", ["gawk", "!s[$0]++"], None, reference_first_occurrences),
        ("perl", ["perl", "-ne", "print unless $s{$_}++"], None, reference_first_occurrences),
        ("python dict", ["/usr/bin/python3", "-c", PYTHON_PEER], None,
         reference_first_occurrences),
        ("sort -u", ["sort", "-u"], c_locale, reference_sorted),
    ]


ORDER_PRESERVING = {"mawk", "gawk", "perl", "python dict"}


def run_once(argv, env, source, target, memory=False):
    """Runs one program; returns (seconds, peak KiB or None, exit code).

    Timed runs start the program directly, with nothing else in the timed
    path. With `memory`, it runs under /usr/bin/time for its peak resident
    memory instead (a process started straight from this script would count
    the script's own memory as its peak)."""
    uses_files = "{IN}" in argv
    argv = [a.replace("{IN}", str(source)).replace("{OUT}", str(target)) for a in argv]
    memory_log = OUT / "peak.txt"
    if memory:
        argv = ["/usr/bin/time", "-f", "%M", "-o", str(memory_log)] + argv
    program = shutil.which(argv[0])
    actions = []
    with contextlib.ExitStack() as stack:
        if not uses_files:
            stdin = stack.enter_context(open(source, "rb"))
            stdout = stack.enter_context(open(target, "wb"))
            actions = [(os.POSIX_SPAWN_DUP2, stdin.fileno(), 0),
                       (os.POSIX_SPAWN_DUP2, stdout.fileno(), 1)]
        else:
            devnull = stack.enter_context(open(os.devnull, "wb"))
            actions = [(os.POSIX_SPAWN_DUP2, devnull.fileno(), 1)]
        start = time.perf_counter()
        pid = os.posix_spawn(program, argv, os.environ if env is None else env,
                             file_actions=actions)
        _, status = os.waitpid(pid, 0)
        seconds = time.perf_counter() - start
    peak = int(memory_log.read_text().split()[-1]) if memory else None
    return seconds, peak, os.waitstatus_to_exitcode(status)


def check(name, argv, env, reference, source, data):
    """Checks the output against the reference; returns the peak memory."""
    target = OUT / "result.txt"
    if target.exists():
        target.unlink()
    _, peak, code = run_once(argv, env, source, target, memory=True)
    expected = reference(data)
    if expected is None:  # the driver: no repeats, nothing written
        ok = code == 3 and not target.exists()
    else:
        ok = code == 0 and target.read_bytes() == expected
    if not ok:
        sys.exit(f"{name} gave a wrong result on {source.name} (exit {code})")
    return peak


def measure(name, argv, env, source, runs):
    """Best wall time of `runs` runs (at least 5 for the driver, whose runs
    are short and so most disturbed by other work on the machine)."""
    target = OUT / "result.txt"
    best = None
    if name == "velloran-dedupe":
        runs = max(runs, 5)
    for _ in range(runs):
        seconds, _, _ = run_once(argv, env, source, target)
        best = seconds if best is None else min(best, seconds)
    return best


# ---------------------------------------------------------------- bounded path

def large_corpus(data_dir, gigabytes):
    """About `gigabytes` GB: copies of the 2M half-repeats corpus, each line
    prefixed with its copy's number, so copies share no line."""
    base = write_corpus("half_2000000", lambda: half_repeats(random.Random(1), 2_000_000))
    data = base.read_bytes()
    copies = max(1, round(gigabytes * 1e9 / len(data)))
    path = Path(data_dir) / f"half_x{copies}.v{GENERATOR_VERSION}.txt"
    if not path.exists():
        print(f"generating {path} ...", flush=True)
        tmp = path.with_suffix(".part")
        with open(tmp, "wb") as out:
            for copy in range(copies):
                prefix = b"%d:" % copy
                out.write(prefix + data[:-1].replace(b"\n", b"\n" + prefix) + b"\n")
        tmp.rename(path)
    return path


def timed(argv, env=None, stdin=None, stdout=None):
    """Seconds and peak KiB of one run under /usr/bin/time; exits on failure."""
    log = OUT / "peak.txt"
    start = time.perf_counter()
    with contextlib.ExitStack() as stack:
        inp = stack.enter_context(open(stdin, "rb")) if stdin else None
        out = stack.enter_context(open(stdout, "wb")) if stdout else None
        code = os.waitstatus_to_exitcode(os.waitpid(os.posix_spawn(
            "/usr/bin/time", ["/usr/bin/time", "-f", "%M", "-o", str(log)] + argv,
            os.environ if env is None else env,
            file_actions=[a for a in [(os.POSIX_SPAWN_DUP2, inp.fileno(), 0) if inp else None,
                                      (os.POSIX_SPAWN_DUP2, out.fileno(), 1) if out else None]
                          if a]), 0)[1])
    seconds = time.perf_counter() - start
    if code not in (0, 3):
        sys.exit(f"{argv[0]} failed (exit {code})")
    return seconds, int(log.read_text().split()[-1])


def same_files(a, b):
    with open(a, "rb") as x, open(b, "rb") as y:
        while True:
            left, right = x.read(1 << 24), y.read(1 << 24)
            if left != right:
                return False
            if not left:
                return True


def bounded(driver, gigabytes, data_dir):
    """Times the bounded path against sort -u on a large file; returns
    (sort seconds / bounded seconds, bounded peak / budget)."""
    source = large_corpus(data_dir, gigabytes)
    size = source.stat().st_size
    budget = size // 8 if gigabytes < 1.5 else 256 << 20
    data = Path(data_dir)
    print(f"\nbounded path: {source.name}, {size / 1e9:.2f} GB, budget {budget >> 20} MiB",
          flush=True)
    whole = data / "out-in-memory.txt"
    part = data / "out-bounded.txt"
    rows = {}
    rows["velloran-dedupe (in memory)"] = timed([str(driver), str(source), str(whole)])
    rows["velloran-dedupe (bounded)"] = timed(
        [str(driver), f"--memory-budget={budget}", str(source), str(part)])
    if not same_files(whole, part):
        sys.exit("the bounded path wrote a different output")
    part.unlink()
    whole.unlink()
    sort_env = dict(os.environ, LC_ALL="C")
    rows["sort -u -S budget"] = timed(
        ["sort", "-u", "-S", f"{budget >> 10}K", "-T", str(data)], sort_env, source,
        data / "out-sort.txt")
    (data / "out-sort.txt").unlink()
    base = rows["velloran-dedupe (bounded)"][0]
    print(f"  {'program':28} {'seconds':>8} {'x bounded':>9} {'MB/s':>7} {'peak MB':>8} "
          f"{'peak/budget':>11}")
    for name, (seconds, peak) in rows.items():
        print(f"  {name:28} {seconds:8.1f} {seconds / base:9.2f} {size / 1e6 / seconds:7.0f} "
              f"{peak / 1024:8.0f} {peak * 1024 / budget:11.2f}")
    seconds, peak = rows["velloran-dedupe (bounded)"]
    return rows["sort -u -S budget"][0] / seconds, peak * 1024 / budget


def twins(driver32, driver64, runner32, runner64, gigabytes, data_dir):
    """Times a 32-bit driver against its 64-bit twin (started through
    `runner32` and `runner64`, such as wine for both) on the same file,
    alternating, best of 3 each; returns the 32-bit time over the 64-bit
    time."""
    source = large_corpus(data_dir, gigabytes)
    data = Path(data_dir)
    print(f"\n32-bit against 64-bit: {source.name}, {source.stat().st_size / 1e6:.0f} MB",
          flush=True)
    outputs = {}
    best = {}
    for _ in range(3):
        for name, exe, runner in (("32-bit", driver32, runner32), ("64-bit", driver64, runner64)):
            out = data / f"out-{name}.txt"
            seconds, _ = timed(runner.split() + [str(exe), str(source), str(out)])
            best[name] = min(best.get(name, seconds), seconds)
            outputs[name] = out
    if not same_files(outputs["32-bit"], outputs["64-bit"]):
        sys.exit("the 32-bit driver wrote a different output")
    for out in outputs.values():
        out.unlink()
    for name, seconds in best.items():
        print(f"  {name:8} {seconds:8.2f} s")
    return best["32-bit"] / best["64-bit"]


# ---------------------------------------------------------------- report

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--driver", default=None, help="path of velloran-dedupe")
    parser.add_argument("--runs", type=int, default=3, help="timed runs per program")
    parser.add_argument("--quick", action="store_true", help="corpora a tenth the size")
    parser.add_argument("--only", default=None,
                        help="time only the corpora whose name contains this text, "
                             "and skip the time-per-line series")
    parser.add_argument("--bounded", type=float, metavar="GB", default=None,
                        help="also time the bounded path on a file of about GB gigabytes "
                             "(a 256 MiB budget from 1.5 GB on, else an eighth of the file)")
    parser.add_argument("--data", default=str(OUT), help="folder for the large files")
    parser.add_argument("--driver32", default=None,
                        help="also time this 32-bit velloran-dedupe against --driver64")
    parser.add_argument("--driver64", default=None,
                        help="the 64-bit twin of --driver32 (default: the driver)")
    parser.add_argument("--runner", default="",
                        help="what starts both twins, such as wine (default: nothing)")
    parser.add_argument("--runner64", default=None,
                        help="what starts the 64-bit twin, when not --runner")
    parser.add_argument("--twin-gb", type=float, default=0.35,
                        help="size of the file the twins are timed on")
    args = parser.parse_args()

    driver = Path(args.driver) if args.driver else None
    if driver is None:
        for build in ("build/bench", "build/release"):
            candidate = HERE.parent / build / "bin" / "velloran-dedupe"
            if candidate.exists():
                driver = candidate
                break
    if driver is None or not driver.exists():
        sys.exit("velloran-dedupe not found; build it (cmake --preset bench) or pass --driver")

    OUT.mkdir(exist_ok=True)
    main_corpora, scaling = corpora(args.quick)
    table = {}
    for corpus, source in main_corpora.items():
        if args.only is not None and args.only not in corpus:
            continue
        data = source.read_bytes()
        line_count = data.count(b"\n")
        print(f"\n{corpus}: {source.name}, {len(data) / 1e6:.1f} MB, {line_count} lines",
              flush=True)
        rows = {}
        for name, argv, env, reference in programs(driver):
            peak = check(name, argv, env, reference, source, data)
            rows[name] = (measure(name, argv, env, source, args.runs), peak)
        base = rows["velloran-dedupe"][0]
        print(f"  {'program':16} {'seconds':>8} {'x driver':>9} {'MB/s':>7} {'peak MB':>8} "
              f"{'peak/input':>10}")
        for name, (seconds, peak) in rows.items():
            print(f"  {name:16} {seconds:8.3f} {seconds / base:9.1f} "
                  f"{len(data) / 1e6 / seconds:7.0f} {peak / 1024:8.1f} "
                  f"{peak * 1024 / len(data):10.2f}")
        table[corpus] = (len(data), rows)
        del data

    ratios = {}
    if args.bounded is not None:
        ratios["bounded"] = bounded(driver, args.bounded, args.data)
    if args.driver32:
        runner64 = args.runner if args.runner64 is None else args.runner64
        ratios["32-bit"] = twins(args.driver32, args.driver64 or driver, args.runner, runner64,
                                 args.twin_gb, args.data)
    if args.only is not None:
        return 0 if all(ratio_report(table, ratios)) else 1

    print("\nTime per line of the driver (half repeats):")
    per_line = {}
    for lines, source in scaling.items():
        seconds = measure("velloran-dedupe", programs(driver)[0][1], None, source, args.runs)
        per_line[lines] = seconds / lines * 1e9
        print(f"  {lines:>9} lines {seconds:7.3f} s {per_line[lines]:6.1f} ns/line")

    print("\nTargets:")
    verdicts = []

    def verdict(text, ok):
        verdicts.append(ok)
        print(f"  [{'met ' if ok else 'MISS'}] {text}")

    for corpus in ("2M half repeats", "2M distinct"):
        size, rows = table[corpus]
        base = rows["velloran-dedupe"][0]
        fastest = min(rows[n][0] for n in ORDER_PRESERVING)
        verdict(f"{corpus}: {fastest / base:.1f}x faster than the fastest order-preserving "
                f"peer (>= 10x)", fastest / base >= 10)
        verdict(f"{corpus}: {size / 1e6 / base:.0f} MB/s (> 400)", size / 1e6 / base > 400)
    for corpus in ("5M of 1,000 values", "200k lines 1-4 KB"):
        _, rows = table[corpus]
        base = rows["velloran-dedupe"][0]
        fastest = min(t for n, (t, _) in rows.items() if n != "velloran-dedupe")
        verdict(f"{corpus}: {fastest / base:.1f}x faster than the fastest peer (>= 2x)",
                fastest / base >= 2)
    spread = max(per_line.values()) / min(per_line.values())
    verdict(f"time per line from {min(per_line)} to {max(per_line)} lines within "
            f"{spread:.2f}x (<= 1.5x)", spread <= 1.5)
    size, rows = table["2M distinct"]
    ratio = rows["velloran-dedupe"][1] * 1024 / size
    verdict(f"peak memory on 2M distinct lines {ratio:.2f}x the input (<= 2.5x)", ratio <= 2.5)
    # The three ratios are printed whatever the targets above showed.
    ratios_met = ratio_report(table, ratios)
    return 0 if all(verdicts) and all(ratios_met) else 1


def ratio_report(table, ratios):
    """Prints the three headline ratios that were measured; returns whether
    each meets its goal."""
    print("\nThe three ratios:")
    results = []

    def line(text, ok):
        results.append(ok)
        print(f"  [{'met ' if ok else 'MISS'}] {text}")

    if "2M half repeats" in table:
        size, rows = table["2M half repeats"]
        times = rows["perl"][0] / rows["velloran-dedupe"][0]
        peak = rows["velloran-dedupe"][1] * 1024 / size
        line(f"in memory: {times:.1f}x perl on {size / 1e6:.0f} MB of half repeats (>= 15x)",
             times >= 15)
        line(f"in memory: peak {peak:.2f}x the file (<= 1.5x)", peak <= 1.5)
    if "bounded" in ratios:
        times, peak = ratios["bounded"]
        line(f"bounded: {times:.1f}x LC_ALL=C sort -u -S budget (>= 5x)", times >= 5)
        line(f"bounded: peak {peak:.2f}x the budget (<= 1.25x)", peak <= 1.25)
    if "32-bit" in ratios:
        line(f"32-bit: {ratios['32-bit']:.2f}x the 64-bit twin's time (<= 1.3x)",
             ratios["32-bit"] <= 1.3)
    return results


if __name__ == "__main__":
    sys.exit(main())
