#include <gtest/gtest.h>

#include <string>

#include "chess/input.h"

namespace bq {
namespace {

TEST(Input, SkipBlanksTakesSpacesCarriageReturnsAndLineFeeds) {
  T_InputO in;
  in.OpenString("  \r\nx");
  EXPECT_TRUE(in.SkipBlanks());
  EXPECT_EQ(in.Position(), 4u);
  EXPECT_EQ(in.PeekChar(), 'x');
  EXPECT_FALSE(in.SkipBlanks());

  in.OpenString("\tx");  // a tab is no blank
  EXPECT_FALSE(in.SkipBlanks());
  EXPECT_EQ(in.NextChar(), '\t');

  in.OpenString("");
  EXPECT_FALSE(in.SkipBlanks());
  EXPECT_TRUE(in.AtEnd());
}

TEST(Input, StepsAndLooksAhead) {
  T_InputO in;
  in.OpenString("ab");
  in.UnreadChar('z');
  EXPECT_EQ(in.Position(), 0u);
  EXPECT_EQ(in.PeekChar(2), 'b');
  EXPECT_EQ(in.PeekChar(3), '\0');
  EXPECT_EQ(in.NextChar(), 'a');
  in.UnreadChar('a');
  EXPECT_EQ(in.NextChar(), 'a');
  EXPECT_EQ(in.NextChar(), 'b');
  EXPECT_TRUE(in.AtEnd());
  EXPECT_EQ(in.PeekChar(), '\0');
  // Reading on at the end stays at the end.
  EXPECT_EQ(in.NextChar(), '\0');
  EXPECT_EQ(in.Position(), 2u);
}

TEST(Input, TextEndsAtTheFirstNul) {
  const std::string line("a b\0c", 5);
  T_InputO in;
  in.OpenString(line);
  EXPECT_EQ(in.Text(), "a b");
  in.NextChar();
  in.NextChar();
  in.NextChar();
  EXPECT_TRUE(in.AtEnd());
  in.CloseInput();
  EXPECT_TRUE(in.AtEnd());
}

}  // namespace
}  // namespace bq
