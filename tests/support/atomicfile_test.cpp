// Replacing a file through symbolic links: a POSIX matter (Windows replaces
// the link itself).
#ifndef _WIN32
#include "support/atomicfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_util.h"

namespace bq {
namespace {

using testing::FileCount;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
namespace fs = std::filesystem;

TEST(ReplacingFile, WritesTheEndOfAChainOfLinksAndKeepsTheLinks) {
  TempDir dir;
  fs::create_directory(dir / "docs");
  WriteFile(dir / "docs/a.rtf", "old");
  // A relative link is read from its own folder, not the current one.
  fs::create_symlink("a.rtf", dir / "docs/current.rtf");
  fs::create_symlink(dir / "docs/current.rtf", dir / "link.rtf");
  TReplacingFile::Replace(dir / "link.rtf", "new");
  EXPECT_TRUE(fs::is_symlink(dir / "link.rtf"));
  EXPECT_TRUE(fs::is_symlink(dir / "docs/current.rtf"));
  EXPECT_EQ(ReadFile(dir / "docs/a.rtf"), "new");
  EXPECT_EQ(FileCount(dir / "docs"), 2);  // no temporary left beside the target

  // A dangling link gets its target made.
  fs::create_symlink("docs/b.rtf", dir / "dangling.rtf");
  TReplacingFile::Replace(dir / "dangling.rtf", "made");
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.rtf"));
  EXPECT_EQ(ReadFile(dir / "docs/b.rtf"), "made");

  // Links in a circle name no file: refused, and nothing is written.
  fs::create_symlink("loop2", dir / "loop1");
  fs::create_symlink("loop1", dir / "loop2");
  EXPECT_THROW(TReplacingFile::Replace(dir / "loop1", "x"), TFileError);
  EXPECT_EQ(FileCount(dir.path()), 5);
}

}  // namespace
}  // namespace bq
#endif  // _WIN32
