// The desktop preview benchmark: the main window with N lines in its EPD
// pane, timed from Convert until the preview holds the document, until it
// has been painted, and until the whole document is laid out. Prints
// "name|unit|min|median|max|note" lines like bq_bench.
//
//   bq_bench_preview FILE --lines N [--runs R] [--fonts-file PATH]
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/mainform.h"
#include "support/settings.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  QString file, fontsFile;
  int lines = 1000;
  int runs = 3;
};

Options ParseOptions(const QStringList& args) {
  Options o;
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    auto value = [&]() -> QString {
      if (i + 1 >= args.size()) throw std::runtime_error(a.toStdString() + " needs a value");
      return args[++i];
    };
    if (a == "--lines") {
      o.lines = std::max(1, value().toInt());
    } else if (a == "--runs") {
      o.runs = std::max(1, value().toInt());
    } else if (a == "--fonts-file") {
      o.fontsFile = value();
    } else if (o.file.isEmpty()) {
      o.file = a;
    } else {
      throw std::runtime_error("unexpected argument " + a.toStdString());
    }
  }
  if (o.file.isEmpty() || o.fontsFile.isEmpty())
    throw std::runtime_error(
        "usage: bq_bench_preview FILE --fonts-file PATH [--lines N] [--runs R]");
  return o;
}

// The first `count` lines of the file.
QString FirstLines(const QString& path, int count) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot open " + path.toStdString());
  QByteArray text;
  for (int i = 0; i < count && !f.atEnd(); ++i) text += f.readLine();
  return QString::fromUtf8(text);
}

void Report(const std::string& name, const char* unit, std::vector<double> values,
            const std::string& note) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  std::printf("%s|%s|%.6g|%.6g|%.6g|%s\n", name.c_str(), unit, values.front(), median,
              values.back(), note.c_str());
  std::fflush(stdout);
}

int Run(const Options& o) {
  // A program folder of its own, so that the user's settings stay untouched.
  QTemporaryDir dir;
  if (!dir.isValid()) throw std::runtime_error("cannot create a temporary folder");
  if (!QFile::copy(o.fontsFile, dir.filePath("ChsFonts.ini")))
    throw std::runtime_error("cannot copy " + o.fontsFile.toStdString());
  QFile ini(dir.filePath("boardquill.ini"));
  if (!ini.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write settings");
  ini.write("[General]\nDiagFont=Chess Merida\nDiagFontCharSet=0\n");
  ini.close();
  bq::SetProgramPathForTesting(dir.filePath("boardquill").toStdString());

  const QString epd = FirstLines(o.file, o.lines);
  std::vector<double> filled, painted, laidOut;
  std::size_t bytes = 0;
  for (int run = 0; run < o.runs; ++run) {
    auto form = std::make_unique<bq::TMainForm>();
    form->Presenter.ShowMessage = [](QWidget*, const QString& text) {
      throw std::runtime_error(text.toStdString());
    };
    form->Presenter.ReportError = form->Presenter.ShowMessage;
    if (form->FontInfoMan().FontIndex("Chess Merida") < 0)
      throw std::runtime_error("Chess Merida is not installed (scripts/install-fonts.sh)");
    form->resize(900, 700);
    form->show();
    QApplication::processEvents();
    form->Memo2->setPlainText(epd);
    QApplication::processEvents();

    const auto start = Clock::now();
    form->ConvertEPDtoRTF1->trigger();
    const auto loaded = Clock::now();
    // What the user sees: the events the load queued, then a paint of the
    // window with the first diagrams.
    QApplication::processEvents();
    form->repaint();
    const auto shown = Clock::now();
    // The text pane lays out the rest of a long document bit by bit while
    // idle; asking where the last paragraph lies finishes it at once.
    QTextDocument* doc = form->Memo1->document();
    doc->documentLayout()->blockBoundingRect(doc->lastBlock());
    const auto complete = Clock::now();

    if (form->PreviewDocument().empty() || form->Memo1->document()->isEmpty())
      throw std::runtime_error("the preview stayed empty");
    bytes = form->PreviewDocument().size();
    filled.push_back(std::chrono::duration<double>(loaded - start).count());
    painted.push_back(std::chrono::duration<double>(shown - start).count());
    laidOut.push_back(std::chrono::duration<double>(complete - start).count());
  }
  bq::SetProgramPathForTesting({});
  const std::string tag = std::to_string(o.lines);
  const std::string note = tag + " positions, " + std::to_string(bytes) + " bytes of RTF";
  Report("preview_loaded_" + tag, "s", filled, note);
  Report("preview_" + tag, "s", painted, note);
  Report("preview_laidout_" + tag, "s", laidOut, note);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  try {
    return Run(ParseOptions(QApplication::arguments()));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bq_bench_preview: %s\n", e.what());
    return 1;
  }
}
