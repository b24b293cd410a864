// The main window: paste, convert, copy, shortcuts, settings and Open.
#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>
#include <memory>

#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#include <unistd.h>
#endif

#include "app/mainform.h"
#include "app/winplace.h"
#include "convert/gametextdriver.h"
#include "convert/marks.h"
#include "games/pgnepd.h"
#include "support/errors.h"
#include "testsupport.h"

using namespace bq;
using bq::test::TTempProgram;

namespace {

const QString kGood1 = "1k1r4/pp1b1R2/3q2pp/4p3/2B5/4Q3/PPP2B2/2K5 b - - bm Qd1+; id \"BK.01\";";
const QString kGood2 = "3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/2R5 w - - bm d5; id \"BK.02\";";
const char* const kRichTypes[] = {"text/rtf", "application/rtf", "text/richtext",
                                  "application/x-qt-windows-mime;value=\"Rich Text Format\""};

const QByteArray kMeridaSettings = "[General]\nDiagFont=Chess Merida\nDiagFontCharSet=0\n";
const QByteArray kMeridaCoords = kMeridaSettings + "ShowCoords=1\n";

// One step of a thousand characters per turn of the event loop: a preview
// of a few dozen diagrams takes several turns to lay out.
constexpr TLayoutPacing kSmallSlices{0, 1000};

QString ManyPositions(int count) {
  QString epd;
  for (int i = 0; i < count; ++i) epd += (i % 2 ? kGood2 : kGood1) + "\n";
  return epd;
}

// The bottom of the preview's first diagram: the last of the first blocks
// in the diagram font.
qreal FirstDiagramBottom(const QTextEdit& preview) {
  const QTextDocument* doc = preview.document();
  qreal bottom = -1;
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
    const bool diagram =
        b.begin() != b.end() &&
        b.begin().fragment().charFormat().font().families().value(0) == "Chess Merida";
    if (diagram) bottom = doc->documentLayout()->blockBoundingRect(b).bottom();
    if (!diagram && bottom >= 0) break;
  }
  return bottom;
}

#ifdef Q_OS_LINUX
// Counts the writes and replacements of one file of a folder since the
// counter was made.
class TWriteCounter {
 public:
  TWriteCounter(const QString& folder, const QString& name)
      : fd_(inotify_init1(IN_NONBLOCK)), name_(name.toLocal8Bit()) {
    inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_CLOSE_WRITE | IN_MOVED_TO);
  }
  ~TWriteCounter() { ::close(fd_); }
  TWriteCounter(const TWriteCounter&) = delete;
  TWriteCounter& operator=(const TWriteCounter&) = delete;

  int Count() {
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;) {
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->len > 0 && name_ == event->name) ++count_;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return count_;
  }

 private:
  int fd_;
  QByteArray name_;
  int count_ = 0;
};
#endif

// A mark's colour over white, as typed diagrams shade a square with it.
QColor OverWhite(TMarkColour colour) {
  const TMarkPaint& paint = kMarkPaints[static_cast<std::size_t>(colour)];
  auto part = [&](int shift) {
    const int c = (paint.Rgb >> shift) & 0xFF, a = paint.Alpha;
    return qRound(c * a / 255.0 + 255 * (255 - a) / 255.0);
  };
  return QColor(part(16), part(8), part(0));
}

// The preview's shaded characters: column and line from the board's first
// line, and colour.
using TShading = QList<std::pair<QPoint, QColor>>;
TShading PreviewShading(const QTextDocument& doc, const QString& diagramFont) {
  const QString text = doc.toPlainText();
  auto lineOf = [&](int at) { return static_cast<int>(text.left(at).count(QLatin1Char('\n'))); };
  int board = -1;
  TShading shading;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    for (auto it = b.begin(); it != b.end(); ++it) {
      const QTextFragment f = it.fragment();
      if (board < 0 && f.charFormat().font().families().value(0) == diagramFont)
        board = lineOf(f.position());
      if (!f.charFormat().hasProperty(QTextFormat::BackgroundBrush)) continue;
      const int column = f.position() - static_cast<int>(text.lastIndexOf('\n', f.position())) - 1;
      shading.append(
          {QPoint(column, lineOf(f.position()) - board), f.charFormat().background().color()});
    }
  }
  return shading;
}

bool WholePreviewSelected(const TMainForm& form) {
  const QTextCursor c = form.Memo1->textCursor();
  return c.selectionStart() == 0 &&
         c.selectionEnd() == form.Memo1->document()->characterCount() - 1;
}

}  // namespace

class TMainFormTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TTempProgram> prog_;
  std::unique_ptr<TMainForm> form_;
  QStringList messages_;
  QStringList errors_;

  TMainForm& Create(const QByteArray& settings = {}) {
    if (!settings.isEmpty()) prog_->Write("boardquill.ini", settings);
    form_ = std::make_unique<TMainForm>();
    form_->Presenter.ShowMessage = [this](QWidget*, const QString& text) { messages_ << text; };
    form_->Presenter.ReportError = [this](QWidget*, const QString& text) { errors_ << text; };
    return *form_;
  }

  void ShowActive(TMainForm& form) {
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
  }

  std::string Expected(const TMainForm& form, const QString& text) const {
    const TRtfResult r = ConvertEPDText(text.toStdString(), form.Job());
    return r.Document;
  }

  // A drag that enters `target` and, when accepted there, drops.
  static bool Drop(QWidget* target, const QMimeData& data) {
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
  }

  static QByteArray Rich() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    return mime ? mime->data("text/rtf") : QByteArray();
  }

 private slots:
  void init() {
    prog_ = std::make_unique<TTempProgram>();
    messages_.clear();
    errors_.clear();
    QGuiApplication::clipboard()->clear();
  }
  void cleanup() {
    form_.reset();
    prog_.reset();
  }

  void pasteConvertsAndCopiesTheDocument() {
    TMainForm& form = Create(kMeridaSettings);
    ShowActive(form);
    form.Memo2->setPlainText("former content");
    const QString epd = kGood1 + "\n" + kGood2 + "\n";
    QGuiApplication::clipboard()->setText(epd);
    form.CopyFEN1Click();

    QVERIFY(messages_.isEmpty());
    QCOMPARE(form.Memo2->toPlainText(), epd);
    const std::string expected = Expected(form, epd);
    QVERIFY(!expected.empty());
    QCOMPARE(form.PreviewDocument(), expected);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    for (const char* type : kRichTypes) {
      QVERIFY2(mime->hasFormat(type), type);
      QCOMPARE(mime->data(type), QByteArray::fromStdString(expected));
    }
    QVERIFY(mime->hasText());
    QCOMPARE(mime->text(), form.Memo1->toPlainText());
    // The focus ends in the preview with everything selected.
    QCOMPARE(QApplication::focusWidget(), form.Memo1);
    const QTextCursor sel = form.Memo1->textCursor();
    QCOMPARE(sel.selectionStart(), 0);
    QCOMPARE(sel.selectionEnd(), form.Memo1->document()->characterCount() - 1);
  }

  void pasteWithoutAutoOnlyReplacesTheEPDPane() {
    TMainForm& form = Create(kMeridaSettings);
    ShowActive(form);
    form.Memo2->setPlainText(kGood1);
    form.ConvertEPDtoRTF1Click();
    const std::string before = form.PreviewDocument();
    QVERIFY(!before.empty());
    QVERIFY(Rich().isEmpty());  // F9 copies nothing

    form.MAutoCopyafterPaste->setChecked(false);
    QGuiApplication::clipboard()->setText(kGood2);
    form.CopyFEN1Click();
    QCOMPARE(form.Memo2->toPlainText(), kGood2);
    QCOMPARE(form.PreviewDocument(), before);
    QCOMPARE(QGuiApplication::clipboard()->text(), kGood2);
    QVERIFY(Rich().isEmpty());
  }

  void badLineGivesOneMessageAndAnEmptyPreview() {
    TMainForm& form = Create(kMeridaSettings);
    ShowActive(form);
    form.Memo2->setPlainText(kGood1);
    form.ConvertEPDtoRTF1Click();
    QVERIFY(!form.Memo1->toPlainText().isEmpty());

    const QString epd = kGood1 + "\n\nnot an epd line\n" + kGood2;
    QGuiApplication::clipboard()->setText(epd);
    form.CopyFEN1Click();
    QCOMPARE(messages_.size(), 1);
    QVERIFY2(messages_[0].startsWith("Error in EPD string 3\n"), qPrintable(messages_[0]));
    QVERIFY(messages_[0].size() > QString("Error in EPD string 3\n").size());  // the reason
    QVERIFY(form.Memo1->toPlainText().isEmpty());
    QVERIFY(form.PreviewDocument().empty());
    // Copy RTF still ran: the clipboard keeps what was there, as the preview
    // is empty. Then the bad line is shown: the focus is back in the EPD pane.
    QCOMPARE(QGuiApplication::clipboard()->text(), epd);
    QCOMPARE(QApplication::focusWidget(), form.Memo2);
    QVERIFY(errors_.isEmpty());
  }

  // The bad line is highlighted and the cursor stands where the reason
  // points, counted in the trimmed line as the reader counts.
  void badLineIsShownWithTheCursorAtTheColumn() {
    TMainForm& form = Create(kMeridaSettings);
    ShowActive(form);
    QString bad = kGood1;
    bad.replace(" b - -", " W - -");
    const QString line = "  \t" + bad;
    const QString epd = "# \u00e9 comment\n" + kGood2 + "\n" + line + "\n" + kGood1 + "\n";
    form.Memo2->setPlainText(epd);
    form.ConvertEPDtoRTF1Click();
    QCOMPARE(messages_.size(), 1);
    QVERIFY2(messages_[0].contains("found \"W\" at column 44"), qPrintable(messages_[0]));
    QCOMPARE(QApplication::focusWidget(), form.Memo2);
    const int lineStart = epd.indexOf(line);
    const QTextCursor caret = form.Memo2->textCursor();
    QVERIFY(!caret.hasSelection());
    QCOMPARE(caret.position(), lineStart + 3 + 43);
    QCOMPARE(epd[caret.position()], QChar('W'));
    const auto highlight = form.Memo2->extraSelections();
    QCOMPARE(highlight.size(), 1);
    QCOMPARE(highlight[0].cursor.selectedText(), line);
    // Editing ends the highlight.
    form.Memo2->insertPlainText("b");
    QVERIFY(form.Memo2->extraSelections().isEmpty());

    // A reason without a column: the cursor at the start of the record.
    form.Memo2->setPlainText(kGood1 + "\n   8/8/8/8/8/8/8/8\n");
    form.ConvertEPD();
    QCOMPARE(form.Memo2->textCursor().position(), kGood1.size() + 1 + 3);
  }

  // Games in the pane give the diagrams of their marked moves; a bad move
  // is shown where it stands.
  void gamesInThePaneGiveTheirDiagrams() {
    TMainForm& form = Create(kMeridaSettings);
    ShowActive(form);
    const QString pgn = "[White \"A\"]\n[Black \"B\"]\n\n1. e4 e5 2. Nf3 $220 Nc6 *\n";
    form.Memo2->setPlainText(pgn);
    form.ConvertEPD();
    QVERIFY(messages_.isEmpty());
    const TPgnEpdText records = PgnToEpdText(pgn.toStdString());
    QVERIFY(records.Ok && !records.Text.empty());
    QCOMPARE(form.PreviewDocument(), Expected(form, QString::fromStdString(records.Text)));

    const QString bad = "[White \"A\"]\n\n1. e4 e5\n2. Qxf7+ *\n";
    form.Memo2->setPlainText(bad);
    form.ConvertEPD();
    QCOMPARE(messages_.size(), 1);
    QVERIFY2(messages_[0].startsWith("Error in game 1\n"), qPrintable(messages_[0]));
    QCOMPARE(form.Memo2->textCursor().position(), bad.indexOf("Qxf7"));
    QCOMPARE(form.Memo2->extraSelections().value(0).cursor.selectedText(), QString("2. Qxf7+ *"));
  }

  // With game text, a game with comments and variations shows as a book
  // page: the main line bold, the variation indented, figurines in the
  // figurine font, the diagram in the diagram font, the text wrapped at a
  // column's width; Copy RTF carries it, and three columns are refused.
  void gamesAsTextInThePreview() {
    TMainForm& form = Create(kMeridaSettings + "GameText=1\nColumns=2\n");
    ShowActive(form);
    const QString pgn =
        "[White \"A\"]\n[Black \"B\"]\n\n{Intro} 1. e4 e5 2. Nf3 (2. Bc4 {the bishop " +
        QString("word ").repeated(60) + "}) 2... Nc6 $220 {good} *\n";
    form.Memo2->setPlainText(pgn);
    form.ConvertEPDtoRTF1Click();
    QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
    const std::string expected =
        ConvertGameText(pgn.toStdString(), GameTextJob(form.Job()), form.GameDiagrams()).Document;
    QCOMPARE(form.PreviewDocument(), expected);
    form.Pa1Click();
    QCOMPARE(Rich(), QByteArray::fromStdString(expected));

    const QTextDocument* doc = form.Memo1->document();
    const auto block = [&](const QString& start) {
      for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        if (b.text().startsWith(start)) return b;
      return QTextBlock();
    };
    const QTextBlock main = block("Intro 1.e4"),
                     variation = block(QString::fromUtf8("2.\u2657c4 the bishop"));
    QVERIFY(main.isValid() && variation.isValid());
    QCOMPARE(variation.blockFormat().leftMargin(),
             kGameTextIndent / 1440.0 * form.Memo1->logicalDpiY());
    QCOMPARE(main.blockFormat().leftMargin(), 0.0);
    QVERIFY(variation.layout()->lineCount() > 1);  // wrapped in its column
    for (QTextBlock::iterator it = main.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      const QFont font = f.charFormat().font();
      if (f.text().contains(QChar(0x2658)))
        QCOMPARE(font.families().value(0), QString("DejaVu Sans"));
      if (f.text().contains("e5")) QVERIFY(font.bold());
      if (f.text().contains("Intro")) QVERIFY(!font.bold());
    }
    QVERIFY(FirstDiagramBottom(*form.Memo1) > 0);
    QVERIFY(form.FontStatusLbl->text().contains("figurine notation"));

    TConvertSettings three = form.ConvertSettings();
    three.Layout.Columns = 3;
    form.SetConvertSettings(three);
    form.ConvertEPDtoRTF1Click();
    QCOMPARE(messages_.size(), 1);
    QVERIFY2(messages_[0].contains("game text flows in 1 or 2 columns, not 3"),
             qPrintable(messages_[0]));
    QVERIFY(form.PreviewDocument().empty());
  }

  void emptyOrBlankPaneGivesNoMessage() {
    TMainForm& form = Create(kMeridaSettings);
    form.Memo2->setPlainText("  \n\t\n");
    form.ConvertEPD();
    QVERIFY(messages_.isEmpty());
    QVERIFY(form.Memo1->toPlainText().isEmpty());
  }

  void ctrlCInTheEPDPaneCopiesThePreview() {
    TMainForm& form = Create(kMeridaSettings);
    ShowActive(form);
    form.Memo2->setPlainText(kGood1);
    form.ConvertEPDtoRTF1Click();
    form.Memo2->setFocus();
    form.Memo2->selectAll();
    QCOMPARE(QApplication::focusWidget(), form.Memo2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(Rich(), QByteArray::fromStdString(form.PreviewDocument()));
    QCOMPARE(QApplication::focusWidget(), form.Memo1);
  }

  void ctrlVInTheEPDPaneRunsPasteEPD() {
    TMainForm& form = Create(kMeridaSettings);
    ShowActive(form);
    form.MAutoCopyafterPaste->setChecked(false);
    form.Memo2->setPlainText("keep me? no");
    form.Memo2->setFocus();
    QTextCursor c = form.Memo2->textCursor();
    c.setPosition(4);
    form.Memo2->setTextCursor(c);
    QGuiApplication::clipboard()->setText(kGood1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form.Memo2->toPlainText(), kGood1);  // replaced, not inserted at the caret

    form.MAutoCopyafterPaste->setChecked(true);
    form.Memo2->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form.Memo2->toPlainText(), kGood1);
    QCOMPARE(Rich(), QByteArray::fromStdString(Expected(form, kGood1)));
  }

  // From the start and after every change of the settings.
  void statusLineTellsWhyDiagramsStayEmpty() {
    const QByteArray ini =
        "[Chess Fonts]\nFonts=2\nFont1=Chess Merida\nFont2=Chess Nowhere\n[Chess Merida]\n"
        "Charset=0\n[Chess Nowhere]\nCharset=0\n";
    prog_.reset();  // its end forgets the program folder
    prog_ = std::make_unique<TTempProgram>(&ini);
    TMainForm& form = Create("[General]\nDiagFont=Chess Nowhere\n");
    QCOMPARE(form.FontStatusLbl->text(),
             QString("Chess Nowhere is not installed: install the free diagram fonts "
                     "(install-fonts.sh) or choose another font in File > Settings..."));
    // The first start makes room for it on one line.
    ShowActive(form);
    const QLabel& status = *form.FontStatusLbl;
    QVERIFY(status.heightForWidth(status.width()) < 2 * status.fontMetrics().lineSpacing());
    form.Memo2->setPlainText(kGood1);
    form.ConvertEPD();
    QVERIFY(!form.PreviewDocument().empty());  // the conversion itself goes on

    auto choose = [&form](const std::string& font) {
      TConvertSettings s = form.ConvertSettings();
      s.DiagFont = font;
      form.SetConvertSettings(s);
      return form.FontStatusLbl->text();
    };
    QCOMPARE(choose(""), QString("No diagram font chosen: File > Settings..."));
    QVERIFY(choose("DejaVu Sans")
                .startsWith("DejaVu Sans is installed, but ChsFonts.ini does not "
                            "describe its glyphs"));
    QVERIFY(choose("No Such Font").startsWith("No Such Font is neither installed nor described"));
    if (form.FontInfoMan().FontCount() == 0) QSKIP("Chess Merida is not installed");
    QVERIFY(choose("Chess Merida").isEmpty());
  }

  // Coloured squares shade their glyphs in the preview; arrows and circles,
  // which typed diagrams leave out, get a note in the status line.
  void previewShowsMarks() {
    TMainForm& form = Create(kMeridaSettings);
    const QLabel& note = *form.MarksStatusLbl;
    const QString squares = "8/8/8/8/8/8/8/K6k w - - csl \"Rd4,Ge5\";";
    const QString arrows = "8/8/8/8/8/8/8/K6k w - - cal \"Ge2e4,Rb1b1\";";
    form.Memo2->setPlainText(squares);
    form.ConvertEPD();
    QVERIFY(note.isHidden());
    // Lines counted from the top frame: e5 on the fifth, d4 on the sixth.
    const TShading shaded = {{QPoint(5, 4), OverWhite(TMarkColour::Green)},
                             {QPoint(4, 5), OverWhite(TMarkColour::Red)}};
    QCOMPARE(PreviewShading(*form.Memo1->document(), "Chess Merida"), shaded);

    const QString dropped = "arrows and circles need picture diagrams (--diagram-style picture)";
    form.Memo2->setPlainText(kGood1 + "\n" + arrows);
    form.ConvertEPD();
    QCOMPARE(note.text(), dropped);
    QVERIFY(!note.isHidden());
    form.Memo2->setPlainText(squares);
    form.ConvertEPD();
    QVERIFY(note.isHidden());
    // With the Marks setting off, no mark is read, none left out.
    TConvertSettings s = form.ConvertSettings();
    s.Marks = false;
    form.SetConvertSettings(s);
    form.Memo2->setPlainText(arrows);
    form.ConvertEPD();
    QVERIFY(!form.PreviewDocument().empty());
    QVERIFY(note.isHidden());
  }

  void firstStartDefaultsAndTheOneSaveOnClosing() {
#ifdef Q_OS_LINUX
    TWriteCounter writes(QFileInfo(prog_->Path("boardquill.ini")).path(), "boardquill.ini");
#endif
    TMainForm& form = Create();
    const TConvertSettings& s = form.ConvertSettings();
    QVERIFY(s.DiagFont.empty());
    QCOMPARE(s.DiagFontCharSet, 0);
    QCOMPARE(s.DiagFontSize, 20);
    QVERIFY(!s.ShowCoords);
    QCOMPARE(s.TextFont, std::string("Arial"));
    QCOMPARE(s.TextFontSize, 10);
    QCOMPARE(s.Operations, std::string("id,bm"));
    QVERIFY(form.OpenDir.empty());
    form.show();
    QVERIFY(form.AutoCopy());
    TConvertSettings changed = s;
    changed.DiagFontSize = 33;  // changed in memory only
    form.SetConvertSettings(changed);
    form.MAutoCopyafterPaste->setChecked(false);
    form.hide();
    form.show();
    QVERIFY(!QFileInfo::exists(prog_->Path("boardquill.ini")));  // not before closing
    form.close();
#ifdef Q_OS_LINUX
    QCOMPARE(writes.Count(), 1);
#endif
    QCOMPARE(prog_->Keys("MainForm"),
             (QStringList{"Top", "Left", "Right", "Bottom", "State", "Splitter"}));
    QCOMPARE(prog_->Value("MainForm", "State"), std::string("2"));
    QCOMPARE(prog_->Keys("General"),
             (QStringList{"AutoCopy", "DiagFont", "DiagFontCharSet", "DiagFontSize", "ShowCoords",
                          "TextFont", "TextFontSize", "Operations", "OpenDir"}));
    QCOMPARE(prog_->Value("General", "AutoCopy"), std::string("0"));
    QCOMPARE(prog_->Value("General", "DiagFontSize"), std::string("33"));
    QCOMPARE(prog_->Value("General", "ShowCoords"), std::string("0"));
    QCOMPARE(prog_->Value("General", "Operations"), std::string("id,bm"));
    QCOMPARE(prog_->Value("General", "DiagFont"), std::string(""));
    QVERIFY(prog_->Keys("RecentFiles").isEmpty());
    // The window goes without writing again, also after a second close.
    const QByteArray saved = prog_->Read("boardquill.ini");
    QFile::remove(prog_->Path("boardquill.ini"));
    form.close();
    form_.reset();
    QVERIFY(!QFileInfo::exists(prog_->Path("boardquill.ini")));
#ifdef Q_OS_LINUX
    QCOMPARE(writes.Count(), 1);
#endif
    // A window closed unshown keeps the stored placement and AutoCopy.
    prog_->Write("boardquill.ini", saved);
    Create().close();
    QCOMPARE(prog_->Read("boardquill.ini"), saved);
  }

  void settingsAreReadAtCreation() {
    TMainForm& form = Create(
        "[General]\nOpenDir=/tmp/epd/\nDiagFont=Chess Merida\nDiagFontCharSet=$2\n"
        "DiagFontSize= 0x1F \nShowCoords=-1\nTextFont=DejaVu Sans\nTextFontSize=abc\n"
        "Operations=bm,id,c0\nAutoCopy=0\n");
    const TConvertSettings& s = form.ConvertSettings();
    QCOMPARE(form.OpenDir, std::string("/tmp/epd/"));
    QCOMPARE(s.DiagFont, std::string("Chess Merida"));
    QCOMPARE(s.DiagFontCharSet, 2);
    QCOMPARE(s.DiagFontSize, 31);
    QVERIFY(s.ShowCoords);
    QCOMPARE(s.TextFont, std::string("DejaVu Sans"));
    QCOMPARE(s.TextFontSize, 10);  // not an integer: the default
    QCOMPARE(s.Operations, std::string("bm,id,c0"));
    form.show();
    QVERIFY(!form.AutoCopy());  // read when the window is shown
  }

  void openLoadsRTFAndPlainFiles() {
    TMainForm& form = Create();
    prog_->Write("a.rtf", "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 " + kGood1.toUtf8() + "\\par}");
    form.OpenFile(prog_->Path("a.rtf"));
    QCOMPARE(form.Memo2->toPlainText(), kGood1);
    const std::string folder = QFileInfo(prog_->Path("a.rtf")).path().toStdString() + "/";
    QCOMPARE(form.OpenDir, folder);

    prog_->Write("b.epd", (kGood1 + "\r\n" + kGood2 + "\r\n").toUtf8());
    form.OpenFile(prog_->Path("b.epd"));
    QCOMPARE(form.Memo2->toPlainText(), kGood1 + "\n" + kGood2 + "\n");
    QVERIFY(form.PreviewDocument().empty());  // no conversion started
  }

  void openFailuresKeepTheNewFolder() {
    TMainForm& form = Create();
    form.Memo2->setPlainText("unchanged");
    const QString missing = prog_->Path("sub/none.epd");
    try {
      form.OpenFile(missing);
      QFAIL("no error");
    } catch (const TRunError& e) {
      QCOMPARE(QString(e.what()), "Cannot open file " + missing);
    }
    QCOMPARE(form.OpenDir, QFileInfo(missing).path().toStdString() + "/");
    QCOMPARE(form.Memo2->toPlainText(), QString("unchanged"));
  }

  // Selecting a large preview waits until it is laid out between events.
  void largePreviewIsSelectedOnceLaidOut() {
    TMainForm& form = Create(kMeridaSettings);
    ShowActive(form);
    form.PreviewPacing = kSmallSlices;
    const QString epd = ManyPositions(40);
    QGuiApplication::clipboard()->setText(epd);
    form.CopyFEN1Click();

    // The clipboard does not wait.
    QCOMPARE(Rich(), QByteArray::fromStdString(Expected(form, epd)));
    QCOMPARE(QGuiApplication::clipboard()->mimeData()->text(), form.Memo1->toPlainText());
    QCOMPARE(QApplication::focusWidget(), form.Memo1);
    QVERIFY(form.SelectionPending());
    QVERIFY(!WholePreviewSelected(form));
    QCOMPARE(form.Memo1->viewport()->cursor().shape(), Qt::BusyCursor);
    // Painting further down meanwhile lays that part out first.
    QScrollBar* bar = form.Memo1->verticalScrollBar();
    bar->setValue(bar->maximum());
    form.Memo1->viewport()->repaint();
    QVERIFY(form.SelectionPending());

    QTRY_VERIFY(WholePreviewSelected(form));
    QVERIFY(!form.SelectionPending());
    QCOMPARE(QApplication::focusWidget(), form.Memo1);
    QCOMPARE(form.Memo1->viewport()->cursor().shape(), Qt::IBeamCursor);
    // Qt's size report, held back during the layout, reaches the scroll bar.
    const int height = qRound(form.Memo1->document()->documentLayout()->documentSize().height());
    QTRY_COMPARE(bar->maximum(), height - form.Memo1->viewport()->height());
  }

  void pendingSelectionAndNewCommands() {
    TMainForm& form = Create(kMeridaSettings);
    ShowActive(form);
    form.PreviewPacing = kSmallSlices;
    const QString first = ManyPositions(40);
    const QString second = ManyPositions(30);

    // Copy RTF again while a selection waits: still one selection, and the
    // busy cursor does not stick.
    QGuiApplication::clipboard()->setText(first);
    form.CopyFEN1Click();
    QVERIFY(form.SelectionPending());
    form.Pa1Click();
    QVERIFY(form.SelectionPending());
    QTRY_VERIFY(WholePreviewSelected(form));
    QCOMPARE(form.Memo1->viewport()->cursor().shape(), Qt::IBeamCursor);

    // Paste EPD again: the new preview is copied and selected.
    QGuiApplication::clipboard()->setText(first);
    form.CopyFEN1Click();
    QVERIFY(form.SelectionPending());
    QGuiApplication::clipboard()->setText(second);
    form.CopyFEN1Click();
    QCOMPARE(Rich(), QByteArray::fromStdString(Expected(form, second)));
    QTRY_VERIFY(WholePreviewSelected(form));
    QCOMPARE(form.Memo1->toPlainText(), QGuiApplication::clipboard()->mimeData()->text());

    // Convert (F9) while a selection waits: the new preview is not selected.
    QGuiApplication::clipboard()->setText(first);
    form.CopyFEN1Click();
    QVERIFY(form.SelectionPending());
    form.Memo2->setPlainText(second);
    form.ConvertEPDtoRTF1Click();
    QVERIFY(!form.SelectionPending());
    QCOMPARE(form.Memo1->viewport()->cursor().shape(), Qt::IBeamCursor);
    QTest::qWait(100);
    QVERIFY(!form.Memo1->textCursor().hasSelection());
    QCOMPARE(form.PreviewDocument(), Expected(form, second));
  }

  void movingTheCursorMeanwhileKeepsTheUsersChoice() {
    TMainForm& form = Create(kMeridaSettings);
    ShowActive(form);
    form.PreviewPacing = kSmallSlices;
    QGuiApplication::clipboard()->setText(ManyPositions(40));
    form.CopyFEN1Click();
    QVERIFY(form.SelectionPending());
    QTextCursor c = form.Memo1->textCursor();
    c.setPosition(5);
    form.Memo1->setTextCursor(c);
    QTRY_VERIFY(!form.SelectionPending());
    QCOMPARE(form.Memo1->textCursor().position(), 5);
    QVERIFY(!form.Memo1->textCursor().hasSelection());
  }

  void closingWithALayoutOrSelectionPendingIsSafe() {
    {
      TMainForm& form = Create(kMeridaSettings);
      ShowActive(form);
      form.PreviewPacing = kSmallSlices;
      QGuiApplication::clipboard()->setText(ManyPositions(40));
      form.CopyFEN1Click();
      QVERIFY(form.SelectionPending());
      form.close();
      form_.reset();
      QTest::qWait(50);
    }
    TMainForm& form = Create(kMeridaSettings);
    form.PreviewPacing = kSmallSlices;
    form.Memo2->setPlainText(ManyPositions(40));
    form.ConvertEPD();
    form_.reset();
    QTest::qWait(50);
  }

  void firstStartHoldsSixEPDLinesAndAWholeDiagram() {
    TMainForm& form = Create(kMeridaCoords);
    if (form.FontInfoMan().FontIndex("Chess Merida") < 0) QSKIP("Chess Merida is not installed");
    ShowActive(form);
    const QRect area = AvailableArea();
    QVERIFY(area.contains(form.frameGeometry()));
    QVERIFY(form.height() >= std::min(kFirstStartMinHeight, area.height() - 48));
    QVERIFY(form.Memo2->viewport()->height() >= 6 * form.Memo2->fontMetrics().lineSpacing());

    QGuiApplication::clipboard()->setText(kGood1 + "\n" + kGood2 + "\n");
    form.CopyFEN1Click();
    QTRY_VERIFY(WholePreviewSelected(form));
    const qreal bottom = FirstDiagramBottom(*form.Memo1);
    QVERIFY(bottom > 0);
    QVERIFY2(
        bottom <= form.Memo1->viewport()->height(),
        qPrintable(
            QString("diagram ends at %1 of %2").arg(bottom).arg(form.Memo1->viewport()->height())));
  }

  void splitterIsKeptWithThePlacement() {
    {
      TMainForm& form = Create();
      ShowActive(form);
      form.Splitter1->setSizes({150, form.Splitter1->height() - 150});
      form.close();
      QCOMPARE(prog_->Value("MainForm", "Splitter"), std::string("150"));
      form_.reset();
    }
    {
      TMainForm& form = Create();
      ShowActive(form);
      QCOMPARE(form.Splitter1->sizes().value(0), 150);
      form_.reset();
    }
    // A placement stored before the splitter existed: the window where it
    // was, the EPD pane with its six lines.
    prog_->Write("boardquill.ini", "[MainForm]\nTop=20\nLeft=10\nRight=610\nBottom=520\nState=2\n");
    TMainForm& form = Create();
    ShowActive(form);
    QCOMPARE(form.geometry(), QRect(10, 20, 600, 500));
    QVERIFY(form.Memo2->viewport()->height() >= 6 * form.Memo2->fontMetrics().lineSpacing());
  }

  void droppedFilesAndTextLoadAndConvert() {
    TMainForm& form = Create(kMeridaSettings);
    ShowActive(form);
    prog_->Write("a.epd", kGood1.toUtf8() + "\r\n");
    prog_->Write("b.TXT", kGood2.toUtf8());
    prog_->Write("c.png", "not epd");
    QMimeData picture;
    picture.setUrls({QUrl::fromLocalFile(prog_->Path("c.png"))});
    picture.setText(prog_->Path("c.png"));
    QVERIFY(!Drop(form.Memo2->viewport(), picture));

    QMimeData files;
    files.setUrls(
        {QUrl::fromLocalFile(prog_->Path("a.epd")), QUrl::fromLocalFile(prog_->Path("b.TXT"))});
    QVERIFY(Drop(form.Memo2->viewport(), files));
    const QString both = kGood1 + "\n" + kGood2;
    QTRY_COMPARE(form.Memo2->toPlainText(), both);
    QTRY_COMPARE(Rich(), QByteArray::fromStdString(Expected(form, both)));
    QCOMPARE(form.RecentFiles().Paths().front(), prog_->Path("b.TXT").toStdString());

    // Text dropped on the preview replaces the EPD pane as a paste does.
    QMimeData text;
    text.setText(kGood2);
    QVERIFY(Drop(form.Memo1->viewport(), text));
    QTRY_COMPARE(form.Memo2->toPlainText(), kGood2);
    QTRY_COMPARE(Rich(), QByteArray::fromStdString(Expected(form, kGood2)));

    // Without the Auto check mark only the pane changes.
    form.MAutoCopyafterPaste->setChecked(false);
    QGuiApplication::clipboard()->clear();
    text.setText(kGood1);
    QVERIFY(form.DropData(text));
    QCOMPARE(form.Memo2->toPlainText(), kGood1);
    QVERIFY(Rich().isEmpty());
    QVERIFY(messages_.isEmpty() && errors_.isEmpty());
  }

  void recentFilesNewestFirstAndMissingOnesPruned() {
    TMainForm& form = Create();
    std::vector<std::string> paths;
    for (int i = 0; i < 10; ++i) {
      const QString name = QString("f%1.epd").arg(i);
      prog_->Write(name, kGood1.toUtf8());
      paths.push_back(prog_->Path(name).toStdString());
    }
    for (int i = 0; i < 9; ++i) form.OpenFile(QString::fromStdString(paths[i]));
    form.OpenFile(QString::fromStdString(paths[3]));
    const std::vector<std::string> expected = {paths[3], paths[8], paths[7], paths[6],
                                               paths[5], paths[4], paths[2], paths[1]};
    QCOMPARE(form.RecentFiles().Paths(), expected);
    QCOMPARE(form.OpenRecent1->actions().size(), 8);
    QCOMPARE(form.OpenRecent1->actions()[0]->text(), "&1 " + QString::fromStdString(paths[3]));
    form_.reset();

    TMainForm& again = Create();  // kept in the settings file
    QCOMPARE(again.RecentFiles().Paths(), expected);
    QFile::remove(QString::fromStdString(paths[8]));
    again.Memo2->setPlainText("unchanged");
    again.OpenRecent(QString::fromStdString(paths[8]));
    QCOMPARE(messages_.size(), 1);
    QVERIFY2(messages_[0].contains("no longer exists"), qPrintable(messages_[0]));
    QCOMPARE(again.Memo2->toPlainText(), QString("unchanged"));
    QCOMPARE(again.RecentFiles().Paths().size(), std::size_t{7});
    QCOMPARE(prog_->Value("RecentFiles", "File2"), paths[7]);
    QCOMPARE(prog_->Value("RecentFiles", "File8"), std::string());
    again.OpenRecent(QString::fromStdString(paths[2]));
    QCOMPARE(again.RecentFiles().Paths().front(), paths[2]);
    QCOMPARE(again.Memo2->toPlainText(), kGood1);
  }

  void saveRTFWritesTheDocumentWholeOrNotAtAll() {
    TMainForm& form = Create(kMeridaSettings);
    QVERIFY(!form.SaveAs1->isEnabled());
    form.Memo2->setPlainText(kGood1);
    form.ConvertEPD();
    QVERIFY(form.SaveAs1->isEnabled());
    form.SaveRTF(prog_->Path("out.rtf"));
    QCOMPARE(prog_->Read("out.rtf"), QByteArray::fromStdString(form.PreviewDocument()));
    QCOMPARE(form.SaveDir, QFileInfo(prog_->Path("out.rtf")).path().toStdString() + "/");
    for (const QString& bad : {prog_->Path("no/such/folder/x.rtf"), prog_->Path("adir")}) {
      QDir().mkpath(prog_->Path("adir"));
      try {
        form.SaveRTF(bad);
        QFAIL("no error");
      } catch (const TRunError& e) {
        QCOMPARE(QString(e.what()), "Unable to write to " + bad);
      }
    }
    QVERIFY(QFileInfo(prog_->Path("adir")).isDir());
    QCOMPARE(QDir(prog_->Path("adir")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(),
             0);
    form.close();
    QCOMPARE(prog_->Value("General", "SaveDir"),
             QFileInfo(prog_->Path("adir")).path().toStdString() + "/");
  }

  // Save As... starts in the folder of the last file opened or saved, else
  // in the documents folder, named after the opened file.
  void saveAsProposesAFolderAndName() {
    TMainForm& form = Create(kMeridaSettings);
    auto proposed = [&form] {
      QString path;
      QTimer::singleShot(0, form.SaveDialog1, [&] {
        path = form.SaveDialog1->selectedFiles().value(0);
        form.SaveDialog1->reject();
      });
      form.SaveAs1Click();
      return path;
    };
    form.Memo2->setPlainText(kGood1);
    form.ConvertEPD();
#ifdef Q_OS_LINUX
    {
      // A home of our own, with its documents folder.
      const QByteArray home = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME");
      qputenv("HOME", QFile::encodeName(prog_->Path("home")));
      qputenv("XDG_CONFIG_HOME", QFile::encodeName(prog_->Path("home/.config")));
      QVERIFY(QDir().mkpath(prog_->Path("home/Documents")));
      const QString path = proposed();
      qputenv("HOME", home);
      config.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", config);
      QCOMPARE(path, prog_->Path("home/Documents/Untitled.rtf"));
    }
#endif

    QVERIFY(QDir().mkpath(prog_->Path("in")) && QDir().mkpath(prog_->Path("out")));
    prog_->Write("in/bk.epd", kGood1.toUtf8());
    form.OpenFile(prog_->Path("in/bk.epd"));
    form.ConvertEPD();
    QCOMPARE(proposed(), prog_->Path("in/bk.rtf"));
#ifdef BOARDQUILL_PICTURES
    form.SaveDialog1->selectNameFilter(kPDFFilter);
    QCOMPARE(proposed(), prog_->Path("in/bk.pdf"));
    form.SaveDialog1->selectNameFilter(kRTFFilter);
#endif
    form.SaveDocument(prog_->Path("out/mine.rtf"));
    QCOMPARE(proposed(), prog_->Path("out/bk.rtf"));
    // Pasted text is no longer the file's.
    QGuiApplication::clipboard()->setText(kGood2);
    form.CopyFEN1Click();
    QCOMPARE(proposed(), prog_->Path("out/Untitled.rtf"));
  }

  // Written on closing only when changed; read back at the next start.
  void layoutSettingsAreKeptWhenChanged() {
    Create("[General]\nColumns=9\n");  // read as the default
    QCOMPARE(form_->LayoutSettings().Columns, 1);
    form_->close();
    QCOMPARE(prog_->Value("General", "Columns"), std::string("9"));
    QCOMPARE(prog_->Value("General", "Marks"), std::string("<missing>"));
    TMainForm& form = Create();
    TLayoutSettings layout;
    layout.Columns = 2;
    layout.Caption = "{n}";
    form.SetLayoutSettings(layout);
    form.close();
    QCOMPARE(prog_->Value("General", "Columns"), std::string("2"));
    QCOMPARE(prog_->Value("General", "Marks"), std::string("1"));
    QCOMPARE(Create().LayoutSettings(), layout);
    // Marks alone changed is written too.
    TConvertSettings s = form_->ConvertSettings();
    s.Marks = false;
    form_->SetConvertSettings(s);
    form_->close();
    QCOMPARE(prog_->Value("General", "Marks"), std::string("0"));
    QVERIFY(!Create().ConvertSettings().Marks);
  }

  void aboutNamesVersionAndFontLicences() {
    TMainForm& form = Create();
    form.About1Click();
    QCOMPARE(messages_.size(), 1);
    const QString& text = messages_[0];
    QVERIFY(text.contains(QString("Boardquill ") + BOARDQUILL_VERSION));
    QVERIFY(text.contains("GNU GPL version 3") && text.contains("LaTeX Project Public License"));
    // Every font we describe is one the installer fetches: each has its line.
    for (const std::string& font : DescribedFontNames(BQ_SOURCE_DIR "/data/ChsFonts.ini"))
      QVERIFY2(text.contains(QString::fromStdString(font)), font.c_str());
  }

  void errorReportAddsAFullStop() {
    QCOMPARE(ErrorReportText("Cannot open file /x/a.epd"), QString("Cannot open file /x/a.epd."));
    QCOMPARE(ErrorReportText("Error 7"), QString("Error 7."));
    QCOMPARE(ErrorReportText("List index out of bounds (3)"),
             QString("List index out of bounds (3)"));
    QCOMPARE(ErrorReportText("Done."), QString("Done."));
  }

  // Reported while the window is still there; then it closes.
  void refusedSettingsWriteReachesTheErrorReport() {
    TMainForm& form = Create();
    bool visible = false;
    form.Presenter.ReportError = [&](QWidget* owner, const QString& text) {
      errors_ << text;
      visible = owner->isVisible();
    };
    // A folder where the settings file should be: every write is refused.
    QVERIFY(QDir().mkpath(prog_->Path("boardquill.ini")));
    form.show();
    QVERIFY(form.close());
    QCOMPARE(errors_, QStringList{"Unable to write to " + prog_->Path("boardquill.ini") + "."});
    QVERIFY(visible);
    QVERIFY(!form.isVisible());
  }
};

QTEST_MAIN(TMainFormTest)
#include "mainform_test.moc"
