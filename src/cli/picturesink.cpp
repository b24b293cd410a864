#include "cli/picturesink.h"

#include "cli/documentoutput.h"
#include "cli/picturefolder.h"
#include "render/pdfwriter.h"
#include "render/picturenames.h"
#include "render/picturewriter.h"

namespace bq {

namespace {

class TPdfSink : public TPictureSink {
 public:
  TPdfSink(const std::string& output, const TPictureStyle& style)
      : out_(output), pdf_(style, [this](const char* data, std::size_t size) {
          buf_.append(data, size);
          if (buf_.size() < (1 << 16)) return;
          out_.Write(buf_);
          buf_.clear();
        }) {}

  void Add(const TPictureRecord& rec, const TPosition&, long long) override { pdf_.AddRecord(rec); }

  void Commit(const std::vector<std::string>& closing) override {
    for (const std::string& line : closing) pdf_.AddTextLine(line);
    pdf_.Finish();
    out_.Write(buf_);
    buf_.clear();
    out_.Commit();
  }

 private:
  TDocumentOutput out_;
  std::string buf_;  // what the writer made since the last write
  TPdfWriter pdf_;
};

class TFolderSink : public TPictureSink {
 public:
  TFolderSink(TOutputFormat format, const std::string& output, const std::string& nameTemplate,
              const TPictureStyle& style)
      : extension_(format == TOutputFormat::Svg ? ".svg" : ".png"),
        writer_(style, format == TOutputFormat::Svg ? TPictureFormat::Svg : TPictureFormat::Png),
        names_(nameTemplate),
        folder_(output) {}

  void Add(const TPictureRecord& rec, const TPosition& position, long long line) override {
    writer_.Write(rec, bytes_);
    ++count_;
    folder_.Write(names_.Next(position, count_, line, extension_), bytes_);
  }

  void Commit(const std::vector<std::string>&) override { folder_.Commit(); }

 private:
  const char* extension_;
  TPictureWriter writer_;
  TPictureNames names_;
  TPictureFolder folder_;
  std::string bytes_;
  long long count_ = 0;
};

}  // namespace

std::unique_ptr<TPictureSink> MakePictureSink(TOutputFormat format, const std::string& output,
                                              const std::string& nameTemplate,
                                              const TPictureStyle& style) {
  if (format == TOutputFormat::Pdf) return std::make_unique<TPdfSink>(output, style);
  return std::make_unique<TFolderSink>(format, output, nameTemplate, style);
}

}  // namespace bq
