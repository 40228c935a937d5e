#!/usr/bin/env python3
"""Measures tamr against three public codecs on real photos, in one run.

For every photo: tamr-cli --quiet compress -q 50 (encoding only) / decompress,
libjpeg-turbo's cjpeg -quality 75 / djpeg, OpenJPEG's opj_compress -r 20 /
opj_decompress, and OpenJPH's ojph_compress / ojph_expand at the quantisation
step whose file comes closest to tamr's size. The tools run alternately,
several times each. The table gives, for encoding and decoding apart, the
median CPU time (user + system) and wall time, the peak resident memory and
the page faults (from /usr/bin/time), the ratio of each peer's CPU time to
tamr's, and bits per pixel and PSNR of each codec's decoded picture.

On the largest photo it then checks the performance goals (CPU time, medians):
speed against the peers, lossless coding (tamr-cli -q 100 against opj_compress
without -r), peak memory over the picture's size, time per megapixel of the
photo scaled to 48 and to 2 megapixels, and the same COD bytes and decoded pixels with one thread
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
class Run:
    wall: float  # seconds
    cpu: float  # user + system seconds
    peak_kib: int
    faults: int  # minor + major page faults


@dataclass
class Measure:
    runs: list = field(default_factory=list)

    def add(self, run):
        self.runs.append(run)

    def median_seconds(self):
        return statistics.median(run.wall for run in self.runs)

    def median_cpu(self):
        return statistics.median(run.cpu for run in self.runs)

    def median_faults(self):
        return statistics.median(run.faults for run in self.runs)

    def peak_mib(self):
        return max(run.peak_kib for run in self.runs) / 1024.0


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
    """Runs one program; returns its Run (wall and CPU seconds, peak resident KiB, page faults).

    /usr/bin/time reports the program's peak memory and page faults; the CPU time is the kernel's
    figure (wait4) for /usr/bin/time and the program it waited for, to the microsecond (time's own
    share is well under a millisecond)."""
    with tempfile.NamedTemporaryFile("r", suffix=".time") as report:
        out = open(stdout_path, "wb") if stdout_path else subprocess.DEVNULL
        try:
            start = time.perf_counter()
            child = subprocess.Popen(["/usr/bin/time", "-f", "%M %R %F", "-o", report.name, *argv],
                                     stdout=out, stderr=subprocess.DEVNULL)
            _, status, usage = os.wait4(child.pid, 0)
            seconds = time.perf_counter() - start
            child.returncode = os.waitstatus_to_exitcode(status)
        finally:
            if stdout_path:
                out.close()
        if child.returncode != 0:
            raise subprocess.CalledProcessError(child.returncode, argv)
        peak, minor, major = report.read().strip().splitlines()[-1].split()
        return Run(seconds, usage.ru_utime + usage.ru_stime, int(peak), int(minor) + int(major))


def psnr(reference, decoded):
    """PSNR in dB of the decoded picture against the reference, over all three channels."""
    run = subprocess.run([tool_path("compare"), "-metric", "PSNR", str(reference), str(decoded), "null:"],
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    text = run.stderr.strip().split()[0] if run.stderr.strip() else "nan"
    return float("inf") if text == "inf" else float(text)


def make_codecs(cli, ojph_qstep):
    return [
        Codec("tamr", lambda s, c: [cli, "--quiet", "compress", s, c, "-q", "50"],
              lambda c, d: [cli, "decompress", c, d], "bmp", ".cod", ".bmp"),
        Codec("cjpeg", lambda s, c: ["cjpeg", "-quality", "75", "-outfile", c, s],
              lambda c, d: ["djpeg", "-outfile", d, c], "ppm", ".jpg", ".ppm"),
        Codec("openjpeg", lambda s, c: ["opj_compress", "-i", s, "-o", c, "-r", "20"],
              lambda c, d: ["opj_decompress", "-i", c, "-o", d], "ppm", ".j2k", ".ppm"),
        Codec("openjph", lambda s, c: ["ojph_compress", "-i", s, "-o", c, "-qstep", f"{ojph_qstep:.6g}"],
              lambda c, d: ["ojph_expand", "-i", c, "-o", d], "ppm", ".j2c", ".ppm"),
    ]


def ojph_qstep_for_size(ppm, target_bytes, scratch):
    """The OpenJPH quantisation step whose file comes closest to target_bytes (bisection in log steps)."""
    coded = scratch / "qstep.j2c"
    low, high = -12.0, -1.0  # log2 of the step: 1/4096 to 1/2
    best = None
    for _ in range(12):
        middle = (low + high) / 2
        step = 2.0 ** middle
        subprocess.run(["ojph_compress", "-i", str(ppm), "-o", str(coded), "-qstep", f"{step:.6g}"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        size = coded.stat().st_size
        if best is None or abs(size - target_bytes) < abs(best[1] - target_bytes):
            best = (step, size)
        if size > target_bytes:
            low = middle  # a larger step gives a smaller file
        else:
            high = middle
    return best[0]


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
    parser.add_argument("--table-only", action="store_true", help="measure the photos only, not the goals")
    # tamr's save syncs the file to disk before renaming it into place, the peers' tools do not: on a
    # memory file system the files cost neither, and the times are the programs' own.
    shm = Path("/dev/shm")
    parser.add_argument("--scratch", default=str(shm) if shm.is_dir() and os.access(shm, os.W_OK) else None,
                        help="folder for the files the tools write (default /dev/shm when there is one)")
    args = parser.parse_args()

    for tool in ("cjpeg", "djpeg", "opj_compress", "opj_decompress", "ojph_compress", "ojph_expand", "convert",
                 "compare"):
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
            # OpenJPH is measured at tamr's file size.
            tamr_cod = scratch / f"{stem}-size.cod"
            subprocess.run([args.cli, "--quiet", "compress", str(sources["bmp"]), str(tamr_cod), "-q", "50"],
                           check=True)
            codecs = make_codecs(args.cli, ojph_qstep_for_size(sources["ppm"], tamr_cod.stat().st_size, scratch))
            for _ in range(args.repeat):
                for codec in codecs:  # alternate the tools within every repetition
                    coded = scratch / f"{stem}-{codec.name}{codec.coded_suffix}"
                    decoded = scratch / f"{stem}-{codec.name}-out{codec.decoded_suffix}"
                    codec.enc.add(timed(codec.encode(str(sources[codec.source_kind]), str(coded))))
                    codec.dec.add(timed(codec.decode(str(coded), str(decoded))))
            for codec in codecs:
                coded = scratch / f"{stem}-{codec.name}{codec.coded_suffix}"
                decoded = scratch / f"{stem}-{codec.name}-out{codec.decoded_suffix}"
                codec.bits.append(coded.stat().st_size * 8.0 / (width * height))
                codec.psnr.append(psnr(sources["ppm"], decoded))
            rows.append((photo.name, width, height, codecs))
            print(f"measured {photo.name} ({width} x {height})", file=sys.stderr)

        print_table(rows)
        if args.table_only:
            return
        name, width, height, codecs = max(rows, key=lambda row: row[1] * row[2])
        photo = next(p for p in inputs if p.name == name)
        goals = measure_goals(args, scratch, photo, width, height, codecs)
        goals["goals"] += sweep_goals(args, photo)
    print_goals(goals)


def print_table(rows):
    header = (f"{'photo':<26} {'MP':>5} | {'codec':<8} | {'enc CPU ms':>10} {'wall ms':>8} {'peak/P':>6} "
              f"{'faults':>7} | {'dec CPU ms':>10} {'wall ms':>8} {'peak/P':>6} {'faults':>7} | "
              f"{'bpp':>6} {'PSNR dB':>8} | {'peer/tamr enc':>13} {'peer/tamr dec':>13}")
    print(header)
    print("-" * len(header))
    for name, width, height, codecs in rows:
        mp = width * height / 1e6
        image_mib = width * height * 3 / (1024.0 * 1024.0)
        tamr = codecs[0]
        for codec in codecs:
            first = codec is tamr
            ratio_enc = ratio_dec = ""
            if not first:
                ratio_enc = fmt_ratio(codec.enc.median_cpu() / tamr.enc.median_cpu())
                ratio_dec = fmt_ratio(codec.dec.median_cpu() / tamr.dec.median_cpu())
            cells = []
            for measure in (codec.enc, codec.dec):
                cells.append(f"{measure.median_cpu() * 1e3:>10.0f} {measure.median_seconds() * 1e3:>8.0f} "
                             f"{measure.peak_mib() / image_mib:>6.2f} {measure.median_faults():>7.0f}")
            print(f"{name if first else '':<26} {f'{mp:.2f}' if first else '':>5} | {codec.name:<8} | "
                  f"{cells[0]} | {cells[1]} | {codec.bits[-1]:>6.3f} {codec.psnr[-1]:>8.2f} | "
                  f"{ratio_enc:>13} {ratio_dec:>13}")
    print()
    print("CPU: user + system time, wall: elapsed time, both medians; peak/P: peak resident memory over")
    print("the uncompressed picture P (3 bytes per pixel), the whole process; faults: page faults (median).")
    print("peer/tamr: the peer's median CPU time divided by tamr's (above 1: tamr is faster).")



def median_cpu(argv, repeat):
    return statistics.median(timed(argv).cpu for _ in range(repeat))


def to_bmp(photo, target, size=None):
    resize = ["-resize", f"{size[0]}x{size[1]}!"] if size else []
    subprocess.run([tool_path("convert"), str(photo), *resize, "-type", "TrueColor", f"BMP3:{target}"], check=True)


def measure_goals(args, scratch, photo, width, height, codecs):
    """The goals of the performance work, each as (text, measured ratio, needed, higher is better)."""
    cli = args.cli
    repeat = args.repeat
    tamr, jpeg, openjpeg, openjph = codecs
    stem = photo.stem.lower()
    bmp = scratch / f"{stem}.bmp"
    ppm = scratch / f"{stem}.ppm"
    image_mib = width * height * 3 / (1024.0 * 1024.0)
    goals = [
        ("encode CPU time within 2x of cjpeg's (cjpeg / tamr)", jpeg.enc.median_cpu() / tamr.enc.median_cpu(),
         0.5, True),
        ("encode CPU time no more than OpenJPH's at the same size (ojph / tamr)",
         openjph.enc.median_cpu() / tamr.enc.median_cpu(), 1.0, True),
        ("decode CPU time no more than djpeg's (djpeg / tamr)", jpeg.dec.median_cpu() / tamr.dec.median_cpu(),
         1.0, True),
        ("decode CPU time no more than OpenJPH's (ojph / tamr)", openjph.dec.median_cpu() / tamr.dec.median_cpu(),
         1.0, True),
    ]

    # Lossless: both sides alternate, as above.
    lossless = {"tamr enc": [], "tamr dec": [], "opj enc": [], "opj dec": []}
    tamr_cod, tamr_out = scratch / "lossless.cod", scratch / "lossless-out.bmp"
    opj_j2k, opj_out = scratch / "lossless.j2k", scratch / "lossless-out.ppm"
    for _ in range(repeat):
        lossless["tamr enc"].append(timed([cli, "--quiet", "compress", str(bmp), str(tamr_cod), "-q", "100"]).cpu)
        lossless["tamr dec"].append(timed([cli, "decompress", str(tamr_cod), str(tamr_out)]).cpu)
        lossless["opj enc"].append(timed(["opj_compress", "-i", str(ppm), "-o", str(opj_j2k)]).cpu)
        lossless["opj dec"].append(timed(["opj_decompress", "-i", str(opj_j2k), "-o", str(opj_out)]).cpu)
    median = {key: statistics.median(values) for key, values in lossless.items()}
    goals += [
        ("lossless compress at most half of OpenJPEG's lossless CPU time (opj / tamr)",
         median["opj enc"] / median["tamr enc"], 2.0, True),
        ("lossless decompress at most half of OpenJPEG's CPU time (opj / tamr)",
         median["opj dec"] / median["tamr dec"], 2.0, True),
    ]

    goals += [
        ("compress peak memory at most 3x the picture (peak / picture)", tamr.enc.peak_mib() / image_mib, 3.0, False),
        ("decompress peak memory at most 2x the picture (peak / picture)", tamr.dec.peak_mib() / image_mib, 2.0,
         False),
    ]

    # CPU time per megapixel of the photo scaled to 48 and to 2 megapixels.
    aspect = width / height
    per_mp = {}
    for megapixels in (2, 48):
        side_h = round((megapixels * 1e6 / aspect) ** 0.5)
        side_w = round(side_h * aspect)
        scaled = scratch / f"scaled-{megapixels}.bmp"
        cod = scratch / f"scaled-{megapixels}.cod"
        out = scratch / f"scaled-{megapixels}-out.bmp"
        to_bmp(photo, scaled, (side_w, side_h))
        mp = side_w * side_h / 1e6
        enc = median_cpu([cli, "--quiet", "compress", str(scaled), str(cod), "-q", "50"], repeat)
        dec = median_cpu([cli, "decompress", str(cod), str(out)], repeat)
        per_mp[megapixels] = (enc / mp, dec / mp)
    goals += [
        ("encode CPU time per megapixel at 48 MP within 10% of that at 2 MP (ratio)",
         per_mp[48][0] / per_mp[2][0], 1.10, False),
        ("decode CPU time per megapixel at 48 MP within 10% of that at 2 MP (ratio)",
         per_mp[48][1] / per_mp[2][1], 1.10, False),
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
