// The conversion's quick ways against plain reference code: the converter's
// records written by pointer and the chunked line reader. They must give the
// same bytes on every input.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "chess/parser.h"
#include "convert/diagram.h"
#include "convert/driver.h"
#include "convert/lines.h"
#include "fonts/rtf.h"

namespace bq {
namespace {

std::string ReferenceDocument(const std::vector<std::string>& lines, const TConvertSettings& s,
                              const TChessFontInfoMan& fonts) {
  std::string body;
  for (const std::string& line : lines) {
    TPosition rec;
    InitPosition(rec);
    if (!ReadEPDLine(rec, line)) return "refused: " + line;
    std::string ops;
    for (const std::string& item : SplitList(s.Operations, ',')) {
      if (!HasOperation(rec, item)) continue;
      if (!ops.empty()) ops += "\\par ";
      ops += EscapeRTFText(item) + ": " + EscapeRTFText(OperandText(rec, FindOperation(rec, item)));
    }
    if (!body.empty()) body += "\r\n";
    const std::string text = "\\f0\\fs" + std::to_string(2 * s.TextFontSize);
    if (!ops.empty()) body += text + " " + ops + "\\par ";
    body += "\\f2\\fs" + std::to_string(2 * s.DiagFontSize) + " ";
    const TDiagramWriter writer(fonts.FontInfoRef(s.DiagFont), {.ShowCoords = s.ShowCoords});
    std::string board(writer.MaxBoardSize() + TDiagramWriter::kSlack, '\0');
    board.resize(
        static_cast<std::size_t>(writer.WriteBoard(board.data(), rec.Core) - board.data()));
    body += board + std::string(writer.End()) + text + "\r\n";
  }
  return RTFHeader(s.TextFont, s.TextFont, s.DiagFont, s.DiagFontCharSet) + body + "}";
}

TEST(ConverterRecords, AreWhatTheRecordFunctionsCompose) {
  const testing::TempDir dir;
  const std::string ini = dir / "fonts.ini";
  std::ofstream(ini) << "[Chess Fonts]\nFonts=1\nFont1=F\n[F]\nCharset=2\n"
                        "Blank_W=46\nBlank_B=43\nWhiteKing_B=75\nWhiteKing_W=107\n"
                        "BlackKing_W=108\nBlackKing_B=76\nWhitePawn_W=200\nBorderNW=1\n";
  const TChessFontInfoMan fonts(ini, nullptr);
  const std::vector<std::string> lines = {
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4; id \"plain.1\";",
      "4k3/8/8/8/8/8/4P3/4K3 b - - id \"{braces} and \\\\\"; bm Kd7;",
      "4k3/8/8/8/8/8/4P3/4K3 w - e3 ID \"caf\xc3\xa9\"; BM e4 d4; id second;",
      "4k3/8/8/8/8/8/8/4K2k w - - bm Kf2; id \"illegal\";",
      "4k3/8/8/8/8/8/8/4K3 w - -",
      "4k3/8/8/8/8/8/8/4K3 w - - ;; id;",
      "4k3/8/8/8/8/8/8/4K3 w - - c0 \x01\x7f\xff; id  \"\"  x;",
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm  e4   d4 ;   id x ;bm y;",
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4 ; id;; ;c0 \"a  b\";",
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4; id x",
      "4k3/8/8/8/8/8/4P3/4K3 w - - bm\te4; id a\tb; c0 \xE9 \xC3 \xA9;",
      "4k3/8/8/8/8/8/4P3/4K3 w - - ; bm e4",
      "4k3/8/8/8/8/8/4P3/4K3 w - - Supercalifragilistic a b; superCALI d; bm " +
          std::string(300, 'x') + ";",
  };
  std::string many;  // more items than fit in a machine word
  for (int k = 0; k < 70; ++k) {
    many += 'x';
    many += std::to_string(k);
    many += ',';
  }
  std::mt19937 rng(3);
  for (const std::string& ops : {std::string("id,bm"), std::string("bm,,id,bm"), std::string(),
                                 std::string("c0,id"), std::string("BM,Id,c0,,x"),
                                 std::string("supercalifragilistic,bm,SuperCali"), many + "id"}) {
    TConvertSettings s;
    s.DiagFont = "F";
    s.Operations = ops;
    s.TextFontSize = static_cast<std::int32_t>(1 + rng() % 30);
    s.ShowCoords = rng() % 2;
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    const TRtfResult result = ConvertEPDText(text, MakeConvertJob(s, fonts));
    ASSERT_TRUE(result.Ok) << result.Message << result.Reason;
    // The converter keeps each diagram whole on its page; the record
    // functions know nothing of pages.
    std::string document = result.Document;
    for (const std::string mark : {"\\keepn", "\\pard "})
      for (std::size_t at; (at = document.find(mark)) != std::string::npos;)
        document.erase(at, mark.size());
    EXPECT_EQ(document, ReferenceDocument(lines, s, fonts)) << ops;
  }
}

TEST(ConverterRecords, ALineEndsAtItsFirstNul) {
  const TChessFontInfoMan fonts(BQ_SOURCE_DIR "/data/ChsFonts.ini", nullptr);
  TConvertSettings s;
  s.DiagFont = "Chess Merida";
  using namespace std::string_literals;
  for (const std::string& line :
       {"4k3/8/8/8/8/8/4P3/4K3 w - - bm e4; id \"a\0b\";"s,
        "4k3/8/8/8/8/8/4P3/4K3 w - - bm\0 e4; id x;"s, "4k3/8/8/8/8/8/4P3/4K3 w\0 - - bm e4;"s,
        "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4; id x;\0"s}) {
    const TConvertJob job = MakeConvertJob(s, fonts);
    const TRtfResult whole = ConvertEPDText(line, job),
                     cut = ConvertEPDText(line.substr(0, line.find('\0')), job);
    EXPECT_EQ(whole.Ok, cut.Ok);
    EXPECT_EQ(whole.Document, cut.Document);
    EXPECT_EQ(whole.Reason, cut.Reason);
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
