#!/usr/bin/env python3
"""Writes placeholder.hex: a firmware image of the right shape for tests.

It is NOT a module firmware and never goes into the tool: tests open it through
the firmware window's open-file path. Real modules need the maker's image.

Shape: 131056 bytes as 262112 upper-case hexadecimal digits in 6076 lines of
1 to 51 digits, so that some bytes have their two digits on two lines. The
content is a fixed header text followed by a linear congruential sequence, so
the file is the same on every run.
"""
import sys

BYTES = 131056
LINES = 6076
MAX_LINE = 51


def image_bytes():
    out = bytearray(b"ALVENTO PLACEHOLDER FIRMWARE - FOR TESTS ONLY, NOT FOR MODULES\x00")
    x = 0x2545F491
    while len(out) < BYTES:
        x = (x * 1103515245 + 12345) & 0x7FFFFFFF
        out.append((x >> 16) & 0xFF)
    return bytes(out[:BYTES])


def line_lengths(total):
    # Deterministic lengths in 1..51 that add up to `total` over LINES lines.
    lengths = []
    x = 7
    left = total
    for i in range(LINES):
        lines_left = LINES - i
        if lines_left == 1:
            lengths.append(left)
            break
        x = (x * 69069 + 1) & 0xFFFFFFFF
        # Mostly long lines, now and then a short one.
        want = 1 + (x >> 8) % MAX_LINE if (x >> 4) % 8 == 0 else 37 + (x >> 8) % 15
        lo = max(1, left - MAX_LINE * (lines_left - 1))
        hi = min(MAX_LINE, left - (lines_left - 1))
        n = min(max(want, lo), hi)
        lengths.append(n)
        left -= n
    assert sum(lengths) == total and len(lengths) == LINES
    assert all(1 <= n <= MAX_LINE for n in lengths)
    return lengths


def main(path):
    digits = image_bytes().hex().upper()
    pos = 0
    with open(path, "w", newline="\r\n") as f:
        for n in line_lengths(len(digits)):
            f.write(digits[pos:pos + n] + "\n")
            pos += n


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "placeholder.hex")
