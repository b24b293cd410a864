// The desktop preview's RTF reader and plain-text decoder, any bytes: they
// end, within the depth limit, and what they return is consistent, tables
// included.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/rtfreader.h"
#include "fuzz_util.h"

using namespace bq;
using bq::fuzz::Check;

namespace {

// What the preview relies on when it builds tables: in reading order, inside
// the paragraphs, every filled cell holding a paragraph, no row wider than
// its table, no table wider than the limit.
void CheckTables(const TRTFDocument& doc) {
  std::size_t next = 0;
  for (const TRTFTable& t : doc.Tables) {
    Check(t.First >= next, "tables in reading order");
    Check(!t.Rows.empty(), "a table has rows");
    Check(!t.Widths.empty() && t.Widths.size() <= std::size_t(kMaxRTFCells), "columns bounded");
    std::size_t p = t.First;
    for (const auto& row : t.Rows) {
      Check(!row.empty() && row.size() <= t.Widths.size(), "a row fits its table");
      for (std::size_t end : row) {
        Check(end > p, "a cell holds a paragraph");
        p = end;
      }
    }
    for (int w : t.Widths) Check(w >= 0, "widths are not negative");
    Check(p <= doc.Paragraphs.size(), "cells within the paragraphs");
    next = p;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  TRTFDocument doc;
  std::string why;
  const bool ok = ReadRTF(text, doc, &why);
  if (!LooksLikeRTF(text)) Check(!ok, "text without {\\rtf is not RTF");
  if (ok) {
    const std::u16string plain = doc.PlainText();
    std::size_t chars = 0;
    for (const TRTFParagraph& p : doc.Paragraphs)
      for (const TRTFRun& r : p.Runs) chars += r.Text.size();
    // Each input byte yields at most one character (\u is one for several).
    Check(chars <= size, "no more text than input");
    Check(plain.size() <= chars + doc.Paragraphs.size(), "plain text is the runs and breaks");
    for (const TRTFFont& f : doc.Fonts) Check(doc.FontIndex(f.Number) >= 0, "fonts are found");
    Check(doc.Colours.size() <= std::size_t(kMaxRTFColours), "colour table bounded");
    for (const TRTFParagraph& p : doc.Paragraphs)
      for (const TRTFRun& r : p.Runs)
        Check(r.Format.Background >= kRTFNoColour && r.Format.Background <= 0xFFFFFF,
              "backgrounds are colours");
    CheckTables(doc);
  } else {
    Check(doc.Paragraphs.empty() && doc.Fonts.empty(), "a refused text gives an empty document");
    Check(!why.empty(), "a refused text has a reason");
  }

  const std::u16string decoded = DecodePlainText(text);
  Check(decoded.size() <= size, "decoding never adds characters");
  return 0;
}
