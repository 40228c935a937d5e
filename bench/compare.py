#!/usr/bin/env python3
"""Measures tamr against two public codecs on real photos, in one run.

For every photo: tamr-cli compress -q 50 / decompress, libjpeg-turbo's cjpeg
-quality 75 / djpeg, and OpenJPEG's opj_compress -r 20 / opj_decompress. The
tools run alternately, several times each, and the median wall time counts.
The table gives megapixels per second, the ratio of tamr's speed to each
peer's, bits per pixel and PSNR of each codec's decoded picture, and the peak
resident memory (from /usr/bin/time) of each program.

On the largest photo it then checks the performance goals: speed against both
peers, lossless coding (tamr-cli -q 100 against opj_compress without -r), peak
memory over the picture's size, time per megapixel of the photo scaled to 24
and to 2 megapixels, and the same COD bytes and decoded pixels with one thread
and with several; and a 20-point rate-distortion sweep with the three peers
(time and cores in use). Each goal is printed with its measured ratio.
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
# ImageMagick's own tools, ahead of any stand-in of the same name.
TOOL_PATH = os.pathsep.join(["/usr/bin", os.environ.get("PATH", "")])


def tool_path(name):
    return shutil.which(name, path=TOOL_PATH) or name


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
    run = subprocess.run([tool_path("compare"), "-metric", "PSNR", str(reference), str(decoded), "null:"],
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
    # tamr's save syncs the file to disk before renaming it into place, the peers' tools do not: on a
    # memory file system the files cost neither, and the times are the programs' own.
    shm = Path("/dev/shm")
    parser.add_argument("--scratch", default=str(shm) if shm.is_dir() and os.access(shm, os.W_OK) else None,
                        help="folder for the files the tools write (default /dev/shm when there is one)")
    args = parser.parse_args()

    for tool in ("cjpeg", "djpeg", "opj_compress", "opj_decompress", "convert", "compare"):
        if not shutil.which(tool, path=TOOL_PATH):
            sys.exit(f"compare: {tool} is missing (bench/compare installs it)")
    if not os.access(args.cli, os.X_OK):
        sys.exit(f"compare: {args.cli} is not built (scripts/build default tamr-cli)")
    inputs = photos(Path(args.corpus), args.large_only)
    if not inputs:
        sys.exit(f"compare: no photos under {args.corpus}")

    rows = []
    with tempfile.TemporaryDirectory(prefix="tamr-compare-", dir=args.scratch) as scratch:
        scratch = Path(scratch)
        for photo in inputs:
            stem = photo.stem.lower()
            sources = {kind: scratch / f"{stem}.{kind}" for kind in ("bmp", "ppm")}
            for kind, path in sources.items():
                target = f"PPM:{path}" if kind == "ppm" else f"BMP3:{path}"
                subprocess.run([tool_path("convert"), str(photo), "-type", "TrueColor", target], check=True)
            size = subprocess.run([tool_path("identify"), "-format", "%w %h", str(sources["bmp"])],
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
        name, width, height, codecs = max(rows, key=lambda row: row[1] * row[2])
        photo = next(p for p in inputs if p.name == name)
        goals = measure_goals(args, scratch, photo, width, height, codecs)
        goals["goals"] += sweep_goals(args, photo)
    print_goals(goals)


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



def median_time(argv, repeat):
    return statistics.median(timed(argv)[0] for _ in range(repeat))


def to_bmp(photo, target, size=None):
    resize = ["-resize", f"{size[0]}x{size[1]}!"] if size else []
    subprocess.run([tool_path("convert"), str(photo), *resize, "-type", "TrueColor", f"BMP3:{target}"], check=True)


def measure_goals(args, scratch, photo, width, height, codecs):
    """The goals of the performance work, each as (text, measured ratio, needed, higher is better)."""
    cli = args.cli
    repeat = args.repeat
    tamr, jpeg, openjpeg = codecs
    stem = photo.stem.lower()
    bmp = scratch / f"{stem}.bmp"
    ppm = scratch / f"{stem}.ppm"
    image_mib = width * height * 3 / (1024.0 * 1024.0)
    goals = [
        ("compress time within 2x of cjpeg's (cjpeg time / tamr time)",
         jpeg.enc.median_seconds() / tamr.enc.median_seconds(), 0.5, True),
        ("compress at least 25x faster than opj_compress -r 20",
         openjpeg.enc.median_seconds() / tamr.enc.median_seconds(), 25.0, True),
        ("decompress no slower than djpeg (djpeg time / tamr time)",
         jpeg.dec.median_seconds() / tamr.dec.median_seconds(), 1.0, True),
        ("decompress at least 8x faster than opj_decompress",
         openjpeg.dec.median_seconds() / tamr.dec.median_seconds(), 8.0, True),
    ]

    # Lossless: both sides alternate, as above.
    lossless = {"tamr enc": [], "tamr dec": [], "opj enc": [], "opj dec": []}
    tamr_cod, tamr_out = scratch / "lossless.cod", scratch / "lossless-out.bmp"
    opj_j2k, opj_out = scratch / "lossless.j2k", scratch / "lossless-out.ppm"
    for _ in range(repeat):
        lossless["tamr enc"].append(timed([cli, "compress", str(bmp), str(tamr_cod), "-q", "100"])[0])
        lossless["tamr dec"].append(timed([cli, "decompress", str(tamr_cod), str(tamr_out)])[0])
        lossless["opj enc"].append(timed(["opj_compress", "-i", str(ppm), "-o", str(opj_j2k)])[0])
        lossless["opj dec"].append(timed(["opj_decompress", "-i", str(opj_j2k), "-o", str(opj_out)])[0])
    median = {key: statistics.median(values) for key, values in lossless.items()}
    goals += [
        ("lossless compress at most half of OpenJPEG's lossless time (opj time / tamr time)",
         median["opj enc"] / median["tamr enc"], 2.0, True),
        ("lossless decompress at most half of OpenJPEG's time (opj time / tamr time)",
         median["opj dec"] / median["tamr dec"], 2.0, True),
    ]

    goals += [
        ("compress peak memory at most 3x the picture (peak / picture)", tamr.enc.peak_mib() / image_mib, 3.0, False),
        ("decompress peak memory at most 2x the picture (peak / picture)", tamr.dec.peak_mib() / image_mib, 2.0,
         False),
    ]

    # Time per megapixel of the photo scaled to 24 and to 2 megapixels.
    aspect = width / height
    per_mp = {}
    for megapixels in (2, 24):
        side_h = round((megapixels * 1e6 / aspect) ** 0.5)
        side_w = round(side_h * aspect)
        scaled = scratch / f"scaled-{megapixels}.bmp"
        cod = scratch / f"scaled-{megapixels}.cod"
        out = scratch / f"scaled-{megapixels}-out.bmp"
        to_bmp(photo, scaled, (side_w, side_h))
        mp = side_w * side_h / 1e6
        enc = median_time([cli, "compress", str(scaled), str(cod), "-q", "50"], repeat)
        dec = median_time([cli, "decompress", str(cod), str(out)], repeat)
        per_mp[megapixels] = (enc / mp, dec / mp)
    goals += [
        ("compress time per megapixel at 24 MP within 10% of that at 2 MP (ratio)",
         per_mp[24][0] / per_mp[2][0], 1.10, False),
        ("decompress time per megapixel at 24 MP within 10% of that at 2 MP (ratio)",
         per_mp[24][1] / per_mp[2][1], 1.10, False),
    ]

    # The same bytes and pixels whatever the thread count.
    threads = max(2, os.cpu_count() or 2)
    outputs = []
    for count in (1, threads):
        cod = scratch / f"threads-{count}.cod"
        out = scratch / f"threads-{count}-out.bmp"
        subprocess.run([cli, "compress", str(bmp), str(cod), "-q", "50", "--threads", str(count)],
                       stdout=subprocess.DEVNULL, check=True)
        subprocess.run([cli, "decompress", str(cod), str(out), "--threads", str(count)],
                       stdout=subprocess.DEVNULL, check=True)
        outputs.append((cod.read_bytes(), out.read_bytes()))
    same = 1.0 if outputs[0] == outputs[1] else 0.0
    goals.append((f"same COD bytes and decoded pixels with 1 and {threads} threads (1 = same)", same, 1.0, True))
    return name_goals(photo.name, width, height, goals)


def sweep_goals(args, photo):
    """A 20-point sweep with the three peers: its wall time and how many cores it keeps busy."""
    argv = [args.cli, "sweep", str(photo), "--qualities", "0:95:5", "--peers", "jpeg,jp2,webp", "--csv"]
    runs = []
    for _ in range(max(1, min(args.repeat, 3))):
        before = os.times()
        start = time.perf_counter()
        subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        wall = time.perf_counter() - start
        after = os.times()
        cpu = (after.children_user - before.children_user) + (after.children_system - before.children_system)
        runs.append((wall, cpu))
    wall, cpu = sorted(runs)[len(runs) // 2]
    cores = os.cpu_count() or 1
    return [
        ("sweep of 20 qualities with JPEG, JPEG 2000 and WebP under 10 s (seconds)", wall, 10.0, False),
        (f"the sweep keeps the {cores} cores busy (CPU time / wall time)", cpu / wall, 0.8 * cores, True),
    ]


def name_goals(name, width, height, goals):
    return {"photo": name, "width": width, "height": height, "goals": goals}


def print_goals(result):
    print()
    print(f"Goals on the largest photo, {result['photo']} ({result['width']} x {result['height']}):")
    for text, value, needed, higher in result["goals"]:
        met = value >= needed if higher else value <= needed
        sign = ">=" if higher else "<="
        print(f"  {'met ' if met else 'MISS'}  {text}: {value:.2f} (goal {sign} {needed:g})")


if __name__ == "__main__":
    main()
