#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "../support/temp_dir.h"
#include "convert/driver.h"
#include "convert/gametextdriver.h"
#include "convert/lines.h"
#include "convert/marks.h"
#include "rtf_wellformed.h"

namespace bq {
namespace {

namespace fs = std::filesystem;

// A catalogue with one font "F" (charset 2) whose glyphs are plain letters.
class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_ / "fonts.ini";
    std::ofstream(path_) << "[Chess Fonts]\nFonts=1\nFont1=F\n[F]\nCharset=2\n"
                            "Blank_W=46\nBlank_B=43\nWhiteKing_B=75\nWhiteKing_W=107\n"
                            "BlackKing_W=108\nBlackKing_B=76\n";
    fonts_ = std::make_unique<TChessFontInfoMan>(path_.string(), nullptr);
    settings_.DiagFont = "F";
    settings_.DiagFontCharSet = 2;
  }

  TRtfResult Convert(std::string_view text) {
    return ConvertEPDText(text, MakeConvertJob(settings_, *fonts_));
  }

  const testing::TempDir dir_;
  fs::path path_;
  std::unique_ptr<TChessFontInfoMan> fonts_;
  TConvertSettings settings_;
};

const char kHeader[] =
    "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset0 Arial;}"
    "{\\f2\\fswiss\\fcharset2\\fprq2 F;}}";

TEST_F(DriverTest, WorkedExample) {
  const TRtfResult r =
      Convert("4k3/8/8/8/8/8/8/4K3 w - - bm Kd2; id A;\n\n4k3/8/8/8/8/8/8/4K3 b - -\n");
  ASSERT_TRUE(r.Ok);
  const std::string& d = r.Document;
  ASSERT_EQ(d.rfind(kHeader, 0), 0u) << d;
  const std::string body = d.substr(sizeof kHeader - 1);
  // The operations stand in the order of the setting, not of the line.
  // Each record keeps with its next lines up to the last, so that no page
  // break splits a diagram.
  EXPECT_EQ(body.rfind("\\keepn\\f0\\fs20 id: A\\par bm: Kd2\\par \\f2\\fs40 \\par ", 0), 0u)
      << body;
  EXPECT_NE(body.find("\\par \\pard +.+.K.+.\r\n\\par\\f0\\fs20\r\n"), std::string::npos);
  const std::size_t second = body.find("\\par\\f0\\fs20\r\n\r\n\\keepn\\f2\\fs40 \\par ");
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(body.substr(body.size() - 15), "\\par\\f0\\fs20\r\n}");
  // Eight rows per diagram.
  std::size_t rows = 0;
  for (std::size_t p = body.find("\\par "); p != std::string::npos; p = body.find("\\par ", p + 1))
    ++rows;
  EXPECT_EQ(rows, 2u + 8u + 8u);  // two after the operations, then the rows
}

TEST_F(DriverTest, OperationsSettingRules) {
  settings_.Operations = "bm,,id,bm,c0,ID";
  const TRtfResult r = Convert("4k3/8/8/8/8/8/8/4K3 w - - id \"x y\"; bm; c1 z;");
  ASSERT_TRUE(r.Ok);
  // Named twice: printed twice; without operands: name and ": "; the name as
  // written in the setting; missing opcodes print nothing.
  EXPECT_NE(r.Document.find("\\f0\\fs20 bm: \\par id: \"x y\"\\par bm: \\par ID: \"x y\"\\par "
                            "\\f2\\fs40 "),
            std::string::npos)
      << r.Document;

  settings_.Operations = "";
  const TRtfResult bare = Convert("4k3/8/8/8/8/8/8/4K3 w - - id x;");
  EXPECT_EQ(bare.Document.substr(sizeof kHeader - 1, 15), "\\keepn\\f2\\fs40 ");
  settings_.Operations = "am";
  EXPECT_EQ(Convert("4k3/8/8/8/8/8/8/4K3 w - - id x;").Document, bare.Document);
}

TEST_F(DriverTest, OperandsAreEscaped) {
  settings_.Operations = "c0,id";
  const TRtfResult r =
      Convert("4k3/8/8/8/8/8/8/4K3 w - - c0 \"{m}\\x\"; id }{\\object_Jos\xC3\xA9;");
  ASSERT_TRUE(r.Ok);
  EXPECT_NE(r.Document.find("c0: \"\\{m\\}\\\\x\"\\par id: \\}\\{\\\\object_Jos\\u233?\\par "),
            std::string::npos)
      << r.Document;
}

TEST_F(DriverTest, FailingLineNumbers) {
  EXPECT_EQ(Convert("bad").Message, "Error in EPD string 1");
  EXPECT_EQ(Convert("\nbad").Message, "Error in EPD string 2");
  const TRtfResult r = Convert("4k3/8/8/8/8/8/8/4K3 w - -\r\n  \r\n# note\r\nbad\r\n");
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Message, "Error in EPD string 4");
  EXPECT_TRUE(r.Document.empty());
  EXPECT_FALSE(r.Reason.empty());
}

TEST_F(DriverTest, EmptyInputsGiveNoDocument) {
  for (const char* text : {"", "\n\n", "   \t\r\n", "# only a comment\n"}) {
    const TRtfResult r = Convert(text);
    EXPECT_TRUE(r.Ok);
    EXPECT_TRUE(r.Document.empty()) << text;
  }
}

TEST_F(DriverTest, BlanksAroundRecordsAndSizes) {
  settings_.DiagFontSize = 13;
  settings_.TextFontSize = -4;  // sizes set by hand are held to 1..100
  const TRtfResult r = Convert("\t 4k3/8/8/8/8/8/8/4K3 w - - id x; \t\x01");
  ASSERT_TRUE(r.Ok) << r.Reason;
  EXPECT_NE(r.Document.find("\\f0\\fs2 id: x\\par \\f2\\fs26 "), std::string::npos);
}

TEST(SplitList, KeepsEmptyItems) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitList("id,,bm", ','), (V{"id", "", "bm"}));
  EXPECT_EQ(SplitList("", ','), (V{""}));
  EXPECT_EQ(SplitList("id,", ','), (V{"id", ""}));
  EXPECT_EQ(SplitList(" id ", ','), (V{" id "}));
  // No limit on the number of items.
  EXPECT_EQ(SplitList(std::string(500, ','), ',').size(), 501u);
}

TEST(EPDLines, BreaksNulAndTrim) {
  std::vector<std::string> got;
  using namespace std::string_view_literals;
  SplitEPDLines("a\r\nb\rc\n\nd\0x\n\n"sv, [&](std::string_view l) {
    got.emplace_back(l);
    return true;
  });
  EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "c", "", "d", ""}));
  EXPECT_EQ(TrimEPDLine(" \t\x01x y\x7f\r"), "x y\x7f");
  EXPECT_TRUE(IsSkippedEPDLine(""));
  EXPECT_TRUE(IsSkippedEPDLine("#x"));
  EXPECT_FALSE(IsSkippedEPDLine("x#"));
}

TEST(EPDLines, StreamReaderMatchesSplitter) {
  // Line breaks that fall on the reader's chunk boundary must not add lines.
  std::string text;
  for (int i = 0; i < 70000; ++i) text += (i % 3 == 0) ? "ab\r\n" : (i % 3 == 1) ? "c\r" : "\n";
  text += std::string("tail\0more", 9);
  std::vector<std::string> expected;
  SplitEPDLines(text, [&](std::string_view l) {
    expected.emplace_back(l);
    return true;
  });
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  std::fwrite(text.data(), 1, text.size(), f);
  std::rewind(f);
  TEPDLineReader reader(f);
  std::vector<std::string> got;
  std::string line;
  while (reader.Next(line)) got.push_back(line);
  std::fclose(f);
  EXPECT_EQ(got, expected);
  EXPECT_EQ(got.back(), "tail");
}

TEST_F(DriverTest, CaptionsColumnsAndAnswerKey) {
  const char kLines[] =
      "4k3/8/8/8/8/8/8/4K3 w - - bm Kd2; id A;\n4k3/8/8/8/8/8/8/4K3 b - - id B;\n"
      "4k3/8/8/8/8/8/8/4K3 w - - bm Ke2 Kf2; id \"C\";\n";
  settings_.Layout.Caption = "{n}: {id} {{{tomove}}}";
  std::string d = Convert(kLines).Document;
  // The caption's line ends the chain of lines kept together.
  EXPECT_NE(d.find("\\par \\pard\\f0\\fs20 2: B \\{Black to move\\}\\par\\f0\\fs20\r\n\r\n\\keepn"),
            std::string::npos)
      << d;
  EXPECT_EQ(d.find("\\par \\pard \\par"), std::string::npos);

  settings_.Layout.Caption = "{n}: {id}";
  settings_.Layout.Solutions = "BM";
  settings_.Layout.Columns = 2;
  d = Convert(kLines).Document.substr(sizeof kHeader - 1);
  EXPECT_EQ(
      d.rfind("\\trowd\\trkeep\\trgaph108\\cellx3416\\cellx6832\r\n\\pard\\intbl\\f0\\fs20 id: "
              "A\\par \\f2\\fs40 ",
              0),
      0u)
      << d;
  EXPECT_NE(d.find("\\par\\f0\\fs20 1: A\\cell\r\n\\pard\\intbl"), std::string::npos);
  EXPECT_NE(d.find("\\par\\f0\\fs20 2: B\\cell\r\n\\row\r\n\\trowd"), std::string::npos);
  EXPECT_EQ(d.find("\\keepn"), std::string::npos);
  EXPECT_EQ(d.find("bm:"), std::string::npos);  // in the key, not above
  // The short last row is filled, the table closed, the key last.
  EXPECT_EQ(d.substr(d.find("3: C")),
            "3: C\\cell\r\n\\pard\\intbl\\cell\\row\r\n\\pard\r\n\\pard\\f0\\fs20 "
            "Solutions\\par 1. BM: Kd2\\par 2.\\par 3. BM: Ke2 Kf2}");
}

TEST(Marks, ReadFromCslAndCal) {
  TMarks marks;
  std::string why;
  ASSERT_TRUE(AddMarks("csl", "\"Rd4, e5,Ch8\"", marks, &why)) << why;
  ASSERT_TRUE(AddMarks("CAL", "Ge2e4,Bb1b1", marks, &why)) << why;
  EXPECT_EQ(SquareMarksText(marks.Squares), "Rd4,Ge5,Ch8");
  EXPECT_EQ(ArrowMarksText(marks.Arrows), "Ge2e4,Bb1b1");
  EXPECT_EQ(marks.Squares[0].Cell, 3 * 8 + 3);  // d4
  for (const char* bad : {"Zd9", "Rd", "Rd44", "i1", "d4e5"}) {
    EXPECT_FALSE(AddMarks("csl", bad, marks, &why)) << bad;
    EXPECT_EQ(why, std::string("bad mark \"") + bad +
                       "\" in csl: a colour letter R G Y B O C and a square a1..h8");
  }
  EXPECT_FALSE(AddMarks("cal", "Ge2", marks, &why));
  EXPECT_NE(why.find("two squares"), std::string::npos);
}

TEST_F(DriverTest, MarksShadeTypedSquaresAndABadMarkIsAnErrorOfItsLine) {
  const std::string plain = "4k3/8/8/8/8/8/8/4K3 w - - id x;\n";
  const TRtfResult without = Convert(plain);
  // Shaded squares: their glyphs in groups, the colour table after the fonts.
  const TRtfResult with = Convert(plain + "4k3/8/8/8/8/8/8/4K3 w - - csl \"Ra1,Ye8\";\n");
  ASSERT_TRUE(with.Ok) << with.Reason;
  EXPECT_EQ(without.Document.find("colortbl"), std::string::npos);
  EXPECT_NE(with.Document.find("F;}}{\\colortbl;\\red138\\green187\\blue141;\\red195\\green143"
                               "\\blue143;"),
            std::string::npos)
      << with.Document;
  EXPECT_NE(with.Document.find("\\pard {\\chshdng0\\chcbpat2 +}.+.K.+."), std::string::npos);
  EXPECT_NE(with.Document.find("{\\chshdng0\\chcbpat3 l}"), std::string::npos);
  // The first record is written as it was.
  const std::size_t body = without.Document.find("\\keepn");
  EXPECT_EQ(with.Document.find(without.Document.substr(body, without.Document.size() - body - 1)),
            with.Document.find("\\keepn"));

  const TRtfResult bad = Convert(plain + "\n4k3/8/8/8/8/8/8/4K3 w - - csl \"Zd9\";\n");
  EXPECT_FALSE(bad.Ok);
  EXPECT_EQ(bad.Message, "Error in EPD string 3");
  EXPECT_EQ(bad.Reason, "bad mark \"Zd9\" in csl: a colour letter R G Y B O C and a square a1..h8");
  settings_.Marks = false;
  EXPECT_TRUE(Convert("4k3/8/8/8/8/8/8/4K3 w - - csl \"Zd9\";").Ok);
}

}  // namespace
}  // namespace bq

namespace bq {
namespace {

// One small annotated game as game text, byte for byte: the heading, the
// main line bold, a variation indented, figurines in font 3, NAG symbols,
// comments, the marked diagram with its caption, the result.
TEST_F(DriverTest, GameTextDocument) {
  const char kGame[] =
      "[Event \"Club\"]\n[Date \"2024.01.02\"]\n[White \"Ann\"]\n[Black \"Bob\"]\n\n"
      "{Start} 1. e4 $1 e5 2. Nf3 (2. Bc4 $16 {a {bishop}) 2... Nc6 $220 3. Bb5 $14 1-0\n";
  settings_.GameText = true;
  settings_.Operations = "id,pm";
  settings_.Layout.Caption = "{c0}";
  const TConvertJob job = GameTextJob(MakeConvertJob(settings_, *fonts_));
  const TGameTextRtf r = ConvertGameText(kGame, job, TDiagramPolicy{});
  ASSERT_TRUE(r.Ok) << r.Reason;
  EXPECT_EQ(r.Document,
            "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset0 "
            "Arial;}{\\f2\\fswiss\\fcharset2\\fprq2 F;}{\\f3\\fswiss\\fcharset0 DejaVu Sans;}}"
            "{\\pard\\f0\\fs20 {\\b Ann \\u8211? Bob}\\par}\r\n"
            "{\\pard\\f0\\fs20 Club, 2024\\par}\r\n"
            "{\\pard\\f0\\fs20 Start{\\b  1.e4! e5 2.}{\\b\\f3 \\u9816?}{\\b f3}\\par}\r\n"
            "{\\pard\\li283\\f0\\fs20 2.{\\f3 \\u9815?}c4 \\u177? a \\{bishop\\par}\r\n"
            "{\\pard\\f0\\fs20 {\\b 2...}{\\b\\f3 \\u9816?}{\\b c6}\\par}\r\n"
            // Font F draws kings and squares only.
            "\\keepn\\f2\\fs40 \\par +l\r\n\\par +\r\n\\par .++.+.+\r\n\\par +.+..+.\r\n"
            "\\par .+.++.+\r\n\\par +.+.++.\r\n\\par .\r\n\\par K+\r\n"
            "\\par \\pard\\f0\\fs20 Position after 2...Nc6\\par\\f0\\fs20\r\n\r\n"
            "{\\pard\\f0\\fs20 {\\b 3.}{\\b\\f3 \\u9815?}{\\b b5 +/= 1\\u8211?0}\\par}}");
  EXPECT_EQ(
      r.Diagrams.substr(r.Diagrams.find(" pm ")),
      " pm Nc6; c0 \"Position after 2...Nc6\";"
      " hmvc 2; fmvn 3; event \"Club\"; date \"2024.01.02\"; white \"Ann\"; black \"Bob\";\n");

  // Letters need no figurine font; two columns are the section's.
  settings_.Notation = TNotation::German;
  settings_.Layout.Columns = 2;
  const std::string german =
      ConvertGameText(kGame, GameTextJob(MakeConvertJob(settings_, *fonts_)), {}).Document;
  EXPECT_EQ(german.rfind("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman"
                         "\\fcharset0 Arial;}{\\f2\\fswiss\\fcharset2\\fprq2 F;}}"
                         "\\sectd\\cols2\\colsx283{\\pard",
                         0),
            0u)
      << german;
  EXPECT_NE(german.find("{\\b 2...Sc6}"), std::string::npos) << german;
  EXPECT_EQ(german.find("\\trowd"), std::string::npos);

  // A paragraph that comes in parts is one group.
  const std::string huge =
      ConvertGameText("1. e4 {" + std::string(kMaxGameParagraph, 'x') + "} *", job, {}).Document;
  EXPECT_EQ(testing::RTFFault(huge), "");
  const std::size_t start = huge.find("{\\pard\\f0\\fs20 {\\b 1.e4} x");
  ASSERT_NE(start, std::string::npos);
  EXPECT_EQ(huge.find("\\par}", start), start + 25 + kMaxGameParagraph);
}

// The head of a PNG file of the given size, then `rest`.
std::string PngFile(unsigned width, unsigned height, const std::string& rest) {
  std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  for (const unsigned v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<char>(v >> shift));
  return png + rest;
}

// The picture data of the first \pict group from `at` on, unhexed; its
// lines hold 64 bytes.
std::string PictureBytes(const std::string& d, std::size_t at) {
  const std::size_t start = d.find("\r\n", d.find("{\\pict", at)) + 2;
  EXPECT_EQ(d.substr(start + 128, 2), "\r\n");
  std::string bytes;
  for (std::size_t k = start; d[k] != '}'; k += 2) {
    if (d[k] == '\r') k += 2;
    bytes.push_back(static_cast<char>(std::stoi(d.substr(k, 2), nullptr, 16)));
  }
  return bytes;
}

// Picture diagrams: each board is the PNG that the picture source gives,
// in hex, in a paragraph of its own at the size of the typed board; the
// chain of lines kept together and the table cells stay as for typed ones.
TEST_F(DriverTest, PictureDiagramsFrameThePngOfEachBoard) {
  const char kLines[] = "4k3/8/8/8/8/8/8/4K3 w - - id A;\n4k3/8/8/8/8/8/8/4K3 b - -\n";
  settings_.DiagramStyle = TDiagramStyle::Picture;
  settings_.DiagFontSize = 18;
  settings_.Operations = "id";
  const TConvertJob job = MakeConvertJob(settings_, *fonts_);
  EXPECT_EQ(job.Pictures.SquarePx, 75);                           // 300 pixels an inch at 18 points
  EXPECT_THROW(ConvertEPDText(kLines, job), std::runtime_error);  // no picture source

  std::vector<std::string> given;
  const TBoardPng pictures = [&](const TRecord& rec, std::string& png) {
    std::string rest;
    for (int k = 0; k < 100; ++k) rest.push_back(static_cast<char>(rec.Number * 37 + k * 11));
    png = PngFile(600, 675, rest);  // 8 squares by 9
    given.push_back(png);
  };
  std::string d = ConvertEPDText(kLines, job, pictures).Document;
  ASSERT_EQ(given.size(), 2u);
  const char kPicture[] = "{\\pict\\pngblip\\picw600\\pich675\\picwgoal2880\\pichgoal3240\r\n";
  EXPECT_NE(d.find(std::string("\\keepn\\f0\\fs20 id: A\\par \\pard") + kPicture),
            std::string::npos)
      << d;
  EXPECT_NE(d.find(std::string("}\\par\\f0\\fs20\r\n\r\n\\keepn\\f0\\fs20 \\pard") + kPicture),
            std::string::npos);
  EXPECT_EQ(PictureBytes(d, 0), given[0]);
  EXPECT_EQ(PictureBytes(d, d.find("\\pict") + 1), given[1]);
  EXPECT_EQ(d.find("\\fs36"), std::string::npos);  // no text in the diagram font
  EXPECT_EQ(d.find("\\shp"), std::string::npos);

  // A caption ends the chain instead; in columns the cell keeps it whole.
  settings_.Layout.Caption = "{n}";
  const TConvertJob captioned = MakeConvertJob(settings_, *fonts_);
  d = ConvertEPDText(kLines, captioned, pictures).Document;
  EXPECT_NE(d.find(std::string("id: A\\par ") + kPicture), std::string::npos) << d;
  EXPECT_NE(d.find("}\\par \\pard\\f0\\fs20 1\\par\\f0\\fs20\r\n"), std::string::npos);
  settings_.Layout.Columns = 2;
  const TConvertJob columns = MakeConvertJob(settings_, *fonts_);
  d = ConvertEPDText(kLines, columns, pictures).Document;
  EXPECT_NE(d.find(std::string("\\pard\\intbl\\f0\\fs20 id: A\\par ") + kPicture),
            std::string::npos)
      << d;
  EXPECT_NE(d.find("}\\par\\f0\\fs20 2\\cell\r\n\\row"), std::string::npos);
  EXPECT_EQ(d.find("\\pard{"), std::string::npos);
}

}  // namespace
}  // namespace bq
