#include "fonts/installed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace bq {
namespace {

TEST(InstalledFonts, BuildDedupesSortsAndAddsDefault) {
  const std::vector<std::string> reported = {
      "Zeta", "alpha",           "SkakNew-DiagramT", "Alpha", "Chess Merida",
      "zeta", "SkakNew-Diagram", "default",          "",      "Chess Merida"};
  EXPECT_EQ(BuildInstalledFontList(reported),
            (std::vector<std::string>{"alpha", "Chess Merida", "Default", "SkakNew-Diagram",
                                      "SkakNew-DiagramT", "Zeta"}));
  EXPECT_EQ(BuildInstalledFontList({}), std::vector<std::string>{"Default"});

  const std::vector<std::string>& system = InstalledFontList();
  EXPECT_EQ(&system, &InstalledFontList());
  EXPECT_EQ(BuildInstalledFontList(system), system);  // sorted, unique, with "Default"
  // A font reporting two families is found under both.
  if (std::find(system.begin(), system.end(), "SkakNew-Diagram") != system.end()) {
    EXPECT_NE(std::find(system.begin(), system.end(), "SkakNew-DiagramT"), system.end());
  }
}

}  // namespace
}  // namespace bq
