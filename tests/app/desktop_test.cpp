// Window placement on real widgets, the message dialog, the busy cursor and
// the built-in bitmap sets.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <stdexcept>

#include "app/app.h"
#include "app/busycursor.h"
#include "app/msgform.h"
#include "app/winplace.h"
#include "support/errors.h"
#include "support/texts.h"
#include "testsupport.h"

using namespace bq;
using bq::test::TTempProgram;

class TDesktopTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TTempProgram> prog_;
  std::unique_ptr<TAppModules> modules_;

  void Store(const QByteArray& keys) { prog_->Write("boardquill.ini", "[Win]\n" + keys); }
  static bool Restore(QWidget& w, TBorderStyle border = TBorderStyle::Sizeable) {
    return RestorePlacement({}, "Win", &w, nullptr, false, border);
  }
  void Save(const QWidget& w, TBorderStyle border = TBorderStyle::Sizeable) const {
    TProfileFile ini = TProfileFile::Load(prog_->SettingsFile());
    WritePlacement(ini, "Win", &w, border);
    ini.Save(prog_->SettingsFile());
  }

 private slots:
  void initTestCase() {
    prog_ = std::make_unique<TTempProgram>();
    modules_ = std::make_unique<TAppModules>();
    QApplication::setApplicationDisplayName("Boardquill");
  }
  void cleanupTestCase() {
    modules_.reset();
    prog_.reset();
  }
  void init() { QFile::remove(prog_->Path("boardquill.ini")); }

  // --- Window placement ---

  void firstStartCentresAtTheCurrentSize() {
    QWidget w;
    w.resize(300, 200);
    QVERIFY(!Restore(w));
    const TSize s = ScreenSize();
    QCOMPARE(w.geometry(), QRect(s.Width / 2 - 150, s.Height / 2 - 100, 300, 200));
  }

  // The whole frame within the available area, centred; at least 640 tall
  // where the area allows.
  void firstStartRectFitsTheAvailableArea() {
    const QMargins frame(8, 40, 8, 8);
    const QRect large(0, 30, 1280, 994);  // a panel above
    QRect r = FirstStartRect(QSize(720, 560), large, frame);
    QCOMPARE(r.size(), QSize(720, kFirstStartMinHeight));
    QVERIFY(large.contains(r.marginsAdded(frame)));
    QVERIFY((r.marginsAdded(frame).center() - large.center()).manhattanLength() <= 1);
    QCOMPARE(FirstStartRect(QSize(720, 800), large, frame).size(), QSize(720, 800));

    const QRect small(0, 0, 800, 600);
    QCOMPARE(FirstStartRect(QSize(900, 700), small, frame).marginsAdded(frame), small);
    r = FirstStartRect(QSize(500, 300), small, frame);
    QCOMPARE(r.size(), QSize(500, 600 - 48));
    QCOMPARE(r.left(), 150);  // the frame from 142 to 658
  }

  void savedMaximisedReturnsToTheSavedRectangle() {
    Store("Top=50\nLeft=60\nRight=460\nBottom=350\nState=3\n");
    QWidget w;
    QVERIFY(Restore(w));
    w.show();
    QVERIFY(w.isMaximized());
    QCOMPARE(w.normalGeometry(), QRect(60, 50, 400, 300));
    w.showNormal();
    QTRY_COMPARE(w.geometry(), QRect(60, 50, 400, 300));
  }

  void savedMinimisedComesBackNormal() {
    Store("Top=50\nLeft=60\nRight=460\nBottom=350\nState=1\n");
    QWidget w;
    Restore(w);
    QVERIFY(!(w.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)));
    QCOMPARE(w.geometry(), QRect(60, 50, 400, 300));
  }

  void fixedBorderKeepsItsSizeAndStoresNoEdges() {
    QWidget w;
    w.setGeometry(30, 40, 300, 200);
    Save(w, TBorderStyle::Dialog);
    QCOMPARE(prog_->Keys("Win"), (QStringList{"Top", "Left", "State"}));
    Store("Top=10\nLeft=20\nRight=900\nBottom=900\n");
    Restore(w, TBorderStyle::Dialog);
    QCOMPARE(w.geometry(), QRect(20, 10, 300, 200));
  }

  void saveWritesTheRestoredRectangleAndState() {
    QWidget w;
    w.setGeometry(30, 40, 300, 200);
    w.show();
    Save(w);
    QCOMPARE(prog_->Keys("Win"), (QStringList{"Top", "Left", "Right", "Bottom", "State"}));
    QCOMPARE(prog_->Value("Win", "State"), std::string("2"));
    w.showMaximized();
    QTRY_VERIFY(w.isMaximized());
    Save(w);
    QCOMPARE(prog_->Value("Win", "State"), std::string("3"));
    QCOMPARE(prog_->Value("Win", "Right"), std::string("330"));
    QCOMPARE(prog_->Value("Win", "Bottom"), std::string("240"));
  }

  void stateOutOfRangeLeavesTheWindowAlone() {
    Store("Top=10\nLeft=20\nState=256\n");
    QWidget w;
    w.setGeometry(30, 40, 300, 200);
    QVERIFY_THROWS_EXCEPTION(TRunError, Restore(w));
    QCOMPARE(w.geometry(), QRect(30, 40, 300, 200));
  }

  void dialogsAreCentredOnTheForm() {
    QWidget form;
    form.setGeometry(200, 100, 400, 300);
    QDialog dlg;
    dlg.resize(100, 50);
    CenterDialogOnForm(&dlg, &form);
    QCOMPARE(dlg.frameGeometry().topLeft(), QPoint(200 + 200 - 50, 100 + 150 - 25));
    form.setGeometry(0, 0, 100, 80);
    dlg.resize(400, 300);
    CenterOnForm(&dlg, &form);
    QCOMPARE(dlg.pos(), QPoint(0, 0));  // never negative
  }

  // --- Message dialog ---

  void plainMessageHasTextAtTheMarginAndOneCentredButton() {
    const auto form = CreateMessageForm(nullptr, "Hello there", TMsgDlgType::Custom,
                                        ButtonBit(TMsgDlgBtn::OK), false);
    const TMsgMeasures& m = form->Layout().Measures;
    QVERIFY(m.HorzMargin > 0 && m.ButtonWidth > 0);
    QCOMPARE(form->windowTitle(), QString("Boardquill"));
    QVERIFY(!form->findChild<QLabel*>("Image"));
    const auto* text = form->findChild<QLabel*>("Message");
    QCOMPARE(text->geometry().topLeft(), QPoint(m.HorzMargin, m.VertMargin));
    const auto buttons = form->findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 1);
    const QPushButton* ok = buttons[0];
    QCOMPARE(ok->objectName(), QString("OK"));
    QCOMPARE(ok->text(), QString::fromStdString(S_OKBtn));
    QVERIFY(ok->isDefault());
    QVERIFY(qAbs(ok->x() - (form->width() - ok->x() - ok->width())) <= 1);
    QCOMPARE(ok->y(), text->y() + text->height() + m.VertSpacing);
    QCOMPARE(form->height(), ok->y() + ok->height() + m.VertMargin);
    // The label is big enough for its text in the dialog font.
    const QRect need =
        QFontMetrics(text->font())
            .boundingRect(QRect(0, 0, text->width(), 1000), Qt::TextWordWrap, text->text());
    QVERIFY(need.width() <= text->width() && need.height() <= text->height());
  }

  void longMessageWrapsAtHalfTheScreen() {
    const auto form = CreateMessageForm(nullptr, QString("wrapping words ").repeated(200),
                                        TMsgDlgType::Custom, ButtonBit(TMsgDlgBtn::OK), false);
    const auto* label = form->findChild<QLabel*>("Message");
    QVERIFY(label->width() <= ScreenSize().Width / 2);
    QVERIFY(label->height() > 5 * QFontMetrics(label->font()).height());
  }

  void iconAndNamedTextCaptions() {
    const std::string saved = SMsgDlgWarning;
    SMsgDlgWarning = "Careful";
    const auto form =
        CreateMessageForm(nullptr, "Short", TMsgDlgType::Warning, ButtonBit(TMsgDlgBtn::OK), false);
    SMsgDlgWarning = saved;
    QCOMPARE(form->windowTitle(), QString("Careful"));
    const TMsgMeasures& m = form->Layout().Measures;
    const auto* image = form->findChild<QLabel*>("Image");
    QCOMPARE(image->geometry(), QRect(m.HorzMargin, m.VertMargin, 32, 32));
    QVERIFY(!image->pixmap().isNull());
    QCOMPARE(form->findChild<QLabel*>("Message")->x(), m.HorzMargin + 32 + m.HorzSpacing);
    QCOMPARE(form->findChild<QPushButton*>("OK")->y(), m.VertMargin + 32 + m.VertSpacing);
  }

  void defaultAndCancelRoles() {
    const auto yesNo = CreateMessageForm(nullptr, "?", TMsgDlgType::Confirmation,
                                         Buttons({TMsgDlgBtn::Yes, TMsgDlgBtn::No}), false);
    QVERIFY(yesNo->findChild<QPushButton*>("Yes")->isDefault());
    QTest::keyClick(yesNo.get(), Qt::Key_Escape);
    QCOMPARE(yesNo->result(), mrNo);

    const auto ari = CreateMessageForm(
        nullptr, "?", TMsgDlgType::Error,
        Buttons({TMsgDlgBtn::Abort, TMsgDlgBtn::Retry, TMsgDlgBtn::Ignore}), false);
    QVERIFY(ari->findChild<QPushButton*>("Retry")->isDefault());
    ari->setResult(-5);
    QTest::keyClick(ari.get(), Qt::Key_Escape);  // no button has the cancel role
    QCOMPARE(ari->result(), -5);
    ari->reject();  // the close box
    QCOMPARE(ari->result(), mrCancel);
  }

  void explicitLeftOverridesTheCentring() {
    QPoint seen;
    QTimer::singleShot(0, this, [&] {
      auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(dlg);
      seen = dlg->pos();
      dlg->done(mrOk);
    });
    QCOMPARE(MessageDlgPosShow(nullptr, "Placed", TMsgDlgType::Custom, ButtonBit(TMsgDlgBtn::OK), 0,
                               100, -1, false),
             mrOk);
    const auto centred =
        CreateMessageForm(nullptr, "Placed", TMsgDlgType::Custom, ButtonBit(TMsgDlgBtn::OK), false);
    QCOMPARE(seen, QPoint(100, centred->y()));
  }

  // --- Busy cursor and bitmap sets ---

  void busyCursorNestsAndIsRestoredOnErrors() {
    BusyCursorOn();
    BusyCursorOn();
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    BusyCursorOff();
    QVERIFY(QGuiApplication::overrideCursor());
    BusyCursorOff();
    QVERIFY(!QGuiApplication::overrideCursor());
    try {
      TBusyCursor busy;
      throw std::runtime_error("fails");
    } catch (const std::runtime_error&) {
    }
    QVERIFY(!QGuiApplication::overrideCursor());
  }

  void builtInBitmapSetsAreRegistered() {
    for (const TBuiltInBitmapSet& set : BuiltInBitmapSets()) {
      const TBitmapSize size = LoadBitmapImageSize(set.Resource, false);
      QCOMPARE(size.Width, set.Width);
      QCOMPARE(size.Height, set.Height);
      QCOMPARE(QImage(":/bitmaps/" + QString(set.Resource).toUpper()).colorCount(), 16);
    }
    QVERIFY_THROWS_EXCEPTION(TRunError, LoadBitmapImageSize("regular99", false));
    TBitmapSetRegistry* sets = BitmapSets();
    QCOMPARE(sets->Count(), 6);
    QCOMPARE(sets->Families().size(), std::size_t{2});
    QCOMPARE(sets->Families()[1].Sets, (std::vector<int>{3, 4, 5}));
    QCOMPARE(sets->Set(5).CellSize, 48);
    QCOMPARE(sets->RegisterBitmapSet("regular24", "x", "y", "nosuch", false), 0);
  }
};

QTEST_MAIN(TDesktopTest)
#include "desktop_test.moc"
