#!/usr/bin/env python3
"""Measures tamr against two public codecs on real photos, in one run.

For every photo: tamr-cli compress -q 50 / decompress, libjpeg-turbo's cjpeg
-quality 75 / djpeg, and OpenJPEG's opj_compress -r 20 / opj_decompress. The
tools run alternately, several times each, and the median wall time counts.
The table gives megapixels per second, the ratio of tamr's speed to each
peer's, bits per pixel and PSNR of each codec's decoded picture, and the peak
resident memory (from /usr/bin/time) of each program.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEFAULT_CORPUS = ROOT.parent / "shared" / "corpus" / "photos"


@dataclass
class Measure:
    seconds: list = field(default_factory=list)
    peak_kib: list = field(default_factory=list)

    def median_seconds(self):
        return statistics.median(self.seconds)

    def peak_mib(self):
        return max(self.peak_kib) / 1024.0


@dataclass
class Codec:
    name: str
    encode: object  # (source, coded) -> argv
    decode: object  # (coded, decoded) -> argv
    source_kind: str  # "bmp" or "ppm"
    coded_suffix: str
    decoded_suffix: str
    enc: Measure = field(default_factory=Measure)
    dec: Measure = field(default_factory=Measure)
    bits: list = field(default_factory=list)
    psnr: list = field(default_factory=list)


def timed(argv, stdout_path=None):
    """Runs one program; returns (wall seconds, peak resident KiB)."""
    with tempfile.NamedTemporaryFile("r", suffix=".time") as report:
        out = open(stdout_path, "wb") if stdout_path else subprocess.DEVNULL
        try:
            start = time.perf_counter()
            subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name, *argv],
                           stdout=out, stderr=subprocess.DEVNULL, check=True)
            seconds = time.perf_counter() - start
        finally:
            if stdout_path:
                out.close()
        return seconds, int(report.read().strip().splitlines()[-1])


def psnr(reference, decoded):
    """PSNR in dB of the decoded picture against the reference, over all three channels."""
    run = subprocess.run(["compare", "-metric", "PSNR", str(reference), str(decoded), "null:"],
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    text = run.stderr.strip().split()[0] if run.stderr.strip() else "nan"
    return float("inf") if text == "inf" else float(text)


def make_codecs(cli):
    return [
        Codec("tamr", lambda s, c: [cli, "compress", s, c, "-q", "50"],
              lambda c, d: [cli, "decompress", c, d], "bmp", ".cod", ".bmp"),
        Codec("cjpeg", lambda s, c: ["cjpeg", "-quality", "75", "-outfile", c, s],
              lambda c, d: ["djpeg", "-outfile", d, c], "ppm", ".jpg", ".ppm"),
        Codec("openjpeg", lambda s, c: ["opj_compress", "-i", s, "-o", c, "-r", "20"],
              lambda c, d: ["opj_decompress", "-i", c, "-o", d], "ppm", ".j2k", ".ppm"),
    ]


def photos(corpus, only_large):
    found = []
    if not only_large:
        found += sorted((corpus / "kodak").glob("*.png"))
    found += sorted((corpus / "large").glob("*.jpg"))
    return found


def fmt_ratio(value):
    return f"{value:6.2f}x"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", default=str(ROOT / "build" / "default" / "tamr-cli"))
    parser.add_argument("--corpus", default=str(DEFAULT_CORPUS), help="folder with kodak/ and large/")
    parser.add_argument("--repeat", type=int, default=5, help="runs of every program per photo")
    parser.add_argument("--large-only", action="store_true", help="skip the 24 Kodak photos")
    args = parser.parse_args()

    for tool in ("cjpeg", "djpeg", "opj_compress", "opj_decompress", "convert", "compare"):
        if not shutil.which(tool):
            sys.exit(f"compare: {tool} is missing (bench/compare installs it)")
    if not os.access(args.cli, os.X_OK):
        sys.exit(f"compare: {args.cli} is not built (scripts/build default)")
    inputs = photos(Path(args.corpus), args.large_only)
    if not inputs:
        sys.exit(f"compare: no photos under {args.corpus}")

    rows = []
    with tempfile.TemporaryDirectory(prefix="tamr-compare-") as scratch:
        scratch = Path(scratch)
        for photo in inputs:
            stem = photo.stem.lower()
            sources = {kind: scratch / f"{stem}.{kind}" for kind in ("bmp", "ppm")}
            for kind, path in sources.items():
                target = f"PPM:{path}" if kind == "ppm" else f"BMP3:{path}"
                subprocess.run(["convert", str(photo), "-type", "TrueColor", target], check=True)
            size = subprocess.run(["identify", "-format", "%w %h", str(sources["bmp"])],
                                  capture_output=True, text=True, check=True).stdout.split()
            width, height = int(size[0]), int(size[1])
            codecs = make_codecs(args.cli)
            for _ in range(args.repeat):
                for codec in codecs:  # alternate the tools within every repetition
                    coded = scratch / f"{stem}-{codec.name}{codec.coded_suffix}"
                    decoded = scratch / f"{stem}-{codec.name}-out{codec.decoded_suffix}"
                    s, m = timed(codec.encode(str(sources[codec.source_kind]), str(coded)))
                    codec.enc.seconds.append(s)
                    codec.enc.peak_kib.append(m)
                    s, m = timed(codec.decode(str(coded), str(decoded)))
                    codec.dec.seconds.append(s)
                    codec.dec.peak_kib.append(m)
            for codec in codecs:
                coded = scratch / f"{stem}-{codec.name}{codec.coded_suffix}"
                decoded = scratch / f"{stem}-{codec.name}-out{codec.decoded_suffix}"
                codec.bits.append(coded.stat().st_size * 8.0 / (width * height))
                codec.psnr.append(psnr(sources["ppm"], decoded))
            rows.append((photo.name, width, height, codecs))
            print(f"measured {photo.name} ({width} x {height})", file=sys.stderr)

    print_table(rows)


def print_table(rows):
    header = (f"{'photo':<26} {'MP':>5} | {'codec':<8} {'enc MP/s':>9} {'dec MP/s':>9} "
              f"{'enc peak MiB':>12} {'dec peak MiB':>12} {'peak/image':>10} {'bpp':>6} {'PSNR dB':>8} | "
              f"{'tamr/peer enc':>13} {'tamr/peer dec':>13}")
    print(header)
    print("-" * len(header))
    for name, width, height, codecs in rows:
        mp = width * height / 1e6
        image_mib = width * height * 3 / (1024.0 * 1024.0)
        tamr = codecs[0]
        for codec in codecs:
            first = codec is tamr
            enc = mp / codec.enc.median_seconds()
            dec = mp / codec.dec.median_seconds()
            peak = max(codec.enc.peak_mib(), codec.dec.peak_mib()) / image_mib
            ratio_enc = ratio_dec = ""
            if not first:
                ratio_enc = fmt_ratio(codec.enc.median_seconds() / tamr.enc.median_seconds())
                ratio_dec = fmt_ratio(codec.dec.median_seconds() / tamr.dec.median_seconds())
            print(f"{name if first else '':<26} {f'{mp:.2f}' if first else '':>5} | {codec.name:<8} "
                  f"{enc:>9.2f} {dec:>9.2f} {codec.enc.peak_mib():>12.1f} {codec.dec.peak_mib():>12.1f} "
                  f"{peak:>9.2f}x {codec.bits[-1]:>6.3f} {codec.psnr[-1]:>8.2f} | {ratio_enc:>13} {ratio_dec:>13}")
    print()
    print("tamr/peer: the peer's median time divided by tamr's (above 1: tamr is faster).")
    print("peak/image: the larger peak resident memory of the two programs over the uncompressed")
    print("picture (3 bytes per pixel); it counts the whole process.")

    name, width, height, codecs = max(rows, key=lambda row: row[1] * row[2])
    tamr, jpeg, openjpeg = codecs
    image_mib = width * height * 3 / (1024.0 * 1024.0)
    print()
    print(f"Goals on the largest photo, {name} ({width} x {height}):")
    goals = [
        ("compress at least 8x faster than opj_compress",
         openjpeg.enc.median_seconds() / tamr.enc.median_seconds(), 8.0),
        ("compress within 2x of cjpeg (cjpeg time / tamr time >= 0.5)",
         jpeg.enc.median_seconds() / tamr.enc.median_seconds(), 0.5),
        ("decompress at least 4x faster than opj_decompress",
         openjpeg.dec.median_seconds() / tamr.dec.median_seconds(), 4.0),
        ("decompress within 2x of djpeg (djpeg time / tamr time >= 0.5)",
         jpeg.dec.median_seconds() / tamr.dec.median_seconds(), 0.5),
    ]
    for text, value, needed in goals:
        print(f"  {'met ' if value >= needed else 'MISS'}  {text}: {value:.2f}")
    peak = max(tamr.enc.peak_mib(), tamr.dec.peak_mib()) / image_mib
    print(f"  {'met ' if peak < 4.0 else 'MISS'}  peak memory under 4x the uncompressed image: {peak:.2f}x")


if __name__ == "__main__":
    main()
