#include "fonts/fontstatus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bq {
namespace {

const std::vector<std::string> kDescribed = {"Chess Merida", "Chess Leipzig", "SkakNew-Diagram"};
const std::vector<std::string> kInstalled = {"Chess Merida", "Default", "DejaVu Sans",
                                             "skaknew-diagram"};

TEST(FontStatus, StatesAndTheirTexts) {
  struct Case {
    const char* name;
    TFontState state;
    const char* text;
  };
  const std::vector<Case> cases = {
      {"", TFontState::NoneChosen, "No diagram font chosen: File > Settings..."},
      {"Chess Leipzig", TFontState::NotInstalled,
       "Chess Leipzig is not installed: install the free diagram fonts (install-fonts.sh) or "
       "choose another font in File > Settings..."},
      {"DejaVu Sans", TFontState::NotDescribed,
       "DejaVu Sans is installed, but ChsFonts.ini does not describe its glyphs, so the "
       "diagrams stay empty: choose another font in File > Settings..."},
      {"Chess Meridaa", TFontState::Unknown,
       "Chess Meridaa is neither installed nor described in ChsFonts.ini: choose another font "
       "in File > Settings..."},
      {"Chess Merida", TFontState::Ready, ""},
      // Installed whatever the case; described only as spelt, as the
      // conversion looks glyph maps up.
      {"SkakNew-Diagram", TFontState::Ready, ""},
      {"chess merida", TFontState::NotDescribed, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TFontState state = DiagramFontState(c.name, kDescribed, kInstalled);
    EXPECT_EQ(state, c.state);
    if (c.text) {
      EXPECT_EQ(FontStateText(state, c.name), c.text);
    }
  }
}

TEST(FontStatus, MissingDescribedFontsKeepTheFileOrder) {
  EXPECT_EQ(MissingDescribedFonts({"Zeta", "Chess Merida", "Alpha", "SKAKNEW-DIAGRAM"}, kInstalled),
            (std::vector<std::string>{"Zeta", "Alpha"}));
  EXPECT_TRUE(MissingDescribedFonts(kDescribed, {}).size() == 3);
}

}  // namespace
}  // namespace bq
