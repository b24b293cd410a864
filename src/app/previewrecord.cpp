#include "app/previewrecord.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

#include "convert/driver.h"

namespace bq {

namespace {

bool IsBoardLine(const QTextBlock& block, const QString& diagFont) {
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment f = it.fragment();
    if (!f.isValid()) continue;
    if (f.charFormat().isImageFormat()) return true;  // a board as a picture
    if (!f.text().trimmed().isEmpty() && f.charFormat().font().families().value(0) == diagFont)
      return true;
  }
  return false;
}

}  // namespace

int RecordAtPosition(const QTextDocument& doc, int position, const QString& diagFont,
                     const std::vector<int>& captionLines) {
  const int records = static_cast<int>(captionLines.size());
  if (records == 0) return -1;
  const QTextBlock target = doc.findBlock(position);
  int boards = 0, sinceBoard = 0;
  bool inBoard = false;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    const bool board = IsBoardLine(b, diagFont);
    if (board && !inBoard) ++boards;
    sinceBoard = board ? 0 : sinceBoard + 1;
    inBoard = board;
    if (b == target) break;
  }
  int at = boards;  // text above the next board
  if (inBoard || (boards > 0 && sinceBoard <= captionLines[std::min(boards, records) - 1]))
    at = boards - 1;
  return at >= 0 && at < records ? at : -1;
}

std::vector<int> CaptionLines(std::string_view text, const TConvertJob& job) {
  class TCaptions : public TRecordSink {
   public:
    void Add(const TRecord& rec) override { Lines.push_back(!rec.Caption.empty()); }
    void Finish(const std::vector<std::string>&) override {}
    std::vector<int> Lines;
  } captions;
  ConvertEPDText(text, job, captions);
  return captions.Lines;
}

}  // namespace bq
