#!/usr/bin/env python3
"""Draws the built-in piece bitmap sets as 16-colour BMP files.

Each picture is one row of 14 square cells: white king, queen, rook, bishop,
knight, pawn, the same in black, then an empty light and an empty dark
square. The pieces are simple shapes (circles and polygons) filled at pixel
centres; "Regular" has thin outlines, "Rurezuv" heavier ones and a shaded
fill. Run from this folder: python3 drawpieces.py
"""
import struct

# 16-entry palette (r, g, b); index 0 is the mask colour around the pieces.
PALETTE = [
    (255, 0, 255),  # 0 mask
    (0, 0, 0),  # 1 black
    (255, 255, 255),  # 2 white
    (237, 211, 158),  # 3 light square
    (154, 148, 73),  # 4 dark square
    (128, 128, 128),  # 5 grey
    (192, 192, 192),  # 6 light grey
    (64, 64, 64),  # 7 dark grey
] + [(0, 0, 0)] * 8

MASK, BLACK, WHITE, LIGHT, DARK, GREY, LGREY, DGREY = range(8)


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def polygon(*pts):
    def inside(x, y):
        hit = False
        n = len(pts)
        for i in range(n):
            x1, y1 = pts[i]
            x2, y2 = pts[(i + 1) % n]
            if (y1 > y) != (y2 > y) and x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
                hit = not hit
        return hit

    return inside


def rect(x0, y0, x1, y1):
    return polygon((x0, y0), (x1, y0), (x1, y1), (x0, y1))


BASE = rect(0.18, 0.82, 0.82, 0.92)

# Shapes in unit cell coordinates (y grows downwards).
SHAPES = {
    "king": [
        BASE,
        polygon((0.25, 0.82), (0.30, 0.50), (0.70, 0.50), (0.75, 0.82)),
        ellipse(0.5, 0.50, 0.24, 0.10),
        rect(0.46, 0.10, 0.54, 0.42),
        rect(0.36, 0.18, 0.64, 0.26),
    ],
    "queen": [
        BASE,
        polygon((0.22, 0.82), (0.14, 0.30), (0.32, 0.60), (0.36, 0.22), (0.50, 0.58),
                (0.64, 0.22), (0.68, 0.60), (0.86, 0.30), (0.78, 0.82)),
        circle(0.14, 0.27, 0.06),
        circle(0.36, 0.19, 0.06),
        circle(0.64, 0.19, 0.06),
        circle(0.86, 0.27, 0.06),
    ],
    "rook": [
        BASE,
        rect(0.30, 0.36, 0.70, 0.82),
        polygon((0.22, 0.14), (0.34, 0.14), (0.34, 0.24), (0.44, 0.24), (0.44, 0.14),
                (0.56, 0.14), (0.56, 0.24), (0.66, 0.24), (0.66, 0.14), (0.78, 0.14),
                (0.78, 0.38), (0.22, 0.38)),
    ],
    "bishop": [
        BASE,
        polygon((0.30, 0.82), (0.40, 0.62), (0.60, 0.62), (0.70, 0.82)),
        ellipse(0.5, 0.44, 0.17, 0.23),
        circle(0.5, 0.15, 0.06),
    ],
    "knight": [
        BASE,
        polygon((0.26, 0.82), (0.34, 0.56), (0.22, 0.58), (0.14, 0.50), (0.30, 0.30),
                (0.40, 0.14), (0.46, 0.24), (0.62, 0.20), (0.76, 0.38), (0.78, 0.82)),
    ],
    "pawn": [
        BASE,
        polygon((0.30, 0.82), (0.40, 0.52), (0.60, 0.52), (0.70, 0.82)),
        circle(0.5, 0.38, 0.15),
    ],
}
ORDER = ["king", "queen", "rook", "bishop", "knight", "pawn"]


def draw_cell(size, shape, black, heavy):
    inside = [[any(f((x + 0.5) / size, (y + 0.5) / size) for f in shape) for x in range(size)]
              for y in range(size)]
    width = max(1, size // 24) + (1 if heavy else 0)

    def edge(x, y):
        for dy in range(-width, width + 1):
            for dx in range(-width, width + 1):
                u, v = x + dx, y + dy
                if not (0 <= u < size and 0 <= v < size) or not inside[v][u]:
                    return True
        return False

    cell = [[MASK] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if not inside[y][x]:
                continue
            if edge(x, y):
                cell[y][x] = BLACK
            elif black:
                cell[y][x] = DGREY if heavy and x < size * 0.45 else BLACK
            else:
                cell[y][x] = WHITE if not heavy or x < size * 0.55 else LGREY
    return cell


def draw_set(size, heavy):
    cells = []
    for black in (False, True):
        for name in ORDER:
            cells.append(draw_cell(size, SHAPES[name], black, heavy))
    cells.append([[LIGHT] * size for _ in range(size)])
    cells.append([[DARK] * size for _ in range(size)])
    return [sum((c[y] for c in cells), []) for y in range(size)]


def write_bmp(path, rows):
    height = len(rows)
    width = len(rows[0])
    stride = ((width + 1) // 2 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(rows):  # BMP rows run bottom-up
        line = bytearray()
        for x in range(0, width, 2):
            hi = row[x]
            lo = row[x + 1] if x + 1 < width else 0
            line.append(hi << 4 | lo)
        line.extend(b"\0" * (stride - len(line)))
        data.extend(line)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(data), 2835, 2835, 16, 16)
    with open(path, "wb") as f:
        f.write(header + info + palette + data)


if __name__ == "__main__":
    for name, size, heavy in [("REGULAR24", 24, False), ("REGULAR32", 32, False),
                              ("REGULAR40", 40, False), ("RUREZUV32", 32, True),
                              ("RUREZUV40", 40, True), ("RUREZUV48", 48, True)]:
        write_bmp(name + ".bmp", draw_set(size, heavy))
