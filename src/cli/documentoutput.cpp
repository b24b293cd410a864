#include "cli/documentoutput.h"

#include <cerrno>
#include <cstring>
#include <optional>

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

void TDocumentOutput::ReplaceHead(std::size_t size, std::string head) {
  headSize_ = size;
  head_ = std::move(head);
  replaceHead_ = true;
}

void TDocumentOutput::CopyWithNewHead(std::FILE* from, std::FILE* to,
                                      const std::string& failure) const {
  if (std::fflush(from) != 0 || std::fseek(from, static_cast<long>(headSize_), SEEK_SET) != 0)
    Fail("cannot read back " + Where());
  if (std::fwrite(head_.data(), 1, head_.size(), to) != head_.size()) Fail(failure);
  char chunk[1 << 16];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, from)) > 0;)
    if (std::fwrite(chunk, 1, got, to) != got) Fail(failure);
  if (std::ferror(from)) Fail("cannot read back " + Where());
}

void TDocumentOutput::Commit() {
  if (target_.empty()) {
    CopyWithNewHead(file_, stdout, "cannot write to standard output");
    if (std::fflush(stdout) != 0) Fail("cannot write to standard output");
    return;
  }
  // The system's reason, after what could not be done.
  const auto failed = [&](const TFileError& e) {
    return TFileError("cannot write " + Where() + ": " + e.what());
  };
  if (replaceHead_) {
    // Rare: the document again, with its new head, in a second file.
    std::optional<TReplacingFile> mended;
    try {
      mended.emplace(target_);
    } catch (const TFileError& e) {
      throw failed(e);
    }
    CopyWithNewHead(file_, mended->Stream(), "cannot write " + Where());
    replacing_.reset();
    file_ = mended->Stream();
    try {
      mended->Commit();
    } catch (const TFileError& e) {
      throw failed(e);
    }
    return;
  }
  try {
    replacing_->Commit();
  } catch (const TFileError& e) {
    throw failed(e);
  }
}

}  // namespace bq
