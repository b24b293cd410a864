#include "support/texts.h"

#include <gtest/gtest.h>

#include "test_util.h"

namespace bq {
namespace {

using testing::ProgramDir;
using testing::WriteFile;

// A program folder that is also the common folder, with the providers
// started after the language files are in place.
class TextsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    DoneTextProviders();
    // Other tests read the texts without starting the providers.
    for (const auto* rows : {&GeneralTextRows(), &CommonTextRows()})
      for (const auto& row : *rows) *row.Text = row.BuiltIn;
  }
  void Start() { InitTextProviders(); }
  ProgramDir prog_;
};

TEST_F(TextsTest, BuiltInTextsAndDerivedTexts) {
  Start();
  EXPECT_EQ(S_OKBtn, "OK");
  EXPECT_EQ(SMsgDlgNoToAll, "N&o to All");
  EXPECT_EQ(NamedText("SMsgDlgHelp"), "&Help");
  EXPECT_EQ(NamedText("S_MFile"), "&File");
  EXPECT_EQ(CommonNamedText("S_MFile"), "&Database");
  EXPECT_EQ(NamedText("S_tnWhite"), "White");
  EXPECT_EQ(NamedText("NoSuchKey"), "");
  EXPECT_EQ(S_ExeFileFilter, "Programs (*.exe)|*.exe");
  EXPECT_EQ(GeneralDerivedRows().size(), 9u);
  EXPECT_EQ(CommonDerivedRows().size(), 7u);
  for (const auto& d : CommonDerivedRows()) EXPECT_EQ(*d.Text, *d.Left + d.Tail);
  EXPECT_EQ(GeneralTextProvider()->FilePrefix(), "Gen");
  EXPECT_EQ(CommonTextProvider()->FilePrefix(), "Common");
  // english 0 .. custom 3 from the manager, then dutch from the providers.
  EXPECT_EQ(AppLanMan().LanguageIndex("dutch"), 4);

  DoneTextProviders();
  EXPECT_EQ(S_OKBtn, "");
  EXPECT_EQ(S_ExeFileFilter, "");
}

TEST_F(TextsTest, LanguageFileReplacesKeyedTextsOfItsSectionOnly) {
  WriteFile(prog_ / "Genenglish.ini",
            "[dutch]\nS_OKBtn=Akkoord\n"
            "[english]\nSMsgDlgWarning=Careful\nS_ExeFileFilterLeft=Executables\n"
            "S_MFile=&Bestand\nSMsgDlgNo=\n");
  WriteFile(prog_ / "Commonenglish.ini", "[English]\ns_tnwhite=Light\n");
  Start();
  EXPECT_EQ(SMsgDlgWarning, "Careful");
  EXPECT_EQ(SMsgDlgError, "Error");
  EXPECT_EQ(S_OKBtn, "OK");
  EXPECT_EQ(SMsgDlgNo, "&No");
  EXPECT_EQ(S_MFile, "&Bestand");
  EXPECT_EQ(commontexts::S_MFile, "&Database");
  EXPECT_EQ(commontexts::S_tnWhite, "Light");
  EXPECT_EQ(S_ExeFileFilter, "Executables (*.exe)|*.exe");

  // Another language starts again from the built-in texts.
  WriteFile(prog_ / "Gendutch.ini", "[dutch]\nS_OKBtn=Akkoord\n");
  GeneralTextProvider()->LoadLanguage(AppLanMan().LanguageIndex("dutch"));
  EXPECT_EQ(S_OKBtn, "Akkoord");
  EXPECT_EQ(SMsgDlgWarning, "Warning");
  EXPECT_EQ(S_ExeFileFilter, "Programs (*.exe)|*.exe");
  GeneralTextProvider()->LoadLanguage(99);  // unknown: built-in texts only
  EXPECT_EQ(S_OKBtn, "OK");
}

TEST_F(TextsTest, QuotesKeepBlanksOnlyWhenTextFollowsTheClosingQuote) {
  WriteFile(prog_ / "Genenglish.ini",
            "[english]\n"
            "S_OKBtn='OK '\n"
            "SMsgDlgWarning='Note: ' ; translated\n"
            "SMsgDlgError=''\n"
            "SMsgDlgYes='  open only\n"
            "SMsgDlgAll='\n"
            "SMsgDlgHelp=\"  x  \"\n");
  Start();
  EXPECT_EQ(S_OKBtn, "OK");
  EXPECT_EQ(SMsgDlgWarning, "Note: ");
  EXPECT_EQ(SMsgDlgError, "Error");
  EXPECT_EQ(SMsgDlgYes, "  open only");
  EXPECT_EQ(SMsgDlgAll, "'");
  EXPECT_EQ(SMsgDlgHelp, "x");
}

}  // namespace
}  // namespace bq
