// Measures how long the window is busy when 100,000 EPD lines are pasted
// with Auto Convert and Copy on: the whole Paste EPD command runs in the
// event loop's thread, so its time is the time the window does not answer.
// Not a test: run by hand, offscreen:
//   QT_QPA_PLATFORM=offscreen build/tests/app/paste_timing [LINES]
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextEdit>
#include <cstdio>
#include <string>

#include "app/mainform.h"
#include "app/rtfview.h"
#include "convert/driver.h"
#include "support/settings.h"

using namespace bq;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const long lines = argc > 1 ? std::stol(argv[1]) : 100000;

  QTemporaryDir dir;
  SetProgramPathForTesting(dir.filePath("boardquill").toStdString());
  QFile::copy(BQ_SOURCE_DIR "/data/ChsFonts.ini", dir.filePath("ChsFonts.ini"));
  {
    QFile ini(dir.filePath("boardquill.ini"));
    if (!ini.open(QIODevice::WriteOnly)) return 1;
    ini.write("[General]\nDiagFont=Chess Merida\nDiagFontCharSet=0\n");
  }

  // The example suite over and over.
  QFile suite(BQ_SOURCE_DIR "/examples/bk.epd");
  if (!suite.open(QIODevice::ReadOnly)) return 1;
  QStringList suiteLines = QString::fromUtf8(suite.readAll()).split('\n', Qt::SkipEmptyParts);
  QString text;
  for (long i = 0; i < lines; ++i) text += suiteLines[i % suiteLines.size()].trimmed() + '\n';
  QGuiApplication::clipboard()->setText(text);

  TMainForm form;
  form.show();
  QApplication::processEvents();
  form.MAutoCopyafterPaste->setChecked(true);

  QElapsedTimer t;
  t.start();
  form.CopyFEN1Click();
  const qint64 whole = t.elapsed();
  t.restart();
  QApplication::processEvents();  // layout and paint of what changed
  const qint64 events = t.elapsed();

  // The command's own steps, once more (Copy RTF replaced the clipboard).
  QGuiApplication::clipboard()->setText(text);
  t.restart();
  form.Memo2->clear();
  form.Memo2->paste();
  const qint64 paste = t.elapsed();
  t.restart();
  form.ConvertEPD();
  const qint64 convertEPD = t.elapsed();
  t.restart();
  form.Pa1Click();
  const qint64 copy = t.elapsed();

  // The parts, one by one, on the same text.
  t.restart();
  const std::string epd = form.Memo2->toPlainText().toStdString();
  const qint64 toStd = t.elapsed();
  t.restart();
  const TConvertResult r = ConvertEPDText(epd, form.ConvertSettings(), form.FontInfoMan());
  const qint64 convert = t.elapsed();
  QTextEdit pane;
  t.restart();
  LoadRTF(&pane, r.Document);
  const qint64 preview = t.elapsed();
  t.restart();
  const QString previewText = pane.toPlainText();
  const qint64 plain = t.elapsed();
  t.restart();
  pane.selectAll();
  const qint64 select = t.elapsed();
  QPlainTextEdit epdPane;
  t.restart();
  epdPane.setPlainText(text);
  const qint64 pasteText = t.elapsed();

  std::printf("%ld lines, %zu bytes of RTF: Paste EPD busy %lld ms, then events %lld ms\n", lines,
              r.Document.size(), static_cast<long long>(whole), static_cast<long long>(events));
  std::printf(
      "  steps: paste into the EPD pane %lld ms, convert and preview %lld ms, "
      "copy %lld ms\n",
      static_cast<long long>(paste), static_cast<long long>(convertEPD),
      static_cast<long long>(copy));
  std::printf(
      "  parts: EPD pane text %lld ms, pane to string %lld ms, convert %lld ms, "
      "preview %lld ms, preview as plain text %lld ms, select all %lld ms\n",
      static_cast<long long>(pasteText), static_cast<long long>(toStd),
      static_cast<long long>(convert), static_cast<long long>(preview),
      static_cast<long long>(plain), static_cast<long long>(select));
  SetProgramPathForTesting({});
  return r.Ok ? 0 : 1;
}
