#!/usr/bin/env python3
"""Remake res/banner.bmp and res/Tarvolin.ico from the drawing below.

ImageMagick (/usr/bin/convert) only rasterises: shapes and Korean text are
drawn into raw RGB/RGBA pixels, and every byte of the BMP, ICO and PNG files
is written here, so the headers are exact and the output is reproducible.

Needs: python3 (standard library), ImageMagick 6 (/usr/bin/convert) and the
fonts-nanum package.  Usage:  python3 res/art/make_art.py [--preview DIR]
"""

import os
import struct
import subprocess
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.dirname(HERE)
CONVERT = "/usr/bin/convert"
FONT_DIR = "/usr/share/fonts/truetype/nanum"
FONT = os.path.join(FONT_DIR, "NanumGothic.ttf")
FONT_BOLD = os.path.join(FONT_DIR, "NanumGothicBold.ttf")

MAGENTA = (255, 0, 255)

# Colours of the mark: a rounded blue square (lighter at the top) carrying a
# white, squared-off "ㅋ".
BLUE_TOP = (61, 139, 242)
BLUE_BOTTOM = (27, 88, 204)
BLUE_EDGE = (20, 66, 160)
WHITE = (255, 255, 255)

# Banner
BANNER_W, BANNER_H = 242, 65
PANEL = (236, 236, 236)
FRAME = (160, 160, 160)
TEXT = (40, 40, 40)
LABEL = (27, 78, 180)
MESSAGE = ("쿠델 B2B 서비스를", "이용하고 있습니다.")

ICON_SIZES = (48, 32, 24, 16)


def fail(msg):
    sys.stderr.write("make_art: %s\n" % msg)
    sys.exit(1)


def rgb(c):
    return "rgb(%d,%d,%d)" % c


def run_convert(args, w, h, channels):
    """Run convert with ARGS (which must end by drawing a WxH canvas) and
    return its pixels as raw bytes, CHANNELS (3 or 4) bytes each."""
    env = dict(os.environ, MAGICK_THREAD_LIMIT="1", OMP_NUM_THREADS="1",
               LC_ALL="C.UTF-8")
    fmt = "rgba:-" if channels == 4 else "rgb:-"
    out = subprocess.run([CONVERT] + args + ["-depth", "8", fmt],
                         stdout=subprocess.PIPE, env=env, check=True).stdout
    if len(out) != w * h * channels:
        fail("convert gave %d bytes, expected %d" % (len(out), w * h * channels))
    return out


# --------------------------------------------------------------------------
# The mark
# --------------------------------------------------------------------------
# Per-size geometry in target pixels, chosen so that the straight edges fall
# on pixel boundaries at every size:
#   box    = square (x0, y0, x1, y1), r = corner radius
#   t      = stroke width of the letter, (gx0, gy0) .. (gx1, gy1) its bounds,
#   my     = top of the middle stroke, edge = darker outline width (0: none)
MARK = {
    16: dict(box=(0, 0, 16, 16), r=3.0, t=2, g=(4, 3, 12, 13), my=7, edge=0),
    24: dict(box=(1, 1, 23, 23), r=4.5, t=3, g=(6, 5, 18, 19), my=10, edge=0),
    32: dict(box=(1, 1, 31, 31), r=6.0, t=4, g=(8, 7, 24, 25), my=14, edge=1),
    40: dict(box=(2, 2, 38, 38), r=7.0, t=5, g=(10, 9, 30, 31), my=17, edge=1),
    48: dict(box=(2, 2, 46, 46), r=9.0, t=6, g=(12, 11, 36, 37), my=21, edge=1),
}


def mark_geometry(size):
    if size in MARK:
        return MARK[size]
    # Large sizes: the 48 px drawing scaled up.
    k = size / 48.0
    m = MARK[48]
    sc = lambda v: round(v * k)
    return dict(box=tuple(sc(v) for v in m["box"]), r=m["r"] * k,
                t=sc(m["t"]), g=tuple(sc(v) for v in m["g"]), my=sc(m["my"]),
                edge=max(1, round(k)))


def mark_draw_args(size, ss, ox=0, oy=0):
    """ImageMagick -draw arguments for the mark at SIZE, supersampled SS
    times, offset by (OX, OY) target pixels."""
    g = mark_geometry(size)
    x0, y0, x1, y1 = [(v + o) * ss for v, o in zip(g["box"], (ox, oy, ox, oy))]
    r = g["r"] * ss
    t = g["t"] * ss
    gx0, gy0, gx1, gy1 = [(v + o) * ss for v, o in zip(g["g"], (ox, oy, ox, oy))]
    my = (g["my"] + oy) * ss
    e = g["edge"] * ss
    args = []
    # Outline, then the body with a vertical gradient in it.
    if e:
        args += ["-fill", rgb(BLUE_EDGE), "-draw",
                 "roundrectangle %d,%d %d,%d %g,%g" % (x0, y0, x1 - 1, y1 - 1, r, r)]
    grad = "gradient:%s-%s" % (rgb(BLUE_TOP), rgb(BLUE_BOTTOM))
    body = (x0 + e, y0 + e, x1 - e, y1 - e)
    rb = max(r - e, 1)
    args += ["(", "-size", "%dx%d" % (body[2] - body[0], body[3] - body[1]), grad,
             "(", "+clone", "-fill", "black", "-colorize", "100",
             "-fill", "white", "-draw",
             "roundrectangle 0,0 %d,%d %g,%g" % (body[2] - body[0] - 1,
                                                 body[3] - body[1] - 1, rb, rb),
             ")", "-alpha", "off", "-compose", "CopyOpacity", "-composite", ")",
             "-geometry", "+%d+%d" % (body[0], body[1]),
             "-compose", "Over", "-composite"]
    # The letter: top bar, right-hand down stroke, middle bar.
    rects = [(gx0, gy0, gx1, gy0 + t),
             (gx1 - t, gy0, gx1, gy1),
             (gx0, my, gx1, my + t)]
    args += ["-fill", rgb(WHITE)]
    for a, b, c, d in rects:
        args += ["-draw", "rectangle %d,%d %d,%d" % (a, b, c - 1, d - 1)]
    return args


def render_mark(size):
    """The mark as SIZE x SIZE straight RGBA bytes."""
    ss = 8 if size <= 64 else 4
    big = size * ss
    args = ["-size", "%dx%d" % (big, big), "xc:none", "+antialias"]
    args += mark_draw_args(size, ss)
    big_px = run_convert(args, big, big, 4)
    return downsample(big_px, big, ss)


def downsample(px, big, ss):
    """Box-filter straight RGBA by SS, averaging colour weighted by alpha."""
    size = big // ss
    out = bytearray(size * size * 4)
    n = ss * ss
    for y in range(size):
        for x in range(size):
            r = g = b = a = 0
            for yy in range(y * ss, y * ss + ss):
                row = (yy * big + x * ss) * 4
                for i in range(row, row + ss * 4, 4):
                    al = px[i + 3]
                    a += al
                    r += px[i] * al
                    g += px[i + 1] * al
                    b += px[i + 2] * al
            o = (y * size + x) * 4
            if a:
                out[o] = (r + a // 2) // a
                out[o + 1] = (g + a // 2) // a
                out[o + 2] = (b + a // 2) // a
                out[o + 3] = (a + n // 2) // n
    return bytes(out)


# --------------------------------------------------------------------------
# Banner
# --------------------------------------------------------------------------
def render_banner():
    w, h = BANNER_W, BANNER_H
    mark = render_mark(40)
    args = ["-size", "%dx%d" % (w, h), "xc:" + rgb(PANEL),
            "-fill", "none", "-stroke", rgb(FRAME), "-strokewidth", "1",
            "+antialias", "-draw", "rectangle 0,0 %d,%d" % (w - 1, h - 1),
            "-stroke", "none",
            # divider between the mark and the message
            "-fill", "rgb(200,200,200)", "-draw", "rectangle 98,14 98,50",
            "-fill", rgb(LABEL), "-font", FONT_BOLD, "-pointsize", "16",
            "-annotate", "+54+38", "쿠델",
            "-fill", rgb(TEXT), "-font", FONT, "-pointsize", "12",
            "-annotate", "+110+29", MESSAGE[0],
            "-annotate", "+110+46", MESSAGE[1]]
    panel = bytearray(run_convert(args, w, h, 3))
    # Put the mark on the panel at (8, 12).
    mx, my = 8, 12
    for y in range(40):
        for x in range(40):
            s = (y * 40 + x) * 4
            a = mark[s + 3]
            if not a:
                continue
            d = ((my + y) * w + mx + x) * 3
            for c in range(3):
                panel[d + c] = (mark[s + c] * a + panel[d + c] * (255 - a) + 127) // 255
    return bytes(panel)


def write_banner(path, pix):
    w, h = BANNER_W, BANNER_H
    for i in range(0, len(pix), 3):
        if tuple(pix[i:i + 3]) == MAGENTA:
            fail("banner has a pixel of RGB(255,0,255) at %d" % (i // 3))
    stride = (w * 3 + 3) & ~3                      # 728
    rows = []
    for y in range(h - 1, -1, -1):                 # bottom-up
        row = bytearray()
        for x in range(w):
            r, g, b = pix[(y * w + x) * 3:(y * w + x) * 3 + 3]
            row += bytes((b, g, r))
        row += b"\0" * (stride - w * 3)
        rows.append(bytes(row))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, 0, 2834, 2834, 0, 0)
    # Two zero bytes follow the pixels: the RT_BITMAP resource (the file less
    # its 14-byte file header) must be 47,362 bytes.
    body = info + b"".join(rows) + b"\0\0"
    assert len(body) == 47362, len(body)
    head = b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, 14 + 40)
    write_file(path, head + body)


# --------------------------------------------------------------------------
# Icon
# --------------------------------------------------------------------------
# The standard 16-colour Windows palette.
PAL16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
         (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
         (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
         (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# Colours the mark may use in 16 colours: navy outline, blue body, white
# letter (nearest-colour over all 16 would turn the light blue grey).
PAL16_USE = (4, 12, 15)


def palette256():
    pal = []
    for r in range(6):
        for g in range(6):
            for b in range(6):
                pal.append((r * 51, g * 51, b * 51))
    # The mark's own blues (gradient top to bottom) and their blends with
    # white, then greys to fill up to 256.
    for i in range(16):
        pal.append(tuple(round(a + (b - a) * i / 15) for a, b in zip(BLUE_TOP, BLUE_BOTTOM)))
    mid = tuple((a + b) // 2 for a, b in zip(BLUE_TOP, BLUE_BOTTOM))
    for i in range(1, 9):
        pal.append(tuple(round(a + (255 - a) * i / 9) for a in mid))
    pal.append(BLUE_EDGE)
    greys = 256 - len(pal)
    for i in range(greys):
        v = round(8 + i * 240 / (greys - 1))
        pal.append((v, v, v))
    assert len(pal) == 256
    return pal


def nearest(c, pal, allowed):
    best, bi = None, 0
    for i in allowed:
        p = pal[i]
        d = (c[0] - p[0]) ** 2 + (c[1] - p[1]) ** 2 + (c[2] - p[2]) ** 2
        if best is None or d < best:
            best, bi = d, i
    return bi


def and_mask(size, opaque):
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        for x in range(size):
            if not opaque(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def dib_header(size, bpp, data_len):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                       data_len, 0, 0, 0, 0)


def icon_paletted(px, size, bpp):
    pal = PAL16 if bpp == 4 else palette256()
    allowed = PAL16_USE if bpp == 4 else range(256)
    cache = {}
    idx = []
    for i in range(size * size):
        r, g, b, a = px[i * 4:i * 4 + 4]
        if a < 128:
            idx.append(0)
            continue
        key = (r, g, b)
        if key not in cache:
            cache[key] = nearest(key, pal, allowed)
        idx.append(cache[key])
    stride = ((size * bpp + 31) // 32) * 4
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        for x in range(size):
            v = idx[y * size + x]
            if bpp == 8:
                row[x] = v
            else:
                row[x // 2] |= v << (4 if x % 2 == 0 else 0)
        xor += row
    mask = and_mask(size, lambda x, y: px[(y * size + x) * 4 + 3] >= 128)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in pal)
    return dib_header(size, bpp, len(xor) + len(mask)) + table + bytes(xor) + mask, idx, pal


def icon_32(px, size):
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = px[(y * size + x) * 4:(y * size + x) * 4 + 4]
            if a == 0:
                r = g = b = 0
            xor += bytes((b, g, r, a))
    mask = and_mask(size, lambda x, y: px[(y * size + x) * 4 + 3] > 0)
    return dib_header(size, 32, len(xor) + len(mask)) + bytes(xor) + mask


def png_bytes(px, w, h):
    def chunk(tag, data):
        return (struct.pack(">I", len(data)) + tag + data +
                struct.pack(">I", zlib.crc32(tag + data) & 0xffffffff))
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        raw += px[y * w * 4:(y + 1) * w * 4]
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
            chunk(b"IEND", b""))


EXPECTED_SIZES = [1640, 744, 488, 296, 3752, 2216, 1736, 1384, None,
                  9640, 4264, 2440, 1128]


def build_icon(marks, big):
    images = []          # (width, height, colours, bpp, data)
    previews = []        # (size, rgba) of what each image shows
    for bpp in (4, 8):
        for s in ICON_SIZES:
            data, idx, pal = icon_paletted(marks[s], s, bpp)
            images.append((s, s, 16 if bpp == 4 else 0, bpp, data))
            pv = bytearray()
            for i, v in enumerate(idx):
                a = 255 if marks[s][i * 4 + 3] >= 128 else 0
                pv += bytes(pal[v]) + bytes((a,)) if a else b"\0\0\0\0"
            previews.append((s, bytes(pv)))
    images.append((0, 0, 0, 32, png_bytes(big, 256, 256)))
    previews.append((256, big))
    for s in ICON_SIZES:
        images.append((s, s, 0, 32, icon_32(marks[s], s)))
        previews.append((s, marks[s]))
    for (w, h, c, bpp, data), want in zip(images, EXPECTED_SIZES):
        if want is not None and len(data) != want:
            fail("icon image %dx%d %dbpp is %d bytes, expected %d"
                 % (w, h, bpp, len(data), want))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for w, h, c, bpp, data in images:
        out += struct.pack("<BBBBHHII", w, h, c, 0, 1, bpp, len(data), offset)
        offset += len(data)
    for img in images:
        out += img[4]
    return bytes(out), [len(i[4]) for i in images], previews


# --------------------------------------------------------------------------
def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)


def write_preview(path, w, h, channels, px, scale, bg=(255, 255, 255)):
    """A PNG of the pixels scaled up by SCALE (nearest neighbour), for
    looking at; alpha is shown over BG."""
    out = bytearray()
    for y in range(h):
        row = bytearray()
        for x in range(w):
            i = (y * w + x) * channels
            c = px[i:i + 3]
            if channels == 4:
                a = px[i + 3]
                c = bytes((c[k] * a + bg[k] * (255 - a) + 127) // 255 for k in range(3))
            row += (bytes(c) + b"\xff") * scale
        out += bytes(row) * scale
    write_file(path, png_bytes(bytes(out), w * scale, h * scale))


def contact_sheet(previews):
    """All icon images side by side, 3x, over white and over dark grey."""
    scale = 3
    pad = 8
    tiles = [s for s, _ in previews]
    width = sum(s * scale + pad for s in tiles) + pad
    height = 2 * (256 * scale + pad) + pad
    sheet = bytearray(b"\xc8\xc8\xc8\xff" * width * height)
    for band, bg in enumerate(((255, 255, 255), (48, 48, 48))):
        x0 = pad
        y0 = pad + band * (256 * scale + pad)
        for s, px in previews:
            for y in range(s * scale):
                for x in range(s * scale):
                    i = ((y // scale) * s + x // scale) * 4
                    a = px[i + 3]
                    c = bytes((px[i + k] * a + bg[k] * (255 - a) + 127) // 255
                              for k in range(3))
                    o = ((y0 + y) * width + x0 + x) * 4
                    sheet[o:o + 3] = c
            x0 += s * scale + pad
    return bytes(sheet), width, height


def main():
    preview_dir = None
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        preview_dir = sys.argv[2]
    elif len(sys.argv) != 1:
        fail("usage: make_art.py [--preview DIR]")
    if not os.path.exists(CONVERT):
        fail("%s not found (install imagemagick)" % CONVERT)
    for f in (FONT, FONT_BOLD):
        if not os.path.exists(f):
            fail("%s not found (install fonts-nanum)" % f)

    banner = render_banner()
    banner_path = os.path.join(RES, "banner.bmp")
    write_banner(banner_path, banner)

    marks = {s: render_mark(s) for s in ICON_SIZES}
    big = render_mark(256)
    ico, sizes, previews = build_icon(marks, big)
    ico_path = os.path.join(RES, "Tarvolin.ico")
    write_file(ico_path, ico)

    if preview_dir:
        os.makedirs(preview_dir, exist_ok=True)
        write_preview(os.path.join(preview_dir, "banner_x3.png"),
                      BANNER_W, BANNER_H, 3, banner, 3)
        sheet, w, h = contact_sheet(previews)
        write_file(os.path.join(preview_dir, "icon_sheet.png"), png_bytes(sheet, w, h))
    print(os.path.relpath(banner_path))
    print(os.path.relpath(ico_path))


if __name__ == "__main__":
    main()
