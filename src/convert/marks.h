#pragma once
// How marks are painted. What they are, and their grammar, is the chess
// layer's (chess/marks.h), so that games read them from PGN comments too.
#include <array>
#include <cstdint>

#include "chess/marks.h"

namespace bq {

// The colour and opacity of each mark colour, in TMarkColour order.
struct TMarkPaint {
  std::uint32_t Rgb;   // 0xRRGGBB
  std::uint8_t Alpha;  // of a coloured square
};
inline constexpr std::array<TMarkPaint, 6> kMarkPaints = {{{0x15781B, 0x80},
                                                           {0x882020, 0x80},
                                                           {0xE68F00, 0xB3},
                                                           {0x003088, 0x80},
                                                           {0xD85A00, 0x80},
                                                           {0xA0209F, 0x80}}};
// Arrows and circles stay whole over pieces.
inline constexpr std::uint8_t kArrowAlpha = 0xCC;

}  // namespace bq
