// `convert --format pdf|svg|png` run as a user runs it: what each format
// holds, the rules of the output folder, and that a bad input leaves
// nothing behind.
#ifdef BOARDQUILL_PICTURES
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "../support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

std::set<std::string> Listing(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

// Width and height from a PNG's header.
std::pair<unsigned, unsigned> PngSize(const std::string& png) {
  auto be32 = [&](std::size_t at) {
    unsigned v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(png.at(at + i));
    return v;
  };
  EXPECT_EQ(png.substr(1, 3), "PNG");
  return {be32(16), be32(20)};
}

class PicturesCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Write("settings.ini", "[General]\nOperations=id,bm\n");
    Write("in.epd",
          "4k3/8/8/8/8/8/8/4K3 w - - id \"first\"; bm Ke2;\n"
          "# a comment\n"
          "4k3/8/8/8/8/8/8/4K3 b - - id \"second\"; bm Kd7;\n"
          "r3k3/8/8/8/8/8/8/4K2R w K - id \"third\"; bm O-O;\n");
  }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }

  // Runs `sh -c` in the test's folder; returns the exit status, stderr in err_.
  int Sh(const std::string& cmd) {
    const std::string full =
        "cd '" + dir_.string() + "' && " + cmd + " >out.txt 2>err.txt </dev/null";
    const int st = std::system(full.c_str());
    err_ = Slurp(dir_ / "err.txt");
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }
  int Convert(const std::string& args) {
    std::string cmd = "'";
    cmd += std::getenv("BQ_BINARY");
    cmd += "' convert --settings settings.ini --fonts-file '" BQ_SOURCE_DIR
           "/data/ChsFonts.ini' --font 'Chess Merida' ";
    cmd += args;
    return Sh(cmd);
  }
  std::string PdfText(const std::string& pdf) {
    EXPECT_EQ(Sh("pdftotext " + pdf + " text.txt"), 0) << err_;
    return Slurp(dir_ / "text.txt");
  }

  const bq::testing::TempDir temp_;
  const fs::path dir_ = temp_.path();
  std::string err_;
};

TEST_F(PicturesCliTest, PdfHoldsTheRecordsInOrderAndTheAnswerKeyLast) {
  ASSERT_EQ(Convert("--solutions bm --caption 'No. {n}' -o doc.pdf in.epd"), 0) << err_;
  const std::string text = PdfText("doc.pdf");
  std::size_t at = 0;
  for (const char* part :
       {"first", "No. 1", "second", "No. 2", "third", "No. 3", "Solutions", "Ke2", "Kd7", "O-O"}) {
    const std::size_t next = text.find(part, at);
    ASSERT_NE(next, std::string::npos) << part << " in order in\n" << text;
    at = next;
  }
  // --format pdf to standard output, on letter paper; RTF stays the default.
  ASSERT_EQ(Convert("--format pdf --paper letter in.epd"), 0) << err_;
  fs::rename(dir_ / "out.txt", dir_ / "letter.pdf");
  ASSERT_EQ(Sh("pdfinfo letter.pdf"), 0) << err_;
  EXPECT_NE(Slurp(dir_ / "out.txt").find("612 x 792"), std::string::npos);
  // Columns side by side: the first two records share their lines.
  ASSERT_EQ(Convert("--columns 2 -o cols.pdf in.epd"), 0) << err_;
  ASSERT_EQ(Sh("pdftotext -layout cols.pdf -"), 0) << err_;
  const std::string cols = Slurp(dir_ / "out.txt");
  EXPECT_NE(cols.find("id: \"first\"   id: \"second\""), std::string::npos) << cols;
  ASSERT_EQ(Convert("in.epd"), 0);
  EXPECT_EQ(Slurp(dir_ / "out.txt").substr(0, 5), "{\\rtf");
}

// The settings file alone makes the same pictures as the same settings
// given as options: font, coordinates, caption, operations.
TEST_F(PicturesCliTest, EveryFormatHonoursTheSettingsFile) {
  Write("only.ini",
        "[General]\nDiagFont=Chess Merida\nShowCoords=1\nCaption={n}. {tomove}\nOperations=bm\n");
  const std::string fonts = "--fonts-file '" BQ_SOURCE_DIR "/data/ChsFonts.ini' ";
  const std::string binary = std::string("'") + std::getenv("BQ_BINARY") + "' convert ";
  for (const char* format : {"pdf", "svg", "png"}) {
    const std::string a = std::string("a-") + format, b = std::string("b-") + format;
    ASSERT_EQ(
        Sh(binary + fonts + "--settings only.ini --format " + format + " -o " + a + " in.epd"), 0)
        << err_;
    ASSERT_EQ(
        Sh(binary + fonts + "--settings /dev/null --font 'Chess Merida' --coords " +
           "--caption '{n}. {tomove}' --operations bm --format " + format + " -o " + b + " in.epd"),
        0)
        << err_;
    if (std::string(format) == "pdf") {
      const std::string text = PdfText(a);
      EXPECT_NE(text.find("2. Black to move"), std::string::npos) << text;
      EXPECT_EQ(text, PdfText(b));
    } else {
      ASSERT_EQ(Listing(dir_ / a), Listing(dir_ / b));
      for (const std::string& name : Listing(dir_ / a))
        EXPECT_EQ(Slurp(dir_ / a / name), Slurp(dir_ / b / name)) << format << " " << name;
    }
  }
}

TEST_F(PicturesCliTest, SvgAndPngOnePicturePerRecordNamedByTemplate) {
  ASSERT_EQ(Convert("--format svg -o svg in.epd"), 0) << err_;
  EXPECT_EQ(Listing(dir_ / "svg"), (std::set<std::string>{"0001.svg", "0002.svg", "0003.svg"}));
  const std::string svg = Slurp(dir_ / "svg/0003.svg");
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_EQ(svg.find("<text"), std::string::npos);
  // rsvg-convert refuses what does not parse.
  EXPECT_EQ(Sh("rsvg-convert -o check.png svg/0003.svg"), 0) << err_;
  EXPECT_EQ(PngSize(Slurp(dir_ / "check.png")).first, 400u);

  ASSERT_EQ(Convert("--format png --name '{id}' -o png in.epd"), 0) << err_;
  EXPECT_EQ(Listing(dir_ / "png"), (std::set<std::string>{"first.png", "second.png", "third.png"}));
  EXPECT_EQ(PngSize(Slurp(dir_ / "png/first.png")), std::make_pair(400u, 400u));
  fs::create_directory(dir_ / "empty");
  ASSERT_EQ(Convert("--format png --square 12 --transparent -o empty in.epd"), 0) << err_;
  EXPECT_EQ(PngSize(Slurp(dir_ / "empty/0002.png")), std::make_pair(120u, 120u));
}

// The pictures of a document of picture diagrams, in order, unhexed.
std::vector<std::string> EmbeddedPictures(const std::string& rtf) {
  std::vector<std::string> pictures;
  for (std::size_t at = rtf.find("{\\pict"); at != std::string::npos;
       at = rtf.find("{\\pict", at + 1)) {
    std::string& png = pictures.emplace_back();
    for (std::size_t k = rtf.find("\r\n", at) + 2; rtf.at(k) != '}'; k += 2) {
      if (rtf[k] == '\r') k += 2;
      png.push_back(static_cast<char>(std::stoi(rtf.substr(k, 2), nullptr, 16)));
    }
  }
  return pictures;
}

TEST_F(PicturesCliTest, PictureDiagramsInRtfAreThePngFilesOfTheRecords) {
  ASSERT_EQ(Convert("--coords --diagram-style picture -o doc.rtf in.epd"), 0) << err_;
  ASSERT_EQ(Convert("--coords --format png --square 84 -o png in.epd"), 0) << err_;
  const std::string rtf = Slurp(dir_ / "doc.rtf");
  const std::vector<std::string> pictures = EmbeddedPictures(rtf);
  ASSERT_EQ(pictures.size(), 3u);
  for (std::size_t k = 0; k < pictures.size(); ++k)
    EXPECT_EQ(pictures[k], Slurp(dir_ / "png" / ("000" + std::to_string(k + 1) + ".png"))) << k;
  // 84 pixels a square (300 an inch at 20 points), 8-bit grey, as large as
  // the typed board of ten 20-point lines; the operations stay text.
  EXPECT_EQ(pictures[1].substr(24, 2), std::string("\x08\x00", 2));
  EXPECT_NE(rtf.find("id: \"second\"\\par bm: Kd7\\par \\pard{\\pict\\pngblip\\picw840\\pich840"
                     "\\picwgoal4000\\pichgoal4000\r\n"),
            std::string::npos);

  // A settings value that does not fit is the typed default, said once.
  Write("settings.ini", "[General]\nOperations=id,bm\nDiagramStyle=pictures\n");
  ASSERT_EQ(Convert("-o typed.rtf in.epd"), 0);
  EXPECT_NE(err_.find("setting DiagramStyle: must be font or picture"), std::string::npos) << err_;
  ASSERT_EQ(Convert("--diagram-style font -o font.rtf in.epd"), 0);
  EXPECT_EQ(Slurp(dir_ / "typed.rtf"), Slurp(dir_ / "font.rtf"));
  EXPECT_EQ(Slurp(dir_ / "typed.rtf").find("\\pict"), std::string::npos);

  // Marks are drawn in the picture: squares, arrows and circles in colour,
  // and no warning about what typing leaves out.
  Write("marks.epd", "4k3/8/8/8/8/8/8/4K3 w - - csl \"Rd4\"; cal \"Ge2e4,Bb1b1\";\n");
  ASSERT_EQ(Convert("--diagram-style picture -o marks.rtf marks.epd"), 0) << err_;
  EXPECT_EQ(err_.find("arrows and circles"), std::string::npos) << err_;
  ASSERT_EQ(Convert("--format png --square 84 -o marks-png marks.epd"), 0) << err_;
  const std::vector<std::string> marked = EmbeddedPictures(Slurp(dir_ / "marks.rtf"));
  ASSERT_EQ(marked.size(), 1u);
  EXPECT_EQ(marked[0], Slurp(dir_ / "marks-png/0001.png"));
  EXPECT_EQ(marked[0].substr(24, 2), std::string("\x08\x02", 2));  // 8-bit RGB
}

TEST_F(PicturesCliTest, GamesGiveTheirPositions) {
  Write("g.pgn", "1. e4 e5 2. Nf3 $220 {[%csl Rd4] [%cal Ox9]} Nc6 {[#]} 3. Bb5 1-0\n");
  ASSERT_EQ(Convert("--operations pm --format svg -o games g.pgn"), 0) << err_;
  EXPECT_EQ(Listing(dir_ / "games").size(), 2u);
  // The marks of a move's comments are drawn in its diagram.
  EXPECT_NE(Slurp(dir_ / "games/0001.svg").find("fill=\"#882020\""), std::string::npos);
  EXPECT_EQ(Slurp(dir_ / "games/0002.svg").find("fill=\"#882020\""), std::string::npos);
  EXPECT_NE(err_.find("boardquill: warning: game 1, move 2.Nf3: bad mark \"Ox9\" in cal"),
            std::string::npos)
      << err_;
  Write("bad.pgn", "1. e4 e5 2. Nf3 Nf6 3. Nf3 *\n");
  EXPECT_EQ(Convert("--format svg -o bad bad.pgn"), 1);
  EXPECT_NE(err_.find("bad.pgn: error: move 3.Nf3"), std::string::npos) << err_;
  EXPECT_FALSE(fs::exists(dir_ / "bad"));
}

TEST_F(PicturesCliTest, BadLineLeavesNothingAndKeepsExistingOutput) {
  Write("bad.epd", "4k3/8/8/8/8/8/8/4K3 w - - id \"ok\";\n4k3/8/8/8/8/8/8/4K3 x - -\n");
  Write("doc.pdf", "precious");
  Sh("true");  // its out.txt and err.txt are there from now on
  const std::set<std::string> before = Listing(dir_);
  ASSERT_EQ(Convert("-o doc.pdf bad.epd"), 1);
  const std::string pdfErr = err_;
  EXPECT_EQ(Convert("-o doc.rtf bad.epd"), 1);
  EXPECT_EQ(pdfErr, err_);  // the messages of the RTF
  EXPECT_EQ(Slurp(dir_ / "doc.pdf"), "precious");
  EXPECT_EQ(Convert("--format png -o pics bad.epd"), 1);
  EXPECT_EQ(Convert("--format svg bad.epd -o pdfdoc.pdf"), 1);
  EXPECT_EQ(Listing(dir_), before);
}

TEST_F(PicturesCliTest, FolderRulesAndUsageErrors) {
  fs::create_directory(dir_ / "full");
  Write("full/mine.png", "mine");
  EXPECT_EQ(Convert("--format png -o full in.epd"), 2);
  EXPECT_NE(err_.find("must be new or empty"), std::string::npos) << err_;
  EXPECT_EQ(Listing(dir_ / "full"), std::set<std::string>{"mine.png"});
  EXPECT_EQ(Convert("--format svg -o in.epd in.epd"), 2);
  EXPECT_EQ(Convert("--format png in.epd"), 2);
  EXPECT_NE(err_.find("need -o"), std::string::npos) << err_;
  for (const char* bad : {"--format gif", "--paper a5", "--square 0", "--square 401",
                          "--name '{id'", "--font 'No Such Font'", "--diagram-style pictures"}) {
    EXPECT_EQ(Convert(std::string(bad) + " --format png -o new in.epd"), 2) << bad;
    EXPECT_NE(err_.find("Try 'boardquill --help'"), std::string::npos) << bad << ": " << err_;
  }
  EXPECT_FALSE(fs::exists(dir_ / "new"));
  // Picture diagrams need a font that can be drawn, as pictures do.
  EXPECT_EQ(Convert("--font 'No Such Font' --diagram-style picture -o doc.rtf in.epd"), 2);
  EXPECT_NE(err_.find("is not in the font catalogue"), std::string::npos) << err_;
  EXPECT_FALSE(fs::exists(dir_ / "doc.rtf"));
}

}  // namespace
#endif
