#include "support/texts.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "support/ascii.h"
#include "support/bytes.h"
#include "support/language.h"
#include "support/settings.h"

#include "support/profile.h"

namespace bq {

// Each list gives a text's variable and built-in English text once; the
// variables start with that text so that they are usable before start-up.
#define BQ_GENERAL_TEXTS(X)                \
  X(SMsgDlgWarning, "Warning")             \
  X(SMsgDlgError, "Error")                 \
  X(SMsgDlgInformation, "Information")     \
  X(SMsgDlgConfirm, "Confirm")             \
  X(SMsgDlgYes, "&Yes")                    \
  X(SMsgDlgNo, "&No")                      \
  X(S_OKBtn, "OK")                         \
  X(S_CancelBtn, "Cancel")                 \
  X(SMsgDlgAbort, "&Abort")                \
  X(SMsgDlgRetry, "&Retry")                \
  X(SMsgDlgIgnore, "&Ignore")              \
  X(SMsgDlgAll, "&All")                    \
  X(SMsgDlgNoToAll, "N&o to All")          \
  X(SMsgDlgYesToAll, "Y&es to All")        \
  X(SMsgDlgHelp, "&Help")                  \
  X(S_MFile, "&File")                      \
  X(S_PageOfPages, "Page %d of %d")        \
  X(S_ExeFileFilterLeft, "Programs")       \
  X(S_IniFileFilterLeft, "Settings files") \
  X(S_HtmlFileFilterLeft, "HTML files")    \
  X(S_BmpFileFilterLeft, "Bitmaps")        \
  X(S_GifFileFilterLeft, "GIF images")     \
  X(S_JpegFileFilterLeft, "JPEG images")   \
  X(S_TxtFileFilterLeft, "Text files")     \
  X(S_RtfFileFilterLeft, "RTF files")      \
  X(S_PictureFileFilterLeft, "Pictures")

#define BQ_GENERAL_DERIVED(X)                                               \
  X(S_ExeFileFilter, S_ExeFileFilterLeft, " (*.exe)|*.exe")                 \
  X(S_IniFileFilter, S_IniFileFilterLeft, " (*.ini)|*.ini")                 \
  X(S_HtmlFileFilter, S_HtmlFileFilterLeft, " (*.html)|*.html")             \
  X(S_BmpFileFilter, S_BmpFileFilterLeft, " (*.bmp)|*.bmp")                 \
  X(S_GifFileFilter, S_GifFileFilterLeft, " (*.gif)|*.gif")                 \
  X(S_JpegFileFilter, S_JpegFileFilterLeft, " (*.jpeg,*.jpg)|*.jpeg;*.jpg") \
  X(S_TxtFileFilter, S_TxtFileFilterLeft, " (*.txt)|*.txt")                 \
  X(S_RtfFileFilter, S_RtfFileFilterLeft, " (*.rtf)|*.rtf")                 \
  X(S_PictureFileFilter, S_PictureFileFilterLeft,                           \
    " (*.bmp,*.gif,*.jpeg,*.jpg)|*.bmp;*.gif;*.jpeg;*.jpg")

#define BQ_COMMON_TEXTS(X)                                       \
  X(S_MFile, "&Database")                                        \
  X(S_tnWhite, "White")                                          \
  X(S_tnBlack, "Black")                                          \
  X(S_MPositionAsEPD, "&EPD")                                    \
  X(S_CouldNotInterpreteMove, "Could not interprete %s to move") \
  X(S_Nag_81, "Black has a moderately weak pawn structure")      \
  X(S_PgnFileFilterLeft, "PGN games")                            \
  X(S_EpdFileFilterLeft, "EPD positions")                        \
  X(S_FenFileFilterLeft, "FEN positions")                        \
  X(S_ChessFileFilterLeft, "Chess files")                        \
  X(S_DatabaseFileFilterLeft, "Game databases")                  \
  X(S_BookFileFilterLeft, "Opening books")                       \
  X(S_AnalysisFileFilterLeft, "Analysis files")

#define BQ_COMMON_DERIVED(X)                                                            \
  X(S_PgnFileFilter, S_PgnFileFilterLeft, " (*.pgn)|*.pgn")                             \
  X(S_EpdFileFilter, S_EpdFileFilterLeft, " (*.epd)|*.epd")                             \
  X(S_FenFileFilter, S_FenFileFilterLeft, " (*.fen)|*.fen")                             \
  X(S_ChessFileFilter, S_ChessFileFilterLeft, " (*.pgn,*.epd,*.fen)|*.pgn;*.epd;*.fen") \
  X(S_DatabaseFileFilter, S_DatabaseFileFilterLeft, " (*.bqdb)|*.bqdb")                 \
  X(S_BookFileFilter, S_BookFileFilterLeft, " (*.book)|*.book")                         \
  X(S_AnalysisFileFilter, S_AnalysisFileFilterLeft, " (*.bqa)|*.bqa")

#define BQ_DEFINE_TEXT(name, text) std::string name = text;
#define BQ_DEFINE_DERIVED(name, left, tail) std::string name;
#define BQ_TEXT_ROW(name, text) {#name, &name, text},
#define BQ_DERIVED_ROW(name, left, tail) {&name, &left, tail},

BQ_GENERAL_TEXTS(BQ_DEFINE_TEXT)
BQ_GENERAL_DERIVED(BQ_DEFINE_DERIVED)

namespace commontexts {
BQ_COMMON_TEXTS(BQ_DEFINE_TEXT)
BQ_COMMON_DERIVED(BQ_DEFINE_DERIVED)
}  // namespace commontexts

const std::vector<TNamedTextRow>& GeneralTextRows() {
  static const std::vector<TNamedTextRow> rows{BQ_GENERAL_TEXTS(BQ_TEXT_ROW)};
  return rows;
}

const std::vector<TDerivedTextRow>& GeneralDerivedRows() {
  static const std::vector<TDerivedTextRow> rows{BQ_GENERAL_DERIVED(BQ_DERIVED_ROW)};
  return rows;
}

// Inside the namespace, so that the common keys name the common variables.
namespace commontexts {
const std::vector<TNamedTextRow>& Rows() {
  static const std::vector<TNamedTextRow> rows{BQ_COMMON_TEXTS(BQ_TEXT_ROW)};
  return rows;
}
const std::vector<TDerivedTextRow>& DerivedRows() {
  static const std::vector<TDerivedTextRow> rows{BQ_COMMON_DERIVED(BQ_DERIVED_ROW)};
  return rows;
}
}  // namespace commontexts

const std::vector<TNamedTextRow>& CommonTextRows() {
  return commontexts::Rows();
}
const std::vector<TDerivedTextRow>& CommonDerivedRows() {
  return commontexts::DerivedRows();
}

#undef BQ_DEFINE_TEXT
#undef BQ_DEFINE_DERIVED
#undef BQ_TEXT_ROW
#undef BQ_DERIVED_ROW
#undef BQ_GENERAL_TEXTS
#undef BQ_GENERAL_DERIVED
#undef BQ_COMMON_TEXTS
#undef BQ_COMMON_DERIVED

namespace {

std::unique_ptr<T_TextProvider>& GeneralInstance() {
  static std::unique_ptr<T_TextProvider> p;
  return p;
}

std::unique_ptr<T_TextProvider>& CommonInstance() {
  static std::unique_ptr<T_TextProvider> p;
  return p;
}

const std::string* FindRow(const std::vector<TNamedTextRow>& rows, std::string_view key) {
  for (const auto& row : rows)
    if (key == row.Key) return row.Text;
  return nullptr;
}

}  // namespace

T_BaseTextProvider::T_BaseTextProvider(std::string commonFolder)
    : commonFolder_(std::move(commonFolder)) {}

void T_BaseTextProvider::LoadLanguage(int index) {
  const std::string name = AppLanMan().LanguageName(index);
  SetDefaultTexts(name);
  // An unknown index has no name and therefore no language file.
  if (!name.empty()) {
    const std::string folder =
        commonFolder_.empty() ? CommonFolder() : IncludeTrailingSeparator(commonFolder_);
    const std::string path = folder + FilePrefix() + name + ".ini";
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) ApplyLanguageFile(name, path);
  }
  BuildDerivedTexts();
}

void T_BaseTextProvider::ApplyLanguageFile(std::string_view languageName, const std::string& path) {
  struct Closer {
    std::optional<TProfileFile>& f;
    ~Closer() { f.reset(); }
  } closer{file_};
  file_ = TProfileFile::Load(path);
  section_ = AsciiLower(languageName);
  ReadTexts();
}

void T_BaseTextProvider::ReadNamedText(std::string& variable, std::string_view key) {
  if (!file_) return;
  const std::string read = file_->ReadString(section_, key, "");
  std::string_view text = TrimLowBytes(read);
  if (text.size() > 2 && text.front() == '\'') {
    text.remove_prefix(1);
    if (auto quote = text.rfind('\''); quote != std::string_view::npos)
      text = text.substr(0, quote);
  }
  if (!text.empty()) variable = std::string(text);
}

T_TextProvider::T_TextProvider(std::string prefix, std::vector<TNamedTextRow> rows,
                               std::vector<TDerivedTextRow> derived, std::string commonFolder)
    : T_BaseTextProvider(std::move(commonFolder)),
      prefix_(std::move(prefix)),
      rows_(std::move(rows)),
      derived_(std::move(derived)) {
  T_AppLanMan& lm = AppLanMan();
  lm.RegisterLanguage("english", "");
  lm.RegisterLanguage("dutch", "");
  LoadLanguage(lm.LanguageIndex("english"));
}

void T_TextProvider::ReadTexts() {
  for (const auto& row : rows_) ReadNamedText(*row.Text, row.Key);
}

void T_TextProvider::SetDefaultTexts(std::string_view /*languageName*/) {
  for (const auto& row : rows_) *row.Text = row.BuiltIn;
}

void T_TextProvider::BuildDerivedTexts() {
  for (const auto& d : derived_) *d.Text = *d.Left + d.Tail;
}

const std::string* T_TextProvider::Find(std::string_view key) const {
  return FindRow(rows_, key);
}

void T_TextProvider::ClearTexts() {
  for (const auto& row : rows_) row.Text->clear();
  for (const auto& d : derived_) d.Text->clear();
}

void InitTextProviders(const std::string& commonFolder) {
  GeneralInstance() = std::make_unique<T_TextProvider>("Gen", GeneralTextRows(),
                                                       GeneralDerivedRows(), commonFolder);
  CommonInstance() = std::make_unique<T_TextProvider>("Common", CommonTextRows(),
                                                      CommonDerivedRows(), commonFolder);
}

void DoneTextProviders() {
  for (auto* p : {&CommonInstance(), &GeneralInstance()}) {
    if (*p) (*p)->ClearTexts();
    p->reset();
  }
}

T_TextProvider* GeneralTextProvider() {
  return GeneralInstance().get();
}
T_TextProvider* CommonTextProvider() {
  return CommonInstance().get();
}

std::string NamedText(std::string_view key) {
  if (const std::string* t = FindRow(GeneralTextRows(), key)) return *t;
  return CommonNamedText(key);
}

std::string CommonNamedText(std::string_view key) {
  const std::string* t = FindRow(CommonTextRows(), key);
  return t ? *t : std::string();
}

}  // namespace bq
