#pragma once
// The records of the desktop window's document as the picture writers
// take them: for Save As PDF, Export Pictures and Copy Diagram as Picture.
#ifdef BOARDQUILL_PICTURES
#include <string>
#include <string_view>
#include <vector>

#include "chess/position.h"
#include "convert/driver.h"
#include "fonts/catalogue.h"
#include "render/record.h"

namespace bq {

// The style that `convert` derives from the same settings, so that a
// picture made here has the bytes the command line writes.
TPictureStyle PictureStyleOf(const TConvertSettings& settings, int squarePx = 40);

struct TPictureRecords {
  bool Ok = true;
  std::string Message, Reason;  // when a line failed
  std::vector<TPictureRecord> Records;
  std::vector<TPosition> Positions;  // as read, for the file names
  std::vector<long long> Lines;      // each record's EPD line (from 1)
  std::vector<std::string> Closing;  // the answer key, for a document
};

// The records of the EPD text, at most up to line `lastLine` (from 1;
// 0: all lines).
TPictureRecords ReadPictureRecords(std::string_view text, const TConvertSettings& settings,
                                   const TChessFontInfoMan& fonts, long long lastLine = 0);

// The whole document as PDF; throws TRenderError.
std::string PdfDocument(const TPictureRecords& records, const TPictureStyle& style);

}  // namespace bq
#endif
