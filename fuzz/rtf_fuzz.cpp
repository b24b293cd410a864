// The desktop preview's RTF reader and plain-text decoder, any bytes: they
// end, within the depth limit, and what they return is consistent.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/rtfreader.h"
#include "fuzz_util.h"

using namespace bq;
using bq::fuzz::Check;

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
  } else {
    Check(doc.Paragraphs.empty() && doc.Fonts.empty(), "a refused text gives an empty document");
    Check(!why.empty(), "a refused text has a reason");
  }

  const std::u16string decoded = DecodePlainText(text);
  Check(decoded.size() <= size, "decoding never adds characters");
  return 0;
}
