#!/usr/bin/env python3
"""Opens our documents in LibreOffice Writer, exports PDF and checks where
the text lands: no diagram split across pages, two columns side by side,
each caption under its own diagram, the answer key last; a game as text:
its moves in order in the PDF, its figurines Unicode chess symbols in
LibreOffice's text export; marked squares shaded; and picture diagrams
that show where no chess font is installed.

Usage: libreoffice_check.py BOARDQUILL SOURCE_DIR
"""
import html
import os
import re
import subprocess
import sys
import tempfile

WORD = re.compile(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">(.*?)</word>')


def words_by_page(pdf):
    text = subprocess.run(["pdftotext", "-bbox", pdf, "-"], check=True,
                          capture_output=True, text=True).stdout
    pages = []
    for page in text.split("<page ")[1:]:
        pages.append([(float(a), float(b), float(c), float(d), html.unescape(w))
                      for a, b, c, d, w in WORD.findall(page)])
    return pages


def soffice(work, rtf, target, env=None):
    profile = tempfile.mkdtemp(prefix="bq-lo-")
    subprocess.run(["soffice", "-env:UserInstallation=file://" + profile, "--headless",
                    "--convert-to", target, "--outdir", work, rtf], check=True,
                   capture_output=True, env=env)


def convert(binary, src, work, name, options, source="examples/bk.epd", env=None):
    rtf = os.path.join(work, name + ".rtf")
    subprocess.run([binary, "convert", "--settings", os.path.join(work, "empty.ini"),
                    "--fonts-file", os.path.join(src, "data/ChsFonts.ini"), "--all-fonts",
                    "--font", "Chess Merida", "--coords", "-o", rtf] + options +
                   [os.path.join(src, source)], check=True)
    soffice(work, rtf, "pdf", env)
    return words_by_page(os.path.join(work, name + ".pdf"))


# The main line of examples/opera.pgn as game text prints it.
OPERA = ("1.e4 e5 2.\u2658f3 d6 3.d4 \u2657g4?! 4.dxe5 \u2657xf3 5.\u2655xf3 dxe5 6.\u2657c4! "
         "6...\u2658f6 7.\u2655b3! \u2655e7 8.\u2658c3 8...c6 9.\u2657g5 b5? 10.\u2658xb5! cxb5 "
         "11.\u2657xb5+ \u2658bd7 12.O-O-O \u2656d8 13.\u2656xd7! \u2656xd7 14.\u2656d1 \u2655e6 "
         "15.\u2657xd7+ \u2658xd7 16.\u2655b8+!! 16...\u2658xb8 17.\u2656d8# 1\u20130").split()


def check_game_text(binary, src, work):
    pages = convert(binary, src, work, "opera", ["--game-text"], "examples/opera.pgn")
    words = [w for page in pages for _, _, _, _, w in page]
    at = 0
    for move in OPERA:
        assert move in words[at:], f"{move!r} missing or out of order after {words[at - 3:at]}"
        at = words.index(move, at) + 1
    soffice(work, os.path.join(work, "opera.rtf"), "txt:Text (encoded):UTF8")
    with open(os.path.join(work, "opera.txt"), encoding="utf-8-sig") as f:
        text = f.read().split()
    at = 0
    for move in OPERA:
        assert move in text[at:], f"{move!r} not in the text export in order"
        at = text.index(move, at) + 1


def without_chess_fonts(work):
    """An environment whose HOME (and its font folders) is empty: the user's
    chess fonts are not there."""
    home = os.path.join(work, "home")
    env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, ".local/share"),
               XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"))
    os.makedirs(home, exist_ok=True)
    fonts = subprocess.run(["fc-list", ":", "family"], check=True, capture_output=True,
                           text=True, env=env).stdout
    assert "Chess" not in fonts, "a chess font is installed for every user"
    return env


def check_pictures(binary, src, work):
    """Picture diagrams, read where no chess font is: one image per diagram,
    each on the page of its operations, which stay text."""
    pages = convert(binary, src, work, "pictures", ["--diagram-style", "picture"],
                    env=without_chess_fonts(work))
    listing = subprocess.run(["pdfimages", "-list", os.path.join(work, "pictures.pdf")],
                             check=True, capture_output=True, text=True).stdout
    images = [int(line.split()[0]) - 1 for line in listing.splitlines()[2:]
              if line.split()[2] == "image"]
    assert len(images) == 24, f"{len(images)} images for 24 diagrams"
    for n in range(1, 25):
        page = find(pages, f'"BK.{n:02d}"')[0]
        on_page = sum(1 for *_, w in pages[page] if w.startswith('"BK.'))
        assert images.count(page) == on_page, \
            f"page {page + 1}: {images.count(page)} images for {on_page} diagrams"
    words = [w for page in pages for _, _, _, _, w in page]
    assert words[:4] == ["id:", '"BK.01"', "bm:", "Qd1+"], f"operations as text: {words[:4]}"


def diagram_lines(page):
    """Lines in the diagram font (taller than text), by column and top edge;
    a column begins where a record's "id:" stands."""
    starts = sorted({round(x0) for x0, _, _, _, w in page if w == "id:"}) or [0]
    lines = {}
    for x0, y0, x1, y1, w in page:
        if y1 - y0 > 20:
            column = max(0, sum(1 for s in starts if s <= x0 + 1) - 1)
            lines.setdefault((column, round(y0)), []).append(w)
    return lines


def check_whole_diagrams(pages, expected):
    """Every page holds whole diagrams of ten lines (frame and coordinates)."""
    total = 0
    for number, page in enumerate(pages, 1):
        by_column = {}
        for column, top in diagram_lines(page):
            by_column.setdefault(column, []).append(top)
        for column, tops in by_column.items():
            tops.sort()
            starts = [t for t in tops if "".join(diagram_lines(page)[(column, t)]).startswith("!")]
            ends = [t for t in tops if "".join(diagram_lines(page)[(column, t)]).startswith("/")]
            assert len(tops) % 10 == 0 and len(starts) == len(ends) == len(tops) // 10, \
                f"page {number}: a diagram is split ({len(tops)} lines, {len(starts)} tops)"
            assert all(s < e for s, e in zip(starts, ends)), f"page {number}: lines out of order"
            total += len(starts)
    assert total == expected, f"{total} diagrams, expected {expected}"


def check_shaded_squares(binary, src, work):
    """examples/marks.epd: LibreOffice paints the shaded squares in the colours
    of the document's colour table (green d5, red g7, blended with white)."""
    convert(binary, src, work, "marks", [], "examples/marks.epd")
    subprocess.run(["pdftoppm", "-r", "50", "-f", "1", "-l", "1", "-png", "-singlefile",
                    os.path.join(work, "marks.pdf"), os.path.join(work, "marks")], check=True)
    png = os.path.join(work, "marks.png")
    ppm = subprocess.run(["convert", png, "-depth", "8", "ppm:-"], check=True,
                         capture_output=True).stdout
    # P6 header: magic, width height, maxval, then RGB bytes.
    _, size, _, pixels = ppm.split(b"\n", 3)
    width, height = map(int, size.split())
    counts = {}
    for k in range(0, width * height * 3, 3):
        rgb = tuple(pixels[k:k + 3])
        counts[rgb] = counts.get(rgb, 0) + 1

    def near(colour):
        return sum(n for rgb, n in counts.items()
                   if max(abs(a - b) for a, b in zip(rgb, colour)) <= 12)
    for name, colour in (("green", (138, 187, 141)), ("red", (195, 143, 143))):
        assert near(colour) > 20, f"no {name} shading in LibreOffice's page"


def find(pages, text):
    for number, page in enumerate(pages):
        for x0, y0, x1, y1, w in page:
            if w == text:
                return number, x0, y0
    raise AssertionError(f"{text!r} not found")


def main():
    binary, src = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as work:
        open(os.path.join(work, "empty.ini"), "w").close()
        # The mend: a document with default settings keeps each diagram whole.
        check_whole_diagrams(convert(binary, src, work, "plain", []), 24)

        pages = convert(binary, src, work, "sheet",
                        ["--columns", "2", "--caption", "Puzzle-{n}", "--solutions", "bm"])
        check_whole_diagrams(pages, 24)
        one, two = find(pages, '"BK.01"'), find(pages, '"BK.02"')
        assert one[0] == two[0] and abs(one[2] - two[2]) < 1 and two[1] - one[1] > 100, \
            f"BK.01 and BK.02 are not side by side: {one} {two}"
        for n in range(1, 25):
            page, x, y = find(pages, f"Puzzle-{n}")
            ident = find(pages, f'"BK.{n:02d}"')
            assert page == ident[0] and abs(x - ident[1]) < 20 and 200 < y - ident[2] < 260, \
                f"caption {n} is not under its diagram: {(page, x, y)} {ident}"
        words = [w for page in pages for _, _, _, _, w in page]
        key = words.index("Solutions")
        assert key > words.index("Puzzle-24") and words[key + 1:key + 4] == ["1.", "bm:", "Qd1+"] \
            and words[-3:] == ["24.", "bm:", "f4"], f"the answer key is not last: {words[key:][:6]}"
        check_game_text(binary, src, work)
        check_shaded_squares(binary, src, work)
        check_pictures(binary, src, work)
    print("LibreOffice: diagrams whole, columns side by side, captions under, key last; "
          "game text in order with figurines; marked squares shaded; "
          "picture diagrams without the fonts")


if __name__ == "__main__":
    main()
