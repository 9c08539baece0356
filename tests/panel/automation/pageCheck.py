#!/usr/bin/env python3
"""The status page as a browser shows it: opens the page in headless Chromium (driven over its
DevTools pipe), waits until the 24 tiles are drawn and the event stream is live, runs a command
that changes a camera's tally, waits for the page to show the change without a reload, and saves
a screenshot whose pixels are checked: every tile drawn, the changed camera's tile red, an unlit
one not.

pageCheck.py URL SCREENSHOT CAMERA COMMAND...   (exit status 0: all seen)"""
import base64
import json
import os
import struct
import subprocess
import sys
import tempfile
import time
import zlib

PAGE_BACKGROUND = (0x14, 0x17, 0x1C)
TALLY_RED_STRIPE = (0xE5, 0x34, 0x2A)
TALLY_RED_TILE = (0x4A, 0x1C, 0x1C)


class Browser:
    def __init__(self, profile):
        to_browser_r, self.to_browser = os.pipe()
        self.from_browser, from_browser_w = os.pipe()

        def pipes():
            # The browser reads commands on descriptor 3 and writes answers on 4; either end may
            # sit on one of those numbers now, so both are moved out of the way first.
            reads, writes = os.dup(to_browser_r), os.dup(from_browser_w)
            os.dup2(reads, 3)
            os.dup2(writes, 4)

        self.process = subprocess.Popen(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--remote-debugging-pipe",
             "--no-first-run", "--disable-background-networking", "--disable-extensions",
             "--hide-scrollbars", "--window-size=1280,800", "--user-data-dir=" + profile,
             "about:blank"],
            preexec_fn=pipes, pass_fds=(3, 4),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self.next_id = 0
        self.buffer = b""

    def call(self, method, params=None, session=None, limit=20.0):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        end = time.monotonic() + limit
        while time.monotonic() < end:
            while b"\0" in self.buffer:
                raw, self.buffer = self.buffer.split(b"\0", 1)
                answer = json.loads(raw)
                if answer.get("id") == self.next_id:
                    if "error" in answer:
                        raise RuntimeError(method + ": " + str(answer["error"]))
                    return answer.get("result", {})
            chunk = os.read(self.from_browser, 1 << 20)
            if not chunk:
                raise RuntimeError("the browser ended")
            self.buffer += chunk
        raise RuntimeError(method + ": no answer")

    def close(self):
        try:
            self.call("Browser.close", limit=5)
        except Exception:
            pass
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def decode_png(data):
    """Width, height and rows of RGB(A) pixels of an 8-bit, non-interlaced PNG."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    position, idat = 8, b""
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, "unexpected PNG format"
            channels = 4 if colour == 6 else 3
        elif kind == b"IDAT":
            idat += body
        position += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for x in range(stride):
            left = line[x - channels] if x >= channels else 0
            up = previous[x]
            corner = previous[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + left) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + up) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                best = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[x] = (line[x] + best) & 0xFF
        rows.append(line)
        previous = line
    return width, height, rows, channels


def near(pixel, colour, tolerance=12):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


def main():
    url, shot, camera, command = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4:]
    profile = tempfile.mkdtemp(prefix="zek-page.")
    browser = Browser(profile)
    try:
        target = browser.call("Target.createTarget", {"url": url})["targetId"]
        session = browser.call("Target.attachToTarget",
                               {"targetId": target, "flatten": True})["sessionId"]

        def evaluate(expression):
            result = browser.call("Runtime.evaluate",
                                  {"expression": expression, "returnByValue": True}, session)
            return result.get("result", {}).get("value")

        def wait(expression, what, limit=20.0):
            end = time.monotonic() + limit
            while time.monotonic() < end:
                if evaluate(expression):
                    return
                time.sleep(0.1)
            raise RuntimeError(what + "; the page says: " +
                               str(evaluate("document.getElementById('status').textContent")))

        wait("document.querySelectorAll('#tiles .tile').length === 24 && "
             "document.getElementById('status').textContent === 'Live'",
             "the page did not draw its tiles and go live")
        tile = "document.getElementById('cam-%d')" % camera
        if evaluate(tile + ".classList.contains('red')"):
            raise RuntimeError("camera %d was red before the change" % camera)
        subprocess.run(command, check=True, timeout=20, stdout=subprocess.DEVNULL)
        wait(tile + ".classList.contains('red')", "the tally change did not reach the page")

        png = base64.b64decode(browser.call("Page.captureScreenshot", {"format": "png"},
                                            session)["data"])
        with open(shot, "wb") as out:
            out.write(png)
        rects = evaluate("Array.from(document.querySelectorAll('#tiles .tile')).map(t => {"
                         " const r = t.getBoundingClientRect();"
                         " return [r.left, r.top, r.width, r.height]; })")
        scale = evaluate("window.devicePixelRatio") or 1
        width, height, rows, channels = decode_png(png)

        def pixel(x, y):
            x, y = int(x * scale), int(y * scale)
            return tuple(rows[y][x * channels:x * channels + 3])

        for number, (left, top, w, h) in enumerate(rects, start=1):
            if top + h > height / scale:
                continue  # below the window
            centre = pixel(left + w - 8, top + h - 8)
            if near(centre, PAGE_BACKGROUND, 3):
                raise RuntimeError("tile %d is not drawn" % number)
        left, top, w, h = rects[camera - 1]
        stripe = pixel(left + 3, top + h / 2)
        body = pixel(left + w - 8, top + h - 8)
        if not near(stripe, TALLY_RED_STRIPE) or not near(body, TALLY_RED_TILE):
            raise RuntimeError("camera %d's tile is not red in the screenshot: %s %s"
                               % (camera, stripe, body))
        other = rects[camera % 24]
        if near(pixel(other[0] + 3, other[1] + other[3] / 2), TALLY_RED_STRIPE):
            raise RuntimeError("an unlit camera's tile is red")
        print("page: 24 tiles, camera %d red, screenshot %s" % (camera, shot))
        return 0
    except Exception as error:
        print("page check: %s" % error)
        return 1
    finally:
        browser.close()
        subprocess.run(["rm", "-rf", profile])


if __name__ == "__main__":
    sys.exit(main())
