#!/usr/bin/env python3
"""Opens an exported page set in headless Chromium and checks its list frame: one table per
expected entry ({"name", "href"} in a JSON list), in order, naming the entry and linking to its
page, and every image loaded. Saves a screenshot. Exit status 0 when all holds, 1 when not, 2
when the browser cannot be started."""
import argparse
import json
import pathlib
import shutil
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

# The machine's network is closed: Chromium must not reach for anything of its own.
CHROMIUM_FLAGS = [
    "--headless",
    "--no-sandbox",
    "--disable-gpu",
    "--disable-quic",
    "--no-first-run",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--window-size=1100,800",
]

IMAGES = """return Array.from(document.images).map(
    i => [i.getAttribute('src'), i.complete, i.naturalWidth]);"""


def start_browser(profile, proxy):
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    driver = shutil.which("chromedriver")
    if not chromium or not driver:
        raise RuntimeError("chromium or chromedriver is not installed (scripts/deps.sh)")
    options = Options()
    options.binary_location = chromium
    for flag in CHROMIUM_FLAGS + ["--user-data-dir=" + profile]:
        options.add_argument(flag)
    if proxy:
        options.add_argument("--proxy-server=http://" + proxy)
    return webdriver.Chrome(service=Service(executable_path=driver), options=options)


def check_menu(browser, expected):
    failures = []
    browser.switch_to.frame("menu")
    tables = browser.find_elements(By.TAG_NAME, "table")
    if len(tables) != len(expected):
        failures.append(f"{len(tables)} tables in the list frame, {len(expected)} expected")
    for i, (table, entry) in enumerate(zip(tables, expected)):
        link = table.find_element(By.TAG_NAME, "a")
        found = {"name": link.find_element(By.TAG_NAME, "b").text,
                 "href": link.get_attribute("href")}
        if found != entry or link.get_attribute("target") != "main":
            failures.append(f"table {i + 1}: {found}, target {link.get_attribute('target')}; "
                            f"expected {entry} in the main frame")
    images = browser.execute_script(IMAGES)
    if not images:
        failures.append("the list frame has no images")
    for src, complete, width in images:
        if not complete or width <= 0:
            failures.append(f"image {src} did not load")
    browser.switch_to.default_content()
    return failures, len(tables), len(images)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--frameset", required=True)
    parser.add_argument("--expect", required=True)
    parser.add_argument("--screenshot", required=True)
    parser.add_argument("--proxy")
    args = parser.parse_args()
    expected = json.loads(pathlib.Path(args.expect).read_text(encoding="utf-8"))

    with tempfile.TemporaryDirectory(prefix="pelimond-chromium-") as profile:
        try:
            browser = start_browser(profile, args.proxy)
        except Exception as error:  # the browser or its driver is missing or broken
            print(f"cannot start Chromium: {error}", file=sys.stderr)
            return 2
        try:
            browser.set_page_load_timeout(60)
            browser.get(pathlib.Path(args.frameset).resolve().as_uri())
            failures, tables, images = check_menu(browser, expected)
            browser.save_screenshot(args.screenshot)
        finally:
            browser.quit()

    for failure in failures:
        print(failure, file=sys.stderr)
    print(f"{tables} tables, {images} images checked; screenshot {args.screenshot}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
