#pragma once
// A temporary folder of one test's own. Tests run at the same time (ctest -j,
// two checkouts on one machine), so no two may share a name: the folder is
// named with the process id, the running test and a count.
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>

namespace bq::testing {

// A fresh folder under the system's temporary folder (path ends in the
// separator) that others may enter, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    namespace fs = std::filesystem;
    const fs::path p = fs::temp_directory_path() / UniqueName();
    std::error_code ec;
    fs::remove_all(p, ec);  // left by a dead process that had the same id
    fs::create_directories(p);
    fs::permissions(p, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                           fs::perms::others_read | fs::perms::others_exec);
    path_ = p.string() + kSeparator;
  }
  ~TempDir() {
    namespace fs = std::filesystem;
    // A test may have taken rights away to provoke a refusal.
    std::error_code ec;
    fs::permissions(path_, fs::perms::all, ec);
    for (auto& e : fs::recursive_directory_iterator(path_, ec))
      if (e.is_directory(ec))
        fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // `name` may hold '/', which becomes the platform's separator.
  std::string operator/(std::string name) const {
    std::replace(name.begin(), name.end(), '/', kSeparator);
    return path_ + name;
  }

 private:
  static constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

  static std::string UniqueName() {
    static int count = 0;
    std::string test = "outside-a-test";
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
      test = std::string(info->test_suite_name()) + "." + info->name();
    // Parameterised tests have '/' in their names.
    for (char& c : test)
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '_';
    return "bq-" + std::to_string(ProcessId()) + "-" + test.substr(0, 80) + "-" +
           std::to_string(++count);
  }

  static long ProcessId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<long>(::getpid());
#endif
  }

  std::string path_;
};

}  // namespace bq::testing
