#pragma once
// Where the records of a picture conversion go: one PDF document, or one
// picture file per record in a folder. Either appears whole when
// committed, or not at all.
#include <memory>
#include <string>
#include <vector>

#include "chess/position.h"
#include "render/record.h"

namespace bq {

enum class TOutputFormat { Rtf, Pdf, Svg, Png };

class TPictureSink {
 public:
  virtual ~TPictureSink() = default;
  // `position`: the record as read, for the fields of a name template;
  // `line`: its EPD line number.
  virtual void Add(const TPictureRecord& rec, const TPosition& position, long long line) = 0;
  // After the last record: the lines that close a document (the answer
  // key; pictures have none), then the output is put in its place.
  virtual void Commit(const std::vector<std::string>& closing) = 0;
};

// `output`: the PDF file (empty: standard output) or the folder of the
// pictures, which must be new or empty (see IsNewOrEmptyFolder);
// `nameTemplate`: the pictures' file names. Throws TRenderError when the
// diagram font is not installed, TFileError when the output cannot be made.
std::unique_ptr<TPictureSink> MakePictureSink(TOutputFormat format, const std::string& output,
                                              const std::string& nameTemplate,
                                              const TPictureStyle& style);

}  // namespace bq
