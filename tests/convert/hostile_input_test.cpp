// Text pasted from anywhere: whatever the bytes, a conversion ends with the
// failing line's message or with a well formed document.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "../support/temp_dir.h"
#include "convert/driver.h"
#include "rtf_wellformed.h"

namespace bq {
namespace {

namespace fs = std::filesystem;
using testing::RTFFault;

const std::string kKings = "4k3/8/8/8/8/8/8/4K3 w - -";

class HostileInput : public ::testing::Test {
 protected:
  void SetUp() override { UseFont("Blank_W=46\nBlank_B=43\nWhiteKing_B=75\nBlackKing_W=108\n"); }

  // One font "F" with the given glyph lines.
  void UseFont(const std::string& glyphs) {
    path_ = dir_ / "fonts.ini";
    std::ofstream(path_) << "[Chess Fonts]\nFonts=1\nFont1=F\n[F]\nCharset=2\n" << glyphs;
    fonts_ = std::make_unique<TChessFontInfoMan>(path_.string(), nullptr);
    settings_.DiagFont = "F";
  }

  // Converts and checks the outcome is one of the two allowed ones.
  TRtfResult Convert(std::string_view text) {
    TRtfResult r = ConvertEPDText(text, MakeConvertJob(settings_, *fonts_));
    if (r.Ok) {
      EXPECT_TRUE(r.Message.empty());
      EXPECT_EQ(RTFFault(r.Document), "");
    } else {
      EXPECT_TRUE(r.Document.empty());
      EXPECT_EQ(r.Message.rfind("Error in EPD string ", 0), 0u) << r.Message;
      EXPECT_FALSE(r.Reason.empty());
    }
    return r;
  }

  const bq::testing::TempDir dir_;
  fs::path path_;
  std::unique_ptr<TChessFontInfoMan> fonts_;
  TConvertSettings settings_;
};

TEST_F(HostileInput, TenMegabyteLines) {
  const std::string big(10 << 20, 'x');
  settings_.Operations = "id";
  const TRtfResult operand = Convert(kKings + " id \"" + big + "\";");
  ASSERT_TRUE(operand.Ok);
  EXPECT_NE(operand.Document.find(big), std::string::npos);

  EXPECT_EQ(Convert(big).Message, "Error in EPD string 1");
  EXPECT_EQ(Convert(kKings + "\n" + std::string(10 << 20, '/')).Message, "Error in EPD string 2");
  // Ten megabytes of blanks and line breaks are no record at all.
  EXPECT_EQ(Convert(std::string(10 << 20, ' ') + "\r\n\n\r").Document, "");
}

TEST_F(HostileInput, NulBytesInvalidUtf8AndEveryByteValue) {
  settings_.Operations = "id,c0";
  // A NUL ends the line's text; what follows it on that line is not read.
  const TRtfResult nul = Convert(kKings + " id \"a\"" + std::string("\0garbage{\\", 10) + "\n");
  ASSERT_TRUE(nul.Ok);
  EXPECT_EQ(nul.Document.find("garbage"), std::string::npos);

  const TRtfResult utf8 = Convert(kKings + " id \"\xC3\xA9\xFF\xC3\"; c0 \"\xED\xA0\x80\";");
  ASSERT_TRUE(utf8.Ok);
  EXPECT_NE(utf8.Document.find("\\u233?\\'FF\\'C3"), std::string::npos);

  // Every byte value alone, in an operand, and in place of every field.
  for (int b = 0; b < 256; ++b) {
    const std::string c(1, static_cast<char>(b));
    SCOPED_TRACE(b);
    Convert(c);
    Convert(kKings + " id \"" + c + "\"; c0 " + c + ";");
    Convert(kKings + " id " + c);
    for (std::size_t at = 0; at <= kKings.size(); ++at) {
      std::string line = kKings;
      line.insert(at, c);
      Convert(line);
      if (at == kKings.size()) continue;
      line = kKings;
      line[at] = c[0];
      Convert(line);
    }
  }
}

TEST_F(HostileInput, ThousandsOfOperationsOnOneLine) {
  std::string line = kKings;
  for (int i = 0; i < 5000; ++i) line += " op" + std::to_string(i) + " x y;";
  for (int i = 0; i < 5000; ++i) line += " id \"" + std::to_string(i) + "\";";
  settings_.Operations = "op4999,id";
  const TRtfResult r = Convert(line);
  ASSERT_TRUE(r.Ok);
  EXPECT_NE(r.Document.find("op4999: x y\\par id: "), std::string::npos);
}

TEST_F(HostileInput, GlyphCodesBelow32ReachTheDocumentEscaped) {
  // A font file may map a square to any code; a raw control byte would be
  // dropped by every reader and the square would vanish.
  UseFont("Blank_W=9\nBlank_B=10\nWhiteKing_B=13\nBlackKing_W=1\n");
  const TRtfResult r = Convert(kKings);
  ASSERT_TRUE(r.Ok);
  EXPECT_NE(r.Document.find("\\par \\'09\\'0A\\'09\\'0A\\'01\\'0A\\'09\\'0A\r\n"),
            std::string::npos)
      << r.Document;
}

TEST_F(HostileInput, FontNamesFromSettingsCannotBreakTheDocument) {
  settings_.TextFont = "Arial;}}{\\rtf1 \\par x";
  settings_.DiagFont = "F}{";
  settings_.DiagFontSize = -2147483647 - 1;
  settings_.TextFontSize = 2147483647;
  const TRtfResult r = Convert(kKings + " id x;");
  ASSERT_TRUE(r.Ok);
  EXPECT_NE(r.Document.find("\\f0\\fs200 "), std::string::npos);
  EXPECT_NE(r.Document.find("\\f2\\fs2 "), std::string::npos);
}

}  // namespace
}  // namespace bq
