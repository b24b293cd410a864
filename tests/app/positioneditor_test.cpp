// The Position Editor: keyboard and mouse entry, the rights that follow the
// pieces, the EPD box both ways, and the lines OK writes into the window.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "app/app.h"
#include "app/boardview.h"
#include "app/mainform.h"
#include "app/positioneditor.h"
#include "chess/parser.h"
#include "fonts/catalogue.h"
#include "testsupport.h"

using namespace bq;
using bq::test::TTempProgram;

namespace {

const QByteArray kMeridaSettings = "[General]\nDiagFont=Chess Merida\nDiagFontCharSet=0\n";
const QString kBK01 = "1k1r4/pp1b1R2/3q2pp/4p3/2B5/4Q3/PPP2B2/2K5 b - - bm Qd1+; id \"BK.01\";";
const QString kBK02 = "3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/2R5 w - - bm d5; id \"BK.02\";";

TEditorLook MeridaLook(TOrientation orientation = TOrientation::White) {
  const TChessFontInfoMan fonts(BQ_SOURCE_DIR "/data/ChsFonts.ini");
  return {"Chess Merida", fonts.GetFontInfoByName("Chess Merida"), orientation};
}

QString Line(const TPositionEditor& editor) {
  return QString::fromStdString(editor.Line());
}

void Keys(QWidget* target, const QString& keys) {
  for (const QChar c : keys) QTest::keyClicks(target, QString(c));
}

void Click(TBoardView* board, int cell, Qt::MouseButton button = Qt::LeftButton) {
  QTest::mouseClick(board, button, Qt::NoModifier, board->SquareRect(cell).center());
}

void Drag(TBoardView* board, int from, QPoint to) {
  const QPoint start = board->SquareRect(from).center();
  QTest::mousePress(board, Qt::LeftButton, Qt::NoModifier, start);
  // Through the middle, so that the drag starts whatever the distance.
  for (const QPoint at : {(start + to) / 2, to}) {
    QMouseEvent move(QEvent::MouseMove, at, board->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(board, &move);
  }
  QTest::mouseRelease(board, Qt::LeftButton, Qt::NoModifier, to);
}

void Drag(TBoardView* board, int from, int to) {
  Drag(board, from, board->SquareRect(to).center());
}

void ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));
}

// Runs `act` on the Position Editor once the window's command has opened it.
void OnEditor(QObject* context, std::function<void(TPositionEditor&)> act) {
  QTimer::singleShot(0, context, [act] {
    auto* editor = qobject_cast<TPositionEditor*>(QApplication::activeModalWidget());
    QVERIFY(editor);
    act(*editor);
  });
}

}  // namespace

class TPositionEditorTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InitAppResources(); }

  void keyboardEntersAPositionFromEitherSide() {
    TPositionEditor editor(MeridaLook());
    editor.show();
    QCOMPARE(editor.focusWidget(), editor.Board);
    QCOMPARE(editor.Board->CursorCell(), CellOf(1, 1));
    QCOMPARE(editor.Status->text(), QString("White has no king"));
    // K on a1, then Up Up Right and Q on b3, Space empties again, then the
    // black king on h8 through the corner.
    QTest::keyClicks(editor.Board, "K");
    QTest::keyClick(editor.Board, Qt::Key_Up);
    QTest::keyClick(editor.Board, Qt::Key_Up);
    QTest::keyClick(editor.Board, Qt::Key_Right);
    Keys(editor.Board, "Q");
    QCOMPARE(Line(editor), QString("8/8/8/8/8/1Q6/8/K7 w - -"));
    QTest::keyClick(editor.Board, Qt::Key_Space);
    Keys(editor.Board, "R");
    for (int i = 0; i < 9; ++i) {
      QTest::keyClick(editor.Board, Qt::Key_Up);
      QTest::keyClick(editor.Board, Qt::Key_Right);
    }
    Keys(editor.Board, "k");
    QCOMPARE(Line(editor), QString("7k/8/8/8/8/1R6/8/K7 w - -"));
    QCOMPARE(editor.Status->text(), QString("Legal position"));

    // From Black the cursor starts on h8, the bottom-left square as drawn,
    // and the arrows go as drawn: Up towards rank 1, Right towards file a.
    TPositionEditor black(MeridaLook(TOrientation::Black));
    QCOMPARE(black.Board->CursorCell(), CellOf(8, 8));
    QTest::keyClick(black.Board, Qt::Key_Up);
    QTest::keyClick(black.Board, Qt::Key_Right);
    Keys(black.Board, "p");
    QTest::keyClick(black.Board, Qt::Key_Delete);
    Keys(black.Board, "n");
    QCOMPARE(Line(black), QString("8/6n1/8/8/8/8/8/8 w - -"));
    // Flip turns the editor's view only; Escape cancels, Return is OK.
    black.Flip->click();
    QVERIFY(!black.Board->FromBlack());
    QCOMPARE(black.Board->CursorCell(), CellOf(7, 7));
    black.show();
    QTest::keyClick(black.Board, Qt::Key_Escape);
    QCOMPARE(black.result(), int(QDialog::Rejected));
    black.ConfirmImpossible = [](QWidget*, const QString&) { return true; };
    black.show();
    QTest::keyClick(black.Board, Qt::Key_Return);
    QCOMPARE(black.result(), int(QDialog::Accepted));
  }

  void mouseClicksAndDragsAndCastlingFollowsKingAndRook() {
    TPositionEditor editor(MeridaLook());
    editor.resize(900, 700);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QVERIFY(editor.Board->SquareRect(0).width() >= TBoardView::kMinSquare);
    editor.StartPosition->click();
    for (QCheckBox* box : editor.Castling) QVERIFY(box->isEnabled() && box->isChecked());

    // The palette's black queen onto d4; the eraser on e2; a right click on d2.
    editor.Palette->button(cBlack * 8 + pQueen)->click();
    Click(editor.Board, CellOf(4, 4));
    editor.Palette->button(0)->click();
    Click(editor.Board, CellOf(5, 2));
    Click(editor.Board, CellOf(4, 2), Qt::RightButton);
    QCOMPARE(Line(editor), QString("rnbqkbnr/pppppppp/8/8/3q4/8/PPP2PPP/RNBQKBNR w KQkq -"));

    // The rook h1 to h3: White's king-side box is cleared and disabled; back
    // on h1 it can be checked again, but is not.
    Drag(editor.Board, CellOf(8, 1), CellOf(8, 3));
    QVERIFY(!editor.Castling[1]->isEnabled() && !editor.Castling[1]->isChecked());
    QVERIFY(editor.Castling[0]->isChecked());
    Drag(editor.Board, CellOf(8, 3), CellOf(8, 1));
    QVERIFY(editor.Castling[1]->isEnabled() && !editor.Castling[1]->isChecked());
    editor.Castling[1]->click();
    QVERIFY(Line(editor).endsWith(" w KQkq -"));
    // The black king dragged off the board: both black boxes go.
    Drag(editor.Board, CellOf(5, 8), QPoint(editor.Board->width() - 1, 1));
    QVERIFY(!editor.Castling[2]->isEnabled() && !editor.Castling[3]->isEnabled());
    QCOMPARE(Line(editor), QString("rnbq1bnr/pppppppp/8/8/3q4/8/PPP2PPP/RNBQKBNR w KQ -"));
    QCOMPARE(editor.Status->text(), QString("Black has no king"));
  }

  void enPassantOffersOnlyDoubleSteps() {
    TPositionEditor editor(MeridaLook());
    editor.show();
    QVERIFY(editor.Load("4k3/2p5/8/2pPp3/5P2/8/8/4K3 w - -", nullptr));
    const auto items = [&] {
      QStringList names;
      for (int i = 0; i < editor.EnPassant->count(); ++i) names << editor.EnPassant->itemText(i);
      return names;
    };
    // c5 cannot have come from c7, which holds a pawn.
    QCOMPARE(items(), QStringList({"-", "e6"}));
    editor.EnPassant->setCurrentIndex(1);
    QVERIFY(Line(editor).endsWith(" w - e6"));
    editor.BlackToMove->click();  // now a white pawn's double step: f4
    QCOMPARE(items(), QStringList({"-", "f3"}));
    QVERIFY(Line(editor).endsWith(" b - -"));
    editor.EnPassant->setCurrentIndex(1);
    Drag(editor.Board, CellOf(6, 4), CellOf(6, 3));
    QCOMPARE(items(), QStringList({"-"}));
    QVERIFY(!editor.EnPassant->isEnabled());
    QVERIFY(Line(editor).endsWith(" b - -"));
  }

  void epdBoxAndFieldsStayInStep() {
    TPositionEditor editor(MeridaLook());
    Keys(editor.Board, "K");
    QCOMPARE(editor.EPDLine->text(), QString("8/8/8/8/8/8/8/K7 w - -"));

    QTest::keyClicks(editor.EPDLine, " bm Kb2;");
    QCOMPARE(editor.Operations->text(), QString("bm Kb2;"));
    editor.EPDLine->selectAll();
    QTest::keyClicks(editor.EPDLine, "4k3/8/8/8/8/8/8/4K2R w K - hmvc 7; id \"Ex. 12\";");
    QVERIFY(editor.Castling[1]->isChecked());
    QCOMPARE(editor.HalfMoveClock->value(), 7);
    QCOMPARE(editor.Operations->text(), QString("id \"Ex. 12\";"));
    QCOMPARE(editor.Status->text(), QString("Legal position"));

    // A line that cannot be read: the reader's reason, the board as it was,
    // and OK refused.
    const std::string before = editor.Line();
    editor.EPDLine->setText("4k3/8/8/8/8/8/8/4K2R w K");
    QTest::keyClicks(editor.EPDLine, "X");
    std::string reason;
    TPosition rec;
    QVERIFY(!ReadEPDLine(rec, "4k3/8/8/8/8/8/8/4K2R w KX", &reason));
    QCOMPARE(editor.EPDError->text(), QString::fromStdString(reason));
    QCOMPARE(editor.Line(), before);
    editor.show();
    QTest::keyClick(editor.EPDLine, Qt::Key_Return);
    QVERIFY(editor.isVisible());

    // Counters typed as operations move into their fields once ended.
    editor.Clear->click();
    QVERIFY(editor.EPDError->text().isEmpty());
    editor.Operations->selectAll();
    QTest::keyClicks(editor.Operations, "bm Kb2; fmvn 30");
    QCOMPARE(editor.MoveNumber->value(), 1);
    QTest::keyClicks(editor.Operations, ";");
    QCOMPARE(editor.MoveNumber->value(), 30);
    QCOMPARE(editor.Operations->text(), QString("bm Kb2; "));
    editor.HalfMoveClock->setValue(0);
    QCOMPARE(Line(editor), QString("8/8/8/8/8/8/8/8 w - - bm Kb2; fmvn 30;"));

    // Paste FEN/EPD takes a FEN's counters too; Copy EPD gives the line.
    QGuiApplication::clipboard()->setText("\n8/8/8/8/8/8/8/K6k b - - 3 41\n");
    editor.PasteFEN->click();
    QCOMPARE(editor.HalfMoveClock->value(), 3);
    QCOMPARE(editor.MoveNumber->value(), 41);
    editor.CopyEPD->click();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString("8/8/8/8/8/8/8/K6k b - - hmvc 3; fmvn 41;"));
  }

  void boardDrawsInTheFontOrWithTheBuiltInPieces() {
    for (const TEditorLook& look : {MeridaLook(), TEditorLook{}}) {
      TPositionEditor editor(look);
      editor.show();
      QVERIFY(QTest::qWaitForWindowExposed(&editor));
      const QRect square = editor.Board->SquareRect(CellOf(1, 1));
      const QImage empty = editor.Board->grab(square).toImage();
      Keys(editor.Board, "Q");
      const QImage queen = editor.Board->grab(square).toImage();
      QVERIFY2(empty != queen, qPrintable(look.DiagramFont));
      // The same square light: another picture.
      QTest::keyClick(editor.Board, Qt::Key_Right);
      Keys(editor.Board, "Q");
      QVERIFY(editor.Board->grab(editor.Board->SquareRect(CellOf(2, 1))).toImage() != queen);
    }
  }

  void okWritesNewAndEditedLinesOneUndoEach() {
    TTempProgram prog;
    prog.Write("boardquill.ini", kMeridaSettings);
    TMainForm form;
    ShowActive(form);
    form.Memo2->setPlainText(kBK01 + "\n" + kBK02);

    // Ctrl+N: a new last line, converted and copied.
    OnEditor(&form, [](TPositionEditor& editor) {
      QCOMPARE(editor.windowTitle(), QString("Position Editor"));
      Keys(editor.Board, "K");
      QTest::keyClick(editor.Board, Qt::Key_Left);
      QTest::keyClick(editor.Board, Qt::Key_Up);
      Keys(editor.Board, "k");
      editor.ConfirmImpossible = [](QWidget*, const QString& why) {
        return why == "White is to move and Black's king is in check (king on a1)";
      };
      QTest::keyClick(editor.Board, Qt::Key_Return);
    });
    QTest::keyClick(form.Memo2, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(form.Memo2->document()->lastBlock().text(), QString("8/8/8/8/8/8/k7/K7 w - -"));
    const TRtfResult expected = ConvertEPDText(form.Memo2->toPlainText().toStdString(), form.Job());
    QCOMPARE(QGuiApplication::clipboard()->mimeData()->data("text/rtf"),
             QByteArray::fromStdString(expected.Document));
    form.Memo2->undo();
    QCOMPARE(form.Memo2->toPlainText(), kBK01 + "\n" + kBK02);

    // Ctrl+E in the preview, on its second diagram: that line, its
    // operations kept as they were, a white knight on a1.
    form.ConvertEPDtoRTF1Click();
    form.Memo1->setFocus();
    QTextCursor inPreview(form.Memo1->document());
    inPreview.movePosition(QTextCursor::End);
    form.Memo1->setTextCursor(inPreview);
    OnEditor(&form, [](TPositionEditor& editor) {
      QCOMPARE(editor.Operations->text(), QString("bm d5; id \"BK.02\";"));
      Keys(editor.Board, "N");
      editor.accept();
    });
    form.EditPosition1->trigger();
    const QString edited =
        "3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/N1R5 w - - bm d5; id \"BK.02\";";
    QCOMPARE(form.Memo2->toPlainText(), kBK01 + "\n" + edited);
    form.Memo2->undo();
    QCOMPARE(form.Memo2->toPlainText(), kBK01 + "\n" + kBK02);

    // Ctrl+E in the pane: its cursor's line; Cancel changes nothing.
    form.Memo2->setFocus();
    form.Memo2->moveCursor(QTextCursor::Start);
    OnEditor(&form, [](TPositionEditor& editor) {
      QCOMPARE(Line(editor), kBK01);
      editor.reject();
    });
    QTest::keyClick(form.Memo2, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(form.Memo2->toPlainText(), kBK01 + "\n" + kBK02);
  }

  void editPositionRefusesWhatItCannotOpen() {
    TTempProgram prog;
    prog.Write("boardquill.ini", kMeridaSettings);
    TMainForm form;
    ShowActive(form);
    bool opened = false;
    const auto attempt = [&] {
      QTimer::singleShot(0, &form, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
          opened = true;
          modal->close();
        }
      });
      form.EditPosition1->trigger();
      QCoreApplication::processEvents();
      return form.statusBar()->currentMessage();
    };
    form.Memo2->setPlainText(kBK01 + "\nnot an epd line");
    form.Memo2->setFocus();
    form.Memo2->moveCursor(QTextCursor::End);
    std::string reason;
    TPosition rec;
    QVERIFY(!ReadEPDLine(rec, "not an epd line", &reason));
    QCOMPARE(attempt(), "Line 2 is not an EPD record: " + QString::fromStdString(reason));
    form.Memo2->setPlainText("[Event \"x\"]\n\n1. e4 e5 *\n");
    form.Memo2->setFocus();
    QCOMPARE(attempt(),
             QString("The EPD pane holds games (PGN): the Position Editor edits EPD lines"));
    QVERIFY(!opened);
  }
};

QTEST_MAIN(TPositionEditorTest)
#include "positioneditor_test.moc"
