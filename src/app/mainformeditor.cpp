// The main window's Position Editor commands: New Position and Edit
// Position, and the line they write into the EPD pane.
#include <QApplication>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include "app/mainform.h"
#include "app/positioneditor.h"
#include "app/previewrecord.h"
#include "convert/lines.h"
#include "fonts/fontstatus.h"
#include "fonts/installed.h"
#include "games/inputkind.h"

namespace bq {

namespace {

// How much of the pane's start tells EPD lines from PGN games.
constexpr std::size_t kInputHead = std::size_t{1} << 16;

// The 1-based line of record `number` (from 1) of the EPD text; 0 when
// there are fewer records.
long long LineOfRecord(std::string_view text, long long number) {
  long long line = 0, records = 0;
  bool found = false;
  SplitEPDLines(text, [&](std::string_view l) {
    ++line;
    records += !IsSkippedEPDLine(TrimEPDLine(l));
    found = records == number;
    return !found;
  });
  return found ? line : 0;
}

}  // namespace

TEditorLook TMainForm::EditorLook() const {
  TEditorLook look;
  look.Orientation = settings_.Layout.Orientation;
  const ChessFontInfoRec& glyphs = fontInfoMan_->FontInfoRef(settings_.DiagFont);
  if (DiagramFontState(settings_.DiagFont, describedFonts_, InstalledFontList()) ==
          TFontState::Ready &&
      glyphs.Diagram) {
    look.DiagramFont = QString::fromStdString(settings_.DiagFont);
    look.Glyphs = glyphs;
  }
  return look;
}

void TMainForm::NewPosition1Click() {
  TPositionEditor editor(EditorLook(), this);
  if (editor.exec() == QDialog::Accepted) WritePaneLine(-1, editor.Line());
}

void TMainForm::EditPosition1Click() {
  const int block = EditedBlock();
  if (block < 0) return;
  const QString number = QString::number(block + 1);
  const std::string line = Memo2->document()->findBlockByNumber(block).text().toStdString();
  TPositionEditor editor(EditorLook(), this);
  std::string reason;
  if (!editor.Load(line, &reason)) {
    QApplication::beep();
    statusBar()->showMessage(
        tr("Line %1 is not an EPD record: %2").arg(number, QString::fromStdString(reason)));
    return;
  }
  if (editor.exec() == QDialog::Accepted) WritePaneLine(block, editor.Line());
}

int TMainForm::EditedBlock() {
  const auto refuse = [this](const QString& why) {
    QApplication::beep();
    statusBar()->showMessage(why);
    return -1;
  };
  const std::string text = Memo2->toPlainText().toStdString();
  if (DetectInputKind(std::string_view(text).substr(0, kInputHead)) == TInputKind::Pgn)
    return refuse(tr("The EPD pane holds games (PGN): the Position Editor edits EPD lines"));
  int block = Memo2->textCursor().blockNumber();
  if (!Memo2->hasFocus()) {
    // The preview's record, as long as the preview shows the pane.
    if (previewEPD_.empty()) return refuse(tr("The preview shows no diagram to edit"));
    if (previewEPD_ != text)
      return refuse(tr("The EPD pane has changed since the preview was made: convert it again"));
    const int at = RecordAtPosition(*Memo1->document(), Memo1->textCursor().position(),
                                    QString::fromStdString(settings_.DiagFont),
                                    CaptionLines(previewEPD_, Job()));
    if (at < 0) return refuse(tr("No diagram under the preview's cursor"));
    block = static_cast<int>(LineOfRecord(text, at + 1)) - 1;
  }
  const std::string line = Memo2->document()->findBlockByNumber(block).text().toStdString();
  if (block < 0 || IsSkippedEPDLine(TrimEPDLine(line)))
    return refuse(tr("Line %1 holds no EPD record").arg(block + 1));
  return block;
}

void TMainForm::WritePaneLine(int block, const std::string& line) {
  QTextDocument* doc = Memo2->document();
  QTextCursor cursor(block < 0 ? doc->lastBlock() : doc->findBlockByNumber(block));
  // One edit, one step of Undo.
  cursor.beginEditBlock();
  if (block < 0) {
    cursor.movePosition(QTextCursor::EndOfBlock);
    if (!cursor.block().text().isEmpty()) cursor.insertText(QStringLiteral("\n"));
  } else {
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  }
  cursor.insertText(QString::fromStdString(line));
  cursor.endEditBlock();
  cursor.movePosition(QTextCursor::StartOfBlock);
  Memo2->setTextCursor(cursor);
  statusBar()->clearMessage();
  ConvertAndCopy();
}

}  // namespace bq
