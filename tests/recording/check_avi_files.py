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


def probe(path, count="frames"):
    """ffprobe's view of the file's video stream, its frames decoded and counted ("frames") or its
    packets only counted ("packets")."""
    return json.loads(subprocess.run(
        ["ffprobe", "-v", "error", f"-count_{count}", "-show_streams", "-of", "json", str(path)],
        check=True, capture_output=True).stdout)["streams"][0]


def decode(path):
    """Every frame as ffmpeg decodes it: BGR bytes, rows top first and unpadded."""
    return subprocess.run(
        ["ffmpeg", "-v", "error", "-i", str(path), "-f", "rawvideo", "-pix_fmt", "bgr24", "-"],
        check=True, capture_output=True).stdout


def check_stream(stream, width, height, frames, rate, errors, count="frames"):
    """Codec, size, frame count and frame rate of a probed stream."""
    if stream["codec_name"] != "rawvideo":
        errors.append(f"codec {stream['codec_name']}")
    if (stream["width"], stream["height"]) != (width, height):
        errors.append(f"size {stream['width']}x{stream['height']}")
    if int(stream[f"nb_read_{count}"]) != frames:
        errors.append(f"{count} {stream[f'nb_read_{count}']}, expected {frames}")
    num, den = (int(v) for v in stream["r_frame_rate"].split("/"))
    if abs(num / den - rate) > 1e-3 * rate:
        errors.append(f"rate {stream['r_frame_rate']}, expected {rate:.4f}")


def check(path, width):
    errors = []
    check_stream(probe(path), width, HEIGHT, FRAMES, RATE, errors)
    frames = decode(path)
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
