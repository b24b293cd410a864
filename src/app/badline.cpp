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

// The 1-based column a reason names, or 0.
long long ReasonColumn(std::string_view reason) {
  static const QRegularExpression column(QStringLiteral("\\bcolumn (\\d+)"));
  const QRegularExpressionMatch m =
      column.match(QString::fromUtf8(reason.data(), static_cast<qsizetype>(reason.size())));
  return m.hasMatch() ? m.captured(1).toLongLong() : 0;
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
  std::string_view found;
  long long n = 0;
  bool hit = false;
  SplitEPDLines(utf8, [&](std::string_view l) {
    hit = ++n == line;
    if (hit) found = l;
    return !hit;
  });
  if (!hit) return std::nullopt;
  const std::size_t start = static_cast<std::size_t>(found.data() - utf8.data());
  const std::string_view trimmed = TrimEPDLine(found);
  const std::size_t recordStart =
      trimmed.empty() ? start : static_cast<std::size_t>(trimmed.data() - utf8.data());
  std::size_t caret = recordStart;
  if (const long long column = ReasonColumn(reason); column > 0)
    caret =
        recordStart + std::min<std::size_t>(static_cast<std::size_t>(column - 1), trimmed.size());
  TTextSpot spot;
  spot.LineStart = Utf16Offset(utf8, start);
  spot.LineEnd = Utf16Offset(utf8, start + found.size());
  spot.Caret = Utf16Offset(utf8, caret);
  return spot;
}

}  // namespace bq
