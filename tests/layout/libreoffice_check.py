#!/usr/bin/env python3
"""Opens our documents in LibreOffice Writer, exports PDF and checks where
the text lands: no diagram split across pages, two columns side by side,
each caption under its own diagram, the answer key last; and that picture
diagrams show where no chess font is installed.

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


def convert(binary, src, work, name, options, env=None):
    rtf = os.path.join(work, name + ".rtf")
    subprocess.run([binary, "convert", "--settings", os.path.join(work, "empty.ini"),
                    "--fonts-file", os.path.join(src, "data/ChsFonts.ini"), "--all-fonts",
                    "--font", "Chess Merida", "--coords", "-o", rtf] + options +
                   [os.path.join(src, "examples/bk.epd")], check=True)
    profile = tempfile.mkdtemp(prefix="bq-lo-")
    subprocess.run(["soffice", "-env:UserInstallation=file://" + profile, "--headless",
                    "--convert-to", "pdf", "--outdir", work, rtf], check=True,
                   capture_output=True, env=env)
    return words_by_page(os.path.join(work, name + ".pdf"))


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
                    without_chess_fonts(work))
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
        check_pictures(binary, src, work)
    print("LibreOffice: diagrams whole, columns side by side, captions under, key last; "
          "picture diagrams without the fonts")


if __name__ == "__main__":
    main()
