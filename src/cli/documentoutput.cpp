#include "cli/documentoutput.h"

#include <cerrno>
#include <cstring>

namespace bq {

namespace {

std::string Quoted(const std::string& s) {
  return "\"" + s + "\"";
}

[[noreturn]] void Fail(const std::string& what) {
  throw TFileError(what + ": " + std::strerror(errno));
}

}  // namespace

TDocumentOutput::TDocumentOutput(const std::string& target) : target_(target) {
  try {
    if (target_.empty())
      scratch_ = OpenScratchFile();
    else
      replacing_.emplace(target_);
  } catch (const TFileError& e) {
    if (target_.empty())
      throw TFileError(std::string("cannot create a temporary file: ") + e.what());
    throw TFileError("cannot write " + Quoted(target_) + ": " + e.what());
  }
  file_ = target_.empty() ? scratch_.get() : replacing_->Stream();
}

std::string TDocumentOutput::Where() const {
  return target_.empty() ? "a temporary file" : Quoted(target_);
}

void TDocumentOutput::Write(std::string_view text) {
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file_) != text.size())
    Fail("cannot write " + Where());
  unsynced_ += text.size();
  // The disk works on the document while the rest is converted.
  if (replacing_ && unsynced_ >= kWritebackStep) {
    replacing_->StartWriteback();
    unsynced_ = 0;
  }
}

void TDocumentOutput::Commit() {
  if (target_.empty()) {
    if (std::fflush(file_) != 0) Fail("cannot write " + Where());
    std::rewind(file_);
    char chunk[1 << 16];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file_)) > 0) {
      if (std::fwrite(chunk, 1, got, stdout) != got) Fail("cannot write to standard output");
    }
    if (std::fflush(stdout) != 0) Fail("cannot write to standard output");
    return;
  }
  try {
    replacing_->Commit();
  } catch (const TFileError& e) {
    throw TFileError("cannot write " + Where() + ": " + e.what());
  }
}

}  // namespace bq
