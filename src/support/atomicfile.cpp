#include "support/atomicfile.h"

#include <cerrno>
#include <cstring>
#include <utility>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <random>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#endif

namespace bq {

namespace {

[[noreturn]] void RaiseErrno() {
  throw TFileError(std::strerror(errno));
}

#ifdef _WIN32
// The system's message for its last error, without the closing line break.
[[noreturn]] void RaiseLastError() {
  const DWORD code = GetLastError();
  char text[512] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) --n;
  throw TFileError(n > 0 ? std::string(text, n) : "error " + std::to_string(code));
}

// A stdio stream over a handle; the stream owns the handle from then on.
TFilePtr StreamOf(HANDLE h, const char* mode) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    RaiseErrno();
  }
  std::FILE* f = _fdopen(fd, mode);
  if (!f) {
    const int saved = errno;
    _close(fd);
    errno = saved;
    RaiseErrno();
  }
  return TFilePtr(f);
}
#endif

}  // namespace

#ifdef _WIN32

TFilePtr OpenScratchFile() {
  // The C library's tmpfile() writes to the root of the drive, which a
  // normal user may not do; the user's temporary folder is the right place.
  char folder[MAX_PATH + 1];
  char name[MAX_PATH + 1];
  const DWORD len = GetTempPathA(sizeof folder, folder);
  if (len == 0 || len > MAX_PATH || GetTempFileNameA(folder, "bq", 0, name) == 0) RaiseLastError();
  HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DeleteFileA(name);
    RaiseLastError();
  }
  return StreamOf(h, "w+b");
}

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

TReplacingFile::TReplacingFile(std::string target) : target_(std::move(target)) {
  static constexpr char kChars[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::random_device rd;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
    temp_ = target_ + ".";
    for (int i = 0; i < 6; ++i) temp_ += kChars[rd() % (sizeof kChars - 1)];
    h = CreateFileA(temp_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (h == INVALID_HANDLE_VALUE) {
    temp_.clear();
    RaiseLastError();
  }
  try {
    file_ = StreamOf(h, "w+b");
  } catch (...) {
    DeleteFileA(temp_.c_str());
    temp_.clear();
    throw;
  }
}

TReplacingFile::~TReplacingFile() {
  file_.reset();
  if (!temp_.empty()) DeleteFileA(temp_.c_str());
}

void TReplacingFile::StartWriteback() {}

void TReplacingFile::Commit() {
  if (std::fflush(file_.get()) != 0) RaiseErrno();
  if (!FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file_.get())))))
    RaiseLastError();
  if (std::fclose(file_.release()) != 0) RaiseErrno();
  if (!MoveFileExA(temp_.c_str(), target_.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    RaiseLastError();
  temp_.clear();
}

#else

TFilePtr OpenScratchFile() {
  TFilePtr f(std::tmpfile());
  if (!f) RaiseErrno();
  return f;
}

void UseBinaryStandardStreams() {}

namespace {

// The file that `path` names once its symbolic links are followed, whether
// it exists yet or not: the content is replaced there, and the links stay
// links. A relative link is read from the folder of the link.
std::string LinkTarget(std::string path) {
  namespace fs = std::filesystem;
  // As many links as the system itself follows before it gives up.
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::error_code ec;
    const fs::path next = fs::read_symlink(path, ec);
    if (ec) throw TFileError(ec.message());
    path = (fs::path(path).parent_path() / next).string();
  }
  throw TFileError(std::strerror(ELOOP));
}

}  // namespace

TReplacingFile::TReplacingFile(std::string target) : target_(LinkTarget(std::move(target))) {
  temp_ = target_ + ".XXXXXX";
  const int fd = ::mkstemp(temp_.data());
  if (fd < 0) {
    temp_.clear();
    RaiseErrno();
  }
  // mkstemp makes the file private; the file gets the replaced file's owner
  // and permissions, or what a newly created file would have. Failures
  // here are harmless.
  if (struct stat old{}; ::stat(target_.c_str(), &old) == 0) {
    [[maybe_unused]] const int owned = ::fchown(fd, old.st_uid, old.st_gid);
    ::fchmod(fd, old.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  file_.reset(::fdopen(fd, "w+b"));
  if (!file_) {
    const int saved = errno;
    ::close(fd);
    ::unlink(temp_.c_str());
    temp_.clear();
    errno = saved;
    RaiseErrno();
  }
}

TReplacingFile::~TReplacingFile() {
  file_.reset();
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

void TReplacingFile::StartWriteback() {
#ifdef __linux__
  // Only a hint: a failure shows again at Commit's flush.
  if (std::fflush(file_.get()) != 0) return;
  const off_t end = ::ftello(file_.get());
  if (end <= writebackFrom_) return;
  ::sync_file_range(::fileno(file_.get()), writebackFrom_, end - writebackFrom_,
                    SYNC_FILE_RANGE_WRITE);
  writebackFrom_ = end;
#endif
}

void TReplacingFile::Commit() {
  if (std::fflush(file_.get()) != 0) RaiseErrno();
  if (::fsync(::fileno(file_.get())) != 0) {
    const int saved = errno;
    file_.reset();
    errno = saved;
    RaiseErrno();
  }
  if (std::fclose(file_.release()) != 0) RaiseErrno();
  if (std::rename(temp_.c_str(), target_.c_str()) != 0) RaiseErrno();
  temp_.clear();
  // The rename itself reaches the disk with the folder.
  const std::size_t slash = target_.rfind('/');
  const std::string dir = slash == std::string::npos ? "."
                          : slash == 0               ? "/"
                                                     : target_.substr(0, slash);
  if (const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

#endif

void TReplacingFile::Replace(const std::string& target, std::string_view text) {
  TReplacingFile file(target);
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file.Stream()) != text.size())
    RaiseErrno();
  file.Commit();
}

}  // namespace bq
