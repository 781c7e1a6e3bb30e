#!/usr/bin/env python3
"""Builds grapho in Release and measures it on generated Greek-heavy input.

Prints the input and output sizes, the conversion speed, the median ratio of
its wall time to the I/O floor (reading the input and writing an output of
the same size with cat), the instructions executed per input byte (counted by
callgrind, the same on every run), and the peak memory at two input sizes.
A measurement, never a test: it prints figures and fails only when a step
cannot run.

Each timed command replaces the file it wrote the run before, as a user
converting again would, and starts after the data written so far has reached
the disk, so that neither pays for the write-back of what the other wrote.

    python3 bench/run_benchmark.py [--size-mib 64] [--runs 7]
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build-bench")


def build():
    subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-DCMAKE_BUILD_TYPE=Release",
                    "-DGRAPHO_BUILD_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD, "-j2", "--target", "grapho", "grapho_make_input"],
                   check=True, stdout=subprocess.DEVNULL)
    return os.path.join(BUILD, "grapho"), os.path.join(BUILD, "grapho_make_input")


def make_input(generator, path, size):
    with open(path, "wb") as out:
        subprocess.run([generator, str(size)], check=True, stdout=out)


def run_grapho(grapho, path):
    """Converts one file; returns the wall time in seconds."""
    os.sync()
    start = time.perf_counter()
    subprocess.run([grapho, path], stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   check=True)
    return time.perf_counter() - start


def peak_memory(grapho, path):
    """Peak resident memory of grapho converting `path`, in KiB, as GNU time reports it
    (a child forked from this script would count the script's own memory too)."""
    report = path + ".memory"
    subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report, grapho, path],
                   stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    with open(report) as kib:
        return int(kib.read().split()[-1])


def time_floor(input_path, output_path, copy_path):
    os.sync()
    start = time.perf_counter()
    subprocess.run(f"cat '{input_path}' >/dev/null; cat '{output_path}' > '{copy_path}'",
                   shell=True, check=True)
    return time.perf_counter() - start


def instructions(grapho, path):
    """Instructions executed converting `path`, as callgrind counts them."""
    result = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null",
                             grapho, path], stdin=subprocess.DEVNULL, capture_output=True,
                            text=True, check=True)
    return int(re.search(r"refs:\s+([\d,]+)", result.stderr).group(1).replace(",", ""))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--size-mib", type=int, default=64, help="input for the timing runs")
    parser.add_argument("--runs", type=int, default=7, help="alternating timing runs")
    parser.add_argument("--large-mib", type=int, default=256, help="input for the memory check")
    args = parser.parse_args()

    grapho, generator = build()
    work = tempfile.mkdtemp(prefix="grapho-bench-")
    try:
        mib = 1 << 20
        source = os.path.join(work, "in.txt")
        output = os.path.join(work, "in.html")
        copy = os.path.join(work, "copy.html")
        make_input(generator, source, args.size_mib * mib)
        run_grapho(grapho, source)  # warm the page cache and make the output
        time_floor(source, output, copy)
        in_size, out_size = os.path.getsize(source), os.path.getsize(output)

        ratios, walls, floors = [], [], []
        for _ in range(args.runs):
            floor = time_floor(source, output, copy)
            wall = run_grapho(grapho, source)
            floors.append(floor)
            walls.append(wall)
            ratios.append(wall / floor)
        os.remove(copy)

        print(f"input:  {in_size:,} bytes (Greek-heavy, generated)")
        print(f"output: {out_size:,} bytes")
        print(f"grapho: median {statistics.median(walls):.3f} s, "
              f"{in_size / statistics.median(walls) / 1e6:.0f} MB/s of input")
        print(f"floor:  median {statistics.median(floors):.3f} s "
              "(cat input >/dev/null; cat output > copy)")
        print(f"ratio to the floor: median {statistics.median(ratios):.2f} over {args.runs} "
              f"alternating runs (min {min(ratios):.2f}, max {max(ratios):.2f})")

        if shutil.which("valgrind"):
            small = os.path.join(work, "small.txt")
            empty = os.path.join(work, "empty.txt")
            make_input(generator, small, 4 * mib)
            open(empty, "wb").close()
            per_byte = (instructions(grapho, small) - instructions(grapho, empty)) / (4 * mib)
            print(f"instructions: {per_byte:.2f} per input byte (callgrind, 4 MiB input, "
                  "start-up subtracted)")
        else:
            print("instructions: valgrind not found, not counted")

        if not os.access("/usr/bin/time", os.X_OK):
            print("peak memory: GNU time not found (apt-get install time), not measured")
            return
        memory = {}
        for size in (1, args.large_mib):
            path = os.path.join(work, f"mem-{size}.txt")
            make_input(generator, path, size * mib)
            memory[size] = peak_memory(grapho, path)
            os.remove(path)
            os.remove(path[:-4] + ".html")
        print(f"peak memory: {memory[1]:,} KiB at 1 MiB, {memory[args.large_mib]:,} KiB at "
              f"{args.large_mib} MiB (difference {memory[args.large_mib] - memory[1]:,} KiB)")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
