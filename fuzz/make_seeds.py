#!/usr/bin/env python3
"""Writes the seed inputs of every fuzz target into fuzz/corpus/<target>/.

Seeds come from the shared EPD suites, the example suite, the shipped font
file and the texts the unit tests use. Rerunning it only adds files (each is
named by its content's hash), so merged finds are kept.
"""
import glob
import hashlib
import os
import re
import sys

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The suites kept with the tests, else the shared copy beside the project.
shared = os.path.join(root, "tests", "data", "epd")
if not os.path.isdir(shared):
    shared = os.path.join(root, "..", "shared", "data", "epd")
corpus = os.path.join(root, "fuzz", "corpus")


def put(target, data):
    if isinstance(data, str):
        data = data.encode("utf-8", "surrogateescape")
    d = os.path.join(corpus, target)
    os.makedirs(d, exist_ok=True)
    name = "seed-" + hashlib.sha1(data).hexdigest()[:16]
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


suites = sorted(glob.glob(os.path.join(shared, "*.epd"))) + [os.path.join(root, "examples", "bk.epd")]
suites = [s for s in suites if os.path.exists(s)]

# C string literals of the unit tests, the hostile ones included.
literals = []
for src in glob.glob(os.path.join(root, "tests", "*", "*.cpp")):
    text = read(src).decode("utf-8", "replace")
    for m in re.finditer(r'"((?:[^"\\\n]|\\.)*)"', text):
        try:
            lit = bytes(m.group(1), "utf-8").decode("unicode_escape").encode("latin-1", "replace")
        except Exception:
            continue
        if len(lit) > 3:
            literals.append(lit)

# epdline: single lines, a few from every suite, and the test literals with a '/'.
for s in suites:
    lines = [l for l in read(s).splitlines() if l.strip()]
    step = max(1, len(lines) // 12)
    for l in lines[::step]:
        put("epdline", l)
for lit in literals:
    if b"/" in lit:
        put("epdline", lit)

# convert: short pieces of the suites, and settings with a glyph map.
fonts_ini = read(os.path.join(root, "data", "ChsFonts.ini"))
merida = re.search(rb"\[Chess Merida\].*?(?=\n\[|\Z)", fonts_ini, re.S).group(0)
alpha = re.search(rb"\[Chess Alpha Diagram\].*?(?=\n\[|\Z)", fonts_ini, re.S)
for s in suites:
    lines = read(s).splitlines(keepends=True)
    put("convert", b"".join(lines[:3]))
put("convert", read(suites[0])[:4000] if suites else b"")
head = (b"[General]\nDiagFont=Chess Merida\nShowCoords=1\nDiagFontSize=24\nTextFont=Arial\n"
        b"TextFontSize=9\nOperations=id,bm,am,c0\n[Chess Fonts]\nFonts=1\nFont1=Chess Merida\n" + merida)
for s in suites[:4]:
    put("convert", head + b"\n====\n" + b"".join(read(s).splitlines(keepends=True)[:2]))
if alpha:
    h2 = (b"[General]\nDiagFont=Chess Alpha Diagram\nShowCoords=1\n[Chess Fonts]\nFonts=1\n"
          b"Font1=Chess Alpha Diagram\n" + alpha.group(0))
    put("convert", h2 + b"\n====\n" + read(suites[0]).splitlines(keepends=True)[0])

# Marks: coloured squares, arrows and circles, good and bad, in both views.
marks = (b"4k3/8/8/8/8/8/8/4K3 w - - csl \"Rd4,Ge5,Ya1\"; cal \"Ge2e4,Bb1b1,Rg1f3\";\n"
         b"4k3/8/8/8/8/8/8/4K3 b - - view black; csl \"Oh8,Cc3\"; cal \"Ya1h8\";\n")
put("convert", marks)
put("convert", head + b"\n====\n" + marks)
put("convert", b"4k3/8/8/8/8/8/8/4K3 w - - csl \"Zd9\";\n")
for line in marks.splitlines():
    put("epdline", line)
# Picture diagrams: alone, with a caption, in columns with the mark.
for extra in (b"", b"Caption={n}\n", b"Columns=2\nMoverMark=1\n"):
    put("convert", b"[General]\nDiagramStyle=picture\n" + extra + b"\n====\n" +
        b"".join(read(suites[-1]).splitlines(keepends=True)[:4]))

# fonts: the shipped file, single sections of it, test literals that look like ini text.
put("fonts", fonts_ini)
sections = re.findall(rb"\[[^\]\n]*\][^\[]*", fonts_ini)
for sec in sections[1:8]:
    name = re.match(rb"\[([^\]]*)\]", sec).group(1)
    put("fonts", b"[Chess Fonts]\nFonts=1\nFont1=" + name + b"\n" + sec)
for lit in literals:
    if b"[" in lit and b"=" in lit:
        put("fonts", lit)

# profile: 64 control bytes (section, key, value), then the existing text.
ctl = b"General".ljust(21, b"\0") + b"DiagFont".ljust(21, b"\0") + b"Chess Merida".ljust(22, b" ")
put("profile", ctl + b"[General]\r\nDiagFont=Chess Leipzig\r\nShowCoords=1\r\n")
put("profile", ctl + fonts_ini[:3000])
for lit in literals:
    if b"=" in lit:
        put("profile", ctl + lit)

# rtf: documents the program writes, and the reader tests' texts.
for lit in literals:
    if lit.startswith(b"{\\rtf"):
        put("rtf", lit)
sample = os.path.join(root, "build", "bk.rtf")
if os.path.exists(sample):
    put("rtf", read(sample))

# pgn: the games of the tests, whole and one by one, and the reader tests' texts.
games = read(os.path.join(root, "tests", "games", "data", "games.pgn"))
put("pgn", games)
for game in re.split(rb"\n(?=\[Event )", games):
    put("pgn", game)
for lit in literals:
    if re.search(rb"\[[A-Za-z]+ |\d\.", lit):
        put("pgn", lit)
# Marks in comments, good and bad, among other commands and across variations.
put("pgn", b"[Event \"m\"]\n{[%csl Ra1] start} 1. e4 {[%clk 0:01] [%csl Rd4,Ge5][%cal Ge2e4,Bb1b1]} "
           b"$220 e5 {[%csl Zd9] [%cal Gg1f3} (1... c5 {[#] [%CSL Yc5]}) 2. Nf3 ; [%cal Of3e5]\n*\n")
put("pgn", b"1. d4 {[%csl " + b"Ca1," * 300 + b"]} d5 {[%cal Ga1a2a3] x [%evp 1,2]} $221 *\n")
