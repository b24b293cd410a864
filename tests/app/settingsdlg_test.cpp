// The settings dialog: filling, OK and Cancel, driven without exec().
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>
#include <algorithm>
#include <memory>

#include "app/mainform.h"
#include "app/settingsdlg.h"
#include "fonts/catalogue.h"
#include "testsupport.h"

using namespace bq;
using bq::test::TTempProgram;

namespace {

// Merida with coordinates, Leipzig without, and an ordinary font that is
// catalogued but is no diagram font. Leipzig is listed first to show that
// the list is sorted.
const QByteArray kFontsIni =
    "[Chess Fonts]\nFonts=3\nFont1=Chess Merida\nFont2=Chess Leipzig\nFont3=DejaVu Sans\n"
    "[Chess Leipzig]\nCharset=0\nDiagram=1\nBorderNW=33\n"
    "[Chess Merida]\nCharset=2\nDiagram=1\nCoordBorderNW=33\nCoordBorderSW=47\n"
    "BorderW1=1\nBorderW2=2\nBorderW3=3\nBorderW4=4\nBorderW5=5\nBorderW6=6\nBorderW7=7\n"
    "BorderW8=8\nBorderS1=1\nBorderS2=2\nBorderS3=3\nBorderS4=4\nBorderS5=5\nBorderS6=6\n"
    "BorderS7=7\nBorderS8=8\n"
    "[DejaVu Sans]\nCharset=0\nDiagram=0\n";

bool Installed(const char* family) {
  const auto& list = InstalledFontList();
  return std::find(list.begin(), list.end(), family) != list.end();
}

QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

}  // namespace

class TSettingsDlgTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TTempProgram> prog_;
  std::unique_ptr<TMainForm> form_;
  TSettingsDlg* dlg_ = nullptr;

  const TConvertSettings& S() const { return form_->ConvertSettings(); }
  template <class F>
  void Change(F change) {
    TConvertSettings s = form_->ConvertSettings();
    change(s);
    form_->SetConvertSettings(s);
  }

 private slots:
  void init() {
    prog_ = std::make_unique<TTempProgram>(&kFontsIni);
    form_ = std::make_unique<TMainForm>();
    form_->Presenter = {};
    dlg_ = new TSettingsDlg(form_.get());
  }
  void cleanup() {
    form_.reset();  // deletes the dialog too
    prog_.reset();
  }

  void firstStartSelectsNothingAndStoresEmptyFont() {
    dlg_->FormShow();
    QCOMPARE(dlg_->PageControl1->currentIndex(), 0);  // "Fonts" from creation on
    QCOMPARE(dlg_->RTFFontNameCmb->currentIndex(), -1);
    QVERIFY(!dlg_->RTFDiagAddBorderCB->isHidden());  // keeps its visibility
    QCOMPARE(dlg_->FontSizeEd->text(), QString("20"));
    QCOMPARE(dlg_->RTFGameFontSizeEd->text(), QString("10"));
    QCOMPARE(dlg_->OperationLines(), (QStringList{"id", "bm"}));
    Change([](TConvertSettings& s) { s.DiagFontCharSet = 7; });
    dlg_->OKBtnClick();
    QVERIFY(S().DiagFont.empty());
    QCOMPARE(S().DiagFontCharSet, 0);
    QCOMPARE(S().Operations, std::string("id,bm"));
  }

  void diagramFontListIsSortedAndHoldsDiagramFontsOnly() {
    if (!Installed("Chess Merida") || !Installed("Chess Leipzig") || !Installed("DejaVu Sans")) {
      QSKIP("the test fonts are not installed");
    }
    Change([](TConvertSettings& s) {
      s.DiagFont = "chess merida";
    });  // matched without regard to case
    dlg_->FormShow();
    QCOMPARE(Items(dlg_->RTFFontNameCmb), (QStringList{"Chess Leipzig", "Chess Merida"}));
    QCOMPARE(dlg_->RTFFontNameCmb->currentText(), QString("Chess Merida"));
    QVERIFY(!dlg_->RTFDiagAddBorderCB->isHidden());
    dlg_->OKBtnClick();
    QCOMPARE(S().DiagFont, std::string("Chess Merida"));
    QCOMPARE(S().DiagFontCharSet, 2);
  }

  // OK tells at once whether the chosen font draws.
  void okUpdatesTheFontStatus() {
    QCOMPARE(form_->FontStatusLbl->text(), QString("No diagram font chosen: File > Settings..."));
    dlg_->FormShow();
    if (!Installed("Chess Merida")) QSKIP("Chess Merida is not installed");
    dlg_->RTFFontNameCmb->setCurrentText("Chess Merida");
    dlg_->OKBtnClick();
    QVERIFY(form_->FontStatusLbl->text().isEmpty());
  }

  void fontWithoutCoordinatesHidesTheCheckBoxButOKStoresIt() {
    if (!Installed("Chess Leipzig")) QSKIP("Chess Leipzig is not installed");
    Change([](TConvertSettings& s) { s.DiagFont = "Chess Leipzig"; });
    Change([](TConvertSettings& s) { s.ShowCoords = true; });
    dlg_->FormShow();
    QVERIFY(dlg_->RTFDiagAddBorderCB->isHidden());
    QVERIFY(dlg_->RTFDiagAddBorderCB->isChecked());
    dlg_->OKBtnClick();
    QVERIFY(S().ShowCoords);
    QCOMPARE(S().DiagFontCharSet, 0);
  }

  void textFontListIsTheInstalledListInItsOrder() {
    Change([](TConvertSettings& s) { s.TextFont = "default"; });
    dlg_->FormShow();
    QStringList expected;
    for (const std::string& name : InstalledFontList()) expected << QString::fromStdString(name);
    QCOMPARE(Items(dlg_->RTFGameTextFontNameCmb), expected);
    QCOMPARE(dlg_->RTFGameTextFontNameCmb->currentText(), QString("Default"));
    // A font this machine lacks stays offered (first) and survives OK.
    Change([](TConvertSettings& s) { s.TextFont = "No Such Font"; });
    dlg_->FormShow();
    QCOMPARE(dlg_->RTFGameTextFontNameCmb->currentIndex(), 0);
    QCOMPARE(dlg_->RTFGameTextFontNameCmb->count(), expected.size() + 1);
    dlg_->OKBtnClick();
    QCOMPARE(S().TextFont, std::string("No Such Font"));
    // The next showing does not keep the extra entry of the last one.
    Change([](TConvertSettings& s) { s.TextFont = "default"; });
    dlg_->FormShow();
    QCOMPARE(Items(dlg_->RTFGameTextFontNameCmb), expected);
    Change([](TConvertSettings& s) { s.TextFont.clear(); });
    dlg_->FormShow();
    QCOMPARE(dlg_->RTFGameTextFontNameCmb->currentIndex(), -1);
    dlg_->OKBtnClick();
    QVERIFY(S().TextFont.empty());
  }

  void operationsShownAsLines_data() {
    QTest::addColumn<QString>("operations");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("two") << "id,bm" << QStringList{"id", "bm"};
    QTest::newRow("empty item") << "id,,bm" << QStringList{"id", "", "bm"};
    QTest::newRow("trailing comma") << "id,bm," << QStringList{"id", "bm"};
    QTest::newRow("single comma") << "," << QStringList{""};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("blanks kept") << " id , bm" << QStringList{" id ", " bm"};
  }
  void operationsShownAsLines() {
    QFETCH(QString, operations);
    QFETCH(QStringList, lines);
    Change([&](TConvertSettings& s) { s.Operations = operations.toStdString(); });
    dlg_->FormShow();
    QCOMPARE(dlg_->OperationLines(), lines);
  }

  void operationsStoredFromLines_data() {
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QString>("stored");
    QTest::newRow("empty item dropped") << "id\n\nbm\n"
                                        << "id,bm";
    QTest::newRow("blanks and controls stripped") << "  id\t\n\n bm \x01"
                                                  << "id,bm";
    QTest::newRow("only empty lines") << "\n \n\t\n"
                                      << "";
    QTest::newRow("memo order") << "c0\nbm\nid"
                                << "c0,bm,id";
    QTest::newRow("inner blanks stay") << "a b"
                                       << "a b";
  }
  void operationsStoredFromLines() {
    QFETCH(QString, memo);
    QFETCH(QString, stored);
    dlg_->FormShow();
    dlg_->Memo1->setPlainText(memo);
    dlg_->OKBtnClick();
    QCOMPARE(QString::fromStdString(S().Operations), stored);
  }

  // 1 to 100 in the integer syntax of the settings; anything else is
  // refused with a message naming the field, and nothing is stored.
  void sizeFieldsTakeOneToAHundred_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");  // 0: refused
    QTest::newRow("lowest") << "1" << 1;
    QTest::newRow("highest") << "100" << 100;
    QTest::newRow("dollar hex") << "$14" << 20;
    QTest::newRow("0x hex") << "0x1F" << 31;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("negative") << "-3" << 0;
    QTest::newRow("too big") << "101" << 0;
    QTest::newRow("not a number") << "abc" << 0;
    QTest::newRow("blank") << "" << 0;
  }
  void sizeFieldsTakeOneToAHundred() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QStringList messages;
    form_->Presenter.ShowMessage = [&](QWidget*, const QString& m) { messages << m; };
    dlg_->FormShow();
    dlg_->PageControl1->setCurrentWidget(dlg_->TabSheet2);
    dlg_->FontSizeEd->setText(text);
    dlg_->Memo1->setPlainText("c0");
    QCOMPARE(dlg_->OKBtnClick(), value > 0);
    QCOMPARE(S().DiagFontSize, value > 0 ? value : 20);
    QCOMPARE(S().Operations, std::string(value > 0 ? "c0" : "id,bm"));
    QCOMPARE(messages,
             value > 0 ? QStringList() : QStringList{"Diagram font size must be 1 to 100"});
    if (value == 0) QCOMPARE(dlg_->PageControl1->currentWidget(), dlg_->TabSheet1);

    messages.clear();
    dlg_->FormShow();
    dlg_->RTFGameFontSizeEd->setText(text);
    QCOMPARE(dlg_->OKBtnClick(), value > 0);
    QCOMPARE(S().TextFontSize, value > 0 ? value : 10);
    QCOMPARE(messages, value > 0 ? QStringList() : QStringList{"Text font size must be 1 to 100"});
  }

  void layoutPageShowsAndStoresTheLayout() {
    TLayoutSettings layout;
    layout.Orientation = TOrientation::ToMove;
    layout.Caption = "{n}. {id}";
    layout.Columns = 3;
    layout.Solutions = "bm,id";
    form_->SetLayoutSettings(layout);
    dlg_->FormShow();
    QCOMPARE(dlg_->OrientationCmb->currentIndex(), 2);
    QVERIFY(!dlg_->MoverMarkCB->isChecked());
    QCOMPARE(dlg_->CaptionEd->text(), QString("{n}. {id}"));
    QCOMPARE(dlg_->ColumnsSpin->value(), 3);
    QCOMPARE(dlg_->SolutionsMemo->toPlainText(), QString("bm\nid\n"));
    QVERIFY(dlg_->MarksCB->isChecked());
    QCOMPARE(dlg_->DiagramStyleCmb->currentIndex(), 0);
    QCOMPARE(form_->StyleStatusLbl->text(), QString("Diagrams typed in the font"));

    dlg_->DiagramStyleCmb->setCurrentIndex(1);
    dlg_->OrientationCmb->setCurrentIndex(1);
    dlg_->MoverMarkCB->setChecked(true);
    dlg_->MarksCB->setChecked(false);
    dlg_->SolutionsMemo->setPlainText(" am \n\nbm");
    dlg_->ColumnsSpin->setValue(9);  // the field keeps to 1..4
    QVERIFY(dlg_->OKBtnClick());
    layout.Orientation = TOrientation::Black;
    layout.MoverMark = true;
    layout.Columns = 4;
    layout.Solutions = "am,bm";
    QCOMPARE(form_->LayoutSettings(), layout);
    QVERIFY(!S().Marks);
    dlg_->FormShow();
    QVERIFY(!dlg_->MarksCB->isChecked());
    QCOMPARE(S().DiagramStyle, TDiagramStyle::Picture);
    QCOMPARE(form_->StyleStatusLbl->text(), QString("Diagrams as pictures"));

    // A caption whose braces do not pair up: one message, nothing stored.
    QStringList messages;
    form_->Presenter.ShowMessage = [&](QWidget*, const QString& text) { messages << text; };
    dlg_->FormShow();
    dlg_->CaptionEd->setText("{n");
    dlg_->FontSizeEd->setText("33");
    QVERIFY(!dlg_->OKBtnClick());
    QCOMPARE(messages, QStringList{"Caption: \"{\" at column 1 is not closed"});
    QCOMPARE(dlg_->PageControl1->currentWidget(), dlg_->TabSheet3);
    QCOMPARE(form_->LayoutSettings(), layout);
    QCOMPARE(S().DiagFontSize, 20);
    // The style, once changed, is saved with the settings.
    form_->close();
    QCOMPARE(prog_->Value("General", "DiagramStyle"), std::string("picture"));
  }

  void gamesPageShowsAndStoresHowGamesPrint() {
    form_->SetGameDiagrams({TDiagramChoice::Every, 3});
    dlg_->FormShow();
    QCOMPARE(dlg_->GameDiagramsCmb->currentIndex(), 3);
    QCOMPARE(dlg_->GameDiagramsEverySpin->value(), 3);
    QVERIFY(!dlg_->GameTextCB->isChecked());
    QCOMPARE(dlg_->NotationCmb->currentIndex(), 0);
    QCOMPARE(dlg_->FigurineFontCmb->currentText(), QString("DejaVu Sans"));

    dlg_->GameDiagramsCmb->setCurrentIndex(1);
    QVERIFY(!dlg_->GameDiagramsEverySpin->isEnabled());
    dlg_->GameTextCB->setChecked(true);
    dlg_->NotationCmb->setCurrentIndex(3);
    QVERIFY(dlg_->OKBtnClick());
    QVERIFY((form_->GameDiagrams() == TDiagramPolicy{TDiagramChoice::Final, 1}));
    QVERIFY(S().GameText);
    QCOMPARE(S().Notation, TNotation::German);
    QVERIFY(form_->FontStatusLbl->text().endsWith("Games as text, german notation"));
  }

  void cancelForgetsTheEdits() {
    dlg_->FormShow();
    dlg_->FontSizeEd->setText("77");
    dlg_->Memo1->setPlainText("c0");
    dlg_->RTFDiagAddBorderCB->setChecked(true);
    dlg_->PageControl1->setCurrentIndex(1);
    dlg_->reject();  // Cancel: no handler of its own
    QCOMPARE(S().DiagFontSize, 20);
    dlg_->FormShow();
    QCOMPARE(dlg_->FontSizeEd->text(), QString("20"));
    QCOMPARE(dlg_->OperationLines(), (QStringList{"id", "bm"}));
    QVERIFY(!dlg_->RTFDiagAddBorderCB->isChecked());
    QCOMPARE(dlg_->PageControl1->currentIndex(), 1);  // the page the user left open
  }

  void arrowButtonsStepWithinTheRange() {
    dlg_->FormShow();
    dlg_->FontSizeEd->setText("99");
    dlg_->FontSizeUD->UpButton()->click();
    QCOMPARE(dlg_->FontSizeEd->text(), QString("100"));
    dlg_->FontSizeUD->UpButton()->click();
    QCOMPARE(dlg_->FontSizeEd->text(), QString("100"));  // no wrap-around
    dlg_->FontSizeEd->setText("2");
    dlg_->FontSizeUD->DownButton()->click();
    dlg_->FontSizeUD->DownButton()->click();
    QCOMPARE(dlg_->FontSizeEd->text(), QString("1"));
    dlg_->RTFGameFontSizeEd->setText("0");
    dlg_->RTFGameFontSizeUD->DownButton()->click();
    QCOMPARE(dlg_->RTFGameFontSizeEd->text(), QString("1"));
    // Free text in the field: the buttons go on from their own position.
    dlg_->FontSizeEd->setText("abc");
    dlg_->FontSizeUD->UpButton()->click();
    QCOMPARE(dlg_->FontSizeEd->text(), QString("2"));
    // A size beyond the range is shown as it is, and OK refuses it.
    Change([](TConvertSettings& s) { s.TextFontSize = 500; });
    dlg_->FormShow();
    QCOMPARE(dlg_->RTFGameFontSizeEd->text(), QString("500"));
    QVERIFY(!dlg_->OKBtnClick());
    QCOMPARE(S().TextFontSize, 500);
  }
};

QTEST_MAIN(TSettingsDlgTest)
#include "settingsdlg_test.moc"
