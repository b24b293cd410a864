#pragma once
// The EPD record of a position chosen from a game: its four fields, then
// operations to print above the diagram or to use in a caption.
#include <string>
#include <string_view>

#include "chess/letters.h"
#include "games/pgnreader.h"

namespace bq {

// Appends the record of the reader's current position, without a line
// end: the fields, then
//   id "White – Black, Event Year"  (unknown parts left out; no id when all are)
//   pm Nf3+                         (the move that led to it; none at the start)
//   c0 "Position after 23...Nf3"    (word 14 of `letters`, or word 15 at the start)
//   hmvc 0; fmvn 24;
//   view "black"                    (when `blackView`)
//   csl "Rd4,Ge5"; cal "Ge2e4";     (the reader's Marks(), when it has them)
// and one operation per tag, named by the tag in lower case (tags named
// like the operations above are left out). Values are EPD string operands
// in double quotes that the EPD reader gives back word for word: a double
// quote becomes an apostrophe, a semicolon a comma, and each run of blanks
// or control characters one blank.
void AppendGameRecord(std::string& out, const TPgnGameReader& game, bool blackView,
                      const TLetterSet& letters);

}  // namespace bq
