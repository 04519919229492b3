#!/usr/bin/env python3
"""Reads the AVI files of the writer test with ffprobe and ffmpeg: frame count, size, rate, and
the last frame decoded to the pixels the test wrote."""
import json
import subprocess
import sys
from pathlib import Path

FRAMES = 6
HEIGHT = 48
WIDTHS = (640, 641, 642, 643)
RATE = 10_000_000 / 333_333  # six frames 40 ms apart: 30 frames per second


def pattern(width, height, f):
    """Top-down BGR bytes of frame f, as the writer test fills it."""
    out = bytearray()
    for y in range(height):
        for x in range(width):
            out += bytes(((x + 7 * f) & 255, (3 * y + f) & 255, (x * y + 11 * f) & 255))
    return bytes(out)


def check(path, width):
    probe = json.loads(subprocess.run(
        ["ffprobe", "-v", "error", "-count_frames", "-show_streams", "-of", "json", str(path)],
        check=True, capture_output=True).stdout)
    stream = probe["streams"][0]
    errors = []
    if stream["codec_name"] != "rawvideo":
        errors.append(f"codec {stream['codec_name']}")
    if (stream["width"], stream["height"]) != (width, HEIGHT):
        errors.append(f"size {stream['width']}x{stream['height']}")
    if int(stream["nb_read_frames"]) != FRAMES:
        errors.append(f"frames {stream['nb_read_frames']}")
    num, den = (int(v) for v in stream["r_frame_rate"].split("/"))
    if abs(num / den - RATE) > 1e-3:
        errors.append(f"rate {stream['r_frame_rate']}")
    frames = subprocess.run(
        ["ffmpeg", "-v", "error", "-i", str(path), "-f", "rawvideo", "-pix_fmt", "bgr24", "-"],
        check=True, capture_output=True).stdout
    size = width * HEIGHT * 3
    if len(frames) != FRAMES * size:
        errors.append(f"decoded {len(frames)} bytes")
    elif frames[-size:] != pattern(width, HEIGHT, FRAMES - 1):
        errors.append("last frame differs from the written pixels")
    return errors


def main():
    folder = Path(sys.argv[1])
    failed = False
    for width in WIDTHS:
        path = folder / f"w{width}.avi"
        errors = check(path, width) if path.exists() else ["missing"]
        print(f"{path.name}: {'ok' if not errors else '; '.join(errors)}")
        failed |= bool(errors)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
