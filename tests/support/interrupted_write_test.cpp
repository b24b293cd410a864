// The settings file survives a writer that dies or fails part way: a reader
// always finds the old text or the new one, never a mixture or a stub.
// The writers are killed or limited with POSIX means; not built on Windows.
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "support/profile.h"
#include "test_util.h"

namespace bq {
namespace {

using testing::FileCount;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(InterruptedWrite, KilledWriterLeavesTheOldOrTheNewFile) {
  TempDir dir;
  const std::string path = dir / "boardquill.ini";
  // Large values, so that a kill often lands inside a write.
  const std::string a(1 << 20, 'a'), b(1 << 20, 'b');
  const std::string textA = "[General]\nOperations=" + a + "\n";
  const std::string textB = "[General]\nOperations=" + b + "\n";
  WriteFile(path, textA);

  for (int round = 0; round < 12; ++round) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(fds[0]);
      for (unsigned long i = 0;; ++i) {
        WriteProfileString(path, "General", "Operations", i % 2 ? a : b);
        [[maybe_unused]] auto n = ::write(fds[1], "w", 1);
      }
    }
    ::close(fds[1]);
    // Let the writer finish a different number of saves each round, then
    // kill it wherever it is.
    char c;
    for (int k = 0; k <= round % 4; ++k) ASSERT_EQ(::read(fds[0], &c, 1), 1);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ::close(fds[0]);

    const std::string now = ReadFile(path);
    EXPECT_TRUE(now == textA || now == textB)
        << "round " << round << ": " << now.size() << " bytes";
    // A killed writer may leave its unfinished temporary file; it is never
    // read in place of the settings file.
    EXPECT_EQ(ReadProfileString(path, "General", "Operations", "").size(), 2047u);
  }
}

TEST(InterruptedWrite, FailedWriteOrRenameKeepsTheOldFileAndLeavesNoTemporary) {
  TempDir dir;
  const std::string path = dir / "boardquill.ini";
  const std::string old = "; mine\n[General]\nDiagFont=Chess Merida\n";
  WriteFile(path, old);

  // The disk fills part way through the new file (simulated by a file size
  // limit, so that write() fails after some bytes).
  EXPECT_EQ(testing::RunInChild([&] {
              ::signal(SIGXFSZ, SIG_IGN);
              rlimit limit{64, 64};
              ::setrlimit(RLIMIT_FSIZE, &limit);
              WriteProfileString(path, "General", "Operations", std::string(10000, 'x'));
              return std::string("written");
            }),
            "throw: Unable to write to " + path);
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(FileCount(dir.path()), 1);

  // The rename is refused: the target has become a folder with something in it.
  const std::string folder = dir / "folder.ini";
  std::filesystem::create_directory(folder);
  WriteFile(folder + "/inside", "x");
  TProfileFile f = TProfileFile::Parse(old);
  f.WriteString("General", "DiagFont", "Chess Leipzig");
  try {
    f.Save(folder);
    ADD_FAILURE() << "saved over a folder";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + folder);
  }
  EXPECT_EQ(ReadFile(folder + "/inside"), "x");
  EXPECT_EQ(FileCount(dir.path()), 2);  // no temporary beside it
}

}  // namespace
}  // namespace bq
#endif  // _WIN32
