#include "app/rtfview.h"

#include <QPlainTextEdit>
#include <QString>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextOption>
#include <memory>

#include "support/errors.h"

namespace bq {

namespace {

void FailLoad() {
  throw TRunError(kFailedToLoadStream);
}

}  // namespace

void LoadRTF(QTextEdit* pane, std::string_view text, std::size_t limit, int wrapWidth) {
  if (text.size() > limit) FailLoad();
  auto doc = std::make_unique<QTextDocument>();
  doc->setUndoRedoEnabled(false);
  doc->setDefaultFont(pane->font());
  doc->setDocumentMargin(pane->document()->documentMargin());
  TRTFDocument rtf;
  const bool read = ReadRTF(text, rtf);
  if (read) {
    FillTextDocument(*doc, rtf, pane->logicalDpiY(), wrapWidth > 0);
  } else {
    doc->setPlainText(ToQString(DecodePlainText(text)));
  }
  const QTextOption own = doc->defaultTextOption();
  // The pane owns the new document and deletes the one it owned before.
  doc->setParent(pane);
  QTextDocument* shown = doc.release();
  pane->setDocument(shown);
  // A page width given before goes with the document it was given for.
  if (wrapWidth > 0) {
    pane->setLineWrapMode(QTextEdit::FixedPixelWidth);
    pane->setLineWrapColumnOrWidth(wrapWidth);
  } else if (pane->lineWrapMode() == QTextEdit::FixedPixelWidth) {
    pane->setLineWrapMode(QTextEdit::NoWrap);
  }
  // The pane gives a new document its own wrapping; an RTF document's blocks
  // say for themselves whether they wrap.
  if (read) shown->setDefaultTextOption(own);
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
