// A whole conversion. The input is profile text, a line "====", then EPD
// text; the profile text gives the settings (section General, as the
// program reads them) and, when it has a [Chess Fonts] section, the font
// descriptions too; without the separator the whole input is EPD text
// converted with Chess Merida from the shipped font file.
//
// Either the conversion names its failing line, or its document is well
// formed RTF that the program's own reader reads back to the diagram lines
// the glyph map gives, or, with DiagramStyle=picture, to the pictures of
// the boards in order.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/rtfreader.h"
#include "chess/parser.h"
#include "convert/diagram.h"
#include "convert/driver.h"
#include "convert/layout.h"
#include "convert/lines.h"
#include "fonts/catalogue.h"
#include "fuzz_util.h"
#include "support/profile.h"
#include "support/textcodec.h"

using namespace bq;
using bq::fuzz::Check;
using bq::fuzz::Fail;

namespace {

const TChessFontInfoMan& ShippedFonts() {
  static const TChessFontInfoMan fonts(BQ_SOURCE_DIR "/data/ChsFonts.ini", nullptr);
  return fonts;
}

// The program's own settings reader; without a DiagFont the fuzzer still
// draws in a real diagram font, where most of the writer's paths are.
TConvertSettings ReadSettings(const TProfileFile& ini) {
  TConvertSettings s = ReadConvertSettings(ini);
  std::string font;
  if (!ini.Find("General", "DiagFont", font)) s.DiagFont = "Chess Merida";
  return s;
}

// The glyph bytes of one diagram line as the reader shows them.
void Push(std::u16string& line, std::int32_t glyph) {
  const auto c = static_cast<unsigned char>(glyph & 0xFF);
  if (c != 0) line += static_cast<char16_t>(Windows1252Char(c));
}

// The lines a record's diagram must read back as, in order; empty lines are
// left out because an empty paragraph has no run to carry a font.
void ExpectedLines(const TPosition& rec, bool showCoords, bool fromBlack, const ChessFontInfoRec& g,
                   std::vector<std::u16string>& out) {
  const bool coords = showCoords && g.CoordinatesPossible;
  const bool border = g.FullBorder;
  auto add = [&](std::u16string line) {
    if (!line.empty()) out.push_back(std::move(line));
  };
  if (border) {
    std::u16string l;
    Push(l, coords ? g.CoordBorderNW : g.BorderNW);
    for (int f = 0; f < 8; ++f) Push(l, g.BorderN);
    Push(l, g.BorderNE);
    add(l);
  }
  for (int row = 0; row < 8; ++row) {
    const int rank = fromBlack ? row + 1 : 8 - row;
    std::u16string l;
    if (coords) {
      Push(l, g.WestCoords[rank - 1]);
    } else if (border) {
      Push(l, g.BorderW);
    }
    for (int column = 0; column < 8; ++column) {
      const int file = fromBlack ? 8 - column : column + 1;
      Push(l, GetSquareGlyph(PieceAt(rec.Core, file, rank), ColourAt(rec.Core, file, rank), file,
                             rank, g));
    }
    if (border) Push(l, g.BorderE);
    add(l);
  }
  if (border) {
    std::u16string l;
    Push(l, coords ? g.CoordBorderSW : g.BorderSW);
    for (int f = 0; f < 8; ++f) Push(l, coords ? g.SouthCoords[fromBlack ? 7 - f : f] : g.BorderS);
    Push(l, g.BorderSE);
    add(l);
  }
}

// Picture diagrams come from the picture writer, which this build lacks: a
// stand-in gives PNG heads made of the record, and the record's glyph rows
// as data, so that each picture shows where it belongs.
std::string StandInPng(const TConvertJob& job, const TRecord& rec) {
  std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  const auto number = static_cast<std::uint32_t>(rec.Number);
  for (const std::uint32_t v : {number, number * 7919u})
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<char>(v >> shift));
  for (const std::string& row : BoardRowsOf(job, rec).Rows) png += row;
  return png;
}

bool PrintableAscii(std::string_view s) {
  for (char c : s)
    if (c < 0x20 || c > 0x7E || c == ';') return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::TScratchFile fontFile("fonts");
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  std::string_view epd = input;
  TConvertSettings settings;
  settings.DiagFont = "Chess Merida";
  const TChessFontInfoMan* fonts = &ShippedFonts();
  std::optional<TChessFontInfoMan> ownFonts;
  if (auto sep = input.find("\n====\n"); sep != std::string_view::npos) {
    const std::string_view head = input.substr(0, sep);
    epd = input.substr(sep + 6);
    const TProfileFile ini = TProfileFile::Parse(head);
    settings = ReadSettings(ini);
    if (!ini.Keys("Chess Fonts").empty()) {
      fontFile.Write(head);
      ownFonts.emplace(fontFile.Path(), nullptr);
      fonts = &*ownFonts;
    }
  }

  const TConvertJob job = MakeConvertJob(settings, *fonts);
  const bool pictures = PictureDiagrams(job);
  std::vector<std::string> given;
  const TRtfResult result = ConvertEPDText(epd, job, [&](const TRecord& rec, std::string& png) {
    png = StandInPng(job, rec);
    given.push_back(png);
  });
  if (!result.Ok) {
    Check(result.Document.empty(), "a failed conversion gives no document");
    Check(result.Message.rfind("Error in EPD string ", 0) == 0, "the message names the line");
    return 0;
  }
  Check(result.Message.empty(), "a conversion that worked has no message");

  // What the document must show: every record's diagram, in order.
  const ChessFontInfoRec& glyphs = fonts->FontInfoRef(settings.DiagFont);
  std::vector<std::u16string> expected;
  long long records = 0;
  SplitEPDLines(epd, [&](std::string_view line) {
    const std::string_view text = TrimEPDLine(line);
    if (IsSkippedEPDLine(text)) return true;
    TPosition rec;
    InitPosition(rec);
    if (!ReadEPDLine(rec, text)) Fail("a converted line reads");
    ++records;
    const bool fromBlack =
        DrawnFromBlack(rec, FindOperation(rec, "view"), job.Settings.Layout.Orientation);
    ExpectedLines(rec, settings.ShowCoords, fromBlack, glyphs, expected);
    return true;
  });
  if (records == 0) {
    Check(result.Document.empty(), "no record, no document");
    return 0;
  }

  if (std::string fault = bq::testing::RTFFault(result.Document); !fault.empty()) {
    std::fprintf(stderr, "malformed RTF: %s\n", fault.c_str());
    Fail("the document is well formed RTF");
  }
  TRTFDocument doc;
  std::string why;
  if (!ReadRTF(result.Document, doc, &why)) {
    std::fprintf(stderr, "reader: %s\n", why.c_str());
    Fail("the reader reads the document");
  }
  const int diagFont = doc.FontIndex(2);
  Check(diagFont >= 0, "the diagram font is in the font table");
  const std::string_view name = TrimEPDLine(settings.DiagFont);
  if (PrintableAscii(name))
    Check(doc.Fonts[static_cast<std::size_t>(diagFont)].Family == name,
          "the font table names the diagram font");

  if (pictures) {
    Check(static_cast<long long>(given.size()) == records, "one picture per record");
    Check(doc.Pictures.size() == given.size(), "the reader reads every picture");
    for (std::size_t k = 0; k < given.size(); ++k)
      Check(doc.Pictures[k].Png == given[k], "each picture reads back as given, in order");
    expected.clear();  // nothing is typed in the diagram font
  }

  // Text in the diagram font, one entry per paragraph that has some.
  std::vector<std::u16string> shown;
  for (const TRTFParagraph& p : doc.Paragraphs) {
    std::u16string line;
    for (const TRTFRun& r : p.Runs)
      if (r.Format.Font == 2) line += r.Text;
    if (!line.empty()) shown.push_back(std::move(line));
  }
  if (shown != expected) {
    auto dump = [](const char* what, const std::vector<std::u16string>& lines) {
      std::fprintf(stderr, "%s:\n", what);
      for (const auto& l : lines) {
        for (char16_t c : l) std::fprintf(stderr, c >= 0x20 && c < 0x7F ? "%c" : "<%x>", c);
        std::fprintf(stderr, "\n");
      }
    };
    dump("expected", expected);
    dump("read back", shown);
    Fail("the diagram lines read back exactly");
  }
  return 0;
}
