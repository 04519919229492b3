#!/usr/bin/python3
"""Reads what the viewer test left: the recording made with the default duration, through
ffprobe (a whole stream of raw frames of the full sensor, about three seconds of them at the rate
written into the file; removed once read), and the photograph of the window, turned into viewer-window.png."""
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


def convert_photograph(folder):
    picture = Image.open(folder / "viewer-window.bmp")
    if picture.width < 640 or picture.height < 480:
        return [f"photograph only {picture.width}x{picture.height}"]
    picture.save(folder / "viewer-window.png")
    return []


def main():
    folder = Path(sys.argv[1])
    failed = False
    for name, check in (("recording-001.avi", lambda: check_recording(folder / "recording-001.avi")),
                        ("photograph", lambda: convert_photograph(folder))):
        try:
            errors = check()
        except Exception as error:  # a file that a decoder cannot read fails the check
            errors = [f"{type(error).__name__}: {error}"]
        print(f"{name}: {'ok' if not errors else '; '.join(errors)}")
        failed |= bool(errors)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
