// The benchmark program: times reading and converting an EPD file and prints
// one line per figure, "name|unit|min|median|max|note", for scripts/bench.sh
// to tabulate.
//
//   bq_bench read FILE [--runs N]
//       ReadEPDLine on every record line of FILE (held in memory).
//   bq_bench driver FILE [--runs N] [--font NAME] [--fonts-file PATH]
//       The conversion driver on every line, in memory, no I/O.
//   bq_bench convert FILE --exe BOARDQUILL --out PATH [--runs N] [-- ARGS...]
//       Runs "BOARDQUILL convert ARGS -o PATH FILE" as a child process:
//       wall time, positions and output MB per second, peak memory.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "chess/parser.h"
#include "chess/position.h"
#include "convert/driver.h"
#include "convert/lines.h"
#include "convert/rtfwriter.h"
#include "fonts/catalogue.h"
#include "support/settings.h"

extern char** environ;

namespace bq::bench {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return std::move(text).str();
}

// Min, median and max of the runs' figures.
void Report(const char* name, const char* unit, std::vector<double> values,
            const std::string& note = {}) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  std::printf("%s|%s|%.6g|%.6g|%.6g|%s\n", name, unit, values.front(), median, values.back(),
              note.c_str());
  std::fflush(stdout);
}

struct Options {
  std::string file, exe, out, font = "Chess Merida", fontsFile;
  int runs = 5;
  std::vector<std::string> childArgs;
};

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw std::runtime_error(a + " needs a value");
      return argv[++i];
    };
    if (a == "--runs") {
      o.runs = std::max(1, std::stoi(value()));
    } else if (a == "--exe") {
      o.exe = value();
    } else if (a == "--out") {
      o.out = value();
    } else if (a == "--font") {
      o.font = value();
    } else if (a == "--fonts-file") {
      o.fontsFile = value();
    } else if (a == "--") {
      o.childArgs.assign(argv + i + 1, argv + argc);
      break;
    } else if (o.file.empty()) {
      o.file = a;
    } else {
      throw std::runtime_error("unexpected argument " + a);
    }
  }
  if (o.file.empty()) throw std::runtime_error("no input file");
  return o;
}

// The record lines of the text, trimmed, as the converter would see them.
std::vector<std::string_view> RecordLines(std::string_view text) {
  std::vector<std::string_view> lines;
  SplitEPDLines(text, [&](std::string_view line) {
    const std::string_view trimmed = TrimEPDLine(line);
    if (!IsSkippedEPDLine(trimmed)) lines.push_back(trimmed);
    return true;
  });
  return lines;
}

int RunRead(const Options& o) {
  const std::string text = ReadWholeFile(o.file);
  const std::vector<std::string_view> lines = RecordLines(text);
  std::vector<double> rates;
  TPosition rec;
  InitPosition(rec);
  long long failed = 0;
  for (int run = 0; run < o.runs; ++run) {
    const auto start = Clock::now();
    for (const std::string_view line : lines) failed += !ReadEPDLine(rec, line);
    rates.push_back(static_cast<double>(lines.size()) / Seconds(start));
  }
  Report("read", "positions/s", rates,
         std::to_string(lines.size()) + " positions" +
             (failed ? ", " + std::to_string(failed / o.runs) + " not valid" : ""));
  return 0;
}

int RunDriver(const Options& o) {
  const std::string text = ReadWholeFile(o.file);
  const std::string fontsFile =
      o.fontsFile.empty() ? ProgramFolder() + "ChsFonts.ini" : o.fontsFile;
  const TChessFontInfoMan fonts(fontsFile, nullptr);
  TConvertSettings settings;
  settings.DiagFont = o.font;
  settings.DiagFontCharSet = fonts.FontCharset(o.font);
  const TConvertJob job = MakeConvertJob(settings, fonts);
  std::vector<double> rates, bytes;
  for (int run = 0; run < o.runs; ++run) {
    TEPDConverter converter(job);
    double written = 0;
    // The output is only counted: written out in pieces, as convert does,
    // with nothing to mend afterwards.
    TRtfWriter writer(
        job, [&](std::string_view piece) { written += static_cast<double>(piece.size()); }, {},
        [](std::size_t, std::string_view) {});
    bool ok = true;
    const auto start = Clock::now();
    SplitEPDLines(text,
                  [&](std::string_view line) { return ok = converter.ConvertLine(line, writer); });
    converter.Finish(writer);
    const double s = Seconds(start);
    if (!ok) throw std::runtime_error(converter.Message() + ": " + converter.Reason());
    rates.push_back(static_cast<double>(converter.Records()) / s);
    bytes.push_back(written / s / 1e6);
  }
  Report("driver", "positions/s", rates);
  Report("driver_output", "MB/s", bytes);
  return 0;
}

struct ChildResult {
  double Seconds = 0;
  long MaxRSSKiB = 0;
};

// Runs the program to its end. Its peak memory comes from wait4; a child
// started this way counts the parent's resident size at the time of exec as
// well, so the benchmark process keeps small while it measures.
ChildResult RunChild(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const auto start = Clock::now();
  pid_t pid = 0;
  if (const int err = posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ))
    throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(err));
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) < 0) throw std::runtime_error("wait4 failed");
  ChildResult r;
  r.Seconds = Seconds(start);
  r.MaxRSSKiB = usage.ru_maxrss;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error(args[0] + " failed (status " + std::to_string(status) + ")");
  return r;
}

// The record lines of a file, counted as it streams by: the child's peak
// memory is measured through this process, which must stay smaller.
long long CountRecordLines(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw std::runtime_error("cannot open " + path);
  TEPDLineReader reader(f);
  std::string_view line;
  long long n = 0;
  while (reader.Next(line)) n += !IsSkippedEPDLine(TrimEPDLine(line));
  std::fclose(f);
  return n;
}

int RunConvert(const Options& o) {
  if (o.exe.empty() || o.out.empty()) throw std::runtime_error("convert needs --exe and --out");
  const double positions = static_cast<double>(CountRecordLines(o.file));
  std::vector<std::string> args{o.exe, "convert"};
  args.insert(args.end(), o.childArgs.begin(), o.childArgs.end());
  args.insert(args.end(), {"-o", o.out, o.file});
  std::vector<double> rates, bytes, rss;
  for (int run = 0; run < o.runs; ++run) {
    // Each run writes a new file, as a first conversion does.
    std::remove(o.out.c_str());
    const ChildResult r = RunChild(args);
    struct stat st {};
    if (stat(o.out.c_str(), &st) != 0) throw std::runtime_error("no output " + o.out);
    rates.push_back(positions / r.Seconds);
    bytes.push_back(static_cast<double>(st.st_size) / r.Seconds / 1e6);
    rss.push_back(static_cast<double>(r.MaxRSSKiB) / 1024.0);
  }
  Report("convert", "positions/s", rates,
         std::to_string(static_cast<long long>(positions)) + " positions");
  Report("convert_output", "MB/s", bytes);
  Report("convert_maxrss", "MB", rss);
  return 0;
}

int Main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bq_bench read|driver|convert FILE [OPTIONS]\n");
    return 2;
  }
  const std::string command = argv[1];
  const Options o = ParseOptions(argc, argv);
  if (command == "read") return RunRead(o);
  if (command == "driver") return RunDriver(o);
  if (command == "convert") return RunConvert(o);
  std::fprintf(stderr, "bq_bench: unknown command %s\n", command.c_str());
  return 2;
}

}  // namespace
}  // namespace bq::bench

int main(int argc, char** argv) {
  try {
    return bq::bench::Main(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bq_bench: %s\n", e.what());
    return 1;
  }
}
