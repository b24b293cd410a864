#include "app/rtfbuilder.h"

#include <QColor>
#include "app/previewpictures.h"

#include <QFontMetricsF>
#include <QList>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLength>
#include <QTextOption>
#include <QTextTable>
#include <QTextTableFormat>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

namespace bq {

namespace {

constexpr int kMaxPixelSize = 1000;  // a hostile \fs must not ask for giant glyphs

int PixelSize(int halfPoints, double dpi) {
  const double px = std::round(halfPoints / 2.0 * dpi / 72.0);
  return static_cast<int>(std::clamp(px, 1.0, static_cast<double>(kMaxPixelSize)));
}

double TwipsToPixels(int twips, double dpi) {
  return std::clamp(twips / 1440.0 * dpi, -10000.0, 10000.0);
}

bool HasPicture(const TRTFParagraph& p) {
  return std::any_of(p.Runs.begin(), p.Runs.end(), [](const TRTFRun& r) { return r.Picture >= 0; });
}

// A picture's size on the page in twips: the goal size, else its pixels
// at 96 an inch (15 twips each), scaled as the text says.
double PictureTwips(int goal, int pixels, int percent) {
  const double twips = goal > 0 ? goal : 15.0 * pixels;
  return twips * (percent > 0 ? percent : 100) / 100.0;
}

QString PictureName(int index) {
  return QStringLiteral("picture:") + QString::number(index);
}

class TFormatCache {
 public:
  TFormatCache(const TRTFDocument& rtf, const QString& defaultFamily, double dpi)
      : rtf_(rtf), defaultFamily_(defaultFamily), dpi_(dpi) {}

  double Dpi() const { return dpi_; }

  const QTextCharFormat& Char(const TRTFCharFormat& f) {
    const auto key =
        std::make_tuple(f.Font, f.HalfPoints, f.Bold, f.Italic, f.Underline, f.Background);
    auto it = chars_.find(key);
    if (it != chars_.end()) return it->second;
    QFont font;
    const int i = rtf_.FontIndex(f.Font);
    const QString family =
        i >= 0 ? QString::fromStdString(rtf_.Fonts[static_cast<std::size_t>(i)].Family) : QString();
    font.setFamilies({family.isEmpty() ? defaultFamily_ : family});
    font.setPixelSize(PixelSize(f.HalfPoints, dpi_));
    font.setBold(f.Bold);
    font.setItalic(f.Italic);
    font.setUnderline(f.Underline);
    // Diagram glyphs are 1 em cells: kerning would pull them apart or together.
    font.setKerning(false);
    QTextCharFormat fmt;
    fmt.setFont(font, QTextCharFormat::FontPropertiesAll);
    if (f.Background != kRTFNoColour) fmt.setBackground(QColor(QRgb(f.Background)));
    return chars_.emplace(key, fmt).first->second;
  }

  // The picture of a run, sized in pixels; its data is the document's
  // resource of that name.
  QTextImageFormat Picture(const TRTFRun& r) {
    const TRTFPicture& p = rtf_.Pictures[static_cast<std::size_t>(r.Picture)];
    QTextImageFormat fmt;
    fmt.merge(Char(r.Format));
    fmt.setName(PictureName(r.Picture));
    const auto pixels = [&](double twips) {
      return std::clamp(std::round(twips / 1440.0 * dpi_), 1.0, 10000.0);
    };
    fmt.setWidth(pixels(PictureTwips(p.GoalWidth, p.Width, p.ScaleX)));
    fmt.setHeight(pixels(PictureTwips(p.GoalHeight, p.Height, p.ScaleY)));
    return fmt;
  }

  QTextBlockFormat Block(const TRTFParagraph& p) {
    QTextBlockFormat fmt;
    fmt.setTopMargin(std::max(0.0, TwipsToPixels(p.Format.SpaceBefore, dpi_)));
    fmt.setBottomMargin(std::max(0.0, TwipsToPixels(p.Format.SpaceAfter, dpi_)));
    if (p.Format.LeftIndent > 0) fmt.setLeftMargin(TwipsToPixels(p.Format.LeftIndent, dpi_));
    // A line with a picture is as tall as the picture.
    if (HasPicture(p)) return fmt;
    const int sl = p.Format.LineSpacing;
    if (sl > 0) {
      fmt.setLineHeight(TwipsToPixels(sl, dpi_), QTextBlockFormat::MinimumHeight);
      return fmt;
    }
    // The line's own height as the layout computes it: largest ascent plus
    // largest descent plus largest leading, rounded up.
    double ascent = 0, descent = 0, leading = 0, em = 0;
    bool cells = true;
    auto measure = [&](const TRTFCharFormat& f) {
      const TMetrics& m = Metrics(f);
      ascent = std::max(ascent, m.Ascent);
      descent = std::max(descent, m.Descent);
      leading = std::max(leading, m.Leading);
      em = std::max(em, m.Em);
      cells = cells && m.Cells;
    };
    if (p.Runs.empty()) measure(p.EndFormat);
    for (const TRTFRun& r : p.Runs) measure(r.Format);
    const double natural = std::ceil(ascent + descent + leading);
    double pitch = 0;
    if (sl < 0) {
      // Whole pixels, as the fonts are sized: N = 20 x the diagram size then
      // gives exactly the pitch of its glyph cells.
      pitch = std::max(1.0, std::round(TwipsToPixels(-sl, dpi_)));
    } else if (cells) {
      pitch = em;
    } else {
      return fmt;  // text keeps its font's own line height
    }
    // A line distance keeps the baseline at the ascent below the line's top,
    // so 1 em cells fill exactly their line.
    fmt.setLineHeight(pitch - natural, QTextBlockFormat::LineDistanceHeight);
    return fmt;
  }

 private:
  const TRTFDocument& rtf_;
  QString defaultFamily_;
  double dpi_;
  std::map<std::tuple<int, int, bool, bool, bool, std::int32_t>, QTextCharFormat> chars_;

  struct TMetrics {
    double Ascent, Descent, Leading, Em;
    bool Cells;
  };
  const TMetrics& Metrics(const TRTFCharFormat& f) {
    const auto key = std::make_tuple(f.Font, f.HalfPoints, f.Bold, f.Italic, f.Underline);
    auto it = metrics_.find(key);
    if (it != metrics_.end()) return it->second;
    const QFont font = Char(f).font();
    const QFontMetricsF fm(font);
    const double em = font.pixelSize();
    const double a = fm.ascent() / em, d = fm.descent() / em;
    // Diagram fonts draw 1 em cells standing on the baseline: an ascent of
    // about 1 em and no descent to speak of (one such font declares an absurd
    // descent; it is one of them all the same).
    const bool cells = a > 0.95 && a < 1.05 && (d < 0.05 || d > 2.0);
    return metrics_.emplace(key, TMetrics{fm.ascent(), fm.descent(), fm.leading(), em, cells})
        .first->second;
  }
  std::map<std::tuple<int, int, bool, bool, bool>, TMetrics> metrics_;
};

// Writes paragraphs from a cursor that stands in an empty block (the
// document's first, a table cell's, the one after a table) in as few cursor
// operations as possible: consecutive paragraphs of one run each, with equal
// formats, go in as one text with paragraph separators.
class TBlockWriter {
 public:
  // Text wraps in a table cell of known width, as in a word processor, and
  // elsewhere only when the pane has a page width to wrap at. The rows of a
  // diagram never wrap: a column a pixel too narrow for the board widens
  // instead. `side` is the room left free at each side (a cell's gap).
  TBlockWriter(const QTextCursor& cursor, TFormatCache& formats, bool wrap, double side = 0)
      : cursor_(cursor), formats_(formats), wrap_(wrap), side_(side) {}

  void Add(const TRTFParagraph& p) {
    QTextBlockFormat block = formats_.Block(p);
    if (!wrap_ || block.hasProperty(QTextFormat::LineHeight)) block.setNonBreakableLines(true);
    if (side_ > 0) {
      block.setLeftMargin(side_ + block.leftMargin());
      block.setRightMargin(side_);
    }
    const TRTFCharFormat& chr = p.Runs.size() == 1 ? p.Runs.front().Format : p.EndFormat;
    if (p.Runs.size() <= 1 && !HasPicture(p)) {
      if (pending_ && block == pendingBlock_ && chr == pendingChar_) {
        // The rows of a diagram become lines of one block: they look the
        // same (the line pitch applies to every line), and the layout of a
        // preview with 100,000 diagrams costs a tenth of the blocks.
        pendingText_ += block.hasProperty(QTextFormat::LineHeight) ? QChar::LineSeparator
                                                                   : QChar::ParagraphSeparator;
      } else {
        Flush();
        pending_ = true;
        pendingBlock_ = block;
        pendingChar_ = chr;
      }
      if (!p.Runs.empty()) pendingText_ += ToQString(p.Runs.front().Text);
      return;
    }
    Flush();
    StartBlock(block, formats_.Char(p.EndFormat));
    for (const TRTFRun& r : p.Runs) {
      if (r.Picture >= 0)
        cursor_.insertImage(formats_.Picture(r));
      else
        cursor_.insertText(ToQString(r.Text), formats_.Char(r.Format));
    }
  }

  void Flush() {
    if (!pending_) return;
    pending_ = false;
    const QTextCharFormat& chr = formats_.Char(pendingChar_);
    StartBlock(pendingBlock_, chr);
    if (!pendingText_.isEmpty()) cursor_.insertText(pendingText_, chr);
    pendingText_.clear();
  }

  // Inserts an empty table after what was written; the writer goes on in
  // the block that follows the table.
  QTextTable* InsertTable(int rows, int columns, const QTextTableFormat& format) {
    Flush();
    QTextTable* table = cursor_.insertTable(rows, columns, format);
    cursor_ = table->lastCursorPosition();
    cursor_.movePosition(QTextCursor::NextBlock);
    empty_ = true;
    return table;
  }

 private:
  void StartBlock(const QTextBlockFormat& block, const QTextCharFormat& chr) {
    if (empty_) {
      empty_ = false;
      cursor_.setBlockFormat(block);
      cursor_.setBlockCharFormat(chr);
    } else {
      cursor_.insertBlock(block, chr);
    }
  }

  QTextCursor cursor_;
  TFormatCache& formats_;
  bool wrap_;
  double side_;
  bool empty_ = true;  // the cursor's block is still empty and unformatted
  bool pending_ = false;
  QTextBlockFormat pendingBlock_;
  TRTFCharFormat pendingChar_;
  QString pendingText_;
};

// No borders, spacing or padding: the cells' text stands where the RTF puts
// it, and the rows of a diagram stay flush.
QTextTableFormat TableFormat(const TRTFTable& table, double dpi) {
  QTextTableFormat format;
  format.setBorder(0);
  format.setBorderStyle(QTextFrameFormat::BorderStyle_None);
  format.setCellSpacing(0);
  format.setCellPadding(0);
  format.setMargin(0);
  format.setAlignment(Qt::AlignLeft);
  QList<QTextLength> widths;
  for (int w : table.Widths) {
    widths.append(w > 0 ? QTextLength(QTextLength::FixedLength, TwipsToPixels(w, dpi))
                        : QTextLength());
  }
  format.setColumnWidthConstraints(widths);
  return format;
}

// Qt lays a table out whole, in one step: a long table goes in as tables
// of this many rows, stacked without a gap, so that the preview's layout
// stays in small steps.
constexpr std::size_t kRowsPerGrid = 32;

// Rows [first, end) of `table`, whose first cell begins at paragraph `p`.
void AddRows(TBlockWriter& writer, const TRTFDocument& rtf, const TRTFTable& table,
             std::size_t first, std::size_t end, std::size_t p, TFormatCache& formats) {
  QTextTable* grid =
      writer.InsertTable(static_cast<int>(end - first), static_cast<int>(table.Widths.size()),
                         TableFormat(table, formats.Dpi()));
  // Every edit of a cell makes the table find its cells anew on the next
  // look-up, so the cells are found once and filled from the last: text put
  // in a cell moves none of the cells before it.
  struct TCellText {
    int Position;
    std::size_t First, End;
    bool Wrap;
  };
  std::vector<TCellText> cells;
  for (std::size_t r = first; r < end; ++r) {
    for (std::size_t c = 0; c < table.Rows[r].size(); ++c) {
      const QTextTableCell cell = grid->cellAt(static_cast<int>(r - first), static_cast<int>(c));
      cells.push_back(TCellText{cell.firstPosition(), p, table.Rows[r][c], table.Widths[c] > 0});
      p = table.Rows[r][c];
    }
  }
  QTextCursor cursor(grid->document());
  const double gap = TwipsToPixels(table.Gap, formats.Dpi());
  for (auto cell = cells.rbegin(); cell != cells.rend(); ++cell) {
    cursor.setPosition(cell->Position);
    TBlockWriter text(cursor, formats, cell->Wrap, gap);
    for (std::size_t i = cell->First; i < cell->End; ++i) text.Add(rtf.Paragraphs[i]);
    text.Flush();
  }
}

void AddTable(TBlockWriter& writer, const TRTFDocument& rtf, const TRTFTable& table,
              TFormatCache& formats) {
  std::size_t p = table.First;
  for (std::size_t r = 0; r < table.Rows.size(); r += kRowsPerGrid) {
    const std::size_t end = std::min(table.Rows.size(), r + kRowsPerGrid);
    AddRows(writer, rtf, table, r, end, p, formats);
    p = table.Rows[end - 1].back();
  }
}

}  // namespace

QString ToQString(std::u16string_view s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

void FillTextDocument(QTextDocument& doc, const TRTFDocument& rtf, double dpi, bool wrapText) {
  doc.clear();
  // Only the blocks that may wrap do (see TBlockWriter).
  QTextOption option = doc.defaultTextOption();
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  doc.setDefaultTextOption(option);
  TFormatCache formats(rtf, doc.defaultFont().family(), dpi);
  if (!rtf.Pictures.empty()) {
    for (std::size_t i = 0; i < rtf.Pictures.size(); ++i) {
      const std::string& png = rtf.Pictures[i].Png;
      doc.addResource(QTextDocument::ImageResource, QUrl(PictureName(static_cast<int>(i))),
                      QByteArray(png.data(), static_cast<qsizetype>(png.size())));
    }
    TPreviewPictures::Install(doc);
  }
  QTextCursor edit(&doc);
  edit.beginEditBlock();
  TBlockWriter writer(QTextCursor(&doc), formats, wrapText);
  auto table = rtf.Tables.begin();
  for (std::size_t i = 0; i < rtf.Paragraphs.size();) {
    if (table != rtf.Tables.end() && table->First == i) {
      AddTable(writer, rtf, *table, formats);
      i = table->End();
      ++table;
    } else {
      writer.Add(rtf.Paragraphs[i++]);
    }
  }
  writer.Flush();
  edit.endEditBlock();
}

}  // namespace bq
