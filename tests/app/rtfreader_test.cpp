// The RTF reader and the loading of documents into the panes.
#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFontDatabase>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QTextTable>
#include <QtTest>
#include <random>
#include <string>

#include "app/rtfreader.h"
#include "app/rtfview.h"
#include "support/errors.h"

using namespace bq;

namespace {

TRTFDocument Read(const std::string& rtf) {
  TRTFDocument doc;
  std::string why;
  if (!ReadRTF(rtf, doc, &why)) qWarning("not read: %s", why.c_str());
  return doc;
}

std::u16string Text(const std::string& rtf) {
  return Read(rtf).PlainText();
}

std::string Nested(int depth) {
  return "{\\rtf1 " + std::string(depth, '{') + "x" + std::string(depth, '}') + "}";
}

// A record as the writer makes it with the mover's mark: operations, then
// the board in exact line spacing with the mark after the last rank.
std::string MarkedRecord(const std::string& id) {
  std::string r = "\\f0\\fs20 id: " + id + "\\par \\f2\\fs40\\sl-400\\slmult0 !\"\"\"\"\"\"\"\"#";
  for (int i = 0; i < 8; ++i) r += "\\par $ + + + +%";
  return r + "{\\f0  \\u9633?}\\par \\pard /(((((((()";
}

// One record alone, then a sheet of two columns (a little narrow for a
// marked board) whose last row has one record, then the answer key.
std::string Sheet() {
  const std::string row = "\\trowd\\trkeep\\trgaph108\\trleft-108\\cellx4000\\cellx8108\r\n";
  return "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f2\\fswiss\\fcharset0 "
         "Chess Merida;}}\\keepn" +
         MarkedRecord("A") + "\\par\\f0\\fs20\r\n\r\n" + row + "\\pard\\intbl" + MarkedRecord("B") +
         "\\cell\r\n\\pard\\intbl" + MarkedRecord("C") + "\\cell\r\n\\row\r\n" + row +
         "\\pard\\intbl" + MarkedRecord("D") +
         "\\cell\r\n\\row\r\n\\pard\\f0\\fs20 Solutions\\par "
         "1. id: A\\par}";
}

// The tops of the first `count` lines from `block` on, across blocks.
QList<qreal> LineTops(QTextDocument& doc, QTextBlock block, int count) {
  QList<qreal> tops;
  for (; block.isValid() && tops.size() < count; block = block.next()) {
    const qreal top = doc.documentLayout()->blockBoundingRect(block).top();
    const QTextLayout* lines = block.layout();
    for (int i = 0; i < lines->lineCount() && tops.size() < count; ++i) {
      tops.append(top + lines->lineAt(i).y());
    }
  }
  return tops;
}

}  // namespace

class TRTFReaderTest : public QObject {
  Q_OBJECT
 private slots:
  void groupsScopeFormatting() {
    const TRTFDocument doc = Read("{\\rtf1 a{\\b b{\\i c}d}e\\b0 f\\b g\\plain h}");
    const auto& runs = doc.Paragraphs.at(0).Runs;
    QCOMPARE(runs.size(), std::size_t{7});  // a b c d ef g h
    QVERIFY(!runs[0].Format.Bold);
    QVERIFY(runs[2].Format.Bold && runs[2].Format.Italic);
    QVERIFY(runs[3].Format.Bold && !runs[3].Format.Italic);
    QCOMPARE(runs[4].Text, u"ef");
    QVERIFY(!runs[4].Format.Bold);
    QVERIFY(runs[5].Format.Bold && !runs[6].Format.Bold);
  }

  void paragraphsAndEscapes() {
    const TRTFDocument doc = Read("{\\rtf1 one\\par two\\line three\\tab four\\par\\par five}");
    QCOMPARE(doc.Paragraphs.size(), std::size_t{4});
    QCOMPARE(doc.Paragraphs[1].Runs[0].Text, u"two\u2028three\tfour");
    QCOMPARE(Text("{\\rtf1 \\\\ \\{ \\} a\\~b\\-c\\_d\\emdash}"), u"\\ { } a\u00A0bc\u2011d\u2014");
  }

  void unicodeWithFallbackCount() {
    QCOMPARE(Text("{\\rtf1 \\u8364?x}"), u"\u20ACx");
    QCOMPARE(Text("{\\rtf1 \\uc2\\u8364??x}"), u"\u20ACx");
    QCOMPARE(Text("{\\rtf1 \\uc0\\u8364 x}"), u"\u20ACx");
    // A \'hh escape and a control word each count as one fallback character.
    QCOMPARE(Text("{\\rtf1 \\u8364\\'80x\\u8364\\foo y}"), u"\u20ACx\u20ACy");
    QCOMPARE(Text("{\\rtf1 \\u-3913?}"), u"\uF0B7");
    QCOMPARE(Text("{\\rtf1 \\u-10179?\\u-8704?}"), u"\U0001F600");
    // \uc belongs to its group; a brace ends the fallback early.
    QCOMPARE(Text("{\\rtf1 {\\uc2\\u8364??a}\\u8364?b}"), u"\u20ACa\u20ACb");
    QCOMPARE(Text("{\\rtf1 \\uc3\\u8364?{x}}"), u"\u20ACx");
  }

  void bytesReadThroughCp1252() {
    // A byte the code page leaves undefined reads as in the PDF writer.
    QCOMPARE(Text("{\\rtf1\\ansi\\ansicpg1252 \\'80\\'e9\\'82\\'9c\\'7b\x80\\'81}"),
             u"\u20AC\u00E9\u201A\u0153{\u20AC\u0081");
    // The symbol charset reaches the diagram glyphs through cp1252 too.
    QCOMPARE(Text("{\\rtf1{\\fonttbl{\\f2\\fcharset2 Chess Merida;}}\\f2 \\'87\\'b7}"),
             u"\u2021\u00B7");
  }

  void fontTables() {
    // The driver's header: the first entry is not in a group of its own.
    TRTFDocument doc = Read(
        "{\\rtf1\\ansi{\\fonttbl\\f0\\fswiss\\fcharset0 Arial;{\\f1\\froman\\fcharset0 "
        "Arial;}{\\f2\\fswiss\\fcharset2\\fprq2 Chess Merida;}}\\f0\\fs20 id: x\\par "
        "\\f2\\fs40 !\"\"#\\par\\f0\\fs20\r\n}");
    QCOMPARE(doc.Fonts.size(), std::size_t{3});
    QCOMPARE(doc.Fonts[2].Family, std::string("Chess Merida"));
    QCOMPARE(doc.Fonts[2].Charset, 2);
    QCOMPARE(doc.Paragraphs.size(), std::size_t{2});
    const TRTFCharFormat& diagram = doc.Paragraphs[1].Runs[0].Format;
    QCOMPARE(diagram.Font, 2);
    QCOMPARE(diagram.HalfPoints, 40);

    doc = Read(
        "{\\rtf1\\deff1{\\fonttbl{\\f1\\fnil{\\*\\panose 0203}Times New Roman{\\*\\falt T};}"
        "{\\f3 Sym\\'e9}}x\\f3 y\\plain z}");
    QCOMPARE(doc.Fonts[0].Family, std::string("Times New Roman"));
    QCOMPARE(doc.Fonts[1].Family, std::string("Sym\xc3\xa9"));
    const auto& runs = doc.Paragraphs.at(0).Runs;
    QCOMPARE(runs[0].Format.Font, 1);
    QCOMPARE(runs[1].Format.Font, 3);
    QCOMPARE(runs[2].Format.Font, 1);  // \plain: back to the default font
  }

  void destinationsSkipped() {
    QCOMPARE(Text("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet{\\s1 Heading;}}"
                  "{\\info{\\title T}}{\\*\\generator G;}{\\*\\unknown U}{\\pict\\pngblip 8950{}}"
                  "{\\object{\\objdata 0102}}a{\\foo b}c{\\field{\\*\\fldinst HYPERLINK x}"
                  "{\\fldrslt d}}{\\v hidden}e{\\pict\\bin6 }{\\x\\}b}f}"),
             u"abcdef");
  }

  void colourTableShadesCharacters() {
    TRTFDocument doc = Read(
        "{\\rtf1\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red21\\green120\\blue27;"
        "\\red300\\green-5\\blue7;;\\par\\f0 x;}\\f0 a{\\chshdng0\\chcbpat1 b}c"
        "{\\highlight2 d}{\\cb3 e}{\\chcbpat1\\plain f}{\\cb4 g}{\\chcbpat0 h}\\red255 i"
        "\\chcbpat1\\par j}");
    // Components are clamped; an entry without them is auto; body words
    // inside the table do nothing.
    QCOMPARE(doc.Colours, (std::vector<std::int32_t>{kRTFNoColour, 0x15781B, 0xFF0007, kRTFNoColour,
                                                     kRTFNoColour}));
    QCOMPARE(doc.PlainText(), u"abcdefghi\nj");
    std::vector<std::pair<std::u16string, std::int32_t>> runs;
    for (const TRTFParagraph& p : doc.Paragraphs)
      for (const TRTFRun& r : p.Runs) runs.emplace_back(r.Text, r.Format.Background);
    // Auto entries, \\plain, index 0 and indices beyond the table shade nothing.
    const std::vector<std::pair<std::u16string, std::int32_t>> expected = {
        {u"a", kRTFNoColour}, {u"b", 0x15781B},         {u"c", kRTFNoColour},
        {u"d", 0xFF0007},     {u"efghi", kRTFNoColour}, {u"j", 0x15781B}};
    QCOMPARE(runs, expected);
    QCOMPARE(doc.Paragraphs[0].EndFormat.Background, 0x15781B);

    // Hostile tables: huge or negative indices and components, an endless
    // table, a second table, an entry without its semicolon.
    std::string endless = "{\\rtf1{\\colortbl";
    for (int i = 0; i < 5000; ++i) endless += "\\red1;";
    doc = Read(endless + "}{\\chcbpat1023 a}{\\chcbpat1024 b}{\\cb99999999999 c}{\\cb-3 d}}");
    QCOMPARE(doc.Colours.size(), std::size_t(kMaxRTFColours));
    QCOMPARE(doc.Paragraphs.at(0).Runs.size(), std::size_t{2});
    QCOMPARE(doc.Paragraphs[0].Runs[0].Format.Background, 0x010000);
    QCOMPARE(doc.Paragraphs[0].Runs[1].Text, u"bcd");
    doc = Read(
        "{\\rtf1{\\colortbl;\\red9;}{\\colortbl\\blue99999999999;\\green1}"
        "{\\chcbpat0 a}{\\chcbpat1 b}}");
    QCOMPARE(doc.Colours, std::vector<std::int32_t>{0x0000FF});
    QCOMPARE(doc.Paragraphs.at(0).Runs.size(), std::size_t{1});
  }

  // PNG pictures (\\pict\\pngblip, hex or \\bin data) are read with their
  // size, and shown as images of that size on the page, drawn from their
  // data; pictures of other kinds and hidden ones show nothing.
  void pngPicturesBecomeImages() {
    QImage ink(30, 20, QImage::Format_Grayscale8);
    ink.fill(0);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(ink.save(&buffer, "PNG"));
    const std::string hex = png.toHex().toStdString();
    const std::string rtf =
        "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 above\\par {\\pict\\pngblip\\picw30\\pich20"
        "\\picwgoal1440\\pichgoal960\r\n" +
        hex.substr(0, 51) + "\r\n" + hex.substr(51) +
        "}\\par {\\pict\\wmetafile8 0102}{\\v{\\pict\\pngblip " + hex + "}}below\\par}";
    const TRTFDocument doc = Read(rtf);
    QCOMPARE(doc.Pictures.size(), std::size_t{1});
    QCOMPARE(QByteArray::fromStdString(doc.Pictures[0].Png), png);
    QCOMPARE(doc.Pictures[0].GoalHeight, 960);
    QCOMPARE(doc.Paragraphs[1].Runs.size(), std::size_t{1});
    QCOMPARE(doc.Paragraphs[1].Runs[0].Picture, 0);
    QVERIFY(doc.PlainText() == u"above\n\nbelow");
    const TRTFDocument bin = Read("{\\rtf1{\\pict\\pngblip\\bin" + std::to_string(png.size()) +
                                  " " + png.toStdString() + "}}");
    QCOMPARE(QByteArray::fromStdString(bin.Pictures.at(0).Png), png);

    QTextEdit pane;
    LoadRTF(&pane, rtf);
    QTextDocument* d = pane.document();
    const QTextBlock block = d->findBlockByNumber(1);
    const QTextFragment picture = block.begin().fragment();
    QVERIFY(picture.charFormat().isImageFormat());
    const int inch = pane.logicalDpiY();  // 1440 twips
    QCOMPARE(qRound(picture.charFormat().toImageFormat().width()), inch);
    QCOMPARE(qRound(picture.charFormat().toImageFormat().height()), qRound(inch * 2 / 3.0));
    QImage page(d->size().toSize(), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    d->drawContents(&painter);
    painter.end();
    const QRectF area = d->documentLayout()->blockBoundingRect(block);
    QVERIFY(area.height() >= inch * 2 / 3.0);
    const int y = int(area.top()) + inch / 3;
    QCOMPARE(qGray(page.pixel(int(area.left()) + 2, y)), 0);
    QCOMPARE(qGray(page.pixel(int(area.left()) + inch - 2, y)), 0);
    QCOMPARE(qGray(page.pixel(int(area.left()) + inch + 2, y)), 255);
  }

  void tablesGroupRowsOfOneWidth() {
    const TRTFDocument doc = Read(
        "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f2 Chess Merida;}}\\f0\\fs20 before\\par "
        "\\trowd\\trkeep\\trgaph108\\trleft-108\\cellx4000\\cellx8000 "
        "\\intbl a1\\par \\f2\\fs40 a2\\cell \\f0\\fs20 b\\cell \\row "
        "\\trowd\\trkeep\\trgaph108\\trleft-108\\cellx4000\\cellx8000 \\intbl c\\cell \\row "
        "\\trowd\\cellx3000\\cellx6000\\cellx9000 \\intbl d\\cell e\\cell f\\cell \\row "
        "\\pard Solutions\\par 1. x}");
    QCOMPARE(doc.PlainText(), u"before\na1\na2\nb\nc\nd\ne\nf\nSolutions\n1. x");
    QCOMPARE(doc.Tables.size(), std::size_t{2});
    const TRTFTable& two = doc.Tables[0];
    QCOMPARE(two.First, std::size_t{1});
    QCOMPARE(two.Widths, (std::vector<int>{4108, 4000}));
    // The last row of a sheet fills fewer cells than the row defines.
    QCOMPARE(two.Rows, (std::vector<std::vector<std::size_t>>{{3, 4}, {5}}));
    QCOMPARE(doc.Tables[1].First, std::size_t{5});
    QCOMPARE(doc.Tables[1].Widths.size(), std::size_t{3});
    QCOMPARE(doc.Tables[1].End(), std::size_t{8});
    QCOMPARE(doc.Paragraphs[2].Runs[0].Format.Font, 2);  // formatting crosses cells
  }

  void markExactSpacingAndParagraphReset() {
    const TRTFDocument doc = Read("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f2 Chess Merida;}}\\keepn" +
                                  MarkedRecord("A") + "\\par\\f0\\fs20 next}");
    QCOMPARE(doc.Paragraphs.size(), std::size_t{12});
    const TRTFParagraph& lastRank = doc.Paragraphs[9];
    QCOMPARE(lastRank.Format.LineSpacing, -400);
    QCOMPARE(lastRank.Runs.size(), std::size_t{2});
    QCOMPARE(lastRank.Runs[1].Text, u" \u25A1");  // one blank, then the mark
    QCOMPARE(lastRank.Runs[1].Format.Font, 0);
    QCOMPARE(lastRank.Runs[1].Format.HalfPoints, 40);
    // \pard resets the spacing but not the font and size of the board.
    const TRTFParagraph& frame = doc.Paragraphs[10];
    QCOMPARE(frame.Format.LineSpacing, 0);
    QCOMPARE(frame.Runs.at(0).Text, u"/(((((((()");
    QCOMPARE(frame.Runs[0].Format.Font, 2);
    QCOMPARE(frame.Runs[0].Format.HalfPoints, 40);
    QCOMPARE(doc.Paragraphs[0].Format.LineSpacing, 0);
  }

  void hostileTablesStayBounded() {
    // \cell outside a table, \row without a row: the text stays, in a cell.
    TRTFDocument doc = Read("{\\rtf1 a\\cell b\\par\\row\\row c\\row}");
    QCOMPARE(doc.PlainText(), u"a\nb\nc");
    QCOMPARE(doc.Tables.size(), std::size_t{2});
    QCOMPARE(doc.Tables[0].Widths, std::vector<int>{0});
    QCOMPARE(doc.Tables[1].First, std::size_t{2});
    // Boundaries huge, negative or out of order give bounded widths.
    doc = Read(
        "{\\rtf1\\trowd\\trleft-99999999999\\cellx99999999999\\cellx5 \\intbl a\\cell b\\cell}");
    QCOMPARE(doc.Tables.at(0).Widths, (std::vector<int>{1 << 20, 0}));
    // Thousands of cells: the row is cut at kMaxRTFCells, no text is lost.
    std::string wide = "{\\rtf1\\trowd";
    for (int i = 1; i <= 5000; ++i) wide += "\\cellx" + std::to_string(i * 10);
    for (int i = 0; i < 5000; ++i) wide += "\\intbl x\\cell ";
    wide += "\\row}";
    doc = Read(wide);
    QCOMPARE(doc.Tables.at(0).Widths.size(), std::size_t(kMaxRTFCells));
    QCOMPARE(doc.Tables[0].Rows.at(0).size(), std::size_t(kMaxRTFCells));
    QCOMPARE(doc.PlainText().size(), std::size_t{2 * 5000 - 1});
    // Short rows get empty cells only as long as there are fewer of them
    // than filled ones.
    std::string shortRows = "{\\rtf1\\trowd";
    for (int i = 1; i <= 64; ++i) shortRows += "\\cellx" + std::to_string(i * 10);
    for (int i = 0; i < 1000; ++i) shortRows += "\\cell\\row";
    std::size_t cells = 0;
    for (const TRTFTable& t : Read(shortRows + "}").Tables)
      cells += t.Rows.size() * t.Widths.size();
    QVERIFY(cells <= 2 * 1000);
    QTextEdit pane;
    LoadRTF(&pane, wide);
    const QList<QTextFrame*> frames = pane.document()->rootFrame()->childFrames();
    QCOMPARE(frames.size(), qsizetype(1));
    QCOMPARE(qobject_cast<QTextTable*>(frames[0])->columns(), kMaxRTFCells);
    QCOMPARE(pane.toPlainText().count(QLatin1Char('x')), 5000);
  }

  void notRTFIsRefused() {
    TRTFDocument doc;
    QVERIFY(!ReadRTF("8/8/8/8/8/8/8/8 w - - id \"x\";", doc));
    QVERIFY(!ReadRTF(" {\\rtf1 x}", doc));
    QVERIFY(!ReadRTF("}{\\rtf1 x}", doc));
    QVERIFY(!ReadRTF("", doc));
  }

  void hostileInput() {
    // Unbalanced braces and broken escapes.
    QCOMPARE(Text("{\\rtf1 abc{\\b d"), u"abcd");
    QCOMPARE(Text("{\\rtf1 a}}}b{c"), u"a");
    QCOMPARE(Text("{\\rtf1 a\\'4"), u"a");
    QCOMPARE(Text("{\\rtf1 a\\'zzb\\"), u"azzb");
    // Nesting: refused beyond the limit, without a crash; fine within it.
    TRTFDocument doc;
    QVERIFY(!ReadRTF(Nested(100000), doc));
    QCOMPARE(Text(Nested(kMaxRTFDepth - 2)), u"x");
    // Huge parameters saturate.
    doc = Read(
        "{\\rtf1\\fs99999999999999999999999 a\\f-99999999999999999999 b\\u99999999999999?c"
        "{\\uc99999999999 \\u65\\'41\\'41d}e\\sl-9999999999999999 f}");
    QCOMPARE(doc.Paragraphs.at(0).Runs[0].Format.HalfPoints, std::numeric_limits<int>::max());
    QCOMPARE(doc.Paragraphs.at(0).Runs[1].Format.Font, std::numeric_limits<int>::min());
    QCOMPARE(doc.PlainText(), u"ab\uFFFDcAef");
    QVERIFY(!ReadRTF("{\\rtf1 \\bin99999999999999999999 x}", doc));
    QVERIFY(!ReadRTF("{\\rtf1 {\\pict\\bin50 short}}", doc));
  }

  void randomInputNeverCrashes() {
    std::mt19937 rng(20240611);  // the same texts on every run
    const std::string alphabet = "{}\\\\'*abuc0123456789-; \r\n\x80\xff";
    const char* words[] = {"\\rtf1", "\\u",     "\\uc",  "\\'",     "\\bin",   "\\fonttbl",
                           "\\f",    "\\*",     "\\par", "\\pict",  "{",       "}",
                           "\\cell", "\\cellx", "\\row", "\\intbl", "\\trowd", "\\pard"};
    for (int i = 0; i < 3000; ++i) {
      std::string s = "{\\rtf1 ";
      for (int k = static_cast<int>(rng() % 200); k > 0; --k) {
        s += rng() % 3 == 0 ? std::string(words[rng() % std::size(words)])
                            : std::string(1, alphabet[rng() % alphabet.size()]);
      }
      TRTFDocument doc;
      ReadRTF(s, doc);
      (void)doc.PlainText();
    }
  }

  void plainTextDecoding() {
    QCOMPARE(DecodePlainText("a\xc3\xa9\xf0\x9f\x98\x80"), u"a\u00E9\U0001F600");  // UTF-8
    QCOMPARE(DecodePlainText("a\xe9\x80"), u"a\u00E9\u20AC");  // not UTF-8: cp1252
    QCOMPARE(DecodePlainText("\xc0\xaf"), u"\u00C0\u00AF");    // overlong: not UTF-8
    QCOMPARE(DecodePlainText(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
  }

  // --- Loading into the panes ---

  void diagramRowsAreFlushInTheDiagramFont() {
    if (!QFontDatabase::families().contains("Chess Merida")) QSKIP("Chess Merida is not installed");
    // A bordered board: the left frame piece draws a line along its cell's
    // right side, so the frame shows any gap between rows.
    std::string rtf =
        "{\\rtf1{\\fonttbl{\\f0 DejaVu Sans;}{\\f2 Chess Merida;}}\\f0\\fs20 id: "
        "\"gap check\"\\par \\f2\\fs40 !\"\"\"\"\"\"\"\"#\\par ";
    for (int r = 0; r < 8; ++r) rtf += "$ + + + +%\\par ";
    rtf += "/(((((((()\\par\\f0\\fs20 }";
    QTextEdit pane;
    LoadRTF(&pane, rtf);
    QTextDocument* doc = pane.document();
    // The board is one block whose lines are its rows.
    const QTextBlock board = doc->findBlockByNumber(1);
    const QTextCharFormat chr = board.begin().fragment().charFormat();
    QCOMPARE(chr.font().families().value(0), QString("Chess Merida"));
    QVERIFY(!chr.font().kerning());
    const int em = qRound(20 * pane.logicalDpiY() / 72.0);
    QCOMPARE(chr.font().pixelSize(), em);
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    layout->blockBoundingRect(board);  // lays the board out
    const QTextLayout* rows = board.layout();
    QCOMPARE(rows->lineCount(), 10);
    auto top = [&](int line) { return rows->position().y() + rows->lineAt(line).y(); };
    for (int i = 1; i < 10; ++i) QCOMPARE(top(i) - top(i - 1), qreal(em));
    // The text line keeps its font's own height.
    QVERIFY(layout->blockBoundingRect(doc->firstBlock()).height() >
            QFontMetricsF(doc->firstBlock().charFormat().font()).ascent());
    // The operations text and the board stay separate paragraphs.
    QCOMPARE(doc->firstBlock().text(), QString("id: \"gap check\""));
    QCOMPARE(pane.toPlainText().count(QLatin1Char('\n')), 10);

    QImage image(doc->size().toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    doc->drawContents(&painter);
    painter.end();
    const int left = int(rows->position().x());
    const int y0 = int(top(1)) + em / 2;
    int frameX = -1;  // the rightmost inked column of the left frame cell
    for (int x = left; x < left + em; ++x) {
      if (qGray(image.pixel(x, y0)) < 128) frameX = x;
    }
    QVERIFY(frameX >= 0);
    for (int y = y0; y < int(top(8)) + em / 2; ++y) {
      QVERIFY2(qGray(image.pixel(frameX, y)) < 128, qPrintable(QString("gap at y %1").arg(y)));
    }
  }

  // A shaded square is filled whole, edge to edge of its glyph cell; the
  // squares beside it and the text keep the page's colour.
  void shadedSquaresFillTheirCells() {
    if (!QFontDatabase::families().contains("Chess Merida")) QSKIP("Chess Merida is not installed");
    std::string rtf =
        "{\\rtf1{\\fonttbl{\\f0 DejaVu Sans;}{\\f2 Chess Merida;}}{\\colortbl;"
        "\\red195\\green143\\blue143;}\\f0\\fs20 id: x\\par \\f2\\fs40\\sl-400\\slmult0 "
        "!\"\"\"\"\"\"\"\"#";
    for (int r = 0; r < 8; ++r)
      rtf += r == 4 ? "\\par $ + +{\\chshdng0\\chcbpat1  }+ +%" : "\\par $ + + + +%";
    rtf += "\\par \\pard /(((((((()\\par\\f0\\fs20 }";
    QTextEdit pane;
    LoadRTF(&pane, rtf);
    QTextDocument* doc = pane.document();
    QImage image(doc->size().toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    doc->drawContents(&painter);
    painter.end();
    const QColor shade(195, 143, 143);
    // The shaded rank is a block of its own; the others share blocks.
    QTextBlock row = doc->firstBlock();
    while (row.isValid() && row.text() != "$ + + + +%") row = row.next();
    QVERIFY(row.isValid());
    auto shaded = [](const QTextFragment& f) {
      return f.charFormat().hasProperty(QTextFormat::BackgroundBrush);
    };
    QTextBlock::iterator it = row.begin();
    QVERIFY(!shaded(it.fragment()));
    ++it;
    QCOMPARE(it.fragment().text(), QString(" "));
    QCOMPARE(it.fragment().position() - row.position(), 5);
    QCOMPARE(it.fragment().charFormat().background().color(), shade);
    QVERIFY(!shaded(doc->firstBlock().begin().fragment()));

    const int em = qRound(20 * pane.logicalDpiY() / 72.0);
    const QPointF at = row.layout()->position();
    const QTextLine line = row.layout()->lineAt(0);
    const int left = qRound(at.x() + line.cursorToX(5)), top = qRound(at.y() + line.y());
    QCOMPARE(qRound(line.cursorToX(6) - line.cursorToX(5)), em);
    for (const QPoint p : {QPoint(left + 1, top + 1), QPoint(left + em - 2, top + em - 2),
                           QPoint(left + em / 2, top + em / 2)})
      QCOMPARE(QColor(image.pixel(p)), shade);
    QVERIFY(QColor(image.pixel(left - em / 2, top + em / 2)) != shade);
    QVERIFY(QColor(image.pixel(left + em / 2, top + em + 1)) != shade);
    QVERIFY(QColor(image.pixel(left + em / 2, top - 2)) != shade);
  }

  void sheetTablesKeepDiagramRowsFlush() {
    if (!QFontDatabase::families().contains("Chess Merida")) QSKIP("Chess Merida is not installed");
    QTextEdit pane;
    LoadRTF(&pane, Sheet());
    QTextDocument& doc = *pane.document();
    const double dpi = pane.logicalDpiY();
    const QList<QTextFrame*> frames = doc.rootFrame()->childFrames();
    QCOMPARE(frames.size(), qsizetype(1));
    const auto* table = qobject_cast<QTextTable*>(frames[0]);
    QVERIFY(table);
    QCOMPARE(table->rows(), 2);
    QCOMPARE(table->columns(), 2);
    const QTextTableFormat format = table->format();
    QCOMPARE(format.border(), 0.0);
    QCOMPARE(format.cellPadding(), 0.0);
    QCOMPARE(format.cellSpacing(), 0.0);
    const QTextLength width(QTextLength::FixedLength, 4108 / 1440.0 * dpi);
    QCOMPARE(format.columnWidthConstraints(), (QList<QTextLength>{width, width}));
    auto cellText = [&](int row, int column) {
      const QTextTableCell cell = table->cellAt(row, column);
      QTextCursor c(&doc);
      c.setPosition(cell.firstPosition());
      c.setPosition(cell.lastPosition(), QTextCursor::KeepAnchor);
      return c.selectedText();
    };
    QVERIFY(cellText(0, 1).startsWith("id: C\u2029!"));
    QVERIFY(cellText(1, 0).startsWith("id: D"));
    QCOMPARE(cellText(1, 1), QString());
    QCOMPARE(doc.lastBlock().previous().text(), QString("Solutions"));

    // Every board, alone or in a cell: ten rows one em apart, the mark in
    // the text font at the board's size at the end of the last rank.
    const int em = qRound(20 * dpi / 72.0);
    const QTextBlock boards[] = {doc.findBlockByNumber(1),
                                 doc.findBlock(table->cellAt(0, 0).firstPosition()).next(),
                                 doc.findBlock(table->cellAt(0, 1).firstPosition()).next()};
    for (const QTextBlock& board : boards) {
      QVERIFY(board.text().startsWith("!\"\""));
      const QList<qreal> tops = LineTops(doc, board, 10);
      QCOMPARE(tops.size(), qsizetype(10));
      for (int i = 1; i < 10; ++i) QCOMPARE(tops[i] - tops[i - 1], qreal(em));
      const QTextBlock lastRank = board.next();
      QCOMPARE(lastRank.text(), QString("$ + + + +% \u25A1"));
      QCOMPARE(lastRank.layout()->lineCount(), 1);  // not wrapped
      QTextBlock::iterator mark = lastRank.begin();
      ++mark;
      QCOMPARE(mark.fragment().charFormat().font().families().value(0), QString("Arial"));
      QCOMPARE(mark.fragment().charFormat().font().pixelSize(), em);
    }
  }

  void longTablesStackWithoutGaps() {
    std::string rtf = "{\\rtf1\\trowd\\cellx2000\\cellx4000 ";
    for (int i = 0; i < 40; ++i) rtf += "\\intbl a\\cell b\\cell\\row ";
    QTextEdit pane;
    LoadRTF(&pane, rtf + "\\pard after}");
    QTextDocument& doc = *pane.document();
    // Laid out in parts, the rows stand one line apart as in one table.
    const QList<QTextFrame*> parts = doc.rootFrame()->childFrames();
    QVERIFY(parts.size() > 1);
    QList<qreal> tops;
    for (QTextFrame* part : parts) {
      const auto* table = qobject_cast<QTextTable*>(part);
      for (int r = 0; r < table->rows(); ++r) {
        const QTextBlock a = doc.findBlock(table->cellAt(r, 0).firstPosition());
        tops.append(doc.documentLayout()->blockBoundingRect(a).top());
      }
    }
    tops.append(doc.documentLayout()->blockBoundingRect(doc.lastBlock()).top());
    QCOMPARE(tops.size(), qsizetype(41));
    for (int i = 2; i < tops.size(); ++i) QCOMPARE(tops[i] - tops[i - 1], tops[1] - tops[0]);
  }

  // Text in a cell of known width wraps inside the cell, less the row's gap
  // at each side, as in a word processor, also in a pane that does not
  // wrap; text outside tables and in cells of no given width does not.
  void cellTextWrapsInsideItsCell() {
    const std::string words = "a long operation that runs on well past the width of its column";
    const std::string unbroken(60, 'x');
    const std::string rtf =
        "{\\rtf1{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs20 " + words +
        "\\par \\trowd\\trgaph108\\cellx2000\\cellx4000 \\pard\\intbl id: " + words + " " +
        unbroken + "\\cell \\pard\\intbl b\\cell\\row " + "\\trowd \\pard\\intbl " + words +
        "\\cell\\row \\pard after}";
    QTextEdit pane;
    pane.setLineWrapMode(QTextEdit::NoWrap);
    LoadRTF(&pane, rtf);
    QTextDocument& doc = *pane.document();
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    auto lines = [&](const QTextBlock& block) {
      layout->blockBoundingRect(block);
      return block.layout()->lineCount();
    };
    QCOMPARE(lines(doc.firstBlock()), 1);
    const QList<QTextFrame*> frames = doc.rootFrame()->childFrames();
    QCOMPARE(frames.size(), qsizetype(2));
    const QTextBlock cell =
        doc.findBlock(qobject_cast<QTextTable*>(frames[0])->cellAt(0, 0).firstPosition());
    QVERIFY(lines(cell) > 3);
    const double dpi = pane.logicalDpiY();
    const qreal cellLeft = layout->frameBoundingRect(frames[0]).left();
    const qreal left = cellLeft + 108 / 1440.0 * dpi, right = cellLeft + 1892 / 1440.0 * dpi;
    const qreal textLeft = layout->blockBoundingRect(cell).left();
    const QTextLayout* text = cell.layout();
    for (int i = 0; i < text->lineCount(); ++i) {
      const QTextLine line = text->lineAt(i);
      const qreal start = textLeft + line.x(), end = start + line.naturalTextWidth();
      QVERIFY2(start >= left - 0.5 && end <= right + 0.5,
               qPrintable(QString("line %1 from %2 to %3, the cell's text from %4 to %5")
                              .arg(i)
                              .arg(start)
                              .arg(end)
                              .arg(left)
                              .arg(right)));
    }
    QCOMPARE(
        lines(doc.findBlock(qobject_cast<QTextTable*>(frames[1])->cellAt(0, 0).firstPosition())),
        1);
  }

  void loadReplacesAndFallsBackToPlainText() {
    QTextEdit pane;
    LoadRTF(&pane, "{\\rtf1 first}");
    LoadRTF(&pane, "{\\rtf1 second}");
    QCOMPARE(pane.toPlainText(), QString("second"));
    LoadRTF(&pane, "no rtf \xe9");
    QCOMPARE(pane.toPlainText(), QString::fromUtf8("no rtf é"));
    const std::string deep = Nested(5000);
    LoadRTF(&pane, deep);  // unreadable RTF shows its source
    QCOMPARE(pane.toPlainText().size(), qsizetype(deep.size()));
  }

  void unloadableTextRaisesAndKeepsThePane() {
    QTextEdit pane;
    LoadRTF(&pane, "{\\rtf1 kept}");
    try {
      LoadRTF(&pane, "{\\rtf1 too long}", 10);
      QFAIL("no error");
    } catch (const TRunError& e) {
      QCOMPARE(QString(e.what()), QString("Failed to Load Stream"));
    }
    QCOMPARE(pane.toPlainText(), QString("kept"));
    QPlainTextEdit epd;
    QVERIFY_THROWS_EXCEPTION(TRunError, LoadTextPane(&epd, "0123456789ab", 10));
  }

  void textPaneTakesTheTextOfRTF() {
    QPlainTextEdit epd;
    LoadTextPane(&epd, "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 line one\\par line two\\par}");
    QCOMPARE(epd.toPlainText(), QString("line one\nline two"));
    LoadTextPane(&epd, std::string("a b\0\r\nx\ry", 9));
    QCOMPARE(epd.toPlainText(), QString::fromUtf16(u"a b\0\nx\ny", 8));
  }

  void bulkLoadKeepsEveryParagraph() {
    std::string rtf = "{\\rtf1{\\fonttbl\\f0 Arial;{\\f2 Chess Merida;}}";
    for (int i = 0; i < 1000; ++i) {
      rtf += "\\f0\\fs20 id: " + std::to_string(i) + "\\par \\f2\\fs40 ";
      for (int r = 0; r < 10; ++r) rtf += "!\"\"\"\"\"\"\"\"#\\par ";
      rtf += "\\f0\\fs20\r\n";
    }
    QTextEdit pane;
    LoadRTF(&pane, rtf + "}");
    // One block for each operations line and each board; every row is kept
    // as a line of its board.
    QCOMPARE(pane.document()->blockCount(), 2000);
    QCOMPARE(pane.document()->findBlockByNumber(2).text(), QString("id: 1"));
    const QStringList lines = pane.toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 11000);
    QCOMPARE(lines.back(), QString("!\"\"\"\"\"\"\"\"#"));
    QCOMPARE(pane.document()->lastBlock().text().count(QChar::LineSeparator), 9);
  }
};

QTEST_MAIN(TRTFReaderTest)
#include "rtfreader_test.moc"
