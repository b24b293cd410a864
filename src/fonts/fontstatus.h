#pragma once
// Whether the chosen diagram font can draw diagrams, and what to tell the
// user when it cannot: the window's status line and the command line's
// warnings give the same answer.
#include <string>
#include <string_view>
#include <vector>

namespace bq {

enum class TFontState {
  NoneChosen,    // no name at all
  NotInstalled,  // described in ChsFonts.ini, but the machine lacks it
  NotDescribed,  // installed, but ChsFonts.ini has no glyph map for it
  Unknown,       // neither installed nor described (a misspelt name)
  Ready,
};

// `described`: DescribedFontNames of the description file; `installed`:
// InstalledFontList(). A description is found by the exact name, as the
// conversion looks it up; an installed font without regard to case, as the
// platforms find fonts.
TFontState DiagramFontState(std::string_view name, const std::vector<std::string>& described,
                            const std::vector<std::string>& installed);

// The status line's text for a state; empty for Ready.
std::string FontStateText(TFontState state, std::string_view name);

// The described fonts that are not installed, in the file's order.
std::vector<std::string> MissingDescribedFonts(const std::vector<std::string>& described,
                                               const std::vector<std::string>& installed);

}  // namespace bq
