#pragma once
// How authors lay diagrams out: the board's orientation, the side-to-move
// mark, a caption under each diagram, several diagrams a row, and the
// answer key at the end. All of it off by default.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chess/position.h"
#include "support/profile.h"

namespace bq {

enum class TOrientation : std::uint8_t { White, Black, ToMove };

struct TLayoutSettings {
  TOrientation Orientation = TOrientation::White;
  bool MoverMark = false;
  std::string Caption;    // template; empty for none
  int Columns = 1;        // 1..4
  std::string Solutions;  // operations printed in the answer key, like Operations
  bool operator==(const TLayoutSettings&) const = default;
};

// The section of the settings file that holds the conversion settings.
inline constexpr std::string_view kGeneral = "General";
// The keys of section "General" that hold these settings.
inline constexpr std::string_view kOrientationKey = "Orientation", kMoverMarkKey = "MoverMark",
                                  kCaptionKey = "Caption", kColumnsKey = "Columns",
                                  kSolutionsKey = "Solutions";

// Values as written in settings and options, read without regard to case.
// nullopt, with `error` (when given) saying why, for a value that does not
// fit.
std::optional<TOrientation> ParseOrientation(std::string_view value, std::string* error = nullptr);
std::optional<int> ParseColumns(std::string_view value, std::string* error = nullptr);
std::optional<bool> ParseSwitch(std::string_view value, std::string* error = nullptr);
// "" for a template whose braces pair up, else what is wrong.
std::string TemplateError(std::string_view tmpl);
std::string_view OrientationName(TOrientation orientation);

// Reads the settings of section "General"; a value that does not fit is
// read as the default and named in `warnings`.
TLayoutSettings ReadLayoutSettings(const TProfileFile& ini, std::vector<std::string>& warnings);
void WriteLayoutSettings(TProfileFile& ini, const TLayoutSettings& s);

// Whether the board is drawn from Black's side for this record: its `view`
// operation (number `viewOperation`, 0 for none) of "black" or "white"
// decides, then the orientation.
bool DrawnFromBlack(const TPosition& rec, int viewOperation, TOrientation orientation);

// Fills a caption or name template: {n} the running number, {line} the EPD
// line number, {tomove} "White to move" or "Black to move", {fen} the FEN of
// the position, {OPCODE} that operation's operands as printed (a text in
// double quotes without them), {{ and }} the braces themselves.
struct TRecordNumbers {
  long long Number = 0;
  long long Line = 0;
};
std::string ExpandTemplate(std::string_view tmpl, const TPosition& rec, TRecordNumbers numbers);

}  // namespace bq
