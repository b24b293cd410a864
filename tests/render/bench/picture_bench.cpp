// Times the picture output at scale, in one process: records made from the
// lines of an EPD file (board rows by the tests' helper, the id and bm
// operations above), written through the command line's picture output to
// a PDF file or a folder of SVG or PNG files. Prints, for scripts/bench.sh,
//   picture_FORMAT|diagrams/s|x|x|x|N diagrams
//   picture_FORMAT_maxrss|MB|x|x|x|peak memory of the whole run
//
//   bq_picture_bench pdf|svg|png FILE OUTPUT [--lines N] [--fonts-file PATH]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

#include "../board_rows.h"
#include "cli/picturesink.h"

namespace bq {
namespace {

TPictureRecord RecordOf(const TPosition& pos, const std::string& line, const ChessFontInfoRec& g) {
  TPictureRecord rec;
  rec.Rows = test::BoardRows(line, g, false);
  for (const char* op : {"id", "bm"})
    if (const int n = FindOperation(pos, op); n > 0)
      rec.Above.push_back(std::string(op) + ": " + OperandText(pos, n));
  return rec;
}

int Run(int argc, char** argv) {
  if (argc < 4) throw std::runtime_error("usage: bq_picture_bench pdf|svg|png FILE OUTPUT");
  const std::string format = argv[1], input = argv[2], output = argv[3];
  long long limit = 100000;
  std::string fontsFile = std::string(BQ_SOURCE_DIR) + "/data/ChsFonts.ini";
  for (int i = 4; i + 1 < argc; i += 2) {
    if (std::string(argv[i]) == "--lines") limit = std::stoll(argv[i + 1]);
    if (std::string(argv[i]) == "--fonts-file") fontsFile = argv[i + 1];
  }
  const TOutputFormat kind = format == "pdf"   ? TOutputFormat::Pdf
                             : format == "svg" ? TOutputFormat::Svg
                                               : TOutputFormat::Png;
  const TChessFontInfoMan fonts(fontsFile, nullptr);
  TPictureStyle style;
  style.DiagFont = "Chess Merida";
  const auto start = std::chrono::steady_clock::now();
  auto sink = MakePictureSink(kind, output, "{n}", style);
  std::ifstream in(input, std::ios::binary);
  TPosition pos;
  long long count = 0, lineNo = 0;
  for (std::string line; count < limit && std::getline(in, line);) {
    ++lineNo;
    InitPosition(pos);
    if (!ReadEPDLine(pos, line)) continue;
    sink->Add(RecordOf(pos, line, fonts.FontInfoRef(style.DiagFont)), pos, lineNo);
    ++count;
  }
  sink->Commit({});
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const double rate = count / seconds, mb = usage.ru_maxrss / 1024.0;
  std::printf("picture_%s|diagrams/s|%.6g|%.6g|%.6g|%lld diagrams\n", format.c_str(), rate, rate,
              rate, count);
  std::printf("picture_%s_maxrss|MB|%.6g|%.6g|%.6g|\n", format.c_str(), mb, mb, mb);
  return 0;
}

}  // namespace
}  // namespace bq

int main(int argc, char** argv) {
  try {
    return bq::Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bq_picture_bench: %s\n", e.what());
    return 2;
  }
}
