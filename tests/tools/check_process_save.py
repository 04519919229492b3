#!/usr/bin/env python3
"""Runs velmor-process (under Wine) on a small random mosaic and checks what it saves against its
own raw output with a decoder that nobody here wrote (Pillow): the PNG and TIFF of a 24-bit run and
the BMP of an 8-bit run hold exactly the raw output's pixels; an unknown type is refused."""
import os
import random
import subprocess
import sys
import tempfile

from PIL import Image

W, H = 37, 21  # odd sizes: padded rows

def stride(bits):
    return (W * bits // 8 + 3) & ~3

def run(runner, tool, *args):
    return subprocess.run(runner + [tool, *args], capture_output=True, text=True)

def rows(raw, bits):
    s = stride(bits)
    return [raw[y * s:y * s + W * bits // 8] for y in range(H)]

def main(argv):
    runner, tool = argv[:-1], argv[-1]
    work = tempfile.mkdtemp(prefix="velmor-process-")
    random.seed(7)
    mosaic = bytes(random.randrange(256) for _ in range(stride(8) * H))
    src = os.path.join(work, "in.raw")
    open(src, "wb").write(mosaic)
    failures = []

    files = {k: os.path.join(work, k) for k in ("out24.raw", "o.png", "o.tif", "out8.raw", "o.bmp")}
    r = run(runner, tool, "--in", src, "--width", str(W), "--height", str(H), "--format", "24", "--sharpness", "5",
            "--out", files["out24.raw"], "--save", files["o.png"], "--type", "5", "--save", files["o.tif"], "--type", "6")
    if r.returncode != 0:
        failures.append(f"24-bit run failed: {r.returncode} {r.stderr}")
    else:
        bgr = rows(open(files["out24.raw"], "rb").read(), 24)
        rgb = [bytes(b for i in range(W) for b in (row[3 * i + 2], row[3 * i + 1], row[3 * i])) for row in bgr]
        for name in ("o.png", "o.tif"):
            img = Image.open(files[name])
            if img.mode != "RGB" or img.size != (W, H):
                failures.append(f"{name}: {img.mode} {img.size}")
            elif [img.tobytes()[y * W * 3:(y + 1) * W * 3] for y in range(H)] != rgb:
                failures.append(f"{name}: pixels differ from the raw output")

    r = run(runner, tool, "--in", src, "--width", str(W), "--height", str(H), "--format", "8",
            "--out", files["out8.raw"], "--save", files["o.bmp"], "--type", "0")
    if r.returncode != 0:
        failures.append(f"8-bit run failed: {r.returncode} {r.stderr}")
    else:
        gray = rows(open(files["out8.raw"], "rb").read(), 8)
        img = Image.open(files["o.bmp"])
        if img.size != (W, H) or [bytes(img.convert("L").tobytes()[y * W:(y + 1) * W]) for y in range(H)] != gray:
            failures.append("o.bmp: pixels differ from the raw output")

    for bad in (["--type", "7"], ["--type", "-1"], []):
        r = run(runner, tool, "--in", src, "--width", str(W), "--height", str(H), "--format", "8",
                "--save", os.path.join(work, "never.png"), *bad)
        if r.returncode != 1 or os.path.exists(os.path.join(work, "never.png")):
            failures.append(f"--save with {bad or 'no --type'} was not refused")

    for f in failures:
        print("FAIL:", f)
    print("ok" if not failures else f"{len(failures)} failures")
    return 1 if failures else 0

if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
