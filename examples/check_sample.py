#!/usr/bin/python3
"""Runs the sample program against the emulated camera and reads what it wrote with outside
decoders: the PNG with the imaging library, the AVI with ffprobe and ffmpeg."""
import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

from PIL import Image

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "recording"))
from check_avi_files import decode, probe  # noqa: E402

WIDTH, HEIGHT = 1024, 768


def check_report(report, returncode, failures):
    if returncode != 0 or "result: every step worked" not in report:
        failures.append(f"the sample exited with {returncode}")
    if not re.search(r"^error queue, newest first:\n  empty$", report, re.M):
        failures.append("errors were queued")
    if not re.search(r"^cameras found: 1\n  Velmor520QK-ZRX_01$", report, re.M):
        failures.append("the emulated camera is not listed")
    frames = re.search(r"^  frames: (\d+) in 3000 ms, 1024 x 768, 24 bits", report, re.M)
    if not frames or int(frames.group(1)) < 3:
        failures.append("no live preview frames")


def check_png(path, failures):
    with Image.open(path) as image:
        if image.size != (WIDTH, HEIGHT) or image.mode != "RGB":
            failures.append(f"sample.png is {image.size} {image.mode}")
        elif len(set(image.getdata())) < 8:
            failures.append("sample.png holds no picture")


def check_avi(path, failures):
    stream = probe(path)
    frames = int(stream["nb_read_frames"])
    if (stream["width"], stream["height"]) != (WIDTH, HEIGHT) or frames < 2:
        failures.append(f"sample.avi: {stream['width']}x{stream['height']}, {frames} frames")
        return
    num, den = (int(v) for v in stream["r_frame_rate"].split("/"))
    # Two seconds of frames, the rate measured over them.
    if not (frames - 1) / 2.5 <= num / den <= frames / 2.0 + 0.5:
        failures.append(f"sample.avi: {frames} frames at {num / den:.2f} per second")
    if len(decode(path)) != frames * WIDTH * HEIGHT * 3:
        failures.append("sample.avi: not every frame decodes")


def main(argv):
    runner, sample = argv[:-1], argv[-1]
    folder = tempfile.mkdtemp(prefix="velmor-sample-")
    env = dict(os.environ, VELMOR_EMULATION="devices=0;timing=real")
    run = subprocess.run(runner + [sample, "Z:" + folder], capture_output=True, text=True, env=env)
    failures = []
    check_report(run.stdout, run.returncode, failures)
    png, avi = Path(folder) / "sample.png", Path(folder) / "sample.avi"
    if png.exists():
        check_png(png, failures)
    else:
        failures.append("no sample.png")
    if avi.exists():
        check_avi(avi, failures)
    else:
        failures.append("no sample.avi")
    for f in failures:
        print("FAIL:", f)
    print(run.stdout)
    if not failures:
        for f in (png, avi):
            f.unlink()
        os.rmdir(folder)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
