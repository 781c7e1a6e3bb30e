"""The web page in headless Chromium, opened from the disk: typing converts,
the preview and the HTML tab show the result, a mistake is named and marked,
every mistake is listed as the native graphocheck finds it, marked, and shown
when chosen, the download holds the native program's bytes, files that cannot
be shown are said to be so, and a hostile source runs nothing and reaches
nothing.

    /usr/bin/python3 page_test.py GRAPHO_EXE WEB_BUILD_DIR EXAMPLES_DIR
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import json
import unittest

GRAPHO_EXE, WEB_BUILD, EXAMPLES = sys.argv[1:4]
PAGE = os.path.join(WEB_BUILD, "web", "index.html")

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.common.exceptions import StaleElementReferenceException
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    webdriver = None


def native_typing(greek):
    """What the native ungrapho writes for `greek`, alone in a file."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "greek.html")
        with open(path, "wb") as file:
            file.write(greek)
        ungrapho = os.path.join(os.path.dirname(GRAPHO_EXE), "ungrapho")
        return subprocess.run([ungrapho, path], stdin=subprocess.DEVNULL, capture_output=True,
                              check=True).stdout


def native_check(source, *options):
    """The list items for what the native graphocheck finds in `source`: the
    text of each and of its notes."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "source.txt")
        with open(path, "wb") as file:
            file.write(source)
        graphocheck = os.path.join(os.path.dirname(GRAPHO_EXE), "graphocheck")
        found = json.loads(subprocess.run([graphocheck, "--format=json", *options, path],
                                          capture_output=True).stdout)
    return [["Line %(line)d, column %(column)d: %(severity)s: %(message)s [%(code)s]" % each,
             ["Line %(line)d, column %(column)d: %(message)s" % note for note in each["notes"]]]
            for each in found]


def index_in(text, line, column):
    """The index in `text`, as JavaScript counts, of line `line`, column
    `column` of grapho's count: bytes from 1."""
    lines = text.split("\n")
    start = sum(len(each) + 1 for each in lines[:line - 1])
    before = lines[line - 1].encode()[:column - 1].decode()
    return start + len(before.encode("utf-16-le")) // 2


# Mistakes of each kind: typing (marks apart, with a note; Beta Code; "?"),
# accents (none, a grave before a stop, an acute before a word) and an error,
# after Greek and accented Latin on their lines.
MISTAKES = ("<p>\u03bc\u1fc6\u03bd\u03b9\u03bd: $l/ ogos$ $a)/eide$ $ti?$</p>\n"
            "<p>\u00e9t\u00e9 $>anqrwpos kal\\os. kal/os >an/hr$ $/\\a$</p>\n")


def native(source):
    """The bytes the native program writes for `source`, alone in a file."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "source.txt")
        with open(path, "wb") as file:
            file.write(source)
        subprocess.run([GRAPHO_EXE, path], stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(os.path.join(folder, "source.html"), "rb") as file:
            return file.read()


class Listener:
    """A local port for hostile sources to reach: it counts every connection
    made to it, a request sent or not (a preconnect sends none)."""

    def __init__(self):
        self.socket = socket.create_server(("127.0.0.1", 0))
        self.address = "http://127.0.0.1:%d" % self.socket.getsockname()[1]
        self.connections = 0
        threading.Thread(target=self.accept, daemon=True).start()

    def accept(self):
        while True:
            connection, _ = self.socket.accept()
            self.connections += 1
            connection.close()


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.profile = tempfile.mkdtemp()
        cls.downloads = tempfile.mkdtemp()
        options = webdriver.ChromeOptions()
        options.binary_location = shutil.which("chromium")
        # A fresh profile and no background traffic, which a closed network refuses.
        for argument in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                         "--no-first-run", "--disable-background-networking",
                         "--disable-component-update", "--disable-sync",
                         "--user-data-dir=" + cls.profile, "--window-size=1280,900"):
            options.add_argument(argument)
        cls.browser = webdriver.Chrome(service=Service(shutil.which("chromedriver")),
                                       options=options)
        cls.browser.execute_cdp_cmd("Page.setDownloadBehavior",
                                    {"behavior": "allow", "downloadPath": cls.downloads})
        cls.listener = Listener()

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        cls.listener.socket.close()
        shutil.rmtree(cls.profile, ignore_errors=True)
        shutil.rmtree(cls.downloads, ignore_errors=True)

    def setUp(self):
        # Each test from the bundled example, with nothing kept from another.
        for name in os.listdir(self.downloads):
            os.remove(os.path.join(self.downloads, name))
        self.browser.get("file://" + os.path.abspath(PAGE))
        self.browser.execute_script("localStorage.clear()")
        self.browser.refresh()
        self.until(lambda: self.text("html") != "")

    def until(self, condition, seconds=20):
        return WebDriverWait(self.browser, seconds).until(lambda _: condition())

    def element(self, id):
        return self.browser.find_element(By.ID, id)

    def text(self, id):
        return self.browser.execute_script(
            "return document.getElementById(arguments[0]).textContent", id)

    def type_source(self, text):
        source = self.element("source")
        source.send_keys(Keys.CONTROL, "a")
        source.send_keys(Keys.DELETE)
        source.send_keys(text)

    def set_source(self, text):
        """Puts `text` in the source at once, as pasting it would."""
        self.browser.execute_script(
            "const source = document.getElementById('source');"
            "source.value = arguments[0];"
            "source.dispatchEvent(new Event('input'));", text)

    def copied(self, button):
        """What pressing `button` puts on the clipboard."""
        self.browser.execute_script(
            "window.copied = null;"
            "navigator.clipboard.writeText = async (text) => { window.copied = text; };"
            "document.getElementById(arguments[0]).click();", button)
        return self.until(lambda: self.browser.execute_script("return window.copied"))

    def preview_text(self):
        self.browser.switch_to.frame(self.element("preview"))
        try:
            return self.browser.find_element(By.TAG_NAME, "body").text
        finally:
            self.browser.switch_to.default_content()

    def listed(self):
        """The items of the list of diagnostics: the text of each and of its notes."""
        return self.browser.execute_script(
            "return [...document.querySelectorAll('#diagnostics > li')].map((item) =>"
            "  [item.querySelector('button').textContent,"
            "   [...item.querySelectorAll('ul li')].map((note) => note.textContent)])")

    def marked(self):
        """The characters marked in the copy behind the source."""
        return [mark.text for mark in
                self.browser.find_elements(By.CSS_SELECTOR, "#source-marks mark")]

    def selection(self):
        return self.browser.execute_script(
            "const s = document.getElementById('source');"
            "return [s.selectionStart, s.selectionEnd]")

    def downloaded(self, name):
        path = os.path.join(self.downloads, name)
        self.until(lambda: os.path.exists(path) and not any(
            other.endswith(".crdownload") for other in os.listdir(self.downloads)))
        with open(path, "rb") as file:
            return file.read()

    def test_starts_with_the_bundled_example(self):
        with open(os.path.join(EXAMPLES, "quotations.txt"), encoding="utf-8") as file:
            example = file.read()
        self.assertEqual(self.element("source").get_property("value"), example)
        self.assertEqual(self.text("html").encode(), native(example.encode()))

    def test_converts_as_you_type(self):
        self.type_source("<p>$m^hnin >/aeide qe\\a$</p>")
        expected = native(b"<p>$m^hnin >/aeide qe\\a$</p>")
        self.until(lambda: self.text("html").encode() == expected)
        self.assertEqual(self.preview_text(), "\u03bc\u1fc6\u03bd\u03b9\u03bd \u1f04\u03b5\u03b9"
                         "\u03b4\u03b5 \u03b8\u03b5\u1f70")
        self.assertEqual(self.text("message"), "")
        self.element("html-tab").click()
        self.assertTrue(self.element("html").is_displayed())
        self.assertFalse(self.element("preview").is_displayed())
        self.element("download").click()
        self.assertEqual(self.downloaded("quotations.html"), expected)

    def test_the_mark_scrolls_with_the_source(self):
        # A mistake far from the end of the bundled example, the source scrolled
        # to its end: the copy behind it, with the mark, goes as far.
        self.browser.execute_script(
            "const source = document.getElementById('source');"
            "source.value = source.value.replace('Phlh=i/adew', 'Ph/\\\\lh=i/adew');"
            "source.dispatchEvent(new Event('input'));")
        self.until(lambda: self.text("message") != "")
        self.assertEqual(self.browser.execute_script(
            "const source = document.getElementById('source');"
            "source.scrollTop = source.scrollHeight;"
            "source.dispatchEvent(new Event('scroll'));"
            "const marks = document.getElementById('source-marks');"
            "return [source.scrollTop > 0, marks.scrollTop - source.scrollTop]"), [True, 0])

    def test_reads_greek_back_into_typing(self):
        self.browser.find_element(By.CSS_SELECTOR, "input[value=typing]").click()
        greek = "<p>\u03bc\u1fc6\u03bd\u03b9\u03bd &#x1f04;&epsilon;\u03b9\u03b4\u03b5 $</p>"
        self.type_source(greek)
        expected = native_typing(greek.encode())
        self.until(lambda: self.text("html").encode() == expected)
        self.assertFalse(self.element("preview-tab").is_displayed())
        self.assertEqual(self.element("html-tab").text, "Typing")
        self.element("download").click()
        self.assertEqual(self.downloaded("quotations.txt"), expected)
        # And back: the typing put in the source, as HTML again, and undone.
        self.element("use-typing").click()
        self.until(lambda: self.text("html").encode() == native(expected))
        self.assertEqual(self.element("source").get_property("value").encode(), expected)
        self.assertTrue(self.element("preview-tab").is_displayed())
        self.element("undo").click()
        self.until(lambda: self.element("source").get_property("value") == greek)
        # A page's typing is named as the page, as text.
        folder = tempfile.mkdtemp()
        try:
            path = os.path.join(folder, "ode.html")
            with open(path, "wb") as file:
                file.write(greek.encode())
            self.browser.find_element(By.CSS_SELECTOR, "input[value=typing]").click()
            self.element("open-file").send_keys(path)
            self.until(lambda: self.text("replaced-note").startswith("ode.html"))
            self.until(lambda: self.element("download").is_enabled())
            self.element("download").click()
            self.assertEqual(self.downloaded("ode.txt"), expected)
        finally:
            shutil.rmtree(folder)

    def test_text_copy_has_the_characters_in_nfc_and_keeps_the_markup(self):
        # Oxia letters become their tonos equivalents; the angle brackets the
        # mathematical ones, not the full-width canonical ones; references to
        # ASCII stay, so that the HTML means the same.
        self.set_source("<b>$a/a^h{{a}}$&#x2329;</b> &amp; &lt;i&gt; &#x3c; &#60; &unknown;")
        self.until(lambda: "&#x1f71;" in self.text("html"))
        self.assertEqual(self.copied("copy-text"), "<b>\u03b1\u03ac\u1fc6\u27e8\u03b1\u27e9\u27e8"
                         "</b> &amp; &lt;i&gt; &#x3c; &#60; &unknown;")
        self.assertEqual(self.copied("copy-html"), self.text("html"))

    def test_leaves_no_globals(self):
        # What the page's scripts add to the window: the two bundled scripts'
        # own names, and nothing of the page's, which once replaced window.open
        # (ret_nodes is chromedriver's).
        self.assertEqual(self.browser.execute_script(
            "const frame = document.createElement('iframe');"
            "document.body.append(frame);"
            "const blank = new Set(Object.getOwnPropertyNames(frame.contentWindow));"
            "blank.add('ret_nodes');"
            "return [Object.getOwnPropertyNames(window)"
            "          .filter((name) => !blank.has(name) && isNaN(name)).sort(),"
            "        String(window.open)]"),
            [["DOMPurify", "graphoWorker"], "function open() { [native code] }"])

    def test_names_and_marks_a_mistake(self):
        self.type_source("x\n<p>$l/ogos$ $/\\a$</p>")
        self.until(lambda: self.text("message") != "")
        self.assertEqual(self.text("message"),
                         "Line 2, column 16: Cannot mix different accents: a with acute grave")
        self.assertEqual(self.text("source-marks"), "x\n<p>$l/ogos$ $/\\a$</p> ")
        marked = self.browser.find_element(By.CSS_SELECTOR, "#source-marks mark")
        self.assertEqual(marked.get_property("textContent"), "a")
        self.assertEqual(self.preview_text(), "x\n\u03bb\u1f79\u03b3\u03bf\u03c2")
        self.assertFalse(self.element("download").is_enabled())
        self.element("show-mistake").click()
        self.assertEqual(self.browser.execute_script(
            "const s = document.getElementById('source');"
            "return [s.selectionStart, s.selectionEnd]"), [17, 18])
        # Columns count bytes: a Greek letter before the mistake counts two.
        self.type_source("\u03bc $/\\a$")
        self.until(lambda: self.text("source-marks") == "\u03bc $/\\a$ ")
        self.assertEqual(self.text("message"),
                         "Line 1, column 7: Cannot mix different accents: a with acute grave")
        # A character that cannot be seen, or of more than one byte, is named.
        for source, named in (("$/\\ a$", "space (U+0020)"), ("$/\\\ta$", "tab (U+0009)"),
                              ("$/\\\n$", "line end (U+000A)"),
                              ("$/\\\x01$", "control character (U+0001)"),
                              ("$/\\\u03b1$", "\u03b1 (U+03B1)"), ("$/\\:$", ":")):
            self.set_source(source)
            self.until(lambda: self.text("message").endswith(
                "Cannot mix different accents: %s with acute grave" % named))
        # Mended, the mark goes; the copy behind the source stays, unmarked.
        self.type_source("$>/a$")
        self.until(lambda: self.text("message") == "")
        self.assertEqual([self.text("source-marks"), self.marked()], ["$>/a$ ", []])

    def test_lists_and_marks_every_mistake(self):
        self.set_source(MISTAKES)
        expected = native_check(MISTAKES.encode())
        self.until(lambda: self.listed() == expected)
        self.assertEqual(self.text("check-summary"), "1 error and 6 warnings.")
        self.assertEqual(self.text("source-marks"), MISTAKES + " ")
        # Each place marked, an error otherwise than a warning, and not by
        # colour alone: a solid line under it, a dotted one, in either theme.
        marks = [[int(each[0][len("Line "):each[0].index(",")]),
                  int(each[0][each[0].index("column ") + 7:each[0].index(":")]),
                  each[0].split(": ")[1]] for each in expected]
        for scheme in ("dark", "light"):
            self.browser.execute_cdp_cmd("Emulation.setEmulatedMedia", {
                "features": [{"name": "prefers-color-scheme", "value": scheme}]})
            shown = self.browser.execute_script(
                "return [...document.querySelectorAll('#source-marks mark')].map((mark) =>"
                "  [mark.className, mark.textContent, getComputedStyle(mark).borderBottomStyle,"
                "   getComputedStyle(mark).backgroundColor])")
            self.assertEqual([each[:3] for each in shown],
                             [[severity, MISTAKES[index_in(MISTAKES, line, column)],
                               "solid" if severity == "error" else "dotted"]
                              for line, column, severity in marks])
            self.assertEqual(len({each[3] for each in shown}), 2)
        # Choosing an item, by a click or from the keyboard, puts the cursor
        # on its character, which Greek and accented letters precede.
        buttons = self.browser.find_elements(By.CSS_SELECTOR, "#diagnostics button")
        for number in (0, 4, 6):
            line, column, _ = marks[number]
            buttons[number].click()
            at = index_in(MISTAKES, line, column)
            self.assertEqual(self.selection(), [at, at + 1])
            self.assertEqual(self.browser.execute_script("return document.activeElement.id"),
                             "source")
        self.browser.execute_script("arguments[0].focus()", buttons[4])
        ActionChains(self.browser).send_keys(Keys.TAB).send_keys(Keys.ENTER).perform()
        at = index_in(MISTAKES, *marks[5][:2])
        self.assertEqual(self.selection(), [at, at + 1])
        # Typed, the list follows; mended, the mistake goes.
        self.element("source").send_keys(Keys.CONTROL, Keys.END, Keys.NULL, "$>/ara?$")
        expected = native_check((MISTAKES + "$>/ara?$").encode())
        self.until(lambda: self.listed() == expected)
        self.assertEqual(expected[-1][0], 'Line 3, column 7: warning: "?" stays a Latin question '
                         'mark: type the Greek one as ";" after the run, as in "$t/i$;" '
                         '[latin-question-mark]')
        self.type_source("$>/ara$")
        self.until(lambda: self.text("check-summary") ==
                   "Nothing to point at: no mistake, no warning.")
        self.assertEqual([self.listed(), self.marked()], [[], []])

    def test_chosen_far_down_the_source_is_scrolled_to(self):
        source = "$>/ara$\n" * 200 + "$l/ogos>$\n"
        self.set_source(source)
        self.until(lambda: len(self.listed()) == 1)
        self.element("source").send_keys(Keys.CONTROL, Keys.HOME)
        self.browser.find_element(By.CSS_SELECTOR, "#diagnostics button").click()
        at = source.index(">$")
        self.assertEqual(self.selection(), [at, at + 1])
        self.assertEqual(self.browser.execute_script(
            "const source = document.getElementById('source');"
            "const mark = document.querySelector('#source-marks mark');"
            "const marks = document.getElementById('source-marks');"
            "return [source.scrollTop > 0, mark.offsetTop >= source.scrollTop,"
            "        mark.offsetTop + mark.offsetHeight <= source.scrollTop + source.clientHeight,"
            "        marks.scrollTop === source.scrollTop]"), [True] * 4)

    def test_checks_unicode_text(self):
        # The switch on: Greek characters checked wherever they stand, "$" an
        # ordinary character, nothing converted; kept across a reload.
        text = ("# \u1f4d\u03bc\u03b7\u03c1\u03bf\u03c2\n\n\u039c\u1fc6\u03bd\u03b9\u03bd "
                "\u1f04\u03b5\u03b9\u03b4\u03b5 \u03b8\u03b5\u1f70. \u1f00\u03bd\u03b8\u03c1"
                "\u03c9\u03c0\u03bf\u03c2 $5 \u03ba\u03b1\u03bb\u03cc\u03c2 \u1f00\u03bd\u03ae"
                "\u03c1.\n")
        self.set_source(text)
        self.until(lambda: self.listed() == native_check(text.encode()))
        self.element("unicode-text").click()
        expected = native_check(text.encode(), "--text")
        self.assertEqual([each[0].rsplit(" [", 1)[1] for each in expected],
                         ["grave-before-stop]", "missing-accent]", "acute-before-word]"])
        for reload in (False, True):
            if reload:
                self.browser.refresh()
            self.until(lambda: self.listed() == expected)
            self.assertTrue(self.element("unicode-text").is_selected())
            self.assertTrue(self.text("result-note").startswith("Unicode text is checked here, "
                                                                "not converted"))
            self.assertEqual([self.text("html"), self.text("message")], ["", ""])
            self.assertFalse(self.element("download").is_enabled())
        # Back to typing, the source is Greek, which the check reads as text.
        self.element("unicode-text").click()
        self.until(lambda: self.listed() == native_check(text.encode()))
        self.browser.find_element(By.CSS_SELECTOR, "input[value=typing]").click()
        self.until(lambda: self.listed() == expected)
        self.assertFalse(self.element("unicode-text").is_displayed())

    def test_warnings_switched_off(self):
        self.set_source(MISTAKES)
        self.until(lambda: self.listed() == native_check(MISTAKES.encode()))
        self.browser.find_element(By.CSS_SELECTOR, "#warning-switches summary").click()
        labels = self.browser.find_elements(By.CSS_SELECTOR, "#warning-codes label")
        help = subprocess.run([os.path.join(os.path.dirname(GRAPHO_EXE), "graphocheck"), "--help"],
                              capture_output=True, text=True).stdout
        self.assertEqual(len(labels), help.split("Warnings:\n")[1].split("\n\n")[0].count("\n") + 1)
        for code in ("missing-accent", "beta-code"):
            self.browser.find_element(By.XPATH, "//label[code='%s']/input" % code).click()
        expected = native_check(MISTAKES.encode(), "--disable=missing-accent,beta-code")
        for reload in (False, True):
            if reload:
                self.browser.refresh()
            self.until(lambda: self.listed() == expected)
        self.browser.find_element(By.CSS_SELECTOR, "#warning-switches summary").click()
        self.browser.find_element(By.XPATH, "//label[code='beta-code']/input").click()
        self.until(lambda: self.listed() ==
                   native_check(MISTAKES.encode(), "--disable=missing-accent"))

    def test_a_large_source_is_checked_once_the_typing_pauses(self):
        # Every summary said, from the typing to the list.
        source = "<p>$m^hnin >/aeide qe\\a$</p>\n" * 10000
        self.set_source(source)
        self.until(lambda: self.text("html") != "" and self.text("check-summary").startswith("No"))
        self.browser.execute_script(
            "window.said = [];"
            "new MutationObserver(() => said.push(document.getElementById('check-summary')"
            "  .textContent)).observe(document.getElementById('check-summary'),"
            "  { childList: true, characterData: true, subtree: true });")
        self.element("source").send_keys(Keys.CONTROL, Keys.END, Keys.NULL, "$a?$")
        expected = native_check((source + "$a?$").encode())
        self.until(lambda: self.listed() == expected)
        self.assertEqual(self.browser.execute_script("return said"),
                         ["This source is checked once the typing pauses: its check would slow "
                          "the typing.",
                          "3 warnings."])

    def test_a_hostile_message_stays_text(self):
        # Messages naming "<", '"' and '&', a source whose marks fall inside
        # markup: text, in the list and in the copy behind the source.
        hostile = ('<img src=x onerror="document.title=1"> $/\\<img src=x '
                   'onerror="document.title=2">$ $a)&lt;$ $\\=&$\n')
        self.set_source(hostile)
        expected = native_check(hostile.encode())
        self.until(lambda: self.listed() == expected)
        self.assertIn("Cannot mix different accents: < with acute grave", expected[0][0])
        self.assertEqual(self.text("source-marks"), hostile + " ")
        self.assertEqual(self.browser.execute_script(
            "return [document.title, document.querySelectorAll("
            "  '#diagnostics img, #source-marks img, #check-summary img').length,"
            "  [...document.querySelectorAll('#source-marks *')].every((element) =>"
            "    element.tagName === 'DIV' ? element.parentNode.id === 'source-marks' :"
            "    element.tagName === 'MARK' && element.children.length === 0)]"),
            ["grapho: Greek typed in ASCII, as HTML", 0, True])

    def test_the_chart_beside_the_source_in_either_theme(self):
        # One click shows the chart beside the source, the page not scrolled;
        # the ground is dark where the system prefers it.
        for scheme, dark in (("dark", True), ("light", False)):
            self.browser.execute_cdp_cmd("Emulation.setEmulatedMedia", {
                "features": [{"name": "prefers-color-scheme", "value": scheme}]})
            self.element("chart-tab").click()
            self.assertTrue(self.element("chart").is_displayed())
            placed, ground = self.browser.execute_script(
                "const chart = document.getElementById('chart').getBoundingClientRect();"
                "const source = document.getElementById('source').getBoundingClientRect();"
                "return [[scrollY, chart.top < innerHeight, chart.left >= source.right],"
                "        getComputedStyle(document.body).backgroundColor]")
            self.assertEqual(placed, [0, True, True])
            self.assertEqual(sum(map(int, ground[4:-1].split(","))) < 3 * 128, dark, ground)

    def test_converts_an_opened_file_as_its_bytes(self):
        # The text area turns CR LF and CR into LF; the file's own bytes are
        # converted, and positions counted in them, until the source is edited.
        folder = tempfile.mkdtemp()
        try:
            for name, content, message, selected in (
                    ("crlf.txt", b"\xef\xbb\xbf<p>$l/ogos$</p>\r\n<p>$a$\r$b$</p>\r\n", "", None),
                    ("mistake.txt", b"x\r\n$a$\r$/\\a$\r\n",
                     "Line 2, column 8: Cannot mix different accents: a with acute grave", 9)):
                path = os.path.join(folder, name)
                with open(path, "wb") as file:
                    file.write(content)
                self.element("open-file").send_keys(path)
                self.until(lambda: self.text("message") == message and
                           self.element("source").get_property("value") ==
                           content.decode().replace("\r\n", "\n").replace("\r", "\n"))
                if selected is None:
                    self.until(lambda: self.element("download").is_enabled())
                    self.element("download").click()
                    self.assertEqual(self.downloaded(name.replace(".txt", ".html")),
                                     native(content))
                else:
                    # The button and the list's item alike.
                    self.element("show-mistake").click()
                    self.assertEqual(self.selection(), [selected, selected + 1])
                    self.element("source").send_keys(Keys.CONTROL, Keys.HOME)
                    self.browser.find_element(By.CSS_SELECTOR, "#diagnostics .error button").click()
                    self.assertEqual(self.selection(), [selected, selected + 1])
            # Edited, the source is what the text area holds.
            self.element("source").send_keys(Keys.END, " ")
            self.until(lambda: self.text("message") ==
                       "Line 3, column 4: Cannot mix different accents: a with acute grave")
        finally:
            shutil.rmtree(folder)

    def test_keeps_what_was_typed(self):
        # Across a reload.
        self.type_source("<p>$m^hnin$</p>")
        self.until(lambda: self.text("html").encode() == native(b"<p>$m^hnin$</p>"))
        self.browser.refresh()
        self.until(lambda: self.text("html").encode() == native(b"<p>$m^hnin$</p>"))
        self.assertEqual(self.element("source").get_property("value"), "<p>$m^hnin$</p>")
        # A file that takes its place, opened or held, can be undone; an opened
        # file is kept as its bytes.
        folder = tempfile.mkdtemp()
        try:
            for name, content in (("crlf.txt", b"<p>$a$\r\n$b$</p>\r\n"),
                                  ("bytes.txt", b"$a$\xff")):
                path = os.path.join(folder, name)
                with open(path, "wb") as file:
                    file.write(content)
                self.element("open-file").send_keys(path)
                self.until(lambda: self.text("replaced-note") ==
                           name + " was opened in place of the source.")
                self.until(lambda: self.text("html").encode() in (native(content), b""))
                self.element("undo").click()
                self.until(lambda: self.text("html").encode() == native(b"<p>$m^hnin$</p>"))
                self.assertEqual(self.element("source").get_property("value"), "<p>$m^hnin$</p>")
                self.assertFalse(self.element("replaced").is_displayed())
            self.element("open-file").send_keys(os.path.join(folder, "crlf.txt"))
            self.until(lambda: self.text("html").encode() == native(b"<p>$a$\r\n$b$</p>\r\n"))
            self.browser.refresh()
            self.until(lambda: self.text("html") != "")
            self.element("download").click()
            self.assertEqual(self.downloaded("crlf.html"), native(b"<p>$a$\r\n$b$</p>\r\n"))
        finally:
            shutil.rmtree(folder)

    def test_holds_files_it_cannot_show(self):
        folder = tempfile.mkdtemp()
        try:
            binary = os.path.join(folder, "binary.txt")
            with open(binary, "wb") as file:
                file.write(b"<p>$a\0b$ \xff\xfe $l/ogos$</p>")
            large = os.path.join(folder, "large.txt")
            with open(large, "wb") as file:
                file.write(b"<p>$m^hnin >/aeide qe\\a$</p>\n" * 100000)
            for path, why in ((binary, "not UTF-8 text"), (large, "too large to edit here")):
                self.element("open-file").send_keys(path)
                self.until(lambda: why in self.element("source").get_attribute("placeholder"))
                self.assertEqual(self.element("source").get_property("value"), "")
                self.until(lambda: self.text("result-note").startswith(
                    os.path.basename(path) + " is"))
                self.assertIn("its result is not shown", self.text("result-note"))
                self.assertIn("not shown here, nor checked", self.text("check-summary"))
                self.assertEqual(self.text("html"), "")
                # Copied as text, bytes that are not UTF-8 would be lost.
                self.assertEqual([self.element(button).is_enabled() for button in
                                  ("copy-html", "copy-text", "download")],
                                 [why != "not UTF-8 text"] * 2 + [True])
                self.assertEqual("not UTF-8" in self.text("copy-status"), why == "not UTF-8 text")
                self.element("download").click()
                with open(path, "rb") as file:
                    expected = native(file.read())
                name = os.path.basename(path).replace(".txt", ".html")
                self.assertEqual(self.downloaded(name), expected)
        finally:
            shutil.rmtree(folder)

    def test_answers_while_it_converts_a_large_file(self):
        folder = tempfile.mkdtemp()
        try:
            path = os.path.join(folder, "huge.txt")
            with open(path, "wb") as file:
                file.write(b"<p>$m^hnin >/aeide qe\\a$ $<|a$</p>\n" * 600000)
            self.element("open-file").send_keys(path)
            self.until(lambda: self.element("progress").is_displayed())
            # A tab chosen while the core converts is chosen at once: the
            # conversion is still under way when the page has answered.
            self.assertEqual(self.browser.execute_script(
                "document.getElementById('html-tab').click();"
                "return [document.getElementById('html-tab').getAttribute('aria-selected'),"
                "        document.getElementById('progress').hidden,"
                "        document.getElementById('download').disabled]"), ["true", False, True])
            self.until(lambda: not self.element("progress").is_displayed(), seconds=120)
            self.element("download").click()
            with open(path, "rb") as file:
                self.assertEqual(self.downloaded("huge.html"), native(file.read()))
        finally:
            shutil.rmtree(folder)

    def test_a_hostile_source_runs_nothing_and_reaches_nothing(self):
        away = self.listener.address
        hostile = (
            '<meta http-equiv="refresh" content="0; url=%s/refresh">'
            '<p id="shown">still here</p>'
            '<script>document.body.append("script ran"); fetch("%s/fetch")</script>'
            '<img src="%s/image" onerror="document.body.append(\'onerror ran\')">'
            '<img src=x onerror="document.body.append(\'onerror ran\')">'
            '<a id="js" href="javascript:document.body.append(\'link ran\')">js</a> '
            '<a id="away" href="%s/link">away</a> '
            '<a id="top" href="%s/top" target="_top">top</a>'
        ) % ((away,) * 5)
        self.type_source(hostile)
        self.until(lambda: "still here" in self.preview_text())
        self.browser.switch_to.frame(self.element("preview"))
        for link in ("js", "away", "top"):
            self.browser.find_element(By.ID, link).click()
        self.browser.switch_to.default_content()
        self.assertEqual(self.browser.current_url, "file://" + os.path.abspath(PAGE))
        self.assertEqual(len(self.browser.window_handles), 1)
        self.assertEqual(self.preview_text(), "still here\njs away top")
        # Each of these makes a browser connect, or could: the moment it is
        # shown, or when the mouse is pressed on a link.
        for number, source in enumerate((
                '<html><head><link rel="preconnect" href="{url}"></head><body>',
                '<link rel="preconnect" href="{url}"><link rel="dns-prefetch" href="{url}">',
                '<link rel="stylesheet" href="{url}"><link rel="prefetch" href="{url}">',
                '<svg><link rel="preconnect" href="{url}"></svg>',
                '<iframe src="{url}"></iframe><iframe srcdoc="<img src={url}>"></iframe>',
                '<object data="{url}"></object><embed src="{url}">',
                '<form action="{url}"><button formaction="{url}">send</button></form>',
                '<base href="{url}/"><a href="relative">relative</a>',
                '<a href="{url}">link</a> <a href="//{host}/">no scheme</a>',
                '<a ping="{url}" href="#here">ping</a><map name="m"><area href="{url}"></map>'
                '<img usemap="#m">',
                '<svg><a href="{url}"><text y="20">svg</text></a>'
                '<a xlink:href="{url}"><text>x</text></a><image href="{url}"/>'
                '<rect cursor="url({url}), auto" fill="url({url}#a)"/></svg>',
                '<img srcset="{url} 2x"><picture><source srcset="{url}"><img></picture>',
                '<video poster="{url}" src="{url}"></video><input type="image" src="{url}">',
                '<body background="{url}"><table background="{url}"><tr><td>cell</table>',
                '<style>p {{ background: url({url}) }}</style><style>@import "{url}";</style>',
                '<style>p {{ background: image-set("{url}" 1x) }}</style>'
                '<p style="cursor: u\\72l({url})">escaped</p>',
                '<style>p {{ --away: "{url}"; background: u\\72l(var(--away)) }}</style>',
                '<meta http-equiv="refresh" content="0; url={url}">')):
            source = source.format(url=away, host=away.split("//")[1])
            self.set_source('%s<p>source %d</p>' % (source, number))
            self.until(lambda: "source %d" % number in self.preview_text())
            self.browser.switch_to.frame(self.element("preview"))
            for link in self.browser.find_elements(By.CSS_SELECTOR, "a, button"):
                try:
                    ActionChains(self.browser).click_and_hold(link).release().perform()
                except StaleElementReferenceException:
                    pass  # a link followed: the page put the preview back
            self.browser.switch_to.default_content()
        # A connection comes at once: these seconds are a margin, not a measure.
        time.sleep(2)
        self.assertEqual(self.listener.connections, 0)

if __name__ == "__main__":
    missing = [name for name, found in (("python3-selenium", webdriver),
                                        ("chromium", shutil.which("chromium")),
                                        ("chromium-driver", shutil.which("chromedriver")),
                                        (PAGE, os.path.exists(PAGE))) if not found]
    if missing:
        print("SKIPPED: missing " + ", ".join(missing))
        sys.exit(0)
    unittest.main(argv=sys.argv[:1], verbosity=2)
