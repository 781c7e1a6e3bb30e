#!/usr/bin/env python3
"""Measures the web page's core, grapho.js, in Node and in headless Chromium
beside the native core, all converting the same real text from memory into
memory: the bench's page of verses (bench/iliad-1.txt, each verse a paragraph
with its Greek between dollar signs, repeated). Prints the throughput and the
time to convert 100 KB and 1 MB of it, as the web page does on each key. A
measurement, never a test.

With --baseline, the source tree of another commit is built too (in its own
build-web and build-bench-scalar) and its web core and its native path
without SIMD are measured in the same rounds, each right after this build's.

Needs Emscripten (apt-get install emscripten node-acorn); for the browser,
chromium, chromium-driver and python3-selenium, run by /usr/bin/python3.

    /usr/bin/python3 bench/web_benchmark.py [--size-mib 16] [--runs 11]
                                            [--baseline path/to/other/tree]
"""
import argparse
import json
import os
import shutil
import subprocess
import tempfile

from run_benchmark import ROOT, MIB, page_of_verses, write_repeated


def cmake_build(tree, build_dir, configure, targets):
    subprocess.run([*configure, "-S", tree, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "-j2", "--target", *targets], check=True,
                   stdout=subprocess.DEVNULL)


def build_native(tree, simd):
    """The in-memory converter of `tree`, with or without its vector code."""
    build_dir = os.path.join(tree, "build-bench" if simd else "build-bench-scalar")
    cmake_build(tree, build_dir, ["cmake", "-DGRAPHO_BUILD_TESTS=OFF",
                                  "-DGRAPHO_SIMD=" + ("ON" if simd else "OFF")],
                ["grapho_convert_in_memory"])
    return os.path.join(build_dir, "grapho_convert_in_memory")


def build_web(tree):
    web_dir = os.path.join(tree, "build-web")
    cmake_build(tree, web_dir, ["emcmake", "cmake"], ["grapho_web_page"])
    return os.path.join(web_dir, "web")


def native_seconds(tool, path, runs):
    out = subprocess.run([tool, path, str(runs)], check=True, capture_output=True, text=True)
    return float(out.stdout.split()[1])


def node_figures(core, page_path, runs):
    script = ("const measure = require(%s); const fs = require('fs');"
              "(async () => { const grapho = await require(%s)();"
              "console.log(JSON.stringify(measure(grapho, fs.readFileSync(%s, 'utf8'), %d))) })()"
              % (json.dumps(os.path.join(ROOT, "bench", "web_measure.js")), json.dumps(core),
                 json.dumps(page_path), runs))
    out = subprocess.run(["node", "-e", script], check=True, capture_output=True, text=True)
    return json.loads(out.stdout)


def start_chromium(profile, *arguments):
    """Headless Chromium with the fresh profile `profile` and no background
    traffic, given `arguments` too."""
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium")
    for argument in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--user-data-dir=" + profile,
                     *arguments):
        options.add_argument(argument)
    return webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)


def chromium_figures(page_html, page_text, runs):
    profile = tempfile.mkdtemp()
    browser = start_chromium(profile)
    try:
        browser.set_script_timeout(600)
        browser.get("file://" + page_html)
        with open(os.path.join(ROOT, "bench", "web_measure.js"), encoding="utf-8") as file:
            measure = file.read()
        # The page converts in a worker made of the core; the same core is
        # loaded here beside the page, on its thread, and measured there.
        return browser.execute_async_script(
            measure + "; const [page, runs, done] = arguments;"
            "const core = document.createElement('script');"
            "core.src = 'grapho.js';"
            "core.onload = () => Promise.resolve(createGrapho()).then((grapho) =>"
            "  done(measureGrapho(grapho, page, runs)));"
            "document.head.append(core);",
            page_text, runs)
    finally:
        browser.quit()
        shutil.rmtree(profile, ignore_errors=True)


def report(name, figures, natives):
    """The core's own speed and that of convert(), each against the native
    paths without SIMD of `natives` (label: seconds), then the times of the
    page's conversions."""
    size = figures["bytes"] / MIB
    core, whole = figures["core_ms"] / 1000, figures["whole_ms"] / 1000
    against = lambda seconds: ", ".join("%.2f of %s" % (native / seconds, label)
                                        for label, native in natives.items())
    print("%-28s core %4.0f MiB/s (%s), convert() %4.0f MiB/s (%s);"
          " 100 KB: %5.2f ms, 1 MB: %5.2f ms"
          % (name, size / core, against(core), size / whole, against(whole),
             figures["ms_100k"], figures["ms_1m"]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--size-mib", type=int, default=16, help="input for the throughput")
    parser.add_argument("--runs", type=int, default=11, help="timed runs of each size")
    parser.add_argument("--rounds", type=int, default=3,
                        help="rounds, each measuring the native cores just before the web ones")
    parser.add_argument("--baseline", help="the source tree of another commit, measured beside")
    args = parser.parse_args()

    trees = {"this build": ROOT}
    if args.baseline:
        trees["baseline"] = os.path.abspath(args.baseline)
    simd = build_native(ROOT, True)
    scalar = {label: build_native(tree, False) for label, tree in trees.items()}
    web = {label: build_web(tree) for label, tree in trees.items()}
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "page.txt")
        write_repeated(page_of_verses(True), path, args.size_mib * MIB)
        with open(path, encoding="utf-8") as file:
            text = file.read()
        size = os.path.getsize(path)
        print("%d MiB of real text; WebAssembly against the native paths without SIMD, measured"
              " just before it" % args.size_mib)
        # On a shared machine the speed of the moment varies: each figure of
        # WebAssembly is set beside the native ones measured just before it.
        for round in range(1, args.rounds + 1):
            print("round %d" % round)
            seconds = native_seconds(simd, path, args.runs)
            print("%-28s %4.0f MiB/s" % ("native, SIMD", size / MIB / seconds))
            for where in ("Node", "Chromium"):
                natives = {}
                for label in trees:
                    natives[label] = native_seconds(scalar[label], path, args.runs)
                    print("%-28s %4.0f MiB/s" % ("native without SIMD, " + label,
                                                 size / MIB / natives[label]))
                for label, web_dir in web.items():
                    if where == "Node":
                        figures = node_figures(os.path.join(web_dir, "grapho.js"), path,
                                               args.runs)
                    else:
                        figures = chromium_figures(os.path.join(web_dir, "index.html"), text,
                                                   args.runs)
                    report("%s, %s" % (where, label), figures, natives)


if __name__ == "__main__":
    main()
