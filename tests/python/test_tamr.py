"""The Python module against tamr-cli: the same COD bytes and pictures, the
system's messages, the Pillow plugin, the published BD-rate vectors and an
evaluation spread over a Dask cluster."""

import os
import subprocess

import numpy
import pytest

import tamr

CLI = os.environ.get("TAMR_CLI", "tamr-cli")


def make_picture(width, height, colour, seed):
    # Gradients with noise on top: every level of the codec has work to do.
    rng = numpy.random.default_rng(seed)
    y, x = numpy.mgrid[0:height, 0:width]
    base = (x * 255 // max(width - 1, 1) + y * 3) % 256
    if colour:
        planes = [base, (255 - base + y) % 256, (x * y) % 256]
        picture = numpy.stack(planes, axis=-1) + rng.integers(0, 24, (height, width, 3))
    else:
        picture = base + rng.integers(0, 24, (height, width))
    return numpy.clip(picture, 0, 255).astype(numpy.uint8)


def write_pnm(path, picture):
    kind = b"P6" if picture.ndim == 3 else b"P5"
    height, width = picture.shape[:2]
    path.write_bytes(kind + b"\n%d %d\n255\n" % (width, height) + picture.tobytes())


def read_pnm(path):
    data = path.read_bytes()
    parts = data.split(maxsplit=4)
    width, height = int(parts[1]), int(parts[2])
    pixels = numpy.frombuffer(parts[4], dtype=numpy.uint8)
    return pixels.reshape((height, width, 3) if parts[0] == b"P6" else (height, width))


def cli(*arguments):
    subprocess.run([CLI, *map(str, arguments)], check=True, capture_output=True)


@pytest.mark.parametrize(
    "colour, quality, raw, options",
    [(True, 35, {}, []), (True, 100, {}, []), (False, 60, {"levels": 3, "discard": (1, 0, 0)}, ["--levels", "3", "--discard", "1,0,0"])],
)
def test_round_trip_is_tamr_cli_byte_for_byte(tmp_path, colour, quality, raw, options):
    picture = make_picture(77, 45, colour, seed=quality)
    source = tmp_path / ("picture.ppm" if colour else "picture.pgm")
    write_pnm(source, picture)
    cli("compress", source, tmp_path / "cli.cod", "-q", quality, *options)
    cli("decompress", tmp_path / "cli.cod", tmp_path / ("decoded" + source.suffix))

    coded = tamr.compress(picture, quality, **raw)
    assert coded == (tmp_path / "cli.cod").read_bytes()
    decoded = tamr.decompress(coded)
    assert decoded.shape == picture.shape
    assert numpy.array_equal(decoded, read_pnm(tmp_path / ("decoded" + source.suffix)))
    assert numpy.array_equal(tamr.read(tmp_path / "cli.cod"), decoded)


def test_bad_bytes_raise_tamr_error_with_its_message():
    with pytest.raises(tamr.Error, match="^file can not be decompressed!!$"):
        tamr.decompress(b"CIS3.0" + bytes(40))
    with pytest.raises(tamr.Error, match="--levels takes a whole number"):
        tamr.compress(make_picture(16, 16, True, 1), levels="many")


def test_pillow_opens_and_saves_cod_files(tmp_path):
    Image = pytest.importorskip("PIL.Image")
    import tamr.pillow  # noqa: F401  registers COD

    picture = make_picture(40, 30, True, seed=7)
    path = tmp_path / "picture.cod"
    Image.fromarray(picture).save(path, format="COD", quality=40)
    assert path.read_bytes() == tamr.compress(picture, 40)
    with Image.open(path) as opened:
        assert opened.format == "COD" and opened.mode == "RGB" and opened.size == (40, 30)
        assert numpy.array_equal(numpy.asarray(opened), tamr.decompress(path.read_bytes()))


def test_bd_rate_reproduces_the_published_vectors():
    anchor = [(9487.76, 40.037), (4593.60, 38.615), (2486.44, 36.845), (1358.24, 34.851)]
    test = [(9787.80, 40.121), (4469.00, 38.651), (2451.52, 36.970), (1356.24, 34.987)]
    for method, expected in (("akima", -4.425245), ("pchip", -4.417485), ("cubic", -4.420463)):
        assert tamr.bd_rate(anchor, test, method=method) == pytest.approx(expected, abs=1e-5)


def without_times(value):
    if isinstance(value, dict):
        return {k: without_times(v) for k, v in value.items() if not k.endswith("_seconds")}
    if isinstance(value, list):
        return [without_times(v) for v in value]
    return value


@pytest.mark.filterwarnings("ignore::DeprecationWarning")
def test_evaluate_on_a_dask_cluster_gives_the_report_of_one_machine(tmp_path):
    distributed = pytest.importorskip("dask.distributed")
    for index in range(3):
        write_pnm(tmp_path / f"p{index}.ppm", make_picture(48 + 8 * index, 40, True, seed=index))
    arguments = dict(codecs=("tamr", "jpeg"), qualities="20,50,80", metrics=["psnr", "ssim"], anchor="jpeg")

    alone = tamr.evaluate([tmp_path], **arguments)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=False, dashboard_address=None) as cluster:
        with distributed.Client(cluster) as client:
            spread = tamr.evaluate([tmp_path], client=client, **arguments)

    assert [p["name"] for p in alone["pictures"]] == [str(tmp_path / f"p{i}.ppm") for i in range(3)]
    assert without_times(spread) == without_times(alone)


def cli_json(*arguments):
    import json

    shown = subprocess.run([CLI, *map(str, arguments), "--json"], check=True, capture_output=True, text=True)
    return json.loads(shown.stdout)


def test_compare_and_sweep_give_the_json_of_tamr_cli(tmp_path):
    picture = make_picture(64, 48, True, seed=3)
    write_pnm(tmp_path / "a.ppm", picture)
    write_pnm(tmp_path / "b.ppm", tamr.decompress(tamr.compress(picture, 30)))
    compared = tamr.compare(tmp_path / "a.ppm", tamr.read(tmp_path / "b.ppm"), metrics="all")
    assert compared == cli_json("compare", tmp_path / "a.ppm", tmp_path / "b.ppm", "--metrics", "all")
    assert 10 < compared["psnr"] < 60

    swept = tamr.sweep(tmp_path / "a.ppm", qualities=[20, 70], peers=["jpeg"], metrics=["psnr", "ssim"])
    by_cli = cli_json("sweep", tmp_path / "a.ppm", "--qualities", "20,70", "--peers", "jpeg", "--metrics", "psnr,ssim")
    assert without_times(swept) == without_times(by_cli)
    assert [(p["codec"], p["quality"]) for p in swept["points"]] == [("tamr", 20), ("tamr", 70), ("jpeg", 20), ("jpeg", 70)]
