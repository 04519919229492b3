#!/usr/bin/python3
"""Reads what the viewer test left: the recording made with the default duration, through
ffprobe (a whole stream of raw frames of the full sensor, about three seconds of them at the rate
written into the file; removed once read), the frame saved through the save dialog in the types a
reader knows (removed once read), and the photographs of the window, live and idle, turned into PNG."""
import sys
from pathlib import Path

from PIL import Image

sys.path.insert(0, str(Path(__file__).resolve().parents[3] / "tests" / "recording"))
from check_avi_files import probe  # noqa: E402

RECORD_SECONDS = 3
WIDTH, HEIGHT = 2048, 1536


def check_recording(path):
    try:
        stream = probe(path)
    finally:
        path.unlink()  # a full-sensor recording takes about a gigabyte
    errors = []
    if stream["codec_name"] != "rawvideo":
        errors.append(f"codec {stream['codec_name']}")
    if (stream["width"], stream["height"]) != (WIDTH, HEIGHT):
        errors.append(f"size {stream['width']}x{stream['height']}")
    frames = int(stream["nb_read_frames"])
    num, den = (int(v) for v in stream["r_frame_rate"].split("/"))
    seconds = frames * den / num if num else 0
    # The rate is the one measured while recording: the frames cover the duration asked.
    if frames < 2 or abs(seconds - RECORD_SECONDS) > 0.5:
        errors.append(f"{frames} frames at {num}/{den} per second make {seconds:.2f} s")
    return errors


# Saved in the 24-bit format: every reader sees the whole sensor in colour.
SAVED = ("saved.bmp", "saved.png", "saved.tif", "saved-q100.jpg", "saved-q70.jpg", "saved-q20.jpg")


def check_saved(path):
    try:
        with Image.open(path) as picture:
            picture.load()
            size, mode = picture.size, picture.mode
    finally:
        path.unlink()
    errors = []
    if size != (WIDTH, HEIGHT):
        errors.append(f"size {size[0]}x{size[1]}")
    if mode != "RGB":
        errors.append(f"mode {mode}")
    return errors


def convert_photograph(folder, state):
    picture = Image.open(folder / f"viewer-{state}.bmp")
    if picture.width < 640 or picture.height < 480:
        return [f"photograph only {picture.width}x{picture.height}"]
    picture.save(folder / f"viewer-{state}.png")
    return []


def main():
    folder = Path(sys.argv[1])
    failed = False
    checks = [("recording-001.avi", lambda: check_recording(folder / "recording-001.avi"))]
    checks += [(name, lambda name=name: check_saved(folder / name)) for name in SAVED]
    checks += [(f"{state} photograph", lambda state=state: convert_photograph(folder, state)) for state in ("live", "idle")]
    for name, check in checks:
        try:
            errors = check()
        except Exception as error:  # a file that a decoder cannot read fails the check
            errors = [f"{type(error).__name__}: {error}"]
        print(f"{name}: {'ok' if not errors else '; '.join(errors)}")
        failed |= bool(errors)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
