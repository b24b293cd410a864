#include "app/rtfreader.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <unordered_map>

namespace bq {

namespace {

constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

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

// Control words the reader acts on. The destinations listed in
// kSkippedDestinations hold nothing to show; any other unknown control word
// is ignored, and an unknown destination marked with \* is skipped.
enum class TKw {
  Skip,
  FontTable,
  Par,
  Line,
  Tab,
  Char,
  Plain,
  Pard,
  Font,
  FontSize,
  Bold,
  Italic,
  Underline,
  UnderlineNone,
  Hidden,
  Unicode,
  UnicodeSkip,
  Charset,
  DefaultFont,
  AnsiCodePage,
  Ansi,
  Bin,
  SpaceLine,
  SpaceBefore,
  SpaceAfter
};

struct TKwInfo {
  TKw Kind;
  char16_t Value = 0;  // the character of TKw::Char
};

constexpr std::string_view kSkippedDestinations =
    "aftncn aftnsep aftnsepc annotation atnauthor atnid atrfend atrfstart author bkmkend "
    "bkmkstart buptim colorschememapping colortbl comment creatim datastore doccomm docvar "
    "fchars filetbl fldinst footer footerf footerl footerr footnote ftncn ftnsep ftnsepc "
    "generator header headerf headerl headerr hl info keywords latentstyles lchars "
    "listoverridetable listtable mmathPr nonshppict objclass objdata object operator "
    "passwordhash pgdsctbl pict pn pntext pntxta pntxtb printim private1 protusertbl revtbl "
    "revtim rsidtbl rxe shpinst stylesheet subject tc template themedata title txe userprops "
    "wgrffmtfilter xe xmlnstbl";

const std::unordered_map<std::string_view, TKwInfo>& Keywords() {
  static const std::unordered_map<std::string_view, TKwInfo> table = [] {
    std::unordered_map<std::string_view, TKwInfo> t;
    for (std::size_t b = 0; b < kSkippedDestinations.size();) {
      std::size_t e = kSkippedDestinations.find(' ', b);
      if (e == std::string_view::npos) e = kSkippedDestinations.size();
      t.emplace(kSkippedDestinations.substr(b, e - b), TKwInfo{TKw::Skip});
      b = e + 1;
    }
    // clang-format off
    const std::pair<std::string_view, TKwInfo> words[] = {
        {"fonttbl", {TKw::FontTable}}, {"par", {TKw::Par}}, {"sect", {TKw::Par}},
        {"page", {TKw::Par}}, {"row", {TKw::Par}}, {"line", {TKw::Line}}, {"tab", {TKw::Tab}},
        {"cell", {TKw::Tab}}, {"emdash", {TKw::Char, 0x2014}}, {"endash", {TKw::Char, 0x2013}},
        {"emspace", {TKw::Char, 0x2003}}, {"enspace", {TKw::Char, 0x2002}},
        {"qmspace", {TKw::Char, 0x2005}}, {"bullet", {TKw::Char, 0x2022}},
        {"lquote", {TKw::Char, 0x2018}}, {"rquote", {TKw::Char, 0x2019}},
        {"ldblquote", {TKw::Char, 0x201C}}, {"rdblquote", {TKw::Char, 0x201D}},
        {"zwj", {TKw::Char, 0x200D}}, {"zwnj", {TKw::Char, 0x200C}},
        {"ltrmark", {TKw::Char, 0x200E}}, {"rtlmark", {TKw::Char, 0x200F}},
        {"plain", {TKw::Plain}}, {"pard", {TKw::Pard}}, {"f", {TKw::Font}},
        {"fs", {TKw::FontSize}}, {"b", {TKw::Bold}}, {"i", {TKw::Italic}},
        {"ul", {TKw::Underline}}, {"ulnone", {TKw::UnderlineNone}}, {"v", {TKw::Hidden}},
        {"u", {TKw::Unicode}}, {"uc", {TKw::UnicodeSkip}}, {"fcharset", {TKw::Charset}},
        {"deff", {TKw::DefaultFont}}, {"ansicpg", {TKw::AnsiCodePage}}, {"ansi", {TKw::Ansi}},
        {"bin", {TKw::Bin}}, {"sl", {TKw::SpaceLine}}, {"sb", {TKw::SpaceBefore}},
        {"sa", {TKw::SpaceAfter}}};
    // clang-format on
    for (const auto& [name, info] : words) t.emplace(name, info);
    return t;
  }();
  return table;
}

enum class TDest { Text, Skip, FontTable };

struct TGroupState {
  TRTFCharFormat Chr;
  TRTFParaFormat Para;
  int UnicodeSkip = 1;
  bool Hidden = false;
  TDest Dest = TDest::Text;
};

class TReader {
 public:
  TReader(std::string_view text, TRTFDocument& doc) : s_(text), doc_(doc) {}

  bool Run(std::string& why);

 private:
  void TextChar(char16_t c);
  void Byte(unsigned char b);
  void ControlWord(std::string_view word, bool hasParam, int param);
  void ControlSymbol(char c);
  void EndParagraph();
  void FinishFontEntry();
  void CountSkipped() {
    if (pendingSkip_ > 0) --pendingSkip_;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
  TRTFDocument& doc_;
  std::vector<TGroupState> stack_;
  TRTFParagraph cur_;
  int pendingSkip_ = 0;  // fallback characters still to drop after \u
  int defaultFont_ = -1;
  bool destPending_ = false;  // after \*: the next control word names the destination
  // The font table entry being read.
  bool fontOpen_ = false;
  TRTFFont font_;
  std::u16string fontName_;
};

void TReader::EndParagraph() {
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
  if (st.Dest != TDest::Text || st.Hidden) return;
  if (cur_.Runs.empty() || !(cur_.Runs.back().Format == st.Chr)) {
    cur_.Runs.push_back(TRTFRun{{}, st.Chr});
  }
  cur_.Runs.back().Text += c;
}

void TReader::Byte(unsigned char b) {
  // Every supported code page and charset reads its bytes as Windows-1252:
  // the diagram fonts reach their glyphs through it, symbol charset included.
  TextChar(Cp1252ToUnicode(b));
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
    case '-':  // optional hyphen: nothing to show
      CountSkipped();
      break;
    case '*':
      destPending_ = true;
      break;
    case '\r':
    case '\n':
      if (pendingSkip_ > 0) {
        --pendingSkip_;
      } else if (stack_.back().Dest == TDest::Text) {
        EndParagraph();
      }
      break;
    case '\t':
      TextChar(u'\t');
      break;
    default:  // \: \| and others have no text of their own
      CountSkipped();
      break;
  }
}

void TReader::ControlWord(std::string_view word, bool hasParam, int param) {
  TGroupState& st = stack_.back();
  const auto& table = Keywords();
  const auto it = table.find(word);
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
  if (it == table.end()) return;
  const TKwInfo& kw = it->second;
  if (kw.Kind == TKw::Bin) return;  // handled by the caller
  if (st.Dest == TDest::Skip) return;
  if (st.Dest == TDest::FontTable) {
    switch (kw.Kind) {
      case TKw::Font:
        FinishFontEntry();
        fontOpen_ = true;
        font_ = TRTFFont{};
        font_.Number = hasParam ? param : 0;
        return;
      case TKw::Charset:
        font_.Charset = hasParam ? param : 0;
        return;
      case TKw::Skip:
        st.Dest = TDest::Skip;
        return;
      case TKw::Unicode:
        break;  // a name written with \u
      default:
        return;
    }
  }
  switch (kw.Kind) {
    case TKw::Skip:
      st.Dest = TDest::Skip;
      break;
    case TKw::FontTable:
      st.Dest = TDest::FontTable;
      break;
    case TKw::Par:
      EndParagraph();
      break;
    case TKw::Line:
      TextChar(0x2028);
      break;
    case TKw::Tab:
      TextChar(u'\t');
      break;
    case TKw::Char:
      TextChar(kw.Value);
      break;
    case TKw::Plain:
      st.Chr = TRTFCharFormat{};
      st.Chr.Font = defaultFont_;
      st.Hidden = false;
      break;
    case TKw::Pard:
      st.Para = TRTFParaFormat{};
      break;
    case TKw::Font:
      st.Chr.Font = hasParam ? param : 0;
      break;
    case TKw::FontSize:
      st.Chr.HalfPoints = hasParam ? param : 24;
      break;
    case TKw::Bold:
      st.Chr.Bold = !hasParam || param != 0;
      break;
    case TKw::Italic:
      st.Chr.Italic = !hasParam || param != 0;
      break;
    case TKw::Underline:
      st.Chr.Underline = !hasParam || param != 0;
      break;
    case TKw::UnderlineNone:
      st.Chr.Underline = false;
      break;
    case TKw::Hidden:
      st.Hidden = !hasParam || param != 0;
      break;
    case TKw::Unicode: {
      if (!hasParam) break;
      long long v = param;
      if (v < 0) v += 65536;
      const char16_t c = (v >= 0 && v <= 0xFFFF) ? static_cast<char16_t>(v) : char16_t{0xFFFD};
      TextChar(c);
      pendingSkip_ = st.UnicodeSkip;
      break;
    }
    case TKw::UnicodeSkip:
      st.UnicodeSkip = hasParam ? std::clamp(param, 0, 16) : 1;
      break;
    case TKw::DefaultFont:
      defaultFont_ = hasParam ? param : 0;
      if (st.Chr.Font < 0) st.Chr.Font = defaultFont_;
      break;
    case TKw::AnsiCodePage:
      if (hasParam) doc_.CodePage = param;
      break;
    case TKw::Ansi:
      doc_.CodePage = 1252;
      break;
    case TKw::SpaceLine:
      st.Para.LineSpacing = hasParam ? param : 0;
      break;
    case TKw::SpaceBefore:
      st.Para.SpaceBefore = hasParam ? param : 0;
      break;
    case TKw::SpaceAfter:
      st.Para.SpaceAfter = hasParam ? param : 0;
      break;
    case TKw::Charset:
    case TKw::Bin:
      break;
  }
}

bool TReader::Run(std::string& why) {
  if (!LooksLikeRTF(s_)) {
    why = "not RTF";
    return false;
  }
  const std::size_t n = s_.size();
  while (pos_ < n) {
    const char c = s_[pos_];
    if (c == '{') {
      ++pos_;
      pendingSkip_ = 0;
      if (stack_.size() >= static_cast<std::size_t>(kMaxRTFDepth)) {
        why = "groups nested too deeply";
        return false;
      }
      if (stack_.empty()) {
        stack_.push_back(TGroupState{});
      } else {
        stack_.push_back(stack_.back());
      }
      continue;
    }
    if (c == '}') {
      ++pos_;
      pendingSkip_ = 0;
      destPending_ = false;
      if (stack_.back().Dest == TDest::FontTable) FinishFontEntry();
      if (stack_.size() == 1) {
        stack_.pop_back();
        break;  // the document's own closing brace: anything after it is not read
      }
      stack_.pop_back();
      continue;
    }
    if (stack_.empty()) {  // cannot happen after the "{\rtf" check, but stay safe
      ++pos_;
      continue;
    }
    if (c == '\\') {
      ++pos_;
      if (pos_ >= n) break;
      const char d = s_[pos_];
      if (d == '\'') {
        ++pos_;
        int hi = pos_ < n ? HexValue(s_[pos_]) : -1;
        int lo = pos_ + 1 < n ? HexValue(s_[pos_ + 1]) : -1;
        if (hi >= 0 && lo >= 0) {
          pos_ += 2;
          Byte(static_cast<unsigned char>(hi * 16 + lo));
        } else {
          CountSkipped();  // a broken escape shows nothing
          if (hi >= 0) ++pos_;
        }
        continue;
      }
      if (!IsAsciiLetter(d)) {
        ++pos_;
        ControlSymbol(d);
        continue;
      }
      const std::size_t start = pos_;
      while (pos_ < n && IsAsciiLetter(s_[pos_])) ++pos_;
      const std::string_view word = s_.substr(start, std::min<std::size_t>(pos_ - start, 32));
      bool hasParam = false;
      bool negative = false;
      long long value = 0;
      if (pos_ < n && s_[pos_] == '-' && pos_ + 1 < n && IsDigit(s_[pos_ + 1])) {
        negative = true;
        ++pos_;
      }
      while (pos_ < n && IsDigit(s_[pos_])) {
        hasParam = true;
        // Saturate: a hostile parameter must not overflow.
        if (value < (1LL << 40)) value = value * 10 + (s_[pos_] - '0');
        ++pos_;
      }
      if (negative) value = -value;
      value = std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                    std::numeric_limits<int>::max());
      if (pos_ < n && s_[pos_] == ' ') ++pos_;
      if (word == "bin") {
        if (destPending_) destPending_ = false;
        const long long len = hasParam ? std::max<long long>(value, 0) : 0;
        if (static_cast<unsigned long long>(len) > n - pos_) {
          why = "binary data runs past the end";
          return false;
        }
        pos_ += static_cast<std::size_t>(len);
        continue;
      }
      ControlWord(word, hasParam, static_cast<int>(value));
      continue;
    }
    ++pos_;
    const TGroupState& st = stack_.back();
    if (st.Dest == TDest::Skip) {
      // Fast path through skipped destinations such as pictures.
      while (pos_ < n && s_[pos_] != '{' && s_[pos_] != '}' && s_[pos_] != '\\') ++pos_;
      continue;
    }
    if (c == '\r' || c == '\n') continue;
    if (c == '\t') {
      TextChar(u'\t');
      continue;
    }
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20) continue;
    if (b < 0x80 && st.Dest == TDest::Text && !st.Hidden && pendingSkip_ == 0) {
      // Fast path for runs of plain ASCII text.
      std::size_t end = pos_;
      while (end < n) {
        const auto e = static_cast<unsigned char>(s_[end]);
        if (e < 0x20 || e >= 0x80 || e == '\\' || e == '{' || e == '}') break;
        ++end;
      }
      TextChar(static_cast<char16_t>(b));
      auto& text = cur_.Runs.back().Text;
      for (std::size_t k = pos_; k < end; ++k) text += static_cast<char16_t>(s_[k]);
      pos_ = end;
      continue;
    }
    Byte(b);
  }
  if (!stack_.empty() && stack_.front().Dest == TDest::FontTable) FinishFontEntry();
  if (!cur_.Runs.empty()) {
    cur_.Format = stack_.empty() ? TRTFParaFormat{} : stack_.back().Para;
    cur_.EndFormat = cur_.Runs.back().Format;
    doc_.Paragraphs.push_back(std::move(cur_));
    cur_ = TRTFParagraph{};
  }
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
    for (const TRTFRun& r : p.Runs) out += r.Text;
  }
  std::replace(out.begin(), out.end(), char16_t{0x2028}, u'\n');
  return out;
}

bool LooksLikeRTF(std::string_view text) {
  return text.substr(0, 5) == "{\\rtf";
}

char16_t Cp1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kCp1252High[byte - 0x80];
  return byte;
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
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  bool utf8 = true;
  while (i < n) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      ++i;
      continue;
    }
    int len = 0;
    char32_t cp = 0;
    if (b >= 0xC2 && b <= 0xDF) {
      len = 2;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      len = 3;
      cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      len = 4;
      cp = b & 0x07;
    } else {
      utf8 = false;
      break;
    }
    if (i + static_cast<std::size_t>(len) > n) {
      utf8 = false;
      break;
    }
    for (int k = 1; k < len; ++k) {
      const auto cb = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
      if ((cb & 0xC0) != 0x80) {
        utf8 = false;
        break;
      }
      cp = (cp << 6) | (cb & 0x3F);
    }
    if (!utf8) break;
    const bool overlong = (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      utf8 = false;
      break;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += static_cast<std::size_t>(len);
  }
  if (utf8) return out;
  out.clear();
  for (char c : bytes) out += Cp1252ToUnicode(static_cast<unsigned char>(c));
  return out;
}

}  // namespace bq
