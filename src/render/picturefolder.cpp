#include "render/picturefolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "support/atomicfile.h"

namespace bq {

namespace {

[[noreturn]] void RaiseErrno(const std::string& what) {
  throw TFileError(what + ": " + std::strerror(errno));
}

}  // namespace

bool IsNewOrEmptyFolder(const std::string& path) {
  std::error_code ec;
  const auto status = std::filesystem::symlink_status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found) return true;
  return status.type() == std::filesystem::file_type::directory &&
         std::filesystem::is_empty(path, ec) && !ec;
}

TPictureFolder::TPictureFolder(std::string target) : target_(std::move(target)) {
  while (target_.size() > 1 && target_.back() == '/') target_.pop_back();
  std::string pattern = target_ + ".XXXXXX";
  if (!::mkdtemp(pattern.data())) RaiseErrno("cannot create a folder beside " + target_);
  temp_ = pattern;
  // mkdtemp keeps the folder private; the pictures get what a new folder
  // would have, or what the empty folder they replace had.
  struct stat existing;
  mode_t mode;
  if (::stat(target_.c_str(), &existing) == 0) {
    mode = existing.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0777 & ~mask;
  }
  ::chmod(temp_.c_str(), mode);
}

TPictureFolder::~TPictureFolder() {
  if (temp_.empty()) return;
  std::error_code ec;  // only our own fresh folder is removed
  std::filesystem::remove_all(temp_, ec);
}

void TPictureFolder::Write(const std::string& name, const std::string& bytes) {
  const std::string path = temp_ + "/" + name;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) RaiseErrno("cannot write " + target_ + "/" + name);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int saved = errno;
      ::close(fd);
      errno = saved;
      RaiseErrno("cannot write " + target_ + "/" + name);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) RaiseErrno("cannot write " + target_ + "/" + name);
}

void TPictureFolder::Commit() {
  // A rename replaces an empty folder and refuses one with files.
  if (std::rename(temp_.c_str(), target_.c_str()) != 0) RaiseErrno("cannot create " + target_);
  temp_.clear();
}

}  // namespace bq
