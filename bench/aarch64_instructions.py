#!/usr/bin/env python3
"""Counts the AArch64 instructions that grapho executes per byte of the real
text, over NEON and over the scalar code, by running the cross-built program
under qemu-user and adding up the instructions of every block of code it runs
(qemu's log of each block translated and each block executed). A count, not a
time: qemu's speed says nothing of a processor's; NEON's time is measured on
ARM hardware with run_benchmark.py.

Needs g++-aarch64-linux-gnu and qemu-user. With --baseline, another source
tree (an earlier commit) is built as it comes, with this tree's toolchain
file, and counted beside.

    python3 bench/aarch64_instructions.py [--size-kib 1024] [--baseline path/to/other/tree]
"""
import argparse
import os
import re
import subprocess
import tempfile

from run_benchmark import ROOT, page_of_verses, write_repeated

TOOLCHAIN = os.path.join(ROOT, "cmake", "aarch64-linux-gnu.cmake")
BLOCK = re.compile(r"^IN:.*?\n((?:0x[0-9a-f]+:.*\n)+)", re.MULTILINE)
RUN = re.compile(r"^Trace \d+: 0x[0-9a-f]+ \[[0-9a-f]+/([0-9a-f]+)/", re.MULTILINE)


def build(tree, simd):
    build_dir = os.path.join(tree, "build-aarch64-bench" + ("" if simd else "-scalar"))
    subprocess.run(["cmake", "-S", tree, "-B", build_dir, "--toolchain", TOOLCHAIN,
                    "-DCMAKE_BUILD_TYPE=Release", "-DGRAPHO_SIMD=" + ("ON" if simd else "OFF")],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "-j2", "--target", "grapho"], check=True,
                   stdout=subprocess.DEVNULL)
    return os.path.join(build_dir, "grapho")


def instructions(grapho, path, work):
    """The instructions executed converting `path`: each block run, by the
    instructions of its last translation at that address."""
    log = os.path.join(work, "qemu.log")
    subprocess.run(["qemu-aarch64", "-L", "/usr/aarch64-linux-gnu", "-d", "in_asm,exec,nochain",
                    "-D", log, grapho, path], stdin=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)
    size_at = {}
    count = 0
    with open(log, encoding="utf-8", errors="replace") as text:
        # Each translation is logged before its first run; read in order.
        for chunk in re.split(r"(?m)^(?=----------------|Trace )", text.read()):
            block = BLOCK.search(chunk)
            if block:
                lines = block.group(1).splitlines()
                size_at[int(lines[0].split(":")[0], 16)] = len(lines)
            run = RUN.match(chunk)
            if run:
                count += size_at.get(int(run.group(1), 16), 0)
    os.remove(log)
    return count


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--size-kib", type=int, default=1024, help="real text to convert")
    parser.add_argument("--baseline", help="another source tree, counted beside")
    args = parser.parse_args()

    programs = {"NEON": build(ROOT, True), "scalar": build(ROOT, False)}
    if args.baseline:
        programs["baseline"] = build(os.path.abspath(args.baseline), True)
    with tempfile.TemporaryDirectory() as work:
        text, empty = os.path.join(work, "text.txt"), os.path.join(work, "empty.txt")
        write_repeated(page_of_verses(True), text, args.size_kib * 1024)
        open(empty, "wb").close()
        print("AArch64 instructions per byte of %d KiB of real text, under qemu-user"
              % args.size_kib)
        for label, grapho in programs.items():
            per_byte = ((instructions(grapho, text, work) - instructions(grapho, empty, work))
                        / (args.size_kib * 1024))
            print("  %-18s %6.2f" % (label, per_byte))


if __name__ == "__main__":
    main()
