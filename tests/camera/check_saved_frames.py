#!/usr/bin/python3
"""Reads the still images that save_test.cpp saved from snapshots with decoders written elsewhere
(ImageMagick, libtiff's tiffdump, Python's imaging library) and checks them against the snapshot
buffer saved beside them (fBITS.bin: the output surface memory, top row first, padded rows):
BMP, raw, PNG and TIFF exactly, JPEG by size, components, progression and a loose mean error."""
import struct
import sys
from pathlib import Path

from PIL import Image

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "imaging"))
from check_image_files import (PNG_LAYOUT, TIFF_LAYOUT, gray, luma, magick_samples, run_checks,  # noqa: E402
                               tiff_tags, wide)

W, H = 322, 9  # the window of save_test.cpp
BITS = (8, 16, 24, 32, 48, 64)
# Mean error of luma (chroma is subsampled; swapped channels change luma), in 8-bit steps.
JPEG_MEAN_ERROR = {100: 2, 70: 4, 20: 10}


def stride(bits):
    return (W * (bits // 8) + 3) & ~3


def pixels(frame, bits):
    """Each pixel's samples in memory order (blue first), rows top first: 10-bit values for the
    wide formats, bytes for the others."""
    per_pixel = bits // 16 if wide(bits) else bits // 8
    out = []
    for y in range(H):
        row = frame[y * stride(bits):][:W * bits // 8]
        values = struct.unpack(f"<{len(row) // 2}H", row) if wide(bits) else row
        out += [values[x * per_pixel:(x + 1) * per_pixel] for x in range(W)]
    return out


def expected_samples(frame, bits, scale16, alpha=None):
    """Samples in gray or RGB(A) order: 8-bit values as they are; 10-bit values x 64 (scale16) or
    their top 8 bits; alpha(pixel) appended where given."""
    order = [0] if gray(bits) else [2, 1, 0]
    values = []
    for p in pixels(frame, bits):
        for c in order:
            values.append(p[c] * 64 if wide(bits) and scale16 else p[c] >> 2 if wide(bits) else p[c])
        if alpha:
            values.append(alpha(p))
    return values


def check_bmp(path, frame, bits, errors):
    data = path.read_bytes()
    off = 1078 if bits == 8 else 54
    size = H * stride(bits)
    b_type, file_size, _, _, off_bits = struct.unpack_from("<2sIHHI", data, 0)
    if (b_type, file_size, off_bits, len(data)) != (b"BM", off + size, off, off + size):
        errors.append(f"file header {b_type} {file_size} {off_bits} len {len(data)}")
    hdr = struct.unpack_from("<IiiHHI", data, 14)
    if hdr != (40, W, H, 1, bits, 0):
        errors.append(f"info header {hdr}")
    st, row_bytes = stride(bits), W * bits // 8  # the padding is the file's own
    if [data[off + r * st:][:row_bytes] for r in range(H)] != [frame[(H - 1 - r) * st:][:row_bytes] for r in range(H)]:
        errors.append("rows are not the snapshot's rows bottom first")
    if bits in (8, 24, 32):  # the formats a common decoder reads
        img = Image.open(path)
        got = list(img.convert("L" if bits == 8 else "RGB").getdata())
        flat = got if bits == 8 else [v for p in got for v in p]
        if img.size != (W, H) or flat != expected_samples(frame, bits, False):
            errors.append(f"decoded {img.size} {img.mode} differs")


def check_raw(path, frame, bits, errors):
    if path.read_bytes() != frame:
        errors.append(f"raw differs from the snapshot ({path.stat().st_size} bytes, expected {len(frame)})")


def check_jpeg(paths, frame, bits, errors):
    sizes = []
    want = expected_samples(frame, bits, False)
    for (quality, limit), path in zip(JPEG_MEAN_ERROR.items(), paths):
        img = Image.open(path)
        sizes.append(path.stat().st_size)
        mode = "L" if gray(bits) else "RGB"
        if img.size != (W, H) or img.mode != mode:
            errors.append(f"q{quality}: {img.size} {img.mode}, expected {mode}")
            continue
        if not (img.info.get("progressive") or img.info.get("progression")):
            errors.append(f"q{quality}: not progressive")
        got = [v for p in img.getdata() for v in (p if isinstance(p, tuple) else (p,))]
        a, b = (got, want) if gray(bits) else (luma(got), luma(want))
        mean = sum(abs(x - y) for x, y in zip(a, b)) / (W * H)
        if mean > limit:
            errors.append(f"q{quality}: mean error {mean:.2f}")
    if not sizes[0] > sizes[1] > sizes[2]:
        errors.append(f"sizes do not fall with quality: {sizes}")


def check_png(path, frame, bits, errors):
    data = path.read_bytes()
    width, height, depth, color_type = struct.unpack_from(">IIBB", data, 16)
    want_depth, want_type, layout = PNG_LAYOUT[bits]
    if (width, height, depth, color_type) != (W, H, want_depth, want_type):
        errors.append(f"IHDR {width}x{height} depth {depth} type {color_type}")
        return
    alpha = {32: lambda p: 255 - p[3], 64: lambda p: 65535}.get(bits)
    if magick_samples(path, want_depth, layout) != expected_samples(frame, bits, True, alpha):
        errors.append("decoded samples differ")


def check_tiff(path, frame, bits, errors):
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
    strip = path.read_bytes()[tags["StripOffsets"][0]:][:row_bytes * H]
    fmt = ("<" if "little-endian" in dump else ">") + ("H" if bps == 16 else "B") * (len(strip) * 8 // bps)
    alpha = {32: lambda p: 0, 64: lambda p: 65535}.get(bits)
    if list(struct.unpack(fmt, strip)) != expected_samples(frame, bits, True, alpha):
        errors.append("strip samples differ")
    if magick_samples(path, bps, "gray" if spp == 1 else "rgb") != expected_samples(frame, bits, True):
        errors.append("decoded samples differ")


def main():
    folder = Path(sys.argv[1])
    failed = False
    for bits in BITS:
        frame = (folder / f"f{bits}.bin").read_bytes()
        if len(frame) != H * stride(bits) or len(set(frame)) < 2:
            print(f"{bits}-bit: the snapshot is {len(frame)} bytes with {len(set(frame))} distinct values")
            failed = True
            continue

        def file(ext):
            return folder / f"f{bits}.{ext}"

        checks = [("bmp", lambda e: check_bmp(file("bmp"), frame, bits, e)),
                  ("raw", lambda e: check_raw(file("raw"), frame, bits, e)),
                  ("jpeg", lambda e: check_jpeg([file(f"q{q}.jpg") for q in JPEG_MEAN_ERROR], frame, bits, e)),
                  ("png", lambda e: check_png(file("png"), frame, bits, e)),
                  ("tiff", lambda e: check_tiff(file("tif"), frame, bits, e))]
        if bits == 32:
            checks.append(("png, wide name", lambda e: check_png(folder / "f32-wide-\u00e9.png", frame, bits, e)))
        failed |= run_checks(f"{bits}-bit", checks)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
