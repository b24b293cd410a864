#pragma once
// A reader for the RTF subset that documents of diagrams use: it turns the
// text into paragraphs of formatted runs and knows nothing of windows, so it
// can be tested without a display. The preview builds its text document
// from the result.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bq {

// Deeper nesting than this is refused (the text is then not readable RTF).
inline constexpr int kMaxRTFDepth = 1000;

struct TRTFCharFormat {
  int Font = -1;        // index into TRTFDocument::Fonts; -1 when no font is set
  int HalfPoints = 24;  // \fs
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool operator==(const TRTFCharFormat&) const = default;
};

struct TRTFParaFormat {
  int LineSpacing = 0;  // \sl in twips: negative exact, positive at least, 0 automatic
  int SpaceBefore = 0;  // \sb, twips
  int SpaceAfter = 0;   // \sa, twips
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
};

struct TRTFParagraph {
  std::vector<TRTFRun> Runs;
  TRTFParaFormat Format;
  TRTFCharFormat EndFormat;  // the character format at the paragraph mark
};

struct TRTFDocument {
  std::vector<TRTFFont> Fonts;
  int CodePage = 1252;  // \ansicpg
  std::vector<TRTFParagraph> Paragraphs;

  // The index in Fonts of the font numbered `number`, or -1.
  int FontIndex(int number) const;
  // Paragraphs joined by "\n", line breaks as "\n".
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

// Windows-1252 byte to Unicode (undefined bytes map to themselves, as the
// platform does).
char16_t Cp1252ToUnicode(unsigned char byte);

// Bytes to UTF-16 for a plain-text load: UTF-8 when the bytes are valid UTF-8,
// Windows-1252 otherwise.
std::u16string DecodePlainText(std::string_view bytes);

}  // namespace bq
