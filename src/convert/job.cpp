#include "convert/job.h"

#include <algorithm>

#include "support/ascii.h"

namespace bq {

namespace {

// A diagram keeps together through \keepn on its lines up to the last, which
// ends the chain, or up to its caption, which then does. In a table the row
// keeps it whole.
TDiagramLayout DiagramLayoutOf(const TConvertSettings& s, bool inCells) {
  TDiagramLayout layout;
  layout.ShowCoords = s.ShowCoords;
  layout.MoverMark = s.Layout.MoverMark;
  layout.DiagFontSize = s.DiagFontSize;
  layout.Flow = inCells                    ? TDiagramFlow::InCell
                : s.Layout.Caption.empty() ? TDiagramFlow::KeepWhole
                                           : TDiagramFlow::Plain;
  return layout;
}

// The items of `list` that `keyItems` does not name.
std::vector<std::string> ItemsAbove(const std::string& list,
                                    const std::vector<std::string>& keyItems) {
  std::vector<std::string> items = SplitList(list, ',');
  std::erase_if(items, [&](const std::string& item) {
    return std::any_of(keyItems.begin(), keyItems.end(),
                       [&](const std::string& key) { return SameAsciiText(item, key); });
  });
  return items;
}

void ReadGameTextSettings(const TProfileFile& ini, TConvertSettings& s,
                          std::vector<std::string>& warnings) {
  std::string error;
  const auto warn = [&](std::string_view key) {
    warnings.push_back("setting " + std::string(key) + ": " + error + "; the default is used");
  };
  if (const std::string v = ini.ReadString(kGeneral, kGameTextKey, ""); !v.empty()) {
    if (const auto on = ParseSwitch(v, &error))
      s.GameText = *on;
    else
      warn(kGameTextKey);
  }
  if (const std::string v = ini.ReadString(kGeneral, kNotationKey, ""); !v.empty()) {
    if (const auto n = ParseNotation(v, &error))
      s.Notation = *n;
    else
      warn(kNotationKey);
  }
  if (std::string font; ini.Find(kGeneral, kFigurineFontKey, font)) {
    if (!font.empty()) {
      s.FigurineFont = font;
    } else {
      error = "a font name is needed";
      warn(kFigurineFontKey);
    }
  }
}

}  // namespace

std::optional<TDiagramStyle> ParseDiagramStyle(std::string_view value, std::string* error) {
  for (const TDiagramStyle style : {TDiagramStyle::Font, TDiagramStyle::Picture})
    if (SameAsciiText(value, DiagramStyleName(style))) return style;
  if (error) *error = "must be font or picture, not \"" + std::string(value) + "\"";
  return std::nullopt;
}

std::string_view DiagramStyleName(TDiagramStyle style) {
  return style == TDiagramStyle::Picture ? "picture" : "font";
}

std::optional<std::int32_t> ParseFontSize(std::string_view value, std::string* error) {
  std::int32_t n = 0;
  if (ParseProfileInt(value, n) && n >= kMinFontSize && n <= kMaxFontSize) return n;
  if (error)
    *error = "must be " + std::to_string(kMinFontSize) + " to " + std::to_string(kMaxFontSize) +
             ", not \"" + std::string(value) + "\"";
  return std::nullopt;
}

TConvertSettings ReadConvertSettings(const TProfileFile& ini, std::vector<std::string>* warnings) {
  std::vector<std::string> unused;
  std::vector<std::string>& warned = warnings ? *warnings : unused;
  // A size that does not fit means the default, said once.
  const auto size = [&](std::string_view key, std::int32_t def) {
    const std::string value = ini.ReadString(kGeneral, key, "");
    std::string why;
    if (value.empty()) return def;
    if (const auto n = ParseFontSize(value, &why)) return *n;
    warned.push_back("setting " + std::string(key) + ": " + why + "; the default is used");
    return def;
  };
  TConvertSettings s;
  s.DiagFont = ini.ReadString(kGeneral, "DiagFont", "");
  s.DiagFontCharSet = ini.ReadInt(kGeneral, "DiagFontCharSet", 0);
  s.DiagFontSize = size("DiagFontSize", s.DiagFontSize);
  s.ShowCoords = ini.ReadInt(kGeneral, "ShowCoords", 0) != 0;
  s.TextFont = ini.ReadString(kGeneral, "TextFont", "Arial");
  s.TextFontSize = size("TextFontSize", s.TextFontSize);
  s.Operations = ini.ReadString(kGeneral, "Operations", "id,bm");
  s.Layout = ReadLayoutSettings(ini, warned);
  if (const std::string v = ini.ReadString(kGeneral, kMarksKey, ""); !v.empty()) {
    std::string why;
    if (const auto on = ParseSwitch(v, &why))
      s.Marks = *on;
    else
      warned.push_back("setting Marks: " + why + "; the default is used");
  }
  ReadGameTextSettings(ini, s, warned);
  if (const std::string value = ini.ReadString(kGeneral, kDiagramStyleKey, ""); !value.empty()) {
    std::string why;
    if (const auto style = ParseDiagramStyle(value, &why))
      s.DiagramStyle = *style;
    else
      warned.push_back("setting " + std::string(kDiagramStyleKey) + ": " + why +
                       "; the default is used");
  }
  return s;
}

void WriteGameTextSettings(TProfileFile& ini, const TConvertSettings& s) {
  ini.WriteString(kGeneral, kGameTextKey, s.GameText ? "1" : "0");
  ini.WriteString(kGeneral, kNotationKey, NotationName(s.Notation));
  ini.WriteString(kGeneral, kFigurineFontKey, s.FigurineFont);
}

TConvertJob MakeConvertJob(const TConvertSettings& settings, const TChessFontInfoMan& fonts,
                           TOutputFormat format, const TPictureOptions& pictures) {
  // Sizes come checked from the settings and the options; a caller that
  // sets one by hand still cannot reach a library with a size it refuses.
  TConvertSettings s = settings;
  s.DiagFontSize = std::clamp(s.DiagFontSize, kMinFontSize, kMaxFontSize);
  s.TextFontSize = std::clamp(s.TextFontSize, kMinFontSize, kMaxFontSize);
  s.Layout.Columns = std::clamp(s.Layout.Columns, 1, 4);
  std::vector<std::string> keyItems;
  if (!s.Layout.Solutions.empty()) keyItems = SplitList(s.Layout.Solutions, ',');
  std::vector<std::string> aboveItems = ItemsAbove(s.Operations, keyItems);
  // The one look-up of the diagram font; a font the catalogue does not
  // describe gives the empty map, which has no name.
  const ChessFontInfoRec& glyphs = fonts.FontInfoRef(s.DiagFont);
  const TDiagramLayout layout = DiagramLayoutOf(s, s.Layout.Columns > 1);
  TPictureOptions drawn = pictures;
  if (format == TOutputFormat::Rtf && s.DiagramStyle == TDiagramStyle::Picture) {
    drawn.SquarePx = RtfPictureSquare(s.DiagFontSize);
    drawn.Transparent = false;
  }
  return TConvertJob{.Settings = std::move(s),
                     .Glyphs = glyphs,
                     .FontDescribed = !glyphs.Name.empty(),
                     .Format = format,
                     .Pictures = drawn,
                     .AboveItems = std::move(aboveItems),
                     .KeyItems = std::move(keyItems),
                     .Diagram = TDiagramWriter(glyphs, layout)};
}

TConvertJob GameTextJob(const TConvertJob& job) {
  TConvertJob text = job;
  text.GameText = true;
  text.AboveItems.clear();
  text.KeyItems.clear();
  text.Diagram = TDiagramWriter(job.Glyphs, DiagramLayoutOf(job.Settings, false));
  return text;
}

std::string GameTextColumnsError(const TConvertSettings& settings) {
  if (settings.Layout.Columns <= 2) return "";
  return "game text flows in 1 or 2 columns, not " + std::to_string(settings.Layout.Columns);
}

std::int32_t DiagramCellWidth(const TConvertJob& job) {
  // A line of eight squares, the frame's sides or the coordinates, and the
  // mark (a blank and a square of the text font) at the diagram's size.
  const TConvertSettings& s = job.Settings;
  const bool sides = job.Glyphs.FullBorder || (s.ShowCoords && job.Glyphs.CoordinatesPossible);
  const std::int32_t tenths = 10 * (8 + (sides ? 2 : 0)) + (s.Layout.MoverMark ? 15 : 0);
  return tenths * 2 * s.DiagFontSize + 2 * kCellGapTwips;
}

std::string ColumnsWidthWarning(const TConvertJob& job) {
  const TConvertSettings& s = job.Settings;
  const std::int64_t width = std::int64_t{s.Layout.Columns} * DiagramCellWidth(job);
  if (s.Layout.Columns < 2 || width <= kA4TextWidth) return "";
  const long long mm = width * 254 / 14400;
  return std::to_string(s.Layout.Columns) + " diagrams side by side at " +
         std::to_string(s.DiagFontSize) + " pt are " + std::to_string(mm / 10) + "." +
         std::to_string(mm % 10) + " cm wide, more than the 17 cm of text on an A4 page";
}

std::vector<std::string> SplitList(std::string_view text, char separator) {
  std::vector<std::string> items;
  std::string current;
  for (char c : text) {
    if (c == separator) {
      items.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  items.push_back(std::move(current));
  return items;
}

}  // namespace bq
