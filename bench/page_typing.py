#!/usr/bin/env python3
"""Measures what typing costs the web page: the time its thread spends on
each key (converting, checking, listing, marking, laying out the source, the
preview and the HTML), in headless Chromium, on sources of the bench's page
of verses (bench/iliad-1.txt, each verse a paragraph with its Greek between
dollar signs, repeated) and of the same verses typed without accents, which
the check finds a mistake in nearly every word of. Thirty keys at the end of
the source, one each 80 ms, then a pause: the time while typing, and with
what the pause brings; the least of the rounds is kept. A measurement, never
a test.

With --baseline, the source tree of another commit is built too (in its own
build-web) and its page measured in the same rounds, each right after this
build's.

Needs Emscripten (apt-get install emscripten node-acorn), `npm ci --prefix
page` in each tree, chromium, chromium-driver and python3-selenium, run by
/usr/bin/python3.

    /usr/bin/python3 bench/page_typing.py [--sizes-kib 16,64,256,1024]
                                          [--rounds 4] [--baseline path/to/other/tree]
"""
import argparse
import os
import shutil
import tempfile

from run_benchmark import ROOT, page_of_verses
from web_benchmark import build_web, start_chromium

KEYS = 30

# Sets the source as a paste would, and answers once the page has settled.
SET_SOURCE = """
const source = document.getElementById('source');
source.value = arguments[0];
source.dispatchEvent(new Event('input'));
setTimeout(arguments[arguments.length - 1], 3000);
"""

# Types the keys at the end of the source, one each 80 ms, and answers 80 ms
# after the last, before the page takes the typing to have paused.
TYPE_KEYS = """
const [keys, done] = arguments;
const source = document.getElementById('source');
(async () => {
  for (let key = 0; key < keys; ++key) {
    source.setRangeText('x', source.value.length, source.value.length, 'end');
    source.dispatchEvent(new Event('input'));
    await new Promise((resolve) => setTimeout(resolve, 80));
  }
  done();
})();
"""

SETTLE = "setTimeout(arguments[0], 3000);"


def sources(sizes):
    """Sources of each size: the page of verses, and the same without accents."""
    verses = page_of_verses(True).decode()
    unaccented = verses.translate(str.maketrans("", "", "/\\^"))
    for name, page in (("verses", verses), ("no accents", unaccented)):
        for size in sizes:
            text = (page * (size // len(page) + 1))[:size]
            yield "%s, %d KiB" % (name, size >> 10), text[:text.rfind("\n") + 1]


class Browser:
    def __init__(self):
        self.profile = tempfile.mkdtemp()
        self.driver = start_chromium(self.profile, "--window-size=1280,1000")
        self.driver.set_script_timeout(600)
        self.driver.execute_cdp_cmd("Performance.enable", {})

    def task_seconds(self):
        metrics = self.driver.execute_cdp_cmd("Performance.getMetrics", {})["metrics"]
        return next(metric["value"] for metric in metrics if metric["name"] == "TaskDuration")

    def ms_per_key(self, page, text):
        """The page's thread's time for each key typed at the end of `text`:
        while typing, and with what follows the pause (a check that waits
        for it) too."""
        self.driver.get("file://" + page)
        self.driver.execute_script("localStorage.clear()")
        self.driver.refresh()
        self.driver.execute_async_script(SET_SOURCE, text)
        before = self.task_seconds()
        self.driver.execute_async_script(TYPE_KEYS, KEYS)
        typing = self.task_seconds() - before
        self.driver.execute_async_script(SETTLE)
        settled = self.task_seconds() - before
        return typing * 1000 / KEYS, settled * 1000 / KEYS

    def quit(self):
        self.driver.quit()
        shutil.rmtree(self.profile, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sizes-kib", default="16,64,256,1024",
                        help="sizes of the sources, in KiB, separated by commas")
    parser.add_argument("--rounds", type=int, default=4, help="rounds, the least kept")
    parser.add_argument("--baseline", help="the source tree of another commit, measured beside")
    args = parser.parse_args()

    trees = {"this build": ROOT}
    if args.baseline:
        trees["baseline"] = os.path.abspath(args.baseline)
    pages = {label: os.path.join(build_web(tree), "index.html") for label, tree in trees.items()}
    sizes = [int(size) << 10 for size in args.sizes_kib.split(",")]
    browser = Browser()
    try:
        print("ms of the page's thread for each key, while typing and with the pause: " +
              ", ".join(pages))
        for name, text in sources(sizes):
            least = {label: (float("inf"),) * 2 for label in pages}
            for _ in range(args.rounds):
                for label, page in pages.items():
                    figures = browser.ms_per_key(page, text)
                    least[label] = tuple(map(min, least[label], figures))
            print("%-22s %s" % (name, "  ".join("%6.1f %6.1f" % least[label] for label in pages)),
                  flush=True)
    finally:
        browser.quit()


if __name__ == "__main__":
    main()
