#!/usr/bin/env python3
"""Draws the program's pictures: logo.png, tray.ico and app.ico.

Only the standard library is used (zlib and struct), so the pictures can be redrawn on
any machine with Python 3 and come out the same every time. Every shape is described
by a signed distance (negative inside) and painted with an anti-aliased edge.

    python3 draw_pictures.py                 # rewrites the pictures beside this script
    python3 draw_pictures.py --out DIR       # writes them into DIR instead
    python3 draw_pictures.py --preview DIR   # also writes enlarged previews to look at
"""

import argparse
import math
import os
import struct
import zlib

# ---------------------------------------------------------------------------------
# Colours

BADGE_TOP = (58, 160, 204)       # the badge's gradient, light at the top ...
BADGE_BOTTOM = (24, 88, 138)     # ... and deep at the bottom
BADGE_EDGE = (14, 58, 96)        # a thin outline that keeps the badge crisp on grey
LOCK = (250, 252, 253)           # the padlock
NAME_DARK = (30, 43, 58)         # "Orvanta"
NAME_ACCENT = (26, 104, 150)     # "Password Generator"
DIALOG_GREY = (240, 240, 240)    # the dialog background, for previews only


def Mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


# ---------------------------------------------------------------------------------
# Canvas: premultiplied floating-point RGBA, painted shape by shape.


class Canvas:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [0.0] * (width * height * 4)

    def Paint(self, shape, colour, opacity=1.0, samples=3):
        """Paints a shape over the canvas; colour is an (r, g, b) tuple in 0..255 or a
        function of the pixel centre returning one."""
        x0, y0, x1, y1 = shape.Bounds()
        x0 = max(0, int(math.floor(x0 - 1)))
        y0 = max(0, int(math.floor(y0 - 1)))
        x1 = min(self.width, int(math.ceil(x1 + 1)))
        y1 = min(self.height, int(math.ceil(y1 + 1)))
        offsets = [(i + 0.5) / samples for i in range(samples)]
        weight = 1.0 / (samples * samples)
        sdf = shape.Distance
        for y in range(y0, y1):
            for x in range(x0, x1):
                # A coarse test first: far from the edge a pixel is all in or all out.
                centre = sdf(x + 0.5, y + 0.5)
                if centre >= 1.0:
                    continue
                if centre <= -1.0:
                    coverage = 1.0
                else:
                    coverage = 0.0
                    for oy in offsets:
                        for ox in offsets:
                            d = sdf(x + ox, y + oy) * samples
                            coverage += min(1.0, max(0.0, 0.5 - d))
                    coverage *= weight
                if coverage <= 0.0:
                    continue
                rgb = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                a = coverage * opacity
                i = (y * self.width + x) * 4
                p = self.pixels
                keep = 1.0 - a
                p[i] = rgb[0] / 255.0 * a + p[i] * keep
                p[i + 1] = rgb[1] / 255.0 * a + p[i + 1] * keep
                p[i + 2] = rgb[2] / 255.0 * a + p[i + 2] * keep
                p[i + 3] = a + p[i + 3] * keep

    def Rgba(self, clearBelow=0):
        """Straight (not premultiplied) 8-bit RGBA, rows top-down. Alpha values below
        clearBelow become fully clear: icons want that, so that their mask, which
        programs ignoring alpha fall back on, keeps the rounded corners."""
        out = bytearray(self.width * self.height * 4)
        p = self.pixels
        for i in range(0, len(p), 4):
            alpha = min(1.0, max(0.0, p[i + 3]))
            a8 = int(alpha * 255.0 + 0.5)
            if a8 < max(1, clearBelow):
                continue
            for c in range(3):
                out[i + c] = min(255, max(0, int(p[i + c] / alpha * 255.0 + 0.5)))
            out[i + 3] = a8
        return bytes(out)


# ---------------------------------------------------------------------------------
# Shapes, each with a signed distance in pixels and a bounding box.


class RoundedRect:
    def __init__(self, x0, y0, x1, y1, radius):
        self.cx, self.cy = (x0 + x1) / 2, (y0 + y1) / 2
        self.hx, self.hy = (x1 - x0) / 2, (y1 - y0) / 2
        self.r = min(radius, self.hx, self.hy)
        self.box = (x0, y0, x1, y1)

    def Bounds(self):
        return self.box

    def Distance(self, x, y):
        qx = abs(x - self.cx) - self.hx + self.r
        qy = abs(y - self.cy) - self.hy + self.r
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - self.r


class Circle:
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r

    def Bounds(self):
        return (self.cx - self.r, self.cy - self.r, self.cx + self.r, self.cy + self.r)

    def Distance(self, x, y):
        return math.hypot(x - self.cx, y - self.cy) - self.r


class Strokes:
    """Polylines drawn with a round pen of the given width, optionally clipped to a
    box so that stems end flat on the baseline and the x-height."""

    def __init__(self, polylines, width, clip=None):
        self.h = width / 2
        self.segments = []
        for line in polylines:
            if len(line) == 1:
                line = [line[0], line[0]]
            for a, b in zip(line, line[1:]):
                dx, dy = b[0] - a[0], b[1] - a[1]
                self.segments.append((a[0], a[1], dx, dy, dx * dx + dy * dy))
        xs = [p[0] for line in polylines for p in line]
        ys = [p[1] for line in polylines for p in line]
        box = (min(xs) - self.h, min(ys) - self.h, max(xs) + self.h, max(ys) + self.h)
        if clip is not None:
            box = (max(box[0], clip[0]), max(box[1], clip[1]), min(box[2], clip[2]), min(box[3], clip[3]))
        self.box = box
        self.clip = clip

    def Bounds(self):
        return self.box

    def Distance(self, x, y):
        best = 1e9
        for ax, ay, dx, dy, length2 in self.segments:
            px, py = x - ax, y - ay
            t = 0.0 if length2 == 0 else max(0.0, min(1.0, (px * dx + py * dy) / length2))
            ex, ey = px - dx * t, py - dy * t
            d2 = ex * ex + ey * ey
            if d2 < best:
                best = d2
        d = math.sqrt(best) - self.h
        if self.clip is not None:
            cx0, cy0, cx1, cy1 = self.clip
            d = max(d, cx0 - x, x - cx1, cy0 - y, y - cy1)
        return d


class Difference:
    def __init__(self, shape, cut):
        self.shape, self.cut = shape, cut

    def Bounds(self):
        return self.shape.Bounds()

    def Distance(self, x, y):
        return max(self.shape.Distance(x, y), -self.cut.Distance(x, y))


class Union:
    def __init__(self, *shapes):
        self.shapes = shapes

    def Bounds(self):
        boxes = [s.Bounds() for s in self.shapes]
        return (min(b[0] for b in boxes), min(b[1] for b in boxes), max(b[2] for b in boxes), max(b[3] for b in boxes))

    def Distance(self, x, y):
        return min(s.Distance(x, y) for s in self.shapes)


def Arc(cx, cy, rx, ry, start, end, steps=None):
    """Points along an ellipse, angles in degrees, counter-clockwise as seen on screen
    (y grows downwards, so the sine is subtracted)."""
    if steps is None:
        steps = max(8, int(abs(end - start) / 6))
    points = []
    for i in range(steps + 1):
        angle = math.radians(start + (end - start) * i / steps)
        points.append((cx + rx * math.cos(angle), cy - ry * math.sin(angle)))
    return points


# ---------------------------------------------------------------------------------
# The badge: a rounded square with a padlock, the program's mark at every size.


def BadgeGeometry(size):
    """Geometry of the badge and its padlock, in pixels. The small sizes are drawn on
    whole pixels so that their edges stay sharp; larger ones scale the 48-pixel design.
    shackle: (left, top, right) of its outer edge and its thickness; body: its box;
    hole: the keyhole's round top (centre and radius, or None) and slot box."""
    if size <= 16:
        return dict(inset=0.0, radius=3.0, edge=1.0, shackle=(5.0, 2.0, 11.0, 2.0), shackleRadius=2.6,
                    body=(3.0, 7.0, 13.0, 14.0), bodyRadius=1.0, hole=None, slot=(7.0, 9.0, 9.0, 12.0))
    if size <= 32:
        return dict(inset=1.0, radius=6.0, edge=1.0, shackle=(10.0, 5.0, 22.0, 3.0), shackleRadius=6.0,
                    body=(7.0, 14.0, 25.0, 27.0), bodyRadius=2.0, hole=(16.0, 19.0, 2.5), slot=(15.0, 19.0, 17.0, 23.0))
    scale = size / 48.0
    g = dict(inset=1.5, radius=9.0, edge=1.0, shackle=(15.0, 8.0, 33.0, 4.0), shackleRadius=9.0,
             body=(11.0, 21.0, 37.0, 39.0), bodyRadius=3.0, hole=(24.0, 28.0, 3.5), slot=(22.5, 28.0, 25.5, 34.0))
    if size == 48:
        return g
    out = {}
    for key, value in g.items():
        out[key] = tuple(v * scale for v in value) if isinstance(value, tuple) else value * scale
    out["edge"] = max(1.0, size / 48.0 * 0.8)
    return out


def DrawBadge(canvas, ox, oy, size, square=False):
    g = BadgeGeometry(size)
    inset = 0.0 if square else g["inset"]
    top = oy + inset
    bottom = oy + size - inset

    def Gradient(x, y):
        return Mix(BADGE_TOP, BADGE_BOTTOM, min(1.0, max(0.0, (y - top) / (bottom - top))))

    radius = 0.0 if square else g["radius"]
    outer = RoundedRect(ox + inset, top, ox + size - inset, bottom, radius)
    canvas.Paint(outer, BADGE_EDGE)
    edge = g["edge"]
    inner = RoundedRect(ox + inset + edge, top + edge, ox + size - inset - edge, bottom - edge, max(0.0, radius - edge))
    canvas.Paint(inner, Gradient)

    # The shackle is a rounded arch whose feet disappear into the body.
    left, shackleTop, right, thickness = g["shackle"]
    bx0, by0, bx1, by1 = g["body"]
    feet = by0 + (by1 - by0) / 2
    arch = RoundedRect(ox + left, oy + shackleTop, ox + right, oy + feet, g["shackleRadius"])
    opening = RoundedRect(ox + left + thickness, oy + shackleTop + thickness, ox + right - thickness, oy + feet + thickness,
                          max(0.0, g["shackleRadius"] - thickness))
    canvas.Paint(Difference(arch, opening), LOCK)

    body = RoundedRect(ox + bx0, oy + by0, ox + bx1, oy + by1, g["bodyRadius"])
    sx0, sy0, sx1, sy1 = g["slot"]
    keyhole = RoundedRect(ox + sx0, oy + sy0, ox + sx1, oy + sy1, 0.0 if g["hole"] is None else (sx1 - sx0) / 4)
    if g["hole"] is not None:
        hx, hy, hr = g["hole"]
        keyhole = Union(Circle(ox + hx, oy + hy, hr), keyhole)
    canvas.Paint(Difference(body, keyhole), LOCK)


# ---------------------------------------------------------------------------------
# A small stroke font, just the letters of the product name. Glyphs are drawn in pixels
# with y growing downwards from the top of the capitals.


class Font:
    def __init__(self, capHeight, xHeight, stroke):
        self.ch = capHeight
        self.xh = xHeight
        self.sw = stroke
        self.h = stroke / 2

    def Width(self, letter):
        xh, ch = self.xh, self.ch
        widths = {
            "O": ch * 0.95, "P": ch * 0.62, "G": ch * 0.92,
            "o": xh * 1.0, "a": xh * 0.98, "d": xh * 0.98, "e": xh * 0.97, "n": xh * 0.9,
            "r": xh * 0.56, "s": xh * 0.8, "t": xh * 0.62, "v": xh * 0.96, "w": xh * 1.4,
            " ": xh * 0.5,
        }
        return float(round(widths[letter]))

    def Glyph(self, letter, x0, baseline):
        """Returns (polylines, clip box) for one letter whose ink starts at x0."""
        w = self.Width(letter)
        h = self.h
        ch, xh = self.ch, self.xh
        capTop = baseline - ch
        xTop = baseline - xh
        left, right = x0 + h, x0 + w - h
        mid = x0 + w / 2
        lines = []
        top = xTop
        if letter == "O":
            lines.append(Arc(mid, baseline - ch / 2, w / 2 - h, ch / 2 - h, 0, 360, 72))
            top = capTop
        elif letter == "G":
            cy = baseline - ch / 2
            rx, ry = w / 2 - h, ch / 2 - h
            lines.append(Arc(mid, cy, rx, ry, 42, 360, 64))
            barY = cy + h * 0.3
            lines.append([(right, cy), (right, barY), (mid + rx * 0.08, barY)])
            top = capTop
        elif letter == "P":
            bowlBottom = baseline - ch * 0.42
            bowlX = x0 + w * 0.48
            ry = (bowlBottom - (capTop + h)) / 2
            lines.append([(left, baseline + 1), (left, capTop - 1)])
            lines.append([(left, capTop + h), (bowlX, capTop + h)]
                         + Arc(bowlX, capTop + h + ry, right - bowlX, ry, 90, -90, 24)
                         + [(left, bowlBottom)])
            top = capTop
        elif letter in "oad":
            lines.append(Arc(mid, baseline - xh / 2, w / 2 - h, xh / 2 - h, 0, 360, 60))
            if letter == "a":
                lines.append([(right, xTop - 1), (right, baseline + 1)])
            if letter == "d":
                lines.append([(right, capTop - 1), (right, baseline + 1)])
                top = capTop
        elif letter == "e":
            cy = baseline - xh / 2
            rx, ry = w / 2 - h, xh / 2 - h
            lines.append([(left, cy), (right, cy)] + Arc(mid, cy, rx, ry, 0, 318, 60))
        elif letter == "n":
            shoulder = baseline - xh * 0.5
            lines.append([(left, xTop - 1), (left, baseline + 1)])
            lines.append(Arc(mid, shoulder, w / 2 - h, shoulder - (xTop + h), 180, 0, 30)
                         + [(right, baseline + 1)])
        elif letter == "r":
            shoulder = baseline - xh * 0.45
            lines.append([(left, xTop - 1), (left, baseline + 1)])
            rx = (right + h * 0.2) - left
            lines.append(Arc(left + rx, shoulder, rx, shoulder - (xTop + h), 180, 95, 20))
        elif letter == "s":
            inner = xh - 2 * h
            spine = xTop + h + inner * 0.48
            rxTop = w / 2 - h * 1.15
            rxBottom = w / 2 - h
            upper = Arc(mid, (xTop + h + spine) / 2, rxTop, (spine - (xTop + h)) / 2, 28, 270, 36)
            lower = Arc(mid, (spine + baseline - h) / 2, rxBottom, (baseline - h - spine) / 2, 90, -152, 36)
            lines.append(upper + lower)
        elif letter == "t":
            stem = x0 + h + w * 0.12
            turn = baseline - xh * 0.3
            lines.append([(stem, capTop + ch * 0.12), (stem, turn)]
                         + Arc(stem + w * 0.42, turn, w * 0.42, xh * 0.3 - h, 180, 280, 12))
            lines.append([(x0 + h * 0.6, xTop + h), (right, xTop + h)])
            top = capTop + ch * 0.12 - h
        elif letter == "v":
            lines.append([(x0 + h * 0.9, xTop - 1), (mid, baseline - h), (x0 + w - h * 0.9, xTop - 1)])
        elif letter == "w":
            lines.append([(x0 + h * 0.9, xTop - 1), (x0 + w * 0.27, baseline - h), (mid, xTop - 1),
                          (x0 + w * 0.73, baseline - h), (x0 + w - h * 0.9, xTop - 1)])
        clip = (x0 - 0.001, top, x0 + w + 0.001, baseline)
        return lines, clip


def TextWidth(font, text, spacing):
    return sum(font.Width(c) + (spacing if c != " " else 0.0) for c in text) - spacing


def DrawText(canvas, font, text, x, baseline, colour, spacing, kerning=None):
    """Draws text from x; returns where the next letter would start."""
    previous = None
    for letter in text:
        if kerning and previous is not None:
            x += kerning.get(previous + letter, 0.0)
        if letter != " ":
            lines, clip = font.Glyph(letter, x, baseline)
            canvas.Paint(Strokes(lines, font.sw, clip), colour)
            x += font.Width(letter) + spacing
        else:
            x += font.Width(letter)
        previous = letter
    return x


# ---------------------------------------------------------------------------------
# The pictures


LOGO_SIZE = (294, 40)


def DrawLogo():
    width, height = LOGO_SIZE
    canvas = Canvas(width, height)
    DrawBadge(canvas, 2, 2, 36)
    kerning = {"Pa": -0.6, "rv": -0.3, "ra": -0.3, "ta": -0.2, "ve": -0.2, "at": -0.2}
    brand = Font(capHeight=13.0, xHeight=9.0, stroke=2.2)
    words = Font(capHeight=13.0, xHeight=9.0, stroke=1.7)
    baseline = 27.0
    x = DrawText(canvas, brand, "Orvanta", 45.0, baseline, NAME_DARK, 1.9, kerning)
    x += words.Width(" ")
    spacing = 1.6
    x = DrawText(canvas, words, "Password Generator", float(round(x)), baseline, NAME_ACCENT, spacing, kerning)
    inkEnd = x - spacing
    if inkEnd > width - 2:
        raise SystemExit("the logo text runs past the picture's right edge (%.1f > %d)" % (inkEnd, width - 2))
    return canvas


ICON_CLEAR_BELOW = 16


def DrawIcon(size, square=False):
    canvas = Canvas(size, size)
    DrawBadge(canvas, 0, 0, size, square)
    return canvas.Rgba(ICON_CLEAR_BELOW)


# ---------------------------------------------------------------------------------
# File formats


def Chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def FilterRows(width, height, rgba):
    """Chooses each row's filter by the smallest sum of absolute differences, the usual
    heuristic, so the files are small and use all five filter types."""
    stride = width * 4
    out = bytearray()
    prior = bytes(stride)
    for y in range(height):
        row = rgba[y * stride:(y + 1) * stride]
        best = None
        for kind in range(5):
            filtered = bytearray(stride)
            for i in range(stride):
                left = row[i - 4] if i >= 4 else 0
                up = prior[i]
                upLeft = prior[i - 4] if i >= 4 else 0
                if kind == 0:
                    predictor = 0
                elif kind == 1:
                    predictor = left
                elif kind == 2:
                    predictor = up
                elif kind == 3:
                    predictor = (left + up) // 2
                else:
                    p = left + up - upLeft
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - upLeft)
                    predictor = left if pa <= pb and pa <= pc else (up if pb <= pc else upLeft)
                filtered[i] = (row[i] - predictor) & 0xFF
            cost = sum(v if v < 128 else 256 - v for v in filtered)
            if best is None or cost < best[0]:
                best = (cost, kind, filtered)
        out.append(best[1])
        out += best[2]
        prior = row
    return bytes(out)


def EncodePng(width, height, rgba):
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    data = zlib.compress(FilterRows(width, height, rgba), 9)
    return b"\x89PNG\r\n\x1a\n" + Chunk(b"IHDR", header) + Chunk(b"IDAT", data) + Chunk(b"IEND", b"")


def IconDib(size, rgba):
    """A 32-bit BITMAPINFOHEADER image as icons store it: the height counts the colour
    rows and the mask rows, both bottom-up; the mask marks fully transparent pixels."""
    maskStride = (size + 31) // 32 * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, size * size * 4 + maskStride * size, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        maskRow = bytearray(maskStride)
        for x in range(size):
            r, g, b, a = rgba[(y * size + x) * 4:(y * size + x) * 4 + 4]
            colour += bytes((b, g, r, a))
            if a == 0:
                maskRow[x // 8] |= 0x80 >> (x % 8)
        mask += maskRow
    return header + bytes(colour) + bytes(mask)


def EncodeIco(images):
    """images: list of (size, rgba); 256-pixel images are stored as PNG, which Windows
    accepts and which keeps the file small."""
    blobs = [EncodePng(size, size, rgba) if size >= 256 else IconDib(size, rgba) for size, rgba in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for (size, _), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


# ---------------------------------------------------------------------------------
# Previews: enlarged, over the dialog grey and over a dark taskbar colour.


def Preview(rgba, width, height, scale, background):
    out = bytearray()
    for y in range(height):
        row = bytearray()
        for x in range(width):
            r, g, b, a = rgba[(y * width + x) * 4:(y * width + x) * 4 + 4]
            t = a / 255.0
            pixel = bytes(int(rgba_c * t + bg_c * (1 - t) + 0.5) for rgba_c, bg_c in zip((r, g, b), background)) + b"\xff"
            row += pixel * scale
        out += bytes(row) * scale
    return out


def WritePreviews(directory, logo, icons):
    os.makedirs(directory, exist_ok=True)
    width, height = LOGO_SIZE
    for name, scale in (("logo_x1", 1), ("logo_x4", 4)):
        with open(os.path.join(directory, name + ".png"), "wb") as f:
            f.write(EncodePng(width * scale, height * scale, Preview(logo, width, height, scale, DIALOG_GREY)))
    for name, size, rgba in icons:
        scale = max(1, 256 // size)
        for label, background in (("light", DIALOG_GREY), ("dark", (32, 32, 32))):
            path = os.path.join(directory, "%s_%d_%s.png" % (name, size, label))
            with open(path, "wb") as f:
                f.write(EncodePng(size * scale, size * scale, Preview(rgba, size, size, scale, background)))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--out", default=here, help="where to write the pictures")
    parser.add_argument("--preview", help="also write enlarged previews into this folder")
    args = parser.parse_args()

    logo = DrawLogo().Rgba()
    tray = DrawIcon(16, square=True)
    appImages = [(size, DrawIcon(size)) for size in (16, 32, 48, 256)]

    os.makedirs(args.out, exist_ok=True)
    with open(os.path.join(args.out, "logo.png"), "wb") as f:
        f.write(EncodePng(LOGO_SIZE[0], LOGO_SIZE[1], logo))
    with open(os.path.join(args.out, "tray.ico"), "wb") as f:
        f.write(EncodeIco([(16, tray)]))
    with open(os.path.join(args.out, "app.ico"), "wb") as f:
        f.write(EncodeIco(appImages))

    if args.preview:
        WritePreviews(args.preview, logo, [("tray", 16, tray)] + [("app", s, r) for s, r in appImages])


if __name__ == "__main__":
    main()
