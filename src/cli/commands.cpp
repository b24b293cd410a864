#include "cli/commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "chess/input.h"
#include "chess/parser.h"
#include "chess/validation.h"
#include "cli/documentoutput.h"
#include "cli/pgncommands.h"
#include "convert/driver.h"
#include "convert/gametextdriver.h"
#include "convert/job.h"
#include "convert/lines.h"
#include "convert/rtfwriter.h"
#include "fonts/catalogue.h"
#include "fonts/fontstatus.h"
#include "fonts/installed.h"
#include "games/inputkind.h"
#include "games/pgnepd.h"
#include "games/pgntext.h"
#include "support/ascii.h"
#include "support/atomicfile.h"
#include "support/errors.h"
#include "support/profile.h"
#include "support/settings.h"

#ifdef BOARDQUILL_PICTURES
#include "render/picturefolder.h"
#include "render/picturesink.h"
#include "render/picturewriter.h"
#endif

namespace bq {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: boardquill [COMMAND] [OPTIONS]\n"
    "Turns chess positions written as EPD into chess diagrams (RTF) for documents.\n"
    "Without a command the desktop window opens.\n"
    "\n"
    "Commands:\n"
    "  check [FILE...]            report every line that is not a valid EPD record\n"
    "                             or holds an impossible position, and every game\n"
    "                             that cannot be read ('-' or none: stdin)\n"
    "  convert [OPTIONS] [FILE|-] write the RTF document of FILE (default: stdin),\n"
    "                             or a PDF document or pictures of its diagrams\n"
    "  fonts [OPTIONS]            list the chess diagram fonts that can be used\n"
    "  pgn2epd [--diagrams D] [FILE|-]\n"
    "                             print the positions chosen from PGN games as EPD\n"
    "\n"
    "Options of convert:\n"
    "  -o, --output PATH          write to PATH instead of standard output; an\n"
    "                             existing PATH is replaced only on success\n"
    "  --settings PATH            read the settings from PATH instead of the\n"
    "                             desktop program's settings file\n"
    "  --font NAME                diagram font (see 'boardquill fonts')\n"
    "  --font-size N              diagram font size in points, 1 to 100\n"
    "  --coords, --no-coords      draw coordinates (when the font has them) or not\n"
    "  --text-font NAME           font of the operations text\n"
    "  --text-font-size N         size of the operations text in points, 1 to 100\n"
    "  --operations LIST          comma-separated operations to print (e.g. id,bm)\n"
    "  --fonts-file PATH          font description file (default: ChsFonts.ini\n"
    "                             beside the program)\n"
    "  --all-fonts                use every font of the file, installed or not\n"
    "  --input epd|pgn            what the input holds (default: PGN when its first\n"
    "                             line that is not blank or a comment begins with\n"
    "                             '[' or a move number, else EPD); also for check\n"
    "  --orientation white|black|tomove\n"
    "                             the side the board is seen from\n"
    "  --mover-mark, --no-mover-mark\n"
    "                             a square beside the board for the side to move\n"
    "  --caption TEMPLATE         a line under each diagram: {n}, {line}, {tomove},\n"
    "                             {fen} or any opcode such as {id}; {{ and }} braces\n"
    "  --columns N                diagrams side by side, 1 to 4\n"
    "  --solutions LIST           operations printed in an answer key at the end\n"
    "                             instead of above the diagrams (e.g. bm)\n"
    "  --marks, --no-marks        draw the squares and arrows of csl and cal\n"
    "                             operations, or not (default: draw them)\n"
    "  --diagram-style font|picture\n"
    "                             RTF diagrams typed in the diagram font (default),\n"
    "                             or pictures (PNG, 300 pixels per inch) that show\n"
    "                             where the font is not installed\n"
    "  --diagrams D               positions drawn from games: marked (after moves\n"
    "                             marked $220, $221 or [#]), final, start, every:N\n"
    "  --game-text, --no-game-text\n"
    "                             print games as text (RTF and PDF): moves,\n"
    "                             comments and variations, the diagrams inside;\n"
    "                             in 1 or 2 columns\n"
    "  --notation figurine|english|dutch|german|custom\n"
    "                             the pieces of moves in game text (default\n"
    "                             figurine)\n"
    "  --format rtf|pdf|svg|png   what to write (default rtf, or pdf for an -o\n"
    "                             ending in .pdf); svg and png write one picture\n"
    "                             per diagram into the new or empty folder -o DIR\n"
    "  --paper a4|letter          PDF page size (default a4; 2 cm margins)\n"
    "  --square PX                picture square size in pixels, 1 to 400\n"
    "                             (default 40: a framed board 400 px wide)\n"
    "  --transparent              pictures without a white background\n"
    "  --name TEMPLATE            picture file names, with the fields of --caption\n"
    "                             (default {n}: 0001, 0002, ...)\n"
    "\n"
    "Options of fonts: --fonts-file PATH, --all-fonts\n"
    "\n"
    "  -h, --help                 show this help\n"
    "  --version                  show the version\n"
    "\n"
    "Exit status: 0 success, 1 a bad EPD line or game, 2 usage or file errors.\n";

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string Quoted(std::string_view s) {
  std::string q;
  q.reserve(s.size() + 2);
  q.push_back('"');
  q.append(s);
  q.push_back('"');
  return q;
}

// Arguments of one command, with "--name value" and "--name=value" forms.
class ArgList {
 public:
  ArgList(int argc, char** argv, int first) : argv_(argv) {
    for (int i = first; i < argc; ++i) args_.emplace_back(argv[i]);
  }
  // The program's arguments as it was given them, to pass on.
  char** Argv() const { return argv_; }
  bool Done() const { return i_ >= args_.size(); }
  const std::string& Peek() const { return args_[i_]; }
  std::string Take() { return args_[i_++]; }
  // Matches an option that takes a value; `value` receives it.
  bool Option(std::string_view longName, std::string_view shortName, std::string& value) {
    const std::string& a = args_[i_];
    if (a == longName || (!shortName.empty() && a == shortName)) {
      if (i_ + 1 >= args_.size()) throw UsageError("option " + a + " needs a value");
      value = args_[i_ + 1];
      i_ += 2;
      return true;
    }
    if (a.size() > longName.size() + 1 && a.compare(0, longName.size(), longName) == 0 &&
        a[longName.size()] == '=') {
      value = a.substr(longName.size() + 1);
      ++i_;
      return true;
    }
    return false;
  }
  bool Flag(std::string_view name) {
    if (args_[i_] != name) return false;
    ++i_;
    return true;
  }

 private:
  std::vector<std::string> args_;
  char** argv_;
  std::size_t i_ = 0;
};

std::int32_t IntArg(const std::string& option, const std::string& value) {
  std::int32_t n = 0;
  if (!ParseProfileInt(value, n))
    throw UsageError("option " + option + " needs an integer, not " + Quoted(value));
  return n;
}

// A font size in points; one that does not fit is a usage error that
// names the option and the range.
std::int32_t FontSizeArg(const std::string& option, const std::string& value) {
  std::string why;
  if (const auto size = ParseFontSize(value, &why)) return *size;
  throw UsageError(option + " " + why);
}

using FilePtr = TFilePtr;

// "--input epd|pgn"; false when `args` is not at it.
bool ParseInputKind(ArgList& args, std::optional<TInputKind>& kind) {
  std::string v;
  if (!args.Option("--input", "", v)) return false;
  if (SameAsciiText(v, "epd"))
    kind = TInputKind::Epd;
  else if (SameAsciiText(v, "pgn"))
    kind = TInputKind::Pgn;
  else
    throw UsageError("option --input takes epd or pgn, not " + Quoted(v));
  return true;
}

// Standard input, or a file opened for reading; throws UsageError-like
// failures as I/O errors naming the file.
struct InputError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

FilePtr OpenInput(const std::string& name) {
  if (name == "-") return FilePtr(nullptr);
  std::FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) throw InputError("cannot open " + Quoted(name) + ": " + std::strerror(errno));
  return FilePtr(f);
}

std::string DisplayName(const std::string& name) {
  return name == "-" ? "<stdin>" : name;
}

// ---- check ----------------------------------------------------------------

int RunCheck(ArgList& args) {
  std::vector<std::string> files;
  std::optional<TInputKind> kind;
  while (!args.Done()) {
    if (ParseInputKind(args, kind)) continue;
    const std::string& a = args.Peek();
    if (a.size() > 1 && a[0] == '-') throw UsageError("unknown option " + a + " for check");
    files.push_back(args.Take());
  }
  if (files.empty()) files.push_back("-");

  long long positions = 0, errors = 0, illegal = 0;
  TPgnCheckTotals games;
  bool anyEpd = false;
  TPosition rec;
  InitPosition(rec);
  std::string_view line;
  std::string reason;
  for (const std::string& name : files) {
    FilePtr owned;
    try {
      owned = OpenInput(name);
    } catch (const InputError& e) {
      std::fprintf(stderr, "boardquill: %s\n", e.what());
      return kExitUsage;
    }
    std::FILE* in = owned ? owned.get() : stdin;
    long long lineNo = 0;
    const std::string shown = DisplayName(name);
    try {
      std::string head = ReadInputHead(in);
      if ((kind ? *kind : DetectInputKind(head)) == TInputKind::Pgn) {
        CheckPgnInput(in, std::move(head), shown, games);
        continue;
      }
      anyEpd = true;
      TEPDLineReader reader(in, std::move(head));
      while (reader.Next(line)) {
        ++lineNo;
        const std::string_view text = TrimEPDLine(line);
        if (IsSkippedEPDLine(text)) continue;
        ++positions;
        reason.clear();
        std::string why;
        if (!ReadEPDLine(rec, text, &reason, &why)) {
          ++errors;
          std::printf("%s:%lld: error: %s\n", shown.c_str(), lineNo, reason.c_str());
        } else if (!why.empty()) {
          ++illegal;
          std::printf(
              "%s:%lld: warning: illegal position (%s); the start position would be shown\n",
              shown.c_str(), lineNo, why.c_str());
        }
      }
    } catch (const std::runtime_error& e) {
      std::fprintf(stderr, "boardquill: cannot read %s: %s\n", Quoted(shown).c_str(), e.what());
      return kExitUsage;
    }
  }
  if (anyEpd || games.Games == 0)
    std::printf("%lld positions, %lld errors, %lld illegal\n", positions, errors, illegal);
  if (games.Games > 0) std::printf("%s\n", PgnCheckSummary(games).c_str());
  return errors > 0 || games.Errors > 0 ? kExitBadInput : kExitOk;
}

// ---- settings ---------------------------------------------------------------

struct FontOptions {
  std::string fontsFile;
  bool allFonts = false;

  bool Parse(ArgList& args) {
    std::string v;
    if (args.Option("--fonts-file", "", v)) {
      fontsFile = v;
      return true;
    }
    if (args.Flag("--all-fonts")) {
      allFonts = true;
      return true;
    }
    return false;
  }
  std::string Path() const {
    return fontsFile.empty() ? ProgramFolder() + "ChsFonts.ini" : fontsFile;
  }
  TChessFontInfoMan Load() const {
    // A file named on the command line must be readable; the default one
    // may be missing (an empty catalogue).
    if (!fontsFile.empty() && !TFilePtr(std::fopen(fontsFile.c_str(), "rb")))
      throw InputError("cannot read font description file " + Quoted(fontsFile) + ": " +
                       std::strerror(errno));
    return allFonts ? TChessFontInfoMan(Path(), nullptr) : TChessFontInfoMan(Path());
  }
};

// ---- convert ----------------------------------------------------------------

struct ConvertOptions {
  std::string output;  // empty: standard output
  std::string settingsPath;
  std::string input = "-";
  std::optional<std::string> font, textFont, operations, caption, solutions;
  std::optional<std::int32_t> fontSize, textFontSize;
  std::optional<bool> coords, moverMark, marks, gameText;
  std::optional<TNotation> notation;
  std::optional<TOrientation> orientation;
  std::optional<int> columns;
  std::optional<TDiagramStyle> diagramStyle;
  FontOptions fontOpts;
  std::optional<TInputKind> kind;
  std::optional<std::string> diagrams;
  std::optional<TOutputFormat> format;  // none: from the output's name
  TPictureOptions pictures;
};

// A value that does not fit is a usage error naming the option.
template <typename T>
T Checked(const std::string& option, std::optional<T> value, const std::string& why) {
  if (!value) throw UsageError("option " + option + ": " + why);
  return *value;
}

// Options of the author's layout; false when `args` is at none of them.
bool ParseLayoutOption(ArgList& args, ConvertOptions& o) {
  std::string v, why;
  if (args.Option("--orientation", "", v)) {
    o.orientation = Checked("--orientation", ParseOrientation(v, &why), why);
  } else if (args.Flag("--mover-mark")) {
    o.moverMark = true;
  } else if (args.Flag("--no-mover-mark")) {
    o.moverMark = false;
  } else if (args.Option("--caption", "", v)) {
    why = TemplateError(v);
    o.caption = Checked("--caption", why.empty() ? std::optional(v) : std::nullopt, why);
  } else if (args.Option("--columns", "", v)) {
    o.columns = Checked("--columns", ParseColumns(v, &why), why);
  } else if (args.Option("--solutions", "", v)) {
    o.solutions = v;
  } else if (args.Option("--diagram-style", "", v)) {
    o.diagramStyle = Checked("--diagram-style", ParseDiagramStyle(v, &why), why);
  } else if (args.Flag("--marks")) {
    o.marks = true;
  } else if (args.Flag("--no-marks")) {
    o.marks = false;
  } else {
    return false;
  }
  return true;
}

// Options of game text; false when `args` is at none of them.
bool ParseGameTextOption(ArgList& args, ConvertOptions& o) {
  std::string v, why;
  if (args.Flag("--game-text")) {
    o.gameText = true;
  } else if (args.Flag("--no-game-text")) {
    o.gameText = false;
  } else if (args.Option("--notation", "", v)) {
    o.notation = Checked("--notation", ParseNotation(v, &why), why);
  } else {
    return false;
  }
  return true;
}

// Options of the conversion's settings; false when `args` is at none of them.
bool ParseSettingOption(ArgList& args, ConvertOptions& o) {
  std::string v;
  if (args.Option("--font", "", v)) {
    o.font = v;
  } else if (args.Option("--font-size", "", v)) {
    o.fontSize = FontSizeArg("--font-size", v);
  } else if (args.Flag("--coords")) {
    o.coords = true;
  } else if (args.Flag("--no-coords")) {
    o.coords = false;
  } else if (args.Option("--text-font", "", v)) {
    o.textFont = v;
  } else if (args.Option("--text-font-size", "", v)) {
    o.textFontSize = FontSizeArg("--text-font-size", v);
  } else if (args.Option("--operations", "", v)) {
    o.operations = v;
  } else {
    return ParseLayoutOption(args, o) || ParseGameTextOption(args, o);
  }
  return true;
}

// Options of the picture output; false when `args` is at none of them.
bool ParsePictureOption(ArgList& args, ConvertOptions& o) {
  TPictureOptions& p = o.pictures;
  std::string v;
  if (args.Option("--format", "", v)) {
    static const std::pair<const char*, TOutputFormat> kFormats[] = {{"rtf", TOutputFormat::Rtf},
                                                                     {"pdf", TOutputFormat::Pdf},
                                                                     {"svg", TOutputFormat::Svg},
                                                                     {"png", TOutputFormat::Png}};
    for (const auto& [name, format] : kFormats)
      if (SameAsciiText(v, name)) o.format = format;
    if (!o.format) throw UsageError("option --format takes rtf, pdf, svg or png, not " + Quoted(v));
  } else if (args.Option("--paper", "", v)) {
    if (!SameAsciiText(v, "a4") && !SameAsciiText(v, "letter"))
      throw UsageError("option --paper takes a4 or letter, not " + Quoted(v));
    p.Paper = SameAsciiText(v, "letter") ? TPaper::Letter : TPaper::A4;
  } else if (args.Option("--square", "", v)) {
    p.SquarePx = IntArg("--square", v);
    if (p.SquarePx < 1 || p.SquarePx > 400)
      throw UsageError("option --square takes 1 to 400 pixels, not " + Quoted(v));
  } else if (args.Flag("--transparent")) {
    p.Transparent = true;
  } else if (args.Option("--name", "", v)) {
    if (const std::string why = TemplateError(v); !why.empty())
      throw UsageError("option --name: " + why);
    p.NameTemplate = v;
  } else {
    return false;
  }
  return true;
}

ConvertOptions ParseConvertOptions(ArgList& args) {
  ConvertOptions o;
  std::string v;
  bool haveInput = false;
  while (!args.Done()) {
    if (args.Option("--output", "-o", v)) {
      o.output = v == "-" ? "" : v;
    } else if (args.Option("--settings", "", v)) {
      o.settingsPath = v;
    } else if (ParseSettingOption(args, o) || o.fontOpts.Parse(args) ||
               ParseInputKind(args, o.kind) || ParsePictureOption(args, o)) {
    } else if (args.Option("--diagrams", "", v)) {
      o.diagrams = v;
    } else if (args.Peek().size() > 1 && args.Peek()[0] == '-') {
      throw UsageError("unknown option " + args.Peek() + " for convert");
    } else if (haveInput) {
      throw UsageError("convert takes one input file, not " + Quoted(args.Peek()));
    } else {
      o.input = args.Take();
      haveInput = true;
    }
  }
  return o;
}

// The format asked for, else PDF for an output named *.pdf, else RTF.
TOutputFormat FormatOf(const ConvertOptions& o) {
  if (o.format) return *o.format;
  const std::string_view out = o.output;
  const bool pdf = out.size() > 4 && SameAsciiText(out.substr(out.size() - 4), ".pdf");
  return pdf ? TOutputFormat::Pdf : TOutputFormat::Rtf;
}

// The one job of the run: the settings file's conversion settings with the
// options over them, the diagram font looked up once, what to write.
TConvertJob JobFor(const ConvertOptions& o, const TProfileFile& ini,
                   const TChessFontInfoMan& fonts) {
  std::vector<std::string> warnings;
  TConvertSettings s = ReadConvertSettings(ini, &warnings);
  for (const std::string& warning : warnings)
    std::fprintf(stderr, "boardquill: warning: %s\n", warning.c_str());
  if (o.font) s.DiagFont = *o.font;
  if (o.fontSize) s.DiagFontSize = *o.fontSize;
  if (o.coords) s.ShowCoords = *o.coords;
  if (o.textFont) s.TextFont = *o.textFont;
  if (o.textFontSize) s.TextFontSize = *o.textFontSize;
  if (o.operations) s.Operations = *o.operations;
  TLayoutSettings& l = s.Layout;
  l.Orientation = o.orientation.value_or(l.Orientation);
  l.MoverMark = o.moverMark.value_or(l.MoverMark);
  l.Caption = o.caption.value_or(l.Caption);
  l.Columns = o.columns.value_or(l.Columns);
  l.Solutions = o.solutions.value_or(l.Solutions);
  s.Marks = o.marks.value_or(s.Marks);
  s.GameText = o.gameText.value_or(s.GameText);
  s.Notation = o.notation.value_or(s.Notation);
  s.DiagramStyle = o.diagramStyle.value_or(s.DiagramStyle);
  TConvertJob job = MakeConvertJob(s, fonts, FormatOf(o), o.pictures);
  // A font named here brings its own charset; the settings file's goes
  // with the font it names.
  if (o.font) job.Settings.DiagFontCharSet = job.Glyphs.Charset;
  if (const std::string wide = ColumnsWidthWarning(job); !wide.empty())
    std::fprintf(stderr, "boardquill: warning: %s\n", wide.c_str());
  return job;
}

// The window's status line says the same. With --all-fonts a font that is
// not installed here is asked for on purpose (a document for another
// machine), and converts as well as any.
void WarnAboutDiagramFont(const TConvertJob& job, const FontOptions& fontOpts) {
  const TConvertSettings& s = job.Settings;
  const std::string name = Quoted(s.DiagFont);
  const bool empty = !job.FontDescribed;
  // With --all-fonts the catalogue holds every described font, installed or
  // not, so the system is not asked for its fonts (20 M instructions, and
  // on Windows a helper process that would hold our standard streams).
  if (fontOpts.allFonts && !empty) return;
  const char* const result = empty ? "; the diagrams will be empty" : "";
  const TFontState state =
      !fontOpts.allFonts
          ? DiagramFontState(s.DiagFont, DescribedFontNames(fontOpts.Path()), InstalledFontList())
      : s.DiagFont.empty() ? TFontState::NoneChosen
                           : TFontState::Unknown;
  switch (state) {
    case TFontState::NoneChosen:
      std::fprintf(stderr,
                   "boardquill: warning: no diagram font chosen; the diagrams will be empty "
                   "(choose one with --font; 'boardquill fonts' lists them)\n");
      break;
    case TFontState::NotInstalled:
      std::fprintf(stderr,
                   "boardquill: warning: diagram font %s is not installed%s (install the free "
                   "diagram fonts with install-fonts.sh, or choose another with --font)\n",
                   name.c_str(), result);
      break;
    case TFontState::NotDescribed:
      std::fprintf(stderr,
                   "boardquill: warning: diagram font %s is installed, but the font description "
                   "file does not describe its glyphs%s ('boardquill fonts' lists the fonts)\n",
                   name.c_str(), result);
      break;
    case TFontState::Unknown:
      std::fprintf(stderr,
                   "boardquill: warning: diagram font %s is not in the font catalogue%s "
                   "('boardquill fonts' lists the fonts)\n",
                   name.c_str(), result);
      break;
    case TFontState::Ready:
      break;
  }
}

// The input's first bytes, and whether it holds games.
struct TInputStart {
  std::string Head;
  bool Games = false;
};

TInputStart StartInput(std::FILE* in, const ConvertOptions& o, const std::string& shown) {
  try {
    std::string head = ReadInputHead(in);
    const bool games = (o.kind ? *o.kind : DetectInputKind(head)) == TInputKind::Pgn;
    return {std::move(head), games};
  } catch (const std::runtime_error& e) {
    throw InputError("cannot read " + Quoted(shown) + ": " + e.what());
  }
}

// The records of an input: its EPD lines, or the EPD records of the
// positions chosen from its games.
class TRecordSource {
 public:
  TRecordSource(std::FILE* in, TInputStart start, const TDiagramPolicy& policy) {
    if (start.Games) {
      games_.emplace(TPgnLexer(in, std::move(start.Head)), policy);
      games_->OnWarning([](const std::string& warning) {
        std::fprintf(stderr, "boardquill: warning: %s\n", warning.c_str());
      });
    } else {
      lines_.emplace(in, std::move(start.Head));
    }
  }
  bool Next(std::string_view& line) { return games_ ? games_->Next(line) : lines_->Next(line); }
  // After Next gave false: the game that could not be read, if any.
  const TPgnEpdReader* FailedGame() const {
    return games_ && games_->Failed() ? &*games_ : nullptr;
  }

 private:
  std::optional<TEPDLineReader> lines_;
  std::optional<TPgnEpdReader> games_;
};

// A failure to read names the input, while what the output throws passes
// as it is: `read` only reads.
template <typename TRead>
auto Reading(const std::string& shown, TRead read) {
  try {
    return read();
  } catch (const std::runtime_error& e) {
    throw InputError("cannot read " + Quoted(shown) + ": " + e.what());
  }
}

// Converts every record of the input into `sink`. At the first line that
// is not a valid record, or at a game that cannot be read, says why and
// returns the exit status of a bad input; the sink is then not finished.
int ConvertInput(std::FILE* in, TInputStart start, const ConvertOptions& o,
                 const TDiagramPolicy& policy, const TConvertJob& job, TRecordSink& sink) {
  const std::string shown = DisplayName(o.input);
  TRecordSource source =
      Reading(shown, [&] { return TRecordSource(in, std::move(start), policy); });
  TEPDConverter converter(job);
  std::string_view line;
  while (Reading(shown, [&] { return source.Next(line); })) {
    if (!converter.ConvertLine(line, sink)) {
      std::fprintf(stderr, "%s\n%s:%lld: error: %s\n", converter.Message().c_str(), shown.c_str(),
                   converter.LineNumber(), converter.Reason().c_str());
      return kExitBadInput;
    }
  }
  if (const TPgnEpdReader* game = source.FailedGame()) {
    std::fprintf(stderr, "%s\n%s: error: %s\n", game->Message().c_str(), shown.c_str(),
                 game->Reason().c_str());
    return kExitBadInput;
  }
  converter.Finish(sink);
  return kExitOk;
}

// Converts the games of the input as text into `sink`, game by game as
// they are read; a game that cannot be read stops it as in ConvertInput.
int ConvertGames(std::FILE* in, TInputStart start, const ConvertOptions& o,
                 const TDiagramPolicy& policy, const TConvertJob& job, TRecordSink& sink) {
  const std::string shown = DisplayName(o.input);
  TPgnTextReader reader{TPgnLexer(in, std::move(start.Head)), GameTextOptions(job, policy)};
  TGameTextConverter converter(job);
  std::vector<TGameParagraph> paragraphs;
  while (Reading(shown, [&] { return reader.Next(paragraphs); })) {
    for (const TGameParagraph& paragraph : paragraphs) {
      if (converter.Add(paragraph, sink)) continue;
      std::fprintf(stderr, "%s\n%s: error: %s\n", converter.Message().c_str(), shown.c_str(),
                   converter.Reason().c_str());
      return kExitBadInput;
    }
  }
  if (reader.Failed()) {
    std::fprintf(stderr, "%s\n%s: error: %s\n", reader.Message().c_str(), shown.c_str(),
                 reader.Reason().c_str());
    return kExitBadInput;
  }
  converter.Finish(sink);
  return kExitOk;
}

// The sink of the job's format: documents go to `out`, pictures into the
// folder -o names.
std::unique_ptr<TRecordSink> MakeSink(const TConvertJob& job, const ConvertOptions& o,
                                      std::optional<TDocumentOutput>& out) {
  const auto write = [&out](std::string_view text) { out->Write(text); };
  if (job.Format == TOutputFormat::Rtf) {
    TBoardPng pictures;
#ifdef BOARDQUILL_PICTURES
    if (PictureDiagrams(job)) pictures = MakeBoardPng(job);
#endif
    return std::make_unique<TRtfWriter>(job, write, std::move(pictures),
                                        [&out](std::size_t size, std::string_view head) {
                                          out->ReplaceHead(size, std::string(head));
                                        });
  }
#ifdef BOARDQUILL_PICTURES
  return MakePictureSink(job, o.output, [write](const char* data, std::size_t size) {
    write(std::string_view(data, size));
  });
#else
  (void)o;
  throw InputError("this build has no picture output");
#endif
}

// The document or the folder of pictures; all or nothing. With GameText,
// games are written as text (their diagrams alone as pictures).
int WriteOutput(const ConvertOptions& o, const TDiagramPolicy& policy, const TConvertJob& job) {
  FilePtr owned = OpenInput(o.input);
  std::FILE* in = owned ? owned.get() : stdin;
  TInputStart start = StartInput(in, o, DisplayName(o.input));
  const bool document = job.Format == TOutputFormat::Rtf || job.Format == TOutputFormat::Pdf;
  std::optional<TConvertJob> textJob;
  if (start.Games && job.Settings.GameText) {
    if (const std::string why = GameTextColumnsError(job.Settings); document && !why.empty())
      throw UsageError(why + " (choose --columns 1 or 2, or --no-game-text)");
    textJob.emplace(GameTextJob(job));
  }
  const TConvertJob& used = textJob ? *textJob : job;
  std::optional<TDocumentOutput> out;
  if (document) out.emplace(o.output);
  const std::unique_ptr<TRecordSink> sink = MakeSink(used, o, out);
  const int status = textJob ? ConvertGames(in, std::move(start), o, policy, used, *sink)
                             : ConvertInput(in, std::move(start), o, policy, used, *sink);
  if (status != kExitOk) return status;
  if (out) out->Commit();
  // The window's status line says the same.
  if (const auto* rtf = dynamic_cast<const TRtfWriter*>(sink.get()); rtf && rtf->DroppedArrows())
    std::fprintf(stderr,
                 "boardquill: warning: arrows and circles need picture diagrams "
                 "(--diagram-style picture)\n");
  return kExitOk;
}

// Which positions of games become diagrams: --diagrams, else the setting
// GameDiagrams (a value that does not fit is warned of and not used).
TDiagramPolicy PolicyFor(const ConvertOptions& o, const TProfileFile& ini) {
  TDiagramPolicy policy;
  std::string why;
  if (o.diagrams) {
    if (!ParseDiagramPolicy(*o.diagrams, policy, &why))
      throw UsageError("option --diagrams: " + why);
    return policy;
  }
  const std::string value = ini.ReadString(kGeneral, "GameDiagrams", "");
  if (!value.empty() && !ParseDiagramPolicy(value, policy, &why)) {
    std::fprintf(stderr, "boardquill: warning: setting GameDiagrams: %s; marked is used\n",
                 why.c_str());
    policy = TDiagramPolicy{};
  }
  return policy;
}

// Refusals before any input is read. A diagram font the catalogue does not
// describe would draw empty boards, which a picture has no use for.
void CheckPictureOutput([[maybe_unused]] const ConvertOptions& o,
                        [[maybe_unused]] const TConvertJob& job) {
#ifndef BOARDQUILL_PICTURES
  throw InputError("this build has no picture output");
#else
  const TConvertSettings& s = job.Settings;
  if (job.Format == TOutputFormat::Svg || job.Format == TOutputFormat::Png) {
    if (o.output.empty()) throw UsageError("--format svg and png need -o FOLDER");
    if (!IsNewOrEmptyFolder(o.output))
      throw InputError("output folder " + Quoted(o.output) +
                       " must be new or empty: pictures never replace files");
  }
  if (s.DiagFont.empty())
    throw UsageError(
        "pictures need a diagram font (choose one with --font; "
        "'boardquill fonts' lists them)");
  if (!job.FontDescribed)
    throw UsageError("diagram font " + Quoted(s.DiagFont) +
                     " is not in the font catalogue, so it cannot be drawn "
                     "('boardquill fonts' lists the fonts)");
#endif
}

int RunConvert(ArgList& args) {
  const ConvertOptions o = ParseConvertOptions(args);
  const TChessFontInfoMan fonts = o.fontOpts.Load();
  // The settings file is read once, for the conversion and for games.
  const TProfileFile ini =
      TProfileFile::Load(o.settingsPath.empty() ? SettingsFileName() : o.settingsPath);
  const TConvertJob job = JobFor(o, ini, fonts);
  const TDiagramPolicy policy = PolicyFor(o, ini);
  if (DrawsPictures(job)) CheckPictureOutput(o, job);
  WarnAboutDiagramFont(job, o.fontOpts);
  return WriteOutput(o, policy, job);
}

// ---- fonts ------------------------------------------------------------------

int RunFonts(ArgList& args) {
  FontOptions fontOpts;
  while (!args.Done()) {
    if (!fontOpts.Parse(args)) throw UsageError("unknown argument " + args.Peek() + " for fonts");
  }
  const TChessFontInfoMan fonts = fontOpts.Load();
  std::printf("%-5s %-28s %-8s %-8s %-11s %s\n", "Index", "Name", "Charset", "Diagram",
              "FullBorder", "CoordinatesPossible");
  for (int i = 1; i <= fonts.FontCount(); ++i) {
    const ChessFontInfoRec info = fonts.GetFontInfo(i);
    std::printf("%-5d %-28s %-8d %-8s %-11s %s\n", i, info.Name.c_str(), info.Charset,
                info.Diagram ? "yes" : "no", info.FullBorder ? "yes" : "no",
                info.CoordinatesPossible ? "yes" : "no");
  }
  // "Default" is the list's own entry, not an installed font.
  const std::size_t installed = InstalledFontList().size() - 1;
  std::printf("%d fonts in %s%s; %zu installed font names seen\n", fonts.FontCount(),
              fontOpts.Path().c_str(), fontOpts.allFonts ? " (installed or not)" : "", installed);
  for (const std::string& name :
       MissingDescribedFonts(DescribedFontNames(fontOpts.Path()), InstalledFontList()))
    std::printf("not installed: %s\n", name.c_str());
  return kExitOk;
}

}  // namespace

bool IsCliInvocation(int argc, char**) {
  return argc > 1;
}

int RunCli(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  const std::string command = argv[1];
  UseBinaryStandardStreams();
  try {
    ArgList args(argc, argv, 2);
    if (command == "-h" || command == "--help" || command == "help") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    }
    if (command == "--version") {
      std::printf("boardquill %s\n", BOARDQUILL_VERSION);
      return kExitOk;
    }
    if (command == "check") return RunCheck(args);
    if (command == "convert") return RunConvert(args);
    if (command == "fonts") return RunFonts(args);
    if (command == "pgn2epd") return RunPgn2Epd(std::vector<std::string>(argv + 2, argv + argc));
    throw UsageError("unknown command " + Quoted(command));
  } catch (const UsageError& e) {
    std::fprintf(stderr, "boardquill: %s\nTry 'boardquill --help'.\n", e.what());
    return kExitUsage;
  } catch (const InputError& e) {
    std::fprintf(stderr, "boardquill: %s\n", e.what());
    return kExitUsage;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "boardquill: %s\n", e.what());
    return kExitUsage;
  }
}

}  // namespace bq
