#include "render/picturesink.h"

#include "render/pdfwriter.h"
#include "render/picturefolder.h"
#include "render/picturenames.h"
#include "render/picturewriter.h"

namespace bq {

namespace {

class TPdfSink : public TRecordSink {
 public:
  TPdfSink(const TConvertJob& job, TByteSink document) : pdf_(job, std::move(document)) {}

  void Add(const TRecord& rec) override { pdf_.AddRecord(rec); }
  void AddParagraph(const TGameParagraph& paragraph) override { pdf_.AddParagraph(paragraph); }

  void Finish(const std::vector<std::string>& key) override {
    for (const std::string& line : key) pdf_.AddTextLine(line);
    pdf_.Finish();
  }

 private:
  TPdfWriter pdf_;
};

class TFolderSink : public TRecordSink {
 public:
  TFolderSink(const TConvertJob& job, const std::string& folder)
      : svg_(job.Format == TOutputFormat::Svg),
        writer_(job, svg_ ? TPictureFormat::Svg : TPictureFormat::Png),
        names_(job.Pictures.NameTemplate),
        folder_(folder) {}

  void Add(const TRecord& rec) override {
    writer_.Write(rec, bytes_);
    folder_.Write(names_.Next(*rec.Position, rec.Number, rec.Line, svg_ ? ".svg" : ".png"), bytes_);
  }

  // Pictures have no answer key.
  void Finish(const std::vector<std::string>&) override { folder_.Commit(); }

 private:
  bool svg_;
  TPictureWriter writer_;
  TPictureNames names_;
  TPictureFolder folder_;
  std::string bytes_;
};

}  // namespace

std::unique_ptr<TRecordSink> MakePictureSink(const TConvertJob& job, const std::string& folder,
                                             TByteSink document) {
  if (job.Format == TOutputFormat::Pdf) return std::make_unique<TPdfSink>(job, std::move(document));
  return std::make_unique<TFolderSink>(job, folder);
}

}  // namespace bq
