// The window's picture commands: Save As PDF, Export Pictures, Copy
// Diagram as Picture.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "app/mainform.h"
#include "render/picturewriter.h"
#include "support/errors.h"
#include "testsupport.h"

using namespace bq;
using bq::test::TTempProgram;

namespace {

const QString kGood1 = "1k1r4/pp1b1R2/3q2pp/4p3/2B5/4Q3/PPP2B2/2K5 b - - bm Qd1+; id \"BK.01\";";
const QString kGood2 = "3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/2R5 w - - bm d5; id \"BK.02\";";
const QString kGood3 =
    "2q1rr1k/3bbnnp/p2p1pp1/2pPp3/PpP1P1P1/1P2BNNP/2BQ1PRK/7R b - - id \"BK.03\";";
const QByteArray kMerida = "[General]\nDiagFont=Chess Merida\nDiagFontCharSet=0\nShowCoords=1\n";

QStringList Files(const QString& dir) {
  return QDir(dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries, QDir::Name);
}

}  // namespace

class TPicturesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TTempProgram> prog_;
  std::unique_ptr<TMainForm> form_;
  QStringList errors_;

  TMainForm& Create(const QString& epd, const QByteArray& settings = kMerida) {
    prog_->Write("boardquill.ini", settings);
    form_ = std::make_unique<TMainForm>();
    form_->Presenter.ShowMessage = [this](QWidget*, const QString& text) { errors_ << text; };
    form_->Presenter.ReportError = [this](QWidget*, const QString& text) { errors_ << text; };
    form_->Memo2->setPlainText(epd);
    form_->ConvertEPD();
    return *form_;
  }

  // The picture of the text's last record as `convert` draws it.
  QByteArray Picture(const TMainForm& form, const QString& text, TPictureFormat format,
                     int square = 40) const {
    struct TLast : TRecordSink {
      TLast(const TConvertJob& job, TPictureFormat format) : Writer(job, format) {}
      void Add(const TRecord& rec) override { Writer.Write(rec, Bytes); }
      void Finish(const std::vector<std::string>&) override {}
      TPictureWriter Writer;
      std::string Bytes;
    };
    const TConvertJob job = form.Job(TOutputFormat::Png, {.SquarePx = square});
    TLast last(job, format);
    ConvertEPDText(text.toStdString(), job, last);
    return QByteArray::fromStdString(last.Bytes);
  }

  static QByteArray ClipboardPng() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    return mime ? mime->data("image/png") : QByteArray();
  }

  // The preview's cursor in the n-th block whose text contains `needle`.
  static void PutPreviewCursor(TMainForm& form, const QString& needle) {
    const QTextCursor found = form.Memo1->document()->find(needle);
    QVERIFY2(!found.isNull(), qPrintable(needle));
    QTextCursor c(form.Memo1->document());
    c.setPosition(found.selectionStart());
    form.Memo1->setTextCursor(c);
  }

 private slots:
  void init() {
    prog_ = std::make_unique<TTempProgram>();
    errors_.clear();
    QGuiApplication::clipboard()->clear();
  }
  void cleanup() {
    form_.reset();
    prog_.reset();
  }

  void saveAsWritesPdfOrRtfByName() {
    TMainForm& form = Create(kGood1 + "\n" + kGood2);
    form.SaveDocument(prog_->Path("out.pdf"));
    QVERIFY(prog_->Read("out.pdf").startsWith("%PDF-"));
    QVERIFY(prog_->Read("out.pdf").trimmed().endsWith("%%EOF"));
    form.SaveDocument(prog_->Path("out.rtf"));
    QCOMPARE(prog_->Read("out.rtf"), QByteArray::fromStdString(form.PreviewDocument()));
    const QString bad = prog_->Path("no/such/x.pdf");
    try {
      form.SaveDocument(bad);
      QFAIL("no error");
    } catch (const TRunError& e) {
      QCOMPARE(QString(e.what()), "Unable to write to " + bad);
    }
    QCOMPARE(form.SaveDir, QFileInfo(bad).path().toStdString() + "/");
  }

  // Each record's picture, in record order, at the chosen square size.
  void exportWritesOnePicturePerRecord() {
    TMainForm& form = Create(kGood1 + "\n\n" + kGood2 + "\n" + kGood3);
    const QString dir = prog_->Path("pics");
    QVERIFY(form.ExportPictures(dir, false, 30));
    QCOMPARE(Files(dir), QStringList({"0001.png", "0002.png", "0003.png"}));
    QCOMPARE(prog_->Read("pics/0002.png"), Picture(form, kGood2, TPictureFormat::Png, 30));
    QCOMPARE(prog_->Read("pics/0003.png"), Picture(form, kGood3, TPictureFormat::Png, 30));
    QVERIFY(form.ExportPictures(prog_->Path("svgs"), true, 40));
    QCOMPARE(prog_->Read("svgs/0001.svg"), Picture(form, kGood1, TPictureFormat::Svg));
    // A folder with files is refused whole: nothing of it replaced.
    QVERIFY_THROWS_EXCEPTION(TRunError, form.ExportPictures(dir, true, 40));
    QCOMPARE(Files(dir), QStringList({"0001.png", "0002.png", "0003.png"}));
  }

  // Export Pictures... proposes a folder named after the opened file, beside
  // it, and after an export beside that one.
  void exportProposesAFolderBesideTheLastFile() {
    TMainForm& form = Create("");
    QVERIFY(QDir().mkpath(prog_->Path("in")) && QDir().mkpath(prog_->Path("out")));
    prog_->Write("in/bk.epd", (kGood1 + "\n" + kGood2).toUtf8());
    form.OpenFile(prog_->Path("in/bk.epd"));
    form.ConvertEPD();
    // Shows what the dialog proposes, then puts `folder` in it and accepts
    // it unless it is empty.
    auto exportTo = [&form](const QString& folder) {
      QString path;
      QTimer::singleShot(0, &form, [&] {
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        auto* edit = dlg->findChild<QLineEdit*>("ExportFolder");
        path = edit->text();
        edit->setText(folder);
        folder.isEmpty() ? dlg->reject() : dlg->accept();
      });
      form.ExportPictures1Click();
      return path;
    };
    QCOMPARE(exportTo(prog_->Path("out/pics")), prog_->Path("in/bk-pictures"));
    QCOMPARE(Files(prog_->Path("out/pics")), QStringList({"0001.png", "0002.png"}));
    QCOMPARE(exportTo(""), prog_->Path("out/bk-pictures"));
  }

  void cancelledExportLeavesNothing() {
    QString epd;
    for (int i = 0; i < 40; ++i) epd += kGood1 + "\n";
    TMainForm& form = Create(epd);
    form.show();
    form.ExportProgressDelayMs = 0;
    QTimer::singleShot(0, &form, [&form] {
      if (auto* progress = form.findChild<QProgressDialog*>("ExportProgress")) progress->cancel();
    });
    QVERIFY(!form.ExportPictures(prog_->Path("pics"), false, 40));
    QVERIFY(!QFileInfo::exists(prog_->Path("pics")));
    QCOMPARE(Files(QFileInfo(prog_->Path("pics")).path()).filter("pics"), QStringList());
  }

  // The record under the preview's cursor: its board, the lines above it,
  // its caption.
  void copyPictureTakesTheRecordUnderThePreviewCursor() {
    TMainForm& form =
        Create(kGood1 + "\n" + kGood2 + "\n" + kGood3, kMerida + "Caption=Caption {n}\n");
    PutPreviewCursor(form, "bm: d5");
    form.CopyPicture1Click();
    QCOMPARE(ClipboardPng(), Picture(form, kGood1 + "\n" + kGood2, TPictureFormat::Png));
    PutPreviewCursor(form, "Caption 3");
    form.CopyPicture1Click();
    const QByteArray third =
        Picture(form, kGood1 + "\n" + kGood2 + "\n" + kGood3, TPictureFormat::Png);
    QCOMPARE(ClipboardPng(), third);
    QVERIFY(ClipboardPng() != Picture(form, kGood1 + "\n" + kGood2, TPictureFormat::Png));
    // The second board's last row: the next record's text lies below.
    PutPreviewCursor(form, "Caption 2");
    QTextCursor c = form.Memo1->textCursor();
    c.movePosition(QTextCursor::PreviousBlock);
    form.Memo1->setTextCursor(c);
    form.CopyPicture1Click();
    QCOMPARE(ClipboardPng(), Picture(form, kGood1 + "\n" + kGood2, TPictureFormat::Png));
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    QVERIFY(mime->data("image/svg+xml").contains("<svg"));
  }

  // Picture diagrams: one image per diagram in the preview, the document on
  // the clipboard, and Copy Diagram as Picture still finds the record under
  // the preview's cursor.
  void pictureDiagramsAreImagesOfThePreview() {
    TMainForm& form =
        Create(kGood1 + "\n" + kGood2 + "\n" + kGood3, kMerida + "DiagramStyle=picture\n");
    form.show();  // the first start sizes the window for one diagram
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
    QCOMPARE(form.StyleStatusLbl->text(), QString("Diagrams as pictures"));
    const QString rtf = QString::fromStdString(form.PreviewDocument());
    QCOMPARE(rtf.count("{\\pict\\pngblip"), 3);
    int images = 0;
    for (QTextBlock b = form.Memo1->document()->begin(); b.isValid(); b = b.next())
      for (auto it = b.begin(); !it.atEnd(); ++it)
        images += it.fragment().charFormat().isImageFormat() ? 1 : 0;
    QCOMPARE(images, 3);
    form.Pa1Click();
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(mime->data("text/rtf"), QByteArray::fromStdString(form.PreviewDocument()));
    QVERIFY(mime->text().startsWith("id: \"BK.01\"\nbm: Qd1+\n\nid:"));
    PutPreviewCursor(form, "bm: d5");
    form.CopyPicture1Click();
    QCOMPARE(ClipboardPng(), Picture(form, kGood1 + "\n" + kGood2, TPictureFormat::Png));

    // Games as text take picture diagrams too, marks drawn in them.
    Create("1. e4 e5 2. Nf3 {[%cal Gf3e5]} $220 Nc6 1-0\n",
           kMerida + "DiagramStyle=picture\nGameText=1\n");
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
    QCOMPARE(QString::fromStdString(form_->PreviewDocument()).count("{\\pict\\pngblip"), 1);
    QVERIFY(form_->MarksStatusLbl->isHidden());
  }

  // Ctrl+Shift+C in the EPD pane: the line under its cursor; a blank line
  // leaves the clipboard alone.
  void ctrlShiftCInThePaneTakesTheCursorLine() {
    TMainForm& form = Create(kGood1 + "\n\n" + kGood2);
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.Memo2->setFocus();
    QTextCursor c(form.Memo2->document()->findBlockByNumber(2));
    form.Memo2->setTextCursor(c);
    QTest::keyClick(form.Memo2, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(ClipboardPng(), Picture(form, kGood2, TPictureFormat::Png));
    QGuiApplication::clipboard()->clear();
    form.Memo2->setTextCursor(QTextCursor(form.Memo2->document()->findBlockByNumber(1)));
    QTest::keyClick(form.Memo2, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(ClipboardPng().isEmpty());
    QCOMPARE(form.Memo2->toPlainText(), kGood1 + "\n\n" + kGood2);
    QVERIFY(errors_.isEmpty());
  }
};

QTEST_MAIN(TPicturesTest)
#include "pictures_test.moc"
