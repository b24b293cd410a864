#pragma once
// One conversion, resolved once: the settings (options over the settings
// file), the diagram font looked up once with its glyph map, the layout,
// and what to write. Every writer takes it, in the command line and in the
// window alike.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/diagram.h"
#include "convert/layout.h"
#include "convert/notation.h"
#include "fonts/catalogue.h"
#include "support/profile.h"

namespace bq {

// How an RTF document draws its diagrams: typed in the diagram font, or as
// embedded pictures, which show on machines without the font.
enum class TDiagramStyle : std::uint8_t { Font, Picture };
inline constexpr std::string_view kDiagramStyleKey = "DiagramStyle";
// "font" or "picture", read without regard to case; nullopt, with `error`
// saying why, for another value.
std::optional<TDiagramStyle> ParseDiagramStyle(std::string_view value,
                                               std::string* error = nullptr);
std::string_view DiagramStyleName(TDiagramStyle style);

struct TConvertSettings {
  std::string Operations = "id,bm";
  std::string DiagFont;
  std::int32_t DiagFontCharSet = 0;
  std::int32_t DiagFontSize = 20;
  bool ShowCoords = false;
  std::string TextFont = "Arial";
  std::int32_t TextFontSize = 10;
  TLayoutSettings Layout;
  bool Marks = true;  // draw the csl and cal operations' marks
  // PGN games printed as text, with their diagrams inside; the notation of
  // the moves, and the font that draws figurines (a text font may lack them).
  bool GameText = false;
  TNotation Notation = TNotation::Figurine;
  std::string FigurineFont = "DejaVu Sans";
  TDiagramStyle DiagramStyle = TDiagramStyle::Font;
};
// The key of section "General" that holds Marks.
inline constexpr std::string_view kMarksKey = "Marks";

// The keys of section "General" that hold the game text settings.
inline constexpr std::string_view kGameTextKey = "GameText", kNotationKey = "Notation",
                                  kFigurineFontKey = "FigurineFont";

// Font sizes in points; outside them a library would refuse the font or
// the page could not hold a board.
inline constexpr std::int32_t kMinFontSize = 1, kMaxFontSize = 100;
// nullopt, with `error` saying why, for a size that is not a whole number
// in that range.
std::optional<std::int32_t> ParseFontSize(std::string_view value, std::string* error = nullptr);

// The conversion settings of section "General" with their defaults; values
// that do not fit are read as their defaults and named in `warnings`.
TConvertSettings ReadConvertSettings(const TProfileFile& ini,
                                     std::vector<std::string>* warnings = nullptr);
// Writes GameText, Notation and FigurineFont.
void WriteGameTextSettings(TProfileFile& ini, const TConvertSettings& s);

enum class TOutputFormat : std::uint8_t { Rtf, Pdf, Svg, Png };
enum class TPaper : std::uint8_t { A4, Letter };

struct TPictureOptions {
  TPaper Paper = TPaper::A4;
  int SquarePx = 40;  // one square of a picture, in pixels
  bool Transparent = false;
  std::string NameTemplate = "{n}";  // picture file names
};

// The square of a picture diagram in RTF, in pixels: at least 300 pixels
// per inch at the diagram font size, so that it prints sharp.
inline constexpr std::int32_t RtfPictureSquare(std::int32_t diagFontSize) {
  return (diagFontSize * 300 + 71) / 72;
}

// The symbol charset of RTF: the font's codes are those of a symbol font.
inline constexpr std::int32_t kSymbolCharset = 2;

struct TConvertJob {
  TConvertSettings Settings;
  ChessFontInfoRec Glyphs;     // of the diagram font; empty when not described
  bool FontDescribed = false;  // the catalogue describes the diagram font
  TOutputFormat Format = TOutputFormat::Rtf;
  TPictureOptions Pictures;
  // The operations printed above each diagram (the Operations setting less
  // the answer key's), and those of the answer key.
  std::vector<std::string> AboveItems, KeyItems;
  TDiagramWriter Diagram;  // the one glyph-row writer of this layout
  // Games are written as text (see GameTextJob).
  bool GameText = false;
};

// An RTF job of picture diagrams draws them at RtfPictureSquare, on white,
// whatever `pictures` says.
TConvertJob MakeConvertJob(const TConvertSettings& settings, const TChessFontInfoMan& fonts,
                           TOutputFormat format = TOutputFormat::Rtf,
                           const TPictureOptions& pictures = {});

// The job of games written as text, from the job of their diagrams: the
// diagrams inside the text print no operations above them and have no
// answer key, and with Columns 2 the text flows in two page columns rather
// than the diagrams standing in table cells.
TConvertJob GameTextJob(const TConvertJob& job);
// "" when game text can be laid out in the job's columns, else why not:
// it flows in one or two.
std::string GameTextColumnsError(const TConvertSettings& settings);
// The width of an A4 page's text (17 cm) in twips.
inline constexpr std::int32_t kA4TextWidth = 9638;
// The room between page columns of game text, in twips (0.5 cm).
inline constexpr std::int32_t kGameTextColumnGap = 283;
// The indent of a variation's paragraph, in twips (0.5 cm).
inline constexpr std::int32_t kGameTextIndent = 283;
// Whether the job writes pictures, in any format: then it needs the picture
// output and a diagram font it can draw.
inline bool DrawsPictures(const TConvertJob& job) {
  return job.Format != TOutputFormat::Rtf || job.Settings.DiagramStyle == TDiagramStyle::Picture;
}
// Whether the job's RTF diagrams are pictures.
inline bool PictureDiagrams(const TConvertJob& job) {
  return job.Format == TOutputFormat::Rtf && job.Settings.DiagramStyle == TDiagramStyle::Picture;
}

// Whether the board is laid out in table cells, several to a row.
inline bool InColumns(const TConvertJob& job) {
  return job.Settings.Layout.Columns > 1 && !job.GameText;
}

// The gap that Word and LibreOffice keep on each side of a table cell's
// text, in twips; two of them stand between columns, in every format.
inline constexpr std::int32_t kCellGapTwips = 108;
// The width of a table cell that holds a diagram of the job (frame,
// coordinates and mark), in twips; and the warning for columns of such
// cells wider than an A4 page's text (17 cm), or "".
std::int32_t DiagramCellWidth(const TConvertJob& job);
std::string ColumnsWidthWarning(const TConvertJob& job);

// Splits at every separator; nothing trimmed, no empty item dropped.
std::vector<std::string> SplitList(std::string_view text, char separator);

}  // namespace bq
