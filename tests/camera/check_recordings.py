#!/usr/bin/python3
"""Reads the recordings of record_test.cpp with ffprobe and ffmpeg, as listed in recordings.txt
(name, width, height, frames and stream scale from the file's headers, and the file of the
expected last frame): the frame count and rate a player sees, every frame decoded, and the last
one equal to the preview frame it was recorded from. A file listed as "count" (the 2 GiB one) is
only counted, packet by packet, and then removed."""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "recording"))
sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "imaging"))
from check_avi_files import check_stream, decode, probe  # noqa: E402
from check_image_files import run_checks  # noqa: E402

STREAM_RATE = 10_000_000  # the stream header's rate; frames per second = rate / scale


def check(folder, name, width, height, frames, scale, last, errors):
    path = folder / name
    if last == "count":
        try:
            check_stream(probe(path, "packets"), width, height, frames, STREAM_RATE / scale, errors, "packets")
        finally:
            path.unlink()
        return
    check_stream(probe(path), width, height, frames, STREAM_RATE / scale, errors)
    decoded = decode(path)
    size = width * height * 3
    if len(decoded) != frames * size:
        errors.append(f"decoded {len(decoded)} bytes, expected {frames * size}")
    elif last != "-" and decoded[-size:] != (folder / last).read_bytes():
        errors.append("last frame differs from the preview frame")


def main():
    folder = Path(sys.argv[1])
    listed = [line.split() for line in (folder / "recordings.txt").read_text().splitlines() if line.strip()]
    checks = [(name, lambda e, n=name, w=w, h=h, f=f, s=s, last=last:
               check(folder, n, int(w), int(h), int(f), int(s), last, e))
              for name, w, h, f, s, last in listed]
    if not checks:
        print("no recordings listed")
        return 1
    return 1 if run_checks("recording", checks) else 0


if __name__ == "__main__":
    sys.exit(main())
