#pragma once
// A position set up by hand: the four fields of an EPD line as written (a
// position that cannot occur stays as it is), the operations as typed, and
// the two move counters, which EPD keeps as the operations hmvc and fmvn.
// The rights follow the pieces: castling only with king and rook at home,
// en passant only behind a pawn that can just have made its double step.
#include <string>
#include <string_view>
#include <vector>

#include "chess/position.h"

namespace bq {

inline constexpr int kMaxCounter = 9999;  // the largest counter taken from a line

struct TSetup {
  TPositionCore Core;
  std::string Operations;  // as typed, without the counters' operations
  int HalfMoveClock = 0;   // 0..kMaxCounter
  int MoveNumber = 1;      // 1..kMaxCounter
  // The operations of the line read and the three values above as they
  // came out of them: while those stand, the line keeps its operations
  // text as it was, counters in their places.
  std::string KeptText, KeptOperations;
  int KeptHalfMoveClock = 0, KeptMoveNumber = 1;
};

// An empty board, White to move, no operations.
TSetup EmptySetup();

// Reads an EPD line, or a FEN (whose two counters follow the fields), with
// the EPD reader; the rights that the pieces do not back are dropped. False
// with the reader's reason, `setup` unchanged, when the line cannot be read.
bool ReadSetup(std::string_view line, TSetup& setup, std::string* reason);

// The EPD line: the fields, then the operations with hmvc and fmvn when
// the counters are not 0 and 1.
std::string SetupLine(const TSetup& setup);

// Moves the hmvc and fmvn operations of the operations text into the
// counters: those with one operand, a number in range, and (with
// `endedOnly`) their ";" typed. Others stay as typed. True when one moved.
bool TakeCounters(TSetup& setup, bool endedOnly);

// The files (1..8) whose en-passant square the side to move may be given:
// the other side's pawn on its fourth rank, the two squares behind it
// empty.
std::vector<int> EnPassantFiles(const TPositionCore& core);

// Drops the castling rights without king and rook at home, and an
// en-passant file that EnPassantFiles does not offer.
void DropUnbackedRights(TPositionCore& core);

}  // namespace bq
