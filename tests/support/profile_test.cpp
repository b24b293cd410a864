#include "support/profile.h"

#include <gtest/gtest.h>

#include <random>

#include "support/errors.h"
#include "test_util.h"

namespace bq {
namespace {

using testing::FileCount;
using testing::ReadFile;
using testing::RunUnprivileged;
using testing::TempDir;
using testing::WriteFile;

TEST(ProfileRead, NamesIgnoreCaseValuesAreTrimmedAndUnquoted) {
  const auto f = TProfileFile::Parse(
      "orphan=1\n"
      "[General]\n"
      "  TextFont  =  Arial Narrow \t\n"
      "Dq=\"  spaced  \"\n"
      "Sq=' x '\n"
      "Mixed=\"x'\n"
      "Lone=\"\n"
      "; Note=comment\n"
      "Dup=first\n"
      "dup=second\n");
  EXPECT_EQ(f.ReadString("general", "TEXTFONT", "-"), "Arial Narrow");
  EXPECT_EQ(f.ReadString("GENERAL", "dq", "-"), "  spaced  ");
  EXPECT_EQ(f.ReadString("General", "Sq", "-"), " x ");
  EXPECT_EQ(f.ReadString("General", "Mixed", "-"), "\"x'");
  EXPECT_EQ(f.ReadString("General", "Lone", "-"), "\"");
  EXPECT_EQ(f.ReadString("General", "Note", "-"), "-");
  EXPECT_EQ(f.ReadString("General", "Dup", "-"), "first");
  EXPECT_EQ(f.ReadString("General", "orphan", "-"), "-");  // before any section
  EXPECT_EQ(f.ReadString("Other", "TextFont", "-"), "-");
  EXPECT_EQ(TProfileFile::Load("/nonexistent/x.ini").ReadString("a", "b", "def"), "def");
}

TEST(ProfileRead, LongValuesAreCutTo2047) {
  const std::string big(3000, 'v');
  const auto f = TProfileFile::Parse("[s]\nk=" + big + "\nq=\"" + big + "\"\n");
  EXPECT_EQ(f.ReadString("s", "k", ""), big.substr(0, 2047));
  EXPECT_EQ(f.ReadString("s", "q", ""), big.substr(0, 2047));
}

TEST(ProfileRead, OneLineGivesWhatALookupGives) {
  // The font catalogue decodes single lines; they must read as the file does.
  const std::string big(3000, 'v');
  for (const std::string& line :
       std::vector<std::string>{"  Key = \"  spaced  \" ", "k=a=b", "k=", "k= ' x ' ", "k=\"x'",
                                std::string("k=\"") + big + "\""}) {
    std::string value;
    ASSERT_TRUE(ProfileLineValue(line, value)) << line;
    std::string key = line.substr(0, line.find('='));
    key.erase(0, key.find_first_not_of(' '));
    key.erase(key.find_last_not_of(' ') + 1);
    EXPECT_EQ(value, TProfileFile::Parse("[s]\n" + line + "\n").ReadString("s", key, "-")) << line;
  }
  std::string value = "kept";
  EXPECT_FALSE(ProfileLineValue("no equals sign", value));
  EXPECT_EQ(value, "kept");
}

TEST(ProfileRead, IntegerSyntax) {
  const std::pair<const char*, std::int32_t> good[] = {{"0x1F", 31},
                                                       {"0X1f", 31},
                                                       {"$1F", 31},
                                                       {"x1F", 31},
                                                       {"-$1F", -31},
                                                       {"+0x10", 16},
                                                       {"12", 12},
                                                       {"  12", 12},
                                                       {"-0", 0},
                                                       {"2147483647", INT32_MAX},
                                                       {"-2147483648", INT32_MIN},
                                                       {"$7FFFFFFF", INT32_MAX},
                                                       {"-$80000000", INT32_MIN}};
  for (const auto& [text, expected] : good) {
    std::int32_t v = 0;
    EXPECT_TRUE(ParseProfileInt(text, v)) << text;
    EXPECT_EQ(v, expected) << text;
  }
  for (const char* text : {"12abc", "", "2147483648", "-2147483649", "$80000000", "0xFFFFFFFF",
                           "99999999999999999999", "0x", "$", "-", "12 ", "1 2", "true", "$G"}) {
    std::int32_t v = 0;
    EXPECT_FALSE(ParseProfileInt(text, v)) << text;
  }
  const auto f = TProfileFile::Parse("[s]\na=  12  \nb=0x1F\nc=\nd=12abc\n");
  EXPECT_EQ(f.ReadInt("s", "a", -7), 12);
  EXPECT_EQ(f.ReadInt("s", "b", -7), 31);
  EXPECT_EQ(f.ReadInt("s", "c", -7), -7);
  EXPECT_EQ(f.ReadInt("s", "d", -7), -7);
}

TEST(ProfileList, FileOrderWithoutRepeatsAndByteLimit) {
  const auto f = TProfileFile::Parse("[B]\nz=1\ny=\n[a]\n[b]\nZ=2\nx=3\n");
  EXPECT_EQ(f.Sections(), (std::vector<std::string>{"B", "a"}));
  EXPECT_EQ(f.Keys("b"), (std::vector<std::string>{"z", "y", "x"}));
  EXPECT_TRUE(f.Keys("missing").empty());

  std::string many;
  for (int i = 0; i < 2000; ++i) many += "[sect" + std::to_string(1000 + i) + "]\n";
  // Each name takes 8 bytes plus its terminator: 1820 fit into 16,384.
  EXPECT_EQ(TProfileFile::Parse(many).Sections().size(), 1820u);
}

TEST(ProfileWrite, ChangesOnlyTheValueAndKeepsEverythingElse) {
  auto f = TProfileFile::Parse(
      "; settings\r\n[General]\r\nA=1\r\nb = 2\r\nB=dup\r\n\r\n; next\r\n[Other]\r\nX=y");
  f.WriteString("general", "B", "20");
  f.WriteString("GENERAL", "New", "n");
  f.WriteString("Other", "Z", "z");
  f.WriteString("Fresh", "K", "line1\nline2");
  EXPECT_EQ(f.Text(),
            "; settings\r\n[General]\r\nA=1\r\nb=20\r\nB=dup\r\nNew=n\r\n\r\n; next\r\n"
            "[Other]\r\nX=y\r\nZ=z\r\n[Fresh]\r\nK=line1 line2\r\n");
  EXPECT_EQ(f.Keys("Fresh"), std::vector<std::string>{"K"});

  auto lf = TProfileFile::Parse("[s]\nk=1\n");
  lf.WriteString("s", "k", "2");
  EXPECT_EQ(lf.Text(), "[s]\nk=2\n");
}

TEST(ProfileWrite, BinaryGarbageAndHugeLinesAreHarmless) {
  std::mt19937 rng(42);
  std::string junk(1 << 16, '\0');
  for (char& c : junk) c = static_cast<char>(rng());
  junk.append("\n[s]\nk=a\0b\n", 11).append(1 << 20, '=').append("\n[").append(1 << 20, 'x');
  auto f = TProfileFile::Parse(junk);
  EXPECT_EQ(f.ReadString("s", "k", "-"), std::string("a\0b", 3));
  f.WriteString("s", "k", "v");
  f.Sections();
  auto again = TProfileFile::Parse(f.Text());
  EXPECT_EQ(again.ReadString("s", "k", "-"), "v");
}

// Permissions, links and a user without rights are POSIX matters; the
// Windows refusal is tested in windows_test.cpp.
#ifndef _WIN32
TEST(ProfileSave, ReplacesTheFileAtomically) {
  TempDir dir;
  const std::string path = dir / "a.ini";
  WriteFile(path, "# keep\n[s]\nk=1\n");
  ::chmod(path.c_str(), 0640);
  WriteProfileString(path, "S", "K", "2");
  WriteProfileString(path, "t", "n", "3");
  EXPECT_EQ(ReadFile(path), "# keep\n[s]\nk=2\n[t]\nn=3\n");
  EXPECT_EQ(FileCount(dir.path()), 1);
  struct stat st {};
  ::stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // A link stays a link; the file it names gets the new text.
  const std::string link = dir / "link.ini";
  std::filesystem::create_symlink(path, link);
  WriteProfileString(link, "s", "k", "9");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadProfileString(path, "s", "k", ""), "9");
}

TEST(ProfileSave, RefusedWriteKeepsTheOldFileAndLeavesNoTemporary) {
  TempDir dir;
  const std::string ro = dir / "ro";
  const std::string open = dir / "open";
  std::filesystem::create_directory(ro);
  std::filesystem::create_directory(open);
  WriteFile(ro + "/a.ini", "[s]\nk=old\n");
  WriteFile(open + "/b.ini", "[s]\nk=old\n");
  ::chmod((ro + "/a.ini").c_str(), 0666);
  ::chmod(ro.c_str(), 0555);                 // file writable, folder not
  ::chmod((open + "/b.ini").c_str(), 0444);  // folder writable, file not
  ::chmod(open.c_str(), 0777);

  for (const std::string& path : {ro + "/a.ini", open + "/b.ini", ro + "/new.ini"}) {
    EXPECT_EQ(RunUnprivileged([&] {
                WriteProfileString(path, "s", "k", "new");
                return std::string("written");
              }),
              "throw: Unable to write to " + path);
  }
  EXPECT_EQ(ReadFile(ro + "/a.ini"), "[s]\nk=old\n");
  EXPECT_EQ(ReadFile(open + "/b.ini"), "[s]\nk=old\n");
  EXPECT_EQ(FileCount(ro), 1);
  EXPECT_EQ(FileCount(open), 1);
}
#endif

}  // namespace
}  // namespace bq
