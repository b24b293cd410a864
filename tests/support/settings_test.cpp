#include "support/settings.h"

#include <gtest/gtest.h>

#include "support/errors.h"
#include "test_util.h"

namespace bq {
namespace {

using testing::ProgramDir;
using testing::ReadFile;
using testing::RunUnprivileged;
using testing::TempDir;
using testing::WriteFile;
namespace fs = std::filesystem;

// New profile files take the platform's line break.
#ifdef _WIN32
constexpr const char kEol[] = "\r\n";
#else
constexpr const char kEol[] = "\n";
#endif

// `path` with the platform's separator appended.
std::string Folder(const std::string& path) {
  return path + kPathSeparator;
}

#ifndef _WIN32
// Sets or clears an environment variable for one scope.
class EnvVar {
 public:
  EnvVar(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~EnvVar() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};
#endif

TEST(SettingsFile, IsBoardquillIniBesideTheProgramOrInAppsettings) {
  // Whatever the program file is called.
  ProgramDir prog("conv.beta.exe");
  EXPECT_EQ(ProgramFolder(), prog.path());
  EXPECT_EQ(SettingsFileName(), prog / "boardquill.ini");

  WriteFile(prog / "boardquill.ini", "[General]\nDiagFontSize=30\n");
  WriteFile(prog / "appsettings", "a plain file does not count");
  EXPECT_EQ(SettingsFileName(), prog / "boardquill.ini");
  EXPECT_EQ(ReadIntSetting("General", "DiagFontSize", 20), 30);

  fs::remove(prog / "appsettings");
  fs::create_directory(prog / "appsettings");
  EXPECT_EQ(SettingsFolder(), prog / "appsettings/");
  EXPECT_EQ(ReadIntSetting("General", "DiagFontSize", 20), 20);  // the old file is not read
  WriteIntSetting("General", "DiagFontSize", 24);
  EXPECT_EQ(ReadFile(prog / "appsettings/boardquill.ini"),
            std::string("[General]") + kEol + "DiagFontSize=24" + kEol);
}

TEST(SettingsFile, TypedValuesAndDefaults) {
  ProgramDir prog;
  EXPECT_EQ(ReadStrSetting("General", "TextFont", "Arial"), "Arial");
  EXPECT_TRUE(ReadBoolSetting("General", "AutoCopy", true));
  EXPECT_FALSE(fs::exists(SettingsFileName()));

  WriteFile(SettingsFileName(), "[General]\nT=2\nM=-1\nZ=0\nY=yes\nH=$1F\n");
  EXPECT_TRUE(ReadBoolSetting("General", "T", false));
  EXPECT_TRUE(ReadBoolSetting("General", "M", false));
  EXPECT_FALSE(ReadBoolSetting("General", "Z", true));
  EXPECT_TRUE(ReadBoolSetting("General", "Y", true));
  EXPECT_FALSE(ReadBoolSetting("General", "Y", false));
  EXPECT_EQ(ReadIntSetting("General", "H", 0), 31);

  const std::string big(3000, 'q');
  WriteStrSetting("General", "Operations", big);
  WriteBoolSetting("General", "ShowCoords", true);
  WriteIntSetting("General", "DiagFontSize", -5);
  EXPECT_EQ(ReadStrSetting("General", "Operations", ""), big.substr(0, 2047));
  EXPECT_TRUE(ReadBoolSetting("General", "ShowCoords", false));
  EXPECT_EQ(ReadIntSetting("General", "DiagFontSize", 20), -5);
  EXPECT_EQ(ReadStrSetting("General", "H", ""), "$1F");  // untouched
}

#ifndef _WIN32
TEST(SettingsFile, ReadOnlyProgramFolderUsesTheUserConfigFolder) {
  ProgramDir prog;
  TempDir user;
  fs::create_directory(user / "xdg");
  fs::create_directory(user / "home");
  ::chmod((user / "xdg").c_str(), 0777);
  ::chmod((user / "home").c_str(), 0777);
  ::chmod(prog.path().c_str(), 0555);

  EXPECT_EQ(RunUnprivileged([&] {
              EnvVar xdg("XDG_CONFIG_HOME", (user / "xdg").c_str());
              std::string folder = SettingsFolder();
              WriteIntSetting("General", "DiagFontSize", 24);
              return folder + "|" + std::to_string(ReadIntSetting("General", "DiagFontSize", 0));
            }),
            user / "xdg/boardquill/|24");
  EXPECT_EQ(ReadFile(user / "xdg/boardquill/boardquill.ini"), "[General]\nDiagFontSize=24\n");

  EXPECT_EQ(RunUnprivileged([&] {
              EnvVar xdg("XDG_CONFIG_HOME", "relative/ignored");
              EnvVar home("HOME", (user / "home").c_str());
              return SettingsFolder();
            }),
            user / "home/.config/boardquill/");
  EXPECT_FALSE(fs::exists(user / "home/.config"));  // made only for a write

  // An appsettings folder wins even when nobody may write to it.
  ::chmod(prog.path().c_str(), 0755);
  fs::create_directory(prog / "appsettings");
  ::chmod((prog / "appsettings").c_str(), 0555);
  ::chmod(prog.path().c_str(), 0555);
  EXPECT_EQ(RunUnprivileged([&] {
              EnvVar xdg("XDG_CONFIG_HOME", (user / "xdg").c_str());
              WriteStrSetting("General", "OpenDir", "/tmp");
              return std::string("written");
            }),
            "throw: Unable to write to " + prog / "appsettings/boardquill.ini");
}
#endif

TEST(CommonFolder, SearchOrderAndCache) {
  ProgramDir prog;
  TempDir other;
  // Nothing found: the program folder.
  EXPECT_EQ(CommonFolder(), prog.path());

  // The machine-wide value comes before the program folder.
  ResetCommonFolder();
  WriteFile(other / "machine.ini", "[Info]\nCommonFiles=/opt/shared\n");
  SetMachineConfigFileForTesting(other / "machine.ini");
  EXPECT_EQ(CommonFolder(), Folder("/opt/shared"));

  // A "common" folder comes before it; a file of that name does not count.
  ResetCommonFolder();
  WriteFile(prog / "common", "");
  EXPECT_EQ(CommonFolder(), Folder("/opt/shared"));
  fs::remove(prog / "common");
  fs::create_directory(prog / "common");
  ResetCommonFolder();
  WriteFile(prog / "shared.ini", "[Info]\nCommonFiles=\n");
  EXPECT_EQ(CommonFolder(), prog / "common/");

  // shared.ini comes first; a trailing separator is added once.
  ResetCommonFolder();
  WriteFile(prog / "shared.ini", "[Info]\nCommonFiles=/data/x\n");
  EXPECT_EQ(CommonFolder(), Folder("/data/x"));
  WriteFile(prog / "shared.ini", "[Info]\nCommonFiles=/data/y/\n");
  EXPECT_EQ(CommonFolder(), Folder("/data/x"));  // cached
  ResetCommonFolder();
  EXPECT_EQ(CommonFolder(), "/data/y/");

  EXPECT_EQ(IncludeTrailingSeparator("a"), Folder("a"));
  EXPECT_EQ(IncludeTrailingSeparator("a/"), "a/");
#ifdef _WIN32
  EXPECT_EQ(IncludeTrailingSeparator("C:\\a\\"), "C:\\a\\");
#endif
  EXPECT_EQ(IncludeTrailingSeparator(""), "");
}

}  // namespace
}  // namespace bq
