#!/usr/bin/python3
"""Reads the still images of the writer test with decoders written elsewhere (ImageMagick,
libtiff's tiffdump, Python's imaging library) and checks dimensions, depths, channel counts,
colour types and sample values against the pattern the test wrote (see FillPattern there)."""
import re
import struct
import subprocess
import sys
from pathlib import Path

from PIL import Image

W, H = 641, 5
BITS = (8, 16, 24, 32, 48, 64)
CONVERT = "/usr/bin/convert"  # the real ImageMagick, not a wrapper elsewhere on PATH


def s8(x, y, c):
    return (x * 5 + y * 29 + c * 67) & 255


def s10(x, y, c):
    return 1023 if x == 0 and y == 0 else (x * 13 + y * 71 + c * 301) % 1024


def wide(bits):
    return bits in (16, 48, 64)


def gray(bits):
    return bits in (8, 16)


def stride(bits):
    return (W * (bits // 8) + 3) & ~3


def memory_block(bits):
    """The surface's pixel block, memory row 0 first, padding zero."""
    out = bytearray()
    for y in range(H):
        row = bytearray()
        for x in range(W):
            samples = 1 if gray(bits) else 3
            for c in range(samples):
                row += struct.pack("<H", s10(x, y, c)) if wide(bits) else bytes((s8(x, y, c),))
            if bits == 32:
                row.append((x + y) & 255)
            if bits == 64:
                row += struct.pack("<H", 0x1234)
        out += row + bytes(stride(bits) - len(row))
    return bytes(out)


def expected_samples(bits, scale16, alpha=None):
    """Top-down samples in RGB(A) order: 8-bit values for 8-bit formats; 10-bit values x 64
    (scale16) or the top 8 of 10 bits (not scale16) for the wide ones."""
    values = []
    for y in range(H):
        for x in range(W):
            order = [0] if gray(bits) else [2, 1, 0]
            for c in order:
                if wide(bits):
                    values.append(s10(x, y, c) * 64 if scale16 else s10(x, y, c) >> 2)
                else:
                    values.append(s8(x, y, c))
            if alpha is not None:
                values.append(alpha(x, y))
    return values


def magick_samples(path, depth, layout):
    raw = subprocess.run([CONVERT, str(path), "-depth", str(depth), "-endian", "MSB", f"{layout}:-"],
                         check=True, capture_output=True).stdout
    return list(struct.unpack(f">{len(raw) // 2}H", raw)) if depth == 16 else list(raw)


def check_bmp(path, bits, errors):
    data = path.read_bytes()
    off = 1078 if bits == 8 else 54
    b_type, size, _, _, off_bits = struct.unpack_from("<2sIHHI", data, 0)
    hdr = struct.unpack_from("<IiiHHIIiiII", data, 14)
    if (b_type, size, off_bits, len(data)) != (b"BM", off + H * stride(bits), off, off + H * stride(bits)):
        errors.append(f"file header {b_type} {size} {off_bits} len {len(data)}")
    if hdr != (40, W, H, 1, bits, 0, 0, 0, 0, 0, 0):
        errors.append(f"info header {hdr}")
    if bits == 8 and data[54:1078] != bytes(v for i in range(256) for v in (i, i, i, 0)):
        errors.append("colour table is not the gray ramp")
    block, st = memory_block(bits), stride(bits)
    rows = [data[off + r * st: off + (r + 1) * st] for r in range(H)]
    if rows != [block[(H - 1 - r) * st: (H - r) * st] for r in range(H)]:
        errors.append("rows are not the surface rows bottom first")
    if bits in (8, 24, 32):  # the formats a common decoder reads
        img = Image.open(path)
        pixels = list(img.convert("L" if bits == 8 else "RGB").getdata())
        flat = pixels if bits == 8 else [v for p in pixels for v in p]
        if img.size != (W, H) or flat != expected_samples(bits, False):
            errors.append(f"decoded {img.size} {img.mode} differs")


def check_raw(path, bits, errors):
    data = path.read_bytes()
    if data != memory_block(bits):
        errors.append(f"raw differs ({len(data)} bytes, expected {H * stride(bits)})")


def luma(rgb):
    return [0.299 * rgb[i] + 0.587 * rgb[i + 1] + 0.114 * rgb[i + 2] for i in range(0, len(rgb), 3)]


def check_jpeg(paths, bits, errors):
    sizes = []
    for quality, path in zip((100, 70, 20), paths):
        img = Image.open(path)
        sizes.append(path.stat().st_size)
        mode = "L" if gray(bits) else "RGB"
        if img.size != (W, H) or img.mode != mode:
            errors.append(f"q{quality}: {img.size} {img.mode}, expected {mode}")
            continue
        if not (img.info.get("progressive") or img.info.get("progression")):
            errors.append(f"q{quality}: not progressive")
        if quality == 100:
            # Colour JPEGs carry chroma at half resolution: compare luma pixel by pixel and each
            # channel's mean, which together also catch swapped channels.
            got = list(img.getdata())
            flat = got if gray(bits) else [v for p in got for v in p]
            want = expected_samples(bits, False)
            if gray(bits):
                mean = sum(abs(a - b) for a, b in zip(flat, want)) / len(want)
            else:
                mean = sum(abs(a - b) for a, b in zip(luma(flat), luma(want))) / (W * H)
                for channel in range(3):
                    drift = abs(sum(flat[channel::3]) - sum(want[channel::3])) / (W * H)
                    if drift > 2:
                        errors.append(f"q100: channel {channel} mean off by {drift:.2f}")
            if mean > 2:
                errors.append(f"q100: mean error {mean:.2f}")
    if not sizes[0] > sizes[1] > sizes[2]:
        errors.append(f"sizes do not fall with quality: {sizes}")


PNG_LAYOUT = {8: (8, 0, "gray"), 16: (16, 0, "gray"), 24: (8, 2, "rgb"), 32: (8, 6, "rgba"),
              48: (16, 2, "rgb"), 64: (16, 6, "rgba")}


def check_png(path, bits, errors):
    data = path.read_bytes()
    width, height, depth, color_type = struct.unpack_from(">IIBB", data, 16)
    want_depth, want_type, layout = PNG_LAYOUT[bits]
    if (width, height, depth, color_type) != (W, H, want_depth, want_type):
        errors.append(f"IHDR {width}x{height} depth {depth} type {color_type}")
        return
    alpha = None
    if bits == 32:
        alpha = lambda x, y: 255 - ((x + y) & 255)
    if bits == 64:
        alpha = lambda x, y: 65535
    got = magick_samples(path, want_depth, layout)
    if got != expected_samples(bits, True, alpha):
        errors.append("decoded samples differ")
    if bits == 16 and got[:1] != [0xFFC0]:
        errors.append(f"1023 did not become FF C0: {got[:1]}")


TIFF_LAYOUT = {8: (8, 1, 1), 16: (16, 1, 1), 24: (8, 2, 3), 32: (8, 2, 4), 48: (16, 2, 3), 64: (16, 2, 4)}


def tiff_tags(path):
    dump = subprocess.run(["tiffdump", str(path)], check=True, capture_output=True, text=True).stdout
    tags = {}
    for name, values in re.findall(r"^(\w+) \(\d+\) \w+ \(\d+\) \d+<([^>]*)>", dump, re.M):
        tags[name] = [int(v) for v in values.split()]
    return dump, tags


def check_tiff(path, bits, errors):
    dump, tags = tiff_tags(path)
    bps, photometric, spp = TIFF_LAYOUT[bits]
    row_bytes = W * spp * bps // 8
    want = {"ImageWidth": [W], "ImageLength": [H], "BitsPerSample": [bps] * spp, "Compression": [1],
            "Photometric": [photometric], "SamplesPerPixel": [spp], "PlanarConfig": [1],
            "StripByteCounts": [row_bytes * H]}
    for name, value in want.items():
        if tags.get(name) != value:
            errors.append(f"{name} {tags.get(name)} expected {value}")
    if errors:
        return
    little = "little-endian" in dump
    strip = path.read_bytes()[tags["StripOffsets"][0]:][:row_bytes * H]
    fmt = ("<" if little else ">") + ("H" if bps == 16 else "B") * (len(strip) * 8 // bps)
    alpha = None
    if bits == 32:
        alpha = lambda x, y: 0
    if bits == 64:
        alpha = lambda x, y: 65535
    if list(struct.unpack(fmt, strip)) != expected_samples(bits, True, alpha):
        errors.append("strip samples differ")
    got = magick_samples(path, bps, "gray" if spp == 1 else "rgb")
    if got != expected_samples(bits, True):
        errors.append("decoded samples differ")


def run_checks(label, checks):
    """Runs (name, check) pairs, each filling a list of errors, and prints a line per check; True
    when any failed. A decoder that cannot read the file is a failure too."""
    failed = False
    for name, check in checks:
        errors = []
        try:
            check(errors)
        except Exception as error:
            errors.append(f"{type(error).__name__}: {error}")
        print(f"{label} {name}: {'ok' if not errors else '; '.join(errors)}")
        failed |= bool(errors)
    return failed


def main():
    folder = Path(sys.argv[1])
    failed = False
    for bits in BITS:
        def file(code):
            return folder / f"f{bits}_c{code}.img"
        checks = [("bmp", lambda e: check_bmp(file(0), bits, e)),
                  ("raw", lambda e: check_raw(file(1), bits, e)),
                  ("jpeg", lambda e: check_jpeg([file(2), file(3), file(4)], bits, e)),
                  ("png", lambda e: check_png(file(5), bits, e)),
                  ("tiff", lambda e: check_tiff(file(6), bits, e))]
        failed |= run_checks(f"{bits}-bit", checks)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
