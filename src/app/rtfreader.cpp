#include "app/rtfreader.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>

#include "app/rtftokenizer.h"
#include "support/textcodec.h"

namespace bq {

namespace {

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

// Table rows as the reader meets them: the row's definition (\trowd,
// \trleft, \trgaph, \cellx), the cells ended so far, and the grouping of
// rows into tables of one column count.
class TTableCollector {
 public:
  explicit TTableCollector(TRTFDocument& doc) : doc_(doc) {}

  void ResetRow() {
    rights_.clear();
    left_ = 0;
    gap_ = 0;
  }
  void SetLeft(int twips) { left_ = twips; }
  void SetGap(int twips) { gap_ = std::clamp(twips, 0, kMaxRTFGap); }
  void AddCellRight(int twips) {
    if (rights_.size() < static_cast<std::size_t>(kMaxRTFCells)) rights_.push_back(twips);
  }
  // Called before a paragraph is added: a table paragraph opens a row, any
  // other closes the open one, so that the row holds only its own paragraphs.
  void BeforeParagraph(bool inTable) {
    if (!inTable) {
      CloseRow();
    } else if (!rowOpen_) {
      rowOpen_ = true;
      rowStart_ = doc_.Paragraphs.size();
    }
  }
  // The paragraph just added ends a cell.
  void EndCell() {
    const std::size_t end = doc_.Paragraphs.size();
    if (cells_.size() < static_cast<std::size_t>(kMaxRTFCells)) {
      cells_.push_back(end);
    } else {
      cells_.back() = end;
    }
  }
  // Ends the open row; table paragraphs after its last cell make one more.
  void CloseRow();

 private:
  std::vector<int> Widths(std::size_t columns) const;

  TRTFDocument& doc_;
  std::vector<int> rights_;  // \cellx of the row definition
  int left_ = 0;             // \trleft
  int gap_ = 0;              // \trgaph
  bool rowOpen_ = false;
  std::size_t rowStart_ = 0;
  std::vector<std::size_t> cells_;
  std::size_t filled_ = 0;   // cells of all rows so far
  std::size_t padding_ = 0;  // empty cells added to short rows so far
};

void TTableCollector::CloseRow() {
  if (!rowOpen_) return;
  rowOpen_ = false;
  if (cells_.empty() || cells_.back() < doc_.Paragraphs.size()) EndCell();
  filled_ += cells_.size();
  std::size_t columns = std::max(rights_.size(), cells_.size());
  // Empty cells that pad a short row (the last of a sheet) stay fewer than
  // the filled ones: a hostile text must not make dozens of cells out of
  // each "\cell\row". A row refused them is a table of its own.
  if (padding_ + (columns - cells_.size()) > filled_) columns = cells_.size();
  padding_ += columns - cells_.size();
  if (!doc_.Tables.empty()) {
    TRTFTable& last = doc_.Tables.back();
    if (last.End() == rowStart_ && last.Widths.size() == columns) {
      last.Rows.push_back(std::move(cells_));
      cells_.clear();
      return;
    }
  }
  doc_.Tables.push_back(TRTFTable{rowStart_, Widths(columns), gap_, {std::move(cells_)}});
  cells_.clear();
}

std::vector<int> TTableCollector::Widths(std::size_t columns) const {
  std::vector<int> widths(columns, 0);
  long long left = left_;
  for (std::size_t i = 0; i < std::min(columns, rights_.size()); ++i) {
    // Boundaries out of order give no width rather than a negative one.
    widths[i] = static_cast<int>(std::clamp<long long>(rights_[i] - left, 0, 1 << 20));
    left = rights_[i];
  }
  return widths;
}

// Where the text of a group goes; the values are bits, so that a control
// word can name the destinations it acts in.
enum class TDest : unsigned { Text = 1, FontTable = 2, ColourTable = 4, Skip = 8, Picture = 16 };
constexpr unsigned kInText = 1, kInFonts = 2, kInColours = 4, kAnywhere = 7;

struct TGroupState {
  TRTFCharFormat Chr;
  TRTFParaFormat Para;
  bool InTable = false;  // \intbl, a paragraph property like those of Para
  int UnicodeSkip = 1;
  bool Hidden = false;
  TDest Dest = TDest::Text;
};

// What a control word brings to its action.
struct TWordArg {
  bool HasParam = false;
  int Param = 0;
  char16_t Value = 0;  // the character of a word that stands for one

  int Or(int fallback) const { return HasParam ? Param : fallback; }
  bool On() const { return !HasParam || Param != 0; }  // \b, \b1 on; \b0 off
};

class TReader;
using TWordAction = void (TReader::*)(const TWordArg&);

struct TWordInfo {
  TWordInfo(TWordAction act, char16_t value = 0, unsigned scope = kInText)
      : Act(act), Value(value), Scope(scope) {}
  TWordAction Act;
  char16_t Value;
  unsigned Scope;  // the destinations it acts in, as TDest bits
};

using TWordTable = std::unordered_map<std::string_view, TWordInfo>;

class TReader {
 public:
  TReader(std::string_view text, TRTFDocument& doc)
      : text_(text), tokens_(text), doc_(doc), tables_(doc) {}

  bool Run(std::string& why);

 private:
  static const TWordTable& Words();

  // Control word actions, found through Words().
  void SkipDestination(const TWordArg&) { stack_.back().Dest = TDest::Skip; }
  void FontTable(const TWordArg&) { stack_.back().Dest = TDest::FontTable; }
  void ColourTable(const TWordArg&);
  void Red(const TWordArg& a) { ColourPart(16, a); }
  void Green(const TWordArg& a) { ColourPart(8, a); }
  void Blue(const TWordArg& a) { ColourPart(0, a); }
  void Background(const TWordArg& a) { Chr().Background = ColourAt(a.Or(0)); }
  void Par(const TWordArg&) { EndParagraph(stack_.back().InTable); }
  void Char(const TWordArg& a) { TextChar(a.Value); }
  void Plain(const TWordArg&);
  void Pard(const TWordArg&);
  void Font(const TWordArg& a);
  void Charset(const TWordArg& a);
  void FontSize(const TWordArg& a) { Chr().HalfPoints = a.Or(24); }
  void Bold(const TWordArg& a) { Chr().Bold = a.On(); }
  void Italic(const TWordArg& a) { Chr().Italic = a.On(); }
  void Underline(const TWordArg& a) { Chr().Underline = a.On(); }
  void UnderlineNone(const TWordArg&) { Chr().Underline = false; }
  void Hidden(const TWordArg& a) { stack_.back().Hidden = a.On(); }
  void Unicode(const TWordArg& a);
  void UnicodeSkip(const TWordArg& a) {
    stack_.back().UnicodeSkip = a.HasParam ? std::clamp(a.Param, 0, 16) : 1;
  }
  void DefaultFont(const TWordArg& a);
  void AnsiCodePage(const TWordArg& a) { doc_.CodePage = a.Or(doc_.CodePage); }
  void Ansi(const TWordArg&) { doc_.CodePage = 1252; }
  void SpaceLine(const TWordArg& a) { Para().LineSpacing = a.Or(0); }
  void SpaceBefore(const TWordArg& a) { Para().SpaceBefore = a.Or(0); }
  void SpaceAfter(const TWordArg& a) { Para().SpaceAfter = a.Or(0); }
  void LeftIndent(const TWordArg& a) { Para().LeftIndent = a.Or(0); }
  void InTable(const TWordArg&) { stack_.back().InTable = true; }
  void RowDefaults(const TWordArg&) { tables_.ResetRow(); }
  void RowLeft(const TWordArg& a) { tables_.SetLeft(a.Or(0)); }
  void RowGap(const TWordArg& a) { tables_.SetGap(a.Or(0)); }
  void CellRight(const TWordArg& a) { tables_.AddCellRight(a.Or(0)); }
  void Cell(const TWordArg&);
  void Row(const TWordArg&);
  void Pict(const TWordArg&);

  TRTFCharFormat& Chr() { return stack_.back().Chr; }
  TRTFParaFormat& Para() { return stack_.back().Para; }
  bool Token(const TRTFToken& t, std::string& why);
  void GroupStart();
  bool GroupEnd();
  void Text(std::string_view bytes);
  void TextChar(char16_t c);
  void Byte(unsigned char b);
  void ControlWord(const TRTFToken& t);
  void ControlSymbol(char c);
  void EndParagraph(bool inTable);
  void Finish();
  void FinishFontEntry();
  void ColourPart(int shift, const TWordArg& a);
  void FinishColourEntry();
  std::int32_t ColourAt(int index) const;
  void PictureWord(const TRTFToken& t);
  void PictureHex(std::string_view bytes);
  void FinishPicture();
  void CountSkipped() {
    if (pendingSkip_ > 0) --pendingSkip_;
  }

  std::string_view text_;
  TRTFTokenizer tokens_;
  TRTFDocument& doc_;
  TTableCollector tables_;
  std::vector<TGroupState> stack_;
  TRTFParagraph cur_;
  int pendingSkip_ = 0;  // fallback characters still to drop after \u
  int defaultFont_ = -1;
  bool destPending_ = false;  // after \*: the next control word names the destination
  // The font table entry being read.
  bool fontOpen_ = false;
  TRTFFont font_;
  std::u16string fontName_;
  // The colour table entry being read: its components so far.
  std::int32_t colour_ = 0;
  bool colourSet_ = false;
  // The picture being read: its group's depth, whether it is PNG, and the
  // high half of a byte whose low half is still to come (-1 for none).
  std::size_t pictDepth_ = 0;
  bool pictPng_ = false;
  int pictHigh_ = -1;
  TRTFPicture pict_;
};

// The destinations listed here hold nothing to show; any other unknown
// control word is ignored, and an unknown destination marked with \* is
// skipped.
constexpr std::string_view kSkippedDestinations =
    "aftncn aftnsep aftnsepc annotation atnauthor atnid atrfend atrfstart author bkmkend "
    "bkmkstart buptim colorschememapping comment creatim datastore doccomm docvar "
    "fchars filetbl fldinst footer footerf footerl footerr footnote ftncn ftnsep ftnsepc "
    "generator header headerf headerl headerr hl info keywords latentstyles lchars "
    "listoverridetable listtable mmathPr nonshppict objclass objdata object operator "
    "passwordhash pgdsctbl pn pntext pntxta pntxtb printim private1 protusertbl revtbl "
    "revtim rsidtbl rxe shpinst stylesheet subject tc template themedata title txe userprops "
    "wgrffmtfilter xe xmlnstbl";

const TWordTable& TReader::Words() {
  static const TWordTable table = [] {
    TWordTable t;
    for (std::size_t b = 0; b < kSkippedDestinations.size();) {
      std::size_t e = kSkippedDestinations.find(' ', b);
      if (e == std::string_view::npos) e = kSkippedDestinations.size();
      t.emplace(kSkippedDestinations.substr(b, e - b),
                TWordInfo{&TReader::SkipDestination, 0, kAnywhere});
      b = e + 1;
    }
    using R = TReader;
    // clang-format off
    const std::pair<std::string_view, TWordInfo> words[] = {
        {"fonttbl", {&R::FontTable}}, {"par", {&R::Par}}, {"sect", {&R::Par}},
        {"page", {&R::Par}}, {"line", {&R::Char, 0x2028}}, {"tab", {&R::Char, u'\t'}},
        {"emdash", {&R::Char, 0x2014}}, {"endash", {&R::Char, 0x2013}},
        {"emspace", {&R::Char, 0x2003}}, {"enspace", {&R::Char, 0x2002}},
        {"qmspace", {&R::Char, 0x2005}}, {"bullet", {&R::Char, 0x2022}},
        {"lquote", {&R::Char, 0x2018}}, {"rquote", {&R::Char, 0x2019}},
        {"ldblquote", {&R::Char, 0x201C}}, {"rdblquote", {&R::Char, 0x201D}},
        {"zwj", {&R::Char, 0x200D}}, {"zwnj", {&R::Char, 0x200C}},
        {"ltrmark", {&R::Char, 0x200E}}, {"rtlmark", {&R::Char, 0x200F}},
        {"plain", {&R::Plain}}, {"pard", {&R::Pard}}, {"f", {&R::Font, 0, kInText | kInFonts}},
        {"fs", {&R::FontSize}}, {"b", {&R::Bold}}, {"i", {&R::Italic}},
        {"ul", {&R::Underline}}, {"ulnone", {&R::UnderlineNone}}, {"v", {&R::Hidden}},
        {"u", {&R::Unicode, 0, kInText | kInFonts}}, {"uc", {&R::UnicodeSkip}},
        {"fcharset", {&R::Charset, 0, kInFonts}}, {"deff", {&R::DefaultFont}},
        {"ansicpg", {&R::AnsiCodePage}}, {"ansi", {&R::Ansi}}, {"sl", {&R::SpaceLine}},
        {"sb", {&R::SpaceBefore}}, {"sa", {&R::SpaceAfter}}, {"li", {&R::LeftIndent}}, {"intbl", {&R::InTable}},
        {"trowd", {&R::RowDefaults}}, {"trleft", {&R::RowLeft}}, {"trgaph", {&R::RowGap}},
        {"cellx", {&R::CellRight}}, {"cell", {&R::Cell}}, {"row", {&R::Row}},
        {"colortbl", {&R::ColourTable}}, {"red", {&R::Red, 0, kInColours}},
        {"green", {&R::Green, 0, kInColours}}, {"blue", {&R::Blue, 0, kInColours}},
        {"chcbpat", {&R::Background}}, {"highlight", {&R::Background}},
        {"cb", {&R::Background}}, {"pict", {&R::Pict, 0, kAnywhere}}};
    // clang-format on
    for (const auto& [name, info] : words) t.emplace(name, info);
    return t;
  }();
  return table;
}

void TReader::Plain(const TWordArg&) {
  TGroupState& st = stack_.back();
  st.Chr = TRTFCharFormat{};
  st.Chr.Font = defaultFont_;
  st.Hidden = false;
}

// Paragraph properties only: the font and size are character properties
// and stay.
void TReader::Pard(const TWordArg&) {
  stack_.back().Para = TRTFParaFormat{};
  stack_.back().InTable = false;
}

void TReader::Font(const TWordArg& a) {
  if (stack_.back().Dest != TDest::FontTable) {
    Chr().Font = a.Or(0);
    return;
  }
  FinishFontEntry();
  fontOpen_ = true;
  font_ = TRTFFont{};
  font_.Number = a.Or(0);
}

// A second table replaces the first: indices count from its own start.
void TReader::ColourTable(const TWordArg&) {
  stack_.back().Dest = TDest::ColourTable;
  doc_.Colours.clear();
  colour_ = 0;
  colourSet_ = false;
}

void TReader::ColourPart(int shift, const TWordArg& a) {
  colour_ &= ~(0xFF << shift);
  colour_ |= std::clamp(a.Or(0), 0, 255) << shift;
  colourSet_ = true;
}

// At the entry's semicolon; an entry without components is the auto colour.
void TReader::FinishColourEntry() {
  if (doc_.Colours.size() < static_cast<std::size_t>(kMaxRTFColours))
    doc_.Colours.push_back(colourSet_ ? colour_ : kRTFNoColour);
  colour_ = 0;
  colourSet_ = false;
}

// Index 0 is the auto colour, which shades nothing, as does an index the
// table lacks. The shading's pattern (\chshdng, \chcfpat) is not drawn:
// documents of diagrams shade with the fill colour alone (\chshdng0).
std::int32_t TReader::ColourAt(int index) const {
  if (index <= 0 || static_cast<std::size_t>(index) >= doc_.Colours.size()) return kRTFNoColour;
  return doc_.Colours[static_cast<std::size_t>(index)];
}

void TReader::Charset(const TWordArg& a) {
  if (stack_.back().Dest == TDest::FontTable) font_.Charset = a.Or(0);
}

void TReader::Unicode(const TWordArg& a) {
  if (!a.HasParam) return;
  long long v = a.Param;
  if (v < 0) v += 65536;
  TextChar((v >= 0 && v <= 0xFFFF) ? static_cast<char16_t>(v) : char16_t{0xFFFD});
  pendingSkip_ = stack_.back().UnicodeSkip;
}

void TReader::DefaultFont(const TWordArg& a) {
  defaultFont_ = a.Or(0);
  if (Chr().Font < 0) Chr().Font = defaultFont_;
}

// \cell ends a paragraph and the cell; a \cell without \intbl or \trowd
// still makes a cell, so no text is lost.
void TReader::Cell(const TWordArg&) {
  EndParagraph(true);
  tables_.EndCell();
}

void TReader::Row(const TWordArg&) {
  if (!cur_.Runs.empty()) EndParagraph(true);
  tables_.CloseRow();
}

// A picture in text that shows is read; anywhere else it is skipped.
void TReader::Pict(const TWordArg&) {
  TGroupState& st = stack_.back();
  if (st.Dest != TDest::Text || st.Hidden) {
    st.Dest = TDest::Skip;
    return;
  }
  st.Dest = TDest::Picture;
  pictDepth_ = stack_.size();
  pictPng_ = false;
  pictHigh_ = -1;
  pict_ = TRTFPicture{};
}

void TReader::PictureWord(const TRTFToken& t) {
  const int n = std::max(t.Param, 0);
  if (t.Text == "pngblip") pictPng_ = true;
  if (t.Text == "picw") pict_.Width = n;
  if (t.Text == "pich") pict_.Height = n;
  if (t.Text == "picwgoal") pict_.GoalWidth = n;
  if (t.Text == "pichgoal") pict_.GoalHeight = n;
  if (t.Text == "picscalex") pict_.ScaleX = n;
  if (t.Text == "picscaley") pict_.ScaleY = n;
}

// Hex digits of the picture's data; anything else between them is not.
void TReader::PictureHex(std::string_view bytes) {
  for (const char c : bytes) {
    const int v = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                         : -1;
    if (v < 0) continue;
    if (pictHigh_ < 0) {
      pictHigh_ = v;
    } else {
      pict_.Png.push_back(static_cast<char>(pictHigh_ * 16 + v));
      pictHigh_ = -1;
    }
  }
}

// At the end of the picture's group: a PNG picture becomes a run of its own.
void TReader::FinishPicture() {
  if (!pictPng_ || pict_.Png.empty()) return;
  doc_.Pictures.push_back(std::move(pict_));
  pict_ = TRTFPicture{};
  cur_.Runs.push_back(
      TRTFRun{u"\uFFFC", stack_.back().Chr, static_cast<int>(doc_.Pictures.size() - 1)});
}

void TReader::EndParagraph(bool inTable) {
  tables_.BeforeParagraph(inTable);
  cur_.Format = stack_.back().Para;
  cur_.EndFormat = stack_.back().Chr;
  doc_.Paragraphs.push_back(std::move(cur_));
  cur_ = TRTFParagraph{};
}

void TReader::FinishFontEntry() {
  if (!fontOpen_) return;
  fontOpen_ = false;
  std::size_t b = 0, e = fontName_.size();
  while (b < e && fontName_[b] <= u' ') ++b;
  while (e > b && fontName_[e - 1] <= u' ') --e;
  font_.Family = Utf16ToUtf8(std::u16string_view(fontName_).substr(b, e - b));
  fontName_.clear();
  const int i = doc_.FontIndex(font_.Number);
  if (i >= 0) {
    doc_.Fonts[static_cast<std::size_t>(i)] = font_;
  } else {
    doc_.Fonts.push_back(font_);
  }
}

void TReader::TextChar(char16_t c) {
  if (pendingSkip_ > 0) {
    --pendingSkip_;
    return;
  }
  TGroupState& st = stack_.back();
  if (st.Dest == TDest::FontTable) {
    if (c == u';') {
      FinishFontEntry();
    } else if (fontOpen_) {
      fontName_ += c;
    }
    return;
  }
  if (st.Dest == TDest::ColourTable) {
    if (c == u';') FinishColourEntry();
    return;
  }
  if (st.Dest != TDest::Text || st.Hidden) return;
  if (cur_.Runs.empty() || !(cur_.Runs.back().Format == st.Chr) || cur_.Runs.back().Picture >= 0) {
    cur_.Runs.push_back(TRTFRun{{}, st.Chr});
  }
  cur_.Runs.back().Text += c;
}

void TReader::Byte(unsigned char b) {
  // Every supported code page and charset reads its bytes as Windows-1252:
  // the diagram fonts reach their glyphs through it, symbol charset included.
  TextChar(static_cast<char16_t>(Windows1252Char(b)));
}

// Plain text bytes: line ends are not text, tabs are, other control
// characters are dropped.
void TReader::Text(std::string_view bytes) {
  const TGroupState& st = stack_.back();
  if (st.Dest == TDest::Skip) return;
  if (st.Dest == TDest::Picture) {
    PictureHex(bytes);
    return;
  }
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i++]);
    if (b == '\t') {
      TextChar(u'\t');
    } else if (b >= 0x20 && b < 0x80 && st.Dest == TDest::Text && !st.Hidden && pendingSkip_ == 0) {
      // Fast path for runs of plain ASCII text.
      std::size_t end = i;
      while (end < bytes.size()) {
        const auto e = static_cast<unsigned char>(bytes[end]);
        if (e < 0x20 || e >= 0x80) break;
        ++end;
      }
      TextChar(static_cast<char16_t>(b));
      std::u16string& text = cur_.Runs.back().Text;
      const std::size_t at = text.size();
      text.resize(at + (end - i));
      for (std::size_t k = at; i < end; ++i, ++k) text[k] = static_cast<char16_t>(bytes[i]);
    } else if (b >= 0x20) {
      Byte(b);
    }
  }
}

void TReader::ControlSymbol(char c) {
  switch (c) {
    case '\\':
    case '{':
    case '}':
      TextChar(static_cast<char16_t>(c));
      break;
    case '~':
      TextChar(0x00A0);
      break;
    case '_':
      TextChar(0x2011);
      break;
    case '*':
      destPending_ = true;
      break;
    case '\r':
    case '\n':
      if (pendingSkip_ > 0) {
        --pendingSkip_;
      } else if (stack_.back().Dest == TDest::Text) {
        EndParagraph(stack_.back().InTable);
      }
      break;
    case '\t':
      TextChar(u'\t');
      break;
    default:  // \- \: \| and others have no text of their own
      CountSkipped();
      break;
  }
}

void TReader::ControlWord(const TRTFToken& t) {
  TGroupState& st = stack_.back();
  if (destPending_) {
    destPending_ = false;
    // An optional destination: skipped unless it is one we read, and we read
    // none of the optional ones.
    st.Dest = TDest::Skip;
    return;
  }
  if (pendingSkip_ > 0) {  // a control word stands for one fallback character
    --pendingSkip_;
    return;
  }
  if (st.Dest == TDest::Skip) return;
  if (st.Dest == TDest::Picture) {
    PictureWord(t);
    return;
  }
  const auto& words = Words();
  const auto it = words.find(t.Text);
  if (it == words.end()) return;
  const TWordInfo& w = it->second;
  if ((w.Scope & static_cast<unsigned>(st.Dest)) == 0) return;
  (this->*w.Act)(TWordArg{t.HasParam, t.Param, w.Value});
}

void TReader::GroupStart() {
  pendingSkip_ = 0;
  if (stack_.empty()) {
    stack_.push_back(TGroupState{});
  } else {
    stack_.push_back(stack_.back());
  }
}

// Returns false at the document's own closing brace.
bool TReader::GroupEnd() {
  pendingSkip_ = 0;
  destPending_ = false;
  if (stack_.back().Dest == TDest::FontTable) FinishFontEntry();
  if (stack_.back().Dest == TDest::Picture && stack_.size() == pictDepth_) FinishPicture();
  stack_.pop_back();
  return !stack_.empty();
}

bool TReader::Token(const TRTFToken& t, std::string& why) {
  switch (t.Kind) {
    case TRTFTokenKind::GroupStart:
      if (stack_.size() >= static_cast<std::size_t>(kMaxRTFDepth)) {
        why = "groups nested too deeply";
        return false;
      }
      GroupStart();
      break;
    case TRTFTokenKind::Word:
      ControlWord(t);
      break;
    case TRTFTokenKind::Symbol:
      ControlSymbol(static_cast<char>(t.Byte));
      break;
    case TRTFTokenKind::Hex:
      Byte(t.Byte);
      break;
    case TRTFTokenKind::BrokenHex:  // shows nothing
      CountSkipped();
      break;
    case TRTFTokenKind::Binary:  // data of a picture, or of no destination we show
      destPending_ = false;
      if (stack_.back().Dest == TDest::Picture) pict_.Png.append(t.Text);
      break;
    case TRTFTokenKind::BadBinary:
      why = "binary data runs past the end";
      return false;
    case TRTFTokenKind::Text:
      Text(t.Text);
      break;
    case TRTFTokenKind::GroupEnd:
    case TRTFTokenKind::End:
      break;  // handled by Run
  }
  return true;
}

void TReader::Finish() {
  if (!stack_.empty() && stack_.front().Dest == TDest::FontTable) FinishFontEntry();
  if (!cur_.Runs.empty()) {
    const bool inTable = !stack_.empty() && stack_.back().InTable;
    tables_.BeforeParagraph(inTable);
    cur_.Format = stack_.empty() ? TRTFParaFormat{} : stack_.back().Para;
    cur_.EndFormat = cur_.Runs.back().Format;
    doc_.Paragraphs.push_back(std::move(cur_));
    cur_ = TRTFParagraph{};
  }
  tables_.CloseRow();
}

bool TReader::Run(std::string& why) {
  if (!LooksLikeRTF(text_)) {
    why = "not RTF";
    return false;
  }
  for (TRTFToken t = tokens_.Next(); t.Kind != TRTFTokenKind::End; t = tokens_.Next()) {
    if (t.Kind == TRTFTokenKind::GroupEnd) {
      // Anything after the document's own closing brace is not read.
      if (!GroupEnd()) break;
    } else if (!Token(t, why)) {
      return false;
    }
  }
  Finish();
  return true;
}

}  // namespace

int TRTFDocument::FontIndex(int number) const {
  for (std::size_t i = 0; i < Fonts.size(); ++i) {
    if (Fonts[i].Number == number) return static_cast<int>(i);
  }
  return -1;
}

std::u16string TRTFDocument::PlainText() const {
  std::u16string out;
  bool first = true;
  for (const TRTFParagraph& p : Paragraphs) {
    if (!first) out += u'\n';
    first = false;
    for (const TRTFRun& r : p.Runs)
      if (r.Picture < 0) out += r.Text;
  }
  std::replace(out.begin(), out.end(), char16_t{0x2028}, u'\n');
  return out;
}

bool LooksLikeRTF(std::string_view text) {
  return text.substr(0, 5) == "{\\rtf";
}

bool ReadRTF(std::string_view text, TRTFDocument& doc, std::string* why) {
  doc = TRTFDocument{};
  std::string reason;
  TReader reader(text, doc);
  const bool ok = reader.Run(reason);
  if (!ok) {
    doc = TRTFDocument{};
    if (why) *why = reason;
  }
  return ok;
}

std::u16string DecodePlainText(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t cp = 0;
    const std::size_t len = Utf8Sequence(bytes, i, cp);
    if (len == 0) {
      out.clear();
      for (char c : bytes)
        out += static_cast<char16_t>(Windows1252Char(static_cast<unsigned char>(c)));
      return out;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += len;
  }
  return out;
}

}  // namespace bq
