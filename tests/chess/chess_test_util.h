#pragma once
// Helpers shared by the chess tests.
#include <gtest/gtest.h>

#include <string_view>

#include "chess/input.h"
#include "chess/parser.h"
#include "chess/position.h"
#include "chess/validation.h"

namespace bq::test {

// The four fields of an EPD line read without the legality test, so that
// impossible positions can be examined.
inline TPositionCore FieldsOf(std::string_view epd) {
  T_InputO input;
  input.OpenString(epd);
  TPosition rec;
  InitPosition(rec);
  std::string reason;
  EXPECT_FALSE(T_PGNParserO().ReadEPDFields(epd, input, rec, &reason)) << epd << ": " << reason;
  return rec.Core;
}

// A record read from a line that must read.
inline TPosition Read(std::string_view line) {
  TPosition rec;
  InitPosition(rec);
  EXPECT_TRUE(ReadEPDLine(rec, line)) << line;
  return rec;
}

// The first rule the position breaks, or "".
inline std::string DescribeIllegality(const TPositionCore& core) {
  std::string why;
  return CheckLegality(core, &why) ? std::string() : why;
}

// IsLegalPosition, checked against DescribeIllegality on the way.
inline bool Legal(const TPositionCore& core) {
  TPosition rec;
  rec.Core = core;
  const bool legal = IsLegalPosition(rec);
  EXPECT_EQ(legal, DescribeIllegality(core).empty()) << DescribeIllegality(core);
  return legal;
}

inline bool Legal(std::string_view epd) {
  return Legal(FieldsOf(epd));
}

}  // namespace bq::test
