#include "chess/letters.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "support/ascii.h"
#include "support/errors.h"
#include "support/language.h"

namespace bq {

namespace {

TLetterSet MakeSet(const char (&letters)[11], std::array<std::string, 16> words) {
  TLetterSet set;
  std::copy(letters, letters + 10, set.Letters.begin());
  set.Words = std::move(words);
  return set;
}

struct TLetterRegistry {
  bool Ready = false;
  int PieceLetterLanguage = 0;
  std::vector<int> Registered;
  std::array<std::optional<TLetterSet>, kMaxLetterLanguage + 1> Sets;
  TPieceLetterTable English{};
};

TLetterRegistry& Registry() {
  static TLetterRegistry registry;
  return registry;
}

int Lookup(const TLetterRegistry& reg, std::string_view text, int language, bool upperCase) {
  const T_AppLanMan& lm = AppLanMan();
  if (language == lm.DefaultLanguage) language = reg.PieceLetterLanguage;
  if (language < 0 || language > kMaxLetterLanguage) RaiseRangeError();
  if (text.empty() || language == lm.SymbolicLanguage) return 0;
  char c = text.front();
  if (upperCase && text.size() == 1) c = UpperAscii(c);
  const std::optional<TLetterSet>& set = reg.Sets[static_cast<std::size_t>(language)];
  if (!set) return 0;
  for (int i = 0; i <= 6; ++i)
    if (set->Letters[static_cast<std::size_t>(i)] == c) return i;
  return 0;
}

// The parser's view of the english set, kept in step with every change of
// that set so the per-character lookup is one table read.
void RebuildEnglishTable(TLetterRegistry& reg) {
  const int english = AppLanMan().EnglishLanguage;
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    const int piece = Lookup(reg, std::string_view(&c, 1), english, true);
    const bool black = c >= 'a' && c <= 'z';
    reg.English[static_cast<std::size_t>(b)] =
        static_cast<std::uint8_t>(piece == 0 ? 0 : piece | (black ? kBlackLetter : 0));
  }
}

void Register(TLetterRegistry& reg, std::string_view name, const TLetterSet& set) {
  T_AppLanMan& lm = AppLanMan();
  const int id = lm.RegisterLanguage(name, "");
  if (id < 0 || id > kMaxLetterLanguage) RaiseRangeError();
  const bool known =
      std::find(reg.Registered.begin(), reg.Registered.end(), id) != reg.Registered.end();
  if (!known && reg.Registered.size() >= static_cast<std::size_t>(kMaxLetterSets))
    RaiseRangeError();
  if (!known) reg.Registered.push_back(id);
  reg.Sets[static_cast<std::size_t>(id)] = set;
  if (id == lm.EnglishLanguage) RebuildEnglishTable(reg);
}

TLetterRegistry& ReadyRegistry() {
  TLetterRegistry& reg = Registry();
  if (!reg.Ready) InitLetterSets();
  return reg;
}

}  // namespace

const TLetterSet& EnglishLetterSet() {
  static const TLetterSet set =
      MakeSet("_PNBRQKWB_",
              {"_", "Pawn", "Knight", "Bishop", "Rook", "Queen", "King", "White", "Black", "_",
               "vs", "White to move", "Black to move", "", "Position after %s", "Start Position"});
  return set;
}

const TLetterSet& DutchLetterSet() {
  static const TLetterSet set = MakeSet(
      "_pPLTDKWZ_", {"_", "Pion", "Paard", "Loper", "Toren", "Dame", "Koning", "Wit", "Zwart", "_",
                     "vs", "Wit aan zet", "Zwart aan zet", "", "Stelling na %s", "Beginstelling"});
  return set;
}

const TLetterSet& GermanLetterSet() {
  // Windows-1252: \xE4 a-umlaut, \xF6 o-umlaut, \xDF sharp s.
  static const TLetterSet set =
      MakeSet("_BSLTDKWS_", {"_", "Bauer", "Springer", "L\xE4ufer", "Turm", "Dame", "K\xF6nig",
                             "Wei\xDF", "Schwarz", "_", "vs", "Wei\xDF am Zug", "Schwarz am Zug",
                             "", "Stellung nach %s", "Anfangsstellung"});
  return set;
}

const TLetterSet& CustomLetterSet() {
  static const TLetterSet set = [] {
    TLetterSet s = EnglishLetterSet();
    const char letters[] = "_pPLTDKWB_";
    std::copy(letters, letters + 10, s.Letters.begin());
    return s;
  }();
  return set;
}

void InitLetterSets() {
  TLetterRegistry& reg = Registry();
  reg.Ready = false;
  reg.PieceLetterLanguage = AppLanMan().EnglishLanguage;
  reg.Registered.clear();
  Register(reg, "english", EnglishLetterSet());
  Register(reg, "dutch", DutchLetterSet());
  Register(reg, "german", GermanLetterSet());
  Register(reg, "custom", CustomLetterSet());
  reg.Ready = true;
}

void DoneLetterSets() {
  TLetterRegistry& reg = Registry();
  reg.Ready = false;
  reg.Registered.clear();
  for (auto& set : reg.Sets) set.reset();
  reg.English.fill(0);
}

void RegisterLetterSet(std::string_view name, const TLetterSet& set) {
  Register(ReadyRegistry(), name, set);
}

int LanguageAt(int i) {
  const TLetterRegistry& reg = ReadyRegistry();
  if (i >= 1 && static_cast<std::size_t>(i) <= reg.Registered.size())
    return reg.Registered[static_cast<std::size_t>(i - 1)];
  return AppLanMan().EnglishLanguage;
}

int LetterSetCount() {
  return static_cast<int>(ReadyRegistry().Registered.size());
}

const TLetterSet* FindLetterSet(int language) {
  const TLetterRegistry& reg = ReadyRegistry();
  if (language < 0 || language > kMaxLetterLanguage) return nullptr;
  const auto& set = reg.Sets[static_cast<std::size_t>(language)];
  return set ? &*set : nullptr;
}

int LookupPieceLetter(std::string_view text, int language, bool upperCase) {
  return Lookup(ReadyRegistry(), text, language, upperCase);
}

const TPieceLetterTable& EnglishPieceTable() {
  return ReadyRegistry().English;
}

}  // namespace bq
