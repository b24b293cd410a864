// The conversion's short ways against plain reference code: the converter's
// plain-line reading and the chunked line reader. They must give the same
// bytes on every input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "convert/driver.h"
#include "convert/lines.h"

namespace bq {
namespace {

namespace fs = std::filesystem;

TEST(ConverterShortWay, WritesWhatTheGeneralWayWrites) {
  // A doubled blank after the placement sends a line the general way; the
  // documents must not differ.
  const fs::path ini =
      fs::temp_directory_path() / ("bq_fast_" + std::to_string(::getpid()) + ".ini");
  std::ofstream(ini) << "[Chess Fonts]\nFonts=1\nFont1=F\n[F]\nCharset=2\n"
                        "Blank_W=46\nBlank_B=43\nWhiteKing_B=75\nWhiteKing_W=107\n"
                        "BlackKing_W=108\nBlackKing_B=76\nWhitePawn_W=200\nBorderNW=1\n";
  const TChessFontInfoMan fonts(ini.string(), nullptr);
  fs::remove(ini);
  const char* const lines[] = {
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4; id \"plain.1\";",
      "4k3/8/8/8/8/8/4P3/4K3 b - - id \"{braces} and \\\\\"; bm Kd7;",
      "4k3/8/8/8/8/8/4P3/4K3 w - e3 ID \"caf\xc3\xa9\"; BM e4 d4; id second;",
      "4k3/8/8/8/8/8/8/4K2k w - - bm Kf2; id \"illegal\";",
      "4k3/8/8/8/8/8/8/4K3 w - -",
      "4k3/8/8/8/8/8/8/4K3 w - - ;; id;",
      "4k3/8/8/8/8/8/8/4K3 w - - c0 \x01\x7f\xff; id  \"\"  x;",
      // Operand lists the plain gathering joins, and the shapes it leaves
      // to the general way.
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4 d4 c4; Id a b; iD c;",
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm  e4   d4 ;   id x ;bm y;",
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4 ; id;; ;c0 \"a  b\";",
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4; id x",
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4; id",
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4 d4",
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm\te4; id a\tb;",
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4;id x; bm d4;",
      "4k3/8/8/8/8/8/4P3/4K3 w - - ; bm e4",
      "4k3/8/8/8/8/8/4P3/4K3 w - - c0 {x}; bm e4;",
      "4k3/8/8/8/8/8/4P3/4K3 w - - ;",
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4;  ",
      // Items longer than eight bytes, and ones that share their first
      // eight bytes or their size with an item.
      "4k3/8/8/8/8/8/4P3/4K3 w - - Supercalifragilistic a b; supercalifragilistix c; "
      "superCALI d; bm e4;",
      "4k3/8/8/8/8/8/4P3/4K3 w - - supercali e; supercalifragilistic f; bmx g; b h; bm;",
  };
  std::string many;  // more items than the masks take
  for (int k = 0; k < 70; ++k) {
    many += 'x';
    many += std::to_string(k);
    many += ',';
  }
  many += "id,bm";
  for (const char* const ops :
       {"id,bm", "bm,,id,bm", "", "c0,id", "BM,Id,c0,,x",
        "supercalifragilistic,bm,SuperCali,supercalifragilistic,b", many.c_str()}) {
    TConvertSettings s;
    s.DiagFont = "F";
    s.Operations = ops;
    s.TextFontSize = 12;
    std::string plain, general;
    for (const char* line : lines) {
      plain += line;
      plain += "\n";
      std::string bent = line;
      bent.insert(bent.find(' '), 1, ' ');
      general += bent + "\n";
    }
    const TConvertResult a = ConvertEPDText(plain, s, fonts);
    const TConvertResult b = ConvertEPDText(general, s, fonts);
    ASSERT_TRUE(a.Ok) << a.Message << a.Reason;
    EXPECT_EQ(a.Document, b.Document) << ops;
  }
}

TEST(ConverterShortWay, LinesWithNulReadAsTheGeneralWayReadsThem) {
  // ConvertLine may be handed a NUL anywhere: in the fields or the
  // operations, the plain way must give it up to the general one.
  const TChessFontInfoMan fonts(BQ_SOURCE_DIR "/data/ChsFonts.ini", nullptr);
  TConvertSettings s;
  s.DiagFont = "Chess Merida";
  using namespace std::string_literals;
  const std::string lines[] = {
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4; id \"a\0b\";"s,
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4; id x\0;"s,
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm\0 e4; id x;"s,
      "4k3/8/8/8/8/8/4P3/4K3 w\0 - - bm e4;"s,
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4; id x;\0"s,
  };
  for (const std::string& line : lines) {
    std::string bent = line;
    bent.insert(bent.find(' '), 1, ' ');
    TEPDConverter plain(s, fonts), general(s, fonts);
    std::string a, b;
    const bool okA = plain.ConvertLine(line, a);
    const bool okB = general.ConvertLine(bent, b);
    EXPECT_EQ(okA, okB);
    EXPECT_EQ(a, b);
    EXPECT_EQ(plain.Reason().empty(), general.Reason().empty());
  }
}

// The chunked reader as it read before it kept views: one copied line at a
// time, the CR of a CR LF pair remembered across chunks.
std::vector<std::string> ReferenceLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t i = 0;
  bool pendingCR = false;
  for (;;) {
    if (i == text.size()) {
      line.resize(std::string_view(line).substr(0, line.find('\0')).size());
      if (!line.empty()) lines.push_back(line);
      return lines;
    }
    const char c = text[i++];
    if (pendingCR && c == '\n') {
      pendingCR = false;
      continue;
    }
    pendingCR = false;
    if (c == '\n' || c == '\r') {
      pendingCR = c == '\r';
      line.resize(std::string_view(line).substr(0, line.find('\0')).size());
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
}

TEST(LineReader, ViewsMatchCopiedLinesAcrossChunks) {
  std::mt19937 rng(9);
  for (int round = 0; round < 60; ++round) {
    std::string text;
    const std::size_t size = (1 + rng() % 3) * 65536 + rng() % 400 - 200;
    const bool dense = round % 3 == 0;
    while (text.size() < size) {
      if (dense) {
        text += "ab\n\r\0 "[rng() % 6];
      } else {
        text.append(rng() % 300, 'x');
        text += rng() % 3 == 0 ? "\r\n" : rng() % 2 ? "\r" : "\n";
        if (rng() % 10 == 0) text += '\0';
      }
    }
    if (rng() % 2) text += std::string("\0tail", 5);
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    std::vector<std::string> views, copies;
    {
      TEPDLineReader reader(f);
      std::string_view line;
      while (reader.Next(line)) views.emplace_back(line);
    }
    std::rewind(f);
    {
      TEPDLineReader reader(f);
      std::string line;
      while (reader.Next(line)) copies.push_back(line);
    }
    std::fclose(f);
    const std::vector<std::string> expected = ReferenceLines(text);
    EXPECT_EQ(views, expected) << round;
    EXPECT_EQ(copies, expected) << round;
  }
}

}  // namespace
}  // namespace bq
