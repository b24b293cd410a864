#pragma once
// Which record of the preview a cursor stands in: the preview holds no
// record marks, but every record has one board, drawn in the diagram font
// or as a picture.
#include <QString>
#include <string_view>
#include <vector>

#include "convert/job.h"

class QTextDocument;

namespace bq {

// `captionLines[i]`: the text lines under record i's board. Lines above a
// board belong to it, lines under it (its caption) to the one before.
// -1 when the position lies past the last record.
int RecordAtPosition(const QTextDocument& doc, int position, const QString& diagFont,
                     const std::vector<int>& captionLines);

// For each record of the EPD text, the text lines under its board (1 for
// a caption, else 0).
std::vector<int> CaptionLines(std::string_view text, const TConvertJob& job);

}  // namespace bq
