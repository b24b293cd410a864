// The installed font list on Windows comes from the system's font
// enumeration of every family in every character set.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <algorithm>

#include "fonts/catalogue.h"

namespace bq {
namespace {

TEST(WindowsInstalledFonts, SystemEnumerationFillsTheList) {
  const std::vector<std::string>& list = InstalledFontList();
  EXPECT_NE(std::find(list.begin(), list.end(), "Default"), list.end());
  // Every Windows (and Wine) has fonts; an empty enumeration is a fault.
  EXPECT_GT(list.size(), 1u);
}

}  // namespace
}  // namespace bq
#endif  // _WIN32
