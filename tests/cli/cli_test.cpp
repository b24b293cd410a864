// Runs the real `boardquill` executable on files, as a user would.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct CmdResult {
  int status = -1;
  std::string out, err;
};

// A document as written before each diagram was kept whole on its page:
// without "\keepn" at the records and "\pard " before their last lines.
std::string WithoutKeepTogether(std::string doc) {
  for (const std::string mark : {"\\keepn", "\\pard "})
    for (std::size_t at; (at = doc.find(mark)) != std::string::npos;) doc.erase(at, mark.size());
  return doc;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* bin = std::getenv("BQ_BINARY");
    ASSERT_NE(bin, nullptr) << "BQ_BINARY must name the boardquill executable";
    binary_ = fs::path(bin).make_preferred().string();
    settings_ = dir_ / "settings.ini";
    Write("settings.ini", "[General]\nOperations=id,bm\n");
    fontsFile_ = dir_ / "fonts.ini";
    Write("fonts.ini",
          "[Chess Fonts]\nFonts=1\nFont1=Test Font\n[Test Font]\nCharset=0\nBlank_W=32\n"
          "Blank_B=43\nWhiteKing_B=75\nWhiteKing_W=107\nBlackKing_W=108\nBlackKing_B=76\n");
  }
  // Under Wine a program that asks GDI for the fonts may start a helper
  // process that inherits its redirected streams and holds them for a while;
  // a folder left behind in the temporary folder is no failure of ours
  // (TempDir ignores it).

  fs::path Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return dir_ / name;
  }

  // `args` is written for sh. No argument holds a quote, so for cmd.exe
  // single quotes simply become double quotes.
  CmdResult Exec(std::string args, const std::string& stdinText = "") {
    // Fresh stream files for every run, for the same reason as in TearDown.
    const std::string n = std::to_string(++runs_);
    const fs::path in = Write("stdin" + n + ".txt", stdinText), out = dir_ / ("out" + n + ".txt"),
                   err = dir_ / ("err" + n + ".txt");
#ifdef _WIN32
    std::replace(args.begin(), args.end(), '\'', '"');
    const std::string cd = "cd /d ", q = "\"";
#else
    const std::string cd = "cd ", q = "'";
#endif
    const std::string cmd = cd + q + dir_.string() + q + " && " + q + binary_ + q + " " + args +
                            " <" + q + in.string() + q + " >" + q + out.string() + q + " 2>" + q +
                            err.string() + q;
    CmdResult r;
    const int st = std::system(cmd.c_str());
#ifdef _WIN32
    r.status = st;
#else
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
#endif
    r.out = ReadFile(out);
    r.err = ReadFile(err);
    return r;
  }

  std::string ConvertArgs() const {
    return "convert --settings '" + settings_.string() + "' --fonts-file '" + fontsFile_.string() +
           "' --all-fonts --font 'Test Font' ";
  }

  std::string binary_;
  const bq::testing::TempDir temp_;
  const fs::path dir_ = temp_.path();
  fs::path settings_, fontsFile_;
  int runs_ = 0;
};

TEST_F(CliTest, CheckCountsTheBundledSuite) {
  // bk.epd: a comment line and 24 records, CR LF line ends.
  const CmdResult r = Exec("check '" + std::string(BQ_SOURCE_DIR) + "/examples/bk.epd'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "24 positions, 0 errors, 0 illegal\n");
}

TEST_F(CliTest, CheckReportsErrorsAndIllegalPositions) {
  const std::string text =
      "# a comment\n"
      "\n"
      "4k3/8/8/8/8/8/8/4K3 W - -\n"
      "4k3/8/8/8/8/8/8/4K3 w - - id ok;\n"
      "4k3/8/8/8/8/8/8/3KK3 w - -\n";
  const fs::path f = Write("x.epd", text);
  const CmdResult r = Exec("check x.epd - ", "bad line\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("x.epd:3: error: side to move"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("x.epd:5: warning: illegal position (White has 2 kings); the start "
                       "position would be shown"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("<stdin>:1: error: "), std::string::npos) << r.out;
  EXPECT_EQ(r.out.substr(r.out.rfind('\n', r.out.size() - 2) + 1),
            "4 positions, 2 errors, 1 illegal\n");
}

TEST_F(CliTest, CheckUsageAndMissingFile) {
  EXPECT_EQ(Exec("check --bogus").status, 2);
  const CmdResult r = Exec("check no-such-file.epd");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("no-such-file.epd"), std::string::npos);
  EXPECT_NE(r.err.find("No such file"), std::string::npos);
}

TEST_F(CliTest, ConvertWritesDocumentToStdoutAndFile) {
  const std::string epd = "4k3/8/8/8/8/8/8/4K3 w - - id \"one\";\n";
  const CmdResult toStdout = Exec(ConvertArgs() + "-", epd);
  ASSERT_EQ(toStdout.status, 0) << toStdout.err;
  EXPECT_EQ(toStdout.out.rfind("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}", 0), 0u);
  EXPECT_NE(toStdout.out.find("{\\f2\\fswiss\\fcharset0\\fprq2 Test Font;}}"), std::string::npos);
  EXPECT_NE(toStdout.out.find("id: \"one\""), std::string::npos);
  EXPECT_EQ(toStdout.out.back(), '}');

  Write("in.epd", epd);
  const CmdResult toFile = Exec(ConvertArgs() + "-o result.rtf in.epd");
  ASSERT_EQ(toFile.status, 0) << toFile.err;
  EXPECT_TRUE(toFile.out.empty());
  EXPECT_EQ(ReadFile(dir_ / "result.rtf"), toStdout.out);
}

#ifndef _WIN32
TEST_F(CliTest, ConvertThroughALinkWritesItsTargetAndKeepsTheLink) {
  Write("in.epd", "4k3/8/8/8/8/8/8/4K3 w - - id \"one\";\n");
  ASSERT_EQ(Exec(ConvertArgs() + "-o plain.rtf in.epd").status, 0);
  fs::create_directory(dir_ / "docs");
  Write("docs/target.rtf", "stale");
  fs::create_symlink("docs/target.rtf", dir_ / "link.rtf");
  const CmdResult r = Exec(ConvertArgs() + "-o link.rtf in.epd");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.rtf"));
  EXPECT_EQ(ReadFile(dir_ / "docs/target.rtf"), ReadFile(dir_ / "plain.rtf"));
}
#endif

TEST_F(CliTest, BadLineKeepsExistingOutput) {
  Write("result.rtf", "precious");
  Write("in.epd", "4k3/8/8/8/8/8/8/4K3 w - -\n\n4k3/8/8/8/8/8/8/4K3 w KQ\n");
  const CmdResult r = Exec(ConvertArgs() + "--output=result.rtf in.epd");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir_ / "result.rtf"), "precious");
  EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "Error in EPD string 3");
  EXPECT_NE(r.err.find("in.epd:3: error: "), std::string::npos) << r.err;
  // No temporary file is left behind.
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir_))
    files += e.path().filename().string().rfind("result.rtf", 0) == 0;
  EXPECT_EQ(files, 1);

  const CmdResult viaStdout = Exec(ConvertArgs(), "bad\n");
  EXPECT_EQ(viaStdout.status, 1);
  EXPECT_TRUE(viaStdout.out.empty());
  EXPECT_EQ(viaStdout.err.substr(0, viaStdout.err.find('\n')), "Error in EPD string 1");
}

TEST_F(CliTest, ConvertOptionsOverrideSettings) {
  Write("settings.ini",
        "[General]\nOperations=bm\nDiagFontSize=30\nTextFont=Times\nTextFontSize=12\n");
  const std::string epd = "4k3/8/8/8/8/8/8/4K3 w - - id x; bm Kd2;\n";
  CmdResult r = Exec(ConvertArgs(), epd);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Times;}"), std::string::npos);
  EXPECT_NE(r.out.find("\\f0\\fs24 bm: Kd2\\par \\f2\\fs60 "), std::string::npos) << r.out;
  r = Exec(ConvertArgs() + "--operations id --font-size '$10' --text-font-size 8 --text-font Sans",
           epd);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\\f0\\fs16 id: x\\par \\f2\\fs32 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Sans;}"), std::string::npos);
}

TEST_F(CliTest, FontSizesOutOfRange) {
  const std::string epd = "4k3/8/8/8/8/8/8/4K3 w - - id x;\n";
  // On the command line: a usage error naming the option and the range.
  for (const char* option : {"--font-size -5", "--font-size 0", "--font-size 101",
                             "--text-font-size -1", "--text-font-size 2147483647"}) {
    const CmdResult r = Exec(ConvertArgs() + option, epd);
    EXPECT_EQ(r.status, 2) << option;
    const std::string name(option, std::string_view(option).find(' '));
    EXPECT_NE(r.err.find(name + " must be 1 to 100"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
  }
  // In the settings file: the default, with one warning naming the key.
  const std::string plain = Exec(ConvertArgs(), epd).out;
  Write("settings.ini", "[General]\nDiagFontSize=0\nTextFontSize=-3\n");
  const CmdResult r = Exec(ConvertArgs(), epd);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, plain);
  EXPECT_NE(r.err.find("setting DiagFontSize: must be 1 to 100"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("setting TextFontSize: must be 1 to 100"), std::string::npos) << r.err;
}

// A coloured square after the first pieces of a long document went out:
// the header still gets its colour table, in a file and on standard output.
TEST_F(CliTest, LateMarksMendTheHeader) {
  std::string epd;
  for (int i = 0; i < 600; ++i) epd += "4k3/8/8/8/8/8/8/4K3 w - - id x;\n";
  epd += "4k3/8/8/8/8/8/8/4K3 w - - csl \"Ra1\"; cal \"Ge2e4\";\n";
  const CmdResult toFile = Exec(ConvertArgs() + "-o late.rtf", epd);
  ASSERT_EQ(toFile.status, 0) << toFile.err;
  const std::string warning = "arrows and circles need picture diagrams (--diagram-style picture)";
  EXPECT_NE(toFile.err.find(warning), std::string::npos);
  EXPECT_EQ(toFile.err.find(warning), toFile.err.rfind(warning));
  const std::string doc = ReadFile(dir_ / "late.rtf");
  EXPECT_GT(doc.size(), std::size_t{1} << 16);
  const std::size_t table = doc.find("{\\colortbl;");
  EXPECT_EQ(table, doc.find("}}") + 2) << doc.substr(0, 300);
  EXPECT_NE(doc.find("\\chcbpat2 "), std::string::npos);
  EXPECT_EQ(Exec(ConvertArgs(), epd).out, doc);
}

TEST_F(CliTest, ConvertWarnsAboutUnknownFontAndHandlesUsageErrors) {
  const CmdResult r = Exec("convert --settings '" + settings_.string() + "' --fonts-file '" +
                               fontsFile_.string() + "' --all-fonts --font Nope",
                           "4k3/8/8/8/8/8/8/4K3 w - -\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("not in the font catalogue"), std::string::npos);
  EXPECT_NE(r.err.find("boardquill fonts"), std::string::npos);
  EXPECT_EQ(Exec("convert --font-size abc").status, 2);
  EXPECT_EQ(Exec("convert a.epd b.epd").status, 2);
  EXPECT_EQ(Exec("convert missing.epd").status, 2);
  EXPECT_EQ(Exec(ConvertArgs() + "-o /nonexistent-dir/x.rtf", "").status, 2);
  EXPECT_EQ(Exec("frobnicate").status, 2);
  EXPECT_EQ(Exec("--version").status, 0);
  const CmdResult help = Exec("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("convert"), std::string::npos);
}

TEST_F(CliTest, EmptyInputWritesNothing) {
  const CmdResult r = Exec(ConvertArgs(), "\n  \n# c\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out.empty());
}

#if defined(BQ_DESKTOP_PROGRAM) && !defined(_WIN32)
TEST_F(CliTest, WithoutCommandStartsTheWindowProgramBesideIt) {
  // A copy of the program with a stand-in window program next to it: the
  // command line must hand over to the one in its own folder, arguments and
  // all, and say so plainly when that one is missing.
  const fs::path folder = dir_ / "installed";
  fs::create_directories(folder);
  fs::copy_file(binary_, folder / "boardquill");
  const fs::path window = Write("installed/" BQ_DESKTOP_PROGRAM,
                                "#!/bin/sh\necho \"window started as $0 with $# arguments\"\n");
  fs::permissions(window, fs::perms::owner_all);
  // Appended rather than added: GCC 12 warns wrongly (-Wrestrict) about "'" + string.
  const std::string program = std::string("'").append((folder / "boardquill").string()) + "'";
  const int st = std::system((program + " >'" + (dir_ / "out.txt").string() + "' 2>&1").c_str());
  EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0);
  EXPECT_EQ(ReadFile(dir_ / "out.txt"),
            "window started as " + (folder / BQ_DESKTOP_PROGRAM).string() + " with 0 arguments\n");

  fs::remove(window);
  const int missing =
      std::system((program + " >'" + (dir_ / "out.txt").string() + "' 2>&1").c_str());
  EXPECT_TRUE(WIFEXITED(missing) && WEXITSTATUS(missing) == 1);
  EXPECT_NE(ReadFile(dir_ / "out.txt").find("cannot start the desktop window"), std::string::npos);
}
#endif

TEST_F(CliTest, FontsListsTheCatalogue) {
  const CmdResult r = Exec("fonts --fonts-file '" + fontsFile_.string() + "' --all-fonts");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("1     Test Font"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("installed font names seen"), std::string::npos);
  // Described but not on this machine: said at the end, and warned of.
  EXPECT_NE(r.out.find("\nnot installed: Test Font\n"), std::string::npos) << r.out;
  const CmdResult c = Exec("convert --settings '" + settings_.string() + "' --fonts-file '" +
                               fontsFile_.string() + "' --font 'Test Font'",
                           "4k3/8/8/8/8/8/8/4K3 w - -\n");
  EXPECT_EQ(c.status, 0);
  EXPECT_NE(c.err.find("diagram font \"Test Font\" is not installed; the diagrams will be empty"),
            std::string::npos)
      << c.err;
}

}  // namespace

namespace {

// The reference document was opened in a word processor and checked by eye:
// 24 framed diagrams in Chess Merida with coordinates, rows flush.
TEST_F(CliTest, BundledSuiteMatchesCheckedDocument) {
  const std::string src = BQ_SOURCE_DIR;
  const CmdResult r = Exec("convert --settings '" + settings_.string() + "' --fonts-file '" + src +
                           "/data/ChsFonts.ini' --all-fonts --font 'Chess Merida' --coords '" +
                           src + "/examples/bk.epd'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(WithoutKeepTogether(r.out), ReadFile(src + "/tests/cli/data/bk-merida-coords.rtf"));
  EXPECT_NE(r.out.find("Chess Merida;}}\\keepn\\f0\\fs20 id: \"BK.01\""), std::string::npos);
  EXPECT_NE(
      r.out.find("\\par \\pard /\\'CB\\'C8\\'CD\\'CE\\'CF\\'CC\\'D3\\'D4)\\par\\f0\\fs20\r\n\r\n"
                 "\\keepn\\f0\\fs20 id: \"BK.02\""),
      std::string::npos);
}

// Documents and `check` reports of the public suites, as written before the
// reader, legality test and writer were rebuilt: every byte must stay.
TEST_F(CliTest, PublicSuitesConvertAsBefore) {
  const std::string src = BQ_SOURCE_DIR, suites = src + "/tests/data/epd/",
                    ref = src + "/tests/cli/data/suites/";
  // Reports name the files as given; the stored ones were made in their folder.
  const auto local = [&](std::string text) {
    for (std::size_t at; (at = text.find(suites)) != std::string::npos;)
      text.erase(at, suites.size());
    return text;
  };
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(suites))
    if (entry.path().extension() == ".epd") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  ASSERT_EQ(files.size(), 16u);
  Write("empty.ini", "");
  std::string all;
  for (const fs::path& file : files) {
    const std::string name = file.stem().string();
    all += " '" + file.string() + "'";
    const CmdResult r =
        Exec("convert --settings empty.ini --fonts-file '" + src +
             "/data/ChsFonts.ini' --all-fonts --font 'Chess Merida' --coords --operations "
             "'id,bm,am,c0,ID,pv,,hmvc' '" +
             file.string() + "'");
    if (fs::exists(ref + name + ".rtf")) {
      EXPECT_EQ(r.status, 0) << name << ": " << r.err;
      EXPECT_TRUE(WithoutKeepTogether(r.out) == ReadFile(ref + name + ".rtf")) << name;
    } else {
      EXPECT_EQ(r.status, 1) << name;
      EXPECT_EQ(local(r.err), ReadFile(ref + name + ".err"));
    }
  }
  EXPECT_EQ(local(Exec("check" + all).out), ReadFile(ref + "check.txt"));
}

// Games go wherever EPD goes: converted at their marked moments, checked
// game by game, and refused whole when a move cannot be played.
TEST_F(CliTest, GamesConvertAndCheckLikeEpd) {
  const std::string game =
      "[White \"Kasp\"]\n[Black \"Top\"]\n\n1. e4 e5 2. Nf3 $220 Nc6 {[#]} 3. Bb5 1-0\n";
  Write("g.pgn", game);
  CmdResult r = Exec(ConvertArgs() + "--operations pm,white -o out.rtf g.pgn");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string doc = ReadFile(dir_ / "out.rtf");
  EXPECT_NE(doc.find("pm: Nf3\\par white: \"Kasp\""), std::string::npos) << doc;
  EXPECT_NE(doc.find("pm: Nc6\\par "), std::string::npos);
  EXPECT_EQ(doc.find("pm: Bb5"), std::string::npos);

  Write("bad.pgn", "1. e4 e5 2. Nf3 Nf6 3. Nf3 *\n");
  r = Exec(ConvertArgs() + "-o out.rtf bad.pgn");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.substr(r.err.find("Error in game")),
            "Error in game 1\nbad.pgn: error: move 3.Nf3: no white knight can reach f3 (line 1, "
            "column 24)\n");
  EXPECT_EQ(ReadFile(dir_ / "out.rtf"), doc);  // the earlier document stays
  EXPECT_EQ(Exec(ConvertArgs() + "--input epd g.pgn").status, 1);
  EXPECT_EQ(Exec(ConvertArgs() + "--diagrams sometimes g.pgn").status, 2);

  r = Exec("check g.pgn bad.pgn");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("bad.pgn: error: game 1: move 3.Nf3"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.substr(r.out.rfind('\n', r.out.size() - 2) + 1),
            "2 games, 2 positions, 1 errors\n");
}

}  // namespace

namespace {

// Games as text: from the option or the setting, in the notation asked
// for; refused in more than two columns; a bad game writes nothing; EPD
// input and --no-game-text write what they always did.
TEST_F(CliTest, GamesAsText) {
  Write("g.pgn", "[White \"Kasp\"]\n[Black \"Top\"]\n\n1. e4 e5 2. Nf3 $220 {good} Nc6 1-0\n");
  const std::string diagrams = Exec(ConvertArgs() + "g.pgn").out;
  CmdResult r = Exec(ConvertArgs() + "--game-text g.pgn");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("{\\pard\\f0\\fs20 {\\b 1.e4 e5 2.}{\\b\\f3 \\u9816?}{\\b f3} good\\par}"),
            std::string::npos)
      << r.out;
  r = Exec(ConvertArgs() + "--game-text --notation english g.pgn");
  EXPECT_NE(r.out.find("{\\b 1.e4 e5 2.Nf3} good"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("\\f3"), std::string::npos);

  Write("settings.ini", "[General]\nGameText=1\nNotation=klingon\nFigurineFont=\n");
  r = Exec(ConvertArgs() + "g.pgn");
  EXPECT_NE(r.out.find("\\f3 \\u9816?"), std::string::npos);
  EXPECT_EQ(r.err,
            "boardquill: warning: setting Notation: notation must be figurine, english, dutch, "
            "german or custom, not \"klingon\"; the default is used\n"
            "boardquill: warning: setting FigurineFont: a font name is needed; the default is "
            "used\n");
  EXPECT_EQ(Exec(ConvertArgs() + "--no-game-text g.pgn").out, diagrams);

  Write("out.rtf", "precious");
  Write("bad.pgn", "1. e4 e5 2. Nf3 Nf6 3. Nf3 *\n");
  r = Exec(ConvertArgs() + "-o out.rtf bad.pgn");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.substr(r.err.find("Error in game")),
            "Error in game 1\nbad.pgn: error: move 3.Nf3: no white knight can reach f3 (line 1, "
            "column 24)\n");
  EXPECT_EQ(ReadFile(dir_ / "out.rtf"), "precious");

  r = Exec(ConvertArgs() + "--columns 3 -o out.rtf g.pgn");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("game text flows in 1 or 2 columns, not 3"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir_ / "out.rtf"), "precious");
  r = Exec(ConvertArgs() + "--columns 3", "4k3/8/8/8/8/8/8/4K3 w - -\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\\trowd"), std::string::npos);
  EXPECT_EQ(Exec(ConvertArgs() + "--notation runes g.pgn").status, 2);
}

}  // namespace
