#!/usr/bin/python3
"""Writes the JPEG fixtures of the JPEG reader's tests into this folder, with Debian's tools: cjpeg and jpegtran
(libjpeg-turbo-progs) and python3-pil. The tests read the committed files; run this only to make them again.

Every picture shows the same upright 48 x 32 pattern of four quadrants (red, green / blue, white) unless said
otherwise, so a test can check colours and orientation at the quadrants' centres.
"""
import io
import os
import struct
import subprocess

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
QUADRANTS = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)]


def pattern(width, height):
    image = Image.new('RGB', (width, height))
    half_w, half_h = width // 2, height // 2
    for index, colour in enumerate(QUADRANTS):
        x, y = (index % 2) * half_w, (index // 2) * half_h
        image.paste(colour, (x, y, x + half_w, y + half_h))
    return image


def ppm(image):
    out = io.BytesIO()
    image.save(out, 'PPM')
    return out.getvalue()


def cjpeg(image, *options):
    return subprocess.run(['cjpeg', '-quality', '90', *options], input=ppm(image), capture_output=True,
                          check=True).stdout


def with_frame_size(jpeg, width, height):
    """The JPEG with the size in its first frame header (SOF0..SOF2) changed, nothing else."""
    data = bytearray(jpeg)
    p = 2
    while p + 4 <= len(data):
        marker, length = data[p + 1], struct.unpack('>H', data[p + 2:p + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2):
            data[p + 5:p + 9] = struct.pack('>HH', height, width)
            return bytes(data)
        p += 2 + length
    raise ValueError('no frame header')


def write(name, data):
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(data)


def main():
    upright = pattern(48, 32)
    write('baseline.jpg', cjpeg(upright))
    write('progressive.jpg', cjpeg(upright, '-progressive'))
    write('greyscale.jpg', cjpeg(upright, '-grayscale'))
    # Pillow writes CMYK with an Adobe marker and inverted values, as Photoshop does.
    out = io.BytesIO()
    upright.convert('CMYK').save(out, 'JPEG', quality=90)
    write('cmyk.jpg', out.getvalue())
    # Stored turned a quarter to the left, with EXIF orientation 6 ("turn right to show").
    exif = Image.Exif()
    exif[0x0112] = 6
    out = io.BytesIO()
    upright.transpose(Image.Transpose.ROTATE_90).save(out, 'JPEG', quality=90, exif=exif.tobytes())
    write('exif_rotated.jpg', out.getvalue())
    large = cjpeg(pattern(800, 600))
    write('large.jpg', large)
    write('truncated.jpg', large[:len(large) // 2])
    # Headers that claim far more than the data: the most libjpeg takes (65500 a side), and a progressive picture
    # within the pixel cap whose coefficient buffer would still be hundreds of megabytes.
    write('huge_claim.jpg', with_frame_size(cjpeg(upright), 65500, 65500))
    write('progressive_huge_claim.jpg', with_frame_size(cjpeg(upright, '-progressive'), 9000, 9000))
    write('not_a_jpeg.jpg', b'GIF89a\x01\x00\x01\x00\x00\x00\x00;')


if __name__ == '__main__':
    main()
