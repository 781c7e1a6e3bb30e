#!/usr/bin/python3
"""Saves the picture of the web page that the README shows, docs/web-page.png:
the page as built in build-web (emcmake cmake -S . -B build-web && cmake
--build build-web), opened from the disk in headless Chromium, with a mistake
and three warnings typed into the bundled example so that the picture shows
them listed and marked. Needs
Debian's chromium, chromium-driver, python3-selenium (for /usr/bin/python3)
and a font with polytonic Greek:
    apt-get install chromium chromium-driver python3-selenium fonts-noto-core
"""
import os
import shutil
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.support.ui import WebDriverWait

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

profile = tempfile.mkdtemp()
options = webdriver.ChromeOptions()
options.binary_location = shutil.which("chromium")
# A fresh profile and no background traffic: the page is a local file.
for argument in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--hide-scrollbars",
                 "--force-device-scale-factor=1", "--window-size=1200,1330",
                 "--user-data-dir=" + profile):
    options.add_argument(argument)
browser = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
try:
    browser.get("file://" + os.path.join(ROOT, "build-web", "web", "index.html"))
    # Two accents on the lambda of the first verse's "Phlh=i/adew"; no accent
    # on "k/unessin", a grave before the comma after "boul/h", and a Latin
    # question mark after Plato's "l/egein".
    browser.execute_script(
        "const source = document.getElementById('source');"
        "source.value = source.value.replace('Phlh=i/adew', 'Ph/\\\\lh=i/adew')"
        "  .replace('k/unessin', 'kunessin').replace('boul/h,', 'boul\\\\h,')"
        "  .replace('l/egein.', 'l/egein?');"
        "source.dispatchEvent(new Event('input'));")
    WebDriverWait(browser, 20).until(
        lambda _: len(browser.find_elements("css selector", "#diagnostics li")) == 4)
    browser.save_screenshot(os.path.join(ROOT, "docs", "web-page.png"))
finally:
    browser.quit()
    shutil.rmtree(profile, ignore_errors=True)
