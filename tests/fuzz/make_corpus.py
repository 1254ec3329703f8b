#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into tests/fuzz/corpus/<target>/.

The seeds are small, readable cases that reach the interesting paths at once, so the
fuzzer starts from them rather than from nothing. Run it again after changing the
input layout of a target; the files are committed.
"""
import hashlib
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write_corpus(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        os.remove(os.path.join(folder, name))
    for name, data in seeds:
        digest = hashlib.sha1(data).hexdigest()[:8]
        with open(os.path.join(folder, f"{name}-{digest}"), "wb") as f:
            f.write(data)


# ---- fuzz_command_line: UTF-16LE units, a zero unit between arguments -------------

def argv(*args):
    return "\0".join(("huemix.exe",) + args).encode("utf-16-le")


COMMAND_LINES = [
    ("none", argv()),
    ("windowed", argv("--windowed")),
    ("windowed-twice", argv("--windowed", "--windowed")),
    ("mode-8", argv("--mode", "8")),
    ("mode-12", argv("--mode", "12")),
    ("mode-takes-option-as-value", argv("--mode", "--windowed")),
    ("mode-later-wins", argv("--mode", "3", "--mode", "7")),
    ("mode-last-without-value", argv("--mode")),
    ("speed-1000", argv("--speed", "1000")),
    ("speed-negative", argv("--speed", "-5")),
    ("speed-word", argv("--speed", "fast")),
    ("speed-saturates", argv("--speed", "  +99999999999999999999")),
    ("speed-min", argv("--speed", "-2147483648")),
    ("speed-space-digits", argv("--speed", "\t\n12ab")),
    ("monitor-word", argv("--monitor", "second")),
    ("monitor-2", argv("--monitor", "2")),
    ("palette-ocean", argv("--palette", "ocean")),
    ("palette-oceans", argv("--palette", "OCEANS")),
    ("palette-number", argv("--palette", "2")),
    ("palette-last", argv("--palette")),
    ("palette-high-units", argv("--palette", "\u014f\u0143\u0145\u0141\u014e")),
    ("palette-long", argv("--palette", "PASTEL" * 8)),
    ("palette-ibm", argv("--palette", "IbM")),
    ("capitals-dash-equals", argv("--MODE", "3", "-mode", "3", "--mode=3")),
    ("unknown-then-number", argv("--colour", "5", "--windowed")),
    ("all-options", argv("--windowed", "--mode", "4", "--palette", "fire", "--speed", "20",
                         "--monitor", "1")),
    ("odd-byte", argv("--mode", "5") + b"\x37"),
]

# ---- fuzz_input: a 7-byte header, then (a, b) event pairs ---------------------------

KEY, LEFT, RIGHT, WHEEL, TIMER, OTHER = 0, 3, 4, 5, 6, 7
CTRL, SHIFT, RAW = 0x08, 0x10, 0x20
CLOCK, WRAP, FAIL, DESTROY = 0x00, 0x08, 0x10, 0x18


def header(mode=0, speed=0, palette=0, size=0, seed=0x1234):
    return struct.pack("<I", seed)[:3] + struct.pack("<bbBB", mode, speed, palette, size)


# The key list of the target: a byte below 0x80 picks from it, a byte from 0x80 on is
# the virtual-key code itself.
KEY_LIST = [0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x1B, 0x0D, 0x50, 0x52,
            0xDB, 0xDD, 0x48, 0x56, 0x42, 0x20, 0xBB, 0x6B, 0xBD, 0x6D, 0x53, 0x70, 0x7A,
            0x7B, 0x51, 0x58, 0x30, 0x61]


def key(code, flags=0):
    if code in KEY_LIST:
        return bytes([KEY | flags, KEY_LIST.index(code)])
    return bytes([KEY | RAW | flags, code])


def timer(id_):
    return bytes([TIMER, id_])


def wheel(delta):
    return bytes([WHEEL, delta & 0xFF])


def other(kind, b=0):
    return bytes([OTHER | kind, b])


LEFT_CLICK = bytes([LEFT, 0])
RIGHT_CLICK = bytes([RIGHT, 0])
ROTATE = timer(1)

KEYS = [0x0D, 0x1B, 0x20, 0x31, 0x32, 0x42, 0x48, 0x50, 0x52, 0x53, 0x56, 0x6B, 0x6D, 0x70,
        0x7A, 0x7B, 0xBB, 0xBD, 0xDB, 0xDD, 0x51, 0x58, 0x30, 0x61, 0xC0, 0xFF]

EVENTS = [
    ("splash-only", header()),
    ("splash-timer-to-mode-1", header() + timer(2) + ROTATE * 3),
    ("splash-timer-to-zoom", header(mode=8) + timer(2) + timer(5) * 4 + ROTATE),
    ("splash-timer-negative-mode", header(mode=-3) + timer(2) + ROTATE),
    ("start-in-zoom", header(mode=8) + timer(5) * 6 + key(0x31) + timer(5)),
    ("start-in-mode-12", header(mode=12) + ROTATE),
    ("every-key", header(mode=1, size=0x3F) + b"".join(key(k) for k in KEYS)),
    ("shifted-keys", header(mode=1) + key(0x50, SHIFT) + key(0x48, SHIFT) + key(0x48) +
     key(0x48, SHIFT) + key(0x53, CTRL) + key(0x53, CTRL) + key(0x52, SHIFT | CTRL)),
    ("adjust-while-rotating", header(mode=1, palette=3) + key(0x48) + ROTATE * 3 +
     key(0x56) + ROTATE * 3 + key(0x42) + ROTATE * 3 + key(0x0D) + ROTATE),
    ("steps-and-direction", header(mode=7) + key(0xDB) + ROTATE + key(0xDD) * 4 + ROTATE +
     key(0x52) + key(0xDB) * 3 + ROTATE * 2),
    ("pause-and-help", header(mode=3) + key(0x20) + ROTATE + key(0x70) + ROTATE + key(0x1B) +
     key(0x1B) + key(0x20) + ROTATE),
    ("wheel-to-limits", header(mode=1, speed=7) + wheel(8) * 3 + wheel(-8) * 4 + wheel(0) +
     key(0x6B) * 3),
    ("speed-1-slower", header(mode=6, speed=1) + key(0xBD) * 3 + key(0xBB) * 4),
    ("speed-1000-faster", header(mode=2, speed=121) + key(0xBD) + key(0xBB) * 3 + wheel(-1)),
    ("speed-int-max", header(mode=4, speed=127) + key(0xBB) + key(0xBD) + wheel(1)),
    ("speed-near-500", header(mode=3, speed=112) + key(0xBD) * 3 + wheel(-8) + key(0xBB)),
    ("auto-cycle", header(mode=6) + key(0x53, CTRL) + timer(3) * 3 + timer(5) + timer(3) +
     key(0x53, CTRL)),
    ("right-button-round", header(mode=7) + RIGHT_CLICK + timer(5) + LEFT_CLICK + RIGHT_CLICK +
     LEFT_CLICK),
    ("mouse-from-splash", header() + LEFT_CLICK + RIGHT_CLICK + timer(2)),
    ("esc-from-splash", header() + key(0x1B) + timer(2) + key(0x1B)),
    ("hint-timing", header(mode=1) + key(0x30) + timer(4) + other(CLOCK, 60) + timer(4) +
     other(CLOCK, 40) + timer(4)),
    ("clock-wrap", header(mode=1) + other(WRAP, 10) + key(0x52) + other(CLOCK, 3) + timer(4)),
    ("unknown-timers", header(mode=2) + timer(0) + timer(6) + timer(7)),
    ("failed-allocation", header(mode=1) + other(FAIL, 0) + key(0x32) + other(FAIL, 1) +
     key(0x38) + timer(5) + other(FAIL, 0) + key(0x37)),
    ("destroy", header(mode=3) + ROTATE + other(DESTROY) + ROTATE),
    ("snapshot-and-quit", header(mode=1) + key(0x7B) * 3 + key(0x7A) + key(0x51)),
    ("reaction-diffusion", header(mode=4) + key(0x30) + RIGHT_CLICK),
    ("buddhabrot", header(mode=8) + timer(5) + key(0x39)),
    ("odd-canvas", header(mode=2, size=0xF1) + key(0x33) + key(0x34) + key(0x36) + key(0x70)),
]

if __name__ == "__main__":
    write_corpus("fuzz_command_line", COMMAND_LINES)
    write_corpus("fuzz_input", EVENTS)
