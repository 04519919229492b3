#!/usr/bin/python3
"""Runs velmor-demo (under Wine) against the emulated camera and checks its report against what it
left behind: every format saved in every type, each file of the size printed and of the snapshot's
dimensions when read by decoders written elsewhere (ImageMagick; the BMP header for the bit counts
ImageMagick does not read), JPEG files shrinking with quality, and a preview that delivered 24-bit
frames of the full size to the demo's buffer with no failure left in the error queue, and a
recording that ffprobe reads with the frame count and rate printed.
    check_demo.py RUNNER... DEMO"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tests" / "recording"))
from check_avi_files import check_stream, probe  # noqa: E402

BITS = (8, 16, 24, 32, 48, 64)
SUFFIXES = (".bmp", ".raw", "-q100.jpg", "-q70.jpg", "-q20.jpg", ".png", ".tif")
WIDE = (16, 48, 64)  # 10-bit samples in 16-bit words
IDENTIFY = "/usr/bin/identify"  # the real ImageMagick, not a wrapper elsewhere on PATH
FILE_LINE = re.compile(r"^ +(snapshot-(\d+)bit(\S+)) +(\d+) bytes +[\d.]+ ms$", re.M)


def padded_row(width, bits):
    return (width * bits // 8 + 3) & ~3


def identify(path):
    """Width, height and bits per sample as ImageMagick reads them."""
    out = subprocess.run([IDENTIFY, "-format", "%w %h %z", path], capture_output=True, text=True).stdout
    return tuple(int(v) for v in out.split()) if out else None


def bmp_header(path):
    with open(path, "rb") as f:
        head = f.read(30)
    file_size, = struct.unpack_from("<I", head, 2)
    width, height, _, bit_count = struct.unpack_from("<iiHH", head, 18)
    return file_size, width, abs(height), bit_count


def check_file(path, bits, suffix, width, height):
    """Returns what is wrong with one saved file, or None."""
    size = os.path.getsize(path)
    if suffix == ".raw":
        expected = padded_row(width, bits) * height
        return None if size == expected else f"{size} bytes, not {expected}"
    if suffix == ".bmp":
        header = bmp_header(path)
        return None if header == (size, width, height, bits) else f"BMP header {header}"
    read = identify(path)
    depth = 16 if bits in WIDE and suffix in (".png", ".tif") else 8
    return None if read == (width, height, depth) else f"read as {read}, not {(width, height, depth)}"


def check_files(report, folder, failures):
    size = re.search(r"^Snapshots at (\d+) x (\d+)", report, re.M)
    if not size:
        failures.append("no snapshot size in the report")
        return
    width, height = int(size.group(1)), int(size.group(2))
    listed = {m.group(1): (int(m.group(2)), m.group(3), int(m.group(4))) for m in FILE_LINE.finditer(report)}
    expected = {f"snapshot-{b}bit{s}" for b in BITS for s in SUFFIXES}
    if set(listed) != expected:
        failures.append(f"files listed: missing {sorted(expected - set(listed))}, extra {sorted(set(listed) - expected)}")
    for name, (bits, suffix, printed) in sorted(listed.items()):
        path = os.path.join(folder, name)
        if not os.path.exists(path) or os.path.getsize(path) != printed:
            failures.append(f"{name}: not on disk with the {printed} bytes printed")
            continue
        wrong = check_file(path, bits, suffix, width, height)
        if wrong:
            failures.append(f"{name}: {wrong}")
    for bits in BITS:
        jpeg = [listed.get(f"snapshot-{bits}bit-q{q}.jpg", (0, "", 0))[2] for q in (100, 70, 20)]
        if not jpeg[0] > jpeg[1] > jpeg[2]:
            failures.append(f"{bits}-bit JPEG sizes at quality 100, 70, 20 do not shrink: {jpeg}")


def check_preview(report, failures):
    frames = re.search(r"^  frames received: (\d+)", report, re.M)
    if not frames or int(frames.group(1)) == 0:
        failures.append("no preview frame received")
    if not re.search(r"^  frame size: 2048 x 1536, 24 bits per pixel, 9437184-byte buffer$", report, re.M):
        failures.append("preview frame size line missing or wrong")
    if not re.search(r"^  frame rate from the frame information: \d+\.\d frames per second$", report, re.M):
        failures.append("no frame rate line")
    if not re.search(r"^  latency from posting to handling: median \d+ ms, maximum \d+ ms$", report, re.M):
        failures.append("no latency line")


def check_recording(report, folder, failures):
    """The recording's file as ffprobe reads it: the size, frame count and rate printed."""
    file = re.search(r"^  file: (\S+), (\d+) bytes$", report, re.M)
    frames = re.search(r"^  frames: (\d+)$", report, re.M)
    rate = re.search(r"^  rate written: ([\d.]+) frames per second \((\d+) us per frame\)$", report, re.M)
    if not (file and frames and rate):
        failures.append("recording lines missing")
        return
    path = os.path.join(folder, file.group(1))
    if not os.path.exists(path) or os.path.getsize(path) != int(file.group(2)):
        failures.append(f"{file.group(1)}: not on disk with the {file.group(2)} bytes printed")
        return
    errors = []
    check_stream(probe(path), 2048, 1536, int(frames.group(1)), float(rate.group(1)), errors)
    failures += [f"{file.group(1)}: {e}" for e in errors]
    # About three seconds of the preview's rate (a loaded machine may skip frames), and the rate
    # written is the frames over the time from the first to the last, a little over 3 s.
    preview = re.search(r"^  frame rate from the frame information: ([\d.]+) frames", report, re.M)
    count, written = int(frames.group(1)), float(rate.group(1))
    if preview and float(preview.group(1)) > 0:
        period = 1 / float(preview.group(1))
        # The frames' times are when the preview loop took them; a start-up delay of the first
        # one may let one more frame in before the duration runs out.
        if not 0.5 * 3.0 / period <= count - 1 <= 3.0 / period + 2.5:
            failures.append(f"{count} frames are not 3 s at {preview.group(1)} frames per second")
        if not count / (3.0 + 5 * period) <= written <= count / 3.0:
            failures.append(f"rate written {written} is not {count} frames over a little more than 3 s")


def check_summary(report, failures):
    summary = re.search(r"^Summary:\n  snapshots: 6 in \d+ ms .*\n  files saved: 42 in \d+ ms .*\n"
                        r"  live preview: (\d+) frames, .*\n  recording: (\d+) frames, .*\n  whole run: [\d.]+ s$",
                        report, re.M)
    if not summary or int(summary.group(1)) == 0 or int(summary.group(2)) < 2:
        failures.append("the closing summary is missing or wrong")


def check_command_line(runner, demo, failures):
    """--help explains the options and succeeds; an option that cannot be followed exits with 2."""
    usage = subprocess.run(runner + [demo, "--help"], capture_output=True, text=True)
    if usage.returncode != 0 or not all(o in usage.stdout for o in ("--device N", "--format BITS", "--record-ms")):
        failures.append(f"--help exited with {usage.returncode} or explains too little")
    for bad in (["--format", "12"], ["--device", "32"], ["--preview-ms"], ["--speed", "1"]):
        run = subprocess.run(runner + [demo] + bad, capture_output=True, text=True)
        if run.returncode != 2 or "usage:" not in run.stderr:
            failures.append(f"{' '.join(bad)} exited with {run.returncode}")


def main(argv):
    runner, demo = argv[:-1], argv[-1]
    folder = tempfile.mkdtemp(prefix="velmor-demo-")
    env = dict(os.environ, VELMOR_EMULATION="devices=0;source=bars")
    run = subprocess.run(runner + [demo, "Z:" + folder], capture_output=True, text=True, env=env)
    report = run.stdout
    failures = []
    if run.returncode != 0 or "Result: every step succeeded" not in report:
        failures.append(f"the demo exited with {run.returncode}")
    if "FAILED" in report or not re.search(r"^Error queue, newest first:\n  empty$", report, re.M):
        failures.append("the report holds failures or queued errors")
    if not re.search(r"^Cameras found: 1$", report, re.M):
        failures.append("the emulated camera is not listed")
    check_files(report, folder, failures)
    check_preview(report, failures)
    check_recording(report, folder, failures)
    check_summary(report, failures)
    check_command_line(runner, demo, failures)

    for f in failures:
        print("FAIL:", f)
    if failures:
        print(report, run.stderr, sep="\n")
        print(f"{len(failures)} failures; the files are in {folder}")
        return 1
    shutil.rmtree(folder)
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
