#include "app/recordpictures.h"

#ifdef BOARDQUILL_PICTURES
#include "convert/gametextdriver.h"
#include "convert/lines.h"
#include "render/picturesink.h"
#include "render/picturewriter.h"

namespace bq {

namespace {

// Passes records on to `inner` while `onRecord` agrees; a stop leaves the
// inner sink unfinished.
class TStoppableSink : public TRecordSink {
 public:
  TStoppableSink(TRecordSink& inner, const std::function<bool(long long)>& onRecord)
      : inner_(inner), onRecord_(onRecord) {}
  void Add(const TRecord& rec) override {
    if (stopped_) return;
    stopped_ = !onRecord_(rec.Number);
    if (!stopped_) inner_.Add(rec);
  }
  void Finish(const std::vector<std::string>& key) override {
    if (!stopped_) inner_.Finish(key);
  }
  bool Stopped() const { return stopped_; }

 private:
  TRecordSink& inner_;
  const std::function<bool(long long)>& onRecord_;
  bool stopped_ = false;
};

// Draws the first record that `chosen` picks.
class TPickSink : public TRecordSink {
 public:
  TPickSink(const TConvertJob& job, std::function<bool(const TRecord&)> chosen)
      : job_(job), chosen_(std::move(chosen)) {}
  void Add(const TRecord& rec) override {
    if (picture_.Found || !chosen_(rec)) return;
    picture_.Found = true;
    TPictureWriter(job_, TPictureFormat::Png).Write(rec, picture_.Png);
    TPictureWriter(job_, TPictureFormat::Svg).Write(rec, picture_.Svg);
  }
  void Finish(const std::vector<std::string>&) override {}
  TRecordPicture& Picture() { return picture_; }

 private:
  const TConvertJob& job_;
  std::function<bool(const TRecord&)> chosen_;
  TRecordPicture picture_;
};

TRecordPicture Pick(std::string_view text, const TConvertJob& job, long long lastLine,
                    std::function<bool(const TRecord&)> chosen) {
  TPickSink sink(job, std::move(chosen));
  TConvertResult result = ConvertEPDText(text, job, sink, lastLine);
  TRecordPicture picture = std::move(sink.Picture());
  picture.Result = std::move(result);
  return picture;
}

}  // namespace

std::string PdfDocument(std::string_view text, const TConvertJob& job) {
  std::string bytes;
  const auto sink = MakePictureSink(job, "", AppendTo(bytes));
  ConvertEPDText(text, job, *sink);
  return bytes;
}

std::string GameTextPdfDocument(std::string_view pgn, const TConvertJob& job,
                                const TDiagramPolicy& diagrams) {
  std::string bytes;
  const auto sink = MakePictureSink(job, "", AppendTo(bytes));
  ConvertGameText(pgn, job, diagrams, *sink);
  return bytes;
}

long long CountRecords(std::string_view text) {
  long long records = 0;
  SplitEPDLines(text, [&](std::string_view line) {
    records += !IsSkippedEPDLine(TrimEPDLine(line));
    return true;
  });
  return records;
}

bool ExportPictureFolder(std::string_view text, const TConvertJob& job, const std::string& folder,
                         const std::function<bool(long long)>& onRecord) {
  const auto pictures = MakePictureSink(job, folder, {});
  TStoppableSink sink(*pictures, onRecord);
  return ConvertEPDText(text, job, sink).Ok && !sink.Stopped();
}

TRecordPicture PictureOfLine(std::string_view text, const TConvertJob& job, long long line) {
  return Pick(text, job, line, [line](const TRecord& rec) { return rec.Line == line; });
}

TRecordPicture PictureOfRecord(std::string_view text, const TConvertJob& job, long long number) {
  return Pick(text, job, 0, [number](const TRecord& rec) { return rec.Number == number; });
}

}  // namespace bq
#endif
