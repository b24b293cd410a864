#pragma once
// Named texts: process-wide user-visible strings with a key and a built-in
// English text, owned by two text providers ("Gen" and "Common"). A language
// file "<common folder><prefix><language>.ini" may replace any keyed text.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/profile.h"

namespace bq {

// General provider: message dialog captions and buttons.
extern std::string SMsgDlgWarning;
extern std::string SMsgDlgError;
extern std::string SMsgDlgInformation;
extern std::string SMsgDlgConfirm;
extern std::string SMsgDlgYes;
extern std::string SMsgDlgNo;
extern std::string S_OKBtn;
extern std::string S_CancelBtn;
extern std::string SMsgDlgAbort;
extern std::string SMsgDlgRetry;
extern std::string SMsgDlgIgnore;
extern std::string SMsgDlgAll;
extern std::string SMsgDlgNoToAll;
extern std::string SMsgDlgYesToAll;
extern std::string SMsgDlgHelp;
// General provider: further texts.
extern std::string S_MFile;  // "&File"
extern std::string S_PageOfPages;
extern std::string S_ExeFileFilterLeft;
extern std::string S_IniFileFilterLeft;
extern std::string S_HtmlFileFilterLeft;
extern std::string S_BmpFileFilterLeft;
extern std::string S_GifFileFilterLeft;
extern std::string S_JpegFileFilterLeft;
extern std::string S_TxtFileFilterLeft;
extern std::string S_RtfFileFilterLeft;
extern std::string S_PictureFileFilterLeft;
// General provider: derived file-filter texts (left text + fixed tail).
extern std::string S_ExeFileFilter;
extern std::string S_IniFileFilter;
extern std::string S_HtmlFileFilter;
extern std::string S_BmpFileFilter;
extern std::string S_GifFileFilter;
extern std::string S_JpegFileFilter;
extern std::string S_TxtFileFilter;
extern std::string S_RtfFileFilter;
extern std::string S_PictureFileFilter;

// Common provider. Its keys may repeat general keys with other texts, hence
// the namespace.
namespace commontexts {
extern std::string S_MFile;  // "&Database"
extern std::string S_tnWhite;
extern std::string S_tnBlack;
extern std::string S_MPositionAsEPD;
extern std::string S_CouldNotInterpreteMove;
extern std::string S_Nag_81;
extern std::string S_PgnFileFilterLeft;
extern std::string S_EpdFileFilterLeft;
extern std::string S_FenFileFilterLeft;
extern std::string S_ChessFileFilterLeft;
extern std::string S_DatabaseFileFilterLeft;
extern std::string S_BookFileFilterLeft;
extern std::string S_AnalysisFileFilterLeft;
extern std::string S_PgnFileFilter;
extern std::string S_EpdFileFilter;
extern std::string S_FenFileFilter;
extern std::string S_ChessFileFilter;
extern std::string S_DatabaseFileFilter;
extern std::string S_BookFileFilter;
extern std::string S_AnalysisFileFilter;
}  // namespace commontexts

struct TNamedTextRow {
  const char* Key;
  std::string* Text;
  const char* BuiltIn;
};

struct TDerivedTextRow {
  std::string* Text;
  const std::string* Left;
  const char* Tail;
};

class T_BaseTextProvider {
 public:
  virtual ~T_BaseTextProvider() = default;
  T_BaseTextProvider(const T_BaseTextProvider&) = delete;
  T_BaseTextProvider& operator=(const T_BaseTextProvider&) = delete;

  // Built-in texts, then the language file of that language when it exists,
  // then the derived texts.
  void LoadLanguage(int index);
  void ApplyLanguageFile(std::string_view languageName, const std::string& path);
  // Replaces `variable` by the key's value in the open language file unless
  // that value is empty. A value beginning with ' keeps the text up to the
  // last ', so blanks at either end can be kept: 'Note: ' ; comment.
  void ReadNamedText(std::string& variable, std::string_view key);

  virtual void ReadTexts() = 0;
  virtual void SetDefaultTexts(std::string_view languageName) = 0;
  virtual void BuildDerivedTexts() = 0;
  virtual std::string FilePrefix() const = 0;

 protected:
  // An empty folder means CommonFolder() at the time a language is loaded.
  explicit T_BaseTextProvider(std::string commonFolder);

 private:
  std::optional<TProfileFile> file_;  // open only while texts are read
  std::string section_;
  std::string commonFolder_;
};

class T_TextProvider : public T_BaseTextProvider {
 public:
  // Registers "english" and "dutch" with AppLanMan() and loads English.
  T_TextProvider(std::string prefix, std::vector<TNamedTextRow> rows,
                 std::vector<TDerivedTextRow> derived, std::string commonFolder = {});

  void ReadTexts() override;
  void SetDefaultTexts(std::string_view languageName) override;
  void BuildDerivedTexts() override;
  std::string FilePrefix() const override { return prefix_; }

  // The provider's text of `key` (exact spelling), or nullptr.
  const std::string* Find(std::string_view key) const;
  // Empties every named and derived text of the provider.
  void ClearTexts();

 private:
  std::string prefix_;
  std::vector<TNamedTextRow> rows_;
  std::vector<TDerivedTextRow> derived_;
};

// The two providers' tables.
const std::vector<TNamedTextRow>& GeneralTextRows();
const std::vector<TDerivedTextRow>& GeneralDerivedRows();
const std::vector<TNamedTextRow>& CommonTextRows();
const std::vector<TDerivedTextRow>& CommonDerivedRows();

// Start-up: the general provider, then the common provider. Needs the
// language manager (created on demand). `commonFolder` as for the providers.
void InitTextProviders(const std::string& commonFolder = {});
// Destroys both providers and empties all named texts.
void DoneTextProviders();
T_TextProvider* GeneralTextProvider();  // nullptr outside Init/Done
T_TextProvider* CommonTextProvider();

// The current text of a key, the general provider's first; "" when unknown.
std::string NamedText(std::string_view key);
std::string CommonNamedText(std::string_view key);

}  // namespace bq
