#!/usr/bin/env python3
"""Makes the test banners from the program's banner: banner_magenta.bmp has a block of the
transparent colour (magenta) at x 100..139, y 20..39 (top-down), everything else unchanged."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))
source = open(os.path.join(here, "..", "..", "res", "banner.bmp"), "rb").read()
offset = struct.unpack_from("<I", source, 10)[0]
width, height = struct.unpack_from("<ii", source, 18)
row = (width * 3 + 3) & ~3
data = bytearray(source)
for y in range(20, 40):
    stored = height - 1 - y  # rows are stored bottom-up
    for x in range(100, 140):
        at = offset + stored * row + x * 3
        data[at:at + 3] = bytes((255, 0, 255))  # blue, green, red
open(os.path.join(here, "banner_magenta.bmp"), "wb").write(data)
