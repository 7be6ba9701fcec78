#!/usr/bin/python3
"""The web panel in a real browser (Debian's chromium, driven by selenium).

A station with a window under a private X server serves the panel: the
canvas must match the window's picture pixel for pixel over a sample of
panels; a tap on an oxygen button changes its output byte; a lamp set with
tarnel-shm appears on the canvas; a right click opens a cover; a browser
without the token changes nothing; a wrong token is refused. Then a
headless station is operated from a 1280x800 touch-emulated browser.

Usage: browser_test.py BIN_DIR. Exit 77 (skipped) only when the browser
cannot start at all; with TARNEL_BROWSER_TEST_REQUIRED=1 (CI) that fails too."""
import base64
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

BIN = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/bin")
SKIP = 1 if os.environ.get("TARNEL_BROWSER_TEST_REQUIRED") == "1" else 77
PREFIX = "webbrowser%d_" % os.getpid()
TOKEN = "kiosk-token-%d" % os.getpid()
CHROMIUM_FLAGS = ("--headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                  "--disable-background-networking --disable-component-update --disable-sync").split()
failures = []


def check(condition, text):
    print(("ok   " if condition else "FAIL ") + text, flush=True)
    if not condition:
        failures.append(text)
    return condition


def wait_for(predicate, seconds=10.0, step=0.1):
    end = time.time() + seconds
    while time.time() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


def shm(*args, env):
    return subprocess.run([os.path.join(BIN, "tarnel-shm")] + [str(a) for a in args], env=env,
                          capture_output=True, text=True, timeout=20)


def field(key, name, env):
    fields = json.loads(shm("describe", key, "--json", env=env).stdout)
    return next(f for f in fields if f["layout"] == "A330" and f["name"] == name)


def start_station(args, env, log_path):
    log = open(log_path, "w")
    process = subprocess.Popen([os.path.join(BIN, "tarnel")] + args, env=env, stderr=log, stdout=log)
    port = wait_for(lambda: re.search(r"127\.0\.0\.1:(\d+)/", open(log_path).read()), 15)
    if not port:
        process.kill()
        raise RuntimeError("the station did not start serving: " + open(log_path).read())
    return process, int(port.group(1))


def start_browser(width, height, touch=False):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    for flag in CHROMIUM_FLAGS:
        options.add_argument(flag)
    options.add_argument("--user-data-dir=" + tempfile.mkdtemp(prefix="tarnel-chromium-"))
    options.add_argument("--window-size=%d,%d" % (width, height))
    options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    if touch:
        options.add_experimental_option("mobileEmulation", {
            "deviceMetrics": {"width": width, "height": height, "pixelRatio": 1.0, "touch": True}})
    return webdriver.Chrome(service=Service(shutil.which("chromedriver") or "/usr/bin/chromedriver"),
                            options=options)


def page_state(driver):
    return driver.execute_script("return window.tarnel ? {connected: tarnel.connected, operate: tarnel.operate,"
                                 " frames: tarnel.frames, refused: tarnel.refused, controls: tarnel.controls.length}"
                                 " : null")


def wait_page(driver, operate):
    return wait_for(lambda: (lambda s: s and s["connected"] and s["frames"] > 0 and s["controls"] > 0 and
                             s["operate"] == operate)(page_state(driver)), 20)


def canvas_pixels(driver, x, y, w, h):
    data = driver.execute_script("""
        const d = document.getElementById('panel').getContext('2d').getImageData(arguments[0], arguments[1],
                                                                               arguments[2], arguments[3]).data;
        let s = '';
        for (let i = 0; i < d.length; i += 4) s += String.fromCharCode(d[i], d[i + 1], d[i + 2]);
        return btoa(s);""", x, y, w, h)
    return base64.b64decode(data)


def settle(driver):
    """Waits until no frame has arrived for half a second."""
    last = -1
    for _ in range(60):
        frames = page_state(driver)["frames"]
        if frames == last:
            return
        last = frames
        time.sleep(0.5)


def screen_rows(display):
    """The X screen (an xwd dump read here) as rows of (red, green, blue) planes."""
    dump = subprocess.run(["xwd", "-root", "-silent", "-display", display], capture_output=True, timeout=20).stdout
    header = struct.unpack(">25I", dump[:100])
    header_size, width, height = header[0], header[4], header[5]
    byte_order, bpp, bytes_per_line, ncolors = header[7], header[11], header[12], header[19]
    assert bpp in (24, 32), "xwd: %d bits per pixel" % bpp
    step = bpp // 8
    data = dump[header_size + ncolors * 12:]
    # Little-endian pixels hold blue first; big-endian ones red first (after the pad byte).
    r, g, b = (2, 1, 0) if byte_order == 0 else ((1, 2, 3) if step == 4 else (0, 1, 2))
    rows = []
    for y in range(height):
        row = data[y * bytes_per_line:y * bytes_per_line + width * step]
        rows.append((row[r::step], row[g::step], row[b::step]))
    return rows


def locate(rows, rgb, w, h):
    """Where the picture (packed RGB, w x h) shows on the screen, or None."""
    planes = [(rgb[y * w * 3:(y + 1) * w * 3][0::3], rgb[y * w * 3:(y + 1) * w * 3][1::3],
               rgb[y * w * 3:(y + 1) * w * 3][2::3]) for y in range(h)]
    for y in range(len(rows) - h + 1):
        x = rows[y][0].find(planes[0][0])
        while x >= 0:
            if all(rows[y + k][c][x:x + w] == planes[k][c] for k in range(h) for c in range(3)):
                return x, y
            x = rows[y][0].find(planes[0][0], x + 1)
    return None


def client_point(driver, px, py):
    """Where a picture pixel's centre is in the browser's viewport."""
    return driver.execute_script("""
        const r = document.getElementById('view').getBoundingClientRect();
        const m = new DOMMatrix(getComputedStyle(document.getElementById('panel')).transform);
        return [r.left + m.e + (arguments[0] + 0.5) * m.a, r.top + m.f + (arguments[1] + 0.5) * m.d];""", px, py)


def mouse(driver, px, py, button="left"):
    from selenium.webdriver.common.actions.action_builder import ActionBuilder
    x, y = client_point(driver, px, py)
    actions = ActionBuilder(driver)
    actions.pointer_action.move_to_location(int(x), int(y))
    if button == "left":
        actions.pointer_action.click()
    else:
        actions.pointer_action.context_click()
    actions.perform()


def touch(driver, px, py, hold_s=0.0):
    x, y = client_point(driver, px, py)
    point = [{"x": x, "y": y, "id": 1}]
    driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": point})
    time.sleep(hold_s)
    driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})


def control(controls, key, row):
    return next(c for c in controls if c["k"] == key and c["r"] == row)


def main():
    for tool in ("chromium", "chromedriver", "Xvfb", "xwd"):
        if not shutil.which(tool):
            print("SKIP: %s is not installed: the browser test cannot run" % tool)
            return SKIP
    work = tempfile.mkdtemp(prefix="tarnel-web-test-")
    token_file = os.path.join(work, "token")
    with open(token_file, "w") as f:
        f.write(TOKEN + "\n")
    os.chmod(token_file, 0o600)
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1920x1400x24", "-nolisten", "tcp"],
                            pass_fds=(write_fd,), stderr=subprocess.DEVNULL)
    os.close(write_fd)
    display = ":" + os.read(read_fd, 16).decode().strip()
    env = dict(os.environ, DISPLAY=display, TARNEL_SHM_PREFIX=PREFIX, SDL_AUDIODRIVER="dummy")
    processes = [xvfb]
    drivers = []
    try:
        station, port = start_station(["--autostart", "--geometry", "1900x1340+0+0", "--web", "127.0.0.1:0",
                                       "--web-token-file", token_file], env, os.path.join(work, "station.log"))
        processes.append(station)
        base = "http://127.0.0.1:%d/" % port
        try:
            operator = start_browser(1880, 1400)
        except Exception as error:  # noqa: BLE001 - any failure to start is a skip
            print("SKIP: the browser cannot start: %s" % error)
            return SKIP
        drivers.append(operator)
        operator.get(base + "?token=" + TOKEN)
        check(wait_page(operator, True), "the kiosk URL's token makes the browser an operator")
        controls = operator.execute_script("return tarnel.controls")
        settle(operator)

        # The canvas against the window's own picture: each panel's pixels
        # are found on the X screen, all at the same offset (the view's).
        boxes = {}
        for c in controls:
            b = boxes.setdefault(c["k"], [c["x"], c["y"], c["x"] + c["w"], c["y"] + c["h"]])
            b[:] = [min(b[0], c["x"]), min(b[1], c["y"]), max(b[2], c["x"] + c["w"]), max(b[3], c["y"] + c["h"])]
        rows = screen_rows(display)
        offsets = set()
        for key in ("oxygen", "fuel", "electrical", "engine-fire", "air", "rmp"):
            x0, y0, x1, y1 = boxes[key]
            found = locate(rows, canvas_pixels(operator, x0, y0, x1 - x0, y1 - y0), x1 - x0, y1 - y0)
            check(found is not None, "canvas matches the station's window over %s (%dx%d)" % (key, x1 - x0, y1 - y0))
            if found:
                offsets.add((found[0] - x0, found[1] - y0))
        check(len(offsets) == 1, "every panel sits at the same place in the window as on the canvas: %s" % offsets)

        # A tap on an oxygen button toggles its output byte, and is logged.
        position = field("oxygen", "button 0 position", env)
        before = shm("get", position["offset"], "u8", env=env).stdout.strip()
        button = control(controls, "oxygen", "button 0")
        mouse(operator, button["x"] + button["w"] // 2, button["y"] + button["h"] // 2)
        after = wait_for(lambda: (lambda v: v if v != before else None)(
            shm("get", position["offset"], "u8", env=env).stdout.strip()), 5)
        check(after is not None, "a click on oxygen button 0 changes its output byte (%s -> %s)" % (before, after))
        check(wait_for(lambda: "panel=oxygen control=\"button 0\"" in open(os.path.join(work, "station.log")).read(), 5),
              "the remote operation is logged with the panel and the control")

        # A lamp set with tarnel-shm shows on the canvas.
        lamp = field("oxygen", "button 2 upper lamp", env)
        lamp_button = control(controls, "oxygen", "button 2")
        rect = (lamp_button["x"], lamp_button["y"], lamp_button["w"], lamp_button["h"])
        dark = canvas_pixels(operator, *rect)
        shm("set", lamp["offset"], "u8", 1, env=env)
        check(wait_for(lambda: canvas_pixels(operator, *rect) != dark, 5), "a lamp set with tarnel-shm shows on the canvas")
        shm("set", lamp["offset"], "u8", 0, env=env)

        # A right click opens a cover plate.
        plate = control(controls, "oxygen", "plate 0")
        prect = (plate["x"], plate["y"], plate["w"], plate["h"])
        closed = canvas_pixels(operator, *prect)
        mouse(operator, plate["x"] + plate["w"] // 2, plate["y"] + 4, button="right")
        check(wait_for(lambda: canvas_pixels(operator, *prect) != closed, 5), "a right click opens the oxygen cover plate")
        check(wait_for(lambda: "control=\"plate 0\" opened or closed" in open(os.path.join(work, "station.log")).read(),
                       5), "opening the cover is logged")
        mouse(operator, plate["x"] + plate["w"] // 2, plate["y"] + 4, button="right")
        settle(operator)

        # A browser without the token watches only; a wrong token is refused.
        watcher = start_browser(1280, 900)
        drivers.append(watcher)
        watcher.get(base)
        check(wait_page(watcher, False), "a browser without the token only watches")
        value = shm("get", position["offset"], "u8", env=env).stdout.strip()
        mouse(watcher, button["x"] + button["w"] // 2, button["y"] + button["h"] // 2)
        check(wait_for(lambda: page_state(watcher)["refused"] > 0, 5), "the watcher's press is refused and it is told")
        time.sleep(0.5)
        check(shm("get", position["offset"], "u8", env=env).stdout.strip() == value,
              "the watcher's click changes nothing")
        watcher.find_element("id", "token").send_keys("not-the-token")
        watcher.find_element("css selector", "#login button").click()
        check(wait_for(lambda: "refused" in watcher.find_element("id", "message").text.lower(), 5),
              "a wrong token is refused on the page")
        check(not page_state(watcher)["operate"], "after a wrong token the browser still only watches")
        operator.save_screenshot(os.path.join(work, "operator.png"))
        for d in drivers:
            d.quit()
        drivers.clear()
        station.terminate()
        station.wait(20)

        # A headless station operated from a tablet-sized touch browser.
        env2 = dict(env, TARNEL_SHM_PREFIX=PREFIX + "h_")
        env2.pop("DISPLAY", None)
        headless, port2 = start_station(["--headless", "--web", "127.0.0.1:0", "--web-token-file", token_file],
                                        env2, os.path.join(work, "headless.log"))
        processes.append(headless)
        tablet = start_browser(1280, 800, touch=True)
        drivers.append(tablet)
        tablet.get("http://127.0.0.1:%d/?token=%s" % (port2, TOKEN))
        check(wait_page(tablet, True), "the tablet operates the headless station")
        controls = tablet.execute_script("return tarnel.controls")
        button = control(controls, "oxygen", "button 0")
        position2 = field("oxygen", "button 0 position", env2)
        before = shm("get", position2["offset"], "u8", env=env2).stdout.strip()
        touch(tablet, button["x"] + button["w"] // 2, button["y"] + button["h"] // 2)
        check(wait_for(lambda: shm("get", position2["offset"], "u8", env=env2).stdout.strip() != before, 5),
              "a finger tap on oxygen button 0 changes its output byte")
        plate = control(controls, "oxygen", "plate 0")
        prect = (plate["x"], plate["y"], plate["w"], plate["h"])
        settle(tablet)
        closed = canvas_pixels(tablet, *prect)
        touch(tablet, plate["x"] + plate["w"] // 2, plate["y"] + 4, hold_s=0.8)
        check(wait_for(lambda: canvas_pixels(tablet, *prect) != closed, 5), "a long press opens the cover plate")
        tablet.save_screenshot(os.path.join(work, "tablet.png"))
        print("screenshots in " + work)
    finally:
        for d in drivers:
            try:
                d.quit()
            except Exception:  # noqa: BLE001
                pass
        for p in reversed(processes):
            p.terminate()
            try:
                p.wait(20)
            except subprocess.TimeoutExpired:
                p.kill()
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
