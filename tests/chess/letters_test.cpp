#include <gtest/gtest.h>

#include <string>

#include "chess/letters.h"
#include "chess/parser.h"
#include "support/errors.h"
#include "support/language.h"

namespace bq {
namespace {

int English() {
  return AppLanMan().LanguageIndex("english");
}

TEST(Letters, EnglishLookup) {
  const int en = English();
  EXPECT_EQ(LookupPieceLetter("n", en, true), 2);
  EXPECT_EQ(LookupPieceLetter("N", en, true), 2);
  EXPECT_EQ(LookupPieceLetter("k", en, true), 6);
  EXPECT_EQ(LookupPieceLetter("k", en, false), 0);
  EXPECT_EQ(LookupPieceLetter("W", en, true), 0);  // colour letters are not searched
  EXPECT_EQ(LookupPieceLetter("B", en, true), 3);
  EXPECT_EQ(LookupPieceLetter("_", en, true), 0);
  EXPECT_EQ(LookupPieceLetter("x", en, true), 0);
  EXPECT_EQ(LookupPieceLetter("", en, true), 0);
  EXPECT_EQ(LookupPieceLetter("qx", en, true), 0);  // only one character is upper-cased
  EXPECT_EQ(LookupPieceLetter("Qx", en, true), 5);
}

TEST(Letters, DefaultSymbolicAndOtherLanguages) {
  T_AppLanMan& lm = AppLanMan();
  EXPECT_EQ(LookupPieceLetter("r", lm.DefaultLanguage, true), 4);
  for (const char* t : {"P", "K", "_", "x"})
    EXPECT_EQ(LookupPieceLetter(t, lm.SymbolicLanguage, true), 0);
  const int dutch = lm.LanguageIndex("dutch");
  EXPECT_EQ(LookupPieceLetter("p", dutch, false), 1);
  EXPECT_EQ(LookupPieceLetter("p", dutch, true), 2);  // P is the dutch knight
  EXPECT_EQ(LookupPieceLetter("L", lm.LanguageIndex("german"), true), 3);
  EXPECT_EQ(LookupPieceLetter("T", lm.CustomLanguage, true), 4);
  EXPECT_THROW(LookupPieceLetter("P", 101, true), TRunError);
  EXPECT_THROW(LookupPieceLetter("P", -1, true), TRunError);
}

TEST(Letters, BuiltInSetsAndLanguageAt) {
  InitLetterSets();
  T_AppLanMan& lm = AppLanMan();
  EXPECT_EQ(LetterSetCount(), 4);
  EXPECT_EQ(LanguageAt(1), English());
  EXPECT_EQ(LanguageAt(2), lm.LanguageIndex("dutch"));
  EXPECT_EQ(LanguageAt(3), lm.LanguageIndex("german"));
  EXPECT_EQ(LanguageAt(4), lm.CustomLanguage);
  EXPECT_EQ(LanguageAt(0), English());
  EXPECT_EQ(LanguageAt(5), English());
  const TLetterSet* german = FindLetterSet(lm.LanguageIndex("german"));
  ASSERT_NE(german, nullptr);
  EXPECT_EQ(german->Words[3], "L\xE4ufer");
  EXPECT_EQ(german->Words[7], "Wei\xDF");
  EXPECT_EQ(std::string(german->Letters.begin(), german->Letters.end()), "_BSLTDKWS_");
  EXPECT_EQ(FindLetterSet(lm.SymbolicLanguage), nullptr);
}

TEST(Letters, ParserTableFollowsTheEnglishSet) {
  std::uint8_t piece = 0, colour = 0;
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    const int expected = LookupPieceLetter(std::string(1, c), English(), true);
    EXPECT_EQ(T_PGNParserO::PieceFromLetter(c, piece, colour), expected != 0) << b;
    EXPECT_EQ(piece, expected);
    if (expected) {
      EXPECT_EQ(colour, (c >= 'a' && c <= 'z') ? cBlack : cWhite);
    }
  }
  // Replacing the english set changes what the parser reads.
  TLetterSet changed = EnglishLetterSet();
  changed.Letters[2] = 'S';
  RegisterLetterSet("English", changed);
  EXPECT_TRUE(T_PGNParserO::PieceFromLetter('s', piece, colour));
  EXPECT_EQ(piece, pKnight);
  EXPECT_EQ(colour, cBlack);
  EXPECT_FALSE(T_PGNParserO::PieceFromLetter('N', piece, colour));
  InitLetterSets();
  EXPECT_TRUE(T_PGNParserO::PieceFromLetter('N', piece, colour));
}

TEST(Letters, RegistrationLimits) {
  // Fill the table until an identifier above 100 or a 101st language is refused.
  bool refused = false;
  for (int i = 0; i < 120 && !refused; ++i) {
    try {
      RegisterLetterSet("extra" + std::to_string(i), CustomLetterSet());
    } catch (const TRunError& e) {
      EXPECT_STREQ(e.what(), "Range check error");
      refused = true;
    }
  }
  EXPECT_TRUE(refused);
  EXPECT_LE(LetterSetCount(), 100);
  InitLetterSets();
  EXPECT_EQ(LetterSetCount(), 4);
}

}  // namespace
}  // namespace bq
