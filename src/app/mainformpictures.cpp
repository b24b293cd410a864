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
#include "cli/picturefolder.h"
#include "render/picturenames.h"
#include "render/picturewriter.h"
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
  const TPictureRecords records = ReadPictureRecords(previewEPD_, settings_, *fontInfoMan_);
  const std::string pdf = PdfDocument(records, PictureStyleOf(settings_));
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
  const TPictureRecords records = ReadPictureRecords(previewEPD_, settings_, *fontInfoMan_);
  TPictureWriter writer(PictureStyleOf(settings_, squarePx),
                        svg ? TPictureFormat::Svg : TPictureFormat::Png);
  TPictureNames names("{n}");
  const char* extension = svg ? ".svg" : ".png";
  const int count = static_cast<int>(records.Records.size());
  QProgressDialog progress(tr("Exporting pictures..."), tr("Cancel"), 0, count, this);
  progress.setObjectName("ExportProgress");
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(ExportProgressDelayMs);
  // The folder appears only when every picture is in it; leaving early
  // removes what was written.
  TPictureFolder out(target);
  std::string bytes;
  for (int i = 0; i < count; ++i) {
    progress.setValue(i);
    if (progress.wasCanceled()) return false;
    const auto n = static_cast<std::size_t>(i);
    writer.Write(records.Records[n], bytes);
    out.Write(names.Next(records.Positions[n], i + 1, records.Lines[n], extension), bytes);
  }
  out.Commit();
  progress.setValue(count);
  return true;
}

void TMainForm::CopyPicture1Click() {
  if (Memo2->hasFocus())
    CopyPaneRecordPicture();
  else
    CopyPreviewRecordPicture();
}

namespace {

void PutPictureOnClipboard(const TPictureRecord& rec, const TPictureStyle& style) {
  std::string png, svg;
  TPictureWriter(style, TPictureFormat::Png).Write(rec, png);
  TPictureWriter(style, TPictureFormat::Svg).Write(rec, svg);
  auto mime = std::make_unique<QMimeData>();
  mime->setData(QStringLiteral("image/png"), Bytes(png));
  mime->setData(QStringLiteral("image/svg+xml"), Bytes(svg));
  QGuiApplication::clipboard()->setMimeData(mime.release());
}

}  // namespace

void TMainForm::CopyPaneRecordPicture() {
  const std::string text = Memo2->toPlainText().toStdString();
  const long long line = Memo2->textCursor().blockNumber() + 1;
  const TPictureRecords records = ReadPictureRecords(text, settings_, *fontInfoMan_, line);
  if (!records.Ok) {
    ShowError(records.Message, records.Reason);
    return;
  }
  // A blank or comment line under the cursor holds no diagram.
  if (records.Lines.empty() || records.Lines.back() != line) {
    QApplication::beep();
    return;
  }
  PutPictureOnClipboard(records.Records.back(), PictureStyleOf(settings_, PictureSquare));
}

void TMainForm::CopyPreviewRecordPicture() {
  const TPictureRecords records = ReadPictureRecords(previewEPD_, settings_, *fontInfoMan_);
  std::vector<int> captionLines;
  for (const TPictureRecord& rec : records.Records) captionLines.push_back(!rec.Caption.empty());
  const int at = RecordAtPosition(*Memo1->document(), Memo1->textCursor().position(),
                                  QString::fromStdString(settings_.DiagFont), captionLines);
  if (at < 0) {
    QApplication::beep();
    return;
  }
  PutPictureOnClipboard(records.Records[static_cast<std::size_t>(at)],
                        PictureStyleOf(settings_, PictureSquare));
}

#else

// Builds without pictures have no picture commands.
void TMainForm::ExportPictures1Click() {}
void TMainForm::CopyPicture1Click() {}

#endif

}  // namespace bq
