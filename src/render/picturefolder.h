#pragma once
// The folder of one run's pictures, which appears whole or not at all: the
// files go into a temporary folder beside it, which takes its place when
// the run is complete. The folder must be new or empty, so that no file of
// the user's is ever replaced.
#include <string>

namespace bq {

// Whether `path` names nothing yet or an empty folder.
bool IsNewOrEmptyFolder(const std::string& path);

class TPictureFolder {
 public:
  // Makes the temporary folder beside `target`; throws TFileError.
  explicit TPictureFolder(std::string target);
  // Removes the temporary folder and its files unless Commit succeeded.
  ~TPictureFolder();
  TPictureFolder(const TPictureFolder&) = delete;
  TPictureFolder& operator=(const TPictureFolder&) = delete;

  // A new file `name` (no folder part) with `bytes`; throws TFileError.
  void Write(const std::string& name, const std::string& bytes);
  // Puts the folder in the target's place; throws TFileError when the
  // target has meanwhile become a folder with files, or anything else.
  void Commit();

 private:
  std::string target_;
  std::string temp_;  // empty once committed
};

}  // namespace bq
