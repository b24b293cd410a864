#include "convert/layout.h"

#include "chess/fen.h"
#include "chess/letters.h"
#include "support/ascii.h"

namespace bq {

namespace {

// The operands of the first operation named `name`, joined as printed; ""
// when there is none.
std::string OperationText(const TPosition& rec, std::string_view name) {
  const int n = FindOperation(rec, name);
  return n > 0 ? OperandText(rec, n) : std::string();
}

std::string Unquoted(std::string text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    return text.substr(1, text.size() - 2);
  return text;
}

// The FEN with its move counters: from hmvc and fmvn, else 0 and 1.
std::string FenOf(const TPosition& rec) {
  const std::string half = OperationText(rec, "hmvc"), full = OperationText(rec, "fmvn");
  return EPDFields(rec.Core) + " " + (half.empty() ? "0" : half) + " " +
         (full.empty() ? "1" : full);
}

std::string FieldText(std::string_view field, const TPosition& rec, TRecordNumbers numbers) {
  if (SameAsciiText(field, "n")) return std::to_string(numbers.Number);
  if (SameAsciiText(field, "line")) return std::to_string(numbers.Line);
  if (SameAsciiText(field, "tomove"))
    return EnglishLetterSet().Words[rec.Core.SideToMove == cBlack ? 12 : 11];
  if (SameAsciiText(field, "fen")) return FenOf(rec);
  return Unquoted(OperationText(rec, field));
}

}  // namespace

std::optional<TOrientation> ParseOrientation(std::string_view value, std::string* error) {
  for (const TOrientation o : {TOrientation::White, TOrientation::Black, TOrientation::ToMove})
    if (SameAsciiText(value, OrientationName(o))) return o;
  if (error)
    *error = "orientation must be white, black or tomove, not \"" + std::string(value) + "\"";
  return std::nullopt;
}

std::string_view OrientationName(TOrientation orientation) {
  switch (orientation) {
    case TOrientation::Black:
      return "Black";
    case TOrientation::ToMove:
      return "ToMove";
    default:
      return "White";
  }
}

std::optional<int> ParseColumns(std::string_view value, std::string* error) {
  if (value.size() == 1 && value[0] >= '1' && value[0] <= '4') return value[0] - '0';
  if (error) *error = "columns must be 1, 2, 3 or 4, not \"" + std::string(value) + "\"";
  return std::nullopt;
}

std::optional<bool> ParseSwitch(std::string_view value, std::string* error) {
  if (value == "0" || value == "1") return value == "1";
  if (error) *error = "must be 0 or 1, not \"" + std::string(value) + "\"";
  return std::nullopt;
}

std::string TemplateError(std::string_view tmpl) {
  for (std::size_t i = 0; i < tmpl.size(); ++i) {
    const bool doubled = i + 1 < tmpl.size() && tmpl[i + 1] == tmpl[i];
    if (tmpl[i] == '}') {
      if (!doubled) return "\"}\" at column " + std::to_string(i + 1) + " closes no field";
      ++i;
    } else if (tmpl[i] == '{') {
      if (doubled) {
        ++i;
        continue;
      }
      const std::size_t close = tmpl.find_first_of("{}", i + 1);
      if (close == std::string_view::npos || tmpl[close] == '{')
        return "\"{\" at column " + std::to_string(i + 1) + " is not closed";
      i = close;
    }
  }
  return "";
}

std::string ExpandTemplate(std::string_view tmpl, const TPosition& rec, TRecordNumbers numbers) {
  std::string out;
  for (std::size_t i = 0; i < tmpl.size(); ++i) {
    const char c = tmpl[i];
    if ((c == '{' || c == '}') && i + 1 < tmpl.size() && tmpl[i + 1] == c) {
      out += c;
      ++i;
    } else if (c == '{') {
      const std::size_t close = tmpl.find('}', i + 1);
      if (close == std::string_view::npos) break;  // refused by TemplateError
      out += FieldText(tmpl.substr(i + 1, close - i - 1), rec, numbers);
      i = close;
    } else {
      out += c;
    }
  }
  return out;
}

bool DrawnFromBlack(const TPosition& rec, int viewOperation, TOrientation orientation) {
  // Asked for every record: no text is made unless it has a view.
  if (viewOperation != 0) {
    const std::string view = Unquoted(OperandText(rec, viewOperation));
    if (SameAsciiText(view, "black")) return true;
    if (SameAsciiText(view, "white")) return false;
  }
  return orientation == TOrientation::Black ||
         (orientation == TOrientation::ToMove && rec.Core.SideToMove == cBlack);
}

TLayoutSettings ReadLayoutSettings(const TProfileFile& ini, std::vector<std::string>& warnings) {
  TLayoutSettings s;
  std::string error;
  const auto read = [&](std::string_view key) { return ini.ReadString(kGeneral, key, ""); };
  const auto warn = [&](std::string_view key) {
    warnings.push_back("setting " + std::string(key) + ": " + error + "; the default is used");
  };
  if (const std::string v = read(kOrientationKey); !v.empty()) {
    if (const auto o = ParseOrientation(v, &error))
      s.Orientation = *o;
    else
      warn(kOrientationKey);
  }
  if (const std::string v = read(kMoverMarkKey); !v.empty()) {
    if (const auto m = ParseSwitch(v, &error))
      s.MoverMark = *m;
    else
      warn(kMoverMarkKey);
  }
  if (const std::string v = read(kColumnsKey); !v.empty()) {
    if (const auto n = ParseColumns(v, &error))
      s.Columns = *n;
    else
      warn(kColumnsKey);
  }
  s.Caption = read(kCaptionKey);
  if (error = TemplateError(s.Caption); !error.empty()) {
    warn(kCaptionKey);
    s.Caption.clear();
  }
  s.Solutions = read(kSolutionsKey);
  return s;
}

void WriteLayoutSettings(TProfileFile& ini, const TLayoutSettings& s) {
  ini.WriteString(kGeneral, kOrientationKey, OrientationName(s.Orientation));
  ini.WriteString(kGeneral, kMoverMarkKey, s.MoverMark ? "1" : "0");
  ini.WriteString(kGeneral, kCaptionKey, s.Caption);
  ini.WriteString(kGeneral, kColumnsKey, std::to_string(s.Columns));
  ini.WriteString(kGeneral, kSolutionsKey, s.Solutions);
}

}  // namespace bq
