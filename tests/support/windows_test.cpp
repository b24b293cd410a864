// What the settings store takes from Windows itself: the program's module
// file, the machine-wide registry value and the refusal of a read-only file.
#ifdef _WIN32
#include <windows.h>
// windows.h maps this name to the system's own profile writer.
#undef WriteProfileString

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "support/errors.h"
#include "support/profile.h"
#include "support/settings.h"
#include "test_util.h"

namespace bq {
namespace {

using testing::FileCount;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
namespace fs = std::filesystem;

TEST(WindowsProgramFolder, IsTheFolderOfTheRunningModule) {
  SetProgramPathForTesting("");
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_TRUE(fs::exists(folder + "test_support.exe")) << folder;
  EXPECT_EQ(SettingsFileName(), folder + "boardquill.ini");
}

// The machine-wide key, made for one test and removed afterwards. Only made
// where it does not exist yet, so a real installation's value is never
// touched; without the right to create it (not an administrator) the tests
// that need it are skipped.
class MachineKey {
 public:
  MachineKey() {
    HKEY probe = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &probe) == ERROR_SUCCESS) {
      RegCloseKey(probe);
      return;
    }
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        &disposition) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~MachineKey() {
    if (!key_) return;
    RegCloseKey(key_);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
  }
  MachineKey(const MachineKey&) = delete;
  MachineKey& operator=(const MachineKey&) = delete;

  bool Usable() const { return key_ != nullptr; }
  void SetText(DWORD type, const std::string& text) {
    RegSetValueExA(key_, "CommonFiles", 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
  }
  void SetNumber(DWORD value) {
    RegSetValueExA(key_, "CommonFiles", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
  }

 private:
  static constexpr const char* kKey = "Software\\Velmora";
  HKEY key_ = nullptr;
};

class WindowsRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!key_.Usable()) GTEST_SKIP() << "HKEY_LOCAL_MACHINE\\Software\\Velmora cannot be made";
  }
  testing::ProgramDir prog_;
  MachineKey key_;
};

TEST_F(WindowsRegistry, TextValueNamesTheCommonFolder) {
  SetMachineConfigFileForTesting("");   // the real registry
  EXPECT_EQ(MachineCommonFiles(), "");  // key without the value

  key_.SetText(REG_SZ, "C:\\Shared\\Velmora");
  EXPECT_EQ(MachineCommonFiles(), "C:\\Shared\\Velmora");
  ResetCommonFolder();
  EXPECT_EQ(CommonFolder(), "C:\\Shared\\Velmora\\");

  // An expandable text counts as text and is used as written.
  key_.SetText(REG_EXPAND_SZ, "%ProgramData%\\Velmora\\");
  EXPECT_EQ(MachineCommonFiles(), "%ProgramData%\\Velmora\\");

  // shared.ini still comes first.
  WriteFile(prog_ / "shared.ini", "[Info]\r\nCommonFiles=D:\\Mine\r\n");
  ResetCommonFolder();
  EXPECT_EQ(CommonFolder(), "D:\\Mine\\");
}

TEST_F(WindowsRegistry, ValueThatIsNotTextIsAnError) {
  SetMachineConfigFileForTesting("");
  key_.SetNumber(7);
  try {
    MachineCommonFiles();
    ADD_FAILURE() << "a number was taken for a folder";
  } catch (const TRunError& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'CommonFiles'");
  }
  ResetCommonFolder();
  EXPECT_THROW(CommonFolder(), TRunError);
}

TEST(WindowsProfileSave, ReadOnlyFileIsRefusedAndKept) {
  TempDir dir;
  const std::string path = dir / "a.ini";
  WriteFile(path, "[s]\r\nk=old\r\n");
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  try {
    WriteProfileString(path, "s", "k", "new");
    ADD_FAILURE() << "a read-only file was replaced";
  } catch (const TRunError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
  }
  EXPECT_EQ(ReadFile(path), "[s]\r\nk=old\r\n");
  EXPECT_EQ(FileCount(dir.path()), 1);
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace
}  // namespace bq
#endif  // _WIN32
