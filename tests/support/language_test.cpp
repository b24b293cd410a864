#include "support/language.h"

#include <gtest/gtest.h>

#include "test_util.h"

namespace bq {
namespace {

using testing::ProgramDir;
using testing::TempDir;
using testing::WriteFile;

TEST(Languages, BuiltInIndicesWithoutLngnames) {
  TempDir dir;
  T_AppLanMan lm(dir.path());
  EXPECT_EQ(lm.EnglishLanguage, 0);
  EXPECT_EQ(lm.SymbolicLanguage, 1);
  EXPECT_EQ(lm.DefaultLanguage, 2);
  EXPECT_EQ(lm.CustomLanguage, 3);
  // Start-up order: the text providers, then the letter sets.
  EXPECT_EQ(lm.RegisterLanguage("english", ""), 0);
  EXPECT_EQ(lm.RegisterLanguage("dutch", ""), 4);
  EXPECT_EQ(lm.RegisterLanguage("german", ""), 5);
  EXPECT_EQ(lm.LanguageName(5), "german");
  EXPECT_EQ(lm.LanguageName(6), "");
  EXPECT_EQ(lm.LanguageName(-1), "");
  EXPECT_EQ(lm.Info(-1), nullptr);
}

TEST(Languages, LngnamesComeFirstWithDisplayNamesAndEntries) {
  TempDir dir;
  WriteFile(dir / "lngnames.ini",
            "[French]\nfrench=Francais\nEmpty=\n[English]\nDutch=Dutch\ndutch=ignored\n[]\n");
  T_AppLanMan lm(dir.path());
  EXPECT_EQ(lm.LanguageIndex("french"), 0);
  EXPECT_EQ(lm.LanguageIndex("ENGLISH"), 1);
  EXPECT_EQ(lm.SymbolicLanguage, 2);
  EXPECT_EQ(lm.DefaultLanguage, 3);
  EXPECT_EQ(lm.CustomLanguage, 4);
  EXPECT_EQ(lm.Count(), 5);  // "[]" names no language

  const T_LangInfo* en = lm.Info(1);
  ASSERT_NE(en, nullptr);
  EXPECT_EQ(en->Name, "english");
  EXPECT_EQ(en->DisplayName, "English");
  EXPECT_EQ(en->EntryKeys, std::vector<std::string>{"english#dutch"});
  EXPECT_EQ(en->EntryValues, std::vector<std::string>{"Dutch"});
  EXPECT_EQ(lm.Info(0)->EntryKeys, std::vector<std::string>{"french#french"});
}

TEST(Languages, RegistrationLookupAndEntries) {
  TempDir dir;
  T_AppLanMan lm(dir.path());
  const int de = lm.RegisterLanguage("German", "");
  EXPECT_EQ(lm.RegisterLanguage("GERMAN", "Deutsch"), de);
  EXPECT_EQ(lm.RegisterLanguage("german", "Allemand"), de);
  EXPECT_EQ(lm.Info(de)->DisplayName, "Deutsch");

  EXPECT_EQ(lm.LanguageIndex("German", "english"), de);
  EXPECT_EQ(lm.LanguageIndex("Klingon", "english"), lm.EnglishLanguage);
  EXPECT_EQ(lm.LanguageIndex("Klingon", "Vulcan"), -1);
  EXPECT_EQ(lm.LanguageIndex("Klingon"), -1);

  lm.SetLanguageName("Swedish", "Key", "a");
  lm.SetLanguageName("swedish", "KEY", "b");
  const int sv = lm.LanguageIndex("swedish");
  ASSERT_GE(sv, 0);
  EXPECT_EQ(lm.Info(sv)->EntryKeys, std::vector<std::string>{"swedish#key"});
  EXPECT_EQ(lm.Info(sv)->EntryValues, std::vector<std::string>{"b"});
}

TEST(Languages, ProcessWideManagerIsCreatedFromTheCommonFolder) {
  ProgramDir prog;
  WriteFile(prog / "lngnames.ini", "[Polish]\n");
  EXPECT_EQ(AppLanMan().LanguageIndex("polish"), 0);
  InitLanguageManager(prog / "elsewhere/");
  EXPECT_EQ(AppLanMan().LanguageIndex("polish"), -1);
}

}  // namespace
}  // namespace bq
