// Measures how the window answers while LINES EPD lines (default 100,000)
// are pasted with Auto Convert and Copy on: the longest stretch in which the
// event loop does not answer (a 10 ms timer records the largest gap between
// its ticks) from the start of Paste EPD until the whole preview is selected,
// and the time until then; then each step on its own.
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
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>

#include "app/mainform.h"
#include "app/rtfreader.h"
#include "app/rtfview.h"
#include "convert/driver.h"
#include "support/settings.h"

using namespace bq;

namespace {

bool WholePreviewSelected(const TMainForm& form) {
  const QTextCursor c = form.Memo1->textCursor();
  return c.selectionStart() == 0 &&
         c.selectionEnd() == form.Memo1->document()->characterCount() - 1;
}

struct TResponse {
  qint64 Command = 0;       // Paste EPD itself, up to its return
  qint64 Longest = 0;       // the longest gap between two ticks of the event loop
  qint64 LongestAfter = 0;  // the same once Paste EPD has returned
  qint64 Selected = 0;      // from the start until the whole preview is selected
  int Ticks = 0;
  bool Done = false;
};

// Runs Paste EPD from the event loop and watches the loop until the
// preview is wholly selected (or a minute has passed).
TResponse MeasureResponse(TMainForm& form) {
  TResponse r;
  QElapsedTimer clock;
  qint64 last = 0;
  QTimer tick;
  tick.setInterval(10);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    r.Longest = std::max(r.Longest, now - last);
    if (r.Ticks > 0) r.LongestAfter = std::max(r.LongestAfter, now - last);
    last = now;
    ++r.Ticks;
    if (!form.SelectionPending() && WholePreviewSelected(form)) {
      r.Selected = now;
      r.Done = true;
    }
    if (r.Done || now > 60000) QApplication::exit();
  });
  QTimer::singleShot(0, [&] {
    clock.start();
    tick.start();
    form.CopyFEN1Click();
    r.Command = clock.elapsed();
  });
  QApplication::exec();
  return r;
}

long long Ms(qint64 ms) {
  return static_cast<long long>(ms);
}

}  // namespace

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

  const TResponse response = MeasureResponse(form);

  // The command's own steps, once more (Copy RTF replaced the clipboard).
  QGuiApplication::clipboard()->setText(text);
  QElapsedTimer t;
  t.start();
  form.Memo2->clear();
  form.Memo2->paste();
  const qint64 paste = t.elapsed();
  t.restart();
  form.ConvertEPD();
  const qint64 convertEPD = t.elapsed();
  t.restart();
  form.Pa1Click();
  const qint64 copy = t.elapsed();
  const bool copyPending = form.SelectionPending();

  // The parts, one by one, on the same text.
  t.restart();
  const std::string epd = form.Memo2->toPlainText().toStdString();
  const qint64 toStd = t.elapsed();
  t.restart();
  const TRtfResult r = ConvertEPDText(epd, form.Job());
  const qint64 convert = t.elapsed();
  t.restart();
  TRTFDocument rtf;
  ReadRTF(r.Document, rtf);
  const qint64 read = t.elapsed();
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

  std::printf("%ld lines, %zu bytes of RTF, %lld characters in the preview\n", lines,
              r.Document.size(), static_cast<long long>(previewText.size()));
  if (!response.Done) {
    std::printf("  the preview was not selected within a minute\n");
    SetProgramPathForTesting({});
    return 1;
  }
  std::printf(
      "  response: longest stretch without events %lld ms; whole preview selected after "
      "%lld ms (Paste EPD returned after %lld ms; longest stretch after that %lld ms; "
      "%d ticks of 10 ms)\n",
      Ms(response.Longest), Ms(response.Selected), Ms(response.Command), Ms(response.LongestAfter),
      response.Ticks);
  std::printf(
      "  steps: paste into the EPD pane %lld ms, convert and preview %lld ms, "
      "Copy RTF %lld ms (selection %s)\n",
      Ms(paste), Ms(convertEPD), Ms(copy), copyPending ? "left pending" : "done at once");
  std::printf(
      "  parts: EPD pane text %lld ms, pane to string %lld ms, convert %lld ms, "
      "read the RTF %lld ms, preview %lld ms (reading included), preview as plain text %lld ms, "
      "select all at once %lld ms\n",
      Ms(pasteText), Ms(toStd), Ms(convert), Ms(read), Ms(preview), Ms(plain), Ms(select));
  SetProgramPathForTesting({});
  return r.Ok ? 0 : 1;
}
