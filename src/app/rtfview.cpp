#include "app/rtfview.h"

#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>

#include "support/errors.h"

namespace bq {

namespace {

constexpr int kMaxPixelSize = 1000;  // a hostile \fs must not ask for giant glyphs

QString ToQString(std::u16string_view s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

int PixelSize(int halfPoints, double dpi) {
  const double px = std::round(halfPoints / 2.0 * dpi / 72.0);
  return static_cast<int>(std::clamp(px, 1.0, static_cast<double>(kMaxPixelSize)));
}

double TwipsToPixels(int twips, double dpi) {
  return std::clamp(twips / 1440.0 * dpi, -10000.0, 10000.0);
}

class TFormatCache {
 public:
  TFormatCache(const TRTFDocument& rtf, const QString& defaultFamily, double dpi)
      : rtf_(rtf), defaultFamily_(defaultFamily), dpi_(dpi) {}

  const QTextCharFormat& Char(const TRTFCharFormat& f) {
    const auto key = std::make_tuple(f.Font, f.HalfPoints, f.Bold, f.Italic, f.Underline);
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
    return chars_.emplace(key, fmt).first->second;
  }

  QTextBlockFormat Block(const TRTFParagraph& p) {
    QTextBlockFormat fmt;
    fmt.setTopMargin(std::max(0.0, TwipsToPixels(p.Format.SpaceBefore, dpi_)));
    fmt.setBottomMargin(std::max(0.0, TwipsToPixels(p.Format.SpaceAfter, dpi_)));
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
      pitch = TwipsToPixels(-sl, dpi_);
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
  std::map<std::tuple<int, int, bool, bool, bool>, QTextCharFormat> chars_;

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

// Inserts paragraphs in as few cursor operations as possible: consecutive
// paragraphs of one run each, with equal formats, go in as one text with
// paragraph separators.
class TDocumentBuilder {
 public:
  TDocumentBuilder(QTextDocument& doc, TFormatCache& formats) : cursor_(&doc), formats_(formats) {}

  void Add(const TRTFParagraph& p) {
    const QTextBlockFormat block = formats_.Block(p);
    const TRTFCharFormat& chr = p.Runs.size() == 1 ? p.Runs.front().Format : p.EndFormat;
    if (p.Runs.size() <= 1) {
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
    for (const TRTFRun& r : p.Runs) cursor_.insertText(ToQString(r.Text), formats_.Char(r.Format));
  }

  void Flush() {
    if (!pending_) return;
    pending_ = false;
    const QTextCharFormat& chr = formats_.Char(pendingChar_);
    StartBlock(pendingBlock_, chr);
    if (!pendingText_.isEmpty()) cursor_.insertText(pendingText_, chr);
    pendingText_.clear();
  }

 private:
  void StartBlock(const QTextBlockFormat& block, const QTextCharFormat& chr) {
    if (first_) {
      first_ = false;
      cursor_.setBlockFormat(block);
      cursor_.setBlockCharFormat(chr);
    } else {
      cursor_.insertBlock(block, chr);
    }
  }

  QTextCursor cursor_;
  TFormatCache& formats_;
  bool first_ = true;
  bool pending_ = false;
  QTextBlockFormat pendingBlock_;
  TRTFCharFormat pendingChar_;
  QString pendingText_;
};

void FailLoad() {
  throw TRunError(kFailedToLoadStream);
}

}  // namespace

void FillTextDocument(QTextDocument& doc, const TRTFDocument& rtf, double dpi) {
  doc.clear();
  TFormatCache formats(rtf, doc.defaultFont().family(), dpi);
  TDocumentBuilder builder(doc, formats);
  QTextCursor edit(&doc);
  edit.beginEditBlock();
  for (const TRTFParagraph& p : rtf.Paragraphs) builder.Add(p);
  builder.Flush();
  edit.endEditBlock();
}

void LoadRTF(QTextEdit* pane, std::string_view text, std::size_t limit) {
  if (text.size() > limit) FailLoad();
  auto doc = std::make_unique<QTextDocument>();
  doc->setUndoRedoEnabled(false);
  doc->setDefaultFont(pane->font());
  doc->setDocumentMargin(pane->document()->documentMargin());
  TRTFDocument rtf;
  if (ReadRTF(text, rtf)) {
    FillTextDocument(*doc, rtf, pane->logicalDpiY());
  } else {
    doc->setPlainText(ToQString(DecodePlainText(text)));
  }
  // The pane owns the new document and deletes the one it owned before.
  doc->setParent(pane);
  pane->setDocument(doc.release());
}

QString PaneText(std::string_view text, std::size_t limit) {
  if (text.size() > limit) FailLoad();
  TRTFDocument rtf;
  QString plain =
      ReadRTF(text, rtf) ? ToQString(rtf.PlainText()) : ToQString(DecodePlainText(text));
  // CR LF and lone CR end lines as LF does; the pane would show a CR as a glyph.
  plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return plain;
}

void LoadTextPane(QPlainTextEdit* pane, std::string_view text, std::size_t limit) {
  pane->setPlainText(PaneText(text, limit));
}

}  // namespace bq
