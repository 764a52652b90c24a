#!/usr/bin/python3
"""The report page of a recording with events, opened in a headless Chromium.

Makes a 40-second recording with mmv-synth --events on, converts it with
`vk2mp4 convert --report --subtitles none` and checks, in the browser: no
console error, no request leaving the machine, the route and every chart drawn,
the event table listing the episodes the page holds, the ones `vk2mp4 events
--json` lists (kind, recording, place) and the ones the synthetic drive raises,
and a click on an event seeking the video to its start within a frame.
The vehicle number is hostile markup, which must stay text.

With --screenshot PATH it saves the page as the README shows it instead, made
and checked the same way with a plain vehicle number.
Exit status 77 (a skipped test for CTest) when Chromium, its driver or
Selenium are missing.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
FPS = 25
HOSTILE = "</script><img src=x onerror=alert(1)>"
PLAIN = "AB-1234"  # the screenshot's, for the README
# What the synthetic drive raises in 40 seconds: FCW every 17 s from 8 s, LDW
# every 23 s from 12 s, Panic every 41 s from 30 s; Speeding above 78 km/h.
EXPECTED_KINDS = {"FCW": 2, "LDW": 2, "Panic": 1}
OPTIONAL_KINDS = {"Speeding"}


def skip(reason):
    print("report page browser test skipped: " + reason + " (scripts/setup installs chromium, "
          "chromium-driver and python3-selenium)")
    sys.exit(SKIP)


def fail(reason):
    print("report page browser test failed: " + reason)
    sys.exit(1)


def make_page(vk2mp4, synth, folder, vehicle):
    subprocess.run([synth, "--out", os.path.join(folder, "rec"), "--files", "2", "--seconds", "20",
                    "--size", "320x240", "--fps", str(FPS), "--events", "on", "--vehicle", vehicle],
                   check=True, stdout=subprocess.DEVNULL)
    target = os.path.join(folder, "out", "drive.mp4")
    subprocess.run([vk2mp4, "convert", "--report", "--subtitles", "none", "-q", "-o", target,
                    os.path.join(folder, "rec_1.mmv"), os.path.join(folder, "rec_2.mmv")], check=True)
    page = os.path.join(folder, "out", "drive.html")
    if not os.path.isfile(page):
        fail("convert --report wrote no " + page)
    listing = subprocess.run([vk2mp4, "events", "--json", os.path.join(folder, "rec_1.mmv"),
                              os.path.join(folder, "rec_2.mmv")], check=True, stdout=subprocess.PIPE)
    return page, json.loads(listing.stdout)["episodes"]


def open_browser(width, height):
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        skip("Selenium for Python 3 is not installed")
    for program in (CHROMIUM, CHROMEDRIVER):
        if not os.access(program, os.X_OK):
            skip(program + " is not installed")
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     "--window-size=%d,%d" % (width, height), "--autoplay-policy=no-user-gesture-required",
                     "--allow-file-access-from-files"):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL", "performance": "ALL"})
    return webdriver.Chrome(service=Service(executable_path=CHROMEDRIVER), options=options)


def wait_for(driver, script, what, seconds=20):
    deadline = time.time() + seconds
    while time.time() < deadline:
        if driver.execute_script(script):
            return
        time.sleep(0.1)
    fail("timed out waiting for " + what)


def check_page(driver, page, vehicle, listed):
    from selenium.webdriver.common.by import By

    driver.get("file://" + page)
    wait_for(driver, "return document.readyState === 'complete'", "the page to load")
    video = driver.find_element(By.ID, "video")
    wait_for(driver, "const v = document.getElementById('video'); return v.readyState >= 1 || v.error",
             "the video's metadata")
    if driver.execute_script("return document.getElementById('video').error !== null"):
        fail("the video does not load: " + str(driver.execute_script(
            "return document.getElementById('video').error.message")))

    # The hostile vehicle number is text: in the title, never an element.
    if driver.find_elements(By.TAG_NAME, "img"):
        fail("the vehicle number became an <img> element")
    if vehicle not in driver.title:
        fail("the title does not show the vehicle number as text: " + driver.title)
    data = json.loads(driver.find_element(By.ID, "report-data").get_attribute("textContent"))
    if data["vehicle"] != vehicle:
        fail("the data island's vehicle number is " + data["vehicle"])

    # The route and every chart are drawn.
    route = driver.find_elements(By.CSS_SELECTOR, "#route polyline.line")
    if len(route) != 1 or len(route[0].get_attribute("points").split()) < 10:
        fail("the route is not drawn")
    for chart in ("chart-speed", "chart-rpm", "chart-accel"):
        lines = driver.find_elements(By.CSS_SELECTOR, "#%s polyline" % chart)
        if not lines or any(len(line.get_attribute("points").split()) < 40 for line in lines):
            fail(chart + " is not drawn")

    # The table lists the episodes the page holds, those the drive raises.
    rows = driver.find_elements(By.CSS_SELECTOR, "#events tbody tr")
    episodes = data["episodes"]
    if len(rows) != len(episodes):
        fail("%d table rows for %d episodes" % (len(rows), len(episodes)))
    kinds = {}
    for row, episode in zip(rows, episodes):
        cells = row.find_elements(By.TAG_NAME, "td")
        if cells[0].text.strip() != episode["kind"] or cells[1].text.strip() != episode["start"]:
            fail("row %s does not match %s" % ([c.text for c in cells[:2]], episode))
        kinds[episode["kind"]] = kinds.get(episode["kind"], 0) + 1
    # ... and those `vk2mp4 events --json` lists: kind, recording and place, row by row.
    if len(rows) != len(listed):
        fail("%d table rows, %d episodes listed by vk2mp4 events" % (len(rows), len(listed)))
    for row, episode in zip(rows, listed):
        cells = [c.text.strip() for c in row.find_elements(By.TAG_NAME, "td")]
        wanted = [episode["kind"], os.path.basename(episode["recording"]),
                  "%.1f" % episode["seconds_into_recording"]]
        if [cells[0], cells[4], cells[5]] != wanted:
            fail("row %s, vk2mp4 events lists %s" % (cells, wanted))
    for kind, count in EXPECTED_KINDS.items():
        if kinds.get(kind) != count:
            fail("%s episodes: %s, expected %d" % (kind, kinds.get(kind), count))
    unexpected = set(kinds) - set(EXPECTED_KINDS) - OPTIONAL_KINDS
    if unexpected:
        fail("episodes the drive does not raise: " + ", ".join(sorted(unexpected)))
    links = driver.find_elements(By.CSS_SELECTOR, "#events a")
    if len(links) != len(episodes) or any("noopener" not in a.get_attribute("rel") for a in links):
        fail("each event needs a map link with rel=noopener")

    # A click on an event seeks the video to the episode's start.
    for index in (len(rows) - 1, 0):
        rows[index].find_elements(By.TAG_NAME, "td")[0].click()
        wait_for(driver, "return !document.getElementById('video').seeking", "the seek")
        now = driver.execute_script("return document.getElementById('video').currentTime")
        if abs(now - episodes[index]["t"]) > 1.0 / FPS:
            fail("the video is at %.3f s after a click on the event at %.3f s" % (now, episodes[index]["t"]))
        cursor = driver.find_element(By.CSS_SELECTOR, "#chart-speed .cursor")
        if cursor.value_of_css_property("visibility") != "visible":
            fail("the cursor is not shown after a click on an event")

    # Pointing at a chart shows the values there.
    from selenium.webdriver.common.action_chains import ActionChains
    ActionChains(driver).move_to_element(driver.find_element(By.ID, "chart-speed")).perform()
    readout = driver.find_element(By.ID, "readout").text
    if "km/h" not in readout or "rpm" not in readout:
        fail("the readout under the pointer says: " + readout)
    return video


def check_logs(driver):
    severe = [entry for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]
    if severe:
        fail("console errors: " + "; ".join(entry["message"] for entry in severe))
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message.get("method") != "Network.requestWillBeSent":
            continue
        url = message["params"]["request"]["url"]
        if not url.startswith(("file:", "data:", "blob:")):
            fail("the page asked for " + url)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--vk2mp4", required=True)
    parser.add_argument("--synth", required=True)
    parser.add_argument("--screenshot", help="save the page as a PNG image here")
    args = parser.parse_args()
    if args.screenshot is None:
        # Skip before making anything when the browser is not there.
        for program in (CHROMIUM, CHROMEDRIVER):
            if not os.access(program, os.X_OK):
                skip(program + " is not installed")
    folder = tempfile.mkdtemp(prefix="vk2-report-")
    driver = None
    try:
        vehicle = PLAIN if args.screenshot else HOSTILE
        page, listed = make_page(os.path.abspath(args.vk2mp4), os.path.abspath(args.synth), folder, vehicle)
        driver = open_browser(1200, 1560 if args.screenshot else 1000)
        check_page(driver, page, vehicle, listed)
        check_logs(driver)
        if args.screenshot:
            driver.execute_script("window.scrollTo(0, 0)")
            driver.save_screenshot(args.screenshot)
        print("report page browser test passed")
    finally:
        if driver:
            driver.quit()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
