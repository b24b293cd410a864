#pragma once
// Temporary folders, whole-file helpers and an unprivileged runner for the
// support tests.
#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>

#include "support/language.h"
#include "support/settings.h"
#include "temp_dir.h"

namespace bq::testing {

namespace fs = std::filesystem;

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline int FileCount(const std::string& dir) {
  int n = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir)) ++n;
  return n;
}

// `fn`'s text, or the message of what it throws.
inline std::string TextOf(const std::function<std::string()>& fn) {
  try {
    return fn();
  } catch (const std::exception& e) {
    return std::string("throw: ") + e.what();
  }
}

#ifndef _WIN32
// Runs `fn` in a child process, after `prepare` (which may refuse with a
// message), and returns the text it reports back.
inline std::string RunInChild(
    const std::function<std::string()>& fn, const std::function<const char*()>& prepare = [] {
      return static_cast<const char*>(nullptr);
    }) {
  int fds[2];
  if (::pipe(fds) != 0) return "pipe failed";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    const char* refused = prepare();
    const std::string out = refused ? std::string(refused) : TextOf(fn);
    [[maybe_unused]] auto n = ::write(fds[1], out.data(), out.size());
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string out;
  char buf[512];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
    out.append(buf, static_cast<std::size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return out;
}
#endif

// Runs `fn` without root's right to ignore permissions: as user nobody in a
// child process when the tests run as root, directly otherwise. Returns the
// text `fn` returns, or the message of what it throws.
inline std::string RunUnprivileged(const std::function<std::string()>& fn) {
#ifdef _WIN32
  return TextOf(fn);
#else
  if (::geteuid() != 0) return TextOf(fn);
  return RunInChild(fn, []() -> const char* {
    return ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0
               ? nullptr
               : "setuid failed";
  });
#endif
}

// A pretend program file in its own folder, and a clean process state
// around each test that uses it.
class ProgramDir {
 public:
  explicit ProgramDir(const std::string& name = "boardquill") {
    SetProgramPathForTesting(dir_ / name);
    SetMachineConfigFileForTesting(dir_ / "no-machine.ini");
    ResetCommonFolder();
    DoneLanguageManager();
  }
  ~ProgramDir() {
    DoneLanguageManager();
    ResetCommonFolder();
    SetProgramPathForTesting("");
    SetMachineConfigFileForTesting("");
  }
  const std::string& path() const { return dir_.path(); }
  std::string operator/(const std::string& name) const { return dir_ / name; }

 private:
  TempDir dir_;
};

}  // namespace bq::testing
