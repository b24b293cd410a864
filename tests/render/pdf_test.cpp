// PDF documents read back with the poppler tools: text and its order,
// embedded fonts, pages, records kept whole, columns and wrapping.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>

#include "convert/gametextdriver.h"
#include "render/pdfwriter.h"
#include "render/picturesink.h"
#include "render_test_util.h"

namespace bq {
namespace {

// A word of `pdftotext -bbox` output.
struct TWord {
  int Page = 0;
  double X0 = 0, Y0 = 0, X1 = 0;
  std::string Text;
};

class PdfTest : public ::testing::Test {
 protected:
  void SetUp() override { file_ = (dir_ / "doc.pdf").string(); }

  // Writes the records to file_, then `closing` as the lines at the end.
  long long Write(const TConvertJob& job, const std::vector<test::TKeptRecord>& records,
                  const std::vector<std::string>& closing = {}) {
    std::string bytes;
    TPdfWriter writer(job, AppendTo(bytes));
    for (const test::TKeptRecord& rec : records) writer.AddRecord(rec.Record);
    for (const std::string& line : closing) writer.AddTextLine(line);
    writer.Finish();
    test::WriteAll(file_, bytes);
    return writer.Pages();
  }

  // Runs `tool` on the document; `after` follows the file name.
  std::string Tool(const std::string& tool, const std::string& after = "") {
    int status = -1;
    const std::string out = test::Run(tool + " '" + file_ + "' " + after + " 2>&1", &status);
    EXPECT_EQ(status, 0) << tool << ": " << out;
    return out;
  }

  // The words of `pdftotext -bbox`, page by page.
  std::vector<TWord> Words() {
    Tool("pdftotext -bbox");
    const std::string html = test::ReadAll((dir_ / "doc.html").string());
    std::vector<TWord> words;
    int page = 0;
    const auto attribute = [&](std::size_t at, const char* name) {
      const std::size_t v = html.find(name, at) + std::strlen(name) + 2;
      return std::stod(html.substr(v, html.find('"', v) - v));
    };
    for (std::size_t at = 0; (at = html.find('<', at)) != std::string::npos; ++at) {
      if (html.compare(at, 6, "<page ") == 0) ++page;
      if (html.compare(at, 6, "<word ") != 0) continue;
      const std::size_t text = html.find('>', at) + 1;
      std::string word;  // quotes come as entities
      for (std::size_t i = text; html[i] != '<'; ++i) {
        const bool quote = html.compare(i, 6, "&quot;") == 0;
        word.push_back(quote ? '"' : html[i]);
        if (quote) i += 5;
      }
      words.push_back(
          {page, attribute(at, "xMin"), attribute(at, "yMin"), attribute(at, "xMax"), word});
    }
    return words;
  }

  // bk.epd's settings without the mark.
  static TConvertSettings Settings() {
    TConvertSettings s = test::BkSettings();
    s.Layout.MoverMark = false;
    return s;
  }

  const testing::TempDir temp_;
  const std::filesystem::path dir_ = temp_.path();
  std::string file_;
};

std::string WithoutBlanks(std::string s) {
  s.erase(std::remove_if(s.begin(), s.end(), [](unsigned char c) { return std::isspace(c); }),
          s.end());
  return s;
}

TEST_F(PdfTest, TextComesInRecordOrderWithEmbeddedFontsOnWholePages) {
  TConvertSettings s = Settings();
  s.Layout.Caption = "end{n}";
  const TConvertJob job = MakeConvertJob(s, test::ShippedFonts(), TOutputFormat::Pdf);
  const std::vector<test::TKeptRecord> records = test::Records(test::BkText(24), job);
  const long long pages = Write(job, records, {"Solutions", "1. bm: Qd1+; id: \"BK.01\""});

  // Operations, every board line, caption; record after record; the
  // closing lines last.
  const std::string text = WithoutBlanks(Tool("pdftotext", "-"));
  std::size_t at = 0;
  for (const test::TKeptRecord& kept : records) {
    const TRecord& rec = kept.Record;
    std::vector<std::string> parts;
    for (std::size_t k = 0; k < rec.Above.size(); ++k) parts.push_back(AboveLine(job, rec, k));
    for (const std::string& row : BoardRowsOf(job, rec).Rows)
      parts.push_back(DocumentTextToUtf8(row));
    parts.push_back(rec.Caption);
    for (const std::string& part : parts) {
      const std::size_t found = text.find(WithoutBlanks(part), at);
      ASSERT_NE(found, std::string::npos) << "missing or out of order: " << part;
      at = found + 1;
    }
  }
  const std::string closing = WithoutBlanks("end24 Solutions 1. bm: Qd1+; id: \"BK.01\"");
  EXPECT_EQ(text.substr(text.size() - closing.size()), closing);

  // pdffonts: name, type (one or two words), encoding, emb, sub, uni, id.
  std::istringstream fonts(Tool("pdffonts"));
  std::vector<std::string> merida;
  for (std::string line; std::getline(fonts, line);) {
    if (line.find("ChessMerida") == std::string::npos) continue;
    std::istringstream fields(line);
    for (std::string f; fields >> f;) merida.push_back(f);
  }
  ASSERT_GE(merida.size(), 7u) << "diagram font missing";
  EXPECT_EQ(merida[merida.size() - 5], "yes") << "diagram font not embedded";
  EXPECT_EQ(merida[merida.size() - 4], "yes") << "diagram font not a subset";

  EXPECT_NE(Tool("pdfinfo").find("Pages:           " + std::to_string(pages) + "\n"),
            std::string::npos);
  EXPECT_EQ(pages, 8);  // three records a page at 20 pt on A4
  // No record is split: its operations and caption stand on one page.
  const std::vector<TWord> words = Words();
  const auto pageOf = [&](const std::string& text) {
    const auto w =
        std::find_if(words.begin(), words.end(), [&](const TWord& w) { return w.Text == text; });
    return w == words.end() ? -1 : w->Page;
  };
  for (std::size_t k = 0; k < records.size(); ++k) {
    const std::string id = std::string(k < 9 ? "\"BK.0" : "\"BK.") + std::to_string(k + 1) + "\"";
    EXPECT_GT(pageOf(id), 0) << id;
    EXPECT_EQ(pageOf(id), pageOf(records[k].Record.Caption)) << id << " split across pages";
  }
}

TEST_F(PdfTest, ColumnsStandSideBySideAndLongTextWrapsInsideItsColumn) {
  TConvertSettings s = Settings();
  s.Layout.Columns = 2;
  s.Operations = "id,bm,c0";
  const TConvertJob job =
      MakeConvertJob(s, test::ShippedFonts(), TOutputFormat::Pdf, {.Paper = TPaper::Letter});
  std::string longText;
  for (int i = 0; i < 40; ++i) longText += " word" + std::to_string(i);
  std::string text = test::BkText(3);
  text.insert(text.find('\n'), " c0" + longText + ";");
  Write(job, test::Records(text, job));
  EXPECT_NE(Tool("pdfinfo").find("612 x 792 pts (letter)"), std::string::npos);

  const std::vector<TWord> words = Words();
  const auto find = [&](const std::string& text) {
    return *std::find_if(words.begin(), words.end(),
                         [&](const TWord& w) { return w.Text == text; });
  };
  const TWord first = find("\"BK.01\""), second = find("\"BK.02\""), third = find("\"BK.03\"");
  EXPECT_NEAR(first.Y0, second.Y0, 0.01);
  EXPECT_GT(second.X0, first.X0 + 200);
  EXPECT_NEAR(third.X0, first.X0, 0.01);
  EXPECT_GT(third.Y0, first.Y0 + 200);
  // The long line breaks before the second column starts.
  double right = 0, lowest = 0;
  for (const TWord& w : words) {
    if (w.Text.rfind("word", 0) != 0) continue;
    right = std::max(right, w.X1);
    lowest = std::max(lowest, w.Y0);
  }
  EXPECT_LT(right, second.X0);
  EXPECT_GT(lowest, first.Y0 + 30);
}

TEST_F(PdfTest, RecordTallerThanAPageRunsItsTextOnAndKeepsItsBoardWhole) {
  TConvertSettings s = Settings();
  s.Operations = "id,bm,c0";
  s.Layout.Caption = "theend";
  const TConvertJob job = MakeConvertJob(s, test::ShippedFonts(), TOutputFormat::Pdf);
  std::string many;
  for (int i = 0; i < 3000; ++i) many += " w" + std::to_string(i);
  const std::vector<test::TKeptRecord> records =
      test::Records(test::BkText(1, " c0" + many + ";"), job);
  const TBoardRows board = BoardRowsOf(job, records[0].Record);
  EXPECT_GT(Write(job, records), 2);
  const std::vector<TWord> words = Words();
  std::set<std::string> seen;
  for (const TWord& w : words) seen.insert(w.Text);
  for (int i = 0; i < 3000; ++i) ASSERT_TRUE(seen.count("w" + std::to_string(i))) << i;
  const auto pageOf = [&](const std::string& text) {
    for (const TWord& w : words)
      if (w.Text == text) return w.Page;
    return -1;
  };
  const int top = pageOf(DocumentTextToUtf8(board.Rows.front()));
  EXPECT_GT(top, 1);
  EXPECT_EQ(pageOf(DocumentTextToUtf8(board.Rows.back())), top);
  EXPECT_EQ(pageOf("theend"), top);
}

// Game text: the words of the game in order, the variation indented, the
// text in two page columns with every diagram whole in one, and a
// paragraph that comes in parts read as one.
TEST_F(PdfTest, GameTextReadsInOrderInColumnsAndParts) {
  const std::string game =
      "[Event \"Club\"]\n[Date \"2024.01.02\"]\n[White \"Ann\"]\n[Black \"Bob\"]\n\n"
      "{Start} 1. e4 $1 e5 2. Nf3 (2. Bc4 $16 {a {bishop}) 2... Nc6 $220 3. Bb5 $14 1-0\n";
  const auto write = [&](const TConvertSettings& s, const std::string& pgn) {
    const TConvertJob job =
        GameTextJob(MakeConvertJob(s, test::ShippedFonts(), TOutputFormat::Pdf));
    std::string bytes;
    const auto sink = MakePictureSink(job, "", AppendTo(bytes));
    EXPECT_TRUE(ConvertGameText(pgn, job, {}, *sink).Ok);
    test::WriteAll(file_, bytes);
    return job;
  };
  TConvertSettings s = Settings();
  s.Layout.Caption = "{c0}";
  const TConvertJob job = write(s, game);
  const std::string text = WithoutBlanks(Tool("pdftotext", "-"));
  std::vector<std::string> parts = {"Ann \u2013 Bob", "Club, 2024", "Start 1.e4! e5 2.\u2658f3",
                                    "2.\u2657c4 \u00B1 a {bishop", "2...\u2658c6"};
  const std::string diagrams = ConvertGameText(game, job, {}).Diagrams;
  for (const std::string& row : BoardRowsOf(job, test::Records(diagrams, job).at(0).Record).Rows)
    parts.push_back(DocumentTextToUtf8(row));
  parts.insert(parts.end(), {"Position after 2...Nc6", "3.\u2657b5 +/= 1\u20130"});
  std::size_t at = 0;
  for (const std::string& part : parts) {
    const std::size_t found = text.find(WithoutBlanks(part), at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << part << "\n" << text;
    at = found + 1;
  }
  std::vector<TWord> words = Words();
  const auto find = [&](const std::string& text) {
    return *std::find_if(words.begin(), words.end(),
                         [&](const TWord& w) { return w.Text == text; });
  };
  EXPECT_NEAR(find("2.\u2657c4").X0 - find("Start").X0, 0.5 / 2.54 * 72, 0.5);

  // Two columns: text right of the middle, each board in one column of
  // one page.
  s.Layout.Columns = 2;
  std::string games;
  for (int i = 0; i < 12; ++i) games += game;
  write(s, games);
  words = Words();
  std::vector<TWord> tops, bottoms;
  for (const TWord& w : words) {
    if (w.Text.rfind("!\"", 0) == 0) tops.push_back(w);
    if (w.Text.rfind("/\u00CB", 0) == 0) bottoms.push_back(w);  // the coordinates a to h
  }
  ASSERT_EQ(tops.size(), 12u);
  ASSERT_EQ(bottoms.size(), 12u);
  bool right = false;
  for (std::size_t i = 0; i < tops.size(); ++i) {
    EXPECT_EQ(tops[i].Page, bottoms[i].Page) << i;
    EXPECT_NEAR(tops[i].X0, bottoms[i].X0, 0.5) << i;
    right = right || (tops[i].Page == 1 && tops[i].X0 > 300);
  }
  EXPECT_TRUE(right) << "no diagram in the second column of page 1";

  // A comment of more than a paragraph's bytes comes in parts.
  std::string comment;
  int count = 0;
  while (comment.size() <= kMaxGameParagraph) comment += " w" + std::to_string(count++);
  s.Layout.Columns = 1;
  write(s, "1. e4 {" + comment + "} *");
  words = Words();
  int next = 0;
  for (const TWord& w : words) next += w.Text == "w" + std::to_string(next);
  EXPECT_EQ(next, count);
}

}  // namespace
}  // namespace bq
