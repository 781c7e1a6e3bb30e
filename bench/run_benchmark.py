#!/usr/bin/env python3
"""Builds grapho in Release and measures it against copying the file.

Three inputs: a page of real Greek (Iliad Book 1, bench/iliad-1.txt, each
verse a paragraph with its Greek between dollar signs, repeated to the size
asked for), the generated Greek-heavy input of grapho_make_input, and the same
page as plain HTML without any run. For each it prints the instructions
executed per input byte (counted by callgrind, the same on every run), and the
medians of grapho's CPU time (user + system, and system alone) and wall time
against the floor: `cat` reading the input and copying an output of the same
size; the floor's time is almost all the kernel's. Then ungrapho reading the
real text's output back into typing, side by side with grapho making it, and
the peak memory of both at two input sizes. Last, graphocheck on the three real
texts (the Iliad, Plato's Apology, the Gospels), each repeated to the same size:
the check of the typed text and, with --text, of the same text in Unicode,
against grapho converting the typed text. A measurement, never a test: it
prints figures and fails only when a step cannot run.

With --baseline, a second grapho (another build, say of an earlier commit) is
measured in the same runs, taking its turn after this one in every round, so
that both meet the same load; its figures are printed beside. On the real
text, this build runs a third time on one processor (taskset -c 0), where it
writes without its writing thread: what the thread gains in wall time and
costs in CPU time.

Each timed command replaces the file it wrote the run before, as a user
converting again would, and starts after the data written so far has reached
the disk, so that neither pays for the write-back of what the other wrote.

    python3 bench/run_benchmark.py [--size-mib 64] [--runs 11] [--cmake-option ...]
                                   [--baseline path/to/other/grapho]
                                   [--check-baseline path/to/other/graphocheck]
                                   [--work-dir DIR] [--checks-only]
                                   [--check-sizes MIB [MIB ...]]

--work-dir puts the inputs and outputs in DIR (a tmpfs, say) rather than in
the system's folder for temporary files; --checks-only measures graphocheck
alone; --check-sizes measures it on each text repeated to each size in turn,
0 for the text once (a run on less than 2 MiB is repeated to that).
"""
import argparse
import filecmp
import html
import os
import re
import resource
import shutil
import statistics
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MIB = 1 << 20


def build(options):
    build_dir = os.path.join(ROOT, "build-bench")
    subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
                    "-DGRAPHO_BUILD_TESTS=OFF", "-DGRAPHO_SIMD=ON", *options], check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "-j2", "--target", "grapho", "ungrapho",
                    "graphocheck", "grapho_make_input"], check=True, stdout=subprocess.DEVNULL)
    return (os.path.join(build_dir, "grapho"), os.path.join(build_dir, "ungrapho"),
            os.path.join(build_dir, "graphocheck"), os.path.join(build_dir, "grapho_make_input"))


def page_of_verses(with_runs):
    with open(os.path.join(ROOT, "bench", "iliad-1.txt"), "rb") as text:
        verses = text.read().splitlines()
    if with_runs:
        return b"".join(b"<p>$" + verse + b"$</p>\n" for verse in verses)
    return b"".join(b"<p>" + verse + b"</p>\n" for verse in verses)


def write_repeated(page, path, size):
    """Writes whole copies of `page`, then as much of it as makes up `size` bytes."""
    with open(path, "wb") as out:
        for _ in range(size // len(page)):
            out.write(page)
        out.write(page[:size % len(page)])


def make_inputs(generator, work, size):
    inputs = {}
    for name, page in (("real", page_of_verses(True)), ("plain", page_of_verses(False))):
        inputs[name] = os.path.join(work, f"{name}.txt")
        write_repeated(page, inputs[name], size)
    inputs["generated"] = os.path.join(work, "generated.txt")
    with open(inputs["generated"], "wb") as out:
        subprocess.run([generator, str(size)], check=True, stdout=out)
    return inputs


def timed(command, check=True, **options):
    """Runs a command after a sync; returns its wall time, then its user and
    system CPU time (of all its processes), in seconds. Unless `check` is
    false, it must exit with status 0."""
    os.sync()
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(command, check=check, stdin=subprocess.DEVNULL, **options)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return wall, after.ru_utime - before.ru_utime, after.ru_stime - before.ru_stime


def run_grapho(command, path):
    return timed([*command, path], stderr=subprocess.DEVNULL)


def run_floor(input_path, output_path, copy_path):
    return timed(f"cat '{input_path}' >/dev/null; cat '{output_path}' > '{copy_path}'",
                 shell=True)


def instructions(command, path):
    """Instructions executed converting `path`, as callgrind counts them."""
    result = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null",
                             *command, path], stdin=subprocess.DEVNULL, capture_output=True,
                            text=True)
    return int(re.search(r"refs:\s+([\d,]+)", result.stderr).group(1).replace(",", ""))


def instructions_per_byte(command, path, work):
    """Per input byte, over the first 4 MiB of `path`, start-up subtracted."""
    small = os.path.join(work, "small.txt")
    empty = os.path.join(work, "empty.txt")
    with open(path, "rb") as source, open(small, "wb") as out:
        out.write(source.read(4 * MIB))
    open(empty, "wb").close()
    return (instructions(command, small) - instructions(command, empty)) / (4 * MIB)


def peak_memory(command, path, **options):
    """Peak resident memory of `command` run on `path`, in KiB, as GNU time reports it
    (a child forked from this script would count the script's own memory too)."""
    report = path + ".memory"
    subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report, *command, path],
                   stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, **options)
    with open(report) as kib:
        return int(kib.read().split()[-1])


def memcpy_seconds(size):
    """The least time of a few memcpy calls of `size` bytes between two buffers
    already in memory: the speed plain HTML, copied in one piece, can reach."""
    source, target = bytearray(size), bytearray(size)
    times = []
    for _ in range(5):
        start = time.perf_counter()
        target[:] = source
        times.append(time.perf_counter() - start)
    return min(times)


def spread(values, digits=2):
    return (f"median {statistics.median(values):.{digits}f} "
            f"(min {min(values):.{digits}f}, max {max(values):.{digits}f})")


def measure(programs, work, name, source, runs):
    """Measures each of `programs` (label: command) on `source`, in alternating runs;
    the instructions of those that do not start with taskset."""
    output = source[:-4] + ".html"
    copy = os.path.join(work, "copy.html")
    for command in programs.values():
        run_grapho(command, source)  # warm the page cache and make the output
    run_floor(source, output, copy)
    figures = {label: {"cpu": [], "system": [], "wall": [], "walls": [], "users": []}
               for label in programs}
    for _ in range(runs):
        for label, command in programs.items():
            floor_wall, floor_user, floor_system = run_floor(source, output, copy)
            floor_cpu = floor_user + floor_system
            wall, user, system = run_grapho(command, source)
            seen = figures[label]
            seen["walls"].append(wall)
            seen["users"].append(user)
            seen["cpu"].append((user + system) / floor_cpu)
            seen["system"].append(system / floor_cpu)
            seen["wall"].append(wall / floor_wall)
    os.remove(copy)
    in_size, out_size = os.path.getsize(source), os.path.getsize(output)
    print(f"{name}: {in_size / MIB:.0f} MiB in, {out_size / MIB:.0f} MiB out")
    for label, command in programs.items():
        seen = figures[label]
        print(f"  {label}: {in_size / statistics.median(seen['walls']) / 1e6:.0f} MB/s of input")
        if shutil.which("valgrind") and command[0] != "taskset":
            print(f"    instructions: {instructions_per_byte(command, source, work):.2f} "
                  "per input byte")
        print(f"    CPU time to the floor's:  {spread(seen['cpu'])}")
        print(f"      of which system time:   {spread(seen['system'])}")
        print(f"    wall time to the floor's: {spread(seen['wall'])}")
        print(f"    user time, ms: {spread([user * 1e3 for user in seen['users']], 0)}")
    print(f"  a memcpy of the input: {memcpy_seconds(in_size) * 1e3:.0f} ms")
    os.remove(output)


def run_ungrapho(ungrapho, path, typed):
    with open(typed, "wb") as out:
        return timed([ungrapho, path], stdout=out)


def measure_untyping(grapho, ungrapho, work, source, runs):
    """grapho converting `source` and ungrapho reading its output back, in turn."""
    output = source[:-4] + ".html"
    typed = os.path.join(work, "typed.txt")
    run_grapho(grapho, source)
    run_ungrapho(ungrapho, output, typed)
    times = {"grapho": [], "ungrapho": []}
    for _ in range(runs):
        wall, user, system = run_grapho(grapho, source)
        times["grapho"].append((wall, user + system))
        wall, user, system = run_ungrapho(ungrapho, output, typed)
        times["ungrapho"].append((wall, user + system))
    in_size, out_size = os.path.getsize(output), os.path.getsize(typed)
    print(f"ungrapho: {in_size / MIB:.0f} MiB of grapho's output back into {out_size / MIB:.0f} "
          f"MiB of typing ({'the same' if filecmp.cmp(source, typed, shallow=False) else 'not the same'} "
          "as the source)")
    medians = {}
    for name, pairs in times.items():
        walls, cpus = [w for w, _ in pairs], [c for _, c in pairs]
        medians[name] = statistics.median(walls), statistics.median(cpus)
        print(f"  {name:8}  wall median {medians[name][0] * 1e3:.0f} ms (min {min(walls) * 1e3:.0f}), "
              f"CPU median {medians[name][1] * 1e3:.0f} ms (min {min(cpus) * 1e3:.0f})")
    print(f"  ungrapho to grapho: wall {medians['ungrapho'][0] / medians['grapho'][0]:.2f}, "
          f"CPU {medians['ungrapho'][1] / medians['grapho'][1]:.2f}")
    if shutil.which("valgrind"):
        print(f"  instructions: ungrapho {instructions_per_byte([ungrapho], output, work):.2f} per "
              "input byte")
    os.remove(typed)
    os.remove(output)


def real_texts(grapho, ungrapho, work):
    """The three real texts, each typed for grapho and in Unicode: the Iliad's page of
    verses, and its Unicode from grapho's references; Plato and the Gospels as they are
    bundled, in Unicode, and typed by ungrapho."""
    iliad = page_of_verses(True)
    path = os.path.join(work, "iliad-page.txt")
    with open(path, "wb") as page:
        page.write(iliad)
    run_grapho([grapho], path)
    with open(path[:-4] + ".html", encoding="utf-8") as converted:
        texts = {"Iliad 1": (iliad, html.unescape(converted.read()).encode())}
    os.remove(path)
    os.remove(path[:-4] + ".html")
    for name, file in (("Apology", "apology.txt"), ("Gospels", "sblgnt-gospels.txt")):
        unicode_path = os.path.join(ROOT, "bench", file)
        typed = subprocess.run([ungrapho, unicode_path], stdin=subprocess.DEVNULL,
                               capture_output=True, check=True).stdout
        with open(unicode_path, "rb") as text:
            texts[name] = (typed, text.read())
    return texts


def run_check(command, path):
    """grapho on `path`, or graphocheck, which exits with 1 when it finds something."""
    return timed([*command, path], check=False, stdout=subprocess.DEVNULL,
                 stderr=subprocess.DEVNULL)


def total_instructions(command, path, work):
    """Instructions of `command` on `path`, those of its start on an empty file subtracted."""
    empty = os.path.join(work, "empty.txt")
    open(empty, "wb").close()
    return instructions(command, path) - instructions(command, empty)


def measure_checks(grapho, ungrapho, checks, work, sizes, runs):
    """graphocheck on each real text repeated to each of `sizes` bytes typed (0: the text
    once), and with --text on the same copies of the text in Unicode, in turn with grapho
    converting the typed ones. A run on a small file is repeated until it has read 2 MiB,
    and its times are those of one run."""
    print(f"graphocheck: medians of {runs} alternating runs, each to grapho converting the "
          "same text typed")
    for name, (typed, unicode) in real_texts(grapho, ungrapho, work).items():
        paths = {"typed": os.path.join(work, "check-typed.txt"),
                 "unicode": os.path.join(work, "check-unicode.txt")}
        commands = {"grapho": ([grapho], "typed")}
        for label, graphocheck in checks.items():
            commands[f"graphocheck, {label}"] = ([graphocheck], "typed")
            commands[f"graphocheck --text, {label}"] = ([graphocheck, "--text"], "unicode")
        for size in sizes:
            copies = max(size // len(typed), 1)
            for kind, text in (("typed", typed), ("unicode", unicode)):
                with open(paths[kind], "wb") as out:
                    for _ in range(copies):
                        out.write(text)
            repeats = max(2 * MIB // (copies * len(typed)), 1)
            for command, kind in commands.values():  # warm the page cache
                run_check(command, paths[kind])
            times = {label: [] for label in commands}
            for _ in range(runs):
                for label, (command, kind) in commands.items():
                    each = [run_check(command, paths[kind]) for _ in range(repeats)]
                    times[label].append((sum(wall for wall, _, _ in each) / repeats,
                                         sum(user + system for _, user, system in each) / repeats))
            print(f"  {name}: {copies} copies, {copies * len(typed) / MIB:.2f} MiB typed, "
                  f"{copies * len(unicode) / MIB:.2f} MiB in Unicode"
                  + (f", each run {repeats} times" if repeats > 1 else ""))
            grapho_wall = statistics.median(w for w, _ in times["grapho"])
            grapho_cpu = statistics.median(c for _, c in times["grapho"])
            for label, pairs in times.items():
                wall = statistics.median(w for w, _ in pairs)
                cpu = statistics.median(c for _, c in pairs)
                print(f"    {label:32} wall {wall * 1e3:7.1f} ms ({wall / grapho_wall:.2f}), "
                      f"CPU {cpu * 1e3:7.1f} ms ({cpu / grapho_cpu:.2f})")
        if shutil.which("valgrind"):
            small = max(4 * MIB // len(typed), 1)
            for kind, text in (("typed", typed), ("unicode", unicode)):
                with open(paths[kind], "wb") as out:
                    out.write(text * small)
            counted = {label: total_instructions(command, paths[kind], work)
                       for label, (command, kind) in commands.items()}
            print(f"    instructions on {small} copies, per typed byte (to grapho's):")
            for label, count in counted.items():
                print(f"      {label:30} {count / (small * len(typed)):6.2f} "
                      f"({count / counted['grapho']:.2f})")
        for path in paths.values():
            os.remove(path)
        if os.path.exists(paths["typed"][:-4] + ".html"):
            os.remove(paths["typed"][:-4] + ".html")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--size-mib", type=int, default=64, help="input for the timing runs")
    parser.add_argument("--runs", type=int, default=11, help="alternating timing runs")
    parser.add_argument("--large-mib", type=int, default=256, help="input for the memory check")
    parser.add_argument("--cmake-option", action="append", default=[],
                        help="passed to cmake, e.g. -DGRAPHO_SIMD=OFF")
    parser.add_argument("--baseline", help="another grapho to measure beside this one")
    parser.add_argument("--check-baseline",
                        help="another graphocheck to measure beside this one")
    parser.add_argument("--work-dir", help="where the inputs go (default: the temporary folder)")
    parser.add_argument("--checks-only", action="store_true", help="measure graphocheck alone")
    parser.add_argument("--check-sizes", type=int, nargs="+", metavar="MIB",
                        help="graphocheck at each of these sizes, 0 for each text once "
                             "(default: --size-mib)")
    args = parser.parse_args()

    grapho, ungrapho, graphocheck, generator = build(args.cmake_option)
    programs = {"this build": [grapho]}
    if args.baseline:
        programs["baseline"] = [os.path.abspath(args.baseline)]
    checks = {"this build": graphocheck}
    if args.check_baseline:
        checks["baseline"] = os.path.abspath(args.check_baseline)
    work = tempfile.mkdtemp(prefix="grapho-bench-", dir=args.work_dir)
    try:
        if args.checks_only:
            measure_checks(grapho, ungrapho, checks, work,
                           [size * MIB for size in args.check_sizes or [args.size_mib]], args.runs)
            return
        inputs = make_inputs(generator, work, args.size_mib * MIB)
        print(f"floor: cat input >/dev/null; cat output > copy; medians of {args.runs} "
              "alternating runs")
        for name, description in (("real", "real text (Iliad 1, a run per verse)"),
                                  ("generated", "generated Greek-heavy input"),
                                  ("plain", "plain HTML, no runs")):
            measured = programs
            if name == "real" and shutil.which("taskset"):
                measured = {**programs, "this build, one processor": ["taskset", "-c", "0", grapho]}
            measure(measured, work, description, inputs[name], args.runs)
            if name == "real":
                measure_untyping([grapho], ungrapho, work, inputs[name], args.runs)
            os.remove(inputs[name])

        if not os.access("/usr/bin/time", os.X_OK):
            print("peak memory: GNU time not found (apt-get install time), not measured")
            return
        page = page_of_verses(True)
        for label, command in programs.items():
            memory, untyping_memory = {}, {}
            for size in (1, args.large_mib):
                path = os.path.join(work, f"mem-{size}.txt")
                write_repeated(page, path, size * MIB)
                memory[size] = peak_memory(command, path)
                os.remove(path)
                if label == "this build":
                    with open(os.devnull, "wb") as discard:
                        untyping_memory[size] = peak_memory([ungrapho], path[:-4] + ".html",
                                                            stdout=discard)
                os.remove(path[:-4] + ".html")
            print(f"peak memory (real text), {label}: {memory[1]:,} KiB at 1 MiB, "
                  f"{memory[args.large_mib]:,} KiB at {args.large_mib} MiB")
            if untyping_memory:
                print(f"peak memory of ungrapho (their output): {untyping_memory[1]:,} KiB, "
                      f"{untyping_memory[args.large_mib]:,} KiB")
        measure_checks(grapho, ungrapho, checks, work,
                       [size * MIB for size in args.check_sizes or [args.size_mib]], args.runs)
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
