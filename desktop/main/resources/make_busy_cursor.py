#!/usr/bin/env python3
"""Draws the program's busy cursor and writes it as an animated cursor file.

The file is a RIFF container of form "ACON": an "anih" header, a "rate"
chunk and a "fram" list with one cursor image (32x32, 32 bits per pixel,
hot spot in the middle) per frame. Fifteen frames show a ring of dots whose
bright head turns once around the ring.

Run it from this folder to rebuild busy.ani:  python3 make_busy_cursor.py
"""

import math
import struct
import sys

SIZE = 32
FRAMES = 15
RATE = 6  # jiffies (1/60 s) per frame
DOTS = 15
RING_RADIUS = 11.0
DOT_RADIUS = 2.6
SUPERSAMPLE = 4


def draw_frame(head):
    """Returns SIZE*SIZE (b, g, r, a) tuples, top row first."""
    pixels = []
    centre = (SIZE - 1) / 2.0
    dots = []
    for d in range(DOTS):
        angle = 2.0 * math.pi * d / DOTS - math.pi / 2.0
        x = centre + RING_RADIUS * math.cos(angle)
        y = centre + RING_RADIUS * math.sin(angle)
        # Brightness falls off behind the head.
        age = (head - d) % DOTS
        level = max(0.15, 1.0 - age / 7.0)
        dots.append((x, y, level))
    step = 1.0 / SUPERSAMPLE
    for py in range(SIZE):
        for px in range(SIZE):
            cover = 0.0
            level_sum = 0.0
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    fx = px + (sx + 0.5) * step
                    fy = py + (sy + 0.5) * step
                    for (x, y, level) in dots:
                        if (fx - x - 0.5) ** 2 + (fy - y - 0.5) ** 2 <= DOT_RADIUS ** 2:
                            cover += 1.0
                            level_sum += level
                            break
            samples = SUPERSAMPLE * SUPERSAMPLE
            if cover == 0:
                pixels.append((0, 0, 0, 0))
                continue
            level = level_sum / cover
            alpha = int(round(255 * cover / samples))
            # Blue-grey dots, darker towards the tail.
            r = int(40 + 30 * level)
            g = int(70 + 90 * level)
            b = int(110 + 140 * level)
            pixels.append((b, g, r, alpha))
    return pixels


def cursor_image(pixels, hot_x, hot_y):
    """One cursor file (type 2) holding a single 32-bit image."""
    # Bitmap rows are stored bottom-up; the AND mask is all zero because
    # the alpha channel carries the shape.
    xor = bytearray()
    for row in range(SIZE - 1, -1, -1):
        for col in range(SIZE):
            xor += bytes(pixels[row * SIZE + col])
    mask_row = ((SIZE + 31) // 32) * 4
    and_mask = bytes(mask_row * SIZE)
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 32, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + bytes(xor) + and_mask
    icondir = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, hot_x, hot_y,
                        len(image), 6 + 16)
    return icondir + entry + image


def chunk(tag, data):
    out = tag + struct.pack('<I', len(data)) + data
    if len(data) % 2:
        out += b'\0'
    return out


def animated_cursor():
    frames = [cursor_image(draw_frame(k), SIZE // 2, SIZE // 2)
              for k in range(FRAMES)]
    # anih: size, frames, steps, width, height, bit count, planes,
    # default rate, flags (1 = frames are icon resources).
    anih = struct.pack('<9I', 36, FRAMES, FRAMES, 0, 0, 0, 0, RATE, 1)
    rate = struct.pack('<%dI' % FRAMES, *([RATE] * FRAMES))
    fram = b'fram' + b''.join(chunk(b'icon', f) for f in frames)
    body = b'ACON' + chunk(b'anih', anih) + chunk(b'rate', rate) \
        + chunk(b'LIST', fram)
    return b'RIFF' + struct.pack('<I', len(body)) + body


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else 'busy.ani'
    with open(out, 'wb') as f:
        f.write(animated_cursor())


if __name__ == '__main__':
    main()
