// PGN text, any bytes. Every record read back through the EPD reader
// gives its own position and operations, and marks that read; every bad
// game has a reason with its place, every warning its game; reading on
// after each bad game comes to an end; a file read in small chunks gives
// what the text in memory gives, warnings included; and the games as text
// make a well-formed RTF document without raw control bytes exactly when
// every game reads.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "chess/fen.h"
#include "chess/marks.h"
#include "chess/parser.h"
#include "convert/gametextdriver.h"
#include "fonts/catalogue.h"
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
std::string ReadAll(TPgnEpdReader& reader, std::size_t limit, bool check, bool* failed = nullptr) {
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
      if (failed) *failed = true;
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

// The games as text in RTF, in the notation and columns the input's size
// picks.
void CheckGameText(std::string_view text, const TDiagramPolicy& policy, bool allRead) {
  static const TChessFontInfoMan fonts(BQ_SOURCE_DIR "/data/ChsFonts.ini", nullptr);
  TConvertSettings s;
  s.DiagFont = "Chess Merida";
  s.GameText = true;
  s.Notation = static_cast<TNotation>(text.size() % 5);
  s.Layout.Columns = 1 + static_cast<int>(text.size() / 5 % 2);
  s.Layout.Caption = text.size() % 3 == 0 ? "{c0}" : "";
  const TConvertJob job = GameTextJob(MakeConvertJob(s, fonts));
  const TGameTextRtf rtf = ConvertGameText(text, job, policy);
  Check(rtf.Ok == allRead, "game text fails exactly at a game that cannot be read");
  if (!rtf.Ok) return;
  Check(bq::testing::RTFFault(rtf.Document).empty(), "game text is well-formed RTF");
  for (const char c : rtf.Document)
    Check(static_cast<unsigned char>(c) >= 0x20 || c == '\r' || c == '\n',
          "game text holds no raw control bytes");
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
  bool failed = false;
  const std::string expected = ReadAll(inMemory, limit, true, &failed);
  CheckGameText(text, policy, !failed);

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
