#include "app/badline.h"

#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <string>

#include "convert/lines.h"

namespace bq {

namespace {

// UTF-16 length of the first `bytes` bytes of the UTF-8 text.
int Utf16Offset(const std::string& utf8, std::size_t bytes) {
  return static_cast<int>(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(bytes)).size());
}

// The numbers a pattern captures in the reason; 0 for those it lacks.
QRegularExpressionMatch Match(const QRegularExpression& pattern, std::string_view reason) {
  return pattern.match(QString::fromUtf8(reason.data(), static_cast<qsizetype>(reason.size())));
}

// Line `line` of the text as the conversion cuts it (NUL-cut), or nothing.
std::optional<std::string_view> NthLine(const std::string& utf8, long long line) {
  std::optional<std::string_view> found;
  long long n = 0;
  SplitEPDLines(utf8, [&](std::string_view l) {
    if (++n == line) found = l;
    return !found;
  });
  return found;
}

TTextSpot Spot(const std::string& utf8, std::string_view line, std::size_t caretByte) {
  const std::size_t start = static_cast<std::size_t>(line.data() - utf8.data());
  TTextSpot spot;
  spot.LineStart = Utf16Offset(utf8, start);
  spot.LineEnd = Utf16Offset(utf8, start + line.size());
  spot.Caret = Utf16Offset(utf8, caretByte);
  return spot;
}

}  // namespace

long long ErrorLineNumber(std::string_view message) {
  const std::size_t digits = message.find_last_not_of("0123456789");
  const std::string_view number =
      digits == std::string_view::npos ? message : message.substr(digits + 1);
  long long n = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), n);
  return ec == std::errc() && end == number.data() + number.size() ? n : 0;
}

std::optional<TTextSpot> FindBadLine(const QString& text, long long line, std::string_view reason) {
  // The conversion saw the pane's text as UTF-8: find the line there, then
  // count in the pane's units.
  const std::string utf8 = text.toStdString();
  const std::optional<std::string_view> found = NthLine(utf8, line);
  if (!found) return std::nullopt;
  const std::string_view trimmed = TrimEPDLine(*found);
  const std::size_t record =
      static_cast<std::size_t>((trimmed.empty() ? found->data() : trimmed.data()) - utf8.data());
  static const QRegularExpression kColumn(QStringLiteral("\\bcolumn (\\d+)"));
  const long long column = Match(kColumn, reason).captured(1).toLongLong();
  const std::size_t offset =
      column > 0 ? std::min<std::size_t>(static_cast<std::size_t>(column - 1), trimmed.size()) : 0;
  return Spot(utf8, *found, record + offset);
}

std::optional<TTextSpot> FindBadGame(const QString& text, std::string_view reason) {
  static const QRegularExpression kPlace(QStringLiteral("\\(line (\\d+), column (\\d+)\\)"));
  const QRegularExpressionMatch m = Match(kPlace, reason);
  if (!m.hasMatch()) return std::nullopt;
  const std::string utf8 = text.toStdString();
  const std::optional<std::string_view> found = NthLine(utf8, m.captured(1).toLongLong());
  if (!found) return std::nullopt;
  // Columns count characters: step over UTF-8 sequences.
  std::size_t at = 0;
  for (long long column = m.captured(2).toLongLong(); column > 1 && at < found->size(); --column) {
    ++at;
    while (at < found->size() && (static_cast<unsigned char>((*found)[at]) & 0xC0) == 0x80) ++at;
  }
  return Spot(utf8, *found, static_cast<std::size_t>(found->data() - utf8.data()) + at);
}

}  // namespace bq
