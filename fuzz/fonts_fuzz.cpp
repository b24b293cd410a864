// The font description file (ChsFonts.ini), any bytes: the catalogue loads,
// every listed font can be looked up by number and by name, and its glyph
// codes are what a diagram can draw.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fonts/catalogue.h"
#include "fuzz_util.h"

using namespace bq;
using bq::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::TScratchFile file("chsfonts");
  file.Write(std::string_view(reinterpret_cast<const char*>(data), size));

  const TChessFontInfoMan fonts(file.Path(), nullptr);
  const int count = fonts.FontCount();
  Check(count >= 0, "a font count is never negative");
  for (int i = 1; i <= count; ++i) {
    const std::string& name = fonts.FontName(i);
    const ChessFontInfoRec info = fonts.GetFontInfo(i);
    const int found = fonts.FontIndex(name);
    Check(found >= 1 && found <= i, "a listed name is found at or before its entry");
    Check(fonts.FontInfoRef(name).Name == fonts.GetFontInfo(found).Name,
          "lookups by name and number agree");
    (void)fonts.FontCharset(name);
    (void)info;
  }
  Check(fonts.FontIndex("\x01no such font") == -1 || count > 0, "unknown names are not found");
  (void)ParseGlyphValue(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
