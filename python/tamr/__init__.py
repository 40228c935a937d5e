"""tamr for programs and scripts: the wavelet codec, the picture readers, the
figures, the rate-distortion sweep and the evaluation of codecs, on numpy
arrays and files. Results are plain dicts and lists with the keys and units
of tamr-cli's JSON; failures raise tamr.Error with tamr's message.
"""

import json
import os

import numpy

from . import _tamr

Error = _tamr.Error
__version__ = _tamr.version

__all__ = ["Error", "compress", "decompress", "read", "compare", "sweep", "evaluate", "bd_rate"]

# The raw settings compress takes beside the quality, as tamr-cli compress
# takes them (--quant-a is quant_a); each a number or the text of its option.
RAW_SETTINGS = ("levels", "quant_a", "quant_b", "quant_c", "threshold", "discard", "sample")


def _metric_list(metrics):
    if metrics is None:
        return "default"
    if isinstance(metrics, str):
        return metrics
    return ",".join(metrics)


def _name_list(names):
    return names if isinstance(names, str) else ",".join(names)


def _quality_list(qualities):
    if isinstance(qualities, str):
        return qualities
    return ",".join(str(int(q)) for q in qualities)


def _picture(picture):
    if isinstance(picture, (str, os.PathLike)):
        return read(picture)
    return numpy.asarray(picture)


def compress(array, quality=50, threads=0, **raw_settings):
    """The COD file of a picture (H x W x 3 red, green, blue or H x W gray
    uint8), the same bytes tamr-cli compress writes for it."""
    if not 0 <= quality <= 100:
        raise ValueError(f"the quality factor is 0 to 100, not {quality}")
    raw = {}
    for name, value in raw_settings.items():
        if isinstance(value, (list, tuple)):
            value = ",".join(str(v) for v in value)
        raw[name] = str(value)
    return _tamr.compress(numpy.asarray(array), int(quality), raw, int(threads))


def decompress(data):
    """The picture of a COD file's bytes: H x W x 3 (red, green, blue) or H x W uint8."""
    return _tamr.decompress(data)


def read(path):
    """Any picture tamr opens (a COD file decoded), as an array."""
    return _tamr.read(os.fspath(path))


def compare(a, b, metrics=None):
    """The figures of two pictures (arrays or files) of one size and depth, as
    tamr-cli compare --json gives them; metrics as compare --metrics names
    them ("default", "all" or a list of keys)."""
    return json.loads(_tamr.compare(_picture(a), _picture(b), _metric_list(metrics)))


def sweep(picture, qualities="0:99:5", peers=("jpeg", "jp2", "webp"), metrics=None, threads=0):
    """A picture file coded at every quality by tamr and its peers, every
    point measured: tamr-cli sweep --json as a dict."""
    peer_list = "none" if not peers else _name_list(peers)
    return json.loads(
        _tamr.sweep(os.fspath(picture), _quality_list(qualities), peer_list, _metric_list(metrics), int(threads))
    )


def _evaluate_shard(shard, shards, pictures, settings):
    # Runs on a Dask worker, or here: the shard-th of every shards-th picture.
    from . import _tamr as core

    return core.evaluate_shard(pictures, *settings, shard, shards)


def evaluate(
    pictures,
    codecs=("tamr", "jpeg", "jp2", "webp"),
    qualities="5:95:10",
    metrics=None,
    anchor="jpeg",
    bd_method="akima",
    threads=0,
    client=None,
):
    """Every picture (files and folders) swept by every codec and each codec's
    Bjøntegaard deltas against the anchor: tamr-cli evaluate --json as a dict.

    With client (a dask.distributed.Client) each picture is evaluated on the
    cluster's workers, which must see the same files, and the results are
    merged into the report one machine gives."""
    if isinstance(pictures, (str, os.PathLike)):
        pictures = [pictures]
    files = _tamr.list_pictures([os.fspath(p) for p in pictures])
    codec_list = _name_list(codecs)
    quality_list = _quality_list(qualities)
    metric_list = _metric_list(metrics)
    _tamr.check_evaluation(files, codec_list, quality_list, metric_list, anchor, bd_method)
    settings = (codec_list, quality_list, metric_list, anchor, int(threads))
    if client is None:
        records = [_evaluate_shard(0, 1, files, settings)]
    else:
        count = len(files)
        futures = client.map(
            _evaluate_shard, range(count), shards=count, pictures=files, settings=settings, pure=False
        )
        records = client.gather(futures)
    return json.loads(_tamr.evaluation_report(records, anchor, bd_method))


def bd_rate(curve_a, curve_b, method="akima"):
    """Bjøntegaard's delta rate in percent of curve_b against curve_a, each a
    sequence of (rate, quality) points: negative when curve_b spends fewer bits
    for the same quality. method: akima, pchip or cubic."""
    as_points = lambda curve: [(float(r), float(q)) for r, q in curve]  # noqa: E731
    return _tamr.bd_rate(as_points(curve_a), as_points(curve_b), method)
