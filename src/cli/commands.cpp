#include "cli/commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "chess/input.h"
#include "chess/parser.h"
#include "chess/validation.h"
#include "cli/outfile.h"
#include "convert/driver.h"
#include "convert/lines.h"
#include "fonts/catalogue.h"
#include "support/errors.h"
#include "support/profile.h"
#include "support/settings.h"

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
    "                             or holds an impossible position ('-' or none: stdin)\n"
    "  convert [OPTIONS] [FILE|-] write the RTF document of FILE (default: stdin)\n"
    "  fonts [OPTIONS]            list the chess diagram fonts that can be used\n"
    "\n"
    "Options of convert:\n"
    "  -o, --output PATH          write to PATH instead of standard output; an\n"
    "                             existing PATH is replaced only on success\n"
    "  --settings PATH            read the settings from PATH instead of the\n"
    "                             desktop program's settings file\n"
    "  --font NAME                diagram font (see 'boardquill fonts')\n"
    "  --font-size N              diagram font size in points\n"
    "  --coords, --no-coords      draw coordinates (when the font has them) or not\n"
    "  --text-font NAME           font of the operations text\n"
    "  --text-font-size N         size of the operations text in points\n"
    "  --operations LIST          comma-separated operations to print (e.g. id,bm)\n"
    "  --fonts-file PATH          font description file (default: ChsFonts.ini\n"
    "                             beside the program)\n"
    "  --all-fonts                use every font of the file, installed or not\n"
    "\n"
    "Options of fonts: --fonts-file PATH, --all-fonts\n"
    "\n"
    "  -h, --help                 show this help\n"
    "  --version                  show the version\n"
    "\n"
    "Exit status: 0 success, 1 a bad EPD line, 2 usage or file errors.\n";

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
  ArgList(int argc, char** argv, int first) {
    for (int i = first; i < argc; ++i) args_.emplace_back(argv[i]);
  }
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
  std::size_t i_ = 0;
};

std::int32_t IntArg(const std::string& option, const std::string& value) {
  std::int32_t n = 0;
  if (!ParseProfileInt(value, n))
    throw UsageError("option " + option + " needs an integer, not " + Quoted(value));
  return n;
}

using FilePtr = TFilePtr;

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
  while (!args.Done()) {
    const std::string& a = args.Peek();
    if (a.size() > 1 && a[0] == '-') throw UsageError("unknown option " + a + " for check");
    files.push_back(args.Take());
  }
  if (files.empty()) files.push_back("-");

  long long positions = 0, errors = 0, illegal = 0;
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
    TEPDLineReader reader(in);
    long long lineNo = 0;
    const std::string shown = DisplayName(name);
    try {
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
  std::printf("%lld positions, %lld errors, %lld illegal\n", positions, errors, illegal);
  return errors > 0 ? kExitBadInput : kExitOk;
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

// The document goes to a temporary file first, so that a bad line leaves the
// output (an existing file or the terminal) untouched.
class TempOutput {
 public:
  explicit TempOutput(const std::string& target) : target_(target) {
    try {
      if (target_.empty())
        scratch_ = OpenScratchFile();
      else
        replacing_.emplace(target_);
    } catch (const TFileError& e) {
      if (target_.empty())
        throw InputError(std::string("cannot create a temporary file: ") + e.what());
      throw InputError("cannot write " + Quoted(target_) + ": " + e.what());
    }
    file_ = target_.empty() ? scratch_.get() : replacing_->Stream();
  }

  void Write(std::string& buf) {
    if (!buf.empty() && std::fwrite(buf.data(), 1, buf.size(), file_) != buf.size())
      throw InputError("cannot write " + Where() + ": " + std::strerror(errno));
    unsynced_ += buf.size();
    buf.clear();
    // The disk works on the document while the rest is converted.
    if (replacing_ && unsynced_ >= kWritebackStep) {
      replacing_->StartWriteback();
      unsynced_ = 0;
    }
  }

  // Moves the finished document to its place.
  void Commit() {
    if (target_.empty()) {
      if (std::fflush(file_) != 0)
        throw InputError("cannot write " + Where() + ": " + std::strerror(errno));
      std::rewind(file_);
      char chunk[1 << 16];
      std::size_t got;
      while ((got = std::fread(chunk, 1, sizeof chunk, file_)) > 0) {
        if (std::fwrite(chunk, 1, got, stdout) != got)
          throw InputError(std::string("cannot write to standard output: ") + std::strerror(errno));
      }
      if (std::fflush(stdout) != 0)
        throw InputError(std::string("cannot write to standard output: ") + std::strerror(errno));
      return;
    }
    try {
      replacing_->Commit();
    } catch (const TFileError& e) {
      throw InputError("cannot write " + Where() + ": " + e.what());
    }
  }

 private:
  std::string Where() const { return target_.empty() ? "a temporary file" : Quoted(target_); }

  std::string target_;
  TFilePtr scratch_;                         // standard output: read back at the end
  std::optional<TReplacingFile> replacing_;  // a named file: moved over it at the end
  std::FILE* file_ = nullptr;                // the one of the two in use
  static constexpr std::size_t kWritebackStep = std::size_t{1} << 20;
  std::size_t unsynced_ = 0;  // bytes written since the last StartWriteback
};

int RunConvert(ArgList& args) {
  std::string output, settingsPath, v;
  std::string input(1, '-');
  std::optional<std::string> font, textFont, operations;
  std::optional<std::int32_t> fontSize, textFontSize;
  std::optional<bool> coords;
  FontOptions fontOpts;
  bool haveInput = false;
  while (!args.Done()) {
    if (args.Option("--output", "-o", v)) {
      output = v == "-" ? "" : v;
    } else if (args.Option("--settings", "", v)) {
      settingsPath = v;
    } else if (args.Option("--font", "", v)) {
      font = v;
    } else if (args.Option("--font-size", "", v)) {
      fontSize = IntArg("--font-size", v);
    } else if (args.Flag("--coords")) {
      coords = true;
    } else if (args.Flag("--no-coords")) {
      coords = false;
    } else if (args.Option("--text-font", "", v)) {
      textFont = v;
    } else if (args.Option("--text-font-size", "", v)) {
      textFontSize = IntArg("--text-font-size", v);
    } else if (args.Option("--operations", "", v)) {
      operations = v;
    } else if (fontOpts.Parse(args)) {
    } else if (args.Peek().size() > 1 && args.Peek()[0] == '-') {
      throw UsageError("unknown option " + args.Peek() + " for convert");
    } else if (haveInput) {
      throw UsageError("convert takes one input file, not " + Quoted(args.Peek()));
    } else {
      input = args.Take();
      haveInput = true;
    }
  }

  const TChessFontInfoMan fonts = fontOpts.Load();
  TConvertSettings s = ReadConvertSettings(
      TProfileFile::Load(settingsPath.empty() ? SettingsFileName() : settingsPath));
  if (font) {
    s.DiagFont = *font;
    s.DiagFontCharSet = fonts.FontCharset(*font);
  }
  if (fontSize) s.DiagFontSize = *fontSize;
  if (coords) s.ShowCoords = *coords;
  if (textFont) s.TextFont = *textFont;
  if (textFontSize) s.TextFontSize = *textFontSize;
  if (operations) s.Operations = *operations;

  if (s.DiagFont.empty()) {
    std::fprintf(stderr,
                 "boardquill: warning: no diagram font chosen; the diagrams will be empty "
                 "(choose one with --font; 'boardquill fonts' lists them)\n");
  } else if (fonts.FontIndex(s.DiagFont) < 0) {
    std::fprintf(stderr,
                 "boardquill: warning: diagram font %s is not in the font catalogue; the "
                 "diagrams will be empty ('boardquill fonts' lists the fonts)\n",
                 Quoted(s.DiagFont).c_str());
  }

  FilePtr owned = OpenInput(input);
  std::FILE* in = owned ? owned.get() : stdin;
  TempOutput out(output);
  TEPDConverter converter(s, fonts);
  TEPDLineReader reader(in);
  std::string_view line;
  std::string buf;
  buf.reserve(1 << 17);
  try {
    while (reader.Next(line)) {
      if (!converter.ConvertLine(line, buf)) {
        std::fprintf(stderr, "%s\n%s:%lld: error: %s\n", converter.Message().c_str(),
                     DisplayName(input).c_str(), converter.LineNumber(),
                     converter.Reason().c_str());
        return kExitBadInput;
      }
      if (buf.size() >= (1 << 16)) out.Write(buf);
    }
  } catch (const InputError&) {
    throw;
  } catch (const TRunError&) {
    throw;
  } catch (const std::runtime_error& e) {
    throw InputError("cannot read " + Quoted(DisplayName(input)) + ": " + e.what());
  }
  converter.Finish(buf);
  out.Write(buf);
  out.Commit();
  return kExitOk;
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
