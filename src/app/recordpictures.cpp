#include "app/recordpictures.h"

#ifdef BOARDQUILL_PICTURES
#include "convert/lines.h"
#include "render/bytesink.h"
#include "render/pdfwriter.h"

namespace bq {

namespace {

// The RTF charset of symbol fonts.
constexpr std::int32_t kSymbolCharset = 2;

TPictureRecord PictureRecordOf(TRecordParts&& parts) {
  TPictureRecord rec;
  rec.Above = std::move(parts.Above);
  rec.Rows = std::move(parts.Rows);
  rec.MarkRow = parts.MarkRow;
  rec.MarkBlack = parts.MarkBlack;
  rec.Caption = std::move(parts.Caption);
  return rec;
}

}  // namespace

TPictureStyle PictureStyleOf(const TConvertSettings& settings, int squarePx) {
  TPictureStyle style;
  style.DiagFont = settings.DiagFont;
  style.DiagSymbolCharset = settings.DiagFontCharSet == kSymbolCharset;
  style.DiagFontSize = settings.DiagFontSize;
  style.TextFont = settings.TextFont;
  style.TextFontSize = settings.TextFontSize;
  style.SquarePx = squarePx;
  style.Columns = settings.Layout.Columns;
  return style;
}

TPictureRecords ReadPictureRecords(std::string_view text, const TConvertSettings& settings,
                                   const TChessFontInfoMan& fonts, long long lastLine) {
  TPictureRecords out;
  TEPDConverter converter(settings, fonts);
  TRecordParts parts;
  SplitEPDLines(text, [&](std::string_view line) {
    if (lastLine > 0 && converter.LineNumber() >= lastLine) return false;
    bool isRecord = false;
    if (!converter.ConvertLineParts(line, parts, isRecord)) {
      out.Ok = false;
      out.Message = converter.Message();
      out.Reason = converter.Reason();
      return false;
    }
    if (isRecord) {
      out.Records.push_back(PictureRecordOf(std::move(parts)));
      out.Positions.push_back(converter.Record());
      out.Lines.push_back(converter.LineNumber());
    }
    return true;
  });
  if (out.Ok) out.Closing = converter.SolutionLines();
  return out;
}

std::string PdfDocument(const TPictureRecords& records, const TPictureStyle& style) {
  std::string bytes;
  TPdfWriter pdf(style, AppendTo(bytes));
  for (const TPictureRecord& rec : records.Records) pdf.AddRecord(rec);
  for (const std::string& line : records.Closing) pdf.AddTextLine(line);
  pdf.Finish();
  return bytes;
}

}  // namespace bq
#endif
