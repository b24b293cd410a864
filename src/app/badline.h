#pragma once
// Where the line that stopped a conversion stands in the EPD pane's text.
#include <QString>
#include <optional>
#include <string_view>

namespace bq {

// Positions in the pane's text (UTF-16 units, as the pane counts them).
struct TTextSpot {
  int LineStart = 0;  // the line as the pane shows it, line break excluded
  int LineEnd = 0;
  int Caret = 0;  // where the reason points, else the start of the record
  bool operator==(const TTextSpot&) const = default;
};

// The line number of a conversion message ("Error in EPD string N"), or 0.
long long ErrorLineNumber(std::string_view message);

// Line `line` (1-based, every line counted as the conversion counts them) of
// `text`, with the caret at the column the reason names ("... at column
// 45"): columns count bytes of the trimmed line from 1, as the EPD reader
// reports them. Nothing when the text has fewer lines.
std::optional<TTextSpot> FindBadLine(const QString& text, long long line, std::string_view reason);

// The place a game's reason names ("... (line 41, column 17)"): columns
// count characters of the line from 1, as the game reader reports them.
// Nothing when the reason names no place in the text.
std::optional<TTextSpot> FindBadGame(const QString& text, std::string_view reason);

}  // namespace bq
