// PGN text, any bytes. Every record read back through the EPD reader
// gives its own position and operations, and marks that read; every bad
// game has a reason with its place, every warning its game; reading on
// after each bad game comes to an end; and a file read in small chunks
// gives what the text in memory gives, warnings included.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "chess/fen.h"
#include "chess/marks.h"
#include "chess/parser.h"
#include "fuzz_util.h"
#include "games/inputkind.h"
#include "games/pgnepd.h"

using namespace bq;
using bq::fuzz::Check;

namespace {

void CheckRecord(std::string_view line) {
  TPosition rec;
  InitPosition(rec);
  std::string reason;
  Check(ReadEPDLine(rec, line, &reason), "a record reads as EPD");
  std::string fields;
  fields += EPDFields(rec.Core);
  Check(line.substr(0, fields.size() + 1) == fields + ' ', "a record's position reads back");
  std::size_t semicolons = 0;
  for (const char c : line) semicolons += c == ';';
  Check(static_cast<std::size_t>(OperationCount(rec)) == semicolons,
        "a record's operations read back");
  TMarks marks;
  Check(ReadMarks(rec, marks, nullptr), "a record's marks read back");
}

// Everything a reader gives, bad games included, as one text.
std::string ReadAll(TPgnEpdReader& reader, std::size_t limit, bool check) {
  std::string all;
  reader.OnWarning([&all, check](const std::string& warning) {
    if (check) Check(warning.rfind("game ", 0) == 0, "a warning names its game");
    all.append("warning: ").append(warning).append("\n");
  });
  std::string_view line;
  for (std::size_t step = 0;; ++step) {
    Check(step <= limit, "reading on after bad games comes to an end");
    if (reader.Next(line)) {
      if (check) CheckRecord(line);
      all.append(line).append("\n");
    } else if (reader.Failed()) {
      const std::string& reason = reader.Reason();
      if (check)
        Check(reason.size() > 2 && reason.back() == ')' &&
                  reason.find(" (line ") != std::string::npos,
              "a bad game's reason tells where");
      all.append(reader.Message()).append(": ").append(reason).append("\n");
    } else {
      return all;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)DetectInputKind(text);
  static constexpr const char* kChoices[] = {"marked", "final", "start", "every:1", "every:3"};
  TDiagramPolicy policy;
  ParseDiagramPolicy(kChoices[size % 5], policy);

  TPgnEpdReader inMemory{TPgnLexer(text), policy};
  // A record or a bad game per step, and no more of each than moves and
  // games the text can hold.
  const std::size_t limit = 2 * size + 2;
  const std::string expected = ReadAll(inMemory, limit, true);

  const bq::fuzz::TScratchFile scratch("pgn");
  scratch.Write(text);
  std::FILE* file = std::fopen(scratch.Path().c_str(), "rb");
  Check(file != nullptr, "the scratch file opens");
  const std::size_t chunk = size == 0 ? 1 : 1 + data[0] % 7;
  TPgnEpdReader fromFile{TPgnLexer(file, {}, chunk), policy};
  Check(ReadAll(fromFile, limit, false) == expected, "chunks read as the text in memory");
  std::fclose(file);
  return 0;
}
