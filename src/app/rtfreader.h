#pragma once
// A reader for the RTF subset that documents of diagrams use: it turns the
// text into paragraphs of formatted runs and knows nothing of windows, so it
// can be tested without a display. The preview builds its text document
// from the result.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bq {

// Deeper nesting than this is refused (the text is then not readable RTF).
inline constexpr int kMaxRTFDepth = 1000;
// Cells of a table row beyond this many join the row's last cell: a hostile
// row must not make a table thousands of columns wide.
inline constexpr int kMaxRTFCells = 64;
// A row's \trgaph beyond this many twips counts as this many.
inline constexpr int kMaxRTFGap = 1440;
// Colour table entries beyond this many are dropped: a hostile table must
// not grow with every semicolon.
inline constexpr int kMaxRTFColours = 1024;
// No colour: an auto entry of the colour table, or an index it lacks.
inline constexpr std::int32_t kRTFNoColour = -1;

struct TRTFCharFormat {
  int Font = -1;        // index into TRTFDocument::Fonts; -1 when no font is set
  int HalfPoints = 24;  // \fs
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  // 0xRRGGBB behind the text (\chcbpat, \highlight or \cb), or kRTFNoColour
  std::int32_t Background = kRTFNoColour;
  bool operator==(const TRTFCharFormat&) const = default;
};

struct TRTFParaFormat {
  int LineSpacing = 0;  // \sl in twips: negative exact, positive at least, 0 automatic
  int SpaceBefore = 0;  // \sb, twips
  int SpaceAfter = 0;   // \sa, twips
  int LeftIndent = 0;   // \li, twips
  bool operator==(const TRTFParaFormat&) const = default;
};

struct TRTFFont {
  int Number = 0;      // the N of \fN
  std::string Family;  // UTF-8
  int Charset = 0;     // \fcharset
};

struct TRTFRun {
  std::u16string Text;  // tabs as U+0009, \line as U+2028
  TRTFCharFormat Format;
  int Picture = -1;  // index into TRTFDocument::Pictures: the run is that picture (Text U+FFFC)
};

// A picture of the text (\pict); only PNG pictures (\pngblip) are read,
// others show nothing.
struct TRTFPicture {
  std::string Png;
  int Width = 0, Height = 0;          // \picw, \pich: its pixels
  int GoalWidth = 0, GoalHeight = 0;  // \picwgoal, \pichgoal: twips on the page; 0 not given
  int ScaleX = 100, ScaleY = 100;     // \picscalex, \picscaley: percent
};

struct TRTFParagraph {
  std::vector<TRTFRun> Runs;
  TRTFParaFormat Format;
  TRTFCharFormat EndFormat;  // the character format at the paragraph mark
};

// Consecutive table rows of the same number of columns. The paragraphs of
// its cells stand in TRTFDocument::Paragraphs in reading order, row by row,
// cell by cell, from First on; each filled cell has at least one.
struct TRTFTable {
  std::size_t First = 0;
  std::vector<int> Widths;  // per column, in twips, from \cellx; 0 when not given
  int Gap = 0;              // \trgaph: the room at each side of a cell's text, twips
  // Per row, the index one past each filled cell's last paragraph. A row may
  // fill fewer cells than the table has columns.
  std::vector<std::vector<std::size_t>> Rows;

  std::size_t End() const { return Rows.back().back(); }
};

struct TRTFDocument {
  std::vector<TRTFFont> Fonts;
  std::vector<std::int32_t> Colours;  // \colortbl: 0xRRGGBB, kRTFNoColour for auto
  int CodePage = 1252;                // \ansicpg
  std::vector<TRTFParagraph> Paragraphs;
  std::vector<TRTFTable> Tables;  // in reading order, none overlapping
  std::vector<TRTFPicture> Pictures;

  // The index in Fonts of the font numbered `number`, or -1.
  int FontIndex(int number) const;
  // Paragraphs joined by "\n", line breaks as "\n"; pictures left out.
  std::u16string PlainText() const;
};

// Reads `text` as RTF. Returns false, with the reason in *why when given,
// when the text does not begin with "{\rtf" or cannot be read as RTF (groups
// nested deeper than kMaxRTFDepth, \bin data running past the end). Missing
// closing braces at the end are forgiven; text after the closing brace of the
// document is ignored.
bool ReadRTF(std::string_view text, TRTFDocument& doc, std::string* why = nullptr);

// True when `text` begins with "{\rtf".
bool LooksLikeRTF(std::string_view text);

// Bytes to UTF-16 for a plain-text load: UTF-8 when the bytes are valid UTF-8,
// Windows-1252 otherwise.
std::u16string DecodePlainText(std::string_view bytes);

}  // namespace bq
