#include "cli/pgncommands.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "games/pgnepd.h"
#include "support/atomicfile.h"

namespace bq {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;

struct TPgn2EpdArgs {
  TDiagramPolicy Policy;
  std::string Input = "-";
};

int Usage(std::FILE* err, const std::string& what) {
  std::fprintf(err, "boardquill: %s\nTry 'boardquill --help'.\n", what.c_str());
  return kExitUsage;
}

// Empty on success, else what is wrong with the arguments.
std::string ParseArgs(const std::vector<std::string>& args, TPgn2EpdArgs& parsed) {
  bool haveInput = false;
  std::string why;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string value;
    if (a == "--diagrams") {
      if (i + 1 == args.size()) return "option --diagrams needs a value";
      value = args[++i];
    } else if (a.rfind("--diagrams=", 0) == 0) {
      value = a.substr(11);
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option " + a + " for pgn2epd";
    } else if (haveInput) {
      return "pgn2epd takes one input file, not \"" + a + "\"";
    } else {
      parsed.Input = a;
      haveInput = true;
      continue;
    }
    if (!ParseDiagramPolicy(value, parsed.Policy, &why)) return why;
  }
  return {};
}

// Copies what was written to the scratch file to `out`.
void CopyOut(std::FILE* scratch, std::FILE* out) {
  if (std::fflush(scratch) != 0) throw std::runtime_error(std::strerror(errno));
  std::rewind(scratch);
  char chunk[1 << 16];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, scratch)) > 0)
    if (std::fwrite(chunk, 1, got, out) != got) throw std::runtime_error(std::strerror(errno));
  if (std::fflush(out) != 0) throw std::runtime_error(std::strerror(errno));
}

// The records go to a scratch file first, so that a bad game leaves the
// output empty.
int Convert(std::FILE* in, const TPgn2EpdArgs& args, const std::string& shown, std::FILE* out,
            std::FILE* err) {
  const TFilePtr scratch = OpenScratchFile();
  TPgnEpdReader reader{TPgnLexer(in), args.Policy};
  reader.OnWarning([err](const std::string& warning) {
    std::fprintf(err, "boardquill: warning: %s\n", warning.c_str());
  });
  std::string_view line;
  std::string buf;
  while (reader.Next(line)) {
    buf += line;
    buf += '\n';
    if (buf.size() < (1 << 16)) continue;
    if (std::fwrite(buf.data(), 1, buf.size(), scratch.get()) != buf.size())
      throw std::runtime_error(std::strerror(errno));
    buf.clear();
  }
  if (reader.Failed()) {
    std::fprintf(err, "%s\n%s: error: %s\n", reader.Message().c_str(), shown.c_str(),
                 reader.Reason().c_str());
    return kExitBadInput;
  }
  if (std::fwrite(buf.data(), 1, buf.size(), scratch.get()) != buf.size())
    throw std::runtime_error(std::strerror(errno));
  CopyOut(scratch.get(), out);
  return kExitOk;
}

}  // namespace

int RunPgn2Epd(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  TPgn2EpdArgs parsed;
  const std::string wrong = ParseArgs(args, parsed);
  if (!wrong.empty()) return Usage(err, wrong);
  const bool useStdin = parsed.Input == "-";
  const std::string shown = useStdin ? "<stdin>" : parsed.Input;
  TFilePtr owned(useStdin ? nullptr : std::fopen(parsed.Input.c_str(), "rb"));
  if (!useStdin && !owned) {
    std::fprintf(err, "boardquill: cannot open \"%s\": %s\n", parsed.Input.c_str(),
                 std::strerror(errno));
    return kExitUsage;
  }
  try {
    return Convert(useStdin ? stdin : owned.get(), parsed, shown, out, err);
  } catch (const std::exception& e) {
    std::fprintf(err, "boardquill: pgn2epd of \"%s\": %s\n", shown.c_str(), e.what());
    return kExitUsage;
  }
}

void CheckPgnInput(std::FILE* in, std::string head, const std::string& name,
                   TPgnCheckTotals& totals, std::FILE* out) {
  TPgnEpdReader reader{TPgnLexer(in, std::move(head))};
  long long game = 0, records = 0;  // the game of the records counted last, and their count
  std::string_view line;
  for (;;) {
    const bool got = reader.Next(line);
    if (reader.Game() != game) {
      totals.Positions += records;
      game = reader.Game();
      records = 0;
    }
    if (got) {
      ++records;
    } else if (reader.Failed()) {
      ++totals.Errors;
      records = 0;
      std::fprintf(out, "%s: error: game %lld: %s\n", name.c_str(), game, reader.Reason().c_str());
    } else {
      break;
    }
  }
  totals.Positions += records;
  totals.Games += reader.Game();
}

std::string PgnCheckSummary(const TPgnCheckTotals& totals) {
  return std::to_string(totals.Games) + " games, " + std::to_string(totals.Positions) +
         " positions, " + std::to_string(totals.Errors) + " errors";
}

}  // namespace bq
