"""Pillow opens and saves tamr's COD files once this module is imported:

    import tamr.pillow
    Image.open("picture.cod")
    picture.save("picture.cod", format="COD", quality=40)

save takes the quality (0 to 100, default 50) and the raw settings tamr.compress takes.
"""

import numpy
from PIL import Image, ImageFile

import tamr

FORMAT = "COD"
MIME_TYPE = "application/x-tamr-cod"


def _accept(prefix):
    return prefix[:3] == b"CIS"


class CodImageFile(ImageFile.ImageFile):
    format = FORMAT
    format_description = "tamr wavelet picture"

    def _open(self):
        data = self.fp.read()
        try:
            width, height, channels = tamr._tamr.cod_header(data)
        except tamr.Error as error:
            raise SyntaxError(str(error)) from error
        self._size = (width, height)
        self.mode = "RGB" if channels == 3 else "L"
        self.tile = [(FORMAT, (0, 0) + self.size, 0, None)]


class CodDecoder(ImageFile.PyDecoder):
    _pulls_fd = True

    def decode(self, buffer):
        picture = tamr.decompress(self.fd.read())
        self.set_as_raw(picture.tobytes())
        return -1, 0


def _save(image, fp, filename):
    if image.mode not in ("L", "RGB"):
        image = image.convert("L" if image.mode in ("1", "LA", "I", "I;16", "F") else "RGB")
    settings = {name: image.encoderinfo[name] for name in tamr.RAW_SETTINGS if name in image.encoderinfo}
    quality = image.encoderinfo.get("quality", 50)
    fp.write(tamr.compress(numpy.asarray(image), quality, **settings))


Image.register_open(FORMAT, CodImageFile, _accept)
Image.register_decoder(FORMAT, CodDecoder)
Image.register_save(FORMAT, _save)
Image.register_extension(FORMAT, ".cod")
Image.register_mime(FORMAT, MIME_TYPE)
