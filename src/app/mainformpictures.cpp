// The main window's picture commands: Save As PDF, Export Pictures and
// Copy Diagram as Picture.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QTextBlock>
#include <QTextEdit>

#include "app/mainform.h"
#include "support/errors.h"
#include "support/settings.h"

#ifdef BOARDQUILL_PICTURES
#include "app/exportdlg.h"
#include "app/previewrecord.h"
#include "app/recordpictures.h"
#include "render/picturefolder.h"
#include "support/atomicfile.h"
#endif

namespace bq {

#ifdef BOARDQUILL_PICTURES

namespace {

QByteArray Bytes(const std::string& s) {
  return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

void TMainForm::SavePDF(const QString& path) {
  SaveDir = IncludeTrailingSeparator(QFileInfo(path).path().toStdString());
  const std::string pdf =
      previewGames_.empty()
          ? PdfDocument(previewEPD_, Job(TOutputFormat::Pdf))
          : GameTextPdfDocument(previewGames_, GameTextJob(Job(TOutputFormat::Pdf)), gameDiagrams_);
  try {
    TReplacingFile::Replace(path.toStdString(), pdf);
  } catch (const TFileError&) {
    throw TRunError("Unable to write to " + path.toStdString());
  }
}

void TMainForm::ExportPictures1Click() {
  if (previewEPD_.empty()) return;
  TExportDlg dlg({ProposedPath(QStringLiteral("-pictures")), false, PictureSquare}, this);
  if (dlg.exec() != QDialog::Accepted) return;
  const TExportChoice choice = dlg.Choice();
  if (!choice.Folder.isEmpty() && ExportPictures(choice.Folder, choice.Svg, choice.SquarePx))
    lastFolder_ = SaveDir;
}

bool TMainForm::ExportPictures(const QString& folder, bool svg, int squarePx) {
  const std::string target = QDir::cleanPath(folder).toStdString();
  if (!IsNewOrEmptyFolder(target))
    throw TRunError(target + " is not a new or empty folder; no file of it is replaced");
  PictureSquare = squarePx;
  SaveDir =
      IncludeTrailingSeparator(QFileInfo(QString::fromStdString(target)).path().toStdString());
  const TConvertJob job =
      Job(svg ? TOutputFormat::Svg : TOutputFormat::Png, {.SquarePx = squarePx});
  const auto count = static_cast<int>(CountRecords(previewEPD_));
  QProgressDialog progress(tr("Exporting pictures..."), tr("Cancel"), 0, count, this);
  progress.setObjectName("ExportProgress");
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(ExportProgressDelayMs);
  // The folder appears only when every picture is in it; leaving early
  // removes what was written.
  const bool done = ExportPictureFolder(previewEPD_, job, target, [&](long long number) {
    progress.setValue(static_cast<int>(number - 1));
    return !progress.wasCanceled();
  });
  if (done) progress.setValue(count);
  return done;
}

void TMainForm::CopyPicture1Click() {
  if (Memo2->hasFocus())
    CopyPaneRecordPicture();
  else
    CopyPreviewRecordPicture();
}

namespace {

void PutPictureOnClipboard(const TRecordPicture& picture) {
  auto mime = std::make_unique<QMimeData>();
  mime->setData(QStringLiteral("image/png"), Bytes(picture.Png));
  mime->setData(QStringLiteral("image/svg+xml"), Bytes(picture.Svg));
  QGuiApplication::clipboard()->setMimeData(mime.release());
}

}  // namespace

void TMainForm::CopyPaneRecordPicture() {
  const std::string text = Memo2->toPlainText().toStdString();
  const long long line = Memo2->textCursor().blockNumber() + 1;
  const TRecordPicture picture =
      PictureOfLine(text, Job(TOutputFormat::Png, {.SquarePx = PictureSquare}), line);
  if (!picture.Result.Ok) {
    ShowError(picture.Result.Message, picture.Result.Reason);
    return;
  }
  // A blank or comment line under the cursor holds no diagram.
  if (!picture.Found) {
    QApplication::beep();
    return;
  }
  PutPictureOnClipboard(picture);
}

void TMainForm::CopyPreviewRecordPicture() {
  const TConvertJob job = Job(TOutputFormat::Png, {.SquarePx = PictureSquare});
  const int at =
      RecordAtPosition(*Memo1->document(), Memo1->textCursor().position(),
                       QString::fromStdString(settings_.DiagFont), CaptionLines(previewEPD_, job));
  if (at < 0) {
    QApplication::beep();
    return;
  }
  PutPictureOnClipboard(PictureOfRecord(previewEPD_, job, at + 1));
}

#else

// Builds without pictures have no picture commands.
void TMainForm::ExportPictures1Click() {}
void TMainForm::CopyPicture1Click() {}

#endif

}  // namespace bq
